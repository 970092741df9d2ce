#pragma once

// Following the edge of a silhouette grid into contours in plotter units: cell (x, y) lies at
// (MmToUnits(x * pixel size), MmToUnits(y * pixel size)), 8 units per cell at 0.2 mm, with
// cell (0, 0) at the project's origin and y upwards.

#include "drawing/figure.h"
#include "model3d/silhouette.h"

#include <cstdint>
#include <vector>

// (dx, dy) by direction index: up, up right, right, down right, down, down left, left, up left.
inline constexpr int NeighbourOffsets[8][2]
    = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};

struct TCell
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const TCell &) const = default;
};

// The tracer's state. The last direction carries over from contour to contour and from one
// step of a serial cut to the next, as where a trace goes at a crossing of three or more
// free neighbours depends on it.
class ContourTracer
{
public:
    explicit ContourTracer(double pixelSize = SilhouettePixelSize);

    // Takes a grid to trace; the scan starts again at (0, 0).
    void setGrid(tpix2d &grid);

    // The next unvisited edge cell from the scan position, row by row upwards, becomes the
    // current cell and the scan position.
    bool FindContourStart();
    // One step along the edge from the current cell; false at the contour's end.
    bool NextContourCell();
    // The visited mark on the current cell.
    void markCurrent();

    TCell current() const { return m_current; }
    TPlotPoint currentPoint() const { return pointOf(m_current); }
    int lastDirection() const { return m_direction; }
    void setLastDirection(int direction) { m_direction = direction & 7; }
    void setCurrent(TCell cell) { m_current = cell; }

    TPlotPoint pointOf(TCell cell) const
    {
        return {m_unitsX[std::size_t(cell.x)], m_unitsY[std::size_t(cell.y)]};
    }

    // Every contour of the grid, closed (serial mark 1, first point repeated) where more than
    // 5 points end within 6 cells of their start; open ones joined to earlier open ones whose
    // end lies within 6 cells.
    std::vector<tfigura> TraceContours();

private:
    bool free(std::int32_t x, std::int32_t y) const;
    int score(TCell cell) const;
    void moveTo(TCell cell, int direction);

    double m_pixelSize;
    tpix2d *m_grid = nullptr;
    std::vector<std::int32_t> m_unitsX;
    std::vector<std::int32_t> m_unitsY;
    TCell m_current;
    TCell m_scan;
    int m_direction = 0;
};

// 6 cells in plotter units: ends closer than this are joined, a contour whose ends are no
// farther apart is closed.
std::int32_t ContourJoinTolerance(double pixelSize = SilhouettePixelSize);

// Joins the open contour `c` to the first open contour of `contours` (from `first` on) with an
// end nearer than the tolerance, by the nearest pair of ends; the joined contour is closed
// when its ends come within the tolerance. False when no contour qualifies.
bool JoinToEarlierContour(std::vector<tfigura> &contours, const tfigura &c, double tolerance,
                          std::size_t first = 0);
// While the first contour is open, joins into it every later contour with an end within the
// tolerance, starting over after each join.
void MergeIntoFirstContour(std::vector<tfigura> &contours, double tolerance);

// The contours of one step's silhouette, as the step's project takes them: traced, merged
// into the first, contours under 3 points dropped when several remain, and the first one
// thinned at 1.5 cells.
std::vector<tfigura> StepContours(ContourTracer &tracer, tpix2d &grid,
                                  double pixelSize = SilhouettePixelSize);
