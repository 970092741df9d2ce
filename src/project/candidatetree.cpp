#include "project/candidatetree.h"

#include "drawing/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Small enough that a leaf pair is cheaper to score than to split further.
constexpr std::int32_t LeafSize = 8;
// Two figures with no more pairs than this are scored pair by pair.
constexpr std::size_t FewPairs = 256;

// A box no more than side across either way: one piece when cut.
bool Fits(const PlanBox &box, std::int64_t side)
{
    return box.maxX - box.minX <= side && box.maxY - box.minY <= side;
}

bool WithinTolerance(std::int64_t d, double tolerance)
{
    return std::abs(static_cast<double>(d)) <= tolerance;
}

} // namespace

CandidateTree::CandidateTree(std::vector<CandidatePoint> points)
    : m_points(std::move(points))
{
    for (const CandidatePoint &p : m_points) {
        if (p.factor < 0 || p.weight < 0)
            m_boundable = false;
    }
    m_all = measure(0, static_cast<std::int32_t>(m_points.size()));
}

CandidateTree::Node CandidateTree::measure(std::int32_t begin, std::int32_t end) const
{
    Node node;
    node.begin = begin;
    node.end = end;
    node.minVertex = std::numeric_limits<std::int32_t>::max();
    node.maxVertex = std::numeric_limits<std::int32_t>::min();
    node.minFactor = std::numeric_limits<std::int32_t>::max();
    node.minWeight = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t k = begin; k < end; ++k) {
        const CandidatePoint &p = m_points[static_cast<std::size_t>(k)];
        node.box.add(p.x, p.y);
        node.minVertex = std::min(node.minVertex, p.vertex);
        node.maxVertex = std::max(node.maxVertex, p.vertex);
        node.minFactor = std::min(node.minFactor, p.factor);
        node.minWeight = std::min(node.minWeight, p.weight);
    }
    return node;
}

void CandidateTree::index()
{
    if (!m_nodes.empty() || m_points.empty())
        return;
    m_nodes.reserve(2 * m_points.size() / (LeafSize / 2) + 1);
    // A figure whose neighbouring vertices lie near each other (an outline,
    // a smooth path) is halved along its vertices, without sorting; one that
    // leaps about (a scribble, a zigzag) across its box. Its steps, on
    // average, tell: a path that fills its box in n steps at random steps
    // about a third of box / sqrt(n) at a time, one that runs along an
    // outline of n points far less.
    long double steps = 0;
    for (std::size_t k = 1; k < m_points.size(); ++k)
        steps += std::abs(static_cast<long double>(m_points[k].x) - m_points[k - 1].x)
            + std::abs(static_cast<long double>(m_points[k].y) - m_points[k - 1].y);
    const long double n = static_cast<long double>(m_points.size());
    const long double side = static_cast<long double>(m_all.box.maxX - m_all.box.minX)
        + static_cast<long double>(m_all.box.maxY - m_all.box.minY);
    m_acrossBox = steps / n > side / std::sqrt(n) / 5;
    build(0, static_cast<std::int32_t>(m_points.size()), m_all.box);
}

std::int32_t CandidateTree::build(std::int32_t begin, std::int32_t end, const PlanBox &span)
{
    const auto index = static_cast<std::int32_t>(m_nodes.size());
    m_nodes.emplace_back();
    Node node;
    if (end - begin <= LeafSize) {
        node = measure(begin, end);
    } else {
        const std::int32_t middle = begin + (end - begin) / 2;
        PlanBox low = span;
        PlanBox high = span;
        if (m_acrossBox) {
            // Across the longer side of the room the points lie in: the
            // parent's, cut at its median.
            const bool alongX = span.maxX - span.minX >= span.maxY - span.minY;
            const auto first = m_points.begin();
            std::nth_element(first + begin, first + middle, first + end,
                             [alongX](const CandidatePoint &l, const CandidatePoint &r) {
                                 return alongX ? l.x < r.x : l.y < r.y;
                             });
            const CandidatePoint &cut = m_points[static_cast<std::size_t>(middle)];
            (alongX ? low.maxX : low.maxY) = alongX ? cut.x : cut.y;
            (alongX ? high.minX : high.minY) = alongX ? cut.x : cut.y;
        }
        const std::int32_t left = build(begin, middle, low);
        const std::int32_t right = build(middle, end, high);
        const Node &l = m_nodes[static_cast<std::size_t>(left)];
        const Node &r = m_nodes[static_cast<std::size_t>(right)];
        node.box = l.box;
        node.box.add(r.box.minX, r.box.minY);
        node.box.add(r.box.maxX, r.box.maxY);
        node.begin = begin;
        node.end = end;
        node.left = left;
        node.right = right;
        node.minVertex = std::min(l.minVertex, r.minVertex);
        node.maxVertex = std::max(l.maxVertex, r.maxVertex);
        node.minFactor = std::min(l.minFactor, r.minFactor);
        node.minWeight = std::min(l.minWeight, r.minWeight);
    }
    m_nodes[static_cast<std::size_t>(index)] = node;
    return index;
}

