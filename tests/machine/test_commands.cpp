#include "simfixture.h"

#include <gtest/gtest.h>

namespace {

TEST(Commands, MoveTextGoesAsSixByteWrites)
{
    SimRig rig;
    rig.takeCommands();
    const QByteArray move = record('A', 0xFF, 0) + record('A', 0x00, 1000) + record('A', 0xFE, 2000);
    ASSERT_TRUE(rig.ploter->SendCommand(move));
    const auto sent = rig.takeCommands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1], record('A', 0x00, 1000));
    EXPECT_EQ(rig.machine->reports().back()[7], 0) << "zero after the record";
}

TEST(Commands, FailedWriteStopsAndReportsTheCode)
{
    SimRig rig;
    rig.takeCommands();
    rig.machine->failWrites(1, HidError::DeviceGone);
    const QByteArray move = record('A', 0xFF, 0) + record('A', 0xFE, 2);
    EXPECT_FALSE(rig.ploter->SendCommand(move));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].section, "Control");
    EXPECT_EQ(rig.messages[0].key, "ploterBrakLacznosci");
    EXPECT_EQ(rig.messages[0].suffix, "1167");
    EXPECT_TRUE(rig.takeCommands().empty()) << "nothing after the failed record";
}

struct PeriodCase
{
    double resX;
    int speed;
    int period;
};

TEST(Commands, SpeedToPeriodAndBack)
{
    SimRig rig;
    const PeriodCase cases[] = {{1.0, 100, 7500}, {1.0, 10, 37500}, {1.0, 20, 37500}, {1.0, 21, 35714},
                                {2.5, 100, 3000}, {1.0, 2000, 375},  {0.01, 20, 65535}};
    for (const PeriodCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "resX " << c.resX << " speed " << c.speed);
        rig.state.resX = c.resX;
        EXPECT_EQ(rig.ploter->SpeedToPeriod(c.speed), c.period);
    }
    rig.state.resX = 1.0;
    rig.state.maxV = 3000;
    EXPECT_EQ(rig.ploter->PeriodToSpeed(0), 3000);
    EXPECT_EQ(rig.ploter->PeriodToSpeed(7500), 100);
    EXPECT_EQ(rig.ploter->PeriodToSpeed(1), 65535) << "clamped to 16 bits";
}

TEST(Commands, SetSpeedSendsModePeriodOverWspVAndRereads)
{
    SimRig rig;
    rig.state.wspV = 2;
    rig.state.plot.speedMode = 1;
    rig.takeCommands();
    ASSERT_TRUE(rig.ploter->SetSpeed(100)); // the period of 200 mm/min: 7500 / 2
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray> {bytes({'V', 1, 0xA6, 0x0E})}));
    EXPECT_EQ(rig.state.plot.speeds[1], 100) << "the controller's speed read back";

    // Regression: wspV 0 from the command line divided by zero.
    rig.state.wspV = 0;
    rig.state.plot.speedMode = 1;
    ASSERT_TRUE(rig.ploter->SetSpeed(20));
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray> {bytes({'V', 1, 0xFF, 0x7F})}))
        << "clamped to int16";
}

TEST(Commands, HeatingPowerFollowsTheProtocol)
{
    SimRig rig;
    rig.state.plot.powerChannel = 2;
    rig.state.plot.powerSetting = 300;
    const struct
    {
        int major;
        QByteArray expected;
    } cases[] = {{3, bytes({'T', 2, 255})}, {10, bytes({'T', 2, 255})}, {4, bytes({'T', 2, 0x2C, 0x01, 0, 0})},
                 {9, bytes({'T', 2, 0x2C, 0x01, 0, 0})}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.major);
        rig.state.firmwareMajor = static_cast<std::uint16_t>(c.major);
        rig.takeCommands();
        ASSERT_TRUE(rig.ploter->SendHeatingPower());
        // The simulated controller cuts by its own protocol; compare reports.
        const HidReport &r = rig.machine->reports().back();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(r.data() + 1), static_cast<int>(c.expected.size())), c.expected);
        EXPECT_EQ(r[static_cast<std::size_t>(c.expected.size() + 1)], 0);
    }
}

TEST(Commands, SettingsCommands)
{
    SimRig rig;
    rig.takeCommands();
    rig.state.resX = 2.0;
    rig.state.resY = 1.0;
    rig.state.plot.jobOriginX = 125;  // 0.01 mm
    rig.state.plot.jobOriginY = -3;
    rig.state.resY = 0.5;             // -1.5 -> -2 (half to even)
    rig.ploter->SendJobOrigin();
    rig.state.resX = 1.25;
    rig.state.plot.jobOriginX = 2;    // 2.5 -> 2
    rig.state.plot.jobOriginY = 7;    // 3.5 -> 4
    rig.ploter->SendJobOrigin();
    rig.ploter->SendLengthUnit(2);
    rig.ploter->SendWireTension(450);
    rig.ploter->WriteEepromParameter(300, -5);
    rig.ploter->StopMove();
    const std::vector<QByteArray> expected = {
        bytes({'U', 250, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}), bytes({'U', 2, 0, 0, 0, 4, 0, 0, 0}),
        bytes({'S', 6, 2, 0, 0, 0}), bytes({'S', 7, 0xC2, 1, 0, 0}), bytes({'S', 13, 255, 0}), bytes({'Y'})};
    EXPECT_EQ(rig.takeCommands(), expected);
    EXPECT_EQ(rig.machine->eeprom(255), 0);
    EXPECT_EQ(rig.machine->setting(7), 450);
}

