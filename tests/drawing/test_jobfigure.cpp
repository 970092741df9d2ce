// One figure written as a turning, rotary or serial pass, per job type.

#include "drawing/jobtestsupport.h"

#include <algorithm>

namespace {

// (0,400) -> (400,400) -> (400,800): 10 mm along x, then 10 mm along y, a
// right angle between; 10 mm from the axis at the start.
tfigura SmallFigure()
{
    return FigureOf({{0, 400}, {400, 400}, {400, 800}});
}

struct FigureHarness : WriterHarness
{
    FigureHarness()
    {
        settings.il_obr_rys = 1; // one turn over the figure's width (spindle) or height (table)
        start.StartEdgeX = 900;
        start.StartEdgeY = 760;
    }

    std::vector<std::string> write(int jobType, const tfigura &figure, double passAngle, int direction,
                                   double *endAngle = nullptr)
    {
        TJobWriter &w = begin(jobType);
        double angle = -1.0;
        w.WriteFigure(figure, passAngle, angle, direction);
        if (endAngle)
            *endAngle = angle;
        return end();
    }
};

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const std::vector<std::string> HeatUp = Lines({"p 250", "p 250", "p 250", "p 250"});

TEST(JobFigure, TurningOnTheSpindle)
{
    FigureHarness h;
    double end = 0;
    const auto lines = h.write(TJobType::TurningSpindle, SmallFigure(), 0.25, 1, &end);
    // The workpiece turns once over the 10 mm of x; a sharp corner adds one
    // full turn in place; every segment sets its own working speed.
    EXPECT_EQ(
        lines,
        Concat({Lines({"v 0 375", "v 1 375", "t 3 10", "r 1 3"}),
                Lines({"f 0", "move n=2", "move n=2", "p 1", "move w=2000 n=4000", "p 1", "r 1 3"}), HeatUp,
                Lines({"p 1",
                       "move y1=-2000 y2=-2000 n=4000",
                       "p 200",
                       "p 1",
                       "f 1",
                       "move x1=1000 x2=1000 w=8000 n=16124",
                       "p 200",
                       "v 1 296",
                       "p 1",
                       "move w=8000 n=16000",
                       "v 1 295",
                       "p 1",
                       "move y1=1000 y2=1000 n=2000",
                       "p 200",
                       "v 1 375",
                       "p 1",
                       "f 0",
                       "move y1=1000 y2=1000 n=2000",
                       "p 1",
                       "r 0 2"})}));
    EXPECT_DOUBLE_EQ(end, 0.25);
    EXPECT_FALSE(h.carry.HeatUpPending);
}

TEST(JobFigure, TurningOnTheTable)
{
    FigureHarness h;
    double end = 0;
    const auto lines = h.write(TJobType::TurningTable, SmallFigure(), 0.25, 1, &end);
    EXPECT_EQ(lines,
              Concat({Lines({"v 0 375", "v 1 375", "t 3 10", "r 1 3"}),
                      Lines({"f 0", "move y1=1000 y2=1000 n=2000", "move n=2", "p 1", "move s=2000 n=4000",
                             "p 1", "r 1 3"}),
                      HeatUp,
                      Lines({"p 1",
                             "move x1=10000 x2=10000 n=20000",
                             "p 200",
                             "p 1",
                             "f 1",
                             "move x1=1000 x2=1000 n=2000",
                             "v 1 375",
                             "p 1",
                             "move s=8000 n=16000",
                             "p 200",
                             "v 1 295",
                             "p 1",
                             "move y1=1000 y2=1000 s=8000 n=16124",
                             "v 1 296",
                             "p 1",
                             "f 0",
                             "move x1=-11000 x2=-11000 n=22000",
                             "p 200",
                             "p 1",
                             "r 0 2"})}));
    EXPECT_DOUBLE_EQ(end, 0.25);
}

TEST(JobFigure, RotaryCuttingOnTheSpindle)
{
    FigureHarness h;
    double end = 0;
    const auto lines = h.write(TJobType::RotarySpindle, SmallFigure(), 0.25, 1, &end);
    EXPECT_EQ(
        lines,
        Concat({Lines({"v 0 375", "v 1 375", "t 1 10", "r 1 1"}),
                // The corner history still holds the position before the
                // start edge was set: the turn counts as a corner.
                Lines({"f 0", "move n=2", "p 1", "move w=2000 n=4000", "p 200", "p 1", "r 1 1"}), HeatUp,
                Lines({"p 1", "f 1", "move y1=-2000 y2=-2000 n=4000", "p 200",
                       "move x1=1000 x2=1000 w=8000 n=16124", "p 200", "move y1=1000 y2=1000 n=2000", "p 200",
                       "move y1=1000 y2=1000 n=2000", "p 1", "f 0", "p 1", "r 0 2"})}));
    EXPECT_DOUBLE_EQ(end, 0.25);
}

TEST(JobFigure, RotaryCuttingTurnsTheOtherWayAndEndsInPlaceWithTheOtherAlgorithm)
{
    FigureHarness h;
    h.settings.rgAlgorytmObrotowego = 1;
    double end = 0;
    const auto lines = h.write(TJobType::RotarySpindle, SmallFigure(), 0.25, -1, &end);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "move x1=1000 x2=1000 w=-8000 n=16124"), lines.end());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              Lines({"move n=2", "p 1", "f 0", "p 1", "r 0 2"}));
    EXPECT_DOUBLE_EQ(end, -0.75); // the spindle stands at -6000 of 8000 steps
}

