#include "project/connectors.h"

#include "drawing/geometry.h"
#include "project/flatplan.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <thread>

using flatplan::NoScore;

bool ConnectToStartFigure(std::vector<tfigura> &figures, int root, TPlotPoint pp, FigureIndexes &indexes,
                          const PlanStop &stop)
{
    if (root < 0 || figures[root].points.empty())
        return false;
    const tfigura &r = figures[root];
    const std::int32_t vb = flatplan::NearestVertexToPP(r, pp);
    const TPlotPoint q = r.points[vb];
    const TVertexInfo &infoB = r.vertexInfo[vb];
    // Each figure's first best vertex, worked out on a few threads, then the
    // first best figure in list order: the pair one pass would find.
    struct Best
    {
        std::int64_t score = NoScore;
        std::int32_t va = -1;
    };
    std::vector<Best> bestOf(figures.size());
    const auto points = [&](std::size_t a) { return figures[a].points.size() + 1; };
    ParallelChunksByWeight(figures.size(), points, 65536, [&](std::size_t begin, std::size_t end) {
        for (std::size_t a = begin; a < end && !stop.requested(); ++a) {
            const tfigura &f = figures[a];
            if (!f.pending || f.depth >= 2)
                continue;
            Best &best = bestOf[a];
            for (std::size_t va = 0; va < f.points.size(); ++va) {
                const std::int64_t s
                    = flatplan::WeightedScore(DistanceSquared(f.points[va], q), f.vertexInfo[va], infoB);
                if (s < best.score) {
                    best.score = s;
                    best.va = static_cast<std::int32_t>(va);
                }
            }
        }
    });
    if (stop.requested())
        return false;
    std::int64_t best = NoScore;
    int bestA = -1;
    std::int32_t bestVa = -1;
    for (std::size_t a = 0; a < bestOf.size(); ++a) {
        if (bestOf[a].va >= 0 && bestOf[a].score < best) {
            best = bestOf[a].score;
            bestA = static_cast<int>(a);
            bestVa = bestOf[a].va;
        }
    }
    if (bestA < 0)
        return false;
    flatplan::MakeConnector(figures, bestA, bestVa, root, vb, 0, figures[root].depth, &indexes, stop);
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
                         int container, int root, std::vector<int> population, PlanStop stop)
    : m_figures(figures)
    , m_indexes(indexes)
    , m_strategy(strategy)
    , m_container(container)
    , m_root(root)
    , m_rootClosed(root >= 0 && figures[root].closed)
    , m_population(std::move(population))
    , m_stop(stop)
    , m_isCandidate(m_population.size(), 0)
    , m_best(m_population.size())
    , m_runnersUp(m_population.size() * RunnersUp)
    , m_looked(m_population.size(), 0)
    , m_ranking(m_population.size())
    , m_trees(m_population.size(), nullptr)
{
    const int count = static_cast<int>(m_population.size());
    m_contiguous = count > 0 && m_population.back() - m_population.front() + 1 == count;
    // Each figure's record is read once, for all the run wants of it: on a
    // few threads for the whole of a large drawing, on this one for the
    // children of a container (such runs go side by side).
    m_facts.resize(m_population.size());
    enum Role : std::uint8_t { MayBeA = 1, MayBeB = 2 };
    std::vector<std::uint8_t> role(m_population.size(), 0);
    const auto learn = [&](std::size_t begin, std::size_t end) {
        for (std::size_t s = begin; s < end; ++s) {
            const int f = m_population[s];
            const tfigura &figure = m_figures[static_cast<std::size_t>(f)];
            m_facts[s] = Facts {figure.depth, figure.container, figure.closed, becomesB(f)};
            role[s] = static_cast<std::uint8_t>((mayBeA(f) ? MayBeA : 0) | (mayBeB(f) ? MayBeB : 0));
        }
    };
    if (m_container >= 0)
        learn(0, m_population.size());
    else
        ParallelChunks(m_population.size(), 16384, learn);
    for (int s = 0; s < count; ++s) {
        if (role[static_cast<std::size_t>(s)] & MayBeA) {
            m_candidates.push_back(s);
            m_isCandidate[static_cast<std::size_t>(s)] = 1;
            ++m_waiting;
            m_openCandidates = m_openCandidates || !m_facts[static_cast<std::size_t>(s)].closed;
        }
    }
    if (m_strategy == ConnectorStrategy::Remaining || m_strategy == ConnectorStrategy::RemainingMany) {
        m_deepestCandidate = std::numeric_limits<std::int32_t>::min();
        for (const int a : m_candidates)
            m_deepestCandidate = std::max(m_deepestCandidate, m_facts[static_cast<std::size_t>(a)].depth);
    }
    for (int s = 0; s < count; ++s) {
        if (role[static_cast<std::size_t>(s)] & MayBeB)
            addB(s);
    }
}

