// The five job drivers on projects built by hand, read back through the job
// decoder: what each cutting mode writes, in which order and direction.

#include "drawing/geometry.h"
#include "drawing/jobdecoder.h"
#include "drawing/jobtestsupport.h"
#include "plannedfigure.h"
#include "project/flatplanproject.h"
#include "project/jobdrivers.h"
#include "project/projectdocument.h"
#include "project/rotaryplanner.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace {

using testsupport::PlannedFigure;

struct DriverHarness
{
    TProjectDocument project;
    JobContext context;
    RecordingEffects effects;
    std::string bytes;

    DriverHarness()
    {
        context.effects = &effects;
        context.output = [this] { return std::make_unique<MemoryJobOutput>(bytes); };
        context.start.StartEdgeX = 900;
        context.start.StartEdgeY = 760;
        context.settings.CzasRozgrzewania = 0;
    }

    DecodedJob decoded() const
    {
        DecodedJob job = DecodeJob(bytes, context.machine.newProtocol);
        EXPECT_TRUE(job.ok) << job.error << " at " << job.offset;
        return job;
    }
};

// The three nested squares as the planner leaves them.
void NestedSquares(TProjectDocument &project)
{
    project.Figures = {
        PlannedFigure({{0, 0}, {600, 0}, {600, 600}, {0, 600}, {0, 0}}),
        PlannedFigure({{100, 100}, {500, 100}, {500, 500}, {100, 500}, {100, 100}}, 4, 1, 0),
        PlannedFigure({{200, 200}, {400, 200}, {400, 400}, {200, 400}, {200, 200}}, 3, 1, 0),
        PlannedFigure({{100, 100}, {200, 200}}, 1, 0, 0),
        PlannedFigure({{0, 0}, {100, 100}}, 0, 0, 0),
    };
    project.Ustaw_PPiPK();
    project.RootFigure = 0;
    project.CutFrame = true;
    project.Planned = true;
}

// Where the front wire end stands after each move: (X1, Y1) in steps.
std::vector<std::pair<std::int64_t, std::int64_t>> FrontPath(const DecodedJob &job)
{
    static const std::regex axis(R"((x1|y1)=(-?\d+))");
    std::vector<std::pair<std::int64_t, std::int64_t>> path;
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (const std::string &line : job.lines) {
        if (line.rfind("move", 0) != 0)
            continue;
        for (std::sregex_iterator it(line.begin(), line.end(), axis), end; it != end; ++it)
            ((*it)[1] == "x1" ? x : y) += std::stoll((*it)[2]);
        path.emplace_back(x, y);
    }
    return path;
}

TEST(JobDrivers, FlatJobFollowsTheCuttingTree)
{
    DriverHarness h;
    NestedSquares(h.project);
    const JobWriteStatus status = save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 4, 0.0);
    ASSERT_TRUE(status.ok) << status.key;
    const DecodedJob job = h.decoded();
    // 100 plotter units are 2.5 mm, 250 steps; the rotation at the end is a
    // zero move.
    const std::vector<std::pair<std::int64_t, std::int64_t>> expected
        = {{250, 250}, {500, 500}, {500, 500},   {500, 1000},  {1000, 1000}, {1000, 500}, {500, 500},
           {250, 250}, {250, 250}, {250, 1250},  {1250, 1250}, {1250, 250},  {250, 250},  {0, 0},
           {0, 0},     {0, 1500},  {1500, 1500}, {1500, 0},    {0, 0},       {0, 0}};
    EXPECT_EQ(FrontPath(job), expected);
    EXPECT_EQ(job.totals[0], 0);
    EXPECT_EQ(job.totals[1], 0) << "both arms move together";
    EXPECT_EQ(job.lines.front(), "v 0 375");
    EXPECT_EQ(job.lines.back(), "r 0 2");
    EXPECT_EQ(h.effects.events, (std::vector<std::string> {"arm 0", "text "}));
}

