#include "machine/machinekeys.h"
#include "machine/machinesession.h"
#include "machine/movewire.h"
#include "machine/sterowanie.h"
#include "simfixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct RecordingJobControl : PanelJobControl
{
    void start() override { calls.push_back("start"); }
    void pause() override { calls.push_back("pause"); }
    void continueJob() override { calls.push_back("continue"); }
    void restartJob() override { calls.push_back("restart"); }
    void refreshMenus() override { calls.push_back("menus"); }
    std::optional<NextPass> nextPass() override { return next; }
    void startNextPass() override { calls.push_back("nextPass"); }

    std::vector<std::string> calls;
    std::optional<NextPass> next;
};

struct PanelRig : SimRig
{
    explicit PanelRig(SimulatedMachineConfig config = {}, QStringList parameters = {})
        : SimRig(std::move(config), std::move(parameters))
        , panel(*ploter, jobControl)
    {
        ploter->setWaitLimitMs(5000);
        ploter->ReadMachineInfo();
        takeCommands();
    }

    // Queues a job of pauses and lets it run.
    void runJob(int commands = 400)
    {
        for (int i = 0; i < commands; ++i)
            link->Write(bytes({'p', 1}));
        link->Write(QByteArrayLiteral("G"));
        state.jobStarted = true;
        takeCommands();
    }

    RecordingJobControl jobControl;
    Tster panel;
};

QByteArray moveRecord(int tag, std::int32_t value)
{
    return record('A', tag, value);
}

TEST(Panel, GotoPointTakesTheShorterWayRound)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::S, 7900);
    PanelTarget target;
    target.s = 100;
    ASSERT_TRUE(rig.panel.gotopoint(true, 2, target));
    const auto sent = rig.takeCommands();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], bytes({'F', 2}));
    EXPECT_EQ(sent[1], bytes({'F', 2}));
    EXPECT_EQ(sent[3], moveRecord(0x02, 200)) << "+200, not -7800";
    EXPECT_EQ(rig.machine->rawPosition(Axis::S), 8100);
}

TEST(Panel, GotoPointLowersZBeforeTheWireTravels)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::Z, 5000);
    PanelTarget target;
    target.x1 = target.x2 = 100;
    target.z = 20;
    ASSERT_TRUE(rig.panel.gotopoint(true, 0, target));
    const auto sent = rig.takeCommands();
    const std::vector<QByteArray> expected = {
        bytes({'F', 0}), moveRecord(0xFF, 0), moveRecord(0x03, -5000), moveRecord(0xFE, 10000),
        bytes({'F', 0}), moveRecord(0xFF, 0), moveRecord(0x00, 10000), moveRecord(0x04, 10000),
        moveRecord(0x03, 2000), moveRecord(0xFE, 20396)};
    EXPECT_EQ(sent, expected);
}

TEST(Panel, GotoPointIsRefusedWhileAJobRuns)
{
    PanelRig rig;
    rig.runJob();
    PanelTarget target;
    target.x1 = 10;
    EXPECT_FALSE(rig.panel.gotopoint(true, 0, target));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "nieMoznaPrzesuwac");
    EXPECT_EQ(rig.messages[0].caption, "Goto point");
    EXPECT_TRUE(rig.takeCommands().empty());
}

TEST(Panel, PauseOfAJobSavesThePausePoint)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::X1, 1234);
    rig.runJob();
    ASSERT_TRUE(rig.panel.wstrzymaj());
    EXPECT_EQ(rig.takeCommands(),
              (std::vector<QByteArray>{bytes({'Q'}), bytes({'R', 0, 2}), bytes({'F', 2})}));
    EXPECT_EQ(rig.panel.pausePoint()[0], 1234);
    EXPECT_FALSE(rig.state.jobStarted);
}

TEST(Panel, PauseOfAPlainMoveStopsIt)
{
    PanelRig rig;
    rig.ploter->sendMove({.x1 = 100000});
    rig.takeCommands();
    ASSERT_TRUE(rig.panel.wstrzymaj());
    EXPECT_EQ(rig.takeCommands(),
              (std::vector<QByteArray>{bytes({'Y'}), bytes({'R', 0, 2}), bytes({'F', 2})}));
    EXPECT_TRUE(rig.panel.stoppedByUser());
}