StrategyRun::~StrategyRun() = default;

int StrategyRun::listedSlotOf(int f) const
{
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
    return !m_figures[b].pending && becomesB(b);
}

bool StrategyRun::becomesB(int b) const
{
    const tfigura &f = m_figures[b];
    if (!f.drawingFigure)
        return false;
    if (m_strategy == ConnectorStrategy::Children || m_strategy == ConnectorStrategy::ChildrenMany)
        return f.container == m_container || b == m_container;
    return b != m_root || !m_rootClosed;
}

bool StrategyRun::pairAllowed(int a, int b, bool inSlotsOfB) const
{
    const Facts &fa = m_facts[static_cast<std::size_t>(a)];
    const Facts &fb = m_facts[static_cast<std::size_t>(b)];
    if ((m_strategy == ConnectorStrategy::Remaining || m_strategy == ConnectorStrategy::RemainingMany)
        && !DepthAllows(fa, fb))
        return false;
    if (isMany() && fa.closed && fb.closed && !inSlotsOfB) {
        const auto &neighbourSlots = m_figures[figure(b)].neighbourSlots;
        return std::find(neighbourSlots.begin(), neighbourSlots.end(), figure(a)) != neighbourSlots.end();
    }
    return true;
}

std::int64_t StrategyRun::shiftOfA(int f) const
{
    return m_strategy == ConnectorStrategy::Children ? Nudge(m_figures[f], 2) : 0;
}

std::int64_t StrategyRun::shiftOfB(int f) const
{
    return m_strategy == ConnectorStrategy::Children ? Nudge(m_figures[f], 1) : 0;
}

PairScoring StrategyRun::scoring() const
{
    switch (m_strategy) {
    case ConnectorStrategy::Children:
    case ConnectorStrategy::Remaining:
        return PairScoring::Tenths;
    case ConnectorStrategy::ChildrenMany:
        return PairScoring::HalfHalf;
    case ConnectorStrategy::RemainingMany:
        break;
    }
    return PairScoring::Product;
}

// The rules of pairAllowed that tell waiting figures apart by depth and
// container alone (the neighbour slots are kept apart by the two trees).
PendingRule StrategyRun::ruleFor(int b) const
{
    PendingRule rule;
    if (m_strategy == ConnectorStrategy::Remaining || m_strategy == ConnectorStrategy::RemainingMany) {
        const Facts &fb = m_facts[static_cast<std::size_t>(b)];
        rule.minDepth = fb.depth;
        rule.sameContainerAtOwnDepth = fb.depth > 1;
        rule.depth = fb.depth;
        rule.container = fb.container;
    }
    return rule;
}

CandidateTree &StrategyRun::tree(int s)
{
    CandidateTree *&known = m_trees[static_cast<std::size_t>(s)];
    if (!known)
        known = isMany() ? &m_indexes.marked(figure(s)) : &m_indexes.sampled(figure(s));
    return *known;
}

CandidateSummary StrategyRun::summary(int s)
{
    return m_summaries.empty() ? tree(s).summary() : m_summaries[static_cast<std::size_t>(s)];
}

namespace {

// The few pairs of one list, most often in order already, by operator<. No
// two are equal, so any sort leaves them the same.
template<class Pair> void SortPairs(Pair *first, std::uint32_t count)
{
    if (count > flatplan::NeighbourSlotCount) {
        std::sort(first, first + count);
        return;
    }
    for (Pair *at = first + 1; at < first + count; ++at) {
        const Pair moving = *at;
        Pair *to = at;
        for (; to > first && moving < *(to - 1); --to)
            *to = *(to - 1);
        *to = moving;
    }
}

} // namespace

