#pragma once

#include "drawing/figure.h"

#include <vector>

// Thins a figure's polyline: runs of points that lie strictly within `tol` plotter units of the
// chord between their ends are replaced by that chord. The first and the last point are always
// kept, so a closed figure stays closed; a point exactly `tol` away is kept.
void ReducePoints(tfigura &figure, double tol);
// The same on the figure at `index` of a figure list.
void ReduceFigurePoints(std::vector<tfigura> &figures, std::size_t index, double tol);