TEST(JobFigure, RotaryCuttingOnTheTable)
{
    FigureHarness h;
    double end = 0;
    const auto lines = h.write(TJobType::RotaryTable, SmallFigure(), 0.25, 1, &end);
    EXPECT_EQ(lines,
              Concat({Lines({"v 0 375", "v 1 375", "t 1 10", "r 1 1"}),
                      Lines({"move y1=-50000 y2=-50000 n=100000", "move n=2", "p 1", "move s=2000 n=4000",
                             "p 1", "r 1 1"}),
                      HeatUp,
                      Lines({"p 1", "f 1", "move x1=10000 x2=10000 n=20000", "p 200",
                             "move x1=1000 x2=1000 n=2000", "move y1=1000 y2=1000 s=8000 n=16124", "p 200",
                             "move x1=-11000 x2=-11000 n=22000", "p 200", "p 1", "p 1", "r 0 2"})}));
    EXPECT_DOUBLE_EQ(end, 0.25);
}

TEST(JobFigure, SerialCuttingOnTheTableTurnsOnlyAfterThePass)
{
    FigureHarness h;
    double end = 0;
    const auto lines = h.write(TJobType::SerialTable, SmallFigure(), 0.25, 1, &end);
    EXPECT_EQ(
        lines,
        Concat({Lines({"v 0 375", "v 1 375", "t 1 10", "r 1 1", "f 1"}),
                Lines({"move y1=26000 y2=26000 n=52000", "move x1=90000 x2=90000 n=180000", "p 200", "p 1",
                       "move s=2000 n=4000", "p 200", "p 1", "r 1 1"}),
                HeatUp,
                Lines({"p 1", "f 1", "move x1=10000 x2=10000 n=20000", "p 200", "move x1=1000 x2=1000 n=2000",
                       "move y1=1000 y2=1000 n=2000", "p 200", "move x1=-11000 x2=-11000 n=22000", "p 200",
                       "p 1", "move s=2000 n=4000", "p 200", "p 1", "p 1", "r 0 2"})}));
    EXPECT_DOUBLE_EQ(end, 0.25);
}

TEST(JobFigure, FlatJobsAndShortFiguresWriteNoFigure)
{
    for (const auto &[type, figure] : std::vector<std::pair<int, tfigura>> {
             {TJobType::Flat, SmallFigure()}, {TJobType::RotarySpindle, FigureOf({{0, 0}})}}) {
        SCOPED_TRACE(type);
        FigureHarness h;
        TJobWriter &w = h.begin(type);
        const std::size_t opening = h.bytes.size();
        double end = 0.5;
        w.WriteFigure(figure, 0.25, end, 1);
        EXPECT_EQ(h.bytes.size(), opening);
        EXPECT_DOUBLE_EQ(end, 0.5);
    }
}

TEST(JobFigure, StartAngleBringsTheAxisToThePassAngleTheShorterWay)
{
    struct Case
    {
        std::int32_t position; // spindle steps before the pass
        double passAngle;
        const char *turn; // nullptr: no turn at all
    };
    const std::vector<Case> cases = {
        {0, 0.25, "move w=2000 n=4000"},
        {0, 0.9, "move w=-800 n=1600"},
        {0, 0.0, nullptr},
        {2000, 0.25, nullptr},
        {-2000, 0.25, "move w=4000 n=8000"},
        {10000, 0.5, "move w=2000 n=4000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " " + std::to_string(c.passAngle));
        FigureHarness h;
        h.settings.Heavy = CheckState::Checked;
        TJobWriter &w = h.begin(TJobType::RotarySpindle);
        w.SetPosition(0, MmToUnits(760), c.position);
        double end = 0;
        w.WriteFigure(FigureOf({{0, 0}, {400, 0}}), c.passAngle, end, 1);
        const auto lines = h.end();
        // After the opening: 'f' 0 and the move along x; then the turn, then
        // the heating.
        ASSERT_GE(lines.size(), 10u);
        const std::vector<std::string> expected
            = c.turn ? Lines({"p 1", "s 2 1", c.turn, "p 200"}) : Lines({"p 1", "r 1 1", "p 250", "p 250"});
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.begin() + 10), expected);
    }
}

