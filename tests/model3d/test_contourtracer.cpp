// Following a silhouette's edge: runs, forks, closing, joining, merging, dropping specks and
// thinning, in plotter units (8 per cell).

#include "drawing/reduction.h"
#include "model3d/contourtracer.h"

#include <gtest/gtest.h>

namespace {

using Points = std::vector<TPlotPoint>;

tpix2d Grid(std::int32_t largestX, std::int32_t largestY, const std::vector<TCell> &edges)
{
    tpix2d grid(largestX, largestY);
    for (const TCell &c : edges)
        grid.at(c.x, c.y) = CellEdge;
    return grid;
}

std::vector<TCell> RowRun(std::int32_t x0, std::int32_t x1, std::int32_t y)
{
    std::vector<TCell> cells;
    for (std::int32_t x = x0; x <= x1; ++x)
        cells.push_back({x, y});
    return cells;
}

tfigura Contour(Points points, bool closed = false)
{
    tfigura f;
    f.points = std::move(points);
    f.serialMark = closed;
    return f;
}

} // namespace

TEST(ContourTracer, FollowsARunAndClosesOnlyLongContoursWhoseEndsMeet)
{
    struct Case
    {
        std::int32_t cells;
        bool closed;
    };
    // 5 cells: ends 32 apart but only 5 points; 7 cells: 8 points with ends 48 apart;
    // 8 cells: 56 apart.
    for (const Case c : {Case {5, false}, Case {7, true}, Case {8, false}}) {
        SCOPED_TRACE(c.cells);
        tpix2d grid = Grid(20, 10, RowRun(2, 1 + c.cells, 3));
        ContourTracer tracer;
        tracer.setGrid(grid);
        const std::vector<tfigura> contours = tracer.TraceContours();
        ASSERT_EQ(contours.size(), 1u);
        Points expected;
        for (std::int32_t x = 2; x <= 1 + c.cells; ++x)
            expected.push_back({8 * x, 24});
        if (c.closed)
            expected.push_back(expected.front());
        EXPECT_EQ(contours[0].points, expected);
        EXPECT_EQ(contours[0].serialMark, c.closed);
        EXPECT_EQ(grid.at(2, 3), CellEdge | CellVisited);
        EXPECT_EQ(tracer.lastDirection(), 2) << "the last step went right";
    }
}

TEST(ContourTracer, AtAForkTheEdgeNeighbourBeatsTheDiagonal)
{
    // From (3,3) both (4,4), up right and first in order, and (4,3), right, are free.
    tpix2d grid = Grid(10, 10, {{3, 3}, {4, 3}, {4, 4}});
    ContourTracer tracer;
    tracer.setGrid(grid);
    const std::vector<tfigura> contours = tracer.TraceContours();
    ASSERT_EQ(contours.size(), 1u);
    EXPECT_EQ(contours[0].points, (Points {{24, 24}, {32, 24}, {32, 32}}));
}

