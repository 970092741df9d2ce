#include "model3d/contourtracer.h"

#include "drawing/geometry.h"
#include "drawing/reduction.h"

#include <algorithm>

namespace {

double SquaredDistance(TPlotPoint p, TPlotPoint q)
{
    return double(DistanceSquared(p, q));
}

// C's points put before or after F's, by which pair of ends was nearest:
// 0 first-first, 1 first-last, 2 last-first, 3 last-last.
void JoinContour(tfigura &f, const tfigura &c, int nearest)
{
    std::vector<TPlotPoint> &points = f.points;
    switch (nearest) {
    case 0: // C reversed, then F
        points.insert(points.begin(), c.points.rbegin(), c.points.rend());
        break;
    case 1: // C, then F
        points.insert(points.begin(), c.points.begin(), c.points.end());
        break;
    case 2: // F, then C
        points.insert(points.end(), c.points.begin(), c.points.end());
        break;
    default: // F, then C reversed
        points.insert(points.end(), c.points.rbegin(), c.points.rend());
        break;
    }
}

// The nearest pair of ends of two contours (ties to the lower case) and its distance.
std::pair<int, double> NearestEnds(const tfigura &f, const tfigura &c)
{
    const double distances[4] = {
        PointDistance32(f.points.front(), c.points.front()),
        PointDistance32(f.points.front(), c.points.back()),
        PointDistance32(f.points.back(), c.points.front()),
        PointDistance32(f.points.back(), c.points.back()),
    };
    int nearest = -1;
    double least = 2147483647.0;
    for (int i = 0; i < 4; ++i) {
        if (distances[i] < least) {
            least = distances[i];
            nearest = i;
        }
    }
    return {nearest, least};
}

// Row 0 of the grid, where the model stands on its base, lies at y = 0.
bool StandsOnBase(const tfigura &contour)
{
    return std::any_of(contour.points.begin(), contour.points.end(), [](TPlotPoint p) { return p.y == 0; });
}

// A closed contour round a part standing on the base, opened as the first part is traced:
// from one end of its longest run along the base round to the other, the run between them
// left out. A part that touches the base in one point is cut round from that point. False
// for a contour that lies on the base all along.
bool OpenAtBase(tfigura &contour)
{
    const std::vector<TPlotPoint> loop(contour.points.begin(), contour.points.end() - 1);
    const std::size_t n = loop.size();
    auto onBase = [&](std::size_t i) { return loop[i % n].y == 0; };
    std::size_t first = 0, longest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!onBase(i) || onBase(i + n - 1))
            continue;
        std::size_t length = 1;
        while (onBase(i + length))
            ++length;
        if (length > longest) {
            first = i;
            longest = length;
        }
    }
    if (longest == 0)
        return false;
    std::vector<TPlotPoint> open;
    const std::size_t last = first + longest - 1;
    for (std::size_t i = last; open.empty() || i % n != first; ++i)
        open.push_back(loop[i % n]);
    open.push_back(loop[first]);
    contour.points = std::move(open);
    contour.serialMark = false;
    return true;
}

} // namespace

std::int32_t ContourJoinTolerance(double pixelSize)
{
    return MmToUnits(6 * pixelSize);
}

ContourTracer::ContourTracer(double pixelSize)
    : m_pixelSize(pixelSize)
{ }

void ContourTracer::setGrid(tpix2d &grid)
{
    m_grid = &grid;
    m_scan = {};
    m_current = {};
    auto units = [this](std::int32_t largest, std::vector<std::int32_t> &to) {
        to.resize(std::size_t(std::max(largest, 0)) + 1);
        for (std::int32_t i = 0; i <= largest; ++i)
            to[std::size_t(i)] = MmToUnits(i * m_pixelSize);
    };
    units(grid.largestX(), m_unitsX);
    units(grid.largestY(), m_unitsY);
}

bool ContourTracer::free(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || y < 0 || x > m_grid->largestX() || y > m_grid->largestY())
        return false;
    const std::uint8_t value = m_grid->at(x, y);
    return (value & CellEdge) && !(value & CellVisited);
}

bool ContourTracer::FindContourStart()
{
    if (m_grid == nullptr || m_grid->empty())
        return false;
    for (std::int32_t y = m_scan.y; y <= m_grid->largestY(); ++y) {
        for (std::int32_t x = y == m_scan.y ? m_scan.x : 0; x <= m_grid->largestX(); ++x) {
            if (free(x, y)) {
                m_current = m_scan = {x, y};
                return true;
            }
        }
    }
    return false;
}

void ContourTracer::markCurrent()
{
    m_grid->at(m_current.x, m_current.y) |= CellVisited;
}

int ContourTracer::score(TCell cell) const
{
    int empty = 0, interior = 0, visited = 0;
    for (const auto &offset : NeighbourOffsets) {
        const std::int32_t x = cell.x + offset[0];
        const std::int32_t y = cell.y + offset[1];
        if (x < 0 || y < 0 || x > m_grid->largestX() || y > m_grid->largestY())
            continue;
        const std::uint8_t value = m_grid->at(x, y);
        empty += (value & CellEmpty) != 0;
        interior += (value & CellInterior) != 0;
        visited += (value & CellVisited) != 0;
    }
    // An edge cell between the outside and the inside, or one beside the trace so far.
    return std::max(empty, interior) + visited;
}

void ContourTracer::moveTo(TCell cell, int direction)
{
    m_current = cell;
    m_direction = direction;
}