TEST(JobDrivers, FlatJobStartsAtTheRootEntryRelativeToTheCorner)
{
    DriverHarness h;
    NestedSquares(h.project);
    for (tfigura &f : h.project.Figures) {
        for (TPlotPoint &p : f.points) {
            p.x += 4000;
            p.y += 8000;
        }
    }
    h.project.Ustaw_PPiPK();
    h.context.settings.skala = 50;
    ASSERT_TRUE(save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 4, 0.0).ok);
    const auto path = FrontPath(h.decoded());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), (std::pair<std::int64_t, std::int64_t> {125, 125})) << "half scale, from PP";
}

TEST(JobDrivers, FlatJobEndsWithTheRotationOnTheConfiguredAxis)
{
    for (const int stolik : {0, 1}) {
        SCOPED_TRACE(stolik);
        DriverHarness h;
        NestedSquares(h.project);
        h.context.settings.StolikSwitch = stolik;
        h.context.start.jobType = TJobType::SerialTable;
        ASSERT_TRUE(save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 4, 0.25).ok);
        const auto lines = h.decoded().lines;
        ASSERT_GE(lines.size(), 3u);
        // The turn, its corner pause, then the closing.
        EXPECT_EQ(lines[lines.size() - 4].rfind(stolik == 1 ? "move s=2000" : "move w=2000", 0), 0u)
            << lines[lines.size() - 4];
    }
}

TEST(JobDrivers, ArmSelectionOnTheTwoArmMachine)
{
    struct Case
    {
        bool front;
        bool back;
        std::vector<std::string> events;
    };
    // Only the back arm: only "S" 4 with 5 goes out before the job.
    const std::vector<Case> cases = {{true, true, {"arm 0", "arm 5", "arm 0", "text "}},
                                     {false, true, {"arm 5", "arm 5", "text "}},
                                     {true, false, {"arm 0", "arm 0", "text "}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.front) + std::to_string(c.back));
        DriverHarness h;
        NestedSquares(h.project);
        h.context.machine.familyCode = QStringLiteral("Q7");
        h.context.start.KeyFront = c.front;
        h.context.start.KeyBack = c.back;
        ASSERT_TRUE(save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 4, 0.0).ok);
        EXPECT_EQ(h.effects.events, c.events);
        if (!c.front) {
            const DecodedJob job = h.decoded();
            EXPECT_EQ(job.totals[0], 0) << "the front end stays at the origin";
            EXPECT_EQ(job.totals[2], 0);
        }
    }
}

TEST(JobDrivers, CrossPointsArePlungedInProjectOrder)
{
    DriverHarness h;
    h.project.Figures = {PlannedFigure({{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}, {0, 0}}),
                         PlannedFigure({{400, 800}, {400, 800}}), PlannedFigure({{800, 400}, {800, 400}})};
    h.project.Figures[1].crossPoint = true;
    h.project.Figures[2].crossPoint = true;
    h.project.Ustaw_PPiPK();
    h.context.settings.cbKrzyzToPunkt = CheckState::Checked;
    ASSERT_TRUE(save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 2, 0.0).ok);
    const DecodedJob job = h.decoded();
    const auto plunges = std::count(job.lines.begin(), job.lines.end(), "move z=73000 n=146000");
    EXPECT_EQ(plunges, 2);
    const auto path = FrontPath(job);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), (std::pair<std::int64_t, std::int64_t> {1000, 2000}));
    EXPECT_NE(std::find(path.begin(), path.end(), std::pair<std::int64_t, std::int64_t> {2000, 1000}),
              path.end());
}

TEST(JobDrivers, AProjectWithoutACuttingTreeIsNotWritten)
{
    DriverHarness h;
    NestedSquares(h.project);
    h.project.RootFigure = -1;
    h.bytes = "old job";
    const JobWriteStatus status = save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 4, 0.0);
    EXPECT_FALSE(status.ok);
    EXPECT_STREQ(status.section, "Main_window");
    EXPECT_STREQ(status.key, "projektNiezaplanowany");
    EXPECT_EQ(h.bytes, "old job");
}

