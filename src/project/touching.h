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

// Joins pending figures that touch joined ones, following chains of touching
// figures at once; passes until a pass joins nothing.
void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes,
                         const PlanStop &stop = {});

// Joins to the root every figure it touches (joined or not).
void JoinFiguresTouchingRoot(std::vector<tfigura> &figures, int root, double tolerance,
                             FigureIndexes &indexes, const PlanStop &stop = {});

// The box of a figure's points as they are now.
PlanBox PointBox(const tfigura &figure);

// Which vertices lie within the tolerance (straight distance) of a vertex of
// another figure. Every vertex of the project goes into one grid of cells
// about as large as the room of one vertex, so a question looks at the few
// vertices of the cells around it, whatever the shape of the figures.
class VertexProximity
{
public:
    VertexProximity(const std::vector<tfigura> &figures, double tolerance);
    bool tooClose(int figure, int vertex);

private:
    struct Item
    {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t figure = 0;
    };

    void index();
    bool near(int figure, TPlotPoint p) const;
    std::int64_t column(std::int64_t x) const;
    std::int64_t row(std::int64_t y) const;

    const std::vector<tfigura> &m_figures;
    double m_tolerance;
    std::int64_t m_reach = 0; // the tolerance rounded up: no farther vertex is near
    bool m_indexed = false;
    std::int64_t m_originX = 0;
    std::int64_t m_originY = 0;
    std::int64_t m_cell = 1;
    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::vector<std::int32_t> m_cellStart; // items of cell c: m_items[m_cellStart[c] .. m_cellStart[c + 1])
    std::vector<Item> m_items;
    int m_answersOf = -1; // the figure whose answers m_answers holds
    std::vector<std::int8_t> m_answers; // per vertex of that figure: -1 not asked yet
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
