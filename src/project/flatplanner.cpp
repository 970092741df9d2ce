#include "project/flatplanner.h"

#include "drawing/geometry.h"
#include "project/connectors.h"
#include "project/containment.h"
#include "project/neighbours.h"
#include "project/parallelchunks.h"
#include "project/touching.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

namespace {

class FlatPlanner
{
public:
    FlatPlanner(std::vector<tfigura> &figures, const FlatPlanSettings &settings, FlatPlanState &state,
                const FlatPlanControl &control)
        : m_figures(figures)
        , m_settings(settings)
        , m_state(state)
        , m_control(control)
        , m_stop(control.stop())
    { }

    FlatPlanResult run();
    // What the run kept to look things up, once it is over: the indexes,
    // and the remaining strategies' runs, which point into them (freed
    // first).
    struct Leftovers
    {
        std::unique_ptr<FigureIndexes> indexes;
        std::unique_ptr<StrategyRun> remaining;
        std::unique_ptr<StrategyRun> remainingMany;
    };
    Leftovers takeLeftovers()
    {
        return Leftovers {std::move(m_indexes), std::move(m_remaining), std::move(m_remainingMany)};
    }

private:
    enum class StageEnd { Joined, Cancelled, Stuck };

    // Announces the stage; false when the run was stopped before it.
    bool enter(FlatPlanStage stage);
    FlatPlanResult stopped() const;
    void chooseRoot();
    StageEnd connectorStage();
    bool connectChildrenOf(int c, std::vector<int> population);
    // The joins connectChildrenOf would make, planned without changing the
    // figure list.
    std::vector<flatplan::PlannedJoin> planChildrenOf(int c, const std::vector<int> &population);
    bool connectChildrenSideBySide(const std::vector<int> &containers,
                                   const std::vector<std::vector<int>> &populations);
    StageEnd connectRemaining();
    StageEnd chooseRemaining(); // the joins of connectRemaining, left unappended
    // Past 20 children, a container's children are joined by the
    // many-figure strategy after the first.
    bool manyChildren(int c) const { return m_figures[static_cast<std::size_t>(c)].childCount >= 21; }
    bool hasWaitingChild(int c, const std::vector<int> &population) const
    {
        return std::any_of(population.begin(), population.end(),
                           [&](int f) { return f != c && m_figures[static_cast<std::size_t>(f)].pending; });
    }
    void showProgress();
    // The figures with the connectors chosen but not appended yet.
    std::size_t figureCount() const { return m_figures.size() + m_unappended.size(); }

