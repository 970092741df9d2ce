#pragma once

// Figures that touch within the drawing tolerance are joined without a
// connector; open figures with a free end may become the root.

#include "drawing/figure.h"
#include "project/boxgrid.h"
#include "project/figureindexes.h"

#include <cstdint>
#include <vector>

// The first vertex pair (a's vertices from the last down, and for each b's
// from the last down) within the tolerance in x and in y, both inclusive.
// On success a generated figure's (kind 3) vertex is moved onto the other's:
// first a's, then b's. Figures with vertex trees are searched through them.
bool FiguresTouch(std::vector<tfigura> &figures, int a, int b, double tolerance, std::int32_t &vertexA,
                  std::int32_t &vertexB, FigureIndexes &indexes);

// Joins pending figures that touch joined ones, following chains of touching
// figures at once; passes until a pass joins nothing.
void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes);

// Joins to the root every figure it touches (joined or not).
void JoinFiguresTouchingRoot(std::vector<tfigura> &figures, int root, double tolerance,
                             FigureIndexes &indexes);

// The box of a figure's points as they are now.
PlanBox PointBox(const tfigura &figure);

// Which vertices lie within the tolerance (straight distance) of a vertex of
// another figure. Only the figures whose boxes come that close are looked
// at, through their vertex trees.
class VertexProximity
{
public:
    VertexProximity(const std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes);
    bool tooClose(int figure, int vertex);

private:
    void gatherNear(int figure);
    bool near(int figure, TPlotPoint p);
    bool closeTo(int other, TPlotPoint p);

    const std::vector<tfigura> &m_figures;
    double m_tolerance;
    FigureIndexes &m_indexes;
    std::vector<PlanBox> m_boxes;
    BoxGrid m_grid;
    int m_nearOf = -1; // the figure whose neighbours m_near holds
    std::vector<int> m_near;
    std::vector<std::int8_t> m_answers; // per vertex of that figure: -1 not asked yet
    std::vector<int> m_found;
};

// For an open figure that touches another: enters it at its free end (entry
// vertex 0, or its last vertex) and answers true; false when both ends touch
// or nothing does.
template<class TooClose> bool FreeEndEntry(tfigura &figure, TooClose tooClose)
{
    const int n = static_cast<int>(figure.points.size());
    if (n == 0)
        return false;
    bool laterClose = false;
    for (int k = 1; k < n && !laterClose; ++k)
        laterClose = tooClose(k);
    if (!tooClose(0) && laterClose) {
        figure.entryVertex = 0;
        return true;
    }
    if (tooClose(n - 1))
        return false;
    for (int k = 0; k + 1 < n; ++k) {
        if (tooClose(k)) {
            figure.entryVertex = n - 1;
            return true;
        }
    }
    return false;
}
