#include "project/connectors.h"

#include "drawing/geometry.h"
#include "project/flatplan.h"

#include <algorithm>
#include <limits>

using flatplan::NoScore;

bool ConnectToStartFigure(std::vector<tfigura> &figures, int root, TPlotPoint pp)
{
    if (root < 0 || figures[root].points.empty())
        return false;
    const tfigura &r = figures[root];
    const std::int32_t vb = flatplan::NearestVertexToPP(r, pp);
    const TPlotPoint q = r.points[vb];
    const TVertexInfo &infoB = r.vertexInfo[vb];
    std::int64_t best = NoScore;
    int bestA = -1;
    std::int32_t bestVa = -1;
    for (int a = 0; a < static_cast<int>(figures.size()); ++a) {
        const tfigura &f = figures[a];
        if (!f.pending || f.depth >= 2)
            continue;
        for (std::size_t va = 0; va < f.points.size(); ++va) {
            const std::int64_t s
                = flatplan::WeightedScore(DistanceSquared(f.points[va], q), f.vertexInfo[va], infoB);
            if (s < best) {
                best = s;
                bestA = a;
                bestVa = static_cast<std::int32_t>(va);
            }
        }
    }
    if (bestA < 0)
        return false;
    flatplan::MakeConnector(figures, bestA, bestVa, root, vb, 0, figures[root].depth);
    return true;
}

namespace {

CandidateVertices Describe(const tfigura &f, std::vector<std::int32_t> vertices)
{
    CandidateVertices c;
    c.vertices = std::move(vertices);
    for (std::int32_t v : c.vertices) {
        const TVertexInfo &info = f.vertexInfo[static_cast<std::size_t>(v)];
        c.box.add(f.points[static_cast<std::size_t>(v)].x, f.points[static_cast<std::size_t>(v)].y);
        c.minFactor = std::min<std::int64_t>(c.minFactor, info.candidate == 1 ? info.weight : 10);
        c.minWeight = std::min<std::int64_t>(c.minWeight, info.weight);
        if (info.weight < 0)
            c.boundable = false;
    }
    return c;
}

} // namespace

CandidateTable::CandidateTable(const std::vector<tfigura> &figures)
{
    for (const tfigura &f : figures) {
        const auto n = static_cast<std::int32_t>(f.points.size());
        const std::int32_t step = flatplan::SamplingStep(f.points.size());
        std::vector<std::int32_t> sampled;
        std::vector<std::int32_t> marked;
        for (std::int32_t v = 0; v < n; v += step)
            sampled.push_back(v);
        for (std::int32_t v = 0; v < n; ++v) {
            if (f.vertexInfo[static_cast<std::size_t>(v)].candidate == 1)
                marked.push_back(v);
        }
        std::vector<std::int32_t> fromOne(marked);
        std::erase(fromOne, 0);
        m_sampled.push_back(Describe(f, std::move(sampled)));
        m_marked.push_back(Describe(f, std::move(marked)));
        m_markedFromOne.push_back(Describe(f, std::move(fromOne)));
    }
}

namespace {

enum ScoreKind {
    NudgedWeighted, // ConnectChildren: squared distance of nudged points, weighted ends
    Weighted, // ConnectRemaining: weighted ends
    Halved, // ConnectChildrenMany: S x 5 / 10 x 5 / 10
    WeightProduct, // ConnectRemainingMany: S x weight(a) x weight(b)
};

template<int Kind> std::int64_t Score(std::int64_t s, const TVertexInfo &a, const TVertexInfo &b)
{
    if constexpr (Kind == Halved)
        return s * 5 / 10 * 5 / 10;
    else if constexpr (Kind == WeightProduct)
        return s * a.weight * b.weight;
    else
        return flatplan::WeightedScore(s, a, b);
}

// A lower bound of Score for squared distances of at least s, given the
// least factors of the two ends; the scores are monotone in s and in both.
template<int Kind>
std::int64_t ScoreBound(std::int64_t s, std::int64_t factorA, std::int64_t factorB, std::int64_t weightA,
                        std::int64_t weightB)
{
    if constexpr (Kind == Halved)
        return s * 5 / 10 * 5 / 10;
    else if constexpr (Kind == WeightProduct)
        return s * weightA * weightB;
    else
        return s * factorA / 10 * factorB / 10;
}

PlanBox Shifted(const PlanBox &b, std::int64_t d)
{
    return PlanBox {b.minX + d, b.minY + d, b.maxX + d, b.maxY + d};
}

// ConnectChildren nudges a's point by 2 units and b's by 1, each toward +x+y
// at an even depth and toward -x-y at an odd one.
std::int64_t Nudge(const tfigura &f, std::int64_t amount)
{
    return f.depth % 2 == 0 ? amount : -amount;
}

} // namespace

