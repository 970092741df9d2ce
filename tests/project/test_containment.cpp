// Containment, depths and the per-vertex records of the flat planner.

#include "drawing/geometry.h"
#include "planner_fixtures.h"
#include "project/containment.h"
#include "project/edgespans.h"
#include "reference_planner.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

using fixtures::Polyline;
using fixtures::Square;

constexpr double HalfPi = 1.5707963267948966;

// Works out containment and checks every figure's container, depth and
// adoption count, and the greatest depth, against the reference passes.
void ContainmentAsTheReference(std::vector<tfigura> &figures, std::int32_t &maxDepth)
{
    std::vector<tfigura> expected = figures;
    std::int32_t expectedDepth = 0;
    reference::co_w_czym(expected, expectedDepth);
    co_w_czym(figures, maxDepth);
    ASSERT_EQ(maxDepth, expectedDepth);
    for (std::size_t k = 0; k < figures.size(); ++k) {
        ASSERT_EQ(figures[k].container, expected[k].container) << k;
        ASSERT_EQ(figures[k].depth, expected[k].depth) << k;
        ASSERT_EQ(figures[k].childCount, expected[k].childCount) << k;
    }
}

TEST(FigureInside, ContainmentRules)
{
    struct Case
    {
        const char *name;
        tfigura inner;
        tfigura outer;
        bool inside;
    };
    // The container has a notch up from its bottom edge; the inner
    // figure's first vertex lies on the notch, where the vertical meets the
    // container's edge itself (offset 0): parities differ, the next vertex decides.
    const tfigura notched = Polyline({{0, 0}, {50, 40}, {100, 0}, {100, 100}, {0, 100}, {0, 0}});
    const Case cases[] = {
        {"square in square", Square(10, 10, 50), Square(0, 0, 100), true},
        {"identical closed figures", Square(0, 0, 100), Square(0, 0, 100), false},
        {"inside an open figure's box", Square(10, 10, 50),
         Polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}), false},
        {"shared side value", Square(0, 10, 50), Square(0, 0, 100), false},
        {"box inside but outside the outline", Square(60, 5, 10), notched, false},
        {"degenerate first vertex skipped", Polyline({{75, 20}, {60, 60}, {80, 60}, {75, 20}}), notched,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<tfigura> figures {c.inner, c.outer};
        EXPECT_EQ(FigureInside(figures, 0, 1), c.inside);
        EXPECT_FALSE(FigureInside(figures, 1, 0));
    }
}

TEST(FigureInside, EdgeSpansGiveTheAnswersOfTheFullScan)
{
    // Containers on a coarse lattice, so verticals often pass through their
    // vertices and along their vertical edges (differing parities), some with
    // an arc left out (one long edge), and small figures placed all over them.
    std::mt19937 rng(11);
    const auto uniform
        = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    int insideCount = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<TPlotPoint> outline;
        const int n = uniform(32, 400);
        const int gap = round % 3 == 0 ? uniform(0, n / 2) : n;
        for (int k = 0; k < n; ++k) {
            if (k > gap && k < gap + n / 3)
                continue;
            const double t = 2 * 3.14159265358979323846 * k / n;
            const int r = uniform(60, 100);
            outline.push_back({static_cast<std::int32_t>(std::lround(r * std::cos(t))) / 4 * 4,
                               static_cast<std::int32_t>(std::lround(r * std::sin(t))) / 4 * 4});
        }
        outline.push_back(outline.front());
        std::vector<tfigura> figures {Polyline(outline)};
        const EdgeSpans spans(figures[0].points);
        for (int k = 0; k < 60; ++k) {
            const std::int32_t x = uniform(-100, 90) / 2 * 2;
            const std::int32_t y = uniform(-100, 90) / 2 * 2;
            const std::int32_t size = uniform(1, 12);
            figures.push_back(uniform(0, 1)
                                  ? Square(x, y, size)
                                  : Polyline({{x, y}, {x + size, y + size}, {x, y + size}, {x, y}}));
            const int i = static_cast<int>(figures.size()) - 1;
            const bool inside = FigureInside(figures, i, 0);
            insideCount += inside ? 1 : 0;
            ASSERT_EQ(FigureInside(figures, i, 0, &spans), inside) << round << " " << k;
        }
    }
    EXPECT_GT(insideCount, 100);
}

