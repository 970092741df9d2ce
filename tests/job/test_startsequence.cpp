#include "recordingrig.h"

#include "app/mainframe.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace jobtest;
using job::JobMessage;
using job::StartSender;

namespace {

// The checks every window job runs first on a connected, homed machine
// (without the broken-wire test).
const Trace kChecks{"ReadStatus", "ReadMachineInfo", "V 00 3c 00", "ReadPositions"};
// The broken-wire test at 1.0 of power: "T" 1 10, heating on, 300 ms, off.
const Trace kWireTest{"ReadStatus", "T 01 0a", "R 01 01", "pause 300", "ReadStatus", "R 00 01"};
const Trace kPrepare{"Q", "pause 10", "WaitWhileBusy", "C", "pause 10"};

Trace join(std::initializer_list<Trace> parts)
{
    Trace all;
    for (const Trace &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(StartSequence, FlatStartWritesTheJobSendsTheOriginAndStartsTheTransmitter)
{
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    // 10001 and 5003 hundredths at 2.5 steps each: 25002.5 and 12507.5 go to
    // the even neighbours 25002 and 12508.
    rig.machine.state.resX = rig.machine.state.resY = 2.5;
    rig.machine.state.x1 = 10001;
    rig.machine.state.y1 = 5003;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));

    EXPECT_EQ(rig.trace, join({kChecks, kWireTest, {"write A flat type=32 turns=0.0000 dir=1 frame"}, kPrepare,
                               {"ReadStatus", "ReadPositions", "U aa 61 00 00 dc 30 00 00", "transmitter.start"}}));
    EXPECT_EQ(rig.machine.originX, 10001);
    EXPECT_EQ(rig.machine.originY, 5003);
    EXPECT_EQ(rig.jobFileBytes(), QByteArray("A>;"));
    EXPECT_EQ(rig.control().state().jobType, job::JobTypeFlat) << "the job type is restored after the write";
    EXPECT_EQ(a.feedSign, -1) << "alternate cutting turns the next start round";
    EXPECT_FALSE(rig.prompts.busy);
}

TEST(StartSequence, FlatStartOnLjRampsHeatingAndSkipsTheWireTest)
{
    Rig rig;
    rig.projects.add("A");
    rig.machine.state.ljFamily = true;
    rig.settings.workPower = 42.5; // rounds to the even 42
    rig.settings.catDir = 0;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks, {"write A flat type=32 turns=0.0000 dir=1 frame"}, kPrepare,
                               {"ReadStatus", "ReadPositions", "U 10 27 00 00 88 13 00 00", "RampHeating 1 42",
                                "transmitter.start"}}));
    EXPECT_EQ(rig.projects.order[0]->feedSign, 1) << "only alternate cutting turns the direction";
}

TEST(StartSequence, CrossToPointGoesToTheStopPositionFirst)
{
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    a.crossMaxCorner = {4000, 2000};
    rig.settings.crossToPoint = true;
    rig.settings.stopX = 60.5;
    rig.settings.stopY = 12.25;
    rig.settings.powerOutput = 1; // no wire test

    EXPECT_TRUE(rig.control().start(StartSender::ToolBar));
    EXPECT_EQ(rig.trace, join({kChecks, {"write A flat type=32 turns=0.0000 dir=1 frame"}, kPrepare,
                               {"ReadStatus", "goto w1 m0 X1=60.50 Y1=12.25", "ReadPositions",
                                "U 10 27 00 00 88 13 00 00", "transmitter.start"}}));
    EXPECT_DOUBLE_EQ(rig.control().state().stopX, 60.5);
}

