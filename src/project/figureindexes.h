#pragma once

// The per-figure indexes of one flat planning run, each built the first time
// it is asked for and kept for the rest of the run. Only figures whose points
// never move are indexed: a generated figure (the start figure, a connector)
// has its ends moved onto what it touches, and it has two points anyway.

#include "drawing/figure.h"
#include "drawing/geometry.h"
#include "project/candidatetree.h"
#include "project/parallelchunks.h"
#include "project/planstop.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The edges of one polyline in blocks of consecutive edges, with the box of
// every block and of every run of blocks, for the question whether a cut
// crosses the polyline.
class EdgeTree
{
public:
    explicit EdgeTree(const std::vector<TPlotPoint> &points);

    // True when s crosses an edge k -> k + 1 of points with neither end at
    // vertex v, exactly as testing every edge with SegmentsIntersect. The
    // closing edge of a closed figure is not among them.
    bool crosses(const std::vector<TPlotPoint> &points, const TSegment &s, int v) const;

private:
    bool crossesIn(const std::vector<TPlotPoint> &points, const TSegment &s, int v, std::size_t level,
                   std::size_t block, const PlanBox &cut, double margin) const;

    // Level 0 holds the boxes of blocks of edges, each level above the boxes
    // of pairs of the level below; all in one list, level by level.
    std::vector<PlanBox> m_boxes;
    std::vector<std::size_t> m_levelStart; // and one past the last level
    std::int64_t m_edgeCount = 0;
    double m_largest = 0; // largest coordinate magnitude
};

// Every vertex of the figures whose points never move, in one grid of cells
// at least twice the tolerance across and about as large as the room of one
// vertex: the vertices within the tolerance of a point lie in the two by two
// cells around it, whatever the shape of the figures (a long line's box says
// nothing of where its two ends lie). The cells lie in memory in square
// tiles, so that the cells around a point, and along a figure, lie close
// together.
class VertexGrid
{
public:
    // Which of a figure's vertices have another figure's vertex within the
    // tolerance (straight distance): its first, its last, one between.
    enum NearEnds : std::uint8_t { FirstNear = 1, LastNear = 2, InnerNear = 4 };

    // Which of the vertices of a figure that never moves have another
    // figure's vertex within the tolerance (NearEnds): its ends and, only
    // when neither is, the vertices between until one is.
    std::uint8_t nearEnds(int f);
    // For a caller about to ask the ends of open figures of that many points
    // in all: past some tens of thousands, every open figure's ends are
    // answered now, at once, instead of one figure after another first.
    void expectEnds(std::size_t points);
    // The figures that never move with a vertex within the tolerance of one
    // of f's in x and in y, in list order; found at the first question and
    // kept (f never moves).
    std::span<const std::int32_t> touchers(int f);

    // Left unset when made: the grid is filled in place.
    struct Item
    {
        std::int32_t x;
        std::int32_t y;
        std::int32_t figure;
    };

    // A stop leaves the grid unfinished: it serves a run that is ending.
    VertexGrid(const std::vector<tfigura> &figures, double tolerance, const PlanStop &stop = {});

    // Calls visit(item) for every vertex within the tolerance of p in x and
    // in y, and for a few more of the same cells.
    template<class Visit> void near(TPlotPoint p, Visit &&visit) const
    {
        if (m_itemCount == 0)
            return;
        for (std::int64_t cy = row(p.y - m_reach); cy <= row(p.y + m_reach); ++cy) {
            for (std::int64_t cx = column(p.x - m_reach); cx <= column(p.x + m_reach); ++cx) {
                const std::size_t c = cellIndex(cx, cy);
                for (std::int32_t k = m_cellStart[c]; k < m_cellStart[c + 1]; ++k)
                    visit(m_items[static_cast<std::size_t>(k)]);
            }
        }
    }

private:
    static constexpr std::int64_t TileSide = 8;
    enum Known : std::uint8_t { KnownEnds = 1, KnownTouchers = 2 };

    // Left of the origin the cast truncates toward zero, and the clamp keeps
    // the first column: that only widens the cells looked at. A product
    // instead of a division: any cell numbering that never falls as the
    // coordinate grows finds every vertex in the cells around a point, for
    // the cells are numbered the same way when filled and when asked.
    std::int64_t column(std::int64_t x) const
    {
        const auto c = static_cast<std::int64_t>(static_cast<double>(x - m_originX) * m_perCell);
        return std::clamp<std::int64_t>(c, 0, m_columns - 1);
    }
    std::int64_t row(std::int64_t y) const
    {
        const auto r = static_cast<std::int64_t>(static_cast<double>(y - m_originY) * m_perCell);
        return std::clamp<std::int64_t>(r, 0, m_rows - 1);
    }
    std::size_t cellIndex(std::int64_t cx, std::int64_t cy) const
    {
        const std::int64_t tile = (cy / TileSide) * m_tilesAcross + cx / TileSide;
        return static_cast<std::size_t>((tile * TileSide + cy % TileSide) * TileSide + cx % TileSide);
    }