TEST(CoWCzym, ThreeNestedSquaresGetDepthsAndAdoptionCounts)
{
    // The child count counts adoptions: listed outer first, the innermost
    // square is put into the outer one before it moves on to the middle one.
    struct Case
    {
        const char *name;
        std::vector<int> order; // list position of outer, middle, inner
        int outerChildren;
    };
    const Case cases[] = {
        {"outer first", {0, 1, 2}, 2},
        {"inner first", {2, 1, 0}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<tfigura> figures(3);
        figures[static_cast<std::size_t>(c.order[0])] = Square(0, 0, 1000);
        figures[static_cast<std::size_t>(c.order[1])] = Square(100, 100, 800);
        figures[static_cast<std::size_t>(c.order[2])] = Square(200, 200, 200);
        std::int32_t maxDepth = 0;
        co_w_czym(figures, maxDepth);
        const tfigura &outer = figures[static_cast<std::size_t>(c.order[0])];
        const tfigura &middle = figures[static_cast<std::size_t>(c.order[1])];
        const tfigura &inner = figures[static_cast<std::size_t>(c.order[2])];
        EXPECT_EQ(maxDepth, 2);
        EXPECT_EQ(outer.depth, 0);
        EXPECT_EQ(middle.depth, 1);
        EXPECT_EQ(inner.depth, 2);
        EXPECT_EQ(outer.container, -1);
        EXPECT_EQ(middle.container, c.order[0]);
        EXPECT_EQ(inner.container, c.order[1]);
        EXPECT_EQ(outer.childCount, c.outerChildren);
        EXPECT_EQ(middle.childCount, 1);
        EXPECT_EQ(inner.childCount, 0);
    }
}

TEST(CoWCzym, DeepNestingReachesEveryLevel)
{
    // Hundreds of nested squares, listed innermost first so that every
    // adoption moves a whole chain deeper.
    std::vector<tfigura> figures;
    for (int k = 499; k >= 0; --k)
        figures.push_back(Square(2 * k, 2 * k, 20000 - 4 * k));
    std::int32_t maxDepth = 0;
    co_w_czym(figures, maxDepth);
    EXPECT_EQ(maxDepth, 499);
    EXPECT_EQ(figures.front().depth, 499);
    EXPECT_EQ(figures.front().container, 1);
    EXPECT_EQ(figures.back().childCount, 1);
}

TEST(CoWCzym, ContainersTestedForManyFiguresGiveTheAnswersOfTheFullScan)
{
    // A square around a self-crossing outline on a lattice, both tested for
    // over a thousand small figures whose first vertices lie in open space, on
    // the outline's vertices and on its edges; once in units, once scaled up
    // so that many lattice points share one stretch of the outline's box.
    std::mt19937 rng(5);
    const auto uniform
        = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    for (const std::int32_t scale : {1, 1000}) {
        std::vector<TPlotPoint> outline;
        for (int k = 0; k < 60; ++k)
            outline.push_back({uniform(-25, 25) * 4 * scale, uniform(-25, 25) * 4 * scale});
        outline.push_back(outline.front());
        std::vector<tfigura> figures {Square(-110 * scale, -110 * scale, 220 * scale), Polyline(outline)};
        for (int k = 0; k < 1500; ++k) {
            TPlotPoint v {uniform(-105, 100) * scale + uniform(0, scale - 1),
                          uniform(-105, 100) * scale + uniform(0, scale - 1)};
            const auto m = static_cast<std::size_t>(uniform(0, 59));
            if (k % 3 == 1)
                v = outline[m];
            else if (k % 3 == 2) {
                const int t = uniform(1, 3);
                v = {outline[m].x + (outline[m + 1].x - outline[m].x) / 4 * t,
                     outline[m].y + (outline[m + 1].y - outline[m].y) / 4 * t};
            }
            const std::int32_t size = uniform(1, 4) * scale;
            figures.push_back(Polyline({v, {v.x + size, v.y + size}, {v.x, v.y + size}, v}));
        }
        SCOPED_TRACE(scale);
        std::int32_t maxDepth = 0;
        ASSERT_NO_FATAL_FAILURE(ContainmentAsTheReference(figures, maxDepth));
        int inSquare = 0;
        int inOutline = 0;
        for (std::size_t k = 0; k < figures.size(); ++k) {
            inSquare += figures[k].container == 0 ? 1 : 0;
            inOutline += figures[k].container == 1 ? 1 : 0;
        }
        EXPECT_GT(inSquare, 300);
        EXPECT_GT(inOutline, 300);
    }
}

// Open figures hold nothing, so their adoptions are worked out after the
// closed figures' passes, from the depths as each pass found them: squares
// nested many deep in shuffled order move depths in every pass, before and
// after the open figures' places, and thousands of open strokes are shared
// out to threads.
TEST(CoWCzym, OpenFiguresAmongShuffledNestedSquaresAsThePassesAdoptThem)
{
    for (const unsigned seed : {3U, 11U}) {
        std::mt19937 rng(seed);
        const auto uniform
            = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
        std::vector<tfigura> figures;
        for (int k = 0; k < 120; ++k) {
            const int size = uniform(20, 900);
            figures.push_back(Square(uniform(0, 1000 - size), uniform(0, 1000 - size), size));
        }
        for (int k = 0; k < 4500; ++k) {
            const TPlotPoint a {uniform(0, 1000), uniform(0, 1000)};
            figures.push_back(Polyline({a, {a.x + uniform(1, 30), a.y + uniform(-30, 30)}}));
        }
        std::shuffle(figures.begin(), figures.end(), rng);
        SCOPED_TRACE(seed);
        std::int32_t maxDepth = 0;
        ASSERT_NO_FATAL_FAILURE(ContainmentAsTheReference(figures, maxDepth));
        int nestedStrokes = 0;
        for (std::size_t k = 0; k < figures.size(); ++k) {
            nestedStrokes += figures[k].open && figures[k].depth >= 3 ? 1 : 0;
        }
        EXPECT_GE(maxDepth, 6);
        EXPECT_GT(nestedStrokes, 500);
    }
}

// Open figures listed before every closed one all see the same depths in a
// pass, and are worked out of list order, by place: thousands of strokes in
// front of squares nested many deep in shuffled order.
TEST(CoWCzym, OpenFiguresListedBeforeShuffledNestedSquaresAsThePassesAdoptThem)
{
    std::mt19937 rng(7);
    const auto uniform
        = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    std::vector<tfigura> figures;
    for (int k = 0; k < 4500; ++k) {
        const TPlotPoint a {uniform(0, 1000), uniform(0, 1000)};
        figures.push_back(Polyline({a, {a.x + uniform(1, 30), a.y + uniform(-30, 30)}}));
    }
    std::vector<tfigura> squares;
    for (int k = 0; k < 120; ++k) {
        const int size = uniform(20, 900);
        squares.push_back(Square(uniform(0, 1000 - size), uniform(0, 1000 - size), size));
    }
    std::shuffle(squares.begin(), squares.end(), rng);
    figures.insert(figures.end(), squares.begin(), squares.end());
    std::int32_t maxDepth = 0;
    ASSERT_NO_FATAL_FAILURE(ContainmentAsTheReference(figures, maxDepth));
    int nestedStrokes = 0;
    for (const tfigura &f : figures)
        nestedStrokes += f.open && f.depth >= 3 ? 1 : 0;
    EXPECT_GE(maxDepth, 6);
    EXPECT_GT(nestedStrokes, 500);
}

TEST(VertexRecords, AnglesOfRectangleAndSinglePoint)
{
    std::vector<tfigura> figures {Square(0, 0, 100), Polyline({{5, 5}})};
    BuildVertexRecords(figures);
    ASSERT_EQ(figures[0].vertexInfo.size(), 5u);
    for (const TVertexInfo &v : figures[0].vertexInfo)
        EXPECT_DOUBLE_EQ(std::abs(v.angle), HalfPi);
    // A figure of one point still gets its first and last records.
    ASSERT_EQ(figures[1].vertexInfo.size(), 2u);
    EXPECT_EQ(figures[1].vertexInfo[0].angle, HalfPi);
    EXPECT_EQ(figures[1].vertexInfo[1].angle, HalfPi);
}

TEST(VertexRecords, EveryInnerTurnIsTheVertexAngleOfItsNeighbours)
{
    // Open and closed zig-zags with repeated points, so that edges of no
    // length and turns of pi come up; later rounds scatter their points over
    // 81 units far from the origin, so that short and long steps both come up.
    std::mt19937 rng(3);
    for (int round = 0; round < 80; ++round) {
        std::vector<TPlotPoint> points;
        const int spread = round < 50 ? 5 : 81;
        const std::int32_t origin = round < 50 ? 0 : -15000000 + 1000003 * (round - 50);
        for (int k = 0; k < 3 + round; ++k)
            points.push_back({origin + static_cast<std::int32_t>(rng() % spread),
                              origin + static_cast<std::int32_t>(rng() % spread)});
        if (round % 2 == 0)
            points.push_back(points.front());
        std::vector<tfigura> figures {Polyline(points)};
        BuildVertexRecords(figures);
        const auto &records = figures[0].vertexInfo;
        ASSERT_EQ(records.size(), points.size());
        for (std::size_t k = 1; k + 1 < points.size(); ++k)
            ASSERT_EQ(records[k].angle, VertexAngle(points[k - 1], points[k], points[k + 1]))
                << round << " " << k;
    }
}

TEST(VertexRecords, MarksAndWeights)
{
    // A rectangle at depth 1: every corner a candidate at weight 6.
    // At depth 2 the corners weigh 5.
    std::vector<tfigura> figures {Square(0, 0, 100), Square(10, 10, 50)};
    figures[0].depth = 1;
    figures[1].depth = 2;
    BuildVertexRecords(figures);
    MarkCandidateVertices(figures);
    for (const TVertexInfo &v : figures[0].vertexInfo) {
        EXPECT_EQ(v.candidate, 1);
        EXPECT_EQ(v.weight, 6);
    }
    for (const TVertexInfo &v : figures[1].vertexInfo)
        EXPECT_EQ(v.weight, 5);
}

TEST(VertexRecords, SmoothCircleMarksExtremesAndEveryNinthVertex)
{
    // 100 points: no corners; the extremes get 8 (y) and 9 (x); from
    // vertex 0 every ninth unmarked vertex (100 div 12 + 1) gets 10.
    std::vector<TPlotPoint> points;
    for (int k = 0; k < 99; ++k) {
        const double t = 2 * 3.14159265358979323846 * (k + 0.5) / 99;
        points.push_back({static_cast<std::int32_t>(std::nearbyint(10000 * std::cos(t))),
                          static_cast<std::int32_t>(std::nearbyint(10000 * std::sin(t)))});
    }
    points.push_back(points.front());
    std::vector<tfigura> figures {Polyline(points)};
    figures[0].depth = 1;
    BuildVertexRecords(figures);
    MarkCandidateVertices(figures);
    const tfigura &f = figures[0];
    const auto &e = f.extremeVertices;
    for (int v = 0; v < 100; ++v) {
        SCOPED_TRACE(v);
        const TVertexInfo &info = f.vertexInfo[static_cast<std::size_t>(v)];
        if (v == e[2] || v == e[3]) {
            EXPECT_EQ(info.weight, 8);
        } else if (v == e[0] || v == e[1]) {
            EXPECT_EQ(info.weight, 9);
        } else if (v % 9 == 0) {
            EXPECT_EQ(info.candidate, 1);
            EXPECT_EQ(info.weight, 10);
        } else {
            EXPECT_EQ(info.candidate, 0);
        }
    }
}

TEST(VertexRecords, OpenFiguresAreCandidatesEverywhereAtWeightFive)
{
    std::vector<tfigura> figures {Polyline({{0, 0}, {100, 0}, {200, 5}})};
    figures[0].depth = 1;
    BuildVertexRecords(figures);
    MarkCandidateVertices(figures);
    for (const TVertexInfo &v : figures[0].vertexInfo) {
        EXPECT_EQ(v.candidate, 1);
        EXPECT_EQ(v.weight, 5);
    }
}

} // namespace