TEST(Panel, PauseNeverHangs)
{
    // Regression: the waits for the paused flag and for idle axes had no
    // end, so a controller that never reported them froze the program.
    PanelRig rig;
    rig.runJob();
    rig.machine->setEndlessBusy(true);
    const auto start = rig.clock.nowMs();
    rig.panel.wstrzymaj();
    EXPECT_LT(rig.clock.nowMs() - start, 120000);

    PanelRig lost;
    lost.runJob();
    lost.machine->setEndlessBusy(true);
    lost.clock.setSleepHook([&](std::int64_t) { lost.machine->failReads(1000000); });
    const auto lostStart = lost.clock.nowMs();
    lost.panel.wstrzymaj();
    EXPECT_LT(lost.clock.nowMs() - lostStart, 100) << "a lost link ends the waits at once";
}

TEST(Panel, ContinueReturnsToThePausePointAndResumes)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::X1, 3000);
    rig.runJob();
    ASSERT_TRUE(rig.panel.wstrzymaj());
    rig.machine->setRawPosition(Axis::X1, 1000); // the user moved the wire meanwhile
    rig.takeCommands();
    rig.panel.kontynuuj();
    const auto sent = rig.takeCommands();
    const std::vector<QByteArray> expected = {
        bytes({'F', 1}), bytes({'R', 1, 1}),
        bytes({'F', 1}), bytes({'F', 1}), moveRecord(0xFF, 0), moveRecord(0x00, 2000), moveRecord(0xFE, 4000),
        bytes({'F', 1}), bytes({'R', 1, 1}), bytes({'K'}), bytes({'R', 1, 1})};
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(rig.state.jobStarted);
    EXPECT_TRUE(rig.machine->jobRunning());
}

TEST(Panel, ContinueWithHeatingToRestoreSendsOnlyGo)
{
    PanelRig rig;
    rig.runJob();
    rig.state.jobStarted = false;
    rig.machine->setRestoreHeating(true);
    rig.panel.kontynuuj();
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray>{bytes({'G'})}));
    EXPECT_FALSE(rig.state.jobStarted) << "the flag is not touched";

    PanelRig lj({}, {"MachineName'LJ1'"});
    Settings settings = lj.ploter->settings();
    settings.work_power = 40;
    lj.ploter->setSettings(settings);
    lj.runJob();
    lj.machine->setRestoreHeating(true);
    lj.panel.kontynuuj();
    const auto sent = lj.takeCommands();
    ASSERT_EQ(sent.size(), 3u + 2 * 10 + 1);
    EXPECT_EQ(sent[sent.size() - 3], bytes({'T', 2, 102})) << "40 % of 255";
    EXPECT_EQ(sent.back(), bytes({'G'}));
}

TEST(Panel, MayMoveChecksTheArmsOnShapedWireMachines)
{
    PanelRig rig({}, {"MachineName'Vq4800'"});
    Settings settings = rig.ploter->settings();
    settings.PowerOutput = 1;
    rig.ploter->setSettings(settings);
    EXPECT_TRUE(rig.panel.MoznaRuszac());
    rig.state.plot.X2 = 5;
    EXPECT_FALSE(rig.panel.MoznaRuszac());
    EXPECT_EQ(rig.messages.back().key, "ruchRamionZabronionyRozneXY");
    EXPECT_EQ(rig.messages.back().detailKey, "wyrownajRamionaIJeszczeRaz");
    rig.state.plot.X2 = 0;
    rig.panel.setKeyBack(false);
    EXPECT_FALSE(rig.panel.MoznaRuszac());
    EXPECT_EQ(rig.messages.back().key, "ruch1goRamieniaZabroniony");
}

TEST(Homing, MasksPerFamily)
{
    const struct
    {
        const char *name;
        std::vector<QByteArray> expected;
    } cases[] = {
        {"bn45", {bytes({'B', 8}), bytes({'B', 1}), bytes({'B', 2}), bytes({'B', 0x40}), bytes({'Y'})}},
        {"Vq4800", {bytes({'B', 17}), bytes({'B', 34})}},
        {"Q7", {bytes({'B', 17}), bytes({'B', 34})}},
        {"lj2000", {bytes({'B', 17}), bytes({'B', 34})}},
        // Fault mended: the family was compared in one case only.
        {"LJ2000", {bytes({'B', 17}), bytes({'B', 34})}},
        {"BN45", {bytes({'B', 8}), bytes({'B', 1}), bytes({'B', 2}), bytes({'B', 0x40}), bytes({'Y'})}},
        {"GZ500", {bytes({'B', 1}), bytes({'B', 2})}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PanelRig rig({}, {QStringLiteral("MachineName'%1'").arg(c.name)});
        rig.machine->setRawPosition(Axis::X1, 30000);
        rig.machine->setRawPosition(Axis::Y1, 20000);
        rig.panel.bazuj();
        EXPECT_EQ(rig.takeCommands(), c.expected);
        EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 0);
        EXPECT_TRUE(rig.machine->flags() & StatusFlag::Homed);
    }
}

