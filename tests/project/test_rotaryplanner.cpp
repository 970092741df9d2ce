// The rotary and turning planners on small drawings: which line becomes the
// axis, where the project lands, which way the profiles run, and the
// numbering of a turning project. Their messages are checked in the window.

#include "project/rotaryplanner.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Points = std::vector<TPlotPoint>;
using Planner = std::function<TPlanOutcome(TProjectDocument &)>;

TProjectDocument Drawing(int mounting, const std::vector<Points> &figures)
{
    TProjectDocument document;
    TProjectSettings settings;
    settings.StolikSwitch = mounting;
    document.setSettings(settings);
    for (const Points &points : figures) {
        tfigura f;
        f.points = points;
        document.AddFigure(f);
    }
    return document;
}

} // namespace

TEST(RotaryPlanner, SpindleAxisIsTheLowestLineAndStartsAtTheOrigin)
{
    TProjectDocument d = Drawing(0, {{{0, 500}, {1000, 500}}, {{200, 100}, {1200, 100}}});
    ASSERT_EQ(ciecie_obrotowe(d).status, TPlanStatus::Planned);
    EXPECT_TRUE(d.Planned && d.AxisHorizontal && !d.AxisVertical);
    EXPECT_EQ(d.AxisFigure, 1);
    EXPECT_TRUE(d.Figures[0].cut);
    EXPECT_FALSE(d.Figures[1].cut);
    EXPECT_EQ(d.Figures[0].points, (Points {{-200, 400}, {800, 400}}));
    EXPECT_EQ(d.Figures[0].minX, -200);
    EXPECT_EQ(d.PP, (TPlotPoint {-200, 0}));
    EXPECT_EQ(d.PK, (TPlotPoint {1000, 400}));
    EXPECT_EQ(d.ProjectWidth, 1200);
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
        TProjectDocument d = Drawing(c.mounting, c.figures);
        ASSERT_EQ(c.plan(d).status, TPlanStatus::Planned);
        EXPECT_EQ(d.AxisFigure, c.axis);
        for (std::size_t i = 0; i < d.Figures.size(); ++i)
            EXPECT_EQ(d.Figures[i].cut, static_cast<int>(i) != c.axis) << i;
    }
}

TEST(RotaryPlanner, TurningCornersStartAtTheAxis)
{
    // On the spindle the material starts at the axis line's start, whatever
    // lies left of it; on the table at the axis line's foot.
    TProjectDocument spindle = Drawing(0, {{{100, 300}, {900, 500}}, {{200, 100}, {1200, 100}}});
    ASSERT_EQ(toczenie(spindle).status, TPlanStatus::Planned);
    EXPECT_EQ(spindle.PP, (TPlotPoint {0, 0}));
    EXPECT_EQ(spindle.PK, (TPlotPoint {1000, 400}));
    EXPECT_EQ(spindle.Figures[0].points.front(), (TPlotPoint {-100, 200}));

    TProjectDocument table = Drawing(1, {{{1000, 200}, {1000, 900}}, {{400, 300}, {900, 700}}});
    ASSERT_EQ(toczenie(table).status, TPlanStatus::Planned);
    EXPECT_EQ(table.Figures[1].points, (Points {{-600, 100}, {-100, 500}}));
    EXPECT_EQ(table.PP, (TPlotPoint {-600, 0}));
    EXPECT_EQ(table.PK, (TPlotPoint {0, 700}));
    EXPECT_EQ(table.ProjectWidth, 600);
}

TEST(RotaryPlanner, ProfilesRunAlongIncreasingX)
{
    struct Case
    {
        std::string name;
        Planner plan;
        int mounting;
        Points profile;
        bool reversed;
    };
    const std::vector<Case> cases = {
        {"rotary: right to left", ciecie_obrotowe, 0, {{800, 400}, {500, 600}, {100, 400}}, true},
        {"rotary: an upward vertical stays", ciecie_obrotowe, 0, {{300, 100}, {300, 500}}, false},
        {"spindle turning: an upward vertical runs down",
         toczenie_wrzeciono,
         0,
         {{300, 100}, {300, 500}},
         true},
        {"spindle turning: a downward vertical stays",
         toczenie_wrzeciono,
         0,
         {{300, 500}, {300, 100}},
         false},
        {"table turning: a level line drawn leftwards", toczenie_stolik, 1, {{800, 300}, {200, 300}}, true},
        {"table turning: left to right stays", toczenie_stolik, 1, {{200, 600}, {800, 300}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Points axis = c.mounting == 0 ? Points {{0, 0}, {1000, 0}} : Points {{0, 0}, {0, 900}};
        TProjectDocument d = Drawing(c.mounting, {c.profile, axis});
        tfigura &drawn = d.Figures[0];
        for (std::size_t k = 0; k < drawn.points.size(); ++k)
            drawn.vertexInfo.push_back({0.0, static_cast<std::int32_t>(k), 0});
        ASSERT_EQ(c.plan(d).status, TPlanStatus::Planned);
        Points expected = c.profile;
        if (c.reversed)
            std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(d.Figures[0].points, expected);
        // The vertex records travel with their points.
        EXPECT_EQ(d.Figures[0].vertexInfo.front().weight,
                  c.reversed ? static_cast<int>(c.profile.size()) - 1 : 0);
    }
}

TEST(RotaryPlanner, PlanningAgainAfterTheMountingChangedCutsTheFormerAxis)
{
    // Fault mended: the former axis kept its cut-it flag false and was
    // silently left out of the job.
    TProjectDocument d
        = Drawing(0, {{{0, 0}, {1000, 0}}, {{1200, 0}, {1200, 800}}, {{100, 100}, {600, 500}}});
    ASSERT_EQ(ciecie_obrotowe(d).status, TPlanStatus::Planned);
    ASSERT_EQ(d.AxisFigure, 0);
    TProjectSettings settings = d.settings();
    settings.StolikSwitch = 1;
    d.setSettings(settings);
    ASSERT_EQ(ciecie_obrotowe(d).status, TPlanStatus::Planned);
    EXPECT_EQ(d.AxisFigure, 1);
    EXPECT_TRUE(!d.AxisHorizontal && d.AxisVertical);
    EXPECT_TRUE(d.Figures[0].cut);
    EXPECT_FALSE(d.Figures[1].cut);
    EXPECT_DOUBLE_EQ(d.PathLength, 1000.0 + 640.3124237432849);
}

TEST(RotaryPlanner, TurningNumbersDepthOneThenDepthZeroAndKeepsTheAxis)
{
    TProjectDocument d;
    for (const std::int32_t depth : {0, 1, 2, 0, 1}) {
        tfigura f;
        f.points = {{static_cast<std::int32_t>(d.Figures.size()), 0}, {20, 5}};
        f.depth = depth;
        d.Figures.push_back(f);
    }
    d.AxisFigure = 3;
    sortuj_toczenie(d);
    std::vector<std::int32_t> drawn;
    std::vector<std::int32_t> numbers;
    for (const tfigura &f : d.Figures) {
        drawn.push_back(f.points.front().x);
        numbers.push_back(f.turningOrder);
    }
    EXPECT_EQ(drawn, (std::vector<std::int32_t> {2, 1, 4, 0, 3}));
    EXPECT_EQ(numbers, (std::vector<std::int32_t> {-1, 1, 2, 3, 4}));
    EXPECT_EQ(d.AxisFigure, 4) << "the axis index follows its figure";
}
