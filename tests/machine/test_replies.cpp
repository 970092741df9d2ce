#include "machine/machinereplies.h"

#include "simfixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void putLE(HidReply &r, int at, std::uint64_t v, int size)
{
    for (int i = 0; i < size; ++i)
        r[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(Replies, StatusPositionsLinearAndRotary)
{
    HidReply r{};
    r[1] = 7;
    putLE(r, 2, 0x00140201, 4);
    putLE(r, 6, 12345, 4);                             // X1
    putLE(r, 10, static_cast<std::uint32_t>(-250), 4); // Y1
    putLE(r, 14, static_cast<std::uint32_t>(-100), 4); // S
    putLE(r, 18, 500, 4);                              // Z
    putLE(r, 22, 2500, 4);                             // X2
    putLE(r, 26, 5, 4);                                // Y2
    putLE(r, 30, 8000 + 2000, 4);                      // W
    putLE(r, 34, 16001, 4);                            // third
    MachineState s;
    s.resX = 2.5;
    s.resY = 2.0;
    s.resZ = 1.0;
    ASSERT_TRUE(parseStatus(r, 65, s.plot));
    EXPECT_EQ(s.plot.stateByte, 7);
    EXPECT_EQ(s.plot.flags, 0x00140201u);
    EXPECT_TRUE(s.plot.has(StatusFlag::Moving));
    EXPECT_TRUE(s.plot.has(StatusFlag::BufferFull));
    EXPECT_TRUE(s.plot.has(StatusFlag::Homed));
    EXPECT_TRUE(s.plot.has(StatusFlag::RestoreHeating));

    ASSERT_TRUE(parsePositions(r, 65, s));
    EXPECT_EQ(s.plot.X1, 4938); // 12345 / 2.5 = 4938
    EXPECT_EQ(s.plot.Y1, -125);
    EXPECT_EQ(s.plot.Z, 500);
    EXPECT_EQ(s.plot.X2, 1000);
    EXPECT_EQ(s.plot.Y2, 2) << "2.5 rounds to the even 2";
    EXPECT_EQ(s.plot.S, -100);
    EXPECT_DOUBLE_EQ(s.plot.Sangle, -4.5);
    EXPECT_EQ(s.plot.W, 2000);
    EXPECT_DOUBLE_EQ(s.plot.Wangle, 90);
    EXPECT_EQ(s.plot.third, 1);
    EXPECT_EQ(s.plot.raw[Axis::X1], 12345);
}

TEST(Replies, RotaryResolutionZeroNeverDivides)
{
    HidReply r{};
    putLE(r, 14, 1234, 4);
    MachineState s;
    s.resS = 0;
    ASSERT_TRUE(parsePositions(r, 65, s));
    EXPECT_EQ(s.plot.S, 0);
    EXPECT_EQ(s.plot.Sangle, 0);
}

TEST(Replies, SpeedsTimesWspV)
{
    HidReply r{};
    r[0] = 1;
    for (int i = 0; i < 5; ++i)
        putLE(r, 2 + 2 * i, static_cast<std::uint64_t>(100 * (i + 1)), 2);
    MachineState s;
    s.wspV = 3;
    ASSERT_TRUE(parseSpeeds(r, 65, s));
    EXPECT_EQ(s.plot.speedMode, 1);
    EXPECT_EQ(s.plot.speeds[4], 1500);
    EXPECT_EQ(s.plot.currentSpeed, 600);

    r[0] = 4;
    s.plot.currentSpeed = 77;
    ASSERT_TRUE(parseSpeeds(r, 65, s));
    EXPECT_EQ(s.plot.currentSpeed, 77) << "mode 4 has no current speed";
}

TEST(Replies, MalformedRepliesChangeNothing)
{
    // Regression: a short or implausible reply was parsed as if it were good.
    MachineState s;
    s.plot.speedMode = 2;
    s.plot.powerChannel = 1;
    HidReply r{};
    r[0] = 5;
    EXPECT_FALSE(parseSpeeds(r, 65, s)) << "speed mode above 4";
    EXPECT_EQ(s.plot.speedMode, 2);
    r[0] = 8;
    EXPECT_FALSE(parsePowerInfo(r, 65, s.plot)) << "channel 8";
    EXPECT_EQ(s.plot.powerChannel, 1);
    EXPECT_FALSE(parseStatus(r, 37, s.plot)) << "short status";
    EXPECT_FALSE(parseResolutions(HidReply{}, 65)) << "zero resolutions";
    EXPECT_FALSE(parseMachineInfo(r, 21));
    EXPECT_FALSE(parseWireTension(r, 9, s.plot));
}

TEST(Replies, PowerInfoTakesTheChannelsEntry)
{
    HidReply r{};
    r[0] = 2;
    putLE(r, 2 + 4 * 2, 0x00031234, 4);
    putLE(r, 34, 4321, 2);
    tplotstate p;
    ASSERT_TRUE(parsePowerInfo(r, 65, p));
    EXPECT_EQ(p.powerChannel, 2);
    EXPECT_EQ(p.powerSetting, 0x1234) << "low 16 bits";
    EXPECT_EQ(p.measuredPower, 4321);
}

TEST(Replies, ResolutionsAreFixedPoint)
{
    HidReply r{};
    putLE(r, 6, 41943040, 8); // 2.5
    putLE(r, 14, 1ULL << 23, 8);
    putLE(r, 22, 3ULL << 24, 8);
    putLE(r, 30, 8000, 4);
    putLE(r, 38, 50000, 4);
    putLE(r, 46, 3600, 4);
    putLE(r, 54, 2400, 8);
    const auto res = parseResolutions(r, 65);
    ASSERT_TRUE(res);
    EXPECT_DOUBLE_EQ(res->resX, 2.5);
    EXPECT_DOUBLE_EQ(res->resY, 0.5);
    EXPECT_DOUBLE_EQ(res->resZ, 3.0);
    EXPECT_EQ(res->resW, 8000);
    EXPECT_EQ(res->resS, 50000);
    EXPECT_EQ(res->res3, 3600);
    EXPECT_DOUBLE_EQ(res->fcWidth, 2400);
}

TEST(Replies, QueriesThroughTheSimulatedController)
{
    SimulatedMachineConfig config;
    config.firmwareMajor = 4;
    config.firmwareMinor = 2;
    config.limitX = 2000;
    config.limitY = 1000;
    config.limitZ = 250;
    config.workingTime = 777;
    config.count = 12;
    SimRig rig(config);
    Ploter &p = *rig.ploter;

    ASSERT_TRUE(p.ReadMachineInfo());
    EXPECT_EQ(rig.state.limitX, 2000);
    EXPECT_EQ(rig.state.limitY, 1000);
    EXPECT_EQ(rig.state.limitZ, 250);
    EXPECT_EQ(rig.state.sideAreaLimits, (std::array<std::int32_t, 3>{250, 1000, 360}));
    EXPECT_EQ(rig.state.plot.workingTime, 777u);
    EXPECT_EQ(rig.state.plot.count, 12u);
    EXPECT_EQ(rig.state.plot.manufacturer, "Korvanel");
    EXPECT_EQ(rig.state.plot.machineName, "bn45");
    EXPECT_EQ(rig.state.plot.serialNumber, "SIM0001");
    EXPECT_EQ(rig.state.plot.family, "bn");
    EXPECT_EQ(rig.state.firmwareMajor, 4);
    EXPECT_TRUE(p.IsNewProtocol());

    rig.link->Write(QByteArrayLiteral("S\x07\x2d\x00\x00\x00"));
    ASSERT_TRUE(p.ReadWireTension());
    EXPECT_EQ(rig.state.plot.tensionSetting, 45);

    EXPECT_EQ(p.ReadFirmwareVersion(), "4.2");
    rig.machine->failReads(10);
    EXPECT_EQ(p.ReadFirmwareVersion(), "");
    EXPECT_EQ(rig.state.firmwareMajor, 4) << "a failed read keeps the version";
}

TEST(Replies, FirmwareReplyGivesProgramWordsAndAdvances)
{
    SimRig rig;
    const std::vector<std::uint16_t> words = rig.machine->programMemory().words(rig.clock.nowMs());
    rig.link->Write(bytes({'S', 8, 0, 0, 0, 2}));
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(rig.link->ReadString(17), 0);
        EXPECT_EQ(replyInt32(rig.link->reply(), 6), words[i]) << "the word in r6..r7, r8..r9 zero";
    }
}

} // namespace