// Fault mended: a machine pulled out and plugged back (perhaps restarted)
// while the start drove the wire to the stop position got the job all the
// same.
TEST(StartSequence, AMachineReconnectedDuringTheStartGetsNoJob)
{
    for (const bool reconnected : {true, false}) {
        SCOPED_TRACE(reconnected);
        Rig rig;
        FakeProject &a = rig.projects.add("A");
        a.crossMaxCorner = {4000, 2000};
        rig.settings.crossToPoint = true;
        rig.settings.powerOutput = 1;
        rig.machine.state.connection = 7;
        if (reconnected)
            rig.panel.onGoto = [&rig] { ++rig.machine.state.connection; };
        EXPECT_EQ(rig.control().start(StartSender::Menu), !reconnected);
        EXPECT_EQ(std::count(rig.trace.begin(), rig.trace.end(), "transmitter.start"), reconnected ? 0 : 1);
        if (reconnected) {
            EXPECT_EQ(rig.trace.back(), "msg Control/ploterBrakLacznosci");
            EXPECT_FALSE(rig.prompts.busy);
        } else {
            EXPECT_EQ(rig.transmitter.startedOn, 7u) << "the transmitter holds the start's connection";
        }
    }
}

TEST(StartSequence, RotaryAboutAHorizontalAxisApproachesAboveTheSpindle)
{
    Rig rig;
    rig.projects.add("A"); // 50 mm high, below the 250 mm material radius
    rig.settings.mode = job::ModeRotary;
    rig.settings.powerOutput = 1;
    rig.machine.state.y1 = 73000; // exactly at the spindle height of 730 mm
    rig.panel.spindle = 1234;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks, {"write A rotary type=31 turns=0.0000 dir=1"}, kPrepare,
                               {"ReadPositions", "ReadStatus", "F 00", "goto w1 m0 X1=12.00 Y1=980.00 W=1234",
                                "transmitter.start"}}));
    EXPECT_DOUBLE_EQ(rig.control().state().startEdgeY, 780.0);
    EXPECT_DOUBLE_EQ(rig.control().state().startApproachY, 980.0);
}

TEST(StartSequence, RotaryAboutAVerticalAxisLiftsThenApproachesTheTable)
{
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    a.horizontal = false;
    a.pp = {-2000, 0}; // the profile reaches 50 mm left of the axis
    rig.settings.mode = job::ModeRotary;
    rig.settings.powerOutput = 1;
    rig.machine.state.x2 = 20000;
    rig.panel.table = 77;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks, {"write A rotary type=311 turns=0.0000 dir=1"}, kPrepare,
                               {"ReadPositions", "ReadStatus", "F 00",
                                "goto w1 m0 X1=100.00 Y1=250.00 X2=200.00 Y2=250.00 S=77",
                                "goto w1 m0 X1=750.00 Y1=250.00 S=77", "transmitter.start"}}));
    EXPECT_DOUBLE_EQ(rig.control().state().startEdgeX, 950.0);
}

TEST(StartSequence, TurningOnTheSpindleAndOnTheTable)
{
    struct Case
    {
        int axis;
        Trace tail;
        std::string write;
    };
    const Case cases[] = {
        {job::AxisSpindle, {"ReadPositions", "ReadStatus", "goto w1 m0 X1=32.00 Y1=980.00 W=5", "transmitter.start"},
         "write A turningSpindle type=30 turns=0.0000 dir=1"},
        {job::AxisTable,
         {"ReadPositions", "ReadStatus", "goto w1 m0 X1=100.00 Y1=270.00 X2=200.00 Y2=270.00 S=7",
          "goto w1 m0 X1=750.00 Y1=270.00 S=7", "transmitter.start"},
         "write A turningTable type=301 turns=0.0000 dir=1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.axis);
        Rig rig;
        FakeProject &a = rig.projects.add("A");
        a.firstEntry = 20;
        rig.settings.mode = job::ModeTurning;
        rig.settings.rotaryAxis = c.axis;
        rig.settings.powerOutput = 1;
        rig.machine.state.x2 = 20000;
        rig.panel.table = 7;
        rig.panel.spindle = 5;

        EXPECT_TRUE(rig.control().start(StartSender::Menu));
        EXPECT_EQ(rig.trace, join({kChecks, {c.write}, kPrepare, c.tail}));
        EXPECT_FALSE(a.cutFrame);
    }
}

TEST(StartSequence, TurningWithoutAnAxisWritesAFlatJobAndStartsIt)
{
    // Fault mended: the flat job of turning without an axis was written and its
    // heating ramped, but it was never transmitted.
    Rig rig;
    rig.projects.add("A");
    rig.settings.mode = job::ModeTurning;
    rig.settings.rotaryAxis = job::AxisNone;
    rig.machine.state.ljFamily = true;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks, {"write A flat type=32 turns=0.0000 dir=1 frame"}, kPrepare,
                               {"ReadPositions", "ReadStatus", "RampHeating 3 1", "transmitter.start"}}));
}

