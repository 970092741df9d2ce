#include "project/touching.h"

#include "drawing/geometry.h"

#include <algorithm>
#include <cmath>
#include <set>

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

std::int64_t GridMargin(double tolerance)
{
    return static_cast<std::int64_t>(std::ceil(std::max(0.0, tolerance)));
}

} // namespace

bool FiguresTouch(std::vector<tfigura> &figures, int a, int b, double tolerance, std::int32_t &vertexA,
                  std::int32_t &vertexB)
{
    if (a == b)
        return false;
    tfigura &fa = figures[a];
    tfigura &fb = figures[b];
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
                if (fa.generatedKind == 3)
                    fa.points[va] = fb.points[vb];
                if (fb.generatedKind == 3)
                    fb.points[vb] = fa.points[va];
                return true;
            }
        }
    }
    return false;
}

void JoinFiguresTouchingRoot(std::vector<tfigura> &figures, int root, double tolerance)
{
    PlanBox rootBox = PointBox(figures[root]);
    for (int f = 0; f < static_cast<int>(figures.size()); ++f) {
        if (f == root || BoxesTooFar(rootBox, PointBox(figures[f]), tolerance))
            continue;
        std::int32_t vr = 0;
        std::int32_t vf = 0;
        if (!FiguresTouch(figures, root, f, tolerance, vr, vf))
            continue;
        tfigura &child = figures[f];
        child.parent = root;
        child.vertexOnParent = vr;
        child.entryVertex = vf;
        child.pending = false;
        // A generated root follows the figures it touches.
        if (figures[root].generatedKind == 3)
            rootBox = PointBox(figures[root]);
    }
}

void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance)
{
    const int count = static_cast<int>(figures.size());
    // Pending figures never move (only generated ones do), so their boxes can
    // be indexed once; generated pending figures are looked at every time.
    std::vector<PlanBox> boxes(figures.size());
    std::vector<int> movable;
    std::set<int> active; // joined figures whose touch mark is 1
    for (int k = 0; k < count; ++k) {
        tfigura &f = figures[k];
        f.touchMark = 1;
        if (!f.pending)
            active.insert(k);
        else if (f.generatedKind == 3)
            movable.push_back(k);
        else
            boxes[k] = PointBox(f);
    }
    BoxGrid grid(boxes);
    const std::int64_t margin = GridMargin(tolerance);
    std::vector<int> candidates;

    const auto firstTouching = [&](int f, std::int32_t &vf, std::int32_t &vg) {
        const PlanBox box = PointBox(figures[f]);
        candidates.clear();
        grid.query(box, margin, candidates);
        candidates.insert(candidates.end(), movable.begin(), movable.end());
        std::erase_if(candidates, [&](int g) {
            if (g == f || !figures[g].pending)
                return true;
            const tfigura &fg = figures[g];
            return BoxesTooFar(box, fg.generatedKind == 3 ? PointBox(fg) : boxes[static_cast<std::size_t>(g)],
                               tolerance);
        });
        std::sort(candidates.begin(), candidates.end());
        for (int g : candidates) {
            if (FiguresTouch(figures, f, g, tolerance, vf, vg))
                return g;
        }
        return -1;
    };

    for (bool joinedAny = true; joinedAny;) {
        joinedAny = false;
        int f = active.empty() ? -1 : *active.begin();
        while (f >= 0) {
            std::int32_t vf = 0;
            std::int32_t vg = 0;
            const int g = firstTouching(f, vf, vg);
            if (g >= 0) {
                tfigura &child = figures[g];
                child.parent = f;
                child.vertexOnParent = vf;
                child.entryVertex = vg;
                child.pending = false;
                active.insert(g);
                joinedAny = true;
                if (g < 2)
                    break;
                f = g; // follow the chain of touching figures at once
                continue;
            }
            figures[f].touchMark = 0;
            active.erase(f);
            const auto next = active.upper_bound(f);
            f = next == active.end() ? -1 : *next;
        }
    }
}

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

VertexProximity::VertexProximity(const std::vector<tfigura> &figures, double tolerance)
    : m_figures(figures)
    , m_tolerance(tolerance)
    , m_cellSize(std::max<std::int64_t>(1, GridMargin(tolerance)))
{
    for (std::size_t f = 0; f < figures.size(); ++f) {
        const auto &p = figures[f].points;
        for (std::size_t v = 0; v < p.size(); ++v)
            m_entries.push_back(Entry {FloorDiv(p[v].x, m_cellSize), FloorDiv(p[v].y, m_cellSize),
                                       static_cast<int>(f), static_cast<int>(v)});
    }
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry &l, const Entry &r) {
        return l.cellX != r.cellX ? l.cellX < r.cellX : l.cellY < r.cellY;
    });
}

bool VertexProximity::tooClose(int figure, int vertex) const
{
    const TPlotPoint p = m_figures[figure].points[vertex];
    const std::int64_t cx = FloorDiv(p.x, m_cellSize);
    const std::int64_t cy = FloorDiv(p.y, m_cellSize);
    // The cell is at least the tolerance wide, so every close vertex lies in
    // one of the nine cells around p's.
    for (std::int64_t x = cx - 1; x <= cx + 1; ++x) {
        for (std::int64_t y = cy - 1; y <= cy + 1; ++y) {
            const auto [first, last] = std::equal_range(
                m_entries.begin(), m_entries.end(), Entry {x, y, 0, 0}, [](const Entry &l, const Entry &r) {
                    return l.cellX != r.cellX ? l.cellX < r.cellX : l.cellY < r.cellY;
                });
            for (auto it = first; it != last; ++it) {
                if (it->figure != figure
                    && PointDistance(p, m_figures[it->figure].points[it->vertex]) <= m_tolerance)
                    return true;
            }
        }
    }
    return false;
}
