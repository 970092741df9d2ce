#include "project/connectors.h"

#include "drawing/geometry.h"
#include "project/flatplan.h"

#include <algorithm>
#include <limits>

using flatplan::NoScore;

bool ConnectToStartFigure(std::vector<tfigura> &figures, int root, TPlotPoint pp, FigureIndexes &indexes)
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
    flatplan::MakeConnector(figures, bestA, bestVa, root, vb, 0, figures[root].depth, &indexes);
    return true;
}

namespace {

// ConnectChildren nudges a's point by 2 units and b's by 1, each toward +x+y
// at an even depth and toward -x-y at an odd one.
std::int64_t Nudge(const tfigura &f, std::int64_t amount)
{
    return f.depth % 2 == 0 ? amount : -amount;
}

} // namespace

StrategyRun::StrategyRun(std::vector<tfigura> &figures, FigureIndexes &indexes, ConnectorStrategy strategy,
                         int container, int root, std::vector<int> population)
    : m_figures(figures)
    , m_indexes(indexes)
    , m_strategy(strategy)
    , m_container(container)
    , m_root(root)
    , m_rootClosed(root >= 0 && figures[root].closed)
    , m_population(std::move(population))
    , m_isCandidate(m_population.size(), 0)
    , m_best(m_population.size())
    , m_unscored(m_population.size())
    , m_ranking(m_population.size())
    , m_seen(m_population.size(), 0)
    , m_trees(m_population.size(), nullptr)
    , m_summaries(m_population.size())
    , m_summarised(m_population.size(), 0)
{
    const int count = static_cast<int>(m_population.size());
    m_contiguous = count > 0 && m_population.back() - m_population.front() + 1 == count;
    for (int s = 0; s < count; ++s) {
        if (mayBeA(figure(s))) {
            m_candidates.push_back(s);
            m_isCandidate[static_cast<std::size_t>(s)] = 1;
        }
    }
    // Without open figures to pair every pair goes through the neighbour slots.
    bool anyOpen = false;
    for (int s = 0; s < count && !anyOpen; ++s) {
        const tfigura &f = m_figures[figure(s)];
        anyOpen = !f.closed && (f.drawingFigure || m_isCandidate[static_cast<std::size_t>(s)]);
    }
    if (isMany() && anyOpen) {
        m_leastOfB.minFactor = std::numeric_limits<std::int32_t>::max();
        m_leastOfB.minWeight = std::numeric_limits<std::int32_t>::max();
        for (int f : m_population) {
            if (!m_figures[f].drawingFigure)
                continue;
            for (const TVertexInfo &info : m_figures[f].vertexInfo) {
                m_leastOfB.minFactor = std::min(m_leastOfB.minFactor, info.candidate == 1 ? info.weight : 10);
                m_leastOfB.minWeight = std::min(m_leastOfB.minWeight, info.weight);
            }
        }
        m_leastOfB.boundable = m_leastOfB.minFactor >= 0 && m_leastOfB.minWeight >= 0;
        std::vector<PlanBox> boxes(m_population.size());
        std::vector<int> open;
        std::vector<int> closed;
        for (int a : m_candidates) {
            boxes[static_cast<std::size_t>(a)] = summary(a).box;
            (m_figures[figure(a)].closed ? closed : open).push_back(a);
        }
        m_openReach = std::make_unique<CandidateReach>(open, boxes);
        m_closedReach = std::make_unique<CandidateReach>(closed, boxes);
    }
    for (int s = 0; s < count; ++s) {
        if (mayBeB(figure(s)))
            offerNewB(s);
    }
}

StrategyRun::~StrategyRun() = default;

int StrategyRun::slotOf(int f) const
{
    const int count = static_cast<int>(m_population.size());
    if (m_contiguous) {
        const int s = f - m_population.front();
        return s >= 0 && s < count ? s : -1;
    }
    const auto at = std::lower_bound(m_population.begin(), m_population.end(), f);
    return at != m_population.end() && *at == f ? static_cast<int>(at - m_population.begin()) : -1;
}

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

CandidateTree &StrategyRun::tree(int f)
{
    CandidateTree *&known = m_trees[static_cast<std::size_t>(f)];
    if (!known)
        known = isMany() ? &m_indexes.marked(figure(f)) : &m_indexes.sampled(figure(f));
    return *known;
}

