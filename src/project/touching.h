#pragma once

// Figures that touch within the drawing tolerance are joined without a
// connector; open figures with a free end may become the root.

#include "drawing/figure.h"
#include "project/boxgrid.h"
#include "project/figureindexes.h"
#include "project/planstop.h"

#include <cstdint>
#include <vector>

// The first vertex pair (a's vertices from the last down, and for each b's
// from the last down) within the tolerance in x and in y, both inclusive.
// On success a generated figure's (kind 3) vertex is moved onto the other's:
// first a's, then b's. Figures with vertex trees are searched through them.
bool FiguresTouch(std::vector<tfigura> &figures, int a, int b, double tolerance, std::int32_t &vertexA,
                  std::int32_t &vertexB, FigureIndexes &indexes);

// What one joining of touching figures leaves for the next in the same plan:
// how many of each figure's touchers, from the front of its list, had joined.
// It holds as long as no joined figure is made pending again, which planning
// never does: a later joining starts its walks past them.
struct TouchWalk
{
    std::vector<std::size_t> joinedFront;
};

// Joins pending figures that touch joined ones, following chains of touching
// figures at once; passes until a pass joins nothing.
void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes,
                         const PlanStop &stop = {}, TouchWalk *walk = nullptr);

// Joins to the root every figure it touches (joined or not).
void JoinFiguresTouchingRoot(std::vector<tfigura> &figures, int root, double tolerance,
                             FigureIndexes &indexes, const PlanStop &stop = {});

// The box of a figure's points as they are now.
PlanBox PointBox(const tfigura &figure);

// For an open figure that touches another: enters it at its free end (entry
// vertex 0, or its last vertex) and answers true; false when both ends touch
// or nothing does. Which of its vertices lie within the tolerance of another
// figure's is told by their place: the first, the last, one between
// (VertexGrid::NearEnds).
bool FreeEndEntry(tfigura &figure, std::uint8_t nearEnds);