void StrategyRun::index()
{
    m_indexed = true;
    std::erase_if(m_candidates, [&](int a) { return !m_isCandidate[static_cast<std::size_t>(a)]; });
    m_listed.assign(m_population.size(), Listed {});
    m_knownOfA.resize(m_population.size());
    m_few = m_candidates.size() <= FewCandidates;
    // Each b lists at most this many pairs. Room for all is set aside at
    // once: only the pages the lists come to fill are ever touched, where
    // growing the pool would copy it over and over.
    if (m_few || isMany()) {
        const std::size_t longest
            = m_few ? m_candidates.size() : static_cast<std::size_t>(flatplan::NeighbourSlotCount);
        m_pairPool = std::make_unique_for_overwrite<KnownPair[]>(m_population.size() * longest);
    }
    if ((m_few || isMany()) && m_waiting > 0) {
        // Each joined figure meets the few waiting ones first through its
        // summary: a project of many figures with a few left to join makes
        // trees only for the pairs that come to be scored. A closed figure
        // of the many-figure strategies meets its neighbour slots the same
        // way: kept side by side, the summaries cost one read each there
        // instead of a walk to each neighbour's tree.
        m_summaries.resize(m_population.size());
        const auto points = [&](std::size_t s) { return m_figures[m_population[s]].points.size() + 1; };
        ParallelChunksByWeight(m_population.size(), points, 65536, [&](std::size_t begin, std::size_t end) {
            for (std::size_t s = begin; s < end; ++s)
                m_summaries[s] = m_indexes.candidateSummary(m_population[s], isMany());
        });
    }
    if (!m_few && isMany() && m_waiting > 0) {
        // Every closed figure's pairs with its waiting neighbours are listed
        // now, on a few threads, with those waiting now: a figure that joins
        // before the list is read is passed over then, as in a list made
        // later, and the pairs of the others keep their order.
        ParallelChunks(m_population.size(), 4096, [&](std::size_t begin, std::size_t end) {
            for (std::size_t s = begin; s < end && !m_stop.requested(); ++s) {
                if (!m_facts[s].closed)
                    continue;
                const std::size_t start = neighbourRoom(s);
                m_listed[s] = Listed {start, listNeighbours(static_cast<int>(s), &m_pairPool[start])};
            }
        });
    }
}

std::uint32_t StrategyRun::listNeighbours(int b, KnownPair *out) const
{
    // Only a closed b of the many-figure strategies comes here: no figure is
    // nudged, the pairs are allowed by depth and container alone, and the
    // summaries were all read when the run was indexed. The neighbours lie
    // anywhere in the slots: their reads are started together rather than
    // met one by one.
    std::array<int, flatplan::NeighbourSlotCount> waiting {};
    std::size_t listed = 0;
    for (std::int32_t fa : m_figures[figure(b)].neighbourSlots) {
        const int a = fa >= 0 ? slotOf(fa) : -1;
        if (a < 0 || !m_isCandidate[static_cast<std::size_t>(a)])
            continue;
        __builtin_prefetch(&m_facts[static_cast<std::size_t>(a)]);
        __builtin_prefetch(&m_summaries[static_cast<std::size_t>(a)]);
        waiting[listed++] = a;
    }
    const CandidateSummary &summaryB = m_summaries[static_cast<std::size_t>(b)];
    const Facts &factsB = m_facts[static_cast<std::size_t>(b)];
    const bool byDepth = m_strategy == ConnectorStrategy::RemainingMany;
    std::uint32_t count = 0;
    WithScoring(scoring(), [&](auto kind) {
        for (std::size_t k = 0; k < listed; ++k) {
            const auto a = static_cast<std::size_t>(waiting[k]);
            const Facts &factsA = m_facts[a];
            if (!factsA.closed || (byDepth && !DepthAllows(factsA, factsB)))
                continue;
            const PairBest key
                = LowerKeyOf<decltype(kind)::value>(m_summaries[a], 0, summaryB, 0, waiting[k]);
            if (key.valid)
                out[count++] = KnownPair {key, false};
        }
    });
    SortPairs(out, count);
    return count;
}

