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

} // namespace

bool FiguresTouch(std::vector<tfigura> &figures, int a, int b, double tolerance, std::int32_t &vertexA,
                  std::int32_t &vertexB, FigureIndexes &indexes)
{
    if (a == b)
        return false;
    tfigura &fa = figures[a];
    tfigura &fb = figures[b];
    // A short figure is scanned: its vertices outside the other's box cost
    // one comparison each, less than a tree.
    const bool worthTrees = fa.points.size() >= TouchTreePoints && fb.points.size() >= TouchTreePoints;
    CandidateTree *treeA = worthTrees ? indexes.vertices(a) : nullptr;
    CandidateTree *treeB = treeA ? indexes.vertices(b) : nullptr;
    const bool found = treeA && treeB ? TouchSearch(*treeA, *treeB, tolerance).find(vertexA, vertexB)
                                      : ScanForTouch(fa, fb, tolerance, vertexA, vertexB);
    if (!found)
        return false;
    if (fa.generatedKind == 3)
        fa.points[vertexA] = fb.points[vertexB];
    if (fb.generatedKind == 3)
        fb.points[vertexB] = fa.points[vertexA];
    return true;
}

void JoinFiguresTouchingRoot(std::vector<tfigura> &figures, int root, double tolerance,
                             FigureIndexes &indexes, const PlanStop &stop)
{
    PlanBox rootBox = PointBox(figures[root]);
    for (int f = 0; f < static_cast<int>(figures.size()) && !stop.requested(); ++f) {
        if (f == root || BoxesTooFar(rootBox, PointBox(figures[f]), tolerance))
            continue;
        std::int32_t vr = 0;
        std::int32_t vf = 0;
        if (!FiguresTouch(figures, root, f, tolerance, vr, vf, indexes))
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

void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes,
                         const PlanStop &stop)
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
            if (FiguresTouch(figures, f, g, tolerance, vf, vg, indexes))
                return g;
        }
        return -1;
    };

    for (bool joinedAny = true; joinedAny && !stop.requested();) {
        joinedAny = false;
        int f = active.empty() ? -1 : *active.begin();
        while (f >= 0 && !stop.requested()) {
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

VertexProximity::VertexProximity(const std::vector<tfigura> &figures, double tolerance)
    : m_figures(figures)
    , m_tolerance(tolerance)
    , m_reach(GridMargin(tolerance))
{ }

// Built at the first question: a project without open figures asks none.
void VertexProximity::index()
{
    m_indexed = true;
    PlanBox span;
    std::int64_t count = 0;
    for (const tfigura &f : m_figures) {
        for (const TPlotPoint &p : f.points)
            span.add(p.x, p.y);
        count += static_cast<std::int64_t>(f.points.size());
    }
    if (count == 0)
        return;
    m_originX = span.minX;
    m_originY = span.minY;
    const long double w = static_cast<long double>(span.maxX - span.minX) + 1;
    const long double h = static_cast<long double>(span.maxY - span.minY) + 1;
    // About two vertices a cell where they are spread evenly.
    m_cell = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(std::sqrt(2 * w * h / count))));
    for (;;) {
        m_columns = (span.maxX - span.minX) / m_cell + 1;
        m_rows = (span.maxY - span.minY) / m_cell + 1;
        if (m_columns * m_rows <= count + 16)
            break;
        m_cell *= 2;
    }
    m_cellStart.assign(static_cast<std::size_t>(m_columns * m_rows) + 1, 0);
    const auto cellOf
        = [&](const TPlotPoint &p) { return static_cast<std::size_t>(row(p.y) * m_columns + column(p.x)); };
    for (const tfigura &f : m_figures) {
        for (const TPlotPoint &p : f.points)
            ++m_cellStart[cellOf(p) + 1];
    }
    for (std::size_t c = 1; c < m_cellStart.size(); ++c)
        m_cellStart[c] += m_cellStart[c - 1];
    m_items.resize(static_cast<std::size_t>(count));
    std::vector<std::int32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (std::size_t k = 0; k < m_figures.size(); ++k) {
        for (const TPlotPoint &p : m_figures[k].points)
            m_items[static_cast<std::size_t>(fill[cellOf(p)]++)]
                = Item {p.x, p.y, static_cast<std::int32_t>(k)};
    }
}

std::int64_t VertexProximity::column(std::int64_t x) const
{
    return std::clamp<std::int64_t>((x - m_originX) / m_cell, 0, m_columns - 1);
}

std::int64_t VertexProximity::row(std::int64_t y) const
{
    return std::clamp<std::int64_t>((y - m_originY) / m_cell, 0, m_rows - 1);
}

bool VertexProximity::tooClose(int figure, int vertex)
{
    // A free end is looked for twice over the same vertices.
    if (figure != m_answersOf) {
        m_answersOf = figure;
        m_answers.assign(m_figures[static_cast<std::size_t>(figure)].points.size(), -1);
    }
    std::int8_t &answer = m_answers[static_cast<std::size_t>(vertex)];
    if (answer < 0) {
        if (!m_indexed)
            index();
        const TPlotPoint p
            = m_figures[static_cast<std::size_t>(figure)].points[static_cast<std::size_t>(vertex)];
        answer = near(figure, p) ? 1 : 0;
    }
    return answer == 1;
}

bool VertexProximity::near(int figure, TPlotPoint p) const
{
    if (m_items.empty())
        return false;
    // Left of the origin the division truncates toward zero, and the clamp
    // keeps the first column: that only widens the cells looked at.
    for (std::int64_t cy = row(p.y - m_reach); cy <= row(p.y + m_reach); ++cy) {
        for (std::int64_t cx = column(p.x - m_reach); cx <= column(p.x + m_reach); ++cx) {
            const auto c = static_cast<std::size_t>(cy * m_columns + cx);
            for (std::int32_t k = m_cellStart[c]; k < m_cellStart[c + 1]; ++k) {
                const Item &q = m_items[static_cast<std::size_t>(k)];
                if (q.figure == figure || !WithinTolerance(std::int64_t(q.x) - p.x, m_tolerance)
                    || !WithinTolerance(std::int64_t(q.y) - p.y, m_tolerance))
                    continue;
                if (PointDistance(p, TPlotPoint {q.x, q.y}) <= m_tolerance)
                    return true;
            }
        }
    }
    return false;
}