// Regression: the start waited for the machine to come to rest after "Q"
// for as long as it stayed busy, under a dialog that cannot be closed, and
// then sent the new job to it all the same.
TEST(StartSequence, AMachineThatStaysBusyAfterThePauseGetsNoJob)
{
    for (const int mode : {job::ModeFlat, job::ModeSerial}) {
        SCOPED_TRACE(mode);
        Rig rig;
        rig.projects.add("A", 0);
        rig.settings.mode = mode;
        rig.machine.goesIdle = false;
        EXPECT_FALSE(rig.control().start(StartSender::Menu));
        EXPECT_EQ(rig.machine.lastWaitLimitMs, 60000);
        // Neither "C" nor anything after it: the refusal ends the start.
        const auto q = std::find(rig.trace.begin(), rig.trace.end(), "Q");
        ASSERT_NE(q, rig.trace.end());
        EXPECT_EQ(
            Trace(q, rig.trace.end()),
            mode == job::ModeFlat
                ? (Trace {"Q", "pause 10", "WaitWhileBusy", "ReadStatus", "msg Control/nieMoznaPrzesuwac"})
                : (Trace {"Q", "WaitWhileBusy", "ReadStatus", "msg Control/nieMoznaPrzesuwac"}));
        EXPECT_FALSE(rig.prompts.busy);
    }
}

TEST(StartSequence, SerialCutOnTheTableHeatsBesideTheMaterialAndJoinsThePasses)
{
    Rig rig;
    rig.projects.add("P0", 0);
    rig.projects.add("P1", 1);
    rig.settings.mode = job::ModeSerial;
    rig.settings.rotaryAxis = job::AxisTable;
    rig.panel.table = 9;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace,
              join({{"ReadStatus", "Q", "WaitWhileBusy", "C", "ReadPositions", "ReadStatus", "ReadPositions",
                     "V 00 3c 00", "F 00", "goto w1 m0 X1=750.00 Y1=250.00 S=9", "ReadStatus", "T 01 0a",
                     "ReadPowerInfo", "ToggleHeating", "pause 1000", "ReadPositions", "V 01 3c 00",
                     "goto w1 m1 X1=950.00 Y1=250.00 S=9", "ReadPowerInfo", "ToggleHeating"},
                    {"activate P0", "UstawKierunek P0 1"}, kChecks,
                    {"write P0 flat type=33 turns=0.2500 dir=1 frame"},
                    {"activate P1", "UstawKierunek P1 -1"}, kChecks,
                    {"write P1 flat type=33 turns=0.2500 dir=-1 frame", "transmitter.start",
                     // No repetitions asked for: none left from before either.
                     "SerialRepetition 0 0.00 250.00 950.00 9"}}));
    EXPECT_EQ(rig.jobFileBytes(), QByteArray("P0>;P1<;"));
    EXPECT_TRUE(rig.control().state().startOnTable);
    EXPECT_FALSE(QFile::exists(rig.jobFile() + "tmp"));
}

