#include "project/flatplan.h"

#include "drawing/geometry.h"
#include "project/figureindexes.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <tuple>

namespace flatplan {

void ForgetCuttingTree(std::vector<tfigura> &figures)
{
    std::erase_if(figures, [](const tfigura &f) { return f.generatedKind == 3; });
    for (tfigura &f : figures) {
        f.pending = true;
        f.parent = -1;
        f.vertexOnParent = -1;
        f.entryVertex = 0;
    }
}

void StartClean(std::vector<tfigura> &figures, FlatPlanState &state)
{
    ForgetCuttingTree(figures);
    state.maxDepth = 0;
    state.rootFigure = -1;
    state.framePresent = false;
    state.planned = false;
}

std::int32_t NearestVertexToPP(const tfigura &figure, TPlotPoint pp)
{
    double best = 2000000000.0;
    std::int32_t vertex = 0;
    for (std::size_t k = 0; k < figure.points.size(); ++k) {
        const double d = std::nearbyint(PointDistance(figure.points[k], pp));
        if (d < best) {
            best = d;
            vertex = static_cast<std::int32_t>(k);
        }
    }
    return vertex;
}

void AddStartFigure(std::vector<tfigura> &figures, FlatPlanState &state)
{
    tfigura start;
    start.generatedKind = 3;
    start.closed = false;
    start.drawingFigure = false;
    start.points = {state.pp, state.pp};
    start.minX = start.maxX = state.pp.x;
    start.minY = start.maxY = state.pp.y;
    start.centreX = static_cast<std::int32_t>((std::int64_t(state.pp.x) + state.pk.x) / 2);
    start.centreY = static_cast<std::int32_t>((std::int64_t(state.pp.y) + state.pk.y) / 2);
    start.container = -1;
    start.parent = -1;
    start.vertexOnParent = -1;
    start.entryVertex = -1;
    start.pending = false;
    start.depth = 0;
    start.childCount = 0;
    start.connectorLength = 60;
    start.extremeVertices = {0, 1, 0, 1};
    start.vertexInfo = {TVertexInfo {HalfPi, 6, 1}, TVertexInfo {HalfPi, 6, 1}};
    figures.push_back(std::move(start));
    state.rootFigure = static_cast<std::int32_t>(figures.size() - 1);
}

std::int32_t PrevVertex(std::int32_t i, std::int32_t n)
{
    if (i >= 1)
        return i - 1;
    return n >= 2 ? n - 2 : 0;
}

int ConnectorCrossesEdge(const std::vector<tfigura> &figures, int a, int va, int b, int vb,
                         FigureIndexes *indexes)
{
    const TSegment s {figures[a].points[va], figures[b].points[vb]};
    if (CutCrossesFigure(s, figures[a], va, indexes ? indexes->edges(a) : nullptr))
        return a;
    if (CutCrossesFigure(s, figures[b], vb, indexes ? indexes->edges(b) : nullptr))
        return b;
    return -1;
}

std::pair<int, int> WalkConnector(const std::vector<tfigura> &figures, int a, int va, int b, int vb,
                                  FigureIndexes *indexes, const PlanStop &stop)
{
    // The walk moves the crossed figure's vertex back, and once that vertex
    // has gone round to its chosen value the other figure's vertex too. When
    // every pair crosses it would never end: after |a| x |b| steps the first
    // choice is kept.
    const int na = static_cast<int>(figures[a].points.size());
    const int nb = static_cast<int>(figures[b].points.size());
    const int chosenA = va;
    const int chosenB = vb;
    const std::int64_t limit = std::int64_t(na) * nb;
    std::int64_t steps = 0;
    for (int r = ConnectorCrossesEdge(figures, a, va, b, vb, indexes); r >= 0;
         r = ConnectorCrossesEdge(figures, a, va, b, vb, indexes)) {
        // Two long figures that cross each other all over may take many
        // steps: a stop is looked at now and then.
        if (steps++ >= limit || (steps % 4096 == 0 && stop.requested()))
            return {chosenA, chosenB};
        if (r == b) {
            vb = PrevVertex(vb, nb);
            if (vb == chosenB)
                va = PrevVertex(va, na);
        } else {
            va = PrevVertex(va, na);
            if (va == chosenA)
                vb = PrevVertex(vb, nb);
        }
    }
    return {va, vb};
}

namespace {

// Makes figures[index] the connector of a walked join and hangs a on it.
// Writes that slot and figure a only, and reads b's points.
void FillConnector(std::vector<tfigura> &figures, std::size_t index, const PlannedJoin &join)
{
    const TPlotPoint p1 = figures[join.b].points[join.vb];
    const TPlotPoint p2 = figures[join.a].points[join.va];
    tfigura &c = figures[index];
    c.generatedKind = 3;
    c.closed = false;
    c.drawingFigure = false;
    c.minX = std::min(p1.x, p2.x);
    c.maxX = std::max(p1.x, p2.x);
    c.minY = std::min(p1.y, p2.y);
    c.maxY = std::max(p1.y, p2.y);
    c.container = join.container;
    c.parent = join.b;
    c.vertexOnParent = join.vb;
    c.entryVertex = 0;
    c.pending = false;
    c.depth = join.depth;
    c.childCount = 0;
    c.connectorLength = static_cast<std::int32_t>(std::nearbyint(PointDistance(p1, p2)));
    c.points = {p1, p2};
    c.vertexInfo = {TVertexInfo {HalfPi, 5, 1}, TVertexInfo {HalfPi, 5, 1}};

    tfigura &joined = figures[join.a];
    joined.entryVertex = join.va;
    joined.parent = static_cast<int>(index);
    joined.vertexOnParent = 1;
    joined.pending = false;
}

} // namespace

int AppendConnector(std::vector<tfigura> &figures, const PlannedJoin &join)
{
    // Made in its place in the list: a connector of a large drawing is one
    // of many thousands.
    figures.emplace_back();
    FillConnector(figures, figures.size() - 1, join);
    return static_cast<int>(figures.size() - 1);
}

void AppendJoins(std::vector<tfigura> &figures, std::vector<PlannedJoin> joins, FigureIndexes *indexes,
                 const PlanStop &stop)
{
    if (joins.empty())
        return;
    // The edge trees are made when first asked for: all of them before the
    // walks start, which then only read. Each figure's once, on a few
    // threads: a drawing of long figures has many edges to index.
    const auto points = [&](std::size_t f) { return figures[f].points.size() + 1; };
    if (indexes) {
        indexes->makeSlots();
        std::vector<std::uint8_t> walked(figures.size(), 0);
        for (const PlannedJoin &join : joins) {
            walked[static_cast<std::size_t>(join.a)] = 1;
            walked[static_cast<std::size_t>(join.b)] = 1;
        }
        ParallelChunksByWeight(
            walked.size(), [&](std::size_t f) { return walked[f] ? points(f) : 1; }, 65536,
            [&](std::size_t begin, std::size_t end) {
                for (std::size_t f = begin; f < end; ++f) {
                    if (walked[f])
                        indexes->edges(static_cast<int>(f));
                }
            });
    }
    // Each walk reads its two figures alone; each connector fills its own
    // slot and hangs its own figure a, joined once only. A walk along long
    // figures weighs more.
    ParallelChunksByWeight(
        joins.size(),
        [&](std::size_t k) {
            return points(static_cast<std::size_t>(joins[k].a))
                + points(static_cast<std::size_t>(joins[k].b));
        },
        16384,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end; ++k) {
                PlannedJoin &join = joins[k];
                std::tie(join.va, join.vb)
                    = WalkConnector(figures, join.a, join.va, join.b, join.vb, indexes, stop);
            }
        });
    AppendWalkedJoins(figures, joins);
}