StrategyRun::Scoring StrategyRun::scoring(int a, int b) const
{
    switch (m_strategy) {
    case ConnectorStrategy::Children:
        return Scoring {Nudge(m_figures[figure(a)], 2), Nudge(m_figures[figure(b)], 1), PairScoring::Tenths,
                        false};
    case ConnectorStrategy::Remaining:
        return Scoring {0, 0, PairScoring::Tenths, false};
    case ConnectorStrategy::ChildrenMany:
        // ConnectChildrenMany takes b's marked vertices from vertex 1 on.
        return Scoring {0, 0, PairScoring::HalfHalf, true};
    case ConnectorStrategy::RemainingMany:
        break;
    }
    return Scoring {0, 0, PairScoring::Product, false};
}

PairSearch StrategyRun::search(int a, int b)
{
    const Scoring s = scoring(a, b);
    return PairSearch(tree(a), s.da, tree(b), s.db, figure(b), s.skipVertexZeroOfB, s.scoring);
}

const CandidateSummary &StrategyRun::summary(int f)
{
    const auto k = static_cast<std::size_t>(f);
    if (!m_summarised[k]) {
        m_summaries[k] = tree(f).summary();
        m_summarised[k] = 1;
    }
    return m_summaries[k];
}

namespace {

// Unscored pairs kept per candidate before they are settled: scored from the
// least key on until the best comes before the rest, which are dropped.
constexpr std::size_t UnscoredLimit = 64;
constexpr std::size_t ScoreAtOnce = 256;

// Heap order: the least key on top. One candidate's keys share its vertex,
// so they compare as PairBefore would by the rest.
struct LaterKey
{
    template<class Key> bool operator()(const Key &l, const Key &r) const
    {
        if (l.score != r.score)
            return l.score > r.score;
        if (l.b != r.b)
            return l.b > r.b;
        return l.vb > r.vb;
    }
};

} // namespace

void StrategyRun::offer(int a, int b)
{
    if (!pairAllowed(figure(a), figure(b)))
        return;
    // Most pairs of figures are told apart by their summaries alone.
    const CandidateSummary &summaryA = summary(a);
    const CandidateSummary &summaryB = summary(b);
    const Scoring s = scoring(a, b);
    const Best key = LowerKey(summaryA, s.da, summaryB, s.db, figure(b), s.scoring);
    Best &best = m_best[static_cast<std::size_t>(a)];
    if (!key.valid || (best.valid && !PairBefore(key, best)))
        return;
    if (summaryA.size * summaryB.size <= ScoreAtOnce) {
        // Keeping a few pairs for later costs more than scoring them.
        const Best before = best;
        search(a, b).improve(best);
        if (best.valid != before.valid || best.b != before.b || best.va != before.va || best.vb != before.vb
            || best.score != before.score) {
            rank(a);
            reachOut(a);
        }
        return;
    }
    auto &unscored = m_unscored[static_cast<std::size_t>(a)];
    unscored.push_back(Unscored {key.score, b, key.vb});
    std::push_heap(unscored.begin(), unscored.end(), LaterKey {});
    if (unscored.size() > UnscoredLimit) {
        // Scoring the least keys first soon gives a best pair that comes
        // before all the others, and those are dropped.
        while (!unscored.empty())
            scoreNext(a);
    } else if (m_ranking.contains(a) && key.score >= m_ranking.key(a)) {
        return; // its place in the ranking stays
    }
    rank(a);
}

// Scores the unscored pair with the least key, or drops them all when even
// that one cannot beat the best pair.
void StrategyRun::scoreNext(int a)
{
    auto &unscored = m_unscored[static_cast<std::size_t>(a)];
    Best &best = m_best[static_cast<std::size_t>(a)];
    if (best.valid && !PairBefore(keyOf(a, unscored.front()), best)) {
        unscored.clear();
        return;
    }
    std::pop_heap(unscored.begin(), unscored.end(), LaterKey {});
    const int b = unscored.back().b;
    unscored.pop_back();
    const std::int64_t before = best.valid ? best.score : NoScore;
    search(a, b).improve(best);
    if (best.score != before)
        reachOut(a);
}

StrategyRun::Best StrategyRun::keyOf(int a, const Unscored &key)
{
    return Best {key.score, figure(key.b), summary(a).minVertex, key.vb, true};
}

void StrategyRun::rank(int a)
{
    const auto k = static_cast<std::size_t>(a);
    const Best &best = m_best[k];
    const auto &unscored = m_unscored[k];
    if (!m_isCandidate[k] || (!best.valid && unscored.empty())) {
        m_ranking.remove(a);
        return;
    }
    std::int64_t least = best.valid ? best.score : NoScore;
    if (!unscored.empty())
        least = std::min(least, unscored.front().score);
    m_ranking.set(a, least);
}

