#include "project/containment.h"

#include "drawing/geometry.h"
#include "project/boxgrid.h"
#include "project/edgespans.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

bool SameFigure(const tfigura &a, const tfigura &b)
{
    if (a.points.size() != b.points.size())
        return false;
    for (std::size_t k = 0; k < a.points.size(); ++k) {
        if (!SamePoint(a.points[k], b.points[k]))
            return false;
    }
    return true;
}

namespace {

bool BoxStrictlyInside(const tfigura &fi, const tfigura &fj)
{
    return fi.minX > fj.minX && fi.maxX < fj.maxX && fi.minY > fj.minY && fi.maxY < fj.maxY;
}

} // namespace

bool FigureInside(const std::vector<tfigura> &figures, int i, int j)
{
    return FigureInside(figures, i, j, static_cast<const EdgeSpans *>(nullptr));
}

bool FigureInside(const std::vector<tfigura> &figures, int i, int j, const EdgeSpans *spansOfJ)
{
    const tfigura &fi = figures[i];
    const tfigura &fj = figures[j];
    if (i == j || fj.open || SameFigure(fi, fj))
        return false;
    if (!BoxStrictlyInside(fi, fj))
        return false;

    const auto &pj = fj.points;
    const std::size_t nj = pj.size();
    int below = 0;
    for (const TPlotPoint &vertex : fi.points) {
        below = 0;
        int above = 0;
        const auto count = [&](TPlotPoint p0, TPlotPoint p1) {
            double offset = 0.0;
            if (VerticalOffsetToSegment(TSegment {p0, p1}, vertex, offset) && offset != 0.0)
                ++(offset < 0.0 ? below : above);
        };
        // Only the edges whose span holds the vertex's x can count.
        if (spansOfJ) {
            spansOfJ->forEdgesAt(pj, vertex.x, [&](std::int32_t m) {
                count(pj[static_cast<std::size_t>(m)], pj[static_cast<std::size_t>(m) + 1]);
            });
        } else {
            // An edge whose span misses the vertex's x is passed over as
            // VerticalOffsetToSegment would pass it over.
            for (std::size_t m = 0; m + 1 < nj; ++m) {
                const std::int32_t x0 = std::min(pj[m].x, pj[m + 1].x);
                const std::int32_t x1 = std::max(pj[m].x, pj[m + 1].x);
                if (x0 <= vertex.x && vertex.x < x1)
                    count(pj[m], pj[m + 1]);
            }
        }
        if (nj > 0)
            count(pj[0], pj[nj - 1]);
        // Differing parities: the vertical meets j at a vertex or along an
        // edge; the next vertex decides.
        if (below % 2 == above % 2)
            return below % 2 == 1;
    }
    return below % 2 == 1;
}