void AppendWalkedJoins(std::vector<tfigura> &figures, const std::vector<PlannedJoin> &joins)
{
    // The connectors go in the room set aside at the start, whose pages are
    // made on a few threads first.
    ResizeInPreparedRoom(figures, figures.size() + joins.size());
    const std::size_t first = figures.size() - joins.size();
    ParallelChunks(joins.size(), 2048, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            FillConnector(figures, first + k, joins[k]);
    });
}

int MakeConnector(std::vector<tfigura> &figures, int a, int va, int b, int vb, std::int32_t container,
                  std::int32_t depth, FigureIndexes *indexes, const PlanStop &stop)
{
    const auto [walkedA, walkedB] = WalkConnector(figures, a, va, b, vb, indexes, stop);
    return AppendConnector(figures, PlannedJoin {a, walkedA, b, walkedB, container, depth});
}

std::int32_t SamplingStep(std::size_t pointCount)
{
    const long double n = static_cast<long double>(pointCount);
    const auto step = static_cast<std::int32_t>(std::nearbyint((n - 1) / 250));
    return std::max<std::int32_t>(1, step);
}

int PlanProgressPercent(std::size_t joined, std::size_t count)
{
    if (count == 0)
        return 100;
    return static_cast<int>(std::nearbyint(static_cast<long double>(joined) * 100 / count));
}