TEST(ContourTracer, OpenContoursJoinByTheirNearestEndsBelowSixCells)
{
    const tfigura f = Contour({{0, 0}, {100, 0}});
    struct Case
    {
        const char *name;
        Points c;
        Points joined; // empty: not joined
    };
    const Case cases[] = {
        {"first to first",
         {{-40, 0}, {-90, 10}, {-140, 0}},
         {{-140, 0}, {-90, 10}, {-40, 0}, {0, 0}, {100, 0}}},
        {"first to last",
         {{-140, 0}, {-90, 10}, {-40, 0}},
         {{-140, 0}, {-90, 10}, {-40, 0}, {0, 0}, {100, 0}}},
        {"last to first", {{140, 0}, {190, 10}, {240, 0}}, {{0, 0}, {100, 0}, {140, 0}, {190, 10}, {240, 0}}},
        {"last to last", {{240, 0}, {190, 10}, {140, 0}}, {{0, 0}, {100, 0}, {140, 0}, {190, 10}, {240, 0}}},
        {"48 apart", {{148, 0}, {240, 0}}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<tfigura> contours {f};
        EXPECT_EQ(JoinToEarlierContour(contours, Contour(c.c), ContourJoinTolerance()), !c.joined.empty());
        EXPECT_EQ(contours[0].points, c.joined.empty() ? f.points : c.joined);
        EXPECT_FALSE(contours[0].serialMark);
    }

    // A join that brings the ends within six cells closes the contour; a closed contour
    // takes no joins.
    std::vector<tfigura> contours {Contour({{0, 0}, {100, 0}, {100, 100}, {0, 100}})};
    ASSERT_TRUE(JoinToEarlierContour(contours, Contour({{-20, 80}, {-20, 30}}), ContourJoinTolerance()));
    EXPECT_EQ(contours[0].points,
              (Points {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {-20, 80}, {-20, 30}, {0, 0}}));
    EXPECT_TRUE(contours[0].serialMark);
    EXPECT_FALSE(JoinToEarlierContour(contours, Contour({{0, 10}, {0, 20}}), ContourJoinTolerance()));
    std::vector<tfigura> none;
    EXPECT_FALSE(JoinToEarlierContour(none, Contour({{0, 10}, {0, 20}}), ContourJoinTolerance()));
}

TEST(ContourTracer, LaterContoursMergeIntoTheFirstAndSpecksAreDropped)
{
    std::vector<tfigura> contours {
        Contour({{0, 0}, {100, 0}}), Contour({{1000, 0}, {1100, 0}}), Contour({{140, 0}, {200, 0}}),
        Contour({{240, 0}, {300, 0}}), // near the first only once the third has joined it
    };
    MergeIntoFirstContour(contours, ContourJoinTolerance());
    ASSERT_EQ(contours.size(), 2u);
    EXPECT_EQ(contours[0].points, (Points {{0, 0}, {100, 0}, {140, 0}, {200, 0}, {240, 0}, {300, 0}}));
    EXPECT_EQ(contours[1].points.front(), (TPlotPoint {1000, 0}));

    // Beside a long run, a lone cell is a speck; alone it is the contour.
    tpix2d grid = Grid(40, 20, RowRun(2, 30, 3));
    grid.at(20, 15) = CellEdge;
    ContourTracer tracer;
    const std::vector<tfigura> steps = StepContours(tracer, grid);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].points.front(), (TPlotPoint {16, 24}));
    tpix2d lone = Grid(40, 20, {{20, 15}});
    EXPECT_EQ(StepContours(tracer, lone).size(), 1u);
}

TEST(ContourTracer, TheFirstContourIsThinnedAtOneAndAHalfCells)
{
    // A run with a bump of one cell (8 units off the chord, dropped) and one of two cells
    // (16 units, kept).
    std::vector<TCell> cells = RowRun(2, 9, 3);
    cells.push_back({10, 4});
    for (const TCell &c : RowRun(11, 19, 3))
        cells.push_back(c);
    cells.push_back({20, 4});
    cells.push_back({21, 5});
    cells.push_back({22, 4});
    for (const TCell &c : RowRun(23, 30, 3))
        cells.push_back(c);
    tpix2d grid = Grid(40, 10, cells);
    tpix2d copy = grid;
    ContourTracer tracer;
    const std::vector<tfigura> contours = StepContours(tracer, grid);
    ASSERT_EQ(contours.size(), 1u);
    EXPECT_EQ(contours[0].points, (Points {{16, 24}, {160, 32}, {240, 24}}));
    // Thinned at 12 units: at 8 or 16 the points would differ.
    tracer.setGrid(copy);
    const std::vector<tfigura> traced = tracer.TraceContours();
    for (const double tolerance : {8.0, 16.0}) {
        std::vector<tfigura> other = traced;
        ReduceFigurePoints(other, 0, tolerance);
        EXPECT_NE(other[0].points, contours[0].points) << tolerance;
    }
}
