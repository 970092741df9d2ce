// The rotary and turning planners on small drawings: which line becomes the
// axis, where the project lands, which way the profiles run, and the
// numbering of a turning project.

#include "project/rotaryplanner.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Points = std::vector<TPlotPoint>;

TProjectDocument Drawing(int mode, int mounting, const std::vector<Points> &figures)
{
    TProjectDocument document;
    TProjectSettings settings;
    settings.Mode = mode;
    settings.StolikSwitch = mounting;
    document.setSettings(settings);
    for (const Points &points : figures) {
        tfigura f;
        f.points = points;
        document.AddFigure(f);
    }
    document.Ustaw_PPiPK();
    return document;
}

using Planner = std::function<TPlanOutcome(TProjectDocument &)>;

} // namespace

TEST(RotaryPlanner, SpindleAxisIsTheLowestLineAndStartsAtTheOrigin)
{
    TProjectDocument d = Drawing(1, 0, {{{0, 500}, {1000, 500}}, {{200, 100}, {1200, 100}}});
    const TPlanOutcome outcome = ciecie_obrotowe(d);
    EXPECT_EQ(outcome.status, TPlanStatus::Planned);
    EXPECT_TRUE(outcome.message.empty() && outcome.warning.empty());
    EXPECT_TRUE(d.Planned);
    EXPECT_EQ(d.AxisFigure, 1);
    EXPECT_TRUE(d.AxisHorizontal);
    EXPECT_FALSE(d.AxisVertical);
    EXPECT_TRUE(d.Figures[0].cut);
    EXPECT_FALSE(d.Figures[1].cut);
    EXPECT_EQ(d.Figures[0].points, (Points {{-200, 400}, {800, 400}}));
    EXPECT_EQ(d.Figures[1].points, (Points {{0, 0}, {1000, 0}}));
    EXPECT_EQ(d.Figures[0].minX, -200);
    EXPECT_EQ(d.Figures[0].maxY, 400);
    EXPECT_EQ(d.PP, (TPlotPoint {-200, 0}));
    EXPECT_EQ(d.PK, (TPlotPoint {1000, 400}));
    EXPECT_EQ(d.ProjectWidth, 1200);
    EXPECT_EQ(d.ProjectHeight, 400);
    EXPECT_DOUBLE_EQ(d.PathLength, 1000.0) << "the axis is not cut";
    for (const tfigura &f : d.Figures) {
        EXPECT_EQ(f.axisWidth, 1000);
        EXPECT_EQ(f.axisHeight, 0);
        EXPECT_EQ(f.projectCorner, d.PP);
    }
}

