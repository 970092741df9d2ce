#pragma once

// Shared pieces of flat cutting planning: the values planning reads and
// writes beside the figure list, and the small routines every planner stage
// uses (start figure, connectors and their crossing walk, progress, the
// final margins and path length).

#include "drawing/figure.h"
#include "project/planstop.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class FigureIndexes;

// The configuration values the flat planner reads.
struct FlatPlanSettings
{
    double tolerance = 0.0; // drawing tolerance, plotter units; decides touching
    int mode = 0; // cutting mode; 2 (serial cutting) never gets a start figure
    bool crossToPoint = false; // cbKrzyzToPunkt: margins measured to the cross-point box
};

// The project fields planning reads (corners) and writes (the rest).
struct FlatPlanState
{
    TPlotPoint pp; // minimum corner of the project; the wire enters near it
    TPlotPoint pk; // maximum corner
    TPlotPoint crossMax; // maximum corner of the cross points (the box runs from pp)
    std::int32_t maxDepth = 0;
    std::int32_t rootFigure = -1;
    bool framePresent = false;
    bool singleOpenFigure = false;
    bool planned = false;
    std::int32_t projectWidth = 0; // set when a start figure is added
    std::int32_t projectHeight = 0;
    std::int32_t startToLeft = 0;
    std::int32_t startToRight = 0;
    std::int32_t startToTop = 0;
    std::int32_t startToBottom = 0;
    double pathLength = 0.0;
};

enum class FlatPlanOutcome {
    Planned, // every figure lies on the path
    Cancelled, // the user stopped it; the connectors made so far stay
    Stuck, // a full round of the connector stage joined nothing
};

struct FlatPlanResult
{
    FlatPlanOutcome outcome = FlatPlanOutcome::Planned;
    int unjoinedFigures = 0;
};

// The stages of one planning run, in the order they run.
enum class FlatPlanStage {
    VertexRecords, // corner angles of every vertex
    Containment, // which figure lies in which
    Root, // the frame, an open figure with a free end, or the start figure
    Touching, // figures joined where they touch
    Candidates, // candidate vertices and their weights
    Neighbours, // the nearest figures of each, on large projects
    Connectors, // connectors from the deepest nesting outwards
};

// Progress ("Ready N%"), the cancel request (a key press or left click in
// the project window, closing it or the program) and the stage reached of
// one planning run.
struct FlatPlanControl
{
    std::function<void(int percent)> progress;
    const std::atomic<bool> *cancel = nullptr;
    std::function<void(FlatPlanStage)> stageStarted;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    PlanStop stop() const { return PlanStop(cancel); }
};

namespace flatplan {

inline constexpr double HalfPi = 1.5707963267948966;
// Scores start above any real one; a pair replaces the best only when strictly smaller.
inline constexpr std::int64_t NoScore = INT64_MAX;
// The many-figure strategies and OrderByDistance start at this figure count.
inline constexpr std::size_t ManyFigures = 21;
inline constexpr int NeighbourSlotCount = 22;
// Above this figure count (connectors included) the connector stage makes one
// strategy call per round and no extra ConnectRemaining call.
inline constexpr std::size_t FigureLimit = 10000;

// Removes what an earlier run generated (start figure and connectors,
// generated kind 3) and puts every other figure back to waiting, outside any
// tree. Every planner that runs after a flat plan starts with it: a connector
// left in the list would be cut as if it were drawn.
void ForgetCuttingTree(std::vector<tfigura> &figures);

// ForgetCuttingTree and a fresh planning state, so that a run after a cancel
// or a configuration change starts from a clean project.
void StartClean(std::vector<tfigura> &figures, FlatPlanState &state);

// The vertex whose rounded distance to pp is least, the first on ties; 0 for
// a figure without points.
std::int32_t NearestVertexToPP(const tfigura &figure, TPlotPoint pp);

// Appends the start figure (two points at pp) and makes it the root.
void AddStartFigure(std::vector<tfigura> &figures, FlatPlanState &state);

// i - 1, or n - 2 from vertex 0 (the last point of a closed figure repeats
// the first). A figure of fewer than two points stays at vertex 0.
std::int32_t PrevVertex(std::int32_t i, std::int32_t n);

// The figure (a or b) whose edge the straight cut from a's point va to b's
// point vb crosses, -1 for none. With indexes, long figures are looked up in
// their edge trees instead of edge by edge.
int ConnectorCrossesEdge(const std::vector<tfigura> &figures, int a, int va, int b, int vb,
                         FigureIndexes *indexes = nullptr);

// Walks the chosen pair back along the figures until the straight cut crosses
// neither of them, then appends the connector from b's vertex vb to a's vertex
// va and hangs a on it. Returns the connector's index.
// A stop ends the walk as the limit does.
int MakeConnector(std::vector<tfigura> &figures, int a, int va, int b, int vb, std::int32_t container,
                  std::int32_t depth, FigureIndexes *indexes = nullptr, const PlanStop &stop = {});

// A connector chosen but not yet appended: the figure a it joins to b, the
// walked vertices, and the connector's container and depth.
struct PlannedJoin
{
    int a = -1;
    int va = 0;
    int b = -1;
    int vb = 0;
    std::int32_t container = 0;
    std::int32_t depth = 0;
};

// The walk of MakeConnector alone: the pair (va, vb) the connector is made at.
// Reads the two figures only (and builds their edge trees).
std::pair<int, int> WalkConnector(const std::vector<tfigura> &figures, int a, int va, int b, int vb,
                                  FigureIndexes *indexes, const PlanStop &stop);

// Appends the connector of a walked pair and hangs a on it; returns its index.
int AppendConnector(std::vector<tfigura> &figures, const PlannedJoin &join);
// The same for walked joins in their order, as one after another would.
void AppendWalkedJoins(std::vector<tfigura> &figures, const std::vector<PlannedJoin> &joins);

// Walks joins chosen but not walked yet and appends their connectors in
// their order, as MakeConnector would one after another. The joins are
// walked in place: a planner hands its list over.
void AppendJoins(std::vector<tfigura> &figures, std::vector<PlannedJoin> joins, FigureIndexes *indexes,
                 const PlanStop &stop);

// Vertex sampling step of the small-project strategies: max(1, Round((n - 1) / 250)).
std::int32_t SamplingStep(std::size_t pointCount);

// Score of one vertex pair with each end weighted (in tenths) where it is a
// candidate: a's end first, then b's, each truncated.
inline std::int64_t WeightedScore(std::int64_t s, const TVertexInfo &va, const TVertexInfo &vb)
{
    if (va.candidate == 1)
        s = s * va.weight / 10;
    if (vb.candidate == 1)
        s = s * vb.weight / 10;
    return s;
}

// Percentage of joined figures, halves to even.
int PlanProgressPercent(std::size_t joined, std::size_t count);

// The root's entry at the end of planning when the root is open: a free end
// if one is left, else the vertex nearest pp.
std::int32_t OpenRootEntry(const std::vector<tfigura> &figures, int root, TPlotPoint pp);

// Steps after the connector stage: open root entry, start-point margins and
// the path length.
void FinishPlan(std::vector<tfigura> &figures, const FlatPlanSettings &settings, FlatPlanState &state);

// The length of every figure's polyline, connectors included, plotter units.
double PathLength(const std::vector<tfigura> &figures);

int CountPending(const std::vector<tfigura> &figures);

} // namespace flatplan
