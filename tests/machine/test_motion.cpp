#include "machine/machinekeys.h"

#include "simfixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<QByteArray> move(char letter, int wsp, std::vector<std::pair<int, int>> axes, long long steps)
{
    std::vector<QByteArray> records = {record(letter, 0xFF, 0)};
    for (const auto &[tag, value] : axes)
        records.push_back(record(letter, tag, value));
    records.push_back(record(letter, 0xFE, static_cast<std::int32_t>(steps * wsp)));
    return records;
}

std::vector<QByteArray> concat(std::initializer_list<std::vector<QByteArray>> parts)
{
    std::vector<QByteArray> all;
    for (const auto &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const QByteArray heatOn = bytes({'R', 1, 2});

struct MotionRig : SimRig
{
    MotionRig()
    {
        ploter->ReadMachineInfo(); // bn45: travel 1200 x 800 x 300 mm, wspV 2
        takeCommands();
    }
};

TEST(Motion, MoveToBeyondTheTravelStopsAtTheTravel)
{
    MotionRig rig;
    ASSERT_TRUE(rig.ploter->MoveTo(true, true, 5000, -3, 0, 0));
    EXPECT_EQ(rig.takeCommands(), concat({{heatOn}, move('A', 2, {{0x00, 120000}, {0x04, 120000}}, 120000)}));
    rig.clock.advance(40000); // 1200 mm at the travel speed of 2000 mm/min
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 120000);
}

TEST(Motion, MoveToLowersZFirst)
{
    MotionRig rig;
    rig.machine->setRawPosition(Axis::Z, 5000); // 50 mm
    ASSERT_TRUE(rig.ploter->MoveTo(true, true, 100, 0, 20, 0));
    const auto sent = rig.takeCommands();
    EXPECT_EQ(sent, concat({{heatOn}, move('A', 2, {{0x03, -5000}}, 5000),
                            move('A', 2, {{0x00, 10000}, {0x04, 10000}}, 10000), move('A', 2, {{0x03, 2000}}, 2000)}));
}

TEST(Motion, MoveToTurnsTheTableTheShortWayWithinOneTurn)
{
    MotionRig rig;
    Settings settings = rig.ploter->settings();
    settings.StolikSwitch = 1;
    settings.Heavy = CheckState::Checked;
    rig.ploter->setSettings(settings);
    ASSERT_TRUE(rig.ploter->MoveTo(true, true, 0, 0, 0, 450));
    EXPECT_EQ(rig.takeCommands(),
              concat({{heatOn, bytes({'S', 2, 1, 0, 0, 0})}, move('A', 2, {}, 1), move('A', 2, {{0x02, 2000}}, 2000)}));
    EXPECT_TRUE(rig.state.rotaryMoved);
}

TEST(Motion, MoveToWithNothingToDoSendsNothing)
{
    MotionRig rig;
    ASSERT_TRUE(rig.ploter->MoveTo(true, true, 0, 0, 0, 0));
    EXPECT_TRUE(rig.takeCommands().empty());
}

TEST(Motion, MoveToNeverStartsFromUnreadPositions)
{
    // Regression: a failed position read left zeros, and the move went
    // from there, driving the wire by its real position past the target.
    MotionRig rig;
    rig.machine->setRawPosition(Axis::X1, 50000);
    rig.machine->shortReplies(1, 12);
    EXPECT_FALSE(rig.ploter->MoveTo(true, true, 100, 0, 0, 0));
    EXPECT_TRUE(rig.takeCommands().empty());
}

TEST(Motion, MoveByIsCutToTheTravelAndQ7FrontKeepsItsDistance)
{
    MotionRig rig;
    rig.machine->setRawPosition(Axis::X1, 10000);
    rig.machine->setRawPosition(Axis::X2, 10000);
    ASSERT_TRUE(rig.ploter->MoveBy(true, true, -500, 0, 0, 0));
    EXPECT_EQ(rig.takeCommands(), concat({{heatOn}, move('A', 2, {{0x00, -10000}, {0x04, -10000}}, 10000)}));

    rig.clock.advance(1000);
    rig.state.plot.machineName = "Q7";
    rig.machine->setRawPosition(Axis::Y2, 3000);
    ASSERT_TRUE(rig.ploter->MoveBy(true, false, 0, 5, 0, 0));
    // Y2 goes to 35 mm, so Y1 goes to at least 45 mm.
    EXPECT_EQ(rig.takeCommands(), concat({{heatOn}, move('A', 2, {{0x01, 4500}, {0x05, 500}}, 4500)}));
}

TEST(Motion, DisplayUnitConvertsLengths)
{
    MotionRig rig;
    Settings settings = rig.ploter->settings();
    settings.radiounit = 1; // inch
    rig.ploter->setSettings(settings);
    ASSERT_TRUE(rig.ploter->MoveTo(true, true, 1, 0, 0, 0));
    EXPECT_EQ(rig.takeCommands(), concat({{heatOn}, move('A', 2, {{0x00, 2540}, {0x04, 2540}}, 2540)}));
}

TEST(Motion, WaitWhileBusyWaitsForTheMoveAndEnds)
{
    MotionRig rig;
    ASSERT_TRUE(rig.ploter->sendMove({.x1 = 10000}));
    const auto start = rig.clock.nowMs();
    EXPECT_TRUE(rig.ploter->WaitWhileBusy());
    // 20000 ticks of the travel period: 2000 mm/min is 375 / wspV, held as
    // 188, and a tick lasts 0.8 us per unit.
    EXPECT_GE(rig.clock.nowMs() - start, 20000 * 188 * 8 / 10000);
    EXPECT_LE(rig.clock.nowMs() - start, 20000 * 188 * 8 / 10000 + 2);
    EXPECT_FALSE(rig.state.busyWait);

    rig.machine->setEndlessBusy(true);
    rig.ploter->setWaitLimitMs(1000);
    EXPECT_FALSE(rig.ploter->WaitWhileBusy()) << "gives up after its limit";

    rig.machine->setEndlessBusy(false);
    ASSERT_TRUE(rig.ploter->sendMove({.x1 = 10000}));
    rig.backend.unplug(rig.machine);
    EXPECT_FALSE(rig.ploter->WaitWhileBusy()) << "a lost link ends the wait";
}

TEST(Heating, RampStepsFollowThePause)
{
    for (const auto &[pause, steps] : {std::pair{1200.0, 20}, std::pair{600.0, 10}, std::pair{100.0, 10}, std::pair{659.0, 10}}) {
        SCOPED_TRACE(pause);
        MotionRig rig;
        Settings settings = rig.ploter->settings();
        settings.Pauza_w_kacie = pause;
        rig.ploter->setSettings(settings);
        ASSERT_TRUE(rig.ploter->RampHeating(2, 100));
        const auto sent = rig.takeCommands();
        ASSERT_EQ(sent.size(), static_cast<std::size_t>(3 + 2 * steps));
        EXPECT_EQ(sent[0], bytes({'R', 0, 2}));
        EXPECT_EQ(sent[1], bytes({'T', 2, 4}));
        EXPECT_EQ(sent[2], bytes({'R', 1, 2}));
        EXPECT_EQ(sent[3], bytes({'T', 2, 255 / steps}));
        EXPECT_EQ(sent[sent.size() - 2], bytes({'T', 2, 255}));
        EXPECT_EQ(sent.back(), bytes({'R', 1, 2}));
    }
}

TEST(Heating, RampStopsOnABrokenWire)
{
    MotionRig rig;
    rig.machine->setBrokenWire(true);
    EXPECT_FALSE(rig.ploter->RampHeating(2, 50)); // target 127, steps of 12.7
    const auto sent = rig.takeCommands();
    // Step 1 (12) is not checked, step 2 (25) is and stops the ramp.
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[3], bytes({'T', 2, 12}));
    EXPECT_EQ(sent[4], bytes({'R', 1, 2}));
    EXPECT_EQ(sent[5], bytes({'T', 2, 25}));
}

