#include "project/touching.h"

#include "drawing/geometry.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <bit>
#include <cmath>

PlanBox PointBox(const tfigura &figure)
{
    PlanBox box;
    for (const TPlotPoint &p : figure.points)
        box.add(p.x, p.y);
    return box;
}

namespace {

bool WithinTolerance(std::int64_t d, double tolerance)
{
    return std::abs(static_cast<double>(d)) <= tolerance;
}

// No vertex pair of two figures this far apart can touch.
bool BoxesTooFar(const PlanBox &a, const PlanBox &b, double tolerance)
{
    if (a.empty() || b.empty())
        return true;
    const std::int64_t gx = std::max<std::int64_t>({0, b.minX - a.maxX, a.minX - b.maxX});
    const std::int64_t gy = std::max<std::int64_t>({0, b.minY - a.maxY, a.minY - b.maxY});
    return !WithinTolerance(gx, tolerance) || !WithinTolerance(gy, tolerance);
}

} // namespace

namespace {

constexpr std::size_t TouchTreePoints = 32;

// The first touching pair in the order of the plain scan, vertex by vertex.
bool ScanForTouch(const tfigura &fa, const tfigura &fb, double tolerance, std::int32_t &vertexA,
                  std::int32_t &vertexB)
{
    const PlanBox boxB = PointBox(fb);
    for (int va = static_cast<int>(fa.points.size()) - 1; va >= 0; --va) {
        const TPlotPoint p = fa.points[va];
        // A vertex outside b's box grown by the tolerance meets none of b's.
        if (BoxesTooFar(PlanBox {p.x, p.y, p.x, p.y}, boxB, tolerance))
            continue;
        for (int vb = static_cast<int>(fb.points.size()) - 1; vb >= 0; --vb) {
            const TPlotPoint q = fb.points[vb];
            if (WithinTolerance(std::int64_t(p.x) - q.x, tolerance)
                && WithinTolerance(std::int64_t(p.y) - q.y, tolerance)) {
                vertexA = va;
                vertexB = vb;
                return true;
            }
        }
    }
    return false;
}

// A short figure is scanned: its vertices outside the other's box cost one
// comparison each, less than a tree.
bool WorthTrees(const tfigura &a, const tfigura &b)
{
    return a.points.size() >= TouchTreePoints && b.points.size() >= TouchTreePoints;
}

// FiguresTouch without moving anything, through the trees when both are
// given.
bool FindTouch(const tfigura &fa, const tfigura &fb, CandidateTree *treeA, CandidateTree *treeB,
               double tolerance, std::int32_t &vertexA, std::int32_t &vertexB)
{
    return treeA && treeB ? TouchSearch(*treeA, *treeB, tolerance).find(vertexA, vertexB)
                          : ScanForTouch(fa, fb, tolerance, vertexA, vertexB);
}

} // namespace

bool FiguresTouch(std::vector<tfigura> &figures, int a, int b, double tolerance, std::int32_t &vertexA,
                  std::int32_t &vertexB, FigureIndexes &indexes)
{
    if (a == b)
        return false;
    tfigura &fa = figures[a];
    tfigura &fb = figures[b];
    CandidateTree *treeA = WorthTrees(fa, fb) ? indexes.vertices(a) : nullptr;
    CandidateTree *treeB = treeA ? indexes.vertices(b) : nullptr;
    const bool found = FindTouch(fa, fb, treeA, treeB, tolerance, vertexA, vertexB);
    if (!found)
        return false;
    if (fa.generatedKind == 3)
        fa.points[vertexA] = fb.points[vertexB];
    if (fb.generatedKind == 3)
        fb.points[vertexB] = fa.points[vertexA];
    return true;
}