TEST(Commands, CheckConnectedWarnsWhenNotConnected)
{
    SimRig rig({}, {}, false);
    EXPECT_FALSE(rig.ploter->CheckConnected());
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "ploterBrakLacznosci");
}

TEST(Identification, OverridesApplyInOrder)
{
    SimulatedMachineConfig config;
    config.resX = 41943040; // 2.5
    config.resS = 8000;
    config.resW = 8000;
    SimRig rig(config, {"MachineName'LJ12345mXYZ'", "limitX'3000'", "limitY'1500'", "resX'4.0'", "resS'3600'",
                        "SWgear20", "fcWidth'1800'"});
    Settings settings;
    settings.feKalibracjaX = 10;
    rig.ploter->setSettings(settings);
    ASSERT_TRUE(rig.ploter->ReadMachineInfo());
    EXPECT_EQ(rig.state.plot.machineName, "LJ12345m") << "first 8 characters";
    EXPECT_EQ(rig.state.plot.family, "LJ");
    EXPECT_EQ(rig.state.limitX, 3000);
    EXPECT_EQ(rig.state.limitY, 1500);
    EXPECT_EQ(rig.state.limitZ, 300);
    EXPECT_DOUBLE_EQ(rig.state.resX, 4.1) << "override, then calibration";
    EXPECT_EQ(rig.state.resS, 50000) << "gear switch after the value";
    EXPECT_EQ(rig.state.resW, 50000);
    EXPECT_DOUBLE_EQ(rig.state.fcWidth, 1800);
    EXPECT_DOUBLE_EQ(rig.state.workingWidth, 1800);
    EXPECT_TRUE(rig.state.lj);
    EXPECT_EQ(rig.state.maxV, 1200);
}

TEST(Identification, GearSwitchesOneByOne)
{
    for (const char *sw : {"Sgear20", "Wgear20"}) {
        SCOPED_TRACE(sw);
        SimRig rig({}, {sw});
        rig.ploter->ReadMachineInfo();
        EXPECT_EQ(rig.state.resS, QString(sw) == "Sgear20" ? 50000 : 8000);
        EXPECT_EQ(rig.state.resW, QString(sw) == "Wgear20" ? 50000 : 8000);
    }
}

// Fault mended: a failed reply 15 before any good one left 8000 steps per
// turn instead of the controller's defaults.
TEST(Identification, FailedResolutionsBeforeAnyGoodReplyAreTheDefaults)
{
    SimRig rig;
    rig.machine->failReads(10);
    EXPECT_FALSE(rig.ploter->ReadResolutions());
    EXPECT_DOUBLE_EQ(rig.state.resX, 1.0);
    EXPECT_DOUBLE_EQ(rig.state.resZ, 1.0);
    EXPECT_EQ(rig.state.resW, 50000);
    EXPECT_EQ(rig.state.resS, 50000);
    EXPECT_EQ(rig.state.res3, 50000);
}

TEST(Identification, FailedResolutionsKeepTheLastGoodValues)
{
    // Regression: a failed reply 15 replaced the resolutions with 1.0 and
    // 50000, so the next move went a different distance.
    SimulatedMachineConfig config;
    config.resX = 41943040;
    config.resS = 3600;
    SimRig rig(config);
    Settings settings;
    settings.feKalibracjaX = 10;
    rig.ploter->setSettings(settings);
    ASSERT_TRUE(rig.ploter->ReadResolutions());
    EXPECT_DOUBLE_EQ(rig.state.resX, 2.6);
    rig.machine->failReads(10);
    EXPECT_FALSE(rig.ploter->ReadResolutions());
    EXPECT_DOUBLE_EQ(rig.state.resX, 2.6) << "calibration is not added twice";
    EXPECT_EQ(rig.state.resS, 3600);
    rig.machine->garbageReplies(1, 0x00);
    EXPECT_FALSE(rig.ploter->ReadResolutions());
    EXPECT_DOUBLE_EQ(rig.state.resX, 2.6);
}

TEST(Identification, FailedQueriesChangeNoState)
{
    // Regression: a failed status read zeroed the flags and a failed
    // position read zeroed the positions.
    SimRig rig;
    rig.machine->setRawPosition(Axis::X1, 5000);
    rig.machine->setHomed(true);
    ASSERT_TRUE(rig.ploter->ReadStatus());
    ASSERT_TRUE(rig.ploter->ReadPositions());
    ASSERT_TRUE(rig.ploter->ReadSpeeds());
    const tplotstate before = rig.state.plot;
    rig.machine->shortReplies(3, 10);
    EXPECT_FALSE(rig.ploter->ReadStatus());
    EXPECT_FALSE(rig.ploter->ReadPositions());
    EXPECT_FALSE(rig.ploter->ReadSpeeds());
    rig.machine->garbageReplies(2, 0xFF);
    EXPECT_FALSE(rig.ploter->ReadSpeeds());
    EXPECT_FALSE(rig.ploter->ReadPowerInfo());
    rig.machine->failReads(10);
    EXPECT_FALSE(rig.ploter->ReadPositions());
    EXPECT_EQ(rig.state.plot.X1, before.X1);
    EXPECT_EQ(rig.state.plot.flags, before.flags);
    EXPECT_EQ(rig.state.plot.speedMode, before.speedMode);
    EXPECT_EQ(rig.state.plot.X1, 5000);
}

} // namespace