TEST(JobFigure, TurningSpeedIsClampedToItsLimits)
{
    struct Case
    {
        double workSpeed;
        std::int32_t maxWorkSpeed;
        const char *speed;
    };
    // The first segment would run at 1267 mm/min at a working speed of 1000.
    const std::vector<Case> cases
        = {{1000, 5000, "v 1 296"}, {1000, 1000, "v 1 375"}, {1, 5000, "v 1 18750"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.speed);
        FigureHarness h;
        h.settings.szybkoscObrobki = c.workSpeed;
        h.machine.MaxWorkSpeed = c.maxWorkSpeed;
        const auto lines = h.write(TJobType::TurningSpindle, SmallFigure(), 0.25, 1);
        const auto cut = std::find(lines.begin(), lines.end(), "f 1");
        const auto speed
            = std::find_if(cut, lines.end(), [](const std::string &l) { return l.rfind("v 1", 0) == 0; });
        ASSERT_NE(speed, lines.end());
        EXPECT_EQ(*speed, c.speed);
    }
}

TEST(JobFigure, WithoutTurnsPerDrawingTheAxisStandsStill)
{
    FigureHarness h;
    h.settings.il_obr_rys = 0;
    const auto lines = h.write(TJobType::TurningSpindle, SmallFigure(), 0.25, 1);
    const auto cut = std::find(lines.begin(), lines.end(), "f 1");
    for (auto it = cut; it != lines.end(); ++it)
        EXPECT_EQ(it->find(" w="), std::string::npos) << *it;
}

TEST(JobFigure, FigureOfZeroSizeIsStillCut)
{
    // A figure without width (spindle) or height (table) used to get turns
    // of 0/0: the length was not a number and no segment was written.
    for (const auto &[type, figure, move] : std::vector<std::tuple<int, tfigura, const char *>> {
             {TJobType::RotarySpindle, FigureOf({{0, 0}, {0, 400}}), "move y1=1000 y2=1000 n=2000"},
             {TJobType::RotaryTable, FigureOf({{0, 0}, {400, 0}}), "move x1=1000 x2=1000 n=2000"},
             {TJobType::TurningSpindle, FigureOf({{0, 0}, {0, 400}}), "move y1=1000 y2=1000 n=2000"}}) {
        SCOPED_TRACE(type);
        FigureHarness h;
        const auto lines = h.write(type, figure, 0.25, 1);
        EXPECT_NE(std::find(lines.begin(), lines.end(), move), lines.end()) << Joined(lines);
    }
}

TEST(JobFigure, HeatUpPauseOnlyForTheFirstFigureAndAfterAHold)
{
    FigureHarness h;
    h.settings.Wstrzymaj = CheckState::Checked;
    TJobWriter &w = h.begin(TJobType::RotarySpindle);
    double end = 0;
    const tfigura figure = SmallFigure();
    w.WriteFigure(figure, 1.0, end, 1);
    w.WriteFigure(figure, 1.0, end, 1);
    w.WriteHoldCommands();
    w.WriteFigure(figure, 1.0, end, 1);
    const auto lines = h.end();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "p 250"), 8);
}

TEST(JobFigure, LJMachinesGetNoHeatUpPauseFromTheFigure)
{
    FigureHarness h;
    h.machine.LJ = true;
    const auto lines = h.write(TJobType::RotarySpindle, SmallFigure(), 0.25, 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "p 250"), 0);
    EXPECT_TRUE(h.carry.HeatUpPending);
}

} // namespace

namespace {

TEST(JobFigure, APointThatScalesOntoItsPredecessorWritesNoMove)
{
    // At half scale (1,0) becomes (0.5 -> 0, 0): the same point as (0,0).
    const tfigura figure = FigureOf({{0, 400}, {1, 400}, {400, 400}});
    std::size_t moves[2] = {0, 0};
    for (const double skala : {100.0, 50.0}) {
        FigureHarness h;
        h.settings.skala = skala;
        h.settings.il_obr_rys = 0;
        const auto lines = h.write(TJobType::RotarySpindle, figure, 1.0, 1);
        moves[skala == 50.0] = static_cast<std::size_t>(std::count_if(
            lines.begin(), lines.end(), [](const std::string &l) { return l.rfind("move", 0) == 0; }));
    }
    EXPECT_EQ(moves[1] + 1, moves[0]);
}

} // namespace