TEST(StartSequence, SerialCutOnTheSpindleAlternatesPassesInPassAndMdiOrder)
{
    Rig rig;
    rig.projects.add("A", 0);
    rig.projects.add("B", 2);
    rig.projects.add("C", 2);
    rig.settings.mode = job::ModeSerial;
    rig.settings.rotaryAxis = job::AxisSpindle;
    rig.machine.state.y1 = 72995; // 0.05 mm below the spindle is still at it
    rig.panel.table = 3;

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.jobFileBytes(), QByteArray("A>;B<;C>;"));
    const Trace approach{"ReadStatus", "Q", "WaitWhileBusy", "C", "ReadPositions", "ReadStatus", "ReadPositions",
                         "V 00 3c 00", "F 00", "goto w1 m0 X1=12.00 Y1=980.00 W=3"};
    EXPECT_EQ(Trace(rig.trace.begin(), rig.trace.begin() + approach.size()), approach);
    Trace writes;
    for (const std::string &line : rig.trace) {
        if (line.rfind("write", 0) == 0)
            writes.push_back(line);
    }
    EXPECT_EQ(writes, (Trace{"write A serialSpindle type=31 turns=0.3333 dir=1 frame",
                             "write B serialSpindle type=31 turns=0.3333 dir=-1 frame",
                             "write C serialSpindle type=31 turns=0.3333 dir=1 frame"}));
    // The first pass starts at the spindle's X and the approach height; each
    // next pass where the previous one ended.
    const auto &first = rig.projects.owned[0]->requests.at(0).start.passStartPosition;
    EXPECT_EQ(first[0], 1200);
    EXPECT_EQ(first[4], 1200);
    EXPECT_EQ(first[1], 98000);
    EXPECT_EQ(first[5], 98000);
    EXPECT_EQ(rig.projects.owned[1]->requests.at(0).start.passStartPosition[0], 1700);
    EXPECT_EQ(rig.projects.owned[2]->requests.at(0).start.passStartPosition[0], 2200);
    EXPECT_EQ(rig.control().state().passStartPosition[0], 2700);
    EXPECT_EQ(rig.projects.owned[1]->requests.at(0).windowCount, 3);
    EXPECT_EQ(rig.projects.owned[1]->requests.at(0).start.jobType, job::JobTypeRotaryHorizontal)
        << "the writer sees the job type of its pass";
    EXPECT_DOUBLE_EQ(rig.control().state().startEdgeX, 12.0) << "the last pass ran forward";
}

TEST(StartSequence, SerialDirectionFollowsCatDir)
{
    struct Case
    {
        int catDir;
        QByteArray file;
    };
    for (const Case &c : {Case{0, "A>;B>;"}, Case{1, "A<;B<;"}, Case{2, "A>;B<;"}}) {
        SCOPED_TRACE(c.catDir);
        Rig rig;
        rig.projects.add("A", 0);
        rig.projects.add("B", 1);
        rig.settings.mode = job::ModeSerial;
        rig.settings.rotaryAxis = job::AxisNone;
        rig.machine.state.y1 = 73000;
        rig.settings.catDir = c.catDir;
        EXPECT_TRUE(rig.control().start(StartSender::Menu));
        EXPECT_EQ(rig.jobFileBytes(), c.file);
    }
}

TEST(StartSequence, SerialAnglesFromTheDialog)
{
    Rig rig;
    rig.projects.add("A", 0);
    rig.projects.add("B", 1);
    rig.settings.mode = job::ModeSerial;
    rig.settings.rotaryAxis = job::AxisTable;
    rig.settings.anglePerPass = 1;

    // Cancel: nothing is moved or written.
    EXPECT_FALSE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "dialog serial"}));
    EXPECT_FALSE(rig.control().state().serialAnglesFromDialog);

    rig.trace.clear();
    rig.dialogs.serial = job::SerialCutChoice{{90, 45}, 3, 12.5};
    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_TRUE(rig.control().state().serialAnglesFromDialog);
    EXPECT_EQ(rig.control().state().serialRepetitions, 3);
    EXPECT_DOUBLE_EQ(rig.control().state().serialShift, 12.5);
    Trace writes;
    for (const std::string &line : rig.trace) {
        if (line.rfind("write", 0) == 0)
            writes.push_back(line);
    }
    EXPECT_EQ(writes, (Trace{"write A flat type=33 turns=0.2500 dir=1 frame",
                             "write B flat type=33 turns=0.1250 dir=-1 frame"}));
}