void CandidateTree::reweigh(const std::vector<TVertexInfo> &records)
{
    m_boundable = true;
    m_unindexedWork = 0;
    for (CandidatePoint &p : m_points) {
        const TVertexInfo &info = records[static_cast<std::size_t>(p.vertex)];
        p.factor = info.candidate == 1 ? info.weight : 10;
        p.weight = info.weight;
        if (p.factor < 0 || p.weight < 0)
            m_boundable = false;
    }
    // Children follow their parent in the node list: from the end, every
    // node finds its children done.
    for (auto node = m_nodes.rbegin(); node != m_nodes.rend(); ++node) {
        if (node->left < 0) {
            const Node leaf = measure(node->begin, node->end);
            node->minFactor = leaf.minFactor;
            node->minWeight = leaf.minWeight;
        } else {
            const Node &l = m_nodes[static_cast<std::size_t>(node->left)];
            const Node &r = m_nodes[static_cast<std::size_t>(node->right)];
            node->minFactor = std::min(l.minFactor, r.minFactor);
            node->minWeight = std::min(l.minWeight, r.minWeight);
        }
    }
    m_all = measure(0, static_cast<std::int32_t>(m_points.size()));
}

void CandidateTree::cut(std::int64_t side, std::vector<std::pair<TreePart, PlanBox>> &out)
{
    if (m_points.empty())
        return;
    if (Fits(m_all.box, side)) {
        out.emplace_back(TreePart {}, m_all.box);
        return;
    }
    index();
    cut(0, side, out);
}

void CandidateTree::prepareCut(std::int64_t side)
{
    if (!m_points.empty() && !Fits(m_all.box, side))
        index();
}

void CandidateTree::cut(std::int32_t node, std::int64_t side,
                        std::vector<std::pair<TreePart, PlanBox>> &out) const
{
    const Node &n = m_nodes[static_cast<std::size_t>(node)];
    if (Fits(n.box, side)) {
        out.emplace_back(TreePart {node, -1}, n.box);
    } else if (n.left >= 0) {
        cut(n.left, side, out);
        cut(n.right, side, out);
    } else {
        for (std::int32_t k = n.begin; k < n.end; ++k) {
            const CandidatePoint &p = m_points[static_cast<std::size_t>(k)];
            out.emplace_back(TreePart {-1, k}, PlanBox {p.x, p.y, p.x, p.y});
        }
    }
}

CandidateTree::Node CandidateTree::partNode(TreePart part)
{
    if (part.point >= 0)
        return measure(part.point, part.point + 1);
    if (part.node >= 0)
        return m_nodes[static_cast<std::size_t>(part.node)];
    // Whole: a tree pays off against the parts of another figure.
    if (m_points.size() > static_cast<std::size_t>(2 * LeafSize))
        index();
    return m_nodes.empty() ? m_all : m_nodes.front();
}

bool CandidateTree::anyWithin(std::int32_t x, std::int32_t y, double tolerance)
{
    if (m_points.empty())
        return false;
    index();
    return anyWithin(0, x, y, tolerance);
}