// The tree of the waiting open or closed figures, made at its first question
// from those waiting then: a closed b of the many-figure strategies never asks
// for the closed ones, so a project of closed figures never makes it. What a
// search finds does not hang on how the tree was cut up.
PendingIndex &StrategyRun::pending(bool closed)
{
    std::unique_ptr<PendingIndex> &index = closed ? m_closedPending : m_openPending;
    if (index)
        return *index;
    std::vector<PendingFigure> figures(m_population.size());
    for (std::size_t s = 0; s < figures.size(); ++s) {
        const Facts &f = m_facts[s];
        figures[s] = PendingFigure {nullptr, shiftOfA(m_population[s]), f.depth, f.container};
    }
    for (int a : m_candidates) {
        if (m_isCandidate[static_cast<std::size_t>(a)]
            && m_facts[static_cast<std::size_t>(a)].closed == closed)
            figures[static_cast<std::size_t>(a)].tree = &tree(a);
    }
    index = std::make_unique<PendingIndex>(std::move(figures));
    return *index;
}

void StrategyRun::addB(int b, bool lookNow)
{
    if (m_facts[static_cast<std::size_t>(b)].depth > m_deepestCandidate)
        return;
    // A figure this run joined is looked for at once and ranked by its pair,
    // as the next call would: ranked first, it would be moved to the top of
    // the heap and straight down again. One another run joined waits for
    // this run's next call, which may never come.
    if (lookNow && m_waiting > 0) {
        findBest(b);
        return;
    }
    // Not looked for yet: it comes first, to be looked for at the next call.
    m_looked[static_cast<std::size_t>(b)] = 0;
    m_ranking.set(b, RankKey {std::numeric_limits<std::int64_t>::min(), -1});
}

void StrategyRun::improveDirectly(int a, int b, const PairBest &key, PairBest &best)
{
    // The pair was listed: allowed, and with this lower key.
    if (best.valid && !PairBefore(key, best))
        return;
    const int fa = figure(a);
    const int fb = figure(b);
    PairSearch(tree(a), shiftOfA(fa), tree(b), shiftOfB(fb), a, m_strategy == ConnectorStrategy::ChildrenMany,
               scoring())
        .improve(best);
}

// The best pair of b with the candidates listed for it: every candidate
// when there are few, a closed b's neighbour slots otherwise.
PairBest StrategyRun::bestOfListed(int b)
{
    std::size_t &start = m_listed[static_cast<std::size_t>(b)].start;
    std::uint32_t &count = m_listed[static_cast<std::size_t>(b)].count;
    if (start == NotListed) {
        if (!m_few) {
            // Listed when the run was indexed, unless it was stopped then.
            start = neighbourRoom(static_cast<std::size_t>(b));
            count = listNeighbours(b, &m_pairPool[start]);
        } else {
            start = m_pairPoolSize;
            const int fb = figure(b);
            const CandidateSummary summaryB = summary(b);
            for (int a : m_candidates) {
                if (!m_isCandidate[static_cast<std::size_t>(a)] || !pairAllowed(a, b, false))
                    continue;
                const PairBest key
                    = LowerKey(summary(a), shiftOfA(figure(a)), summaryB, shiftOfB(fb), a, scoring());
                if (key.valid)
                    m_pairPool[m_pairPoolSize++] = KnownPair {key, false};
            }
            count = static_cast<std::uint32_t>(m_pairPoolSize - start);
            SortPairs(&m_pairPool[start], count);
        }
    }
    // A lower key first is scored: its pair comes no earlier, and may still
    // come before the rest.
    while (count > 0) {
        const KnownPair top = m_pairPool[start];
        if (!m_isCandidate[static_cast<std::size_t>(top.a)]) {
            ++start;
            --count;
        } else if (top.scored) {
            return top.pair();
        } else {
            ++start;
            --count;
            // A pending figure's best pair with any joined figure, known
            // from an earlier search, is never beaten by a worse pair of
            // this one: such a pair need not be known. In the order of
            // whole pairs an equal score comes first from the joined figure
            // earlier in the list.
            const int a = top.a;
            const PairBest &known = m_knownOfA[static_cast<std::size_t>(a)];
            const std::int32_t tie = b < known.b ? std::numeric_limits<std::int32_t>::max()
                                                 : std::numeric_limits<std::int32_t>::min();
            const PairBest bound = known.valid ? PairBest {known.score, a, tie, tie, true} : PairBest {};
            PairBest pair = bound;
            improveDirectly(a, b, top.pair(), pair);
            if (!pair.valid || (bound.valid && pair.va == tie))
                continue; // no pair of b can join a
            if (!known.valid || pair.score < known.score || (pair.score == known.score && b < known.b))
                m_knownOfA[static_cast<std::size_t>(a)] = PairBest {pair.score, b, pair.va, pair.vb, true};
            // Into its place, in the room the lower key left.
            const KnownPair scored {pair, true};
            std::size_t at = start - 1;
            for (const std::size_t end = start + count; at + 1 < end && m_pairPool[at + 1] < scored; ++at)
                m_pairPool[at] = m_pairPool[at + 1];
            m_pairPool[at] = scored;
            --start;
            ++count;
        }
    }
    return {};
}