TEST(StartSequence, SerialStartRefusals)
{
    struct Case
    {
        const char *name;
        bool connected;
        std::uint8_t b2;
        std::int32_t y1;
        Trace trace;
    };
    const Case cases[] = {
        {"disconnected stops silently", false, 0x04, 73000, {"ReadStatus"}},
        {"not homed", true, 0x00, 73000, {"ReadStatus", "msg Control/wykonajBazowanie"}},
        {"wire below the spindle",
         true,
         0x04,
         72994,
         {"ReadStatus", "Q", "WaitWhileBusy", "C", "ReadPositions", "ReadStatus",
          "msg Main_window/ploterPonizejPunktuStart"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.projects.add("A", 0);
        rig.settings.mode = job::ModeSerial;
        rig.machine.state.connected = c.connected;
        rig.machine.state.status.b2 = c.b2;
        rig.machine.state.y1 = c.y1;
        EXPECT_FALSE(rig.control().start(StartSender::Menu));
        EXPECT_EQ(rig.trace, c.trace);
        EXPECT_FALSE(rig.transmitter.running);
        EXPECT_EQ(rig.projects.order[0]->feedSign, 1) << "a refused start keeps the direction";
    }
}

TEST(StartSequence, SerialPassThatFailsItsChecksAbortsTheWholeStart)
{
    // Fault mended: a refused pass appended the previous pass's job again and
    // the joined file was transmitted anyway.
    Rig rig;
    rig.projects.add("A", 0);
    rig.projects.add("B", 1).large = true;
    rig.settings.mode = job::ModeSerial;
    rig.settings.rotaryAxis = job::AxisTable;

    EXPECT_FALSE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.messageKeys(), (std::vector<std::string>{"projektZaDuzy"}));
    EXPECT_FALSE(rig.transmitter.running);
    EXPECT_FALSE(QFile::exists(rig.jobFile() + "tmp"));
}

TEST(StartSequence, SerialStartReplacesTheJobFileOnlyWithTheWholeJoinedJob)
{
    // Fault mended: every pass was written over "out.cn" while the passes were
    // joined, so a start stopped after its first pass left that pass alone
    // as the job; the joined file then took its place by erase and rename.
    for (const bool secondPassRefused : {true, false}) {
        SCOPED_TRACE(secondPassRefused);
        Rig rig;
        rig.projects.add("A", 0);
        rig.projects.add("B", 1).large = secondPassRefused;
        rig.settings.mode = job::ModeSerial;
        rig.settings.rotaryAxis = job::AxisTable;
        QFile old(rig.jobFile());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("OLD;");
        old.close();

        EXPECT_EQ(rig.control().start(StartSender::Menu), !secondPassRefused);
        EXPECT_EQ(rig.jobFileBytes(), secondPassRefused ? QByteArray("OLD;") : QByteArray("A>;B<;"));
        EXPECT_EQ(QDir(rig.dir.path()).entryList(QDir::Files), QStringList {"out.cn"})
            << "nothing left beside it";
    }
}

TEST(StartSequence, SerialCutWithNoPassToWriteIsRefused)
{
    // Fault mended: windows numbered above 9999 produced an empty job file
    // that was transmitted.
    Rig rig;
    rig.projects.add("A", 10000);
    rig.settings.mode = job::ModeSerial;

    EXPECT_FALSE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "msg Main_window/brakOknaProjektu"}));
}