namespace {

// The figures that never move with a vertex within the tolerance, in x and in
// y, of a vertex of figure f as its points are now: every figure f touches
// but the moving ones, in list order.
void FixedTouchers(const std::vector<tfigura> &figures, int f, double tolerance, VertexGrid &grid,
                   FigureIndexes &indexes, std::vector<int> &out)
{
    out.clear();
    if (indexes.fixed(f)) {
        const auto &touchers = grid.touchers(f);
        out.assign(touchers.begin(), touchers.end());
        return;
    }
    for (const TPlotPoint &p : figures[static_cast<std::size_t>(f)].points) {
        grid.near(p, [&](const VertexGrid::Item &q) {
            if (q.figure != f && WithinTolerance(std::int64_t(q.x) - p.x, tolerance)
                && WithinTolerance(std::int64_t(q.y) - p.y, tolerance))
                out.push_back(q.figure);
        });
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

} // namespace

void JoinFiguresTouchingRoot(std::vector<tfigura> &figures, int root, double tolerance,
                             FigureIndexes &indexes, const PlanStop &stop)
{
    VertexGrid &grid = indexes.vertexGrid(tolerance, stop);
    // The figures the root touches as it stands, and the moving ones; a
    // generated root follows the figures it touches, so they are looked for
    // again after each.
    std::vector<int> candidates;
    const auto gather = [&] {
        FixedTouchers(figures, root, tolerance, grid, indexes, candidates);
        for (int k = 0; k < static_cast<int>(figures.size()); ++k) {
            if (!indexes.fixed(k) && k != root)
                candidates.push_back(k);
        }
        std::sort(candidates.begin(), candidates.end());
    };
    gather();
    for (std::size_t next = 0; next < candidates.size() && !stop.requested();) {
        const int f = candidates[next];
        std::int32_t vr = 0;
        std::int32_t vf = 0;
        if (!FiguresTouch(figures, root, f, tolerance, vr, vf, indexes)) {
            ++next;
            continue;
        }
        tfigura &child = figures[f];
        child.parent = root;
        child.vertexOnParent = vr;
        child.entryVertex = vf;
        child.pending = false;
        if (indexes.fixed(root)) {
            ++next;
            continue;
        }
        gather();
        next = static_cast<std::size_t>(std::upper_bound(candidates.begin(), candidates.end(), f)
                                        - candidates.begin());
    }
}

namespace {

// Finds where each figure joined to a parent (parentOf, -1 for none), both
// never moving, touches it, on a few threads, figure by figure in list
// order: the vertex trees first, each figure's by one thread, then the
// searches, which only read the trees and the points.
void PlaceJoins(std::vector<tfigura> &figures, const std::vector<std::int32_t> &parentOf, double tolerance,
                FigureIndexes &indexes)
{
    const std::size_t count = parentOf.size();
    std::vector<std::uint8_t> large(count); // worth a tree
    ParallelChunksByWeight(
        count, [&](std::size_t) { return std::size_t {1}; }, 16384,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t f = begin; f < end; ++f)
                large[f] = figures[f].points.size() >= TouchTreePoints ? 1 : 0;
        });
    std::vector<std::uint8_t> wanted(count, 0);
    for (std::size_t f = 0; f < count; ++f) {
        const std::int32_t parent = parentOf[f];
        if (parent >= 0 && large[f] && large[static_cast<std::size_t>(parent)]) {
            wanted[f] = 1;
            wanted[static_cast<std::size_t>(parent)] = 1;
        }
    }
    indexes.makeSlots();
    ParallelChunksByWeight(
        count, [&](std::size_t f) { return wanted[f] ? figures[f].points.size() + 1 : 1; }, 65536,
        [&](std::size_t begin, std::size_t end) {
            // The first question to a tree builds it: asked here, the
            // searches below find every tree built and only read them.
            for (std::size_t f = begin; f < end; ++f) {
                if (wanted[f] && !figures[f].points.empty()) {
                    const TPlotPoint p = figures[f].points.front();
                    indexes.vertices(static_cast<int>(f))->anyWithin(p.x, p.y, tolerance);
                }
            }
        });
    ParallelChunksByWeight(
        count, [&](std::size_t f) { return std::size_t {parentOf[f] >= 0 ? 64U : 1U}; }, 65536,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t f = begin; f < end; ++f) {
                const std::int32_t parent = parentOf[f];
                if (parent < 0)
                    continue;
                const bool trees = large[f] && large[static_cast<std::size_t>(parent)];
                tfigura &joined = figures[f];
                FindTouch(figures[static_cast<std::size_t>(parent)], joined,
                          trees ? indexes.vertices(parent) : nullptr,
                          trees ? indexes.vertices(static_cast<int>(f)) : nullptr, tolerance,
                          joined.vertexOnParent, joined.entryVertex);
            }
        });
}

