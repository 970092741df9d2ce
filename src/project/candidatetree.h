#pragma once

// Exact indexes over the vertices of one figure, for the questions the flat
// planner asks of two figures at a time: which vertex pair scores best (the
// connector strategies) and which vertex pair touches first (joining
// touching figures).
//
// A strategy scores every candidate vertex of one figure against every
// candidate vertex of the other and keeps the least score, the first pair in
// loop order on ties. The scores never fall as the squared distance or a
// weight grows, so the gap between two boxes and the least weights inside
// them bound every pair of two groups of vertices from below. A tree over
// each figure's vertices, halving their range in vertex order where
// neighbouring vertices lie near each other and across the longer side of
// their box where they do not, lets the search skip every group pair whose
// bound, with its least vertex indexes, cannot beat the best pair found so
// far; the
// pairs it does score are compared by (score, vertex of a, vertex of b),
// which is the order the full scan meets them in. So the answer is the full
// scan's, ties included. The touching search is the same walk, for the
// greatest vertex pair within the tolerance.

#include "drawing/figure.h"
#include "project/boxgrid.h"

#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

// How a vertex pair is scored from the squared distance S of its points.
enum class PairScoring {
    Tenths, // S x factor(a) / 10 x factor(b) / 10, each truncated
    HalfHalf, // S x 5 / 10 x 5 / 10, whatever the weights
    Product, // S x weight(a) x weight(b)
};

// The score of a pair at squared distance s with these factors and weights.
template<PairScoring Scoring>
std::int64_t PairScoreOf(std::int64_t s, std::int64_t factorA, std::int64_t factorB, std::int64_t weightA,
                         std::int64_t weightB)
{
    if constexpr (Scoring == PairScoring::Tenths)
        return s * factorA / 10 * factorB / 10;
    else if constexpr (Scoring == PairScoring::HalfHalf)
        return s * 5 / 10 * 5 / 10;
    else
        return s * weightA * weightB;
}

// Calls call(std::integral_constant<PairScoring, scoring>): the loops over
// pairs are made once for each scoring, with its formula inlined.
template<class Call> decltype(auto) WithScoring(PairScoring scoring, Call &&call)
{
    switch (scoring) {
    case PairScoring::Tenths:
        return call(std::integral_constant<PairScoring, PairScoring::Tenths> {});
    case PairScoring::HalfHalf:
        return call(std::integral_constant<PairScoring, PairScoring::HalfHalf> {});
    case PairScoring::Product:
        break;
    }
    return call(std::integral_constant<PairScoring, PairScoring::Product> {});
}

inline PlanBox Shifted(const PlanBox &b, std::int64_t d)
{
    return PlanBox {b.minX + d, b.minY + d, b.maxX + d, b.maxY + d};
}

struct CandidatePoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t vertex = 0;
    std::int32_t factor = 10; // the weight where the vertex is a candidate, else 10
    std::int32_t weight = 10;
};

// A piece of a tree: one of its nodes, or one point of a leaf that spans too
// far to be looked at whole; the whole tree by default.
struct TreePart
{
    std::int32_t node = -1;
    std::int32_t point = -1;

    bool whole() const { return node < 0 && point < 0; }
};

// All of one figure's candidates at a glance: enough for a first bound.
struct CandidateSummary
{
    PlanBox box;
    std::int32_t minVertex = 0;
    std::int32_t minFactor = 10;
    std::int32_t minWeight = 10;
    std::size_t size = 0;
    bool boundable = true;
};

class CandidateTree
{
public:
    CandidateTree() = default;
    // The tree itself is built on the first search that needs it: a figure
    // that only ever meets a few small figures is scored pair by pair.
    explicit CandidateTree(std::vector<CandidatePoint> points);

    std::size_t size() const { return m_points.size(); }
    bool empty() const { return m_points.empty(); }
    // Pruning needs scores that never fall as S or a weight grows: false when
    // some weight is negative, and every pair is then scored.
    bool boundable() const { return m_boundable; }
    CandidateSummary summary() const;
    const std::vector<CandidatePoint> &points() const { return m_points; }

    // Cuts the tree into parts whose boxes are at most `side` across (the
    // whole tree when it fits; a leaf that does not fit goes point by point),
    // appending each with its box.
    void cut(std::int64_t side, std::vector<std::pair<TreePart, PlanBox>> &out);
    // Makes now what cutting at `side` will need: trees of different
    // figures may be prepared side by side.
    void prepareCut(std::int64_t side);

    // True when some point lies within the tolerance of (x, y), measured as
    // the straight distance of PointDistance.
    bool anyWithin(std::int32_t x, std::int32_t y, double tolerance);

    // The same points and tree with the weights of the records, by vertex (a
    // figure whose every vertex became a candidate keeps the tree it was
    // touched with).
    void reweigh(const std::vector<TVertexInfo> &records);

private:
    friend class PairSearch;
    friend class TouchSearch;
    friend class PendingIndex;

    struct Node
    {
        PlanBox box;
        std::int32_t begin = 0;
        std::int32_t end = 0;
        std::int32_t left = -1; // children, -1 for a leaf
        std::int32_t right = -1;
        std::int32_t minVertex = 0;
        std::int32_t maxVertex = 0;
        std::int32_t minFactor = 10;
        std::int32_t minWeight = 10;
    };