std::int32_t OpenRootEntry(const std::vector<tfigura> &figures, int root, TPlotPoint pp)
{
    const auto leavesAt = [&](std::int32_t vertex) {
        for (std::size_t k = 0; k < figures.size(); ++k) {
            if (static_cast<int>(k) != root && figures[k].parent == root
                && figures[k].vertexOnParent == vertex)
                return true;
        }
        return false;
    };
    if (!leavesAt(0))
        return 0;
    const auto last = static_cast<std::int32_t>(figures[root].points.size()) - 1;
    if (!leavesAt(last))
        return last;
    return NearestVertexToPP(figures[root], pp);
}

void FinishPlan(std::vector<tfigura> &figures, const FlatPlanSettings &settings, FlatPlanState &state)
{
    const int root = state.rootFigure;
    if (root >= 0 && figures[root].open)
        figures[root].entryVertex = OpenRootEntry(figures, root, state.pp);

    if (root >= 0) {
        const tfigura &r = figures[root];
        const std::int32_t entry = r.entryVertex;
        if (entry >= 0 && entry < static_cast<std::int32_t>(r.points.size())) {
            const TPlotPoint e = r.points[entry];
            const TPlotPoint high = settings.crossToPoint ? state.crossMax : state.pk;
            state.startToLeft = e.x - state.pp.x;
            state.startToRight = high.x - e.x;
            state.startToTop = high.y - e.y;
            state.startToBottom = e.y - state.pp.y;
        }
    }

    state.pathLength = PathLength(figures);
}

double PathLength(const std::vector<tfigura> &figures)
{
    // The segments' lengths are worked out on a few threads a block at a
    // time, then added in the order of one pass, so that the sum is the same
    // to the last bit.
    std::vector<std::size_t> first(figures.size() + 1, 0); // each figure's first segment
    ParallelChunks(figures.size(), 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            first[k + 1] = figures[k].points.empty() ? 0 : figures[k].points.size() - 1;
    });
    for (std::size_t k = 0; k < figures.size(); ++k)
        first[k + 1] += first[k];
    constexpr std::size_t Block = std::size_t(1) << 20;
    std::vector<double> lengths(std::min(first.back(), Block));
    double length = 0.0;
    for (std::size_t from = 0; from < first.back(); from += Block) {
        const std::size_t count = std::min(Block, first.back() - from);
        ParallelChunks(count, 65536, [&](std::size_t begin, std::size_t end) {
            std::size_t f = static_cast<std::size_t>(
                                std::upper_bound(first.begin(), first.end(), from + begin) - first.begin())
                - 1;
            for (std::size_t s = from + begin; s < from + end; ++s) {
                while (s >= first[f + 1])
                    ++f;
                const auto &p = figures[f].points;
                const std::size_t k = s - first[f] + 1;
                lengths[s - from] = PointDistance(p[k - 1], p[k]);
            }
        });
        for (std::size_t s = 0; s < count; ++s)
            length += lengths[s];
    }
    return length;
}

int CountPending(const std::vector<tfigura> &figures)
{
    // A flag in each record of a large drawing, which lie all over memory:
    // counted on a few threads.
    std::atomic<std::size_t> pending {0};
    ParallelChunks(figures.size(), 32768, [&](std::size_t begin, std::size_t end) {
        pending += static_cast<std::size_t>(std::count_if(
            figures.begin() + static_cast<std::ptrdiff_t>(begin),
            figures.begin() + static_cast<std::ptrdiff_t>(end), [](const tfigura &f) { return f.pending; }));
    });
    return static_cast<int>(pending.load());
}

} // namespace flatplan