int StrategyRun::firstRanked()
{
    return m_ranking.top();
}

// How far a's best pair still lets a joined figure's pair beat it: the
// largest squared gap whose score with the least weights is not above it.
void StrategyRun::reachOut(int a)
{
    if (!m_openReach)
        return;
    CandidateReach &reach = m_figures[figure(a)].closed ? *m_closedReach : *m_openReach;
    const Best &best = m_best[static_cast<std::size_t>(a)];
    const CandidateSummary &s = summary(a);
    std::int64_t gap = CandidateReach::Everywhere;
    if (best.valid && s.boundable && m_leastOfB.boundable) {
        if (m_strategy == ConnectorStrategy::ChildrenMany) {
            // S x 5 / 10 x 5 / 10 is S / 4 rounded down.
            if (best.score <= (CandidateReach::Everywhere - 3) / 4)
                gap = 4 * best.score + 3;
        } else {
            const std::int64_t weights = std::int64_t(s.minWeight) * m_leastOfB.minWeight;
            if (weights > 0)
                gap = best.score / weights;
        }
    }
    reach.setReach(a, gap);
}

void StrategyRun::offerNewB(int b)
{
    if (!isMany()) {
        m_joinedLog.push_back(b);
        return;
    }
    // A closed pair needs a in b's neighbour slots; an open end pairs with
    // every joined figure.
    // Only candidates within reach of b's box can take a better pair from it.
    const tfigura &fb = m_figures[figure(b)];
    if (m_openReach) {
        m_inReach.clear();
        m_openReach->within(summary(b).box, m_inReach);
        if (!fb.closed)
            m_closedReach->within(summary(b).box, m_inReach);
        for (int a : m_inReach) {
            if (m_isCandidate[static_cast<std::size_t>(a)])
                offer(a, b);
        }
    }
    if (!fb.closed)
        return;
    for (std::int32_t fa : fb.neighbourSlots) {
        const int a = fa >= 0 ? slotOf(fa) : -1;
        if (a >= 0 && m_isCandidate[static_cast<std::size_t>(a)] && m_figures[fa].closed)
            offer(a, b);
    }
}

void StrategyRun::joined(int a)
{
    const int s = a >= 0 ? slotOf(a) : -1;
    if (s >= 0)
        joinedSlot(s);
}

void StrategyRun::joinedSlot(int a)
{
    if (m_isCandidate[static_cast<std::size_t>(a)]) {
        m_isCandidate[static_cast<std::size_t>(a)] = 0;
        m_best[static_cast<std::size_t>(a)] = Best {};
        m_unscored[static_cast<std::size_t>(a)] = {};
        rank(a);
        if (m_openReach) {
            m_openReach->setReach(a, CandidateReach::Nowhere);
            m_closedReach->setReach(a, CandidateReach::Nowhere);
        }
        if (!isMany() && m_candidates.size() > 64 && m_candidates.size() % 64 == 0)
            std::erase_if(m_candidates, [&](int f) { return !m_isCandidate[static_cast<std::size_t>(f)]; });
    }
    if (mayBeB(figure(a)))
        offerNewB(a);
}

int StrategyRun::call()
{
    if (!isMany()) {
        for (int a : m_candidates) {
            if (!m_isCandidate[static_cast<std::size_t>(a)])
                continue;
            for (std::size_t &seen = m_seen[static_cast<std::size_t>(a)]; seen < m_joinedLog.size(); ++seen)
                offer(a, m_joinedLog[seen]);
        }
    }
    // The first candidate may win once its best pair comes before every
    // pair it has not scored; every other candidate ranks behind it and
    // cannot reach a smaller score.
    for (int a = firstRanked(); a >= 0; a = firstRanked()) {
        const auto &unscored = m_unscored[static_cast<std::size_t>(a)];
        const Best &best = m_best[static_cast<std::size_t>(a)];
        if (unscored.empty() || (best.valid && PairBefore(best, keyOf(a, unscored.front()))))
            return finish(a);
        scoreNext(a);
        rank(a);
    }
    return -1;
}

int StrategyRun::finish(int a)
{
    const Best best = m_best[static_cast<std::size_t>(a)];
    const int b = best.b;
    const int fa = figure(a);
    const std::int32_t depth = std::max(m_figures[fa].depth, m_figures[b].depth);
    const std::int32_t container = m_container >= 0 ? m_container : 0;
    flatplan::MakeConnector(m_figures, fa, best.va, b, best.vb, container, depth, &m_indexes);
    joinedSlot(a);
    return fa;
}