// The simulated "bn45" homed its X and Y drives for wire end 1 alone: the
// panel showed wire end 2 where it stood before until a later move.
TEST(Homing, OneDrivePerAxisBringsBothWireEndsHome)
{
    PanelRig rig;
    for (const int axis : {Axis::X1, Axis::X2})
        rig.machine->setRawPosition(axis, 30000);
    for (const int axis : {Axis::Y1, Axis::Y2})
        rig.machine->setRawPosition(axis, 20000);
    rig.panel.bazuj();
    rig.panel.setDisplayWanted(true);
    rig.panel.poll();
    const tplotstate &shown = rig.panel.view().plot;
    EXPECT_EQ((std::array {shown.X1, shown.Y1, shown.X2, shown.Y2}), (std::array {0, 0, 0, 0}));
}

TEST(Homing, AKeyPressStopsItAndLaterStepsOnlyStop)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::Z, 30000);
    rig.clock.setSleepHook([&](std::int64_t now) {
        if (now > 150)
            rig.panel.requestStop();
    });
    rig.panel.bazuj();
    rig.clock.setSleepHook({});
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray>{bytes({'B', 8}), bytes({'Y'}), bytes({'Y'}), bytes({'Y'}),
                                                           bytes({'Y'}), bytes({'Y'})}));
}

TEST(Homing, RefusedWhileMoving)
{
    PanelRig rig;
    rig.ploter->sendMove({.x1 = 100000});
    rig.takeCommands();
    rig.panel.bazuj();
    EXPECT_EQ(rig.messages.back().key, "ploterBazowanieNiemozliwe");
    EXPECT_TRUE(rig.takeCommands().empty());
}

TEST(Poll, MachinePauseButtonCallsPauseOncePerReport)
{
    PanelRig rig;
    rig.machine->pressButton(SimulatedMachine::Button::Pause);
    EXPECT_EQ(rig.panel.poll(), 100);
    EXPECT_EQ(rig.jobControl.calls, (std::vector<std::string>{"pause"}));
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray>{bytes({'Y'})}));
    rig.panel.poll();
    EXPECT_EQ(rig.jobControl.calls.size(), 1u) << "the button was answered";
    rig.machine->pressButton(SimulatedMachine::Button::Start);
    rig.panel.poll();
    EXPECT_EQ(rig.jobControl.calls.back(), "start");
    rig.machine->pressButton(SimulatedMachine::Button::Continue);
    rig.panel.poll();
    EXPECT_EQ(rig.jobControl.calls.back(), "start") << "continue only while paused";
}

TEST(Poll, JobEndIsSeenOnlyAfterGo)
{
    PanelRig rig;
    rig.panel.poll();
    EXPECT_TRUE(rig.jobControl.calls.empty()) << "no job was started";
    rig.runJob(10);
    rig.panel.poll();
    EXPECT_TRUE(rig.jobControl.calls.empty()) << "still running";
    rig.clock.advance(1000);
    rig.panel.poll();
    EXPECT_EQ(rig.jobControl.calls, (std::vector<std::string>{"menus"}));
    EXPECT_FALSE(rig.state.jobStarted);
}

TEST(Poll, RepeatRestartsAfterTenHeatUpTimes)
{
    PanelRig rig({}, {"REPEAT"});
    Settings settings = rig.ploter->settings();
    settings.CzasRozgrzewania = 150;
    rig.ploter->setSettings(settings);
    rig.runJob(10);
    rig.clock.advance(1000);
    const auto before = rig.clock.nowMs();
    rig.panel.poll();
    EXPECT_EQ(rig.clock.nowMs() - before, 1500);
    EXPECT_EQ(rig.jobControl.calls, (std::vector<std::string>{"restart", "menus"}));
}

TEST(Poll, FailedReadIsNoJobEnd)
{
    // Regression: zeros from a failed status read looked like a finished
    // job and started the follow-ups.
    PanelRig rig({}, {"REPEAT"});
    rig.runJob();
    rig.machine->shortReplies(2, 8);
    rig.panel.poll();
    EXPECT_TRUE(rig.jobControl.calls.empty());
    EXPECT_TRUE(rig.state.jobStarted);
}

