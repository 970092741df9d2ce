#include "drawing/reduction.h"

#include "drawing/geometry.h"

#include <algorithm>

namespace {

TPointF toF(TPlotPoint p)
{
    return {double(p.x), double(p.y)};
}

// Whether every point strictly between `from` and `to` lies closer than tol to their chord.
// The scan stops at the first point that does not: only "all below" matters, not the maximum.
bool windowWithin(const std::vector<TPlotPoint> &pts, std::size_t from, std::size_t to, double tol)
{
    const TLineCoef line = LineCoefficients(toF(pts[from]), toF(pts[to]));
    for (std::size_t k = from + 1; k < to; ++k)
        if (!(DistancePointLine(toF(pts[k]), line) < tol))
            return false;
    return true;
}

// The walk keeps an anchor and grows a window past it while the window's inner points stay
// within tolerance; when the window fails, the point before its end becomes the next anchor and
// the points between are dropped. Deleting from the middle of the list leaves the anchor's
// successors in their original order, so the walk runs over the original indexes and moves the
// kept points down in place: a kept point never moves up, and the walk reads only from its
// anchor on. The points before `start` are kept as they are, the last of them the first anchor.
void walkFrom(std::vector<TPlotPoint> &pts, std::size_t start, double tol)
{
    const std::size_t n = pts.size();
    std::size_t anchor = start - 1;
    std::size_t end = start + 1;
    std::size_t kept = start;
    while (end < n) {
        if (windowWithin(pts, anchor, end, tol)) {
            ++end;
        } else {
            anchor = end - 1;
            pts[kept++] = pts[anchor];
            end = anchor + 2;
        }
    }
    pts[kept++] = pts[n - 1];
    pts.resize(kept);
}

} // namespace

void ReducePoints(tfigura &figure, double tol)
{
    if (figure.points.size() >= 3)
        walkFrom(figure.points, 1, tol);
}

void ReduceFigurePoints(std::vector<tfigura> &figures, std::size_t index, double tol)
{
    if (index < figures.size())
        ReducePoints(figures[index], tol);
}

void TResumableReduction::Reduce(std::vector<TPlotPoint> &points)
{
    const std::size_t n = points.size();
    if (n < 3)
        return;
    // With points 1 .. s - 1 off their neighbours' line, a walk from the start reaches anchor
    // s - 1 and window end s + 1 having dropped nothing.
    const std::size_t s = std::min(m_stable, n - 1);
    walkFrom(points, s, m_tol);
    // Points up to s - 1 are where they were; point s - 1 has a new right neighbour.
    const std::size_t m = points.size();
    std::size_t k = std::max<std::size_t>(s - 1, 1);
    while (k + 1 < m && !windowWithin(points, k - 1, k + 1, m_tol))
        ++k;
    m_stable = k;
}