    std::vector<tfigura> &m_figures;
    const FlatPlanSettings &m_settings;
    FlatPlanState &m_state;
    const FlatPlanControl &m_control;
    PlanStop m_stop;
    std::unique_ptr<FigureIndexes> m_indexes;
    TouchWalk m_touchWalk; // from the joining of touching figures to the next
    bool m_many = false;
    int m_pending = 0;
    std::vector<flatplan::PlannedJoin> m_unappended;
    // The remaining strategies' runs, kept until the run is over: a large
    // drawing's take milliseconds to free, which the appending of the
    // connectors need not wait for.
    std::unique_ptr<StrategyRun> m_remaining;
    std::unique_ptr<StrategyRun> m_remainingMany;
};

bool FlatPlanner::enter(FlatPlanStage stage)
{
    if (m_stop.requested())
        return false;
    if (m_control.stageStarted)
        m_control.stageStarted(stage);
    return true;
}

// A stop leaves what was done so far; planning again starts afresh.
FlatPlanResult FlatPlanner::stopped() const
{
    return FlatPlanResult {FlatPlanOutcome::Cancelled, flatplan::CountPending(m_figures)};
}

FlatPlanResult FlatPlanner::run()
{
    flatplan::StartClean(m_figures, m_state);
    // The start figure and one connector for each figure at most: room for
    // all of them at once spares moving every figure each time the list
    // grows.
    m_figures.reserve(2 * m_figures.size() + 1);
    m_indexes = std::make_unique<FigureIndexes>(m_figures);
    if (!enter(FlatPlanStage::VertexRecords))
        return stopped();
    BuildVertexRecords(m_figures, m_stop);
    if (!enter(FlatPlanStage::Containment))
        return stopped();
    co_w_czym(m_figures, m_state.maxDepth, m_stop);
    if (!enter(FlatPlanStage::Root))
        return stopped();
    chooseRoot();
    if (m_stop.requested())
        return stopped();
    const int root = m_state.rootFigure;
    if (root < 0) {
        m_state.planned = true;
        return {};
    }

    tfigura &r = m_figures[root];
    r.pending = false;
    r.entryVertex = flatplan::NearestVertexToPP(r, m_state.pp);
    r.container = -1;
    r.parent = -1;
    r.vertexOnParent = -1;
    if (!enter(FlatPlanStage::Touching))
        return stopped();
    JoinFiguresTouchingRoot(m_figures, root, m_settings.tolerance, *m_indexes, m_stop);
    JoinTouchingFigures(m_figures, m_settings.tolerance, *m_indexes, m_stop, &m_touchWalk);
    if (!enter(FlatPlanStage::Candidates))
        return stopped();
    MarkCandidateVertices(m_figures, m_stop);

    FlatPlanResult result;
    if (flatplan::CountPending(m_figures) > 0) {
        m_many = m_figures.size() >= flatplan::ManyFigures;
        if (m_many) {
            if (!enter(FlatPlanStage::Neighbours))
                return stopped();
            OrderByDistance(m_figures, m_stop);
        }
        if (!enter(FlatPlanStage::Connectors))
            return stopped();
        const bool rootHasChild = std::any_of(m_figures.begin(), m_figures.end(),
                                              [&](const tfigura &f) { return f.parent == root; });
        if (m_figures[root].closed && !rootHasChild)
            ConnectToStartFigure(m_figures, root, m_state.pp, *m_indexes, m_stop);
        JoinTouchingFigures(m_figures, m_settings.tolerance, *m_indexes, m_stop, &m_touchWalk);
        m_indexes->releaseVertexGrid();
        m_touchWalk = {};

        switch (connectorStage()) {
        case StageEnd::Cancelled:
            return stopped();
        case StageEnd::Stuck:
            result.outcome = FlatPlanOutcome::Stuck;
            result.unjoinedFigures = flatplan::CountPending(m_figures);
            break;
        case StageEnd::Joined:
            break;
        }
    }
    m_state.planned = result.outcome == FlatPlanOutcome::Planned;
    flatplan::FinishPlan(m_figures, m_settings, m_state);
    return result;
}

void FlatPlanner::chooseRoot()
{
    const int count = static_cast<int>(m_figures.size());
    m_state.singleOpenFigure = count == 1 && !m_figures[0].closed;
    m_state.framePresent = false;

    int outermost = 0;
    std::vector<int> open; // in list order
    std::size_t openPoints = 0;
    for (int k = 0; k < count; ++k) {
        const tfigura &f = m_figures[k];
        if (f.depth == 0) {
            ++outermost;
            m_state.rootFigure = k;
        }
        if (!f.closed) {
            open.push_back(k);
            openPoints += f.points.size() + 1;
        }
    }
    if (outermost == 1 && m_figures[m_state.rootFigure].points.size() == 5) {
        // A sole outermost rectangle is the frame: the wire enters there.
        m_state.framePresent = true;
        return;
    }

    // An open figure with one free end, its box nearest pp, can be the root.
    // Every open figure is asked, so all are answered at once when many.
    // The grid of every vertex is built when an open figure first asks.
    if (openPoints > 0 && !m_stop.requested())
        m_indexes->vertexGrid(m_settings.tolerance, m_stop).expectEnds(openPoints);
    double best = 1e21;
    int openRoots = 0;
    for (const int k : open) {
        if (m_stop.requested())
            return;
        tfigura &f = m_figures[k];
        if (!FreeEndEntry(f, m_indexes->vertexGrid(m_settings.tolerance, m_stop).nearEnds(k)))
            continue;
        const double d = PointDistance(m_state.pp, TPlotPoint {f.minX, f.minY});
        if (d < best) {
            best = d;
            m_state.rootFigure = k;
        }
        ++openRoots;
    }

    const bool startFigure = openRoots == 0 && m_settings.mode != 2 && !m_state.singleOpenFigure;
    if (startFigure) {
        flatplan::AddStartFigure(m_figures, m_state);
        m_state.framePresent = true;
        m_state.projectWidth = m_state.pk.x - m_state.pp.x;
        m_state.projectHeight = m_state.pk.y - m_state.pp.y;
    }
    ParallelChunks(m_figures.size(), 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            m_figures[k].depth += 1;
    });
    if (startFigure)
        ConnectToStartFigure(m_figures, m_state.rootFigure, m_state.pp, *m_indexes, m_stop);
}