namespace {

// Containers of this many points and more, tested for this many figures and
// more, are searched through their spans.
constexpr std::size_t SpannedPoints = 32;
constexpr std::size_t SpannedQueries = 4;

// Per-figure work is shared out to threads in chunks of about this many
// points' worth.
constexpr std::size_t ChunkPoints = 65536;

// The candidate pairs are gathered and tested this many at a time: outlines
// spanning a whole sheet may each be a candidate for most of a large drawing,
// and all its pairs at once would run to gigabytes.
constexpr std::size_t BatchPairs = std::size_t {1} << 24;

// For every figure, the figures it lies inside, in list order. Only boxes
// that strictly hold i's box can hold i, and such a box covers i's least
// corner, so one grid lookup of that corner finds every candidate. The pairs
// of a run of figures are then tested container by container, so that a
// container's edges stay at hand while every figure that may lie in it is
// tested.
std::vector<std::vector<int>> InsideRelation(const std::vector<tfigura> &figures, const PlanStop &stop)
{
    std::vector<PlanBox> boxes(figures.size());
    for (std::size_t k = 0; k < figures.size(); ++k) {
        const tfigura &f = figures[k];
        if (!f.open && f.minX <= f.maxX && f.minY <= f.maxY)
            boxes[k] = PlanBox {f.minX, f.minY, f.maxX, f.maxY};
    }
    BoxGrid grid(boxes);
    std::vector<std::vector<int>> inside(figures.size());
    // A container's edges by their spans, once it has been tested often
    // enough to pay off; kept from one run of figures to the next.
    std::vector<std::unique_ptr<EdgeSpans>> spans(figures.size());
    std::vector<std::pair<int, int>> pairs; // (i, j), by i
    std::vector<int> candidates;
    std::vector<std::size_t> start(figures.size() + 1);
    std::vector<int> held;
    std::vector<std::uint8_t> heldInside;
    for (std::size_t next = 0; next < figures.size();) {
        pairs.clear();
        for (; next < figures.size() && pairs.size() < BatchPairs; ++next) {
            if (stop.requested())
                return {};
            const tfigura &f = figures[next];
            candidates.clear();
            grid.query(PlanBox {f.minX, f.minY, f.minX, f.minY}, 0, candidates);
            for (int j : candidates) {
                if (BoxStrictlyInside(f, figures[j]))
                    pairs.emplace_back(static_cast<int>(next), j);
            }
        }
        // By container, each container's figures in list order.
        std::fill(start.begin(), start.end(), 0);
        for (const auto &[i, j] : pairs)
            ++start[static_cast<std::size_t>(j) + 1];
        for (std::size_t j = 1; j < start.size(); ++j)
            start[j] += start[j - 1];
        held.resize(pairs.size());
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (const auto &[i, j] : pairs)
            held[fill[static_cast<std::size_t>(j)]++] = i;

        heldInside.assign(held.size(), 0);
        // A container's work grows with its edges and the figures it may hold.
        const auto work = [&](std::size_t j) {
            return start[j] == start[j + 1] ? 1 : figures[j].points.size() + 16 * (start[j + 1] - start[j]);
        };
        ParallelChunksByWeight(figures.size(), work, ChunkPoints, [&](std::size_t begin, std::size_t end) {
            for (std::size_t j = begin; j < end && !stop.requested(); ++j) {
                if (start[j] == start[j + 1])
                    continue;
                // Spans pay off over several figures; one or two scan the edges.
                if (!spans[j] && figures[j].points.size() >= SpannedPoints
                    && start[j + 1] - start[j] >= SpannedQueries)
                    spans[j] = std::make_unique<EdgeSpans>(figures[j].points);
                // A sheet outline may hold thousands, each test scanning its
                // edges: a stop is looked at before each.
                for (std::size_t k = start[j]; k < start[j + 1]; ++k) {
                    if (stop.requested())
                        return;
                    heldInside[k]
                        = FigureInside(figures, held[k], static_cast<int>(j), spans[j].get()) ? 1 : 0;
                }
            }
        });
        if (stop.requested())
            return {};
        // Each figure's containers all come from its own run, in list order.
        for (std::size_t j = 0; j < figures.size(); ++j) {
            for (std::size_t k = start[j]; k < start[j + 1]; ++k) {
                if (heldInside[k])
                    inside[static_cast<std::size_t>(held[k])].push_back(static_cast<int>(j));
            }
        }
    }
    return inside;
}

// The direction of an edge depends on its step alone. Outlines, traced
// shapes and fine paths mostly step a few units: their directions come from
// a table built once, the rest are worked out.
constexpr std::int64_t ShortStep = 32;

double EdgeDirection(TPlotPoint p0, TPlotPoint p1)
{
    constexpr std::int64_t side = 2 * ShortStep + 1;
    static const std::vector<double> directions = [] {
        std::vector<double> table;
        table.reserve(static_cast<std::size_t>(side * side));
        for (std::int64_t dy = -ShortStep; dy <= ShortStep; ++dy) {
            for (std::int64_t dx = -ShortStep; dx <= ShortStep; ++dx)
                table.push_back(
                    SegmentAngle(TPlotPoint {0, 0},
                                 TPlotPoint {static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy)}));
        }
        return table;
    }();
    const std::int64_t dx = std::int64_t(p1.x) - p0.x;
    const std::int64_t dy = std::int64_t(p1.y) - p0.y;
    if (dx < -ShortStep || dx > ShortStep || dy < -ShortStep || dy > ShortStep)
        return SegmentAngle(p0, p1);
    return directions[static_cast<std::size_t>((dy + ShortStep) * side + dx + ShortStep)];
}