bool CandidateTree::anyWithin(std::int32_t node, std::int32_t x, std::int32_t y, double tolerance) const
{
    const Node &n = m_nodes[static_cast<std::size_t>(node)];
    // The distance is at least the gap along either axis.
    const std::int64_t gapX = std::max<std::int64_t>({0, n.box.minX - x, x - n.box.maxX});
    const std::int64_t gapY = std::max<std::int64_t>({0, n.box.minY - y, y - n.box.maxY});
    if (!(static_cast<double>(gapX) <= tolerance) || !(static_cast<double>(gapY) <= tolerance))
        return false;
    if (n.left >= 0)
        return anyWithin(n.left, x, y, tolerance) || anyWithin(n.right, x, y, tolerance);
    for (std::int32_t k = n.begin; k < n.end; ++k) {
        const CandidatePoint &q = m_points[static_cast<std::size_t>(k)];
        if (PointDistance(TPlotPoint {x, y}, TPlotPoint {q.x, q.y}) <= tolerance)
            return true;
    }
    return false;
}

bool CandidateTree::worthIndexing(std::size_t partnerSize)
{
    if (!m_nodes.empty())
        return true;
    if (partnerSize > static_cast<std::size_t>(LeafSize))
        return true;
    m_unindexedWork += static_cast<std::int64_t>(partnerSize * m_points.size());
    return m_unindexedWork > 16 * static_cast<std::int64_t>(m_points.size());
}

PairSearch::PairSearch(CandidateTree &a, std::int64_t da, CandidateTree &b, std::int64_t db, int figureB,
                       bool skipVertexZeroOfB, PairScoring scoring)
    : m_a(a)
    , m_b(b)
    , m_da(da)
    , m_db(db)
    , m_figureB(figureB)
    , m_skipVertexZeroOfB(skipVertexZeroOfB)
    , m_scoring(scoring)
{ }

PairBest PairSearch::lowerKey() const
{
    return LowerKey(m_a.summary(), m_da, m_b.summary(), m_db, m_figureB, m_scoring);
}

std::int64_t PairScore(PairScoring scoring, std::int64_t s, std::int64_t factorA, std::int64_t factorB,
                       std::int64_t weightA, std::int64_t weightB)
{
    return WithScoring(scoring, [&](auto kind) {
        return PairScoreOf<decltype(kind)::value>(s, factorA, factorB, weightA, weightB);
    });
}

PairBest LowerKey(const CandidateSummary &a, std::int64_t da, const CandidateSummary &b, std::int64_t db,
                  int figureB, PairScoring scoring)
{
    return WithScoring(scoring,
                       [&](auto kind) { return LowerKeyOf<decltype(kind)::value>(a, da, b, db, figureB); });
}

CandidateSummary CandidateTree::summary() const
{
    return CandidateSummary {m_all.box,       m_all.minVertex, m_all.minFactor,
                             m_all.minWeight, m_points.size(), m_boundable};
}

template<PairScoring Scoring>
std::int64_t PairSearch::bound(const CandidateTree::Node &na, const CandidateTree::Node &nb) const
{
    return PairScoreOf<Scoring>(BoxGapSquared(Shifted(na.box, m_da), Shifted(nb.box, m_db)), na.minFactor,
                                nb.minFactor, na.minWeight, nb.minWeight);
}

template<PairScoring Scoring>
void PairSearch::scorePairs(const CandidateTree::Node &na, const CandidateTree::Node &nb,
                            PairBest &best) const
{
    // Scores above the best's never win; only an equal one needs the order.
    std::int64_t worst = best.valid ? best.score : std::numeric_limits<std::int64_t>::max() - 1;
    const PlanBox boxB = Shifted(nb.box, m_db);
    const bool prune = m_a.boundable() && m_b.boundable();
    // b's vertex 0, where it is left out: only a node holding it needs looking.
    std::int32_t skipB = -1;
    if (m_skipVertexZeroOfB && nb.minVertex == 0) {
        for (std::int32_t j = nb.begin; j < nb.end && skipB < 0; ++j)
            skipB = m_b.m_points[static_cast<std::size_t>(j)].vertex == 0 ? j : -1;
    }
    const CandidatePoint *pointsB = m_b.m_points.data();
    for (std::int32_t i = na.begin; i < na.end; ++i) {
        const CandidatePoint &p = m_a.m_points[static_cast<std::size_t>(i)];
        const std::int64_t px = p.x + m_da;
        const std::int64_t py = p.y + m_da;
        if (prune && best.valid) {
            // This vertex against b's whole box first.
            const std::int64_t reach = PairScoreOf<Scoring>(BoxGapSquared(PlanBox {px, py, px, py}, boxB),
                                                            p.factor, nb.minFactor, p.weight, nb.minWeight);
            if (reach > worst || (reach == worst && !mayBeat(reach, p.vertex, nb.minVertex, best)))
                continue;
        }
        const std::int64_t qx0 = px - m_db;
        const std::int64_t qy0 = py - m_db;
        const auto score = [&](std::int32_t from, std::int32_t to) {
            for (std::int32_t j = from; j < to; ++j) {
                const CandidatePoint &q = pointsB[j];
                const std::int64_t dx = qx0 - q.x;
                const std::int64_t dy = qy0 - q.y;
                const std::int64_t s
                    = PairScoreOf<Scoring>(dx * dx + dy * dy, p.factor, q.factor, p.weight, q.weight);
                if (s > worst)
                    continue;
                // A smaller score wins outright; an equal one by the order.
                if (s < worst || mayBeat(s, p.vertex, q.vertex, best)) {
                    best = PairBest {s, m_figureB, p.vertex, q.vertex, true};
                    worst = s;
                }
            }
        };
        if (skipB < 0) {
            score(nb.begin, nb.end);
        } else {
            score(nb.begin, skipB);
            score(skipB + 1, nb.end);
        }
    }
}

