#pragma once

// The connector strategies of the flat planner, kept incremental.
//
// A strategy call picks, over every pending figure a and joined figure b
// that pass its rules and the strategy's vertex pairs, the lexicographically
// least (score, a, b, va, vb) - the first best pair in loop order - and joins
// a over a connector. Between calls only one thing changes: a joins and may
// become a b. So every pending figure keeps what it knows of its pairs: the
// best pair among the figures it has been scored against, and the figures
// joined since, each with only a lower bound from the boxes (offered lazily,
// at the next call, for the strategies that pair everything with everything;
// eagerly, as they join through the neighbour slots, for the many-figure
// strategies). A call scores pairs only while the figure whose bound is least
// still has unscored pairs that could beat its best. The best vertex pair of
// two figures comes from their candidate trees, exactly as a full scan of the
// pairs would find it, ties included.

#include "drawing/figure.h"
#include "project/candidatereach.h"
#include "project/candidatetree.h"
#include "project/figureindexes.h"
#include "project/indexedheap.h"

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
bool ConnectToStartFigure(std::vector<tfigura> &figures, int root, TPlotPoint pp, FigureIndexes &indexes);

// One strategy over one population of figures: the children of a container
// (and the container itself), or the whole project.
class StrategyRun
{
public:
    // container: the container c of the children strategies, -1 for the
    // remaining ones. population: the figures that may be a or b, in list
    // order (for the children strategies c's children and c).
    StrategyRun(std::vector<tfigura> &figures, FigureIndexes &indexes, ConnectorStrategy strategy,
                int container, int root, std::vector<int> population);
    ~StrategyRun();
    StrategyRun(const StrategyRun &) = delete;
    StrategyRun &operator=(const StrategyRun &) = delete;

    // One strategy call: joins one figure over a new connector and returns
    // it, or returns -1 when nothing is left to join.
    int call();

    // Figure a was joined (by this run or another): it is no longer a
    // candidate and may now be a joined figure b.
    void joined(int a);

private:
    using Best = PairBest;

    // The run's state is kept by slot, the figure's place in the population,
    // so that a run over the few children of one container costs as much as
    // they do, not as the whole figure list. Slots follow list order, so
    // ties broken by slot are broken by figure index.
    int figure(int slot) const { return m_population[static_cast<std::size_t>(slot)]; }
    int slotOf(int figure) const;

    bool isMany() const;
    bool mayBeA(int a) const;
    bool mayBeB(int b) const;
    bool pairAllowed(int a, int b) const;
    struct Scoring
    {
        std::int64_t da = 0; // shift of a's points in x and y
        std::int64_t db = 0;
        PairScoring scoring = PairScoring::Tenths;
        bool skipVertexZeroOfB = false;
    };

    // From here on a and b are slots.
    CandidateTree &tree(int f);
    const CandidateSummary &summary(int f);
    Scoring scoring(int a, int b) const;
    PairSearch search(int a, int b);
    void offer(int a, int b);
    void offerNewB(int b);
    void reachOut(int a);
    void scoreNext(int a);
    void rank(int a);
    int firstRanked();
    int finish(int a);
    void joinedSlot(int a);

    std::vector<tfigura> &m_figures;
    FigureIndexes &m_indexes;
    ConnectorStrategy m_strategy;
    int m_container;
    int m_root;
    bool m_rootClosed;
    std::vector<int> m_population; // figure indexes by slot, in list order
    bool m_contiguous = false; // the population is a run of consecutive figures

    std::vector<int> m_candidates; // pending a's, in list order (joined ones dropped lazily)
    std::vector<std::uint8_t> m_isCandidate;
    std::vector<Best> m_best; // per slot: the best pair scored so far (b a figure index)
    // A lower key of a pair not scored yet: its a's least vertex is the same
    // for all of a's keys, so only the rest is kept.
    struct Unscored
    {
        std::int64_t score = 0;
        std::int32_t b = -1; // slot
        std::int32_t vb = -1;
    };
    Best keyOf(int a, const Unscored &key);
    // Per slot: the joined figures not scored yet, as a heap of lower keys.
    std::vector<std::vector<Unscored>> m_unscored;
    // The candidates by (least score they may reach, a).
    IndexedHeap<std::int64_t> m_ranking;
    // Lazy strategies: joined b's in the order they became available, and how
    // far each candidate has looked at them.
    std::vector<int> m_joinedLog;
    std::vector<std::size_t> m_seen;
    // Eager strategies: the candidates by how far their pairs may improve,
    // against the least weights any joined figure can bring.
    // Open candidates pair with every joined figure, closed ones with open
    // joined figures and their neighbour slots: each kind its own tree.
    std::unique_ptr<CandidateReach> m_openReach;
    std::unique_ptr<CandidateReach> m_closedReach;
    std::vector<int> m_inReach;
    CandidateSummary m_leastOfB;
    std::vector<CandidateTree *> m_trees; // per slot, once asked for
    std::vector<CandidateSummary> m_summaries;
    std::vector<std::uint8_t> m_summarised;
};
