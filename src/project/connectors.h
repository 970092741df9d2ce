#pragma once

// The connector strategies of the flat planner, kept incremental.
//
// A strategy call picks, over every pending figure a and joined figure b
// that pass its rules and the strategy's vertex pairs, the lexicographically
// least (score, a, b, va, vb) - the first best pair in loop order - and joins
// a over a connector. Between calls only one thing changes: a joins and may
// become a b. So the run keeps, for every joined figure b, its best pair with
// a pending figure: (score, a, va, vb), least first. Pending figures only
// ever leave, so a b's best pair can only get worse: once its a has joined,
// the pair it had still bounds from below what it can offer, and it is looked
// for again only when that bound comes first among all b's. The first b whose
// best pair is current holds the pair to join. A b's pair is found in a tree
// over the pending figures, which leave it as they join, and through the
// candidate trees of the two figures; the pair is the one a full scan of the
// pairs would find, ties included.

#include "drawing/figure.h"
#include "project/candidatetree.h"
#include "project/figureindexes.h"
#include "project/flatplan.h"
#include "project/indexedheap.h"
#include "project/pendingindex.h"
#include "project/planstop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum class ConnectorStrategy {
    Children, // ConnectChildren
    ChildrenMany, // ConnectChildrenMany
    Remaining, // ConnectRemaining
    RemainingMany, // ConnectRemainingMany
};

// Joins the best pending top-level figure (depth below 2) to the root.
// Returns false when nothing could be joined.
bool ConnectToStartFigure(std::vector<tfigura> &figures, int root, TPlotPoint pp, FigureIndexes &indexes,
                          const PlanStop &stop = {});

// One strategy over one population of figures, the figures of one
// container or the whole project. Its state is kept by slot, the figure's
// place in the population, so that a run over the few children of one
// container costs as much as they do, not as the whole figure list. Slots
// follow list order, so ties broken by slot are broken by figure index.
class StrategyRun
{
public:
    // container: the container c of the children strategies, -1 for the
    // remaining ones. population: the figures that may be a or b, in list
    // order (for the children strategies c's children and c).
    // A stop makes a call return -1 as it stands.
    StrategyRun(std::vector<tfigura> &figures, FigureIndexes &indexes, ConnectorStrategy strategy,
                int container, int root, std::vector<int> population, PlanStop stop = {});
    ~StrategyRun();
    StrategyRun(const StrategyRun &) = delete;
    StrategyRun &operator=(const StrategyRun &) = delete;

    // Up to this many figures waiting at the first call, each joined figure
    // is paired with each of them; beyond, they are looked up in a tree.
    static constexpr std::size_t FewCandidates = 16;

    // One strategy call: joins one figure over a new connector and returns
    // it, or returns -1 when nothing is left to join.
    int call();

    // Figure a was joined (by this run or another): it is no longer a
    // candidate and may now be a joined figure b.
    void joined(int a) { joined(a, false); }

    // From now on a call walks its connector and marks its figure joined,
    // but leaves the figure list as it is: the connector is added to
    // `joins`, to be appended later in the same order. Only the figures of
    // the population are touched then, so that runs over different
    // populations may go side by side.
    // walkLater: the connector is not walked either, its join keeps the
    // pair chosen (flatplan::AppendJoins walks and appends such joins).
    void deferJoins(std::vector<flatplan::PlannedJoin> *joins, bool walkLater = false)
    {
        m_deferred = joins;
        m_walkLater = walkLater;
    }

private:
    // The least key a joined b's best pair may still have: its score, then
    // its pending figure's slot (b itself comes next, as the heap's item).
    struct RankKey
    {
        std::int64_t score = 0;
        std::int32_t a = 0;
        friend bool operator<(const RankKey &l, const RankKey &r)
        {
            return l.score < r.score || (l.score == r.score && l.a < r.a);
        }
    };

