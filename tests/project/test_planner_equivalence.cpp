// The fast planner must build exactly the cutting tree of the step-by-step
// reference: same parents, vertices, entries, connectors and path length.

#include "drawing/geometry.h"
#include "planner_fixtures.h"
#include "planner_shapes.h"
#include "project/containment.h"
#include "project/flatplan.h"
#include "project/flatplanner.h"
#include "project/neighbours.h"
#include "reference_planner.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <tuple>

namespace {

using fixtures::Project;
using Generator = std::function<Project(std::mt19937 &, int)>;

struct Family
{
    const char *name;
    Generator make;
};

void PrintTo(const Family &family, std::ostream *out)
{
    *out << family.name;
}

const Family Families[] = {
    {"nested squares", fixtures::NestedSquares},
    {"text clusters", fixtures::TextClusters},
    {"strokes on outlines", fixtures::StrokesOnOutlines},
    {"mixed", fixtures::Mixed},
};

void ExpectSamePlan(Project project, int seed)
{
    Project expected = project;
    Project actual = project;
    const FlatPlanResult r1 = reference::ciecie(expected.figures, expected.settings, expected.state);
    const FlatPlanResult r2 = PlanFlatCut(actual.figures, actual.settings, actual.state);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", figures " + std::to_string(project.figures.size()));
    EXPECT_EQ(r1.outcome, r2.outcome);
    EXPECT_EQ(r1.unjoinedFigures, r2.unjoinedFigures);
    EXPECT_EQ(fixtures::Difference(expected, actual), "");
}

// Test names: the family's name and the shard.
const auto ShardName = [](const auto &info) {
    std::string name = std::get<0>(info.param).name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name + "_" + std::to_string(std::get<1>(info.param));
};

// Seeds run in shards so that each test stays short.
constexpr int Shards = 5;
constexpr int SeedsPerShard = 30;

class PlannerEquivalence : public ::testing::TestWithParam<std::tuple<Family, int>>
{
};

TEST_P(PlannerEquivalence, FastPlannerBuildsTheReferenceTree)
{
    const auto &[family, shard] = GetParam();
    for (int seed = shard * SeedsPerShard; seed < (shard + 1) * SeedsPerShard; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 7919 + 17));
        const int count = 1 + static_cast<int>(rng() % 80);
        ExpectSamePlan(family.make(rng, count), seed);
        if (HasFailure())
            return;
    }
}

TEST_P(PlannerEquivalence, SerialModeWithoutStartFigureMatches)
{
    const auto &[family, shard] = GetParam();
    for (int seed = shard * 12; seed < (shard + 1) * 12; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 104729 + 3));
        Project p = family.make(rng, 1 + static_cast<int>(rng() % 60));
        p.settings.mode = 2;
        ExpectSamePlan(std::move(p), seed);
        if (HasFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, PlannerEquivalence,
                         ::testing::Combine(::testing::ValuesIn(Families), ::testing::Range(0, Shards)),
                         ShardName);

// Figures of 500 to 20,000 points: the pair, touching and crossing searches
// go through their trees here, and must still land where the full scans do.
struct ManyPointFamily
{
    const char *name;
    Project (*make)(std::mt19937 &, int figures, int totalPoints);
    int totalPoints; // of the projects with few figures
};

void PrintTo(const ManyPointFamily &family, std::ostream *out)
{
    *out << family.name;
}

const ManyPointFamily ManyPointFamilies[] = {
    {"rings", fixtures::ManyPointRings, 24000},
    {"jittered outlines", fixtures::JitteredOutlines, 16000},
    // Open figures are checked for near vertices of every other figure, a
    // scan of all points per vertex in the reference: fewer points here.
    {"crossing open paths", fixtures::CrossingOpenPaths, 8000},
};

constexpr int ManyPointShards = 8;
constexpr int ManyPointSeedsPerShard = 10;

class ManyPointEquivalence : public ::testing::TestWithParam<std::tuple<ManyPointFamily, int>>
{
};