template<PairScoring Scoring>
void PairSearch::visit(const CandidateTree::Node &A, const CandidateTree::Node &B, std::int64_t reach,
                       PairBest &best) const
{
    if (!mayBeat(reach, A.minVertex, B.minVertex, best))
        return;
    const bool leafA = A.left < 0;
    const bool leafB = B.left < 0;
    if (leafA && leafB) {
        scorePairs<Scoring>(A, B, best);
        return;
    }
    // Split the bigger side, and look first where the bound is lower: a good
    // pair found early lets the rest be skipped.
    if (!leafA && (leafB || A.end - A.begin >= B.end - B.begin)) {
        const CandidateTree::Node *first = &m_a.m_nodes[static_cast<std::size_t>(A.left)];
        const CandidateTree::Node *second = &m_a.m_nodes[static_cast<std::size_t>(A.right)];
        std::int64_t reachFirst = bound<Scoring>(*first, B);
        std::int64_t reachSecond = bound<Scoring>(*second, B);
        if (reachSecond < reachFirst) {
            std::swap(first, second);
            std::swap(reachFirst, reachSecond);
        }
        visit<Scoring>(*first, B, reachFirst, best);
        visit<Scoring>(*second, B, reachSecond, best);
    } else {
        const CandidateTree::Node *first = &m_b.m_nodes[static_cast<std::size_t>(B.left)];
        const CandidateTree::Node *second = &m_b.m_nodes[static_cast<std::size_t>(B.right)];
        std::int64_t reachFirst = bound<Scoring>(A, *first);
        std::int64_t reachSecond = bound<Scoring>(A, *second);
        if (reachSecond < reachFirst) {
            std::swap(first, second);
            std::swap(reachFirst, reachSecond);
        }
        visit<Scoring>(A, *first, reachFirst, best);
        visit<Scoring>(A, *second, reachSecond, best);
    }
}

template<PairScoring Scoring> void PairSearch::run(PairBest &best)
{
    if (!m_a.boundable() || !m_b.boundable()) {
        scorePairs<Scoring>(m_a.m_all, m_b.m_all, best);
        return;
    }
    if (!mayBeat(bound<Scoring>(m_a.m_all, m_b.m_all), m_a.m_all.minVertex, m_b.m_all.minVertex, best))
        return;
    CandidateTree &larger = m_a.size() >= m_b.size() ? m_a : m_b;
    const CandidateTree &smaller = m_a.size() >= m_b.size() ? m_b : m_a;
    if (pairCount() <= FewPairs || !larger.worthIndexing(smaller.size())) {
        scorePairs<Scoring>(m_a.m_all, m_b.m_all, best);
        return;
    }
    m_a.index();
    m_b.index();
    const CandidateTree::Node &rootA = m_a.m_nodes.front();
    const CandidateTree::Node &rootB = m_b.m_nodes.front();
    visit<Scoring>(rootA, rootB, bound<Scoring>(rootA, rootB), best);
}

