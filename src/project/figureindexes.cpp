#include "project/figureindexes.h"

#include "project/flatplan.h"

#include <algorithm>
#include <cmath>

namespace {

// Edges per block of the edge tree, and the fewest points worth a tree.
constexpr std::int64_t EdgeBlock = 8;
constexpr std::size_t IndexedPoints = 4 * EdgeBlock;

bool DisjointInX(const PlanBox &a, const PlanBox &b)
{
    return a.maxX < b.minX || b.maxX < a.minX;
}

double GapInY(const PlanBox &a, const PlanBox &b)
{
    return static_cast<double>(std::max<std::int64_t>({0, b.minY - a.maxY, a.minY - b.maxY}));
}

PlanBox BoxOf(const TSegment &s)
{
    PlanBox box;
    box.add(s.a.x, s.a.y);
    box.add(s.b.x, s.b.y);
    return box;
}

double Magnitude(TPlotPoint p)
{
    return std::max(std::abs(static_cast<double>(p.x)), std::abs(static_cast<double>(p.y)));
}

CandidateTree TreeOf(const tfigura &f, std::int32_t step, bool markedOnly)
{
    std::vector<CandidatePoint> points;
    const auto n = static_cast<std::int32_t>(f.points.size());
    for (std::int32_t v = 0; v < n; v += step) {
        const TVertexInfo *info = static_cast<std::size_t>(v) < f.vertexInfo.size()
            ? &f.vertexInfo[static_cast<std::size_t>(v)]
            : nullptr;
        if (markedOnly && (!info || info->candidate != 1))
            continue;
        const TPlotPoint p = f.points[static_cast<std::size_t>(v)];
        const std::int32_t weight = info ? info->weight : 10;
        points.push_back(CandidatePoint {p.x, p.y, v, info && info->candidate == 1 ? weight : 10, weight});
    }
    return CandidateTree(std::move(points));
}

} // namespace

EdgeTree::EdgeTree(const std::vector<TPlotPoint> &points)
    : m_edgeCount(std::max<std::int64_t>(0, static_cast<std::int64_t>(points.size()) - 1))
{
    for (const TPlotPoint &p : points)
        m_largest = std::max(m_largest, Magnitude(p));
    std::vector<PlanBox> blocks(static_cast<std::size_t>((m_edgeCount + EdgeBlock - 1) / EdgeBlock));
    for (std::int64_t k = 0; k < m_edgeCount; ++k) {
        PlanBox &box = blocks[static_cast<std::size_t>(k / EdgeBlock)];
        box.add(points[static_cast<std::size_t>(k)].x, points[static_cast<std::size_t>(k)].y);
        box.add(points[static_cast<std::size_t>(k + 1)].x, points[static_cast<std::size_t>(k + 1)].y);
    }
    m_levels.push_back(std::move(blocks));
    while (m_levels.back().size() > 1) {
        const std::vector<PlanBox> &below = m_levels.back();
        std::vector<PlanBox> above((below.size() + 1) / 2);
        for (std::size_t i = 0; i < below.size(); ++i) {
            above[i / 2].add(below[i].minX, below[i].minY);
            above[i / 2].add(below[i].maxX, below[i].maxY);
        }
        m_levels.push_back(std::move(above));
    }
}

bool EdgeTree::crosses(const std::vector<TPlotPoint> &points, const TSegment &s, int v) const
{
    if (m_edgeCount == 0)
        return false;
    // SegmentsIntersect only answers yes for segments whose x ranges meet, so
    // a block beside the cut in x holds no crossing edge. In y it finds the
    // crossing through slopes and intercepts in doubles, whose rounding can
    // reach a few units times (coordinate / 2^26) squared: blocks farther
    // than that margin above or below the cut are safe to skip too.
    const double largest = std::max({m_largest, Magnitude(s.a), Magnitude(s.b)});
    const double margin = 2.0 + std::ldexp(largest * largest, -47);
    return crossesIn(points, s, v, m_levels.size() - 1, 0, BoxOf(s), margin);
}

bool EdgeTree::crossesIn(const std::vector<TPlotPoint> &points, const TSegment &s, int v, std::size_t level,
                         std::size_t block, const PlanBox &cut, double margin) const
{
    const std::vector<PlanBox> &boxes = m_levels[level];
    if (block >= boxes.size())
        return false;
    const PlanBox &box = boxes[block];
    if (DisjointInX(box, cut) || GapInY(box, cut) > margin)
        return false;
    if (level > 0)
        return crossesIn(points, s, v, level - 1, 2 * block, cut, margin)
            || crossesIn(points, s, v, level - 1, 2 * block + 1, cut, margin);
    const std::int64_t first = static_cast<std::int64_t>(block) * EdgeBlock;
    const std::int64_t last = std::min(m_edgeCount, first + EdgeBlock);
    for (std::int64_t k = first; k < last; ++k) {
        if (k != v && k + 1 != v
            && SegmentsIntersect(s, TSegment {points[static_cast<std::size_t>(k)],
                                              points[static_cast<std::size_t>(k + 1)]}))
            return true;
    }
    return false;
}

bool CutCrossesFigure(const TSegment &s, const tfigura &f, int v, const EdgeTree *edges)
{
    const auto &p = f.points;
    const int n = static_cast<int>(p.size());
    if (edges) {
        if (edges->crosses(p, s, v))
            return true;
    } else {
        for (int k = 0; k + 1 < n; ++k) {
            if (k != v && k + 1 != v && SegmentsIntersect(s, TSegment {p[k], p[k + 1]}))
                return true;
        }
    }
    return f.closed && n > 0 && SegmentsIntersect(s, TSegment {p[n - 1], p[0]});
}

FigureIndexes::FigureIndexes(const std::vector<tfigura> &figures)
    : m_figures(figures)
{ }

bool FigureIndexes::fixed(int f) const
{
    return m_figures[static_cast<std::size_t>(f)].generatedKind != 3;
}

namespace {

template<class T> std::unique_ptr<T> &Slot(std::vector<std::unique_ptr<T>> &cache, int f)
{
    if (cache.size() <= static_cast<std::size_t>(f))
        cache.resize(static_cast<std::size_t>(f) + 1);
    return cache[static_cast<std::size_t>(f)];
}

} // namespace

CandidateTree *FigureIndexes::vertices(int f)
{
    if (!fixed(f))
        return nullptr;
    auto &tree = Slot(m_vertices, f);
    if (!tree)
        tree = std::make_unique<CandidateTree>(TreeOf(m_figures[static_cast<std::size_t>(f)], 1, false));
    return tree.get();
}

const EdgeTree *FigureIndexes::edges(int f)
{
    const tfigura &figure = m_figures[static_cast<std::size_t>(f)];
    if (!fixed(f) || figure.points.size() < IndexedPoints)
        return nullptr;
    auto &tree = Slot(m_edges, f);
    if (!tree)
        tree = std::make_unique<EdgeTree>(figure.points);
    return tree.get();
}

CandidateTree &FigureIndexes::sampled(int f)
{
    auto &tree = Slot(m_sampled, f);
    if (!tree) {
        const tfigura &figure = m_figures[static_cast<std::size_t>(f)];
        tree = std::make_unique<CandidateTree>(
            TreeOf(figure, flatplan::SamplingStep(figure.points.size()), false));
    }
    return *tree;
}

CandidateTree &FigureIndexes::marked(int f)
{
    auto &tree = Slot(m_marked, f);
    if (!tree)
        tree = std::make_unique<CandidateTree>(TreeOf(m_figures[static_cast<std::size_t>(f)], 1, true));
    return *tree;
}