TEST(Heating, RampSendsInt32PowerOnTheNewProtocol)
{
    SimulatedMachineConfig config;
    config.firmwareMajor = 4;
    SimRig rig(config);
    rig.ploter->ReadMachineInfo();
    rig.takeCommands();
    ASSERT_TRUE(rig.ploter->RampHeating(3, 100));
    const auto sent = rig.takeCommands();
    EXPECT_EQ(sent[1], bytes({'T', 3, 4, 0, 0, 0}));
    EXPECT_EQ(sent[sent.size() - 2], bytes({'T', 3, 255, 0, 0, 0}));
}

TEST(Heating, ToggleSwitchesTheChannel)
{
    MotionRig rig;
    rig.ploter->ReadPowerInfo();
    ASSERT_TRUE(rig.ploter->ToggleHeating());
    EXPECT_TRUE(rig.machine->heatingOn(2));
    ASSERT_TRUE(rig.ploter->ToggleHeating());
    EXPECT_FALSE(rig.machine->heatingOn(2));
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray>{bytes({'R', 1, 2}), bytes({'R', 0, 2})}));
}

struct JogCase
{
    int key;
    bool front, back;
    bool homed;
    std::vector<std::pair<int, int>> axes;
    long long steps;
};

TEST(Jog, KeyTable)
{
    // Machine at X1 100 mm, X2 150 mm, Y1 Y2 200 mm, Z 10 mm; travel
    // 1200 x 800 x 300 mm; resolution 1 step per 0.01 mm.
    const JogCase cases[] = {
        {JogKey::Left, true, true, true, {{0x00, -10000}, {0x04, -10000}}, 10000},
        {JogKey::Numpad6, true, true, true, {{0x00, 105000}, {0x04, 105000}}, 105000},
        {JogKey::Left, true, false, true, {{0x00, -10000}}, 10000},
        {JogKey::Left, false, true, true, {{0x04, -15000}}, 15000},
        {JogKey::Left, true, true, false, {{0x00, -120000}, {0x04, -120000}}, 120000},
        {JogKey::Up, true, true, true, {{0x01, 60000}, {0x05, 60000}}, 60000},
        {JogKey::Numpad2, true, true, true, {{0x01, -20000}, {0x05, -20000}}, 20000},
        {JogKey::Numpad1, true, true, false, {{0x00, -10000}, {0x04, -10000}, {0x01, -20000}, {0x05, -20000}}, 22361},
        {JogKey::F7, true, true, true, {{0x03, -1000}}, 1000},
        {JogKey::F8, true, true, false, {{0x03, 30000}}, 30000},
        {JogKey::PageUp, false, false, true, {{0x06, -80000}}, 80000},
        {JogKey::Period, false, false, true, {{0x02, 80000}}, 80000},
    };
    for (const JogCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " front " << c.front << " back " << c.back << " homed " << c.homed);
        MotionRig rig;
        rig.machine->setRawPosition(Axis::X1, 10000);
        rig.machine->setRawPosition(Axis::X2, 15000);
        rig.machine->setRawPosition(Axis::Y1, 20000);
        rig.machine->setRawPosition(Axis::Y2, 20000);
        rig.machine->setRawPosition(Axis::Z, 1000);
        rig.machine->setHomed(c.homed);
        rig.ploter->ReadPositions();
        ASSERT_TRUE(rig.ploter->JogByKey(c.key, c.front, c.back));
        EXPECT_EQ(rig.takeCommands(), concat({{heatOn}, move('A', 2, c.axes, c.steps)}));
    }
}