    const std::vector<tfigura> &m_figures;
    double m_tolerance;
    std::int64_t m_reach = 0; // the tolerance rounded up
    std::int64_t m_originX = 0;
    std::int64_t m_originY = 0;
    std::int64_t m_cell = 1;
    double m_perCell = 1.0;
    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::int64_t m_tilesAcross = 0;
    // Items of cell c: m_items[m_cellStart[c] .. m_cellStart[c + 1]).
    std::unique_ptr<std::int32_t[]> m_cellStart;
    std::unique_ptr<Item[]> m_items;
    std::size_t m_itemCount = 0;
    bool nearOther(int f, TPlotPoint p) const;
    // Answers figure k's ends question given which of its ends are near:
    // the vertices between are asked only when neither is.
    void finishNearEnds(std::size_t k, std::uint8_t ends);
    void findAllNearEnds();
    // Returns how many vertices it met on the way.
    std::size_t findTouchers(std::size_t k);
    void findAllTouchers();
    void findEachTouchers();
    // Calls pair(a, b) once for every two vertices of different figures a
    // and b within the tolerance in x and in y whose first lies in the tile
    // rows [firstRow, endRow).
    template<class Pair> void eachNearPair(std::int64_t firstRow, std::int64_t endRow, Pair &&pair) const;
    // Answers figure k's question (`known` the bit saying it is answered)
    // with find(k), or all figures' at once with findAll() once the
    // question goes over the whole drawing; `asked` counts the points of the
    // figures that asked it.
    template<class FindAll, class Find>
    void answer(std::size_t k, std::uint8_t known, std::size_t &asked, FindAll &&findAll, Find &&find);

    PlanStop m_stop;
    static constexpr std::size_t ManyAsked = std::size_t {1} << 16;
    std::size_t m_endsAsked = 0;
    std::size_t m_touchersAsked = 0;
    std::uint8_t m_askedOfAll = 0; // Known bits of the questions answered for all at once

    std::vector<std::vector<std::int32_t>> m_touchers; // by figure, of those asked one by one
    std::unique_ptr<std::int32_t[]> m_allTouchers; // of those answered all at once
    std::vector<std::span<const std::int32_t>> m_answers; // by figure, in one of the two
    std::vector<std::uint8_t> m_known; // by figure: KnownEnds, KnownTouchers
    std::vector<std::uint8_t> m_nearEnds;
};

class FigureIndexes
{
public:
    explicit FigureIndexes(const std::vector<tfigura> &figures);

    // Every vertex of figure f, for touching; nullptr when f may move.
    CandidateTree *vertices(int f);
    // The edges of figure f; nullptr when f may move or is too short to need it.
    const EdgeTree *edges(int f);
    // Every step-th vertex and every marked vertex, as the connector
    // strategies score them: ask only once the marks and weights are set,
    // and touching is over.
    CandidateTree &sampled(int f);
    CandidateTree &marked(int f);
    // Builds now, on a few threads, the sampled trees of the figures for
    // which `wantSampled` holds and the marked trees of those for which
    // `wantMarked` holds, so that the strategies find them made instead of
    // building one at a time. A stop leaves the rest to be built when asked
    // for.
    template<class WantSampled, class WantMarked>
    void prepareCandidates(WantSampled wantSampled, WantMarked wantMarked, const PlanStop &stop = {});
    // What the marked or sampled tree of f would hold, at a glance: from the
    // tree when it is made, else from the figure without making it. Safe
    // beside threads that build other figures' trees once the slots exist.
    CandidateSummary candidateSummary(int f, bool marked) const;

    // A slot for every figure now in the list: from then on the indexes of
    // different figures may be built side by side, each on one thread.
    void makeSlots();

    // Every vertex of the figures that never move, in one grid; built at
    // the first question, kept until released.
    VertexGrid &vertexGrid(double tolerance, const PlanStop &stop = {});
    void releaseVertexGrid();
    bool fixed(int f) const;

private:
    void prepareCandidates(const std::vector<std::uint8_t> &wanted, const PlanStop &stop);

    // A slot for each figure, most of them never filled on a large drawing:
    // a pointer each, and growing them keeps references to the trees.
    const std::vector<tfigura> &m_figures;
    std::vector<std::unique_ptr<CandidateTree>> m_vertices;
    std::vector<std::unique_ptr<EdgeTree>> m_edges;
    std::vector<std::unique_ptr<CandidateTree>> m_sampled;
    std::vector<std::unique_ptr<CandidateTree>> m_marked;
    std::optional<VertexGrid> m_vertexGrid;
};

template<class WantSampled, class WantMarked>
void FigureIndexes::prepareCandidates(WantSampled wantSampled, WantMarked wantMarked, const PlanStop &stop)
{
    // Bit 1: the sampled tree, bit 2: the marked one. The questions read
    // the figures' records: asked on a few threads.
    std::vector<std::uint8_t> wanted(m_figures.size(), 0);
    ParallelChunks(m_figures.size(), 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f)
            wanted[f] = static_cast<std::uint8_t>((wantSampled(static_cast<int>(f)) ? 1 : 0)
                                                  | (wantMarked(static_cast<int>(f)) ? 2 : 0));
    });
    prepareCandidates(wanted, stop);
}
// Does the cut s cross an edge of f? Edges ending at the cut's own vertex v do
// not count; the closing edge of a closed figure always does. The edge tree,
// when given, answers for the open edges.
bool CutCrossesFigure(const TSegment &s, const tfigura &f, int v, const EdgeTree *edges);