FlatPlanner::StageEnd FlatPlanner::connectorStage()
{
    m_pending = flatplan::CountPending(m_figures);
    if (m_stop.requested())
        return StageEnd::Cancelled;

    // A project of many figures: the children strategies score containers
    // and their children at sampled vertices (marked ones past 20 children);
    // their trees are made at once, on a few threads, where a child is left
    // to join. The figures touching joined make no trees.
    if (m_many) {
        std::vector<std::uint8_t> waitingChild(m_figures.size(), 0);
        for (const tfigura &f : m_figures) {
            if (f.pending && f.container >= 0 && static_cast<std::size_t>(f.container) < m_figures.size())
                waitingChild[static_cast<std::size_t>(f.container)] = 1;
        }
        // A figure is in the population of its container and, as a
        // container, in its own.
        const auto wanted = [&](int f, bool marked) {
            const tfigura &figure = m_figures[static_cast<std::size_t>(f)];
            const auto in = [&](int c) {
                return c >= 0 && waitingChild[static_cast<std::size_t>(c)] && (!marked || manyChildren(c));
            };
            return in(f) || in(figure.container);
        };
        m_indexes->prepareCandidates([&](int f) { return wanted(f, false); },
                                     [&](int f) { return wanted(f, true); }, m_stop);
    }

    // Containers by depth, and their children, in list order. Depths and
    // containers of the figures do not change from here on.
    std::map<std::int32_t, std::vector<int>> containersAtDepth;
    std::vector<std::vector<int>> children(m_figures.size());
    for (int k = 0; k < static_cast<int>(m_figures.size()); ++k) {
        const tfigura &f = m_figures[k];
        if (f.childCount > 0 && f.depth >= 0 && f.depth <= m_state.maxDepth)
            containersAtDepth[f.depth].push_back(k);
        if (f.container >= 0 && static_cast<std::size_t>(f.container) < m_figures.size())
            children[static_cast<std::size_t>(f.container)].push_back(k);
    }
    for (auto level = containersAtDepth.rbegin(); level != containersAtDepth.rend(); ++level) {
        const std::vector<int> &containers = level->second;
        std::vector<std::vector<int>> populations(containers.size());
        for (std::size_t k = 0; k < containers.size(); ++k) {
            const int c = containers[k];
            std::vector<int> &population = populations[k];
            population = std::move(children[static_cast<std::size_t>(c)]);
            population.insert(std::upper_bound(population.begin(), population.end(), c), c);
        }
        // The candidate trees of a project of many figures are made: the
        // containers of one depth, each with its own children, can be
        // worked on side by side.
        if (m_many && containers.size() > 1) {
            if (!connectChildrenSideBySide(containers, populations) || m_stop.requested())
                return StageEnd::Cancelled;
            continue;
        }
        for (std::size_t k = 0; k < containers.size(); ++k) {
            if (!connectChildrenOf(containers[k], std::move(populations[k])) || m_stop.requested())
                return StageEnd::Cancelled;
        }
    }
    return connectRemaining();
}