template<PairScoring Scoring>
void PairSearch::run(const CandidateTree::Node &na, const CandidateTree::Node &nb, PairBest &best) const
{
    if (!m_a.boundable() || !m_b.boundable()) {
        scorePairs<Scoring>(na, nb, best);
        return;
    }
    visit<Scoring>(na, nb, bound<Scoring>(na, nb), best);
}

void PairSearch::improve(TreePart partA, TreePart partB, PairBest &best)
{
    if (partA.whole() && partB.whole()) {
        improve(best);
        return;
    }
    if (m_a.empty() || m_b.empty())
        return;
    const CandidateTree::Node na = m_a.partNode(partA);
    const CandidateTree::Node nb = m_b.partNode(partB);
    WithScoring(m_scoring, [&](auto kind) { run<decltype(kind)::value>(na, nb, best); });
}

void PairSearch::improve(PairBest &best)
{
    if (m_a.empty() || m_b.empty())
        return;
    WithScoring(m_scoring, [&](auto kind) { run<decltype(kind)::value>(best); });
}

TouchSearch::TouchSearch(CandidateTree &a, CandidateTree &b, double tolerance)
    : m_a(a)
    , m_b(b)
    , m_tolerance(tolerance)
{ }

bool TouchSearch::mayBeat(std::int32_t va, std::int32_t vb) const
{
    return !m_found || va > m_va || (va == m_va && vb > m_vb);
}

void TouchSearch::testPairs(const CandidateTree::Node &na, const CandidateTree::Node &nb)
{
    for (std::int32_t i = na.begin; i < na.end; ++i) {
        const CandidatePoint &p = m_a.m_points[static_cast<std::size_t>(i)];
        for (std::int32_t j = nb.begin; j < nb.end; ++j) {
            const CandidatePoint &q = m_b.m_points[static_cast<std::size_t>(j)];
            if (mayBeat(p.vertex, q.vertex) && WithinTolerance(std::int64_t(p.x) - q.x, m_tolerance)
                && WithinTolerance(std::int64_t(p.y) - q.y, m_tolerance)) {
                m_found = true;
                m_va = p.vertex;
                m_vb = q.vertex;
            }
        }
    }
}

void TouchSearch::visit(std::int32_t na, std::int32_t nb)
{
    const CandidateTree::Node &A = m_a.m_nodes[static_cast<std::size_t>(na)];
    const CandidateTree::Node &B = m_b.m_nodes[static_cast<std::size_t>(nb)];
    if (!mayBeat(A.maxVertex, B.maxVertex))
        return;
    const std::int64_t gapX = std::max<std::int64_t>({0, B.box.minX - A.box.maxX, A.box.minX - B.box.maxX});
    const std::int64_t gapY = std::max<std::int64_t>({0, B.box.minY - A.box.maxY, A.box.minY - B.box.maxY});
    if (!WithinTolerance(gapX, m_tolerance) || !WithinTolerance(gapY, m_tolerance))
        return;
    const bool leafA = A.left < 0;
    const bool leafB = B.left < 0;
    if (leafA && leafB) {
        testPairs(A, B);
        return;
    }
    // The answer is the greatest vertex pair: look first where they are.
    const auto byGreatestVertex = [](const CandidateTree &tree, const CandidateTree::Node &node) {
        const bool swap = tree.m_nodes[static_cast<std::size_t>(node.right)].maxVertex
            > tree.m_nodes[static_cast<std::size_t>(node.left)].maxVertex;
        return swap ? std::pair {node.right, node.left} : std::pair {node.left, node.right};
    };
    if (!leafA && (leafB || A.end - A.begin >= B.end - B.begin)) {
        const auto [first, second] = byGreatestVertex(m_a, A);
        visit(first, nb);
        visit(second, nb);
    } else {
        const auto [first, second] = byGreatestVertex(m_b, B);
        visit(na, first);
        visit(na, second);
    }
}

bool TouchSearch::find(std::int32_t &vertexA, std::int32_t &vertexB)
{
    m_found = false;
    if (m_a.empty() || m_b.empty())
        return false;
    m_a.index();
    m_b.index();
    visit(0, 0);
    if (m_found) {
        vertexA = m_va;
        vertexB = m_vb;
    }
    return m_found;
}