TEST(StartSequence, FailedWriteIsNeverTransmitted)
{
    // Fault mended: the job file was transmitted even when writing it failed.
    Rig rig;
    rig.projects.add("A").writeFails = true;
    rig.settings.powerOutput = 1;

    EXPECT_FALSE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks, {"write A flat type=32 turns=0.0000 dir=1 frame", "msg Universal/zapisNieudany"}}));
    EXPECT_FALSE(rig.transmitter.running);
    EXPECT_EQ(rig.projects.order[0]->feedSign, 1);
}

TEST(StartSequence, NoProjectWindowIsRefusedWithAMessage)
{
    // Fault mended: with the windows closed a repeated start reached for the
    // active window that no longer existed.
    for (int mode : {job::ModeFlat, job::ModeSerial}) {
        SCOPED_TRACE(mode);
        Rig rig;
        rig.settings.mode = mode;
        EXPECT_FALSE(rig.control().startJob(StartSender::Repeat));
        EXPECT_EQ(rig.messageKeys(), (std::vector<std::string>{"brakOknaProjektu"}));
        EXPECT_FALSE(rig.transmitter.running);
    }
}

TEST(StartSequence, TestModeWritesTheJobAndSendsNothingToAnAbsentMachine)
{
    Rig rig;
    rig.projects.add("A");
    rig.testMode = true;
    rig.machine.state.connected = false;
    rig.machine.state.status.b2 = 0;

    EXPECT_FALSE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "write A flat type=32 turns=0.0000 dir=1 frame", "ReadStatus",
                                "msg Control/ploterBrakLacznosci"}));
    EXPECT_EQ(rig.jobFileBytes(), QByteArray("A>;"));
}

TEST(StartSequence, TestModeOnAConnectedMachineSkipsQAndC)
{
    Rig rig;
    rig.projects.add("A");
    rig.testMode = true;
    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "ReadMachineInfo", "V 00 3c 00",
                                "write A flat type=32 turns=0.0000 dir=1 frame", "ReadStatus", "ReadPositions",
                                "U 10 27 00 00 88 13 00 00", "transmitter.start"}));
}

TEST(StartSequence, PassCounterCountsRepeatsAndRestartsWithStart)
{
    Rig rig;
    rig.projects.add("A");
    rig.settings.powerOutput = 1;
    rig.control().start(StartSender::Menu);
    EXPECT_EQ(rig.prompts.passCounterShown, 1);
    rig.transmitter.running = false;
    rig.control().startJob(StartSender::Repeat);
    EXPECT_EQ(rig.prompts.passCounterShown, 2);
    rig.control().start(StartSender::MachineButton);
    EXPECT_EQ(rig.prompts.passCounterShown, 1);
}

TEST(StartSequence, IndependentModeAsksForTheMaterialFirst)
{
    Rig rig;
    // The merged window: the front and the back profile.
    rig.projects.add("A").figures.push_back({{0, 0}, {4000, 0}});
    rig.settings.mode = job::ModeIndependent;
    rig.machine.state.family = QStringLiteral("Vq");
    rig.machine.state.status.b2 = 0; // needs no homing
    rig.settings.powerOutput = 1;

    EXPECT_FALSE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks, {"ReadPositions", "dialog independent"}}));
    EXPECT_FALSE(rig.prompts.busy);

    rig.trace.clear();
    job::IndependentStartAnswer start;
    start.kind = job::IndependentStartAnswer::Kind::Start;
    rig.dialogs.independent = {start};
    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace, join({kChecks,
                               {"ReadPositions", "dialog independent",
                                "write A flat type=32 turns=0.0000 dir=1 frame"},
                               kPrepare,
                               {"ReadStatus", "ReadPositions", "U 10 27 00 00 88 13 00 00", "transmitter.start"}}));
}