TEST(JobDrivers, AFailedWriteLeavesNoJobFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.filePath(QStringLiteral("sub")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath(QStringLiteral("sub/out.cn"));
    DriverHarness h;
    NestedSquares(h.project);
    h.context.output = nullptr;
    const JobWriteStatus status = save_ciecie(h.project, h.context, path, 0, 4, 0.0);
    EXPECT_FALSE(status.ok);
    EXPECT_STREQ(status.key, "zbioruNieMoznaZapisac");
    EXPECT_FALSE(DecodeJobFile(path.toStdString()).ok);
}

TEST(JobDrivers, FlatJobIsWrittenToTheFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("out.cn"));
    DriverHarness h;
    NestedSquares(h.project);
    h.context.output = nullptr;
    ASSERT_TRUE(save_ciecie(h.project, h.context, path, 0, 4, 0.0).ok);
    const DecodedJob job = DecodeJobFile(path.toStdString());
    EXPECT_TRUE(job.ok) << job.error;
    EXPECT_EQ(job.moves, 20u);
}

// A rotary project: the axis (not cut) and two profiles along x.
void RotaryProject(TProjectDocument &project, std::vector<std::vector<TPlotPoint>> profiles)
{
    project.Figures.clear();
    tfigura axis = PlannedFigure({{0, 0}, {2000, 0}});
    axis.cut = false;
    project.Figures.push_back(axis);
    for (auto &points : profiles)
        project.Figures.push_back(PlannedFigure(std::move(points)));
    project.AxisFigure = 0;
    project.Ustaw_PPiPK();
}

// Each cutting segment of a rotary pass: "+" or "-" for the way along x and
// for the turn of the spindle, e.g. "+-".
std::vector<std::string> Segments(const DecodedJob &job)
{
    static const std::regex segment(R"(^move x1=(-?\d+) x2=-?\d+ w=(-?\d+))");
    std::vector<std::string> out;
    for (const std::string &line : job.lines) {
        std::smatch m;
        if (std::regex_search(line, m, segment))
            out.push_back(std::string(m[1].str()[0] == '-' ? "-" : "+") + (m[2].str()[0] == '-' ? "-" : "+"));
    }
    return out;
}