TEST(Poll, LostLinkDuringAJobSwitchesTheHeatingOff)
{
    PanelRig rig;
    rig.link->Write(bytes({'R', 1, 2}));
    rig.runJob();
    rig.machine->failReads(10);
    EXPECT_EQ(rig.panel.poll(), 3000);
    EXPECT_FALSE(rig.machine->heatingOn(2));
    EXPECT_FALSE(rig.state.jobStarted);
}

TEST(Poll, DisplayShowsTheMachine)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::X1, 12345);
    rig.machine->setBrokenWire(true);
    PanelView seen;
    rig.panel.setViewHandler([&](const PanelView &v) { seen = v; });
    rig.panel.setDisplayWanted(true);
    rig.panel.poll();
    EXPECT_TRUE(seen.connected);
    EXPECT_EQ(seen.plot.X1, 12345);
    EXPECT_EQ(seen.wireStateKey, "zerwanyDrut");
    EXPECT_EQ(seen.speedCaptionKey, "szybkoscPrzestawcza");
}

// Fault mended: the speed and power bars kept the panel's own last values
// after the controller changed its speed mode and power.
TEST(Poll, SpeedAndPowerShowWhatTheControllerReports)
{
    PanelRig rig;
    ASSERT_TRUE(rig.panel.activate());
    rig.panel.setSpeed(1500);
    rig.panel.setPowerPosition(120);
    rig.link->Write(bytes({'F', 1}));
    rig.link->Write(rig.ploter->heatingPowerCommand(2, 55));
    PanelView seen;
    rig.panel.setViewHandler([&](const PanelView &v) { seen = v; });
    rig.panel.setDisplayWanted(true);
    rig.panel.poll();
    ASSERT_TRUE(rig.ploter->ReadSpeeds());
    EXPECT_EQ(seen.speed, rig.state.plot.speeds[1]);
    EXPECT_NE(seen.speed, 1500);
    EXPECT_EQ(seen.powerPosition, 55);
    EXPECT_EQ(rig.panel.speed(), seen.speed) << "the speed keys step from what the machine runs at";
}

// Fault mended: the two-pass follow-up and the serial repetition sent the
// period times wspV, so 1000 mm/min reached the controller as 250.
TEST(Panel, EverySpeedReachesTheControllerAsSet)
{
    PanelRig rig({}, {"MachineName'Q7'"});
    Settings settings = rig.ploter->settings();
    settings.Mode = 5;
    settings.PrzeSpeed = 1200;
    settings.szybkoscObrobki = 800;
    rig.ploter->setSettings(settings);
    rig.panel.setKeyFront(true);
    rig.panel.setSpeed(1000);
    ASSERT_TRUE(rig.ploter->ReadSpeeds());
    EXPECT_EQ(rig.state.plot.speeds[rig.state.plot.speedMode], 1000);

    rig.jobControl.next = PanelJobControl::NextPass {100, 50, 20};
    rig.state.jobStarted = true;
    rig.panel.poll();
    ASSERT_EQ(rig.jobControl.calls.front(), "nextPass");
    // The controller's speeds come in steps of its period: within 1 %.
    ASSERT_TRUE(rig.ploter->ReadSpeeds());
    EXPECT_NEAR(rig.state.plot.speeds[0], 1200, 12);

    rig.panel.setSerialRepetition(1, 10, 100, 50, 0);
    rig.panel.poll();
    ASSERT_TRUE(rig.ploter->ReadSpeeds());
    EXPECT_NEAR(rig.state.plot.speeds[1], 800, 8);
}

TEST(Keys, JogStartsOnPressAndStopsOnRelease)
{
    PanelRig rig;
    rig.panel.keyPressed(JogKey::Right, false);
    EXPECT_TRUE(rig.panel.jogInProgress());
    rig.panel.keyPressed(JogKey::Right, false); // held: no second jog
    rig.clock.advance(50);
    rig.panel.keyReleased(JogKey::Right, false);
    const auto sent = rig.takeCommands();
    ASSERT_EQ(sent.size(), 1u + 4 + 1);
    EXPECT_EQ(sent[0], bytes({'R', 1, 2}));
    EXPECT_EQ(sent[2], moveRecord(0x00, 120000));
    EXPECT_EQ(sent.back(), bytes({'Y'}));
    EXPECT_FALSE(rig.panel.jogInProgress());
    EXPECT_GT(rig.machine->rawPosition(Axis::X1), 0);
    EXPECT_LT(rig.machine->rawPosition(Axis::X1), 120000);
}

