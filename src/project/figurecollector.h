#pragma once

#include "drawing/figure.h"
#include "project/flatmultimap.h"
#include "project/projectdocument.h"

#include <cstdint>
#include <vector>

// Builds the figure list of a drawing from the accepted figures, one by one,
// as loading does:
//  - an open new figure takes in every open project figure whose end meets one
//    of its ends (the first such figure in list order, rule by rule, passes
//    repeated until a pass joins nothing), and those figures leave the list;
//  - a figure equal point for point to one already in the list is dropped;
//  - with cross-to-point cutting a two-point line that crosses an earlier
//    two-point line replaces it by one cross point.
//
// The result equals the straightforward list scans exactly; the candidates are
// found through a grid of end points (cell size the tolerance) and a hash of
// point count and first and last point, so a drawing cut into many pieces
// loads in linear time.
class TFigureCollector
{
public:
    TFigureCollector(double tolerance, bool crossToPoint);

    void Add(tfigura figure);
    // The same for a figure whose parameters were worked out beforehand with
    // the collector's tolerance (TProjectDocument::Parameters): they serve
    // unless joining changes the figure.
    void Add(tfigura &&figure, const TFigureParameters &parameters);
    // The figures in list order; the collector is empty afterwards.
    std::vector<tfigura> TakeFigures();

private:
    // A joinable figure's ends, kept in the grid so that a search does not
    // have to visit the figure.
    struct TEndEntry
    {
        int slot = -1;
        TPlotPoint first;
        TPlotPoint last;
    };

    // Live figures whose ends meet one of the figure's ends: the first in
    // list order after the slot `after` (the walk of the current pass goes on
    // there), and the first of all (where the next pass would start); -1 none.
    struct TJoinCandidates
    {
        int afterCursor = -1;
        int first = -1;
    };

    void Collect(tfigura &&figure, const TFigureParameters *parameters);
    // True when the figure took in others.
    bool JoinOpenPolylines(tfigura &figure);
    TJoinCandidates FindJoinCandidates(const tfigura &figure, int after) const;
    bool IsDuplicateFigure(const tfigura &figure) const;
    // True when the figure became a cross point.
    bool MakeCrossPoint(tfigura &figure);
    void IndexLine(const tfigura &figure, int slot);

    void Append(tfigura &&figure);
    void Remove(int slot);

    std::uint64_t CellKey(std::int64_t cx, std::int64_t cy) const;
    std::int64_t CellOf(std::int64_t coordinate) const;
    void IndexEnds(const tfigura &figure, int slot);
    void UnindexEnds(const tfigura &figure, int slot);
    static std::uint64_t ShapeKey(const tfigura &figure);

    double m_tolerance;
    bool m_crossToPoint;
    std::int64_t m_reach = 0;
    std::int64_t m_cellSize = 1;
    // The figures by slot, removed ones left empty and marked dead.
    std::vector<tfigura> m_figures;
    std::vector<std::uint8_t> m_alive;
    // End points of the open figures that may be joined, by grid cell.
    TFlatMultiMap<TEndEntry> m_ends;
    // Figures by point count, first and last point.
    TFlatMultiMap<int> m_shapes;
    // Two-point figures in list order (dead ones skipped when met), and the
    // same by columns of x; long ones apart.
    std::vector<int> m_lines;
    TFlatMultiMap<int> m_lineColumns;
    std::vector<int> m_longLines;
    std::vector<int> m_candidates;
};
