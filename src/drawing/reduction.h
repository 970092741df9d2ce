#pragma once

#include "drawing/figure.h"

#include <vector>

// Thins a figure's polyline: runs of points that lie strictly within `tol` plotter units of the
// chord between their ends are replaced by that chord. The first and the last point are always
// kept, so a closed figure stays closed; a point exactly `tol` away is kept.
void ReducePoints(tfigura &figure, double tol);
// The same on the figure at `index` of a figure list.
void ReduceFigurePoints(std::vector<tfigura> &figures, std::size_t index, double tol);

// ReducePoints run again and again on a polyline that grows at its end between the runs (a path
// reduced after every curve added to it), with the same points after each run as ReducePoints on
// the whole list, at the cost of the tail only.
//
// Reduction is not idempotent, so every run must see the whole list. But a point lying at least
// `tol` off the line through its two neighbours ends the window that reaches it at once, so a
// prefix of such points is walked point by point, deleting nothing: the walk may start at that
// prefix's last point. The length of the prefix is kept between runs; a run only rewrites points
// after it, so only its last point needs checking again.
class TResumableReduction
{
public:
    explicit TResumableReduction(double tol)
        : m_tol(tol)
    { }

    // For a new polyline.
    void restart() { m_stable = 1; }
    // Between two runs the list may only grow at its end.
    void Reduce(std::vector<TPlotPoint> &points);
    // Points 1 .. stablePrefix() - 1 lie at least tol off their neighbours' line.
    std::size_t stablePrefix() const { return m_stable; }

private:
    double m_tol;
    std::size_t m_stable = 1;
};