void StrategyRun::findBest(int b)
{
    const int fb = figure(b);
    PairBest best;
    if (m_few) {
        best = bestOfListed(b);
    } else {
        // The question is made at the first index with a figure waiting:
        // b's tree is not read where none waits. A run that started with no
        // open candidate never makes their index (a project of closed
        // figures would list each of them in it for nothing).
        std::optional<PendingQuery> query;
        const auto ask = [&](bool closed, auto &&...kept) {
            if (!closed && !m_openCandidates)
                return;
            PendingIndex &index = pending(closed);
            if (index.empty())
                return;
            if (!query) {
                query.emplace();
                query->b = &tree(b);
                query->db = shiftOfB(fb);
                // ConnectChildrenMany takes b's marked vertices from vertex 1 on.
                query->skipVertexZeroOfB = m_strategy == ConnectorStrategy::ChildrenMany;
                query->scoring = scoring();
                query->rule = ruleFor(b);
            }
            query->helpers = helpersFor(index, query->b->points().size());
            index.improve(*query, kept...);
        };
        // A closed b of the many-figure strategies meets closed figures only
        // through its neighbour slots; an open end pairs with every figure.
        if (!keepsNoRunnersUp(b)) {
            const auto runnersUp = m_runnersUp.begin() + static_cast<std::ptrdiff_t>(b * RunnersUp);
            std::array<PairBest, RunnersUp + 1> kept {};
            for (const bool closed : {false, true})
                ask(closed, kept.data(), kept.size());
            best = kept[0];
            std::copy(kept.begin() + 1, kept.end(), runnersUp);
        } else {
            // Such a b keeps no runners-up: they stay as made, empty.
            ask(false, best);
            if (const PairBest listed = bestOfListed(b); listed.valid && PairBefore(listed, best))
                best = listed;
        }
    }
    m_best[static_cast<std::size_t>(b)] = best;
    m_looked[static_cast<std::size_t>(b)] = 1;
    if (best.valid)
        m_ranking.set(b, RankKey {best.score, best.b});
    else
        m_ranking.remove(b); // no pending figure left for it, nor will there be
}

bool StrategyRun::promoteRunnerUp(int b)
{
    if (!m_looked[static_cast<std::size_t>(b)] || keepsNoRunnersUp(b))
        return false;
    const auto first = m_runnersUp.begin() + static_cast<std::ptrdiff_t>(b * RunnersUp);
    const auto last = first + RunnersUp;
    // Those before it have joined too: the best pair left is the first whose
    // figure waits.
    const auto waiting = std::find_if(first, last, [&](const PairBest &pair) {
        return pair.valid && m_isCandidate[static_cast<std::size_t>(pair.b)];
    });
    if (waiting == last) {
        // Every pair left comes after the last one kept, whose figure has
        // joined: b need not be looked for again before that.
        const PairBest floor = *(last - 1);
        std::fill(first, last, PairBest {});
        if (!floor.valid)
            return false;
        m_ranking.set(b, RankKey {floor.score, floor.b});
        return true;
    }
    const PairBest best = *waiting;
    std::fill(std::copy(waiting + 1, last, first), last, PairBest {});
    m_best[static_cast<std::size_t>(b)] = best;
    m_ranking.set(b, RankKey {best.score, best.b});
    return true;
}