TEST(Keys, AJogButtonWithoutAMachineSaysSo)
{
    SimRig rig({}, {}, false);
    NoJobControl jobControl;
    Tster panel(*rig.ploter, jobControl);
    panel.jogButtonPressed(JogKey::Numpad6);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "ploterBrakLacznosci");
    EXPECT_FALSE(panel.jogInProgress());
}

// Fault mended: the Z and table keys (and their buttons) did nothing.
TEST(Keys, ZAndTableKeysJogUntilReleased)
{
    const struct
    {
        int key;
        int axis;
        int sign;
    } cases[] = {{JogKey::F7, Axis::Z, -1},
                 {JogKey::F8, Axis::Z, 1},
                 {JogKey::Comma, Axis::S, -1},
                 {JogKey::Period, Axis::S, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        PanelRig rig;
        rig.machine->setRawPosition(Axis::Z, 20000);
        const std::int32_t start = rig.machine->rawPosition(c.axis);
        rig.panel.keyPressed(c.key, false);
        EXPECT_TRUE(rig.panel.jogInProgress());
        rig.clock.advance(50);
        rig.panel.keyReleased(c.key, false);
        EXPECT_EQ(rig.takeCommands().back(), bytes({'Y'}));
        const std::int32_t stopped = rig.machine->rawPosition(c.axis);
        EXPECT_GT((stopped - start) * c.sign, 0);
        rig.clock.advance(1000);
        EXPECT_EQ(rig.machine->rawPosition(c.axis), stopped) << "the release stopped it";
        EXPECT_FALSE(rig.panel.jogInProgress());
    }
}

TEST(Keys, FocusLossStopsAHeldJog)
{
    PanelRig rig;
    rig.panel.keyPressed(JogKey::Up, false);
    rig.takeCommands();
    rig.panel.focusLost();
    EXPECT_EQ(rig.takeCommands(), (std::vector<QByteArray>{bytes({'Y'})}));
}

TEST(Keys, SpeedStepsAndCtrlSlowsDown)
{
    PanelRig rig;
    rig.panel.setSpeed(1500);
    rig.panel.stepSpeed(1);
    EXPECT_EQ(rig.panel.speed(), 1600);
    rig.panel.setSpeed(15);
    rig.panel.stepSpeed(-1);
    EXPECT_EQ(rig.panel.speed(), 14);
    rig.panel.stepSpeed(-1);
    rig.panel.stepSpeed(-1);
    rig.panel.stepSpeed(-1);
    rig.panel.stepSpeed(-1);
    rig.panel.stepSpeed(-1);
    EXPECT_EQ(rig.panel.speed(), 10) << "never below 10";
    rig.panel.setSpeed(1000);
    rig.panel.keyPressed(JogKey::Left, true);
    EXPECT_EQ(rig.panel.speed(), 100);
    rig.panel.keyReleased(JogKey::Left, false);
    EXPECT_EQ(rig.panel.speed(), 1000);
}

TEST(Joystick, Thresholds)
{
    const struct
    {
        int x, y;
        unsigned buttons;
        int direction;
        int key;
    } cases[] = {
        {32768, 32768, 0, 0, 0},
        {37768, 32768, 0, 0, 0},
        {37769, 32768, 0, 1, JogKey::Numpad6},
        {27767, 32768, 0, -1, JogKey::Numpad4},
        {27768, 32768, 0, 0, 0},
        {32768, 40000, 0, -4, JogKey::Numpad2},
        {32768, 20000, 0, 4, JogKey::Numpad8},
        {0, 65535, 0, -5, JogKey::Numpad1},
        {65535, 65535, 0, -3, JogKey::Numpad3},
        {0, 0, 0, 3, JogKey::Numpad7},
        {65535, 0, 0, 5, JogKey::Numpad9},
        {65535, 0, 1u << 3, 8, JogKey::PageUp},
        {32768, 32768, 1u << 2, -8, JogKey::PageDown},
        {0, 0, 1u << 0, 16, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " " << c.y << " " << c.buttons);
        EXPECT_EQ(joystickDirection({c.x, c.y, c.buttons}), c.direction);
        EXPECT_EQ(joystickJogKey(c.direction), c.key);
    }
}

TEST(Joystick, DirectionChangesJogAndStop)
{
    PanelRig rig;
    rig.panel.setJoystick(JoystickState{65535, 32768, 0});
    rig.panel.poll();
    auto sent = rig.takeCommands();
    ASSERT_FALSE(sent.empty());
    EXPECT_NE(std::find(sent.begin(), sent.end(), moveRecord(0x00, 120000)), sent.end());
    rig.panel.setJoystick(JoystickState{});
    rig.panel.poll();
    sent = rig.takeCommands();
    EXPECT_EQ(sent.front(), bytes({'Y'}));
}

TEST(Activation, NewProtocolSetsThePowerFactor)
{
    SimulatedMachineConfig config;
    config.firmwareMajor = 4;
    PanelRig rig(config);
    ASSERT_TRUE(rig.panel.activate());
    EXPECT_EQ(rig.state.powerFactor, 100);
    EXPECT_TRUE(rig.ploter->IsNewProtocol());
}

} // namespace