// The records of one figure.
void BuildVertexRecords(tfigura &f)
{
    const auto &p = f.points;
    const std::size_t n = p.size();
    // A "closed" figure needs three points for its wrap-around angles;
    // anything shorter is treated like an open one.
    const bool wraps = f.closed && n >= 2;
    f.vertexInfo.clear();
    f.vertexInfo.reserve(std::max<std::size_t>(n, 2));
    f.vertexInfo.push_back(
        TVertexInfo {wraps ? VertexAngle(p[n - 2], p[0], p[1]) : 1.5707963267948966, 0, 0});
    // Each edge's direction serves the turns at both its ends.
    double in = n >= 2 ? EdgeDirection(p[0], p[1]) : 0.0;
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const double out = EdgeDirection(p[k], p[k + 1]);
        f.vertexInfo.push_back(TVertexInfo {TurnBetween(in, out), 0, 0});
        in = out;
    }
    f.vertexInfo.push_back(
        TVertexInfo {wraps ? VertexAngle(p[n - 2], p[n - 1], p[1]) : 1.5707963267948966, 0, 0});
}

} // namespace

void co_w_czym(std::vector<tfigura> &figures, std::int32_t &maxDepth, const PlanStop &stop)
{
    for (tfigura &f : figures) {
        f.depth = 0;
        f.container = -1;
        f.childCount = 0;
    }
    const std::vector<std::vector<int>> inside = InsideRelation(figures, stop);
    if (stop.requested())
        return;

    // The passes only ever adopt along the inside relation, so running them
    // over its pairs alone, in the same order, gives the same adoptions.
    std::vector<std::set<int>> children(figures.size());
    std::vector<int> stack;
    const auto propagateDepth = [&](int i) {
        stack.assign(1, i);
        while (!stack.empty()) {
            const int k = stack.back();
            stack.pop_back();
            maxDepth = std::max(maxDepth, figures[k].depth);
            for (int child : children[k]) {
                figures[child].depth = figures[k].depth + 1;
                stack.push_back(child);
            }
        }
    };

    bool changed = true;
    while (changed && !stop.requested()) {
        changed = false;
        for (std::size_t i = 0; i < figures.size() && !stop.requested(); ++i) {
            tfigura &fi = figures[i];
            for (int j : inside[i]) {
                if (fi.container != -1 && figures[j].depth <= figures[fi.container].depth)
                    continue;
                if (fi.container != -1)
                    children[fi.container].erase(static_cast<int>(i));
                fi.container = j;
                children[j].insert(static_cast<int>(i));
                fi.depth = figures[j].depth + 1;
                propagateDepth(static_cast<int>(i));
                figures[j].childCount += 1;
                changed = true;
            }
        }
    }
}

void BuildVertexRecords(std::vector<tfigura> &figures, const PlanStop &stop)
{
    ParallelChunksByWeight(
        figures.size(), [&](std::size_t k) { return figures[k].points.size() + 1; }, ChunkPoints,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end && !stop.requested(); ++k)
                BuildVertexRecords(figures[k]);
        });
}

void MarkCandidateVertices(std::vector<tfigura> &figures, const PlanStop &stop)
{
    constexpr double CornerAngle = 0.6283185307179586; // pi/5: a turn of 36 degrees or more
    for (tfigura &f : figures) {
        if (stop.requested())
            return;
        auto &info = f.vertexInfo;
        for (TVertexInfo &v : info) {
            if (std::abs(v.angle) >= CornerAngle || !f.closed) {
                v.candidate = 1;
                v.weight = f.depth < 2 ? 6 : 5;
            } else {
                v.candidate = 0;
                v.weight = 10;
            }
        }
        // Least y, greatest y, least x, greatest x.
        constexpr int order[4] = {2, 3, 0, 1};
        for (int e : order) {
            const std::int32_t v = f.extremeVertices[static_cast<std::size_t>(e)];
            if (v >= 0 && static_cast<std::size_t>(v) < info.size() && info[v].candidate == 0) {
                info[v].candidate = 1;
                info[v].weight = e >= 2 ? 8 : 9;
            }
        }
        if (!f.closed) {
            for (TVertexInfo &v : info) {
                v.candidate = 1;
                v.weight = 5;
            }
        }
        const std::size_t n = f.points.size();
        if (n > 20) {
            const std::size_t step = n / 12 + 1;
            for (std::size_t v = 0; v < n && v < info.size(); v += step) {
                if (info[v].candidate == 0) {
                    info[v].candidate = 1;
                    info[v].weight = 10;
                }
            }
        }
    }
}