TEST_P(ManyPointEquivalence, FastPlannerBuildsTheReferenceTree)
{
    const auto &[family, shard] = GetParam();
    for (int seed = shard * ManyPointSeedsPerShard; seed < (shard + 1) * ManyPointSeedsPerShard; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 6151 + 29));
        // One project in four has enough figures for the neighbour-slot
        // strategies: a few figures of many points among small ones of every
        // kind, scattered over them (inside the rings, across the paths).
        Project p;
        if (seed % 4 == 3) {
            p = family.make(rng, 3 + static_cast<int>(rng() % 3), 4000);
            Project small = fixtures::Mixed(rng, 18 + static_cast<int>(rng() % 8));
            const std::int32_t spanX = std::max(1, p.state.pk.x - p.state.pp.x);
            const std::int32_t spanY = std::max(1, p.state.pk.y - p.state.pp.y);
            for (tfigura &f : small.figures) {
                const std::int32_t dx
                    = p.state.pp.x + static_cast<std::int32_t>(rng() % static_cast<unsigned>(spanX));
                const std::int32_t dy
                    = p.state.pp.y + static_cast<std::int32_t>(rng() % static_cast<unsigned>(spanY));
                for (TPlotPoint &q : f.points)
                    q = {q.x % 600 + dx, q.y % 600 + dy};
                const bool drawing = f.drawingFigure;
                const bool closed = f.closed;
                fixtures::Prepare(f);
                f.drawingFigure = drawing;
                f.closed = closed;
                f.open = !closed;
                p.add(std::move(f));
            }
            p.bounds();
        } else {
            p = family.make(rng, 1 + static_cast<int>(rng() % 7), family.totalPoints);
        }
        if (seed % 5 == 4)
            p.settings.mode = 2;
        ExpectSamePlan(std::move(p), seed);
        if (HasFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, ManyPointEquivalence,
                         ::testing::Combine(::testing::ValuesIn(ManyPointFamilies),
                                            ::testing::Range(0, ManyPointShards)),
                         ShardName);

// Drawings as a shop brings them, small: parts with holes (a run per
// container), rings around one centre in any order (adoption passes, edge
// spans), tiled letters with holes, many small figures.
TEST(PlannerEquivalence, ShopDrawingsMatchTheReference)
{
    for (int seed = 0; seed < 24; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 9973 + 5));
        const auto uniform
            = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
        Project p;
        switch (seed % 4) {
        case 0:
            p = fixtures::PartsSheet(rng, uniform(1, 30), uniform(6, 40));
            break;
        case 1:
            p = fixtures::ConcentricRings(rng, uniform(2, 40), uniform(20, 600), seed % 8 == 1);
            break;
        case 2:
            p = fixtures::TextSheet(rng, uniform(1, 40), uniform(1, 2));
            break;
        default:
            p = fixtures::SmallFigures(rng, uniform(1, 120), 10);
            break;
        }
        if (seed % 6 == 5)
            p.settings.mode = 2;
        ExpectSamePlan(std::move(p), seed);
        if (HasFailure())
            return;
    }
}

// Sheets side by side, each holding more parts than the strategy for a few
// children takes: the sheets' parts are joined on a few threads, and the
// plan is still the reference's.
TEST(PlannerEquivalence, SheetsOfManyPartsSideBySideMatchTheReference)
{
    for (int seed = 0; seed < 3; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed + 31));
        Project p;
        for (int sheet = 0; sheet < 3 + seed; ++sheet) {
            const std::int32_t x0 = sheet * 6500;
            p.add(fixtures::Square(x0, 0, 6000));
            for (int k = 0; k < 45; ++k) {
                const auto jitter = [&] { return static_cast<std::int32_t>(rng() % 100); };
                const std::int32_t cx = x0 + 400 + (k % 9) * 600 + jitter();
                const std::int32_t cy = 400 + (k / 9) * 700 + jitter();
                p.add(fixtures::Circle(cx, cy, 150 + static_cast<std::int32_t>(rng() % 30),
                                       6 + static_cast<int>(rng() % 10)));
            }
        }
        p.bounds();
        ExpectSamePlan(std::move(p), seed);
        if (HasFailure())
            return;
    }
}