StrategyRun::StrategyRun(std::vector<tfigura> &figures, const CandidateTable &table,
                         ConnectorStrategy strategy, int container, int root, std::vector<int> population)
    : m_figures(figures)
    , m_table(table)
    , m_strategy(strategy)
    , m_container(container)
    , m_root(root)
    , m_rootClosed(root >= 0 && figures[root].closed)
    , m_best(figures.size())
    , m_isCandidate(figures.size(), 0)
    , m_seen(figures.size(), 0)
{
    for (int f : population) {
        if (mayBeA(f)) {
            m_candidates.push_back(f);
            m_isCandidate[static_cast<std::size_t>(f)] = 1;
            if (isMany() && !m_figures[f].closed)
                m_openCandidates.push_back(f);
        }
    }
    for (int f : population) {
        if (mayBeB(f))
            offerNewB(f);
    }
}

StrategyRun::~StrategyRun() = default;

bool StrategyRun::isMany() const
{
    return m_strategy == ConnectorStrategy::ChildrenMany || m_strategy == ConnectorStrategy::RemainingMany;
}

bool StrategyRun::mayBeA(int a) const
{
    const tfigura &f = m_figures[a];
    if (!f.pending)
        return false;
    if (m_strategy == ConnectorStrategy::Children || m_strategy == ConnectorStrategy::ChildrenMany)
        return f.container == m_container;
    return true;
}

bool StrategyRun::mayBeB(int b) const
{
    const tfigura &f = m_figures[b];
    if (f.pending || !f.drawingFigure)
        return false;
    if (m_strategy == ConnectorStrategy::Children || m_strategy == ConnectorStrategy::ChildrenMany)
        return f.container == m_container || b == m_container;
    return b != m_root || !m_rootClosed;
}

bool StrategyRun::pairAllowed(int a, int b) const
{
    const tfigura &fa = m_figures[a];
    const tfigura &fb = m_figures[b];
    if (m_strategy == ConnectorStrategy::Remaining || m_strategy == ConnectorStrategy::RemainingMany) {
        if (fb.depth > fa.depth)
            return false;
        if (fb.depth > 1 && fb.depth == fa.depth && fa.container != fb.container)
            return false;
    }
    if (isMany() && fa.closed && fb.closed) {
        const auto &slots = fb.neighbourSlots;
        return std::find(slots.begin(), slots.end(), a) != slots.end();
    }
    return true;
}

const CandidateVertices &StrategyRun::verticesOfA(int a) const
{
    return isMany() ? m_table.marked(a) : m_table.sampled(a);
}

const CandidateVertices &StrategyRun::verticesOfB(int b) const
{
    switch (m_strategy) {
    case ConnectorStrategy::ChildrenMany:
        return m_table.markedFromOne(b);
    case ConnectorStrategy::RemainingMany:
        return m_table.marked(b);
    default:
        return m_table.sampled(b);
    }
}

template<int Kind> void StrategyRun::evaluatePair(int a, int b, Best &best) const
{
    const CandidateVertices &A = verticesOfA(a);
    const CandidateVertices &B = verticesOfB(b);
    if (A.vertices.empty() || B.vertices.empty())
        return;
    const tfigura &fa = m_figures[a];
    const tfigura &fb = m_figures[b];
    const std::int64_t da = Kind == NudgedWeighted ? Nudge(fa, 2) : 0;
    const std::int64_t db = Kind == NudgedWeighted ? Nudge(fb, 1) : 0;
    const PlanBox boxB = Shifted(B.box, db);
    const bool prune = A.boundable && B.boundable;
    if (prune && best.valid
        && ScoreBound<Kind>(BoxGapSquared(Shifted(A.box, da), boxB), A.minFactor, B.minFactor, A.minWeight,
                            B.minWeight)
            > best.score)
        return;

    for (std::int32_t va : A.vertices) {
        const TPlotPoint p = fa.points[static_cast<std::size_t>(va)];
        const TVertexInfo &infoA = fa.vertexInfo[static_cast<std::size_t>(va)];
        const std::int64_t px = p.x + da;
        const std::int64_t py = p.y + da;
        if (prune && best.valid) {
            const std::int64_t factorA = infoA.candidate == 1 ? infoA.weight : 10;
            if (ScoreBound<Kind>(BoxGapSquared(PlanBox {px, py, px, py}, boxB), factorA, B.minFactor,
                                 infoA.weight, B.minWeight)
                > best.score)
                continue;
        }
        for (std::int32_t vb : B.vertices) {
            const TPlotPoint q = fb.points[static_cast<std::size_t>(vb)];
            const std::int64_t dx = px - (q.x + db);
            const std::int64_t dy = py - (q.y + db);
            const std::int64_t score
                = Score<Kind>(dx * dx + dy * dy, infoA, fb.vertexInfo[static_cast<std::size_t>(vb)]);
            bool better;
            if (!best.valid)
                better = score < NoScore;
            else if (score != best.score)
                better = score < best.score;
            else if (b != best.b)
                better = b < best.b;
            else
                better = va < best.va || (va == best.va && vb < best.vb);
            if (better)
                best = Best {score, b, va, vb, true};
        }
    }
}