    int figure(int slot) const { return m_population[static_cast<std::size_t>(slot)]; }
    int slotOf(int figure) const
    {
        if (!m_contiguous)
            return listedSlotOf(figure);
        const int s = figure - m_population.front();
        return s >= 0 && s < static_cast<int>(m_population.size()) ? s : -1;
    }
    int listedSlotOf(int figure) const;
    bool isMany() const;
    bool mayBeA(int f) const;
    bool mayBeB(int f) const;
    // What mayBeB says of f once it has joined.
    bool becomesB(int f) const;
    // Slots; inSlotsOfB: a was taken from b's neighbour slots.
    bool pairAllowed(int a, int b, bool inSlotsOfB) const;
    std::int64_t shiftOfA(int f) const;
    std::int64_t shiftOfB(int f) const;
    PairScoring scoring() const;
    PendingRule ruleFor(int b) const; // a slot

    // From here on a and b are slots.
    CandidateTree &tree(int s);
    CandidateSummary summary(int s);
    void index();
    PendingIndex &pending(bool closed);
    // The threads a search or removal of a figure of that many points in
    // the index may share out to; null when it is not worth it.
    HelperGang *helpersFor(const PendingIndex &index, std::size_t points);
    void joined(int a, bool here); // here: by this run, in a call
    void addB(int b, bool lookNow = false);
    void leave(int a);
    void findBest(int b);
    // b's first runner-up whose figure still waits becomes its best pair.
    bool promoteRunnerUp(int b);
    // A b paired with a few candidates, or a closed b of the many-figure
    // strategies with its neighbour slots, finds its pairs listed in order
    // and needs no runners-up.
    bool keepsNoRunnersUp(int b) const
    {
        return m_few || (isMany() && m_facts[static_cast<std::size_t>(b)].closed);
    }
    void improveDirectly(int a, int b, const PairBest &key, PairBest &best);
    PairBest bestOfListed(int b);
    // b's best pair with its vertices, which a pair from a list leaves
    // unknown.
    PairBest vertexAt(int b);
    int finish(int b);

    std::vector<tfigura> &m_figures;
    FigureIndexes &m_indexes;
    ConnectorStrategy m_strategy;
    int m_container;
    int m_root;
    bool m_rootClosed;
    std::vector<int> m_population; // figure indexes by slot, in list order
    // What the pair rules ask of each slot's figure, at hand without the
    // figure's whole record (none of it changes while the run lasts).
    struct Facts
    {
        std::int32_t depth = 0;
        std::int32_t container = -1;
        bool closed = false;
        bool becomesB = false; // mayBeB once joined: joined() need not read the record
    };
    std::vector<Facts> m_facts;
    // The remaining strategies' rule: a joined b pairs with figures no
    // shallower, and at its own depth past the first only inside its own
    // container.
    static bool DepthAllows(const Facts &a, const Facts &b)
    {
        return b.depth <= a.depth && !(b.depth > 1 && b.depth == a.depth && a.container != b.container);
    }
    PlanStop m_stop;
    bool m_contiguous = false; // the population is a run of consecutive figures

