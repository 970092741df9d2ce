#include "drawing/reduction.h"

#include "drawing/geometry.h"

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

} // namespace

// The walk keeps an anchor and grows a window past it while the window's inner points stay
// within tolerance; when the window fails, the point before its end becomes the next anchor and
// the points between are dropped. Deleting from the middle of the list leaves the anchor's
// successors in their original order, so the walk runs over the original indexes and copies
// the kept points into a new list instead.
void ReducePoints(tfigura &figure, double tol)
{
    const std::vector<TPlotPoint> &pts = figure.points;
    const std::size_t n = pts.size();
    if (n < 3)
        return;
    std::vector<TPlotPoint> kept;
    kept.push_back(pts[0]);
    std::size_t anchor = 0;
    std::size_t end = 2;
    while (end < n) {
        if (windowWithin(pts, anchor, end, tol)) {
            ++end;
        } else {
            anchor = end - 1;
            kept.push_back(pts[anchor]);
            end = anchor + 2;
        }
    }
    kept.push_back(pts[n - 1]);
    figure.points = std::move(kept);
}

void ReduceFigurePoints(std::vector<tfigura> &figures, std::size_t index, double tol)
{
    if (index < figures.size())
        ReducePoints(figures[index], tol);
}
