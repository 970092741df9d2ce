#pragma once

// The per-figure indexes of one flat planning run, each built the first time
// it is asked for and kept for the rest of the run. Only figures whose points
// never move are indexed: a generated figure (the start figure, a connector)
// has its ends moved onto what it touches, and it has two points anyway.

#include "drawing/figure.h"
#include "drawing/geometry.h"
#include "project/candidatetree.h"
#include "project/planstop.h"

#include <deque>
#include <optional>
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
    // which `wantSampled` holds and, with `marked`, every marked tree, so that
    // the strategies find them made instead of building one at a time.
    // A stop leaves the rest to be built when asked for.
    template<class WantSampled>
    void prepareCandidates(WantSampled wantSampled, bool marked, const PlanStop &stop = {});

private:
    bool fixed(int f) const;
    void prepareCandidates(const std::vector<std::uint8_t> &sampled, bool marked, const PlanStop &stop);

    // Deques: growing them keeps references to what they hold.
    const std::vector<tfigura> &m_figures;
    std::deque<std::optional<CandidateTree>> m_vertices;
    std::deque<std::optional<EdgeTree>> m_edges;
    std::deque<std::optional<CandidateTree>> m_sampled;
    std::deque<std::optional<CandidateTree>> m_marked;
};

template<class WantSampled>
void FigureIndexes::prepareCandidates(WantSampled wantSampled, bool marked, const PlanStop &stop)
{
    std::vector<std::uint8_t> sampled(m_figures.size(), 0);
    for (std::size_t f = 0; f < m_figures.size(); ++f)
        sampled[f] = wantSampled(static_cast<int>(f)) ? 1 : 0;
    prepareCandidates(sampled, marked, stop);
}

// Does the cut s cross an edge of f? Edges ending at the cut's own vertex v do
// not count; the closing edge of a closed figure always does. The edge tree,
// when given, answers for the open edges.
bool CutCrossesFigure(const TSegment &s, const tfigura &f, int v, const EdgeTree *edges);