bool FlatPlanner::connectChildrenOf(int c, std::vector<int> population)
{
    const bool many = manyChildren(c);
    // c counts as joined while its children are joined to it.
    const bool wasPending = m_figures[c].pending;
    if (wasPending)
        --m_pending;
    m_figures[c].pending = false;

    // A container whose children all joined by touching has nothing to
    // run: its one call would find nothing.
    std::optional<StrategyRun> children;
    if (hasWaitingChild(c, population))
        children.emplace(m_figures, *m_indexes, ConnectorStrategy::Children, c, m_state.rootFigure,
                         population, m_stop);
    std::unique_ptr<StrategyRun> childrenMany;
    int joined = children ? children->call() : -1;
    if (joined >= 0)
        --m_pending;
    showProgress();
    while (joined >= 0) {
        if (many) {
            if (!childrenMany)
                childrenMany
                    = std::make_unique<StrategyRun>(m_figures, *m_indexes, ConnectorStrategy::ChildrenMany, c,
                                                    m_state.rootFigure, population, m_stop);
            joined = childrenMany->call();
        } else {
            joined = children->call();
        }
        if (joined >= 0)
            --m_pending;
        showProgress();
        m_figures[c].pending = false;
        if (m_control.cancelled())
            return false;
    }
    m_figures[c].pending = wasPending;
    if (wasPending)
        ++m_pending;
    return true;
}

std::vector<flatplan::PlannedJoin> FlatPlanner::planChildrenOf(int c, const std::vector<int> &population)
{
    std::vector<flatplan::PlannedJoin> joins;
    if (!hasWaitingChild(c, population))
        return joins;
    const bool many = manyChildren(c);
    const bool wasPending = m_figures[c].pending;
    m_figures[c].pending = false;
    StrategyRun children(m_figures, *m_indexes, ConnectorStrategy::Children, c, m_state.rootFigure,
                         population, m_stop);
    children.deferJoins(&joins);
    std::unique_ptr<StrategyRun> childrenMany;
    int joined = children.call();
    while (joined >= 0 && !m_stop.requested()) {
        if (many) {
            if (!childrenMany) {
                childrenMany
                    = std::make_unique<StrategyRun>(m_figures, *m_indexes, ConnectorStrategy::ChildrenMany, c,
                                                    m_state.rootFigure, population, m_stop);
                childrenMany->deferJoins(&joins);
            }
            joined = childrenMany->call();
        } else {
            joined = children.call();
        }
    }
    m_figures[c].pending = wasPending;
    return joins;
}

bool FlatPlanner::connectChildrenSideBySide(const std::vector<int> &containers,
                                            const std::vector<std::vector<int>> &populations)
{
    // Each container's run reads and marks only its own children and itself,
    // and leaves the list as it is: the connectors are appended after, in
    // the order of one container after another.
    m_indexes->makeSlots();
    std::vector<std::vector<flatplan::PlannedJoin>> joins(containers.size());
    ParallelChunksByWeight(
        containers.size(), [&](std::size_t k) { return populations[k].size(); }, 64,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end && !m_stop.requested(); ++k)
                joins[k] = planChildrenOf(containers[k], populations[k]);
        });
    // What was planned but not appended waits again.
    const auto unplan = [&](std::size_t k, std::size_t from) {
        for (; k < joins.size(); ++k, from = 0) {
            for (std::size_t i = from; i < joins[k].size(); ++i)
                m_figures[static_cast<std::size_t>(joins[k][i].a)].pending = true;
        }
    };
    if (m_stop.requested()) {
        unplan(0, 0);
        return false;
    }
    // As connectChildrenOf shows them: progress after every call, the last
    // finding nothing; a cancel looked at after every call but the first.
    // The connectors are counted as they come, then those up to a cancel
    // are appended all together, on a few threads.
    const auto append = [&] {
        flatplan::AppendWalkedJoins(m_figures, m_unappended);
        m_unappended.clear();
    };
    for (std::size_t k = 0; k < containers.size(); ++k) {
        tfigura &c = m_figures[static_cast<std::size_t>(containers[k])];
        const bool wasPending = c.pending;
        if (wasPending)
            --m_pending;
        c.pending = false;
        const std::vector<flatplan::PlannedJoin> &planned = joins[k];
        for (std::size_t i = 0; i <= planned.size(); ++i) {
            if (i < planned.size()) {
                m_unappended.push_back(planned[i]);
                --m_pending;
            }
            showProgress();
            if (i > 0 && m_control.cancelled()) {
                append();
                unplan(k, i + 1);
                return false;
            }
        }
        m_figures[static_cast<std::size_t>(containers[k])].pending = wasPending;
        if (wasPending)
            ++m_pending;
    }
    append();
    return true;
}