    std::vector<int> m_candidates; // pending a's, in list order (joined ones dropped lazily)
    std::vector<std::uint8_t> m_isCandidate;
    // Per joined b: its best pair (PairBest::b holds the pending a's slot),
    // once looked for.
    std::vector<PairBest> m_best;
    // Per joined b, once looked for in the trees: its best pairs with a few
    // further pending figures, each the best but for the figures before it,
    // which take over in turn as those join and spare looking again;
    // m_runnersUp[b * RunnersUp ..] by slot.
    static constexpr std::size_t RunnersUp = 2;
    std::vector<PairBest> m_runnersUp;
    std::vector<std::uint8_t> m_looked;
    // Per joined b, its pairs with the candidates listed for it, in order
    // (all of them when they are few, a closed b's neighbour slots in the
    // many-figure strategies): a candidate's lower key until it comes first
    // and is scored; each pair is scored once and used up as candidates join.
    // A list holds each candidate once, so its order is that of (score, a).
    // A scored pair's vertices are those m_knownOfA keeps for a: scoring it
    // makes it the best known pair of a, and only a better pair of another
    // joined figure takes that over, which then comes first in the ranking
    // for as long as a waits. Kept in 16 bytes, the pool being read all
    // over. Made without a value, so that room for many is not written
    // before they come.
    struct KnownPair
    {
        KnownPair() = default;
        KnownPair(const PairBest &pair, bool scored)
            : score(pair.score)
            , a(pair.b)
            , scored(scored)
        { }
        // Its pair as far as the order of pairs goes: a lower key is before
        // a bound of the same a exactly when its score is.
        PairBest pair() const { return PairBest {score, a, UnknownVertex, UnknownVertex, true}; }
        friend bool operator<(const KnownPair &l, const KnownPair &r)
        {
            return l.score < r.score || (l.score == r.score && l.a < r.a);
        }

        std::int64_t score;
        std::int32_t a;
        bool scored;
    };
    // The vertices of a pair taken from a list, found in m_knownOfA when it
    // joins (vertexAt).
    static constexpr std::int32_t UnknownVertex = -1;
    // The pairs never outgrow their first listing (a pair is put back only
    // after one is taken): b's pairs are m_pairPool[m_listed[b].start ..
    // m_listed[b].start + m_listed[b].count), in order, one allocation for
    // all b.
    // With few candidates the lists follow one another as they are made; a
    // closed b of the many-figure strategies has room for its neighbour
    // slots at NeighbourSlotCount * b, and all of them are listed at once
    // when the run is indexed.
    static constexpr std::size_t NotListed = static_cast<std::size_t>(-1);
    std::unique_ptr<KnownPair[]> m_pairPool;
    std::size_t m_pairPoolSize = 0; // with few candidates, the room taken
    // Lists b's pairs with its waiting neighbour slots into out, in order,
    // and returns how many (a closed b of the many-figure strategies).
    std::uint32_t listNeighbours(int b, KnownPair *out) const;
    // Where a closed b's neighbour pairs start in the pool.
    static std::size_t neighbourRoom(std::size_t b) { return b * flatplan::NeighbourSlotCount; }
    struct Listed
    {
        std::size_t start = NotListed;
        std::uint32_t count = 0;
    };
    std::vector<Listed> m_listed; // by b: read together, as they are used
    // Per candidate: its best pair scored so far with any joined figure
    // (PairBest::b holds that figure's slot).
    std::vector<PairBest> m_knownOfA;
    std::size_t m_waiting = 0; // candidates not joined yet
    // Some candidate was open at the start: else the index of the waiting
    // open figures would never hold one, and is never made.
    bool m_openCandidates = false;
    // The remaining strategies pair a joined figure only with figures at
    // least as deep: one deeper than every candidate at the start has no
    // pair, then or later, and is never looked for.
    std::int32_t m_deepestCandidate = std::numeric_limits<std::int32_t>::max();
    IndexedHeap<RankKey> m_ranking;
    // The pending figures' candidate vertices, each tree built when first
    // asked: open figures and closed ones apart, as a closed b of the
    // many-figure strategies meets closed figures only through its
    // neighbour slots.
    bool m_indexed = false;
    bool m_few = false; // few candidates at the first call: each b is paired with all of them
    std::unique_ptr<PendingIndex> m_openPending;
    std::unique_ptr<PendingIndex> m_closedPending;
    std::unique_ptr<HelperGang> m_helpers; // made at the first search worth sharing out
    std::vector<CandidateTree *> m_trees; // per slot, once asked for
    std::vector<CandidateSummary> m_summaries; // per slot, when few wait or pairs are listed by slots
    std::vector<flatplan::PlannedJoin> *m_deferred = nullptr;
    bool m_walkLater = false;
};