// Large drawings are worked on a few threads, a chunk of figures each: the
// results must be those of one pass over all of them.
TEST(PlannerEquivalence, LargeDrawingsWorkedOnThreadsMatchOnePass)
{
    std::mt19937 rng(77);
    Project p = fixtures::PartsSheet(rng, 320, 12);
    Project q = p;
    std::int32_t d1 = 0;
    std::int32_t d2 = 0;
    reference::co_w_czym(p.figures, d1);
    co_w_czym(q.figures, d2);
    ASSERT_EQ(d1, d2);
    for (std::size_t k = 0; k < p.figures.size(); ++k) {
        ASSERT_EQ(p.figures[k].container, q.figures[k].container) << k;
        ASSERT_EQ(p.figures[k].childCount, q.figures[k].childCount) << k;
    }

    BuildVertexRecords(q.figures);
    for (std::size_t k = 0; k < q.figures.size(); ++k) {
        std::vector<tfigura> alone {q.figures[k]};
        BuildVertexRecords(alone);
        ASSERT_EQ(alone[0].vertexInfo.size(), q.figures[k].vertexInfo.size());
        for (std::size_t v = 0; v < alone[0].vertexInfo.size(); ++v)
            ASSERT_EQ(alone[0].vertexInfo[v].angle, q.figures[k].vertexInfo[v].angle) << k << " " << v;
    }

    OrderByDistance(q.figures);
    const int count = static_cast<int>(q.figures.size());
    std::vector<std::pair<std::int64_t, int>> keys;
    for (int a = 0; a < count; a += 7) {
        keys.clear();
        for (int b = 0; b < count; ++b)
            keys.emplace_back(NeighbourKey(q.figures, a, b), b);
        std::sort(keys.begin(), keys.end());
        for (std::size_t s = 0; s < q.figures[a].neighbourSlots.size(); ++s)
            ASSERT_EQ(q.figures[a].neighbourSlots[s], keys[s].second) << a << " " << s;
    }

    // Paths longer than one block of segments, summed in one pass.
    std::vector<tfigura> paths;
    for (int f = 0; f < 3; ++f) {
        std::vector<TPlotPoint> line;
        std::int32_t x = 0;
        std::int32_t y = 0;
        for (int v = 0; v < 500000; ++v) {
            x += static_cast<std::int32_t>(rng() % 61) - 30;
            y += static_cast<std::int32_t>(rng() % 61) - 30;
            line.push_back({x, y});
        }
        paths.push_back(fixtures::Polyline(line));
    }
    double length = 0.0;
    for (const tfigura &f : paths) {
        for (std::size_t k = 1; k < f.points.size(); ++k)
            length += PointDistance(f.points[k - 1], f.points[k]);
    }
    EXPECT_EQ(flatplan::PathLength(paths), length);
}

TEST(PlannerEquivalence, ContainmentMatchesTheReferencePasses)
{
    for (int seed = 0; seed < 200; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        Project p = fixtures::Mixed(rng, 1 + static_cast<int>(rng() % 80));
        Project q = p;
        std::int32_t d1 = 0;
        std::int32_t d2 = 0;
        reference::co_w_czym(p.figures, d1);
        co_w_czym(q.figures, d2);
        SCOPED_TRACE(seed);
        ASSERT_EQ(d1, d2);
        for (std::size_t k = 0; k < p.figures.size(); ++k) {
            ASSERT_EQ(p.figures[k].container, q.figures[k].container) << k;
            ASSERT_EQ(p.figures[k].depth, q.figures[k].depth) << k;
            ASSERT_EQ(p.figures[k].childCount, q.figures[k].childCount) << k;
        }
    }
}

TEST(PlannerEquivalence, NeighbourSlotsMatchTheBubbleSortedKeys)
{
    for (int seed = 0; seed < 100; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed + 1000));
        Project p = fixtures::Mixed(rng, 21 + static_cast<int>(rng() % 100));
        std::int32_t depth = 0;
        co_w_czym(p.figures, depth);
        Project q = p;
        reference::OrderByDistance(p.figures);
        OrderByDistance(q.figures);
        SCOPED_TRACE(seed);
        for (std::size_t k = 0; k < p.figures.size(); ++k)
            ASSERT_EQ(p.figures[k].neighbourSlots, q.figures[k].neighbourSlots) << k;
    }
}

} // namespace