bool ContourTracer::NextContourCell()
{
    const TCell here = m_current;
    auto neighbour = [here](int k) {
        return TCell {here.x + NeighbourOffsets[k][0], here.y + NeighbourOffsets[k][1]};
    };
    bool counted[8];
    int count = 0;
    int last = -1;
    for (int k = 0; k < 8; ++k) {
        const TCell n = neighbour(k);
        counted[k] = free(n.x, n.y);
        if (counted[k]) {
            ++count;
            last = k;
        }
    }
    if (count == 0)
        return false;
    if (count == 1) {
        moveTo(neighbour(last), last);
        return true;
    }
    const TPlotPoint point = currentPoint();
    if (count == 2) {
        // The nearer of the two: an edge neighbour (64 squared units) before a diagonal one
        // (128); on a tie the earlier direction.
        int choice = -1;
        double least = 0;
        for (int k = 0; k < 8; ++k) {
            if (!counted[k])
                continue;
            const double d = SquaredDistance(point, pointOf(neighbour(k)));
            if (choice < 0 || d < least) {
                choice = k;
                least = d;
            }
        }
        moveTo(neighbour(choice), choice);
        return true;
    }
    // Three or more: starting three directions back from the way the trace came, the
    // neighbour with the best score (an edge between outside and inside, or one touching the
    // trace so far), the nearest among equal scores.
    int bestScore = -1;
    double least = 2147483647.0;
    int choice = -1;
    for (int i = 0; i < 8; ++i) {
        const int k = (m_direction + 5 + i) % 8;
        if (!counted[k])
            continue;
        const TCell n = neighbour(k);
        const double d = SquaredDistance(point, pointOf(n));
        const int s = score(n);
        if (s != bestScore) {
            if (d < least)
                least = d;
            if (s > bestScore) {
                choice = k;
                bestScore = s;
            }
        } else if (d < least) {
            choice = k;
            least = d;
        }
    }
    if (bestScore < 1)
        return false;
    moveTo(neighbour(choice), choice);
    return true;
}

std::vector<tfigura> ContourTracer::TraceContours()
{
    const std::int32_t tolerance = ContourJoinTolerance(m_pixelSize);
    std::vector<tfigura> contours;
    m_scan = {};
    while (FindContourStart()) {
        tfigura figure;
        figure.AddPoint(currentPoint());
        for (;;) {
            markCurrent();
            if (!NextContourCell())
                break;
            figure.AddPoint(currentPoint());
        }
        figure.serialMark = figure.points.size() > 5
            && PointDistance(figure.points.front(), figure.points.back()) <= tolerance;
        if (figure.serialMark)
            figure.AddPoint(figure.points.front());
        figure.serialIndex = -1;
        if (!figure.serialMark && JoinToEarlierContour(contours, figure, tolerance))
            continue;
        contours.push_back(std::move(figure));
    }
    return contours;
}

bool JoinToEarlierContour(std::vector<tfigura> &contours, const tfigura &c, double tolerance,
                          std::size_t first)
{
    for (std::size_t i = first; i < contours.size(); ++i) {
        tfigura &f = contours[i];
        if (f.serialMark)
            continue;
        const auto [nearest, distance] = NearestEnds(f, c);
        if (!(distance < tolerance))
            continue;
        JoinContour(f, c, nearest);
        if (PointDistance(f.points.front(), f.points.back()) <= tolerance)
            f.AddPoint(f.points.front());
        f.serialMark = PointsWithinQuarterStep(f.points.front(), f.points.back());
        return true;
    }
    return false;
}

void MergeIntoFirstContour(std::vector<tfigura> &contours, double tolerance)
{
    std::size_t i = 1;
    while (i < contours.size()) {
        tfigura &first = contours.front();
        if (!first.serialMark) {
            const auto [nearest, distance] = NearestEnds(first, contours[i]);
            if (distance < tolerance) {
                JoinContour(first, contours[i], nearest);
                contours.erase(contours.begin() + std::ptrdiff_t(i));
                i = 1;
                continue;
            }
        }
        ++i;
    }
}

std::vector<tfigura> StepContours(ContourTracer &tracer, tpix2d &grid, double pixelSize)
{
    tracer.setGrid(grid);
    std::vector<tfigura> contours = tracer.TraceContours();
    MergeIntoFirstContour(contours, ContourJoinTolerance(pixelSize));
    // Specks of one or two cells beside the silhouette are no figure to cut.
    if (contours.size() > 1) {
        for (std::size_t i = contours.size(); i-- > 0;) {
            if (contours[i].points.size() < 3)
                contours.erase(contours.begin() + std::ptrdiff_t(i));
        }
    }
    // The interior marking keeps the tracer off the base along its first run only, so a
    // silhouette standing on the base in several places closes round every other part there:
    // each is opened at its base and thinned as the first is, a part of its own rather than
    // an inner contour that the step would drop.
    const double thinning = MmToUnits(1.5 * pixelSize);
    if (std::count_if(contours.begin(), contours.end(), StandsOnBase) > 1) {
        for (std::size_t i = 0; i < contours.size(); ++i) {
            if (contours[i].serialMark && StandsOnBase(contours[i]) && OpenAtBase(contours[i]) && i > 0)
                ReduceFigurePoints(contours, i, thinning);
        }
    }
    if (!contours.empty())
        ReduceFigurePoints(contours, 0, thinning);
    return contours;
}