TEST(JobDrivers, RotaryPassesFollowTheFeedDirection)
{
    struct Case
    {
        int catDir;
        bool match; // dopasujKierunek
        int sense; // KierunekObrotow
        std::vector<std::string> segments;
    };
    // Profile B is drawn right to left; from the end of A its last point is
    // the nearer, so "both ways" cuts it reversed.
    const std::vector<Case> cases = {
        {0, true, 0, {"++", "-+"}},  {0, true, 1, {"+-", "--"}}, {1, true, 0, {"--", "+-"}},
        {1, false, 0, {"-+", "++"}}, {2, true, 0, {"++", "+-"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.catDir * 100 + c.match * 10 + c.sense);
        DriverHarness h;
        RotaryProject(h.project, {{{0, 400}, {400, 400}}, {{1200, 400}, {800, 400}}});
        h.context.start.jobType = TJobType::RotarySpindle;
        h.context.settings.il_obr_rys = 1;
        h.context.settings.ilosckrokow = 1.0;
        h.context.settings.CatDir = c.catDir;
        h.context.settings.dopasujKierunek = c.match ? CheckState::Checked : CheckState::Unchecked;
        h.context.settings.KierunekObrotow = c.sense;
        const std::vector<TPlotPoint> before = h.project.Figures[2].points;
        ASSERT_TRUE(Save_ciecie_obrotowe(h.project, h.context, QStringLiteral("out.cn"), 0, 2).ok);
        EXPECT_EQ(Segments(h.decoded()), c.segments);
        EXPECT_EQ(h.project.Figures[2].points, before) << "reversals are undone";
        EXPECT_EQ(h.effects.events.front(), "text Write file out.cn");
    }
}

// The turns written before each pass (moves of the spindle alone).
std::vector<std::string> StartTurns(const DecodedJob &job)
{
    std::vector<std::string> out;
    for (const std::string &line : job.lines) {
        if (line.rfind("move w=", 0) == 0)
            out.push_back(line.substr(5, line.find(' ', 5) - 5));
    }
    return out;
}

TEST(JobDrivers, SeveralPassesSpreadOverOneTurn)
{
    struct Case
    {
        double steps;
        int catDir;
        bool hold;
        std::vector<std::string> segments;
        std::vector<std::string> turns;
        long holds;
    };
    // 2.6 passes round to 3, starting at 0, 1/3 and 2/3 of a turn; "both ways"
    // alternates and continues the fraction by a third from where the
    // reversed pass ended.
    const std::vector<Case> cases = {
        {1.0, 0, true, {"++"}, {}, 0},
        {2.6, 0, true, {"++", "++", "++"}, {"w=2667", "w=2666"}, 2},
        {2.6, 0, false, {"++", "++", "++"}, {"w=2667", "w=2666"}, 0},
        {2.6, 1, false, {"--", "--", "--"}, {"w=2667", "w=2666"}, 0},
        {2.6, 2, false, {"++", "--", "++"}, {"w=2667", "w=2666"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.steps) + " " + std::to_string(c.catDir));
        DriverHarness h;
        RotaryProject(h.project, {{{0, 400}, {400, 400}}});
        h.context.start.jobType = TJobType::RotarySpindle;
        h.context.settings.il_obr_rys = 1;
        h.context.settings.ilosckrokow = c.steps;
        h.context.settings.CatDir = c.catDir;
        h.context.settings.Wstrzymaj = c.hold ? CheckState::Checked : CheckState::Unchecked;
        ASSERT_TRUE(Save_ciecie_obrotowe(h.project, h.context, QStringLiteral("out.cn"), 0, 1).ok);
        const DecodedJob job = h.decoded();
        EXPECT_EQ(Segments(job), c.segments);
        EXPECT_EQ(StartTurns(job), c.turns);
        EXPECT_EQ(std::count(job.lines.begin(), job.lines.end(), "s 3 0"), c.holds);
    }
}

TEST(JobDrivers, RotaryJobEndsWithTheExitToTheStartEdge)
{
    DriverHarness h;
    RotaryProject(h.project, {{{0, 400}, {400, 400}}});
    h.context.start.jobType = TJobType::RotarySpindle;
    h.context.settings.ilosckrokow = 1.0;
    ASSERT_TRUE(Save_ciecie_obrotowe(h.project, h.context, QStringLiteral("out.cn"), 0, 1).ok);
    const auto lines = h.decoded().lines;
    ASSERT_GE(lines.size(), 6u);
    // The pass already left the wire at the start edge: the exit is a zero move.
    EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()),
              (std::vector<std::string> {"p 200", "move n=2", "p 1", "f 0", "p 1", "r 0 2"}));
}

// The hand-made rotary project above, drawn instead: the axis and the
// profiles anywhere on the sheet, one of them drawn right to left. Planned,
// it writes the same job.
TEST(JobDrivers, DrawnRotaryProjectPlansIntoTheHandMadeJob)
{
    for (const double steps : {1.0, 2.6}) {
        SCOPED_TRACE(steps);
        DriverHarness hand;
        RotaryProject(hand.project, {{{0, 400}, {400, 400}}, {{800, 400}, {1200, 400}}});
        DriverHarness drawn;
        const TPlotPoint at {5000, -3000};
        for (const std::vector<TPlotPoint> &points : std::vector<std::vector<TPlotPoint>> {
                 {{0, 400}, {400, 400}}, {{0, 0}, {2000, 0}}, {{1200, 400}, {800, 400}}}) {
            tfigura f;
            for (const TPlotPoint p : points)
                f.AddPoint({p.x + at.x, p.y + at.y});
            drawn.project.AddFigure(f);
        }
        ASSERT_EQ(ciecie_obrotowe(drawn.project).status, TPlanStatus::Planned);
        for (DriverHarness *h : {&hand, &drawn}) {
            h->context.start.jobType = TJobType::RotarySpindle;
            h->context.settings.il_obr_rys = 1;
            h->context.settings.ilosckrokow = steps;
            h->context.settings.CatDir = 2;
            ASSERT_TRUE(Save_ciecie_obrotowe(h->project, h->context, QStringLiteral("out.cn"), 0, 2).ok);
        }
        EXPECT_EQ(Segments(hand.decoded()).size(), steps < 2 ? 2u : 6u) << "every profile in every pass";
        EXPECT_EQ(Segments(drawn.decoded()), Segments(hand.decoded()));
        EXPECT_EQ(drawn.bytes, hand.bytes);
    }
}