namespace {

TEST(Activation, PanelSetUpFollowsTheMachine)
{
    const struct
    {
        QStringList parameters;
        int firmware;
        int powerMax;
        int small, large;
        bool lj, showArms, showTable, showTension;
    } cases[] = {
        {{}, 3, 300, 1, 10, false, false, false, false},                       // bn45
        {{}, 4, 30000, 10, 100, false, false, false, false},                   // new protocol
        {{"MachineName'PQ45'"}, 3, 10, 1, 10, false, false, false, false},     // minimum power limit
        {{"MachineName'LJ1'"}, 3, 100, 1, 10, true, false, true, false},
        {{"MachineName'Vq4800'"}, 3, 300, 1, 10, false, true, true, true},
        {{"MachineName'Zf1'", "TEST"}, 3, 300, 1, 10, false, true, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.parameters.join(' ').toStdString() + " fw " + std::to_string(c.firmware));
        SimulatedMachineConfig config;
        config.firmwareMajor = static_cast<std::uint8_t>(c.firmware);
        PanelRig rig(config, c.parameters);
        ASSERT_TRUE(rig.panel.activate());
        const PanelView &v = rig.panel.view();
        EXPECT_EQ(v.powerMax, c.powerMax);
        EXPECT_EQ(v.powerSmallStep, c.small);
        EXPECT_EQ(v.powerLargeStep, c.large);
        EXPECT_EQ(v.lj, c.lj);
        EXPECT_EQ(v.showArms, c.showArms);
        EXPECT_EQ(v.showTable, c.showTable);
        EXPECT_EQ(v.showTension, c.showTension);
        EXPECT_EQ(v.firmware, QString::number(c.firmware) + ".5");
    }
}

TEST(Panel, MinimumPowerIsRaisedOnOldFirmware)
{
    SimulatedMachineConfig oldFirmware;
    oldFirmware.firmwareMinor = 4; // 3.4, below 3.5
    PanelRig rig(oldFirmware, {"MachineName'R45'"});
    rig.panel.setPowerPosition(3);
    EXPECT_EQ(rig.panel.powerPosition(), 8);
    EXPECT_EQ(rig.machine->power(2), 8);
    PanelRig full(oldFirmware, {"MachineName'R45'", "fullPower"});
    full.panel.setPowerPosition(3);
    EXPECT_EQ(full.panel.powerPosition(), 3);
}

TEST(Panel, ParkBackArmDropsWireEndTwo)
{
    PanelRig rig;
    rig.machine->setRawPosition(Axis::X1, 5000);
    rig.machine->setRawPosition(Axis::X2, 3000);
    rig.machine->setRawPosition(Axis::Y2, 2000);
    rig.panel.ParkBackArm();
    EXPECT_EQ(rig.machine->rawPosition(Axis::X2), 0);
    EXPECT_EQ(rig.machine->rawPosition(Axis::Y2), -1000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 5000) << "wire end 1 stays";
}

TEST(Panel, AlignBackToFrontOnVq)
{
    PanelRig rig({}, {"MachineName'Vq4800'"});
    rig.machine->setRawPosition(Axis::X1, 5000);
    rig.machine->setRawPosition(Axis::Y1, 7000);
    rig.panel.alignBackToFront();
    rig.clock.advance(10000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X2), 5000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::Y2), 7000);
}