TEST(Jog, SpindleModelsTurnTheSpindleForTheRotaryKeys)
{
    MotionRig rig;
    rig.state.plot.machineName = "PQ45";
    ASSERT_TRUE(rig.ploter->JogByKey(JogKey::Comma, true, true));
    EXPECT_EQ(rig.takeCommands(), concat({{heatOn}, move('A', 2, {{0x06, -80000}}, 80000)}));
    EXPECT_TRUE(rig.state.rotaryMoved);
}

TEST(Jog, TwoArmsKeepTenMillimetres)
{
    MotionRig rig;
    rig.state.plot.machineName = "Q7";
    rig.machine->setRawPosition(Axis::Y1, 5000);
    rig.machine->setRawPosition(Axis::Y2, 2000);
    rig.machine->setHomed(true);
    rig.ploter->ReadPositions();
    ASSERT_TRUE(rig.ploter->JogByKeyTwoArms(JogKey::Down, true, false));
    EXPECT_EQ(rig.takeCommands(),
              concat({{heatOn, bytes({'S', 4, 0, 0, 0, 0})}, move('A', 2, {{0x01, -2000}}, 2000)}));

    MotionRig back;
    back.state.plot.machineName = "Q7";
    back.machine->setRawPosition(Axis::Y1, 5000);
    back.machine->setRawPosition(Axis::Y2, 2000);
    back.machine->setHomed(true);
    back.ploter->ReadPositions();
    ASSERT_TRUE(back.ploter->JogByKeyTwoArms(JogKey::Up, false, true));
    EXPECT_EQ(back.takeCommands(),
              concat({{heatOn, bytes({'S', 4, 5, 0, 0, 0})}, move('A', 2, {{0x05, 2000}}, 2000)}));
}

} // namespace
