#pragma once

// The connector strategies of the flat planner, kept incremental.
//
// A strategy call picks, over every pending figure a and joined figure b
// that pass its rules and the strategy's vertex pairs, the lexicographically
// least (score, a, b, va, vb) - the first best pair in loop order - and joins
// a over a connector. Between calls only one thing changes: a joins and may
// become a b. So every pending figure keeps its best pair, brought up to date
// with the figures joined since it was last looked at (lazily, for the
// strategies that pair everything with everything) or as they join through
// the neighbour slots (eagerly, for the many-figure strategies). Pairs are
// skipped only when a lower bound from boxes is strictly worse than the best
// so far, so ties go exactly where a full scan would put them.

#include "drawing/figure.h"
#include "project/boxgrid.h"

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

enum class ConnectorStrategy {
    Children, // ConnectChildren
    ChildrenMany, // ConnectChildrenMany
    Remaining, // ConnectRemaining
    RemainingMany, // ConnectRemainingMany
};

// Joins the best pending top-level figure (depth below 2) to the root.
// Returns false when nothing could be joined.
bool ConnectToStartFigure(std::vector<tfigura> &figures, int root, TPlotPoint pp);

// The vertices a strategy looks at on one figure, with their box and the
// least weight among them (for lower bounds).
struct CandidateVertices
{
    std::vector<std::int32_t> vertices;
    PlanBox box;
    std::int64_t minFactor = 10; // least weight in tenths, unmarked vertices counting 10
    std::int64_t minWeight = 10; // least weight
    bool boundable = true; // false when a weight is negative: no pruning then
};

// Per figure, the three vertex choices of the strategies, built once the
// marks are set; connectors made later are never candidates.
class CandidateTable
{
public:
    explicit CandidateTable(const std::vector<tfigura> &figures);
    const CandidateVertices &sampled(int f) const { return m_sampled[static_cast<std::size_t>(f)]; }
    const CandidateVertices &marked(int f) const { return m_marked[static_cast<std::size_t>(f)]; }
    const CandidateVertices &markedFromOne(int f) const
    {
        return m_markedFromOne[static_cast<std::size_t>(f)];
    }

private:
    std::vector<CandidateVertices> m_sampled;
    std::vector<CandidateVertices> m_marked;
    std::vector<CandidateVertices> m_markedFromOne;
};

// One strategy over one population of figures: the children of a container
// (and the container itself), or the whole project.
class StrategyRun
{
public:
    // container: the container c of the children strategies, -1 for the
    // remaining ones. population: the figures that may be a or b, in list
    // order (for the children strategies c's children and c).
    StrategyRun(std::vector<tfigura> &figures, const CandidateTable &table, ConnectorStrategy strategy,
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
    struct Best
    {
        std::int64_t score = 0;
        int b = -1;
        std::int32_t va = -1;
        std::int32_t vb = -1;
        bool valid = false;
    };

    bool isMany() const;
    bool mayBeA(int a) const;
    bool mayBeB(int b) const;
    bool pairAllowed(int a, int b) const;
    const CandidateVertices &verticesOfA(int a) const;
    const CandidateVertices &verticesOfB(int b) const;
    void evaluate(int a, int b);
    template<int Kind> void evaluatePair(int a, int b, Best &best) const;
    void offerNewB(int b);
    void setBest(int a, const Best &best);
    int finish(int a);

    std::vector<tfigura> &m_figures;
    const CandidateTable &m_table;
    ConnectorStrategy m_strategy;
    int m_container;
    int m_root;
    bool m_rootClosed;

    std::vector<int> m_candidates; // pending a's, in list order (joined ones dropped lazily)
    std::vector<Best> m_best; // per figure index
    std::vector<std::uint8_t> m_isCandidate;
    // Lazy strategies: joined b's in the order they became available, and how
    // far each candidate has looked at them.
    std::vector<int> m_joinedLog;
    std::vector<std::size_t> m_seen;
    // Eager strategies: the candidates with a best pair by (score, a), and the
    // open candidates, which pair with every joined figure.
    std::set<std::pair<std::int64_t, int>> m_ranking;
    std::vector<int> m_openCandidates;
};