// Fault mended: with no machine at start-up the panel's creation was
// skipped: "brakPlotera" never showed, and a machine plugged in later got no
// power output and kept both wires of a two-wire machine ticked.
TEST(Session, AMachinePluggedInLaterGetsTheStartUpSetUp)
{
    SimulatedHidBackend *bus = nullptr;
    Settings settings;
    settings.PowerOutput = 1;
    settings.Pauza_w_kacie = 0;
    settings.CzasRozgrzewania = 0;
    MachineSession session(
        [&bus](MachineClock &clock) {
            auto backend = std::make_unique<SimulatedHidBackend>(clock);
            bus = backend.get();
            return backend;
        },
        std::make_unique<VirtualMachineClock>(), CommandLine({"MachineName'Q7'"}), settings);
    std::vector<QString> shown;
    QObject::connect(&session, &MachineSession::message,
                     [&shown](const MachineMessage &m) { shown.push_back(m.key); });
    PanelView view;
    QObject::connect(&session, &MachineSession::viewChanged, [&view](const PanelView &v) { view = v; });
    session.open();
    EXPECT_EQ(shown, std::vector<QString> {"brakPlotera"});

    const std::shared_ptr<SimulatedMachine> machine = bus->plugMachine();
    const std::vector<QByteArray> &sent = machine->commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), bytes({'S', 4, 1, 0, 0, 0})), sent.end())
        << "S 4 with the power output";
    EXPECT_TRUE(session.panel()->keyFront());
    EXPECT_FALSE(session.panel()->keyBack());
    EXPECT_TRUE(view.keyFront);
    EXPECT_FALSE(view.keyBack) << "the window shows the front wire alone";
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace

namespace {

// The simulated controller moves as a machine does: at the speed it was
// given, never past the end of an axis, and a job takes the time its moves
// and pauses take.
TEST(SimulatedController, JogRunsAtItsSpeedAndStopsAtTheTravelWithTheLimitFlag)
{
    const struct
    {
        double resX;
        int speed; // mm/min
        std::int32_t steps; // after 10 s
    } cases[] = {{1.0, 1000, 16667}, {2.5, 600, 25000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.speed);
        SimulatedMachineConfig config;
        config.resX = static_cast<std::int64_t>(c.resX * 16777216);
        PanelRig rig(config);
        rig.panel.setSpeed(c.speed);
        rig.panel.keyPressed(JogKey::Right, false);
        rig.clock.advance(5000);
        ASSERT_TRUE(rig.ploter->ReadSpeeds());
        EXPECT_NEAR(rig.state.plot.speeds[4], c.speed, 2) << "the fifth speed is the one it moves at";
        ASSERT_TRUE(rig.ploter->ReadPositions());
        EXPECT_NEAR(rig.state.plot.raw[Axis::X1], c.steps / 2, 1) << "half way after half the time";
        rig.clock.advance(5000);
        rig.panel.keyReleased(JogKey::Right, false);
        EXPECT_NEAR(rig.machine->rawPosition(Axis::X1), c.steps, 1);
        EXPECT_FALSE(rig.machine->flags() & StatusFlag::TravelLimit);
    }

    // The program believes in 4800 mm of travel; the machine has 1200.
    PanelRig rig({}, {"limitX'4800'"});
    rig.machine->setRawPosition(Axis::X1, 100000);
    rig.machine->setRawPosition(Axis::X2, 100000);
    rig.panel.setSpeed(2000);
    rig.panel.keyPressed(JogKey::Right, false);
    rig.clock.advance(5990);
    EXPECT_TRUE(rig.machine->flags() & StatusFlag::Moving) << "200 mm at 2000 mm/min take 6 s";
    rig.clock.advance(60000);
    const std::uint32_t flags = rig.machine->flags();
    EXPECT_FALSE(flags & StatusFlag::Moving);
    EXPECT_TRUE(flags & StatusFlag::TravelLimit);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 120000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X2), 120000);
    rig.panel.keyReleased(JogKey::Right, false);
    rig.panel.keyPressed(JogKey::Left, false);
    EXPECT_FALSE(rig.machine->flags() & StatusFlag::TravelLimit) << "moving away clears it";
    rig.panel.keyReleased(JogKey::Left, false);
}