    void index();
    std::int32_t build(std::int32_t begin, std::int32_t end, const PlanBox &span);
    void cut(std::int32_t node, std::int64_t side, std::vector<std::pair<TreePart, PlanBox>> &out) const;
    // The part as a node: a leaf of one point for a point part.
    Node partNode(TreePart part);
    bool anyWithin(std::int32_t node, std::int32_t x, std::int32_t y, double tolerance) const;
    Node measure(std::int32_t begin, std::int32_t end) const;
    // Scoring every pair with a small figure costs about as much as building
    // the tree once; after a few such searches the tree pays off.
    bool worthIndexing(std::size_t partnerSize);

    std::vector<CandidatePoint> m_points; // in vertex order, or by node once indexed across the box
    std::vector<Node> m_nodes; // node 0 is the root; empty until indexed
    Node m_all; // every point, for the first bound before any tree exists
    std::int64_t m_unindexedWork = 0;
    bool m_boundable = true;
    bool m_acrossBox = false; // indexed across the box, not along the vertices
};

// The best pair found so far for one pending figure: its score, the joined
// figure and the two vertices. A pair of another joined figure b beats it
// when (score, b, va, vb) is lexicographically smaller. The same four values
// also serve as the least key any pair of two figures can have.
struct PairBest
{
    std::int64_t score = 0;
    int b = -1;
    std::int32_t va = -1;
    std::int32_t vb = -1;
    bool valid = false;
};

// Is l (valid) before r? Every pair whose score is below the largest beats
// an invalid r.
inline bool PairBefore(const PairBest &l, const PairBest &r)
{
    if (!r.valid)
        return l.score < std::numeric_limits<std::int64_t>::max();
    if (l.score != r.score)
        return l.score < r.score;
    if (l.b != r.b)
        return l.b < r.b;
    return l.va < r.va || (l.va == r.va && l.vb < r.vb);
}

// The score of a pair at squared distance s with these weights (the least
// ones of two groups give the least score of any pair between them).
std::int64_t PairScore(PairScoring scoring, std::int64_t s, std::int64_t factorA, std::int64_t factorB,
                       std::int64_t weightA, std::int64_t weightB);

// A key no pair of a's candidates, shifted by (da, da), and b's, shifted by
// (db, db), comes before: the bound of their boxes, b, and their least
// vertices. Invalid when either has no candidate.
PairBest LowerKey(const CandidateSummary &a, std::int64_t da, const CandidateSummary &b, std::int64_t db,
                  int figureB, PairScoring scoring);

// The same with the scoring known where it is called: a loop over many
// figures' keys has it inlined.
template<PairScoring Scoring>
PairBest LowerKeyOf(const CandidateSummary &a, std::int64_t da, const CandidateSummary &b, std::int64_t db,
                    int figureB)
{
    if (a.size == 0 || b.size == 0)
        return {};
    std::int64_t score = std::numeric_limits<std::int64_t>::min();
    if (a.boundable && b.boundable)
        score = PairScoreOf<Scoring>(BoxGapSquared(Shifted(a.box, da), Shifted(b.box, db)), a.minFactor,
                                     b.minFactor, a.minWeight, b.minWeight);
    return PairBest {score, figureB, a.minVertex, b.minVertex, true};
}

// The best pair between a's vertices, shifted by (da, da), and b's vertices,
// shifted by (db, db).
class PairSearch
{
public:
    PairSearch(CandidateTree &a, std::int64_t da, CandidateTree &b, std::int64_t db, int figureB,
               bool skipVertexZeroOfB, PairScoring scoring);

    // Updates best when a pair of these two figures beats it.
    void improve(PairBest &best);
    // The same between a part of a and a part of b.
    void improve(TreePart partA, TreePart partB, PairBest &best);

    std::size_t pairCount() const { return m_a.size() * m_b.size(); }

    // A key no pair of the two figures comes before (the bound of their
    // boxes, b, and their least vertices); invalid when they have no pair.
    PairBest lowerKey() const;

private:
    template<PairScoring Scoring> void run(PairBest &best);
    template<PairScoring Scoring>
    void run(const CandidateTree::Node &na, const CandidateTree::Node &nb, PairBest &best) const;
    template<PairScoring Scoring>
    void visit(const CandidateTree::Node &na, const CandidateTree::Node &nb, std::int64_t reach,
               PairBest &best) const;
    template<PairScoring Scoring>
    void scorePairs(const CandidateTree::Node &na, const CandidateTree::Node &nb, PairBest &best) const;
    template<PairScoring Scoring>
    std::int64_t bound(const CandidateTree::Node &na, const CandidateTree::Node &nb) const;
    bool mayBeat(std::int64_t score, std::int32_t va, std::int32_t vb, const PairBest &best) const
    {
        return PairBefore(PairBest {score, m_figureB, va, vb, true}, best);
    }

    CandidateTree &m_a;
    CandidateTree &m_b;
    std::int64_t m_da;
    std::int64_t m_db;
    int m_figureB;
    bool m_skipVertexZeroOfB;
    PairScoring m_scoring;
};

// The touching pair of two figures: the greatest vertex of a, and for it the
// greatest vertex of b, whose points differ by at most the tolerance in x
// and in y. The trees must hold every vertex of their figures.
class TouchSearch
{
public:
    TouchSearch(CandidateTree &a, CandidateTree &b, double tolerance);

    bool find(std::int32_t &vertexA, std::int32_t &vertexB);

private:
    void visit(std::int32_t na, std::int32_t nb);
    void testPairs(const CandidateTree::Node &na, const CandidateTree::Node &nb);
    bool mayBeat(std::int32_t va, std::int32_t vb) const;

    CandidateTree &m_a;
    CandidateTree &m_b;
    double m_tolerance;
    bool m_found = false;
    std::int32_t m_va = -1;
    std::int32_t m_vb = -1;
};