TEST(StartSequence, PerpendicularStartTicksTheFrontWireAndAsksForStartPoints)
{
    Rig rig;
    rig.projects.add("Side", 1);
    rig.projects.add("Front", 0);
    rig.settings.mode = job::ModePerpendicular;
    rig.machine.state.family = QStringLiteral("Q7");
    rig.settings.powerOutput = 1;
    rig.dialogs.perpendicular = job::PerpendicularStart{100, 200, 30, 40};

    EXPECT_TRUE(rig.control().start(StartSender::Menu));
    EXPECT_EQ(rig.trace,
              join({{"KeyFront 1", "activate Front"}, kChecks,
                    {"dialog perpendicular", "V 00 3c 00", "F 00", "KeyFront 1", "MoveArms F 100.00 200.00",
                     "WaitWhileBusy", "msg Main_window/Q7UmiescMaterial",
                     "write Front flat type=32 turns=0.0000 dir=1 frame"},
                    kPrepare, {"ReadStatus", "ReadPositions", "U 10 27 00 00 88 13 00 00", "transmitter.start"}}));
    EXPECT_EQ(rig.prompts.messages[0].kind, JobMessage::Kind::Information);
    EXPECT_DOUBLE_EQ(rig.control().state().sideStartX, 30);
    EXPECT_DOUBLE_EQ(rig.control().state().frontStartY, 200);

    // The machine's own button starts the side pass without asking again.
    rig.panel.front = false;
    rig.projects.activate(rig.projects.order[1]);
    rig.trace.clear();
    rig.transmitter.running = false;
    EXPECT_TRUE(rig.control().start(StartSender::MachineButton));
    EXPECT_EQ(rig.trace[0], "ReadStatus");
    EXPECT_EQ(std::count(rig.trace.begin(), rig.trace.end(), "dialog perpendicular"), 0);
}

TEST(StartSequence, PauseAndContinueFollowThePanel)
{
    Rig rig;
    rig.control().pause();
    EXPECT_TRUE(rig.control().state().jobPaused);

    rig.panel.mayMoveAnswer = false;
    rig.control().continueJob();
    EXPECT_TRUE(rig.control().state().jobPaused) << "the panel refused the move";

    rig.panel.mayMoveAnswer = true;
    rig.control().continueJob();
    EXPECT_FALSE(rig.control().state().jobPaused);

    rig.panel.pauseSucceeds = false;
    rig.control().pause();
    EXPECT_FALSE(rig.control().state().jobPaused);
    EXPECT_EQ(rig.trace, (Trace{"wstrzymaj", "kontynuuj", "wstrzymaj"}));
    EXPECT_FALSE(rig.prompts.busy);
}

TEST(StartSequence, ClosingWhilePausedStopsTheTransmitter)
{
    Rig rig;
    job::JobCloseGuard guard(rig.transmitter, rig.control().state());
    EXPECT_TRUE(CloseQuery(&guard).allowed) << "no job";

    rig.transmitter.running = true;
    const CloseDecision streaming = CloseQuery(&guard);
    EXPECT_FALSE(streaming.allowed);
    EXPECT_TRUE(streaming.message.has_value());
    EXPECT_TRUE(rig.transmitter.running);

    rig.control().pause();
    EXPECT_TRUE(CloseQuery(&guard).allowed);
    EXPECT_FALSE(rig.transmitter.running);

    rig.transmitter.running = true;
    rig.control().continueJob();
    EXPECT_FALSE(CloseQuery(&guard).allowed) << "continued: streaming again";
}

TEST(StartSequence, DriveAwayRightGoesToTheFarCorner)
{
    Rig rig;
    rig.control().driveAwayRight();
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "ReadPositions", "V 00 3c 00", "F 00", "MoveTo 100.00 50.00",
                                "WaitWhileBusy", "MoveTo 1000.00 500.00", "WaitWhileBusy", "F 02"}));

    rig.trace.clear();
    rig.machine.state.connected = false;
    rig.control().driveAwayRight();
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "msg Control/ploterBrakLacznosci"}));
}
