#pragma once

// Which figure lies inside which, and the per-vertex records on which the
// connector strategies choose where connectors start and end.

#include "drawing/figure.h"
#include "project/planstop.h"

#include <cstdint>
#include <vector>

class EdgeSpans;

// Both figures have the same points, in the same order.
bool SameFigure(const tfigura &a, const tfigura &b);

// Figure i lies inside figure j: i's box strictly inside j's box, and a
// vertical through one of i's vertices meets j's edges an odd number of times
// below it (a vertex whose vertical meets j degenerately is skipped).
bool FigureInside(const std::vector<tfigura> &figures, int i, int j);
// The same, with j's edge spans (when given) picking the edges a vertical
// meets instead of a scan of all of j's edges.
bool FigureInside(const std::vector<tfigura> &figures, int i, int j, const EdgeSpans *spansOfJ);

// Recomputes container, depth and child count of every figure and raises
// maxDepth. The child count is the number of adoptions, so a figure that moved
// on to a deeper container stays counted in its former one.
void co_w_czym(std::vector<tfigura> &figures, std::int32_t &maxDepth, const PlanStop &stop = {});

// Rebuilds every figure's vertex records with their corner angles; marks and
// weights stay 0 until MarkCandidateVertices.
void BuildVertexRecords(std::vector<tfigura> &figures, const PlanStop &stop = {});

// Candidate marks and weights (tenths) of every vertex: corners and open
// figures first, then the extreme vertices, then about twelve evenly spaced
// vertices of a long smooth figure.
void MarkCandidateVertices(std::vector<tfigura> &figures, const PlanStop &stop = {});