// Figure indexes in a bit each, with a bit for each word of them above:
// the first after a given one is found in a few words, where a tree of
// nodes would allocate for every insertion and chase pointers for every step.
class FigureSet
{
public:
    explicit FigureSet(std::size_t count)
        : m_words((count + 63) / 64, 0)
        , m_summary((m_words.size() + 63) / 64, 0)
    { }

    void insert(int f)
    {
        const auto w = static_cast<std::size_t>(f) / 64;
        m_words[w] |= std::uint64_t {1} << (static_cast<std::size_t>(f) % 64);
        m_summary[w / 64] |= std::uint64_t {1} << (w % 64);
    }
    void erase(int f)
    {
        const auto w = static_cast<std::size_t>(f) / 64;
        m_words[w] &= ~(std::uint64_t {1} << (static_cast<std::size_t>(f) % 64));
        if (m_words[w] == 0)
            m_summary[w / 64] &= ~(std::uint64_t {1} << (w % 64));
    }
    // The least member above f (the first for -1), or -1 when there is none.
    int after(int f) const
    {
        const auto from = static_cast<std::size_t>(f + 1);
        std::size_t w = from / 64;
        if (w >= m_words.size())
            return -1;
        if (const std::uint64_t bits = m_words[w] & (~std::uint64_t {0} << (from % 64)))
            return static_cast<int>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
        ++w;
        for (std::size_t s = w / 64; s < m_summary.size(); ++s) {
            const std::uint64_t words
                = s == w / 64 && w % 64 != 0 ? m_summary[s] & (~std::uint64_t {0} << (w % 64)) : m_summary[s];
            if (words) {
                const std::size_t at = s * 64 + static_cast<std::size_t>(std::countr_zero(words));
                return static_cast<int>(at * 64 + static_cast<std::size_t>(std::countr_zero(m_words[at])));
            }
        }
        return -1;
    }

private:
    std::vector<std::uint64_t> m_words;
    std::vector<std::uint64_t> m_summary; // bit w: word w is not empty
};

} // namespace