TEST(RotaryPlanner, AxisChoiceByPlannerAndMounting)
{
    struct Case
    {
        std::string name;
        Planner plan;
        int mounting;
        std::vector<Points> figures;
        int axis;
    };
    const Points profile {{300, 300}, {500, 700}};
    const std::vector<Case> cases = {
        {"spindle, equal lows: the first stays",
         ciecie_obrotowe,
         0,
         {{{0, 100}, {500, 100}}, {{600, 100}, {900, 100}}, profile},
         0},
        // Fault mended: a dot below the drawing became the spindle axis.
        {"spindle, a zero-length line is no axis",
         ciecie_obrotowe,
         0,
         {{{50, 0}, {50, 0}}, {{0, 100}, {500, 100}}, profile},
         1},
        {"table: the rightmost vertical line",
         ciecie_obrotowe,
         1,
         {{{100, 0}, {100, 900}}, {{900, 200}, {900, 500}}, {{600, 0}, {600, 900}}, profile},
         1},
        {"table, a zero-length line is no axis",
         ciecie_obrotowe,
         1,
         {{{950, 0}, {950, 0}}, {{900, 200}, {900, 500}}, profile},
         1},
        {"turning on the spindle: the lowest line",
         toczenie_wrzeciono,
         0,
         {{{0, 300}, {900, 300}}, {{0, 100}, {900, 100}}, {{0, 100}, {600, 100}}, profile},
         1},
        {"turning on the table: the lowest vertical line",
         toczenie_stolik,
         1,
         {{{100, 200}, {100, 900}}, {{700, 50}, {700, 600}}, {{800, 50}, {800, 300}}, profile},
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TProjectDocument d = Drawing(1, c.mounting, c.figures);
        ASSERT_EQ(c.plan(d).status, TPlanStatus::Planned);
        EXPECT_EQ(d.AxisFigure, c.axis);
        for (std::size_t i = 0; i < d.Figures.size(); ++i)
            EXPECT_EQ(d.Figures[i].cut, static_cast<int>(i) != c.axis) << i;
    }
}

TEST(RotaryPlanner, TurningCornersStartAtTheAxis)
{
    // On the spindle the material starts at the axis line's start, whatever
    // lies left of it.
    TProjectDocument spindle = Drawing(3, 0, {{{100, 300}, {900, 500}}, {{200, 100}, {1200, 100}}});
    ASSERT_EQ(toczenie(spindle).status, TPlanStatus::Planned);
    EXPECT_EQ(spindle.PP, (TPlotPoint {0, 0}));
    EXPECT_EQ(spindle.PK, (TPlotPoint {1000, 400}));
    EXPECT_EQ(spindle.ProjectWidth, 1000);
    EXPECT_EQ(spindle.Figures[0].points.front(), (TPlotPoint {-100, 200}));

    // On the table the axis line's foot is y 0 and the x range is the
    // drawing's.
    TProjectDocument table = Drawing(3, 1, {{{1000, 200}, {1000, 900}}, {{400, 300}, {900, 700}}});
    ASSERT_EQ(toczenie(table).status, TPlanStatus::Planned);
    EXPECT_EQ(table.AxisFigure, 0);
    EXPECT_EQ(table.Figures[1].points, (Points {{-600, 100}, {-100, 500}}));
    EXPECT_EQ(table.PP, (TPlotPoint {-600, 0}));
    EXPECT_EQ(table.PK, (TPlotPoint {0, 700}));
    EXPECT_EQ(table.ProjectWidth, 600);
    EXPECT_EQ(table.ProjectHeight, 700);
    EXPECT_FALSE(table.AxisVertical) << "turning leaves the rotary flags alone";
}

TEST(RotaryPlanner, ProfilesRunAlongIncreasingX)
{
    struct Case
    {
        std::string name;
        Planner plan;
        int mounting;
        Points axis;
        Points profile;
        Points expected; // the profile's points before the shift, in cutting order
    };
    const std::vector<Case> cases = {
        {"rotary: right to left turns round",
         ciecie_obrotowe,
         0,
         {{0, 0}, {1000, 0}},
         {{800, 400}, {500, 600}, {100, 400}},
         {{100, 400}, {500, 600}, {800, 400}}},
        {"rotary: an upward vertical stays",
         ciecie_obrotowe,
         0,
         {{0, 0}, {1000, 0}},
         {{300, 100}, {300, 500}},
         {{300, 100}, {300, 500}}},
        {"spindle turning: an upward vertical runs down",
         toczenie_wrzeciono,
         0,
         {{0, 0}, {1000, 0}},
         {{300, 100}, {300, 500}},
         {{300, 500}, {300, 100}}},
        {"spindle turning: a downward vertical stays",
         toczenie_wrzeciono,
         0,
         {{0, 0}, {1000, 0}},
         {{300, 500}, {300, 100}},
         {{300, 500}, {300, 100}}},
        {"table turning: a level line drawn leftwards",
         toczenie_stolik,
         1,
         {{1000, 0}, {1000, 900}},
         {{800, 300}, {200, 300}},
         {{200, 300}, {800, 300}}},
        {"table turning: right to left turns round",
         toczenie_stolik,
         1,
         {{1000, 0}, {1000, 900}},
         {{800, 600}, {200, 300}},
         {{200, 300}, {800, 600}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TProjectDocument d = Drawing(1, c.mounting, {c.profile, c.axis});
        tfigura &drawn = d.Figures[0];
        for (std::size_t k = 0; k < drawn.points.size(); ++k)
            drawn.vertexInfo.push_back({0.5 * static_cast<double>(k + 1), static_cast<std::int32_t>(k), 0});
        ASSERT_EQ(c.plan(d).status, TPlanStatus::Planned);
        const TPlotPoint shift
            = c.axis.front().x == c.axis.back().x ? TPlotPoint {c.axis.front().x, 0} : TPlotPoint {0, 0};
        Points expected;
        for (const TPlotPoint p : c.expected)
            expected.push_back({p.x - shift.x, p.y});
        EXPECT_EQ(d.Figures[0].points, expected);
        // The vertex records travel with their points.
        const bool reversed = c.expected.front() != c.profile.front();
        EXPECT_EQ(d.Figures[0].vertexInfo.front().weight,
                  reversed ? static_cast<int>(c.profile.size()) - 1 : 0);
    }
}

TEST(RotaryPlanner, SpindleTurningWarnsOfAProfileBelowTheAxisAndPlansOn)
{
    TProjectDocument d = Drawing(3, 0, {{{0, 100}, {1000, 100}}, {{100, 300}, {400, 50}, {900, 300}}});
    const TPlanOutcome outcome = toczenie(d);
    EXPECT_EQ(outcome.status, TPlanStatus::Planned);
    EXPECT_EQ(outcome.warning, (TMessageKey {"Project_window", "osMaBycPonizejProfilu"}));
    EXPECT_TRUE(outcome.message.empty());
    EXPECT_FALSE(outcome.closesWindow());
    EXPECT_TRUE(d.Planned);
    EXPECT_EQ(d.PP, (TPlotPoint {0, -50})) << "PP.x is the axis start, whatever lies below";
}

TEST(RotaryPlanner, MissingAxisOrProfileFailsWithItsMessage)
{
    struct Case
    {
        std::string name;
        Planner plan;
        int mounting;
        std::vector<Points> figures;
        const char *key;
    };
    const Points profile {{300, 300}, {500, 700}, {700, 300}};
    const std::vector<Case> cases = {
        {"rotary, only the axis", ciecie_obrotowe, 0, {{{0, 0}, {900, 0}}}, "projektBrakProfilu"},
        {"rotary, no mounting",
         ciecie_obrotowe,
         2,
         {{{0, 0}, {900, 0}}, profile},
         "BrakSposobuMocowaniaMaterialu"},
        {"rotary on the spindle, only a vertical line",
         ciecie_obrotowe,
         0,
         {{{0, 0}, {0, 900}}, profile},
         "projektBrakOsiObrotuPozProsta"},
        {"rotary on the table, only a level line",
         ciecie_obrotowe,
         1,
         {{{0, 0}, {900, 0}}, profile},
         "projektBrakOsiObrotuPionProsta"},
        {"turning on the spindle, only a vertical line",
         toczenie,
         0,
         {{{0, 0}, {0, 900}}, profile},
         "projektBrakOsiObrotuPozProsta"},
        {"turning on the table, only a level line",
         toczenie,
         1,
         {{{0, 0}, {900, 0}}, profile},
         "projektBrakOsiObrotu"},
        {"turning on the table, only the axis", toczenie, 1, {{{0, 0}, {0, 900}}}, "projektBrakProfilu"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TProjectDocument d = Drawing(1, c.mounting, c.figures);
        d.Planned = true;
        const TPlanOutcome outcome = c.plan(d);
        EXPECT_EQ(outcome.status, TPlanStatus::Failed);
        EXPECT_TRUE(outcome.closesWindow());
        EXPECT_EQ(outcome.message, (TMessageKey {"Project_window", c.key}));
        EXPECT_FALSE(d.Planned);
    }
}

TEST(RotaryPlanner, PlanningAgainAfterTheMountingChangedCutsTheFormerAxis)
{
    // Fault mended: the former axis kept its cut-it flag false and was
    // silently left out of the job.
    TProjectDocument d
        = Drawing(1, 0, {{{0, 0}, {1000, 0}}, {{1200, 0}, {1200, 800}}, {{100, 100}, {600, 500}}});
    ASSERT_EQ(ciecie_obrotowe(d).status, TPlanStatus::Planned);
    ASSERT_EQ(d.AxisFigure, 0);
    TProjectSettings settings = d.settings();
    settings.StolikSwitch = 1;
    d.setSettings(settings);
    ASSERT_EQ(ciecie_obrotowe(d).status, TPlanStatus::Planned);
    EXPECT_EQ(d.AxisFigure, 1);
    EXPECT_FALSE(d.AxisHorizontal);
    EXPECT_TRUE(d.AxisVertical);
    EXPECT_TRUE(d.Figures[0].cut);
    EXPECT_FALSE(d.Figures[1].cut);
    EXPECT_EQ(d.Figures[0].points, (Points {{-1200, 0}, {-200, 0}}));
    EXPECT_DOUBLE_EQ(d.PathLength, 1000.0 + 640.3124237432849);
}

TEST(RotaryPlanner, TurningNumbersDepthOneThenDepthZeroAndKeepsTheAxis)
{
    TProjectDocument d = Drawing(3, 0, {});
    const std::int32_t depths[] = {0, 1, 2, 0, 1};
    for (int i = 0; i < 5; ++i) {
        tfigura f;
        f.points = {{i, 0}, {i + 10, 5}};
        f.depth = depths[i];
        d.Figures.push_back(f);
    }
    d.AxisFigure = 3;
    sortuj_toczenie(d);
    std::vector<int> firstX;
    std::vector<std::int32_t> numbers;
    for (const tfigura &f : d.Figures) {
        firstX.push_back(f.points.front().x);
        numbers.push_back(f.turningOrder);
    }
    EXPECT_EQ(firstX, (std::vector<int> {2, 1, 4, 0, 3}));
    EXPECT_EQ(numbers, (std::vector<std::int32_t> {-1, 1, 2, 3, 4}));
    EXPECT_EQ(d.AxisFigure, 4) << "the axis index follows its figure";
}