void StrategyRun::leave(int a)
{
    if (!m_isCandidate[static_cast<std::size_t>(a)])
        return;
    m_isCandidate[static_cast<std::size_t>(a)] = 0;
    --m_waiting;
    for (PendingIndex *index : {m_openPending.get(), m_closedPending.get()}) {
        if (index)
            index->remove(a,
                          helpersFor(*index, m_figures[static_cast<std::size_t>(figure(a))].points.size()));
    }
}

HelperGang *StrategyRun::helpersFor(const PendingIndex &index, std::size_t points)
{
    // Runs beside others (the children of containers side by side) keep to
    // their own thread.
    if (m_container >= 0 || !index.pointwise() || points < 2 * PendingIndex::SharedPoints)
        return nullptr;
    if (!m_helpers) {
        const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
        m_helpers = std::make_unique<HelperGang>(cores - 1);
    }
    return m_helpers.get();
}

void StrategyRun::joined(int a, bool here)
{
    const int s = a >= 0 ? slotOf(a) : -1;
    if (s < 0)
        return;
    leave(s);
    if (m_facts[static_cast<std::size_t>(s)].becomesB && !m_ranking.contains(s)
        && !m_looked[static_cast<std::size_t>(s)])
        addB(s, here);
}

int StrategyRun::call()
{
    if (!m_indexed)
        index();
    if (m_waiting == 0)
        return -1;
    // A b whose pair is current comes before every other b's pair, since the
    // others' keys only bound theirs from below.
    for (int b = m_ranking.top(); b >= 0 && !m_stop.requested(); b = m_ranking.top()) {
        const PairBest &best = m_best[static_cast<std::size_t>(b)];
        if (m_looked[static_cast<std::size_t>(b)] && best.valid
            && m_isCandidate[static_cast<std::size_t>(best.b)])
            return finish(b);
        if (!promoteRunnerUp(b))
            findBest(b);
    }
    return -1;
}

PairBest StrategyRun::vertexAt(int b)
{
    const PairBest best = m_best[static_cast<std::size_t>(b)];
    if (best.va != UnknownVertex)
        return best;
    const PairBest &known = m_knownOfA[static_cast<std::size_t>(best.b)];
    if (known.valid && known.b == b && known.score == best.score)
        return PairBest {best.score, best.b, known.va, known.vb, true};
    // Not expected: while the candidate waits, the joined figure whose
    // better pair took over comes first in the ranking, so b does not join
    // it. Scored afresh all the same, should it ever happen.
    PairBest pair;
    improveDirectly(best.b, b, best, pair);
    return pair;
}

int StrategyRun::finish(int b)
{
    // The figure that joins now looks for its own best pair at once: what
    // that reads of it lies all over memory, and is fetched together here
    // rather than one miss after another.
    const auto a = static_cast<std::size_t>(m_best[static_cast<std::size_t>(b)].b);
    __builtin_prefetch(&m_knownOfA[a]);
    __builtin_prefetch(&m_facts[a]);
    __builtin_prefetch(&m_isCandidate[a]);
    __builtin_prefetch(&m_looked[a]);
    __builtin_prefetch(&m_best[a]);
    __builtin_prefetch(&m_listed[a]);
    __builtin_prefetch(&m_trees[a]);
    // A closed figure's pairs are listed from its own room on, untouched
    // while it waited.
    if (m_pairPool && !m_few)
        __builtin_prefetch(&m_pairPool[neighbourRoom(a)]);
    const PairBest best = vertexAt(b);
    const int fa = figure(best.b);
    const int fb = figure(b);
    const std::int32_t depth = std::max(m_facts[static_cast<std::size_t>(best.b)].depth,
                                        m_facts[static_cast<std::size_t>(b)].depth);
    const std::int32_t container = m_container >= 0 ? m_container : 0;
    if (m_deferred) {
        const auto [va, vb] = m_walkLater
            ? std::pair {best.va, best.vb}
            : flatplan::WalkConnector(m_figures, fa, best.va, fb, best.vb, &m_indexes, m_stop);
        m_deferred->push_back(flatplan::PlannedJoin {fa, va, fb, vb, container, depth});
        m_figures[fa].pending = false;
    } else {
        flatplan::MakeConnector(m_figures, fa, best.va, fb, best.vb, container, depth, &m_indexes, m_stop);
    }
    joined(fa, true);
    return fa;
}
