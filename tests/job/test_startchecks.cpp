#include "recordingrig.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace jobtest;
using job::BrokenWireAnswer;
using job::JobMessage;
using job::StartSender;
using job::StatusBytes;
using job::TextPiece;

namespace {

bool wrote(const Rig &rig)
{
    return std::any_of(rig.trace.begin(), rig.trace.end(),
                       [](const std::string &line) { return line.rfind("write", 0) == 0; });
}

long count(const Rig &rig, const std::string &line)
{
    return std::count(rig.trace.begin(), rig.trace.end(), line);
}

} // namespace

TEST(StartChecks, RefusalsNameTheirReason)
{
    struct Case
    {
        const char *name;
        int mode;
        QString family;
        std::uint8_t b0;
        std::uint8_t b2;
        int windows;
        bool large;
        bool planned;
        std::string key; // empty: the start goes through the checks
        bool warningCaption;
    };
    const Case cases[] = {
        {"job running", 0, "PQ", 0x02, 0x04, 1, false, true, "startNiemozliwy", false},
        {"independent needs Vq, before homing", 4, "PQ", 0, 0x00, 1, false, true, "VqniezalezneNiedostepne", true},
        {"perpendicular needs Q7", 5, "Vq", 0, 0x04, 2, false, true, "Q7PoprzeczneNiedostepne", true},
        {"rotary needs homing", 1, "PQ", 0, 0x00, 1, false, true, "wykonajBazowanie", false},
        {"perpendicular needs homing", 5, "Q7", 0, 0x00, 2, false, true, "wykonajBazowanie", false},
        {"flat needs no homing", 0, "PQ", 0, 0x00, 1, false, true, "", false},
        {"too large", 0, "PQ", 0, 0x04, 1, true, true, "projektZaDuzy", false},
        {"perpendicular with one window", 5, "Q7", 0, 0x04, 1, false, true, "wymagane2plt", false},
        {"perpendicular with three windows", 5, "Q7", 0, 0x04, 3, false, true, "wymagane2plt", false},
        // Fault mended: a plan that stopped half way was written and cut.
        {"plan incomplete", 0, "PQ", 0, 0x04, 1, false, false, "projektNiezaplanowany", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        for (int i = 0; i < c.windows; ++i) {
            FakeProject &p = rig.projects.add(std::string("W").append(std::to_string(i)), i);
            p.large = c.large;
            p.planned = c.planned;
        }
        rig.settings.mode = c.mode;
        rig.settings.powerOutput = 1;
        rig.machine.state.family = c.family;
        rig.machine.state.status = StatusBytes{c.b0, 0, c.b2};

        rig.control().tnij(1);
        if (c.key.empty()) {
            EXPECT_TRUE(rig.prompts.messages.empty());
            EXPECT_TRUE(wrote(rig));
            continue;
        }
        ASSERT_EQ(rig.messageKeys(), std::vector<std::string>{c.key});
        const JobMessage &m = rig.prompts.messages[0];
        EXPECT_EQ(m.kind, JobMessage::Kind::Error);
        if (c.warningCaption)
            EXPECT_EQ(m.caption, (std::vector<TextPiece>{TextPiece::text("Universal", "uwaga")}));
        else
            EXPECT_TRUE(m.caption.empty());
        EXPECT_FALSE(wrote(rig));
        EXPECT_FALSE(rig.prompts.busy);
    }
}

TEST(StartChecks, DisconnectedMachineIsRefusedWithTheConnectionMessageUnlessInTestMode)
{
    // Fault mended: a start with no machine ended without a word.
    Rig rig;
    rig.projects.add("A");
    rig.settings.mode = job::ModeRotary;
    rig.machine.state.connected = false;
    rig.machine.state.status.b2 = 0;
    EXPECT_FALSE(rig.control().tnij(1));
    EXPECT_EQ(rig.trace, (Trace {"ReadStatus", "msg Control/ploterBrakLacznosci"}));
    EXPECT_EQ(rig.prompts.messages.at(0).text.back(), TextPiece::raw("-1"));
    EXPECT_FALSE(rig.prompts.busy);

    // In test mode the missing link, homing and positions are passed over and
    // the job is written; the tail then finds no machine.
    Rig test;
    test.projects.add("A");
    test.settings.mode = job::ModeRotary;
    test.testMode = true;
    test.machine.state.connected = false;
    test.machine.state.status.b2 = 0;
    EXPECT_FALSE(test.control().tnij(1));
    EXPECT_EQ(test.trace, (Trace{"ReadStatus", "write A rotary type=31 turns=0.0000 dir=1", "ReadPositions",
                                 "ReadStatus", "msg Control/ploterBrakLacznosci"}));
}

TEST(StartChecks, RunningTransmitterIsStoppedBeforeTheNewJob)
{
    Rig rig;
    rig.projects.add("A");
    rig.settings.powerOutput = 1;
    rig.transmitter.running = true;
    EXPECT_TRUE(rig.control().tnij(1));
    EXPECT_EQ(Trace(rig.trace.begin(), rig.trace.begin() + 5),
              (Trace{"ReadStatus", "ReadMachineInfo", "V 00 3c 00", "transmitter.stop", "ReadPositions"}));
}

TEST(StartChecks, WorkAreaFromTheStartPointPassesAtTheLimitAndRefusesJustOver)
{
    // The square is 100 x 50 mm; the work area 1000 x 500 mm.
    struct Case
    {
        const char *name;
        int entry; // vertex of the start point
        double scale;
        std::int32_t x1, y1; // wire position, 0.01 mm
        bool fits;
    };
    const Case cases[] = {
        {"right at the limit", 0, 100, 90000, 5000, true},
        {"right 0.01 mm over", 0, 100, 90001, 5000, false},
        {"top at the limit", 0, 100, 10000, 45000, true},
        {"top 0.01 mm over", 0, 100, 10000, 45001, false},
        {"left at the limit", 1, 100, 10000, 5000, true},
        {"left 0.01 mm over", 1, 100, 9999, 5000, false},
        {"bottom at the limit", 2, 100, 10000, 5000, true},
        {"bottom 0.01 mm over", 2, 100, 10000, 4999, false},
        {"scaled right at the limit", 0, 200, 80000, 5000, true},
        {"scaled right over", 0, 200, 80001, 5000, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        FakeProject &a = rig.projects.add("A");
        a.entry = c.entry;
        rig.settings.scale = c.scale;
        rig.settings.powerOutput = 1;
        rig.machine.state.x1 = c.x1;
        rig.machine.state.y1 = c.y1;

        EXPECT_EQ(rig.control().tnij(1), c.fits);
        if (c.fits) {
            EXPECT_TRUE(rig.prompts.messages.empty());
            continue;
        }
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        const JobMessage &m = rig.prompts.messages[0];
        EXPECT_EQ(m.text, (std::vector<TextPiece>{TextPiece::text("Main_window", "projektPozaObszaremMaszyny"),
                                                  TextPiece::raw("\r\n"),
                                                  TextPiece::text("Main_window", "zmienPunktStartowy")}));
        EXPECT_EQ(m.caption, (std::vector<TextPiece>{TextPiece::text("Configuration", "CatDir.caption"),
                                                     TextPiece::raw(" : ")}));
        EXPECT_FALSE(wrote(rig));
    }
}

TEST(StartChecks, MarginsAreMeasuredFromTheStartPointAndKeptOnTheProject)
{
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    a.pp = {-400, -200};
    a.width = 4400;
    a.height = 2200;
    a.figures = {{{0, 0}, {4000, 0}, {4000, 2000}, {0, 0}}};
    a.entry = 1;
    rig.settings.powerOutput = 1;
    rig.machine.state.x1 = 20000;
    EXPECT_TRUE(rig.control().tnij(1));
    EXPECT_EQ(a.margins.left, 4400);
    EXPECT_EQ(a.margins.right, 0);
    EXPECT_EQ(a.margins.top, 2000);
    EXPECT_EQ(a.margins.bottom, 200);
    EXPECT_FALSE(a.singleOpen);
}

TEST(StartChecks, SingleOpenFigureEntersAtTheEndTheFeedComesFrom)
{
    struct Case
    {
        int sign;
        std::vector<job::JobPoint> points;
        int entry;
        const char *catdir;
    };
    const Case cases[] = {
        {-1, {{0, 0}, {2000, 1000}, {4000, 0}}, 2, "catdir.Item1"},
        {1, {{0, 0}, {2000, 1000}, {4000, 0}}, 0, "catdir.Item0"},
        {-1, {{4000, 0}, {2000, 1000}, {0, 0}}, 0, "catdir.Item1"},
        {1, {{4000, 0}, {2000, 1000}, {0, 0}}, 2, "catdir.Item0"},
        {-1, {{0, 0}, {2000, 1000}, {0, 2000}}, 0, "catdir.Item1"}, // equal x: the first point
        {1, {{0, 0}, {2000, 1000}, {0, 2000}}, 2, "catdir.Item0"},  // equal x: the last point
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sign);
        SCOPED_TRACE(c.entry);
        Rig rig;
        FakeProject &a = rig.projects.add("A");
        a.figures = {c.points};
        a.feedSign = c.sign;
        a.entry = 1;
        rig.settings.powerOutput = 1;
        rig.machine.state.limitX = 50; // the wire stands outside: every start point is refused
        EXPECT_FALSE(rig.control().tnij(1));
        EXPECT_TRUE(a.singleOpen);
        EXPECT_EQ(a.entry, c.entry);
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_EQ(rig.prompts.messages[0].caption.back(), TextPiece::text("Configuration", c.catdir));
    }
}

TEST(StartChecks, ClosedWithinToleranceIsNoSingleOpenFigure)
{
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    a.figures = {{{0, 0}, {4000, 0}, {4000, 2000}, {3, -3}}}; // ends 3 units apart, tolerance 4
    a.entry = 2;
    rig.settings.powerOutput = 1;
    EXPECT_TRUE(rig.control().tnij(1));
    EXPECT_FALSE(a.singleOpen);
    EXPECT_EQ(a.entry, 2);
}

TEST(StartChecks, BnMachinesMeasureFromTheStopPosition)
{
    {
        Rig rig;
        FakeProject &a = rig.projects.add("A");
        a.entry = 2; // 50 mm above the bottom edge, but the stop stands at Y 0
        rig.settings.powerOutput = 1;
        // Fault mended: the controller names the family "bn" and the check
        // never ran.
        rig.machine.state.family = QStringLiteral("bn");
        rig.machine.state.y1 = 90000; // the wire itself would fit
        EXPECT_FALSE(rig.control().tnij(1));
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        const JobMessage &m = rig.prompts.messages[0];
        EXPECT_EQ(m.caption, (std::vector<TextPiece>{TextPiece::text("Main_window", "zmienPunktStartowy")}));
        EXPECT_EQ(m.text, (std::vector<TextPiece>{TextPiece::text("Main_window", "projektBNpozaObszaremMaszyny"),
                                                  TextPiece::raw("\r\n"),
                                                  TextPiece::text("Main_window", "zmienPunktStartowy"),
                                                  TextPiece::raw("\r\n\r\n"),
                                                  TextPiece::text("Main_window", "punktStartowy"),
                                                  TextPiece::raw(" (51.00 ; 0.00) mm\r\n"),
                                                  TextPiece::text("Main_window", "wielkoscProjektu"),
                                                  TextPiece::raw(" (100.00 x 50.00) mm\r\n")}));
    }

    // The stop position of cross-to-point cutting, shown in inches.
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    a.crossMaxCorner = {4000, 2000};
    rig.settings.crossToPoint = true;
    rig.settings.stopX = 1000;
    rig.settings.stopY = 0;
    rig.settings.lengthUnit = 1;
    rig.settings.powerOutput = 1;
    rig.machine.state.family = QStringLiteral("BN");
    EXPECT_FALSE(rig.control().tnij(1)) << "100 mm right of X 1000 is outside";
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_EQ(rig.prompts.messages[0].text[5], TextPiece::raw(" (39.37 ; 0.00) in\r\n"));
    EXPECT_EQ(rig.prompts.messages[0].text[7], TextPiece::raw(" (3.94 x 1.97) in\r\n"));
}

TEST(StartChecks, TwoWiresKeepTenMillimetresApart)
{
    struct Case
    {
        const char *name;
        bool front;
        std::int32_t y1, y2;
        std::string key;
    };
    const Case cases[] = {
        {"front wire 10 mm above the side wire", true, 5000, 4000, ""},
        {"front wire 9.99 mm above", true, 5000, 4001, "Q7PrzesunBocznyDrut"},
        {"side wire 10 mm below the front wire's reach", false, 8000, 2000, ""},
        {"side wire 0.01 mm closer", false, 7999, 2000, "Q7PrzesunFrontowyDrut"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.projects.add("A");
        rig.settings.powerOutput = 1;
        rig.machine.state.family = QStringLiteral("Q7");
        rig.panel.front = c.front;
        rig.panel.back = !c.front;
        rig.machine.state.y1 = c.y1;
        rig.machine.state.y2 = c.y2;
        EXPECT_EQ(rig.control().tnij(1), c.key.empty());
        if (c.key.empty()) {
            EXPECT_TRUE(rig.prompts.messages.empty());
            continue;
        }
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        const JobMessage &m = rig.prompts.messages[0];
        EXPECT_EQ(m.kind, JobMessage::Kind::Information);
        EXPECT_EQ(m.text, (std::vector<TextPiece>{TextPiece::text("Main_window", "Q7KolizjaDrutow"),
                                                  TextPiece::raw("\r\n"),
                                                  TextPiece::text("Main_window", QString::fromStdString(c.key))}));
    }
}

TEST(StartChecks, FrontWireStartIsRememberedOnTwoWireMachines)
{
    Rig rig;
    rig.projects.add("A");
    rig.settings.powerOutput = 1;
    rig.machine.state.family = QStringLiteral("Q7");
    rig.panel.front = true;
    rig.machine.state.x1 = 12345;
    rig.machine.state.y1 = 6789;
    EXPECT_TRUE(rig.control().tnij(1));
    EXPECT_DOUBLE_EQ(rig.control().state().frontStartX, 123.45);
    EXPECT_DOUBLE_EQ(rig.control().state().frontStartY, 67.89);
}

TEST(StartChecks, RotaryStartHeightWithinFiveHundredthsOfTheAxis)
{
    struct Case
    {
        bool below;
        std::int32_t y1;
        std::string key;
    };
    const Case cases[] = {
        {true, 73005, ""},
        {true, 73006, "ploterPowyzejPunktuStart"},
        {true, 60000, ""},
        {false, 72995, ""},
        {false, 72994, "ploterPonizejPunktuStart"},
        {false, 80000, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.y1);
        Rig rig;
        FakeProject &a = rig.projects.add("A");
        a.below = c.below;
        rig.settings.mode = job::ModeRotary;
        rig.settings.powerOutput = 1;
        rig.machine.state.y1 = c.y1;
        EXPECT_EQ(rig.control().tnij(1), c.key.empty());
        if (c.key.empty())
            EXPECT_TRUE(rig.prompts.messages.empty());
        else
            EXPECT_EQ(rig.messageKeys(), std::vector<std::string>{c.key});
        EXPECT_EQ(rig.transmitter.running, c.key.empty());
    }
}

TEST(StartChecks, RotaryProjectBelowTheMachineIsTooHigh)
{
    Rig rig;
    FakeProject &a = rig.projects.add("A");
    a.below = true;
    rig.settings.mode = job::ModeRotary;
    rig.settings.powerOutput = 1;
    rig.settings.spindleY = 200; // 200 - 250 mm radius is below the machine
    EXPECT_FALSE(rig.control().tnij(1));
    EXPECT_EQ(rig.messageKeys(), std::vector<std::string>{"projektZaDuzaWysokosc"});
    EXPECT_FALSE(wrote(rig));
    EXPECT_EQ(rig.control().state().jobType, job::JobTypeFlat);
}

TEST(StartChecks, BrokenWireIsTestedAgainUntilCancelled)
{
    const StatusBytes homed{0, 0, 0x04};
    const StatusBytes broken{0, 0, 0x0C};

    Rig rig;
    rig.projects.add("A");
    rig.machine.statusScript = {homed, homed, broken, homed, broken, homed, homed};
    rig.prompts.answers = {BrokenWireAnswer::Ok, BrokenWireAnswer::Retry};
    EXPECT_TRUE(rig.control().tnij(1));
    EXPECT_EQ(count(rig, "T 01 0a"), 3);
    EXPECT_EQ(count(rig, "R 01 01"), 3);
    EXPECT_EQ(count(rig, "R 00 01"), 3) << "the heating is off after every attempt";
    EXPECT_EQ(count(rig, "ask zerwanyDrut"), 2);
    EXPECT_TRUE(rig.transmitter.running);

    Rig cancelled;
    cancelled.projects.add("A");
    cancelled.machine.statusScript = {homed, homed, broken};
    cancelled.prompts.answers = {BrokenWireAnswer::Cancel};
    EXPECT_FALSE(cancelled.control().tnij(1));
    EXPECT_EQ(Trace(cancelled.trace.end() - 3, cancelled.trace.end()),
              (Trace{"ReadStatus", "R 00 01", "ask zerwanyDrut"}));
    EXPECT_FALSE(wrote(cancelled));
    EXPECT_FALSE(cancelled.prompts.busy);
}

TEST(StartChecks, BrokenWireTestSendsPowerAsInt32OnTheNewProtocol)
{
    Rig rig;
    rig.projects.add("A");
    rig.machine.state.newProtocol = true;
    rig.settings.workPower = 2.25; // 22.5 tenths go to the even 22
    EXPECT_TRUE(rig.control().tnij(1));
    EXPECT_EQ(count(rig, "T 01 16 00 00 00"), 1);
}

TEST(StartChecks, BrokenWireTestIsSkippedWhereItCannotApply)
{
    struct Case
    {
        const char *name;
        int powerOutput;
        bool lj;
        double power;
    };
    const Case cases[] = {
        {"shaped-wire output", 1, false, 1.0},
        {"LJ machines watch the wire themselves", 0, true, 1.0},
        {"no heating power", 0, false, 0.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.projects.add("A");
        rig.settings.powerOutput = c.powerOutput;
        rig.settings.workPower = c.power;
        rig.machine.state.ljFamily = c.lj;
        EXPECT_TRUE(rig.control().tnij(1));
        EXPECT_EQ(count(rig, "R 01 01"), 0);
    }
}