TEST(JobDrivers, TurningChoosesTheDirectionFromItsStartPoint)
{
    // From (0, start height) on the spindle the profile's first point is the
    // nearer and it is cut as drawn; from (start height, 0) on the table its
    // last point is, and it is cut reversed.
    for (const bool table : {false, true}) {
        SCOPED_TRACE(table);
        DriverHarness h;
        RotaryProject(h.project, {{{0, 1000}, {1000, 0}}});
        h.context.start.jobType = table ? TJobType::TurningTable : TJobType::TurningSpindle;
        h.context.settings.ilosckrokow = 1.0;
        h.context.settings.CatDir = 2;
        h.context.startHeight = 25.0; // 1000 plotter units
        const JobWriteStatus status = table
            ? Save_toczenie_stolik(h.project, h.context, QStringLiteral("out.cn"), 0, 1)
            : Save_toczenie_wrzeciono(h.project, h.context, QStringLiteral("out.cn"), 0, 1);
        ASSERT_TRUE(status.ok);
        const DecodedJob job = h.decoded();
        const auto cut = std::find(job.lines.begin(), job.lines.end(), "f 1");
        ASSERT_NE(cut, job.lines.end());
        const auto segment = std::find_if(cut, job.lines.end(),
                                          [](const std::string &l) { return l.rfind("move", 0) == 0; });
        ASSERT_NE(segment, job.lines.end());
        EXPECT_EQ(segment->rfind(table ? "move x1=-2500" : "move x1=2500", 0), 0u) << *segment;
        EXPECT_EQ(std::count(job.lines.begin(), job.lines.end(), "f 0"), 2) << "no rotary exit";
    }
}

TEST(JobDrivers, SerialPassStartsWhereTheLastEndedAndHandsItsEndBack)
{
    DriverHarness h;
    RotaryProject(h.project, {{{0, 400}, {400, 400}}});
    h.context.start.jobType = TJobType::RotarySpindle;
    h.context.settings.il_obr_rys = 1;
    h.context.PassStartPosition = {1200, 98000, 0, 0, 1200, 98000, 0, 0};
    ASSERT_TRUE(
        save_ciecie_seryjne_wrzeciono(h.project, h.context, QStringLiteral("out.cn"), 0, 1, 1.0 / 3.0, -1)
            .ok);
    const DecodedJob job = h.decoded();
    // From x 12 mm to the profile's start at 0 mm; the feed sign turns the
    // spindle backwards; the pass ends at the profile's end and the start
    // edge, turned on by a third.
    const auto path = FrontPath(job);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front().first, -1200);
    EXPECT_EQ(Segments(job), (std::vector<std::string> {"+-"}));
    EXPECT_EQ(h.context.PassStartPosition,
              (std::array<std::int32_t, 8> {1000, 76000, 0, 2667, 1000, 76000, 0, -8000}));
}

} // namespace

namespace {

TEST(JobDrivers, PairedProfilesDriveEachWireEndAlongItsOwnProfile)
{
    DriverHarness h;
    h.project.Figures = {PlannedFigure({{0, 0}, {400, 0}, {400, 400}, {0, 0}}),
                         PlannedFigure({{0, 0}, {800, 0}, {800, 200}, {0, 0}})};
    h.project.Ustaw_PPiPK();
    h.project.PairedProfiles = true;
    h.project.CutFrame = true;
    h.project.Planned = true; // built by the merge, never planned: no root of its own
    ASSERT_TRUE(save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 1, 0.0).ok);
    const DecodedJob job = h.decoded();
    EXPECT_NE(std::find(job.lines.begin(), job.lines.end(), "move x1=1000 x2=2000 n=4000"), job.lines.end())
        << Joined(job.lines);
    EXPECT_NE(std::find(job.lines.begin(), job.lines.end(), "move y1=1000 y2=500 n=2000"), job.lines.end());
    EXPECT_EQ(job.totals[0], 0);
    EXPECT_EQ(job.totals[1], 0);
}

} // namespace