TEST(SimulatedController, JobTakesTheTimeOfItsMovesAndAPauseHoldsItWhereItIs)
{
    PanelRig rig;
    // 600 mm/min in the working mode, three moves of 100 mm (10 s each) and
    // a pause of 250 ms.
    const std::uint16_t period = rig.ploter->speedPeriod(600);
    rig.link->Write(bytes({'v', 1, period & 0xFF, period >> 8}));
    rig.link->Write(bytes({'f', 1}));
    for (int i = 0; i < 3; ++i) {
        for (const QByteArray &r : {record('a', 0xFF, 0), record('a', 0x00, 10000), record('a', 0xFE, 20000)})
            rig.link->Write(r);
    }
    rig.link->Write(bytes({'p', 250}));
    rig.link->Write(QByteArrayLiteral("G"));
    rig.clock.advance(15000);
    EXPECT_NEAR(rig.machine->rawPosition(Axis::X1), 15000, 2);
    EXPECT_TRUE(rig.machine->flags() & StatusFlag::JobRunning);

    rig.link->Write(QByteArrayLiteral("Q"));
    rig.clock.advance(10000);
    const std::uint32_t paused = rig.machine->flags();
    EXPECT_TRUE(paused & StatusFlag::JobPaused);
    EXPECT_FALSE(paused & (StatusFlag::Moving | StatusFlag::JobRunning));
    EXPECT_NEAR(rig.machine->rawPosition(Axis::X1), 15000, 2) << "the pause holds the wire";

    rig.link->Write(QByteArrayLiteral("K"));
    rig.clock.advance(15000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 30000) << "the broken-off move ends after the pause";
    EXPECT_TRUE(rig.machine->flags() & StatusFlag::JobRunning) << "the last pause still runs";
    rig.clock.advance(300 + rig.machine->config().jobIdleEndMs);
    EXPECT_FALSE(rig.machine->flags() & StatusFlag::JobRunning);
}

// "Wire heating off" left the power output that heated the wire on: the
// lamp stayed lit after every job and pause, and the heat button could not
// put it out.
TEST(SimulatedController, WireHeatingOffPutsOutWhicheverChannelHeatedTheWire)
{
    for (const int channel : {1, 3}) {
        SCOPED_TRACE(channel);
        PanelRig rig;
        auto lit = [&rig] { return (rig.machine->flags() & StatusFlag::HeatingOn) != 0; };
        rig.link->Write(bytes({'r', 1, channel}));
        rig.runJob();
        ASSERT_TRUE(lit());
        ASSERT_TRUE(rig.panel.wstrzymaj());
        EXPECT_FALSE(lit()) << "paused";

        rig.link->Write(bytes({'R', 1, channel}));
        std::atomic<bool> stop {true};
        Tprzesun(*rig.ploter, rig.panel, stop).TestGrzalkiClick();
        EXPECT_FALSE(lit()) << "after the heater test";

        rig.link->Write(bytes({'r', 1, channel}));
        rig.runJob(20);
        rig.link->Write(bytes({'r', 0, 2}));
        rig.clock.advance(2000);
        ASSERT_FALSE(rig.machine->jobRunning());
        EXPECT_FALSE(lit()) << "after the job";
        rig.panel.toggleHeating();
        EXPECT_TRUE(lit());
        rig.panel.toggleHeating();
        EXPECT_FALSE(lit()) << "the heat button puts it out";
    }
}

} // namespace

TEST(Homing, AwayFromTheOriginWithZUpDrivesHomeFirstWithoutComplaint)
{
    PanelRig rig({}, {QStringLiteral("MachineName'GZ500'")});
    rig.machine->setHomed(true);
    for (const int axis : {Axis::X1, Axis::X2})
        rig.machine->setRawPosition(axis, 30000);
    for (const int axis : {Axis::Y1, Axis::Y2})
        rig.machine->setRawPosition(axis, 20000);
    rig.machine->setRawPosition(Axis::Z, 5000);
    rig.panel.bazuj();
    EXPECT_TRUE(rig.messages.empty()) << rig.messages.front().key.toStdString();
    const std::vector<QByteArray> sent = rig.takeCommands();
    const auto firstHoming
        = std::find_if(sent.begin(), sent.end(), [](const QByteArray &c) { return c[0] == 'B'; });
    // Z down, then the wire to the origin, then homing.
    EXPECT_EQ(std::count(sent.begin(), firstHoming, moveRecord(0x03, -5000)), 1);
    EXPECT_EQ(std::count(sent.begin(), firstHoming, moveRecord(0x00, -30000)), 1);
    EXPECT_EQ(rig.machine->rawPosition(Axis::Z), 0);
}