void StrategyRun::evaluate(int a, int b)
{
    if (!pairAllowed(a, b))
        return;
    const Best before = m_best[static_cast<std::size_t>(a)];
    Best best = before;
    switch (m_strategy) {
    case ConnectorStrategy::Children:
        evaluatePair<NudgedWeighted>(a, b, best);
        break;
    case ConnectorStrategy::Remaining:
        evaluatePair<Weighted>(a, b, best);
        break;
    case ConnectorStrategy::ChildrenMany:
        evaluatePair<Halved>(a, b, best);
        break;
    case ConnectorStrategy::RemainingMany:
        evaluatePair<WeightProduct>(a, b, best);
        break;
    }
    if (best.valid != before.valid || best.b != before.b || best.va != before.va || best.vb != before.vb
        || best.score != before.score)
        setBest(a, best);
}

void StrategyRun::setBest(int a, const Best &best)
{
    Best &old = m_best[static_cast<std::size_t>(a)];
    if (isMany()) {
        if (old.valid)
            m_ranking.erase({old.score, a});
        if (best.valid)
            m_ranking.insert({best.score, a});
    }
    old = best;
}

void StrategyRun::offerNewB(int b)
{
    if (!isMany()) {
        m_joinedLog.push_back(b);
        return;
    }
    // A closed pair needs a in b's neighbour slots; an open end pairs with
    // every joined figure.
    const tfigura &fb = m_figures[b];
    if (!fb.closed) {
        for (int a : m_candidates) {
            if (m_isCandidate[static_cast<std::size_t>(a)])
                evaluate(a, b);
        }
        return;
    }
    for (std::int32_t a : fb.neighbourSlots) {
        if (a >= 0 && static_cast<std::size_t>(a) < m_isCandidate.size()
            && m_isCandidate[static_cast<std::size_t>(a)])
            evaluate(a, b);
    }
    for (int a : m_openCandidates) {
        if (m_isCandidate[static_cast<std::size_t>(a)])
            evaluate(a, b);
    }
}

void StrategyRun::joined(int a)
{
    if (a < 0 || static_cast<std::size_t>(a) >= m_isCandidate.size())
        return;
    if (m_isCandidate[static_cast<std::size_t>(a)]) {
        m_isCandidate[static_cast<std::size_t>(a)] = 0;
        setBest(a, Best {});
        std::erase(m_openCandidates, a);
        if (!isMany() && m_candidates.size() > 64 && m_candidates.size() % 64 == 0)
            std::erase_if(m_candidates, [&](int f) { return !m_isCandidate[static_cast<std::size_t>(f)]; });
    }
    if (mayBeB(a))
        offerNewB(a);
}

int StrategyRun::call()
{
    int winner = -1;
    if (isMany()) {
        if (!m_ranking.empty())
            winner = m_ranking.begin()->second;
    } else {
        std::int64_t bestScore = NoScore;
        for (int a : m_candidates) {
            if (!m_isCandidate[static_cast<std::size_t>(a)])
                continue;
            for (std::size_t &seen = m_seen[static_cast<std::size_t>(a)]; seen < m_joinedLog.size(); ++seen)
                evaluate(a, m_joinedLog[seen]);
            const Best &best = m_best[static_cast<std::size_t>(a)];
            if (best.valid && (winner < 0 || best.score < bestScore)) {
                winner = a;
                bestScore = best.score;
            }
        }
    }
    if (winner < 0)
        return -1;
    return finish(winner);
}

int StrategyRun::finish(int a)
{
    const Best best = m_best[static_cast<std::size_t>(a)];
    const int b = best.b;
    const std::int32_t depth = std::max(m_figures[a].depth, m_figures[b].depth);
    const std::int32_t container = m_container >= 0 ? m_container : 0;
    flatplan::MakeConnector(m_figures, a, best.va, b, best.vb, container, depth);
    joined(a);
    return a;
}