namespace {

tfigura Drawn(std::vector<TPlotPoint> points)
{
    tfigura f;
    f.points = std::move(points);
    return f;
}

TEST(JobDrivers, ThreeNestedSquaresPlannedAndWritten)
{
    // The planner hangs the middle square on a connector from the frame's
    // corner (0,0) and the inner one on a connector from the middle square's
    // corner (100,100); each square is entered at its first corner and runs
    // towards its higher neighbour; connectors are cut there and back.
    DriverHarness h;
    h.project.AddFigure(Drawn({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}}));
    h.project.AddFigure(Drawn({{100, 100}, {900, 100}, {900, 900}, {100, 900}, {100, 100}}));
    h.project.AddFigure(Drawn({{200, 200}, {400, 200}, {400, 400}, {200, 400}, {200, 200}}));
    h.project.Ustaw_PPiPK();
    ASSERT_EQ(ciecie(h.project, TPlanControl {}).status, TPlanStatus::Planned);
    ASSERT_EQ(h.project.Figures.size(), 5u);
    h.project.CutFrame = true;

    ASSERT_TRUE(save_ciecie(h.project, h.context, QStringLiteral("out.cn"), 0, 4, 0.0).ok);
    const DecodedJob job = h.decoded();
    const std::vector<std::pair<std::int64_t, std::int64_t>> expected
        = {{250, 250}, {500, 500}, {500, 500},   {500, 1000},  {1000, 1000}, {1000, 500}, {500, 500},
           {250, 250}, {250, 250}, {250, 2250},  {2250, 2250}, {2250, 250},  {250, 250},  {0, 0},
           {0, 0},     {0, 2500},  {2500, 2500}, {2500, 0},    {0, 0},       {0, 0}};
    EXPECT_EQ(FrontPath(job), expected);
    EXPECT_EQ(job.totals, AxisSums {}) << "the wire ends where it entered";
    // Every figure starts with a pause and every corner of the squares and
    // connectors gets the walk's pause.
    EXPECT_GE(std::count(job.lines.begin(), job.lines.end(), "p 200"), 5 + 16);
}

// Fault mended: a project planned flat and then planned again for rotary
// cutting cut the flat plan's start figure and connectors too, heating the
// wire for each of them and dragging it through the material.
TEST(JobDrivers, RotaryPlanAfterAFlatPlanCutsOnlyTheDrawing)
{
    const auto heatUps = [](const DecodedJob &job) {
        return std::count_if(job.lines.begin(), job.lines.end(),
                             [](const std::string &l) { return l.rfind("r 1 ", 0) == 0; });
    };
    DriverHarness fresh;
    DriverHarness replanned;
    for (DriverHarness *h : {&fresh, &replanned}) {
        h->project.AddFigure(Drawn({{1000, 1000}, {2000, 1000}, {2000, 2000}, {1000, 2000}, {1000, 1000}}));
        h->project.AddFigure(Drawn({{3000, 1000}, {4000, 1000}, {4000, 2000}, {3000, 2000}, {3000, 1000}}));
        h->project.AddFigure(Drawn({{0, 0}, {5000, 0}}));
        h->project.Ustaw_PPiPK();
    }
    ASSERT_EQ(ciecie(replanned.project, TPlanControl {}).status, TPlanStatus::Planned);
    ASSERT_GT(replanned.project.Figures.size(), 3u) << "the flat plan adds its connectors";
    for (DriverHarness *h : {&fresh, &replanned}) {
        ASSERT_EQ(ciecie_obrotowe(h->project).status, TPlanStatus::Planned);
        h->context.start.jobType = TJobType::RotarySpindle;
        h->context.settings.il_obr_rys = 1;
        h->context.settings.ilosckrokow = 1.0;
        ASSERT_TRUE(Save_ciecie_obrotowe(h->project, h->context, QStringLiteral("out.cn"), 0,
                                         static_cast<int>(h->project.Figures.size()) - 1)
                        .ok);
    }
    EXPECT_EQ(replanned.project.Figures.size(), 3u);
    EXPECT_EQ(heatUps(fresh.decoded()), 3) << "the opening heat and one per square";
    EXPECT_EQ(heatUps(replanned.decoded()), 3);
    EXPECT_TRUE(replanned.bytes == fresh.bytes) << "the job of a project planned rotary from the start";
}

} // namespace