void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes,
                         const PlanStop &stop, TouchWalk *walk)
{
    const int count = static_cast<int>(figures.size());
    VertexGrid &grid = indexes.vertexGrid(tolerance, stop);
    // Pending figures that move (generated ones) are looked at every time;
    // what a figure that never moves touches is found once.
    std::vector<int> movable;
    FigureSet active(figures.size()); // joined figures whose touch mark is 1
    // The pending flags side by side: the walk along a figure's touchers
    // reads one for each, and a whole figure record each time would go to
    // memory for nearly every one of them on a large drawing. Which figures
    // never move, the same way, for each figure the walk goes on to.
    std::vector<std::uint8_t> pending(figures.size());
    std::vector<std::uint8_t> fixed(figures.size());
    // The records are read on a few threads; the sets are made from the
    // flags after, in list order.
    ParallelChunks(figures.size(), 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k) {
            tfigura &f = figures[k];
            f.touchMark = 1;
            pending[k] = f.pending ? 1 : 0;
            fixed[k] = indexes.fixed(static_cast<int>(k)) ? 1 : 0;
        }
    });
    for (int k = 0; k < count; ++k) {
        if (!pending[static_cast<std::size_t>(k)])
            active.insert(k);
        else if (!fixed[static_cast<std::size_t>(k)])
            movable.push_back(k);
    }
    // Each figure's touchers joined already, from the front: a drawing whose
    // figures touch many others walks long lists, and only once.
    TouchWalk own;
    std::vector<std::size_t> &passed = (walk ? *walk : own).joinedFront;
    passed.resize(figures.size(), 0);
    std::vector<int> fresh;

    // Joins of two figures that never move whose vertices are found after
    // all the joins (see below): the parent of each joined figure.
    std::vector<std::int32_t> unplaced;

    // The first pending figure in list order that f touches; `placed` tells
    // whether vf and vg hold the vertices where they touch.
    const auto firstTouching = [&](int f, std::int32_t &vf, std::int32_t &vg, bool &placed) {
        placed = true;
        int found = -1;
        if (fixed[static_cast<std::size_t>(f)]) {
            const auto &touchers = grid.touchers(f);
            std::size_t &from = passed[static_cast<std::size_t>(f)];
            while (from < touchers.size() && !pending[static_cast<std::size_t>(touchers[from])])
                ++from;
            found = from < touchers.size() ? touchers[from] : -1;
        } else {
            FixedTouchers(figures, f, tolerance, grid, indexes, fresh);
            const auto first = std::find_if(fresh.begin(), fresh.end(),
                                            [&](int g) { return pending[static_cast<std::size_t>(g)] != 0; });
            found = first != fresh.end() ? *first : -1;
        }
        // A moving figure before it is tried the plain way; trying moves
        // points, so only up to the one found.
        for (int g : movable) {
            if (found >= 0 && g > found)
                break;
            if (g != f && pending[static_cast<std::size_t>(g)]
                && FiguresTouch(figures, f, g, tolerance, vf, vg, indexes))
                return g;
        }
        // The grid found a vertex pair within the tolerance: they touch. Two
        // figures that never move touch where their points alone say, so
        // the search waits; a moving one is moved onto the other now.
        if (found >= 0 && fixed[static_cast<std::size_t>(f)]) {
            placed = false;
            return found;
        }
        if (found >= 0 && !FiguresTouch(figures, f, found, tolerance, vf, vg, indexes))
            found = -1;
        return found;
    };

    for (bool joinedAny = true; joinedAny && !stop.requested();) {
        joinedAny = false;
        int f = active.after(-1);
        while (f >= 0 && !stop.requested()) {
            std::int32_t vf = 0;
            std::int32_t vg = 0;
            bool placed = true;
            const int g = firstTouching(f, vf, vg, placed);
            if (g >= 0) {
                tfigura &child = figures[g];
                child.parent = f;
                if (placed) {
                    child.vertexOnParent = vf;
                    child.entryVertex = vg;
                } else {
                    if (unplaced.empty())
                        unplaced.assign(figures.size(), -1);
                    unplaced[static_cast<std::size_t>(g)] = f;
                }
                child.pending = false;
                pending[static_cast<std::size_t>(g)] = 0;
                active.insert(g);
                joinedAny = true;
                if (g < 2)
                    break;
                f = g; // follow the chain of touching figures at once
                continue;
            }
            figures[f].touchMark = 0;
            active.erase(f);
            f = active.after(f);
        }
    }
    if (!unplaced.empty())
        PlaceJoins(figures, unplaced, tolerance, indexes);
}

bool FreeEndEntry(tfigura &figure, std::uint8_t nearEnds)
{
    const auto n = static_cast<std::int32_t>(figure.points.size());
    if (n == 0)
        return false;
    const bool first = (nearEnds & VertexGrid::FirstNear) != 0;
    const bool last = (nearEnds & VertexGrid::LastNear) != 0;
    const bool inner = (nearEnds & VertexGrid::InnerNear) != 0;
    // Vertex 0 free and one of 1 .. n - 1 near: entered at 0.
    if (!first && n > 1 && (inner || last)) {
        figure.entryVertex = 0;
        return true;
    }
    if (last)
        return false;
    // One of 0 .. n - 2 near: entered at its last vertex.
    if (n > 1 && (first || inner)) {
        figure.entryVertex = n - 1;
        return true;
    }
    return false;
}
