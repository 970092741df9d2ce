// Cutting direction and the order of the figure list.

#include "planner_fixtures.h"
#include "project/direction.h"

#include <gtest/gtest.h>

namespace {

using fixtures::Polyline;

tfigura CrossPoint(std::int32_t x, std::int32_t y)
{
    tfigura f = Polyline({{x, y}, {x, y}});
    f.crossPoint = true;
    return f;
}

std::vector<TPlotPoint> FirstPoints(const std::vector<tfigura> &figures)
{
    std::vector<TPlotPoint> out;
    for (const tfigura &f : figures)
        out.push_back(f.points.front());
    return out;
}

TEST(ReverseFigure, ReversesPointsAndTheirRecords)
{
    tfigura two = Polyline({{0, 0}, {10, 0}});
    ReverseFigure(two);
    EXPECT_EQ(two.points, (std::vector<TPlotPoint> {{10, 0}, {0, 0}}));

    tfigura five = Polyline({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
    for (int k = 0; k < 5; ++k)
        five.vertexInfo.push_back(TVertexInfo {0.1 * k, k, 0});
    ReverseFigure(five);
    EXPECT_EQ(five.points[2], (TPlotPoint {2, 0}));
    EXPECT_EQ(five.points[0], (TPlotPoint {4, 0}));
    // Regression: reversing left the vertex records in the old order, so the
    // marks and weights belonged to other points afterwards.
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(five.vertexInfo[static_cast<std::size_t>(k)].weight, 4 - k);
}

TEST(UstawKierunek, MakesCutFiguresRunTheSameWayAlongX)
{
    struct Case
    {
        const char *name;
        int direction;
        std::vector<TPlotPoint> points;
        bool cut;
        TPlotPoint firstAfter;
        std::int32_t entryAfter;
    };
    const Case cases[] = {
        {"right, runs left", 1, {{100, 0}, {0, 0}}, true, {0, 0}, 0},
        {"right, runs right", 1, {{0, 0}, {100, 0}}, true, {0, 0}, 0},
        {"left, runs right", 0, {{0, 0}, {100, 5}}, true, {100, 5}, 0},
        {"equal x is right both ways", 0, {{50, 0}, {50, 10}}, true, {50, 0}, 0},
        {"not cut: untouched", 1, {{100, 0}, {0, 0}}, false, {100, 0}, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<tfigura> figures {Polyline(c.points)};
        figures[0].cut = c.cut;
        figures[0].entryVertex = 7;
        UstawKierunek(figures, c.direction);
        EXPECT_EQ(figures[0].points.front(), c.firstAfter);
        EXPECT_EQ(figures[0].entryVertex, c.entryAfter);
    }
}

TEST(CompareFirstPoints, ByXThenY)
{
    const tfigura a = Polyline({{1, 5}, {9, 9}});
    const tfigura b = Polyline({{2, 0}, {9, 9}});
    const tfigura c = Polyline({{1, 7}, {0, 0}});
    EXPECT_EQ(CompareFirstPoints(a, b), -1);
    EXPECT_EQ(CompareFirstPoints(b, a), 1);
    EXPECT_EQ(CompareFirstPoints(a, c), -1);
    EXPECT_EQ(CompareFirstPoints(a, a), 0);
}

TEST(UstawKolejnosc, CrossPointsRunInZigZagColumns)
{
    struct Case
    {
        const char *name;
        std::vector<TPlotPoint> input;
        std::vector<TPlotPoint> expected;
    };
    const Case cases[] = {
        {"three columns",
         {{5, 10}, {9, 0}, {0, 10}, {5, 0}, {0, 0}},
         {{0, 0}, {0, 10}, {5, 10}, {5, 0}, {9, 0}}},
        {"single cross point", {{3, 3}}, {{3, 3}}},
        {"one column keeps the sorted order", {{4, 9}, {4, 1}, {4, 5}}, {{4, 1}, {4, 5}, {4, 9}}},
        {"four columns",
         {{0, 0}, {1, 0}, {1, 1}, {2, 0}, {3, 0}, {3, 1}},
         {{0, 0}, {1, 1}, {1, 0}, {2, 0}, {3, 1}, {3, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<tfigura> figures;
        for (TPlotPoint p : c.input)
            figures.push_back(CrossPoint(p.x, p.y));
        UstawKolejnosc(figures);
        EXPECT_EQ(FirstPoints(figures), c.expected);
    }
}

TEST(UstawKolejnosc, OtherFiguresInsideAReversedRangeMoveWithIt)
{
    std::vector<tfigura> figures {CrossPoint(0, 0), CrossPoint(5, 0), Polyline({{5, 5}, {9, 9}}),
                                  CrossPoint(5, 9)};
    UstawKolejnosc(figures);
    EXPECT_EQ(FirstPoints(figures), (std::vector<TPlotPoint> {{0, 0}, {5, 9}, {5, 5}, {5, 0}}));
}

} // namespace
