// The fast planner builds the step-by-step reference's tree on drawings of
// open figures: strokes that end on each other, scribbles that cross all
// over (also in a frame, as the children of one container), and exploded
// drawings of long lines, arcs and outlines holding some of them.

#include "planner_fixtures.h"
#include "planner_openshapes.h"
#include "project/flatplanner.h"
#include "reference_planner.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using fixtures::Project;

void ExpectSamePlan(const Project &project, const std::string &what)
{
    Project expected = project;
    Project actual = project;
    const FlatPlanResult r1 = reference::ciecie(expected.figures, expected.settings, expected.state);
    const FlatPlanResult r2 = PlanFlatCut(actual.figures, actual.settings, actual.state);
    SCOPED_TRACE(what + ", figures " + std::to_string(project.figures.size()));
    EXPECT_EQ(r1.outcome, r2.outcome);
    EXPECT_EQ(r1.unjoinedFigures, r2.unjoinedFigures);
    EXPECT_EQ(fixtures::Difference(expected, actual), "");
}

// The same figures inside a rectangle: the frame is the root, they are its
// children.
Project InFrame(Project p)
{
    const std::int32_t x = p.state.pp.x - 100;
    const std::int32_t y = p.state.pp.y - 100;
    const std::int32_t side = std::max(p.state.pk.x - x, p.state.pk.y - y) + 100;
    p.figures.insert(p.figures.begin(), fixtures::Square(x, y, side));
    p.bounds();
    return p;
}

// Seeded sizes of each shape, small enough for the reference.
template<class Plan> void ForSeeds(Plan plan)
{
    for (int seed = 0; seed < 12 && !::testing::Test::HasFailure(); ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 7907 + 5));
        const auto uniform = [&](int low, int high) {
            return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
        };
        plan(rng, uniform, " seed " + std::to_string(seed), seed);
    }
}

TEST(OpenShapeEquivalence, StrokesThatEndOnEachOther)
{
    ForSeeds([](std::mt19937 &rng, auto uniform, const std::string &at, int seed) {
        Project strokes = fixtures::Strokes(rng, uniform(21, 90), uniform(3, 30));
        strokes.settings.mode = seed % 3 == 2 ? 2 : 0; // serial cutting: no start figure
        ExpectSamePlan(strokes, "strokes" + at);
    });
}

TEST(OpenShapeEquivalence, ScribblesAloneAndInAFrame)
{
    ForSeeds([](std::mt19937 &rng, auto uniform, const std::string &at, int) {
        const Project scribbles
            = fixtures::Scribbles(rng, uniform(17, 36), uniform(20, 80), uniform(20, 1000));
        ExpectSamePlan(scribbles, "scribbles" + at);
        ExpectSamePlan(InFrame(scribbles), "scribbles in a frame" + at);
    });
}

// Paths that leap across the whole sheet at every vertex crowd each other
// everywhere: a joined one finds its pairs among the points around its own,
// and the tree finishes the search where those are too few.
TEST(OpenShapeEquivalence, PathsThatLeapAcrossTheSheet)
{
    ForSeeds([](std::mt19937 &, auto uniform, const std::string &at, int seed) {
        Project leaps;
        // Some seeds with fewer, longer paths: a search from one of those is
        // shared out over its points.
        const bool longer = seed % 4 == 3;
        const int paths = longer ? uniform(18, 22) : uniform(20, 40);
        for (int k = 0; k < paths; ++k) {
            std::vector<TPlotPoint> line(static_cast<std::size_t>(longer ? uniform(130, 200) : uniform(2, 60)));
            for (TPlotPoint &p : line)
                p = TPlotPoint {uniform(0, 20000), uniform(0, 20000)};
            leaps.add(fixtures::Polyline(line));
        }
        leaps.bounds();
        ExpectSamePlan(leaps, "leaping paths" + at);
    });
}

TEST(OpenShapeEquivalence, LongLinesArcsAndOutlines)
{
    ForSeeds([](std::mt19937 &rng, auto uniform, const std::string &at, int) {
        ExpectSamePlan(fixtures::MixedLines(rng, uniform(10, 40), uniform(5, 30), uniform(1, 4)),
                       "mixed" + at);
    });
}

} // namespace