FlatPlanner::StageEnd FlatPlanner::connectRemaining()
{
    const StageEnd end = chooseRemaining();
    flatplan::AppendJoins(m_figures, std::move(m_unappended), m_indexes.get(), m_stop);
    m_unappended.clear();
    return end;
}

FlatPlanner::StageEnd FlatPlanner::chooseRemaining()
{
    std::vector<int> everyone(m_figures.size());
    for (std::size_t k = 0; k < everyone.size(); ++k)
        everyone[k] = static_cast<int>(k);
    // The runs choose every join before any connector is walked or added:
    // nothing they ask depends on the connectors, and walking and adding
    // them all at the end goes on every core. The list counts them in
    // the meantime.
    //
    // A run made from the figures as they stand is the run kept up to date
    // since the start: beside the many-figure run, the plain one is made
    // when it is first called, which a project of the figure limit never does.
    const auto plain = [&]() -> StrategyRun & {
        if (!m_remaining) {
            m_remaining = std::make_unique<StrategyRun>(m_figures, *m_indexes, ConnectorStrategy::Remaining,
                                                        -1, m_state.rootFigure, everyone, m_stop);
            m_remaining->deferJoins(&m_unappended, true);
        }
        return *m_remaining;
    };
    // The many-figure run pairs every joined figure with the waiting ones:
    // past a few of those, through every figure's marked tree, made at once
    // on a few threads.
    if (m_many && static_cast<std::size_t>(m_pending) > StrategyRun::FewCandidates)
        m_indexes->prepareCandidates([](int) { return false; }, [](int) { return true; }, m_stop);
    if (m_many)
        m_remainingMany
            = std::make_unique<StrategyRun>(m_figures, *m_indexes, ConnectorStrategy::RemainingMany, -1,
                                            m_state.rootFigure, everyone, m_stop);
    if (m_remainingMany)
        m_remainingMany->deferJoins(&m_unappended, true);
    const auto belowLimit = [&] { return figureCount() < flatplan::FigureLimit; };
    // Each waiting figure comes to one join at most: the list is not
    // copied over as it grows.
    m_unappended.reserve(m_unappended.size() + static_cast<std::size_t>(m_pending));

    for (;;) {
        bool joinedAny = false;
        int joined = -1;
        do {
            if (m_many) {
                joined = m_remainingMany->call();
                if (m_remaining)
                    m_remaining->joined(joined);
            } else {
                joined = plain().call();
            }
            if (joined >= 0) {
                joinedAny = true;
                --m_pending;
            }
            showProgress();
            if (m_control.cancelled())
                return StageEnd::Cancelled;
        } while (joined >= 0 && belowLimit());
        if (m_pending > 0 && belowLimit()) {
            joined = plain().call();
            if (joined >= 0) {
                joinedAny = true;
                --m_pending;
                if (m_remainingMany)
                    m_remainingMany->joined(joined);
            }
            showProgress();
        }
        if (m_pending == 0)
            return StageEnd::Joined;
        if (m_control.cancelled())
            return StageEnd::Cancelled;
        // Nothing joins any more: without this the round would repeat forever.
        if (!joinedAny)
            return StageEnd::Stuck;
    }
}

void FlatPlanner::showProgress()
{
    if (m_control.progress) {
        const std::size_t count = figureCount();
        m_control.progress(flatplan::PlanProgressPercent(count - static_cast<std::size_t>(m_pending), count));
    }
}

} // namespace

FlatPlanResult PlanFlatCut(std::vector<tfigura> &figures, const FlatPlanSettings &settings,
                           FlatPlanState &state, const FlatPlanControl &control)
{
    FlatPlanner planner(figures, settings, state, control);
    const FlatPlanResult result = planner.run();
    // The trees of a large drawing take tens of milliseconds to free.
    ReleaseBeside(planner.takeLeftovers());
    return result;
}
