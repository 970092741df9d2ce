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
                             FigureIndexes &indexes)
{
    PlanBox rootBox = PointBox(figures[root]);
    for (int f = 0; f < static_cast<int>(figures.size()); ++f) {
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

void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance, FigureIndexes &indexes)
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

std::vector<PlanBox> PointBoxes(const std::vector<tfigura> &figures)
{
    std::vector<PlanBox> boxes;
    boxes.reserve(figures.size());
    for (const tfigura &f : figures)
        boxes.push_back(PointBox(f));
    return boxes;
}

// Up to this many neighbours a vertex is checked against each of them;
// beyond, the grid picks the few near the vertex.
constexpr std::size_t FewNeighbours = 16;

} // namespace

VertexProximity::VertexProximity(const std::vector<tfigura> &figures, double tolerance,
                                 FigureIndexes &indexes)
    : m_figures(figures)
    , m_tolerance(tolerance)
    , m_indexes(indexes)
    , m_boxes(PointBoxes(figures))
    , m_grid(m_boxes)
{ }

void VertexProximity::gatherNear(int figure)
{
    m_nearOf = figure;
    m_answers.assign(m_figures[static_cast<std::size_t>(figure)].points.size(), -1);
    m_near.clear();
    m_grid.query(m_boxes[static_cast<std::size_t>(figure)], GridMargin(m_tolerance), m_near);
    std::erase_if(m_near, [&](int g) {
        return g == figure
            || BoxesTooFar(m_boxes[static_cast<std::size_t>(figure)], m_boxes[static_cast<std::size_t>(g)],
                           m_tolerance);
    });
}

bool VertexProximity::closeTo(int other, TPlotPoint p)
{
    const tfigura &g = m_figures[static_cast<std::size_t>(other)];
    if (g.points.size() >= TouchTreePoints) {
        if (CandidateTree *tree = m_indexes.vertices(other))
            return tree->anyWithin(p.x, p.y, m_tolerance);
    }
    return std::any_of(g.points.begin(), g.points.end(),
                       [&](const TPlotPoint &q) { return PointDistance(p, q) <= m_tolerance; });
}

bool VertexProximity::tooClose(int figure, int vertex)
{
    const TPlotPoint p = m_figures[static_cast<std::size_t>(figure)].points[static_cast<std::size_t>(vertex)];
    if (figure != m_nearOf)
        gatherNear(figure);
    // A free end is looked for twice over the same vertices.
    std::int8_t &answer = m_answers[static_cast<std::size_t>(vertex)];
    if (answer < 0)
        answer = near(figure, p) ? 1 : 0;
    return answer == 1;
}

bool VertexProximity::near(int figure, TPlotPoint p)
{
    const PlanBox at {p.x, p.y, p.x, p.y};
    const std::vector<int> *others = &m_near;
    if (m_near.size() > FewNeighbours) {
        m_found.clear();
        m_grid.query(at, GridMargin(m_tolerance), m_found);
        others = &m_found;
    }
    for (int g : *others) {
        if (g != figure && !BoxesTooFar(at, m_boxes[static_cast<std::size_t>(g)], m_tolerance)
            && closeTo(g, p))
            return true;
    }
    return false;
}
