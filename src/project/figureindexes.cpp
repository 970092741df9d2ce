#include "project/figureindexes.h"

#include "project/flatplan.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// Edges per block of the edge tree, and the fewest points worth a tree.
constexpr std::int64_t EdgeBlock = 8;
constexpr std::size_t IndexedPoints = 8 * EdgeBlock;

// SegmentsIntersect only answers yes for segments whose x ranges meet, so an
// edge beside the cut in x never crosses it. In y it finds the crossing
// through slopes and intercepts in doubles, whose rounding stays below
// 28 x 2^-53 x (largest coordinate) squared: an edge farther than this
// margin above or below the cut never crosses it either.
double CrossingMargin(double largest)
{
    return 2.0 + std::ldexp(largest * largest, -47);
}

bool BeyondReach(const PlanBox &edges, const PlanBox &cut, double margin)
{
    if (edges.maxX < cut.minX || cut.maxX < edges.minX)
        return true;
    const auto gapY = std::max<std::int64_t>({0, cut.minY - edges.maxY, edges.minY - cut.maxY});
    return static_cast<double>(gapY) > margin;
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

// Calls add(point) for every step-th vertex, or every marked one, as the
// strategies score them.
template<class Add> void ForEachCandidate(const tfigura &f, std::int32_t step, bool markedOnly, Add &&add)
{
    const auto n = static_cast<std::int32_t>(f.points.size());
    for (std::int32_t v = 0; v < n; v += step) {
        const TVertexInfo *info = static_cast<std::size_t>(v) < f.vertexInfo.size()
            ? &f.vertexInfo[static_cast<std::size_t>(v)]
            : nullptr;
        if (markedOnly && (!info || info->candidate != 1))
            continue;
        const TPlotPoint p = f.points[static_cast<std::size_t>(v)];
        const std::int32_t weight = info ? info->weight : 10;
        add(CandidatePoint {p.x, p.y, v, info && info->candidate == 1 ? weight : 10, weight});
    }
}

CandidateTree TreeOf(const tfigura &f, std::int32_t step, bool markedOnly)
{
    std::vector<CandidatePoint> points;
    points.reserve(f.points.size() / static_cast<std::size_t>(step) + 1);
    ForEachCandidate(f, step, markedOnly, [&](const CandidatePoint &p) { points.push_back(p); });
    return CandidateTree(std::move(points));
}

} // namespace

EdgeTree::EdgeTree(const std::vector<TPlotPoint> &points)
    : m_edgeCount(std::max<std::int64_t>(0, static_cast<std::int64_t>(points.size()) - 1))
{
    for (const TPlotPoint &p : points)
        m_largest = std::max(m_largest, Magnitude(p));
    std::size_t count = static_cast<std::size_t>((m_edgeCount + EdgeBlock - 1) / EdgeBlock);
    m_boxes.reserve(2 * count + 1);
    m_boxes.resize(count);
    for (std::int64_t k = 0; k < m_edgeCount; ++k) {
        PlanBox &box = m_boxes[static_cast<std::size_t>(k / EdgeBlock)];
        box.add(points[static_cast<std::size_t>(k)].x, points[static_cast<std::size_t>(k)].y);
        box.add(points[static_cast<std::size_t>(k + 1)].x, points[static_cast<std::size_t>(k + 1)].y);
    }
    m_levelStart.push_back(0);
    while (count > 1) {
        const std::size_t below = m_levelStart.back();
        m_levelStart.push_back(m_boxes.size());
        for (std::size_t i = 0; i < count; ++i) {
            const PlanBox low = m_boxes[below + i];
            if (i % 2 == 0)
                m_boxes.emplace_back();
            m_boxes.back().add(low.minX, low.minY);
            m_boxes.back().add(low.maxX, low.maxY);
        }
        count = (count + 1) / 2;
    }
    m_levelStart.push_back(m_boxes.size());
}

bool EdgeTree::crosses(const std::vector<TPlotPoint> &points, const TSegment &s, int v) const
{
    if (m_edgeCount == 0)
        return false;
    const double largest = std::max({m_largest, Magnitude(s.a), Magnitude(s.b)});
    return crossesIn(points, s, v, m_levelStart.size() - 2, 0, BoxOf(s), CrossingMargin(largest));
}

bool EdgeTree::crossesIn(const std::vector<TPlotPoint> &points, const TSegment &s, int v, std::size_t level,
                         std::size_t block, const PlanBox &cut, double margin) const
{
    if (block >= m_levelStart[level + 1] - m_levelStart[level])
        return false;
    if (BeyondReach(m_boxes[m_levelStart[level] + block], cut, margin))
        return false;
    if (level > 0)
        return crossesIn(points, s, v, level - 1, 2 * block, cut, margin)
            || crossesIn(points, s, v, level - 1, 2 * block + 1, cut, margin);
    const std::int64_t first = static_cast<std::int64_t>(block) * EdgeBlock;
    const std::int64_t last = std::min(m_edgeCount, first + EdgeBlock);
    for (std::int64_t k = first; k < last; ++k) {
        if (k != v && k + 1 != v
            && SegmentsIntersect(
                s, TSegment {points[static_cast<std::size_t>(k)], points[static_cast<std::size_t>(k + 1)]}))
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
    } else if (n > 1) {
        const PlanBox cut = BoxOf(s);
        double largest = std::max(Magnitude(s.a), Magnitude(s.b));
        for (const TPlotPoint &q : p)
            largest = std::max(largest, Magnitude(q));
        const double margin = CrossingMargin(largest);
        for (int k = 0; k + 1 < n; ++k) {
            PlanBox edge;
            edge.add(p[k].x, p[k].y);
            edge.add(p[k + 1].x, p[k + 1].y);
            if (k != v && k + 1 != v && !BeyondReach(edge, cut, margin)
                && SegmentsIntersect(s, TSegment {p[k], p[k + 1]}))
                return true;
        }
    }
    return f.closed && n > 0 && SegmentsIntersect(s, TSegment {p[n - 1], p[0]});
}

namespace {

bool WithinTolerance(std::int64_t d, double tolerance)
{
    return std::abs(static_cast<double>(d)) <= tolerance;
}

// Figure indexes marked in a bit each, read back once in increasing order
// without repeats: for the few hundred touchers of a figure, a pass over
// them instead of a sort. A bit for each word of marks, and a list of the
// blocks of words marked, spare the reading a pass over every word.
class SortedMarks
{
public:
    explicit SortedMarks(std::size_t count)
        : m_words((count + 63) / 64, 0)
        , m_blockWords((m_words.size() + 63) / 64, 0)
    { }

    void mark(std::int32_t k)
    {
        const auto i = static_cast<std::size_t>(k);
        const std::size_t w = i / 64;
        if (m_blockWords[w / 64] == 0)
            m_blocks.push_back(w / 64);
        m_blockWords[w / 64] |= std::uint64_t {1} << (w % 64);
        m_words[w] |= std::uint64_t {1} << (i % 64);
    }
    // Writes the marks to out in increasing order, clears them and answers
    // how many there were (out has room for every mark made).
    std::size_t take(std::int32_t *out)
    {
        std::int32_t *const first = out;
        std::sort(m_blocks.begin(), m_blocks.end());
        for (const std::size_t block : m_blocks) {
            for (std::uint64_t words = std::exchange(m_blockWords[block], 0); words != 0;
                 words &= words - 1) {
                const std::size_t w = block * 64 + static_cast<std::size_t>(std::countr_zero(words));
                for (std::uint64_t bits = std::exchange(m_words[w], 0); bits != 0; bits &= bits - 1)
                    *out++ = static_cast<std::int32_t>(w * 64
                                                       + static_cast<std::size_t>(std::countr_zero(bits)));
            }
        }
        m_blocks.clear();
        return static_cast<std::size_t>(out - first);
    }

private:
    std::vector<std::uint64_t> m_words;
    std::vector<std::uint64_t> m_blockWords; // bit w % 64: word w holds a mark
    std::vector<std::size_t> m_blocks; // blocks with a mark, as first marked
};

} // namespace

VertexGrid::VertexGrid(const std::vector<tfigura> &figures, double tolerance, const PlanStop &stop)
    : m_figures(figures)
    , m_tolerance(tolerance)
    , m_reach(static_cast<std::int64_t>(std::ceil(std::max(0.0, tolerance))))
    , m_stop(stop)
    , m_touchers(figures.size())
    , m_answers(figures.size())
    , m_known(figures.size(), 0)
    , m_nearEnds(figures.size(), 0)
{
    const auto fixed = [](const tfigura &f) { return f.generatedKind != 3; };
    // The span of every vertex, the figures in a few parts side by side.
    PlanBox span;
    std::int64_t count = 0;
    std::mutex together;
    // Each figure's count of vertices in the grid, kept for cutting the
    // figures into parts below without reading their records again.
    std::vector<std::uint32_t> gridded(figures.size(), 0);
    ParallelChunksByWeight(
        figures.size(), [&](std::size_t k) { return figures[k].points.size() + 1; }, 1 << 16,
        [&](std::size_t begin, std::size_t end) {
            PlanBox box;
            std::int64_t points = 0;
            for (std::size_t k = begin; k < end; ++k) {
                if (!fixed(figures[k]))
                    continue;
                for (const TPlotPoint &p : figures[k].points)
                    box.add(p.x, p.y);
                gridded[k] = static_cast<std::uint32_t>(figures[k].points.size());
                points += static_cast<std::int64_t>(figures[k].points.size());
            }
            const std::lock_guard lock(together);
            if (!box.empty()) {
                span.add(box.minX, box.minY);
                span.add(box.maxX, box.maxY);
            }
            count += points;
        });
    if (count == 0)
        return;
    m_originX = span.minX;
    m_originY = span.minY;
    m_cell = std::max<std::int64_t>(2 * m_reach, CellSideForCount(span, count));
    for (;;) {
        m_columns = (span.maxX - span.minX) / m_cell + 1;
        m_rows = (span.maxY - span.minY) / m_cell + 1;
        if (m_columns * m_rows <= 2 * count + 16)
            break;
        m_cell *= 2;
    }
    m_perCell = 1.0 / static_cast<double>(m_cell);
    m_tilesAcross = (m_columns + TileSide - 1) / TileSide;
    const std::int64_t tilesDown = (m_rows + TileSide - 1) / TileSide;
    // Left unset: the rows below write every cell's start.
    m_cellStart = std::make_unique_for_overwrite<std::int32_t[]>(
        static_cast<std::size_t>(m_tilesAcross * tilesDown * TileSide * TileSide) + 1);
    // Two counting sorts, each writing to few places at a time, where one
    // straight into the cells would write all over the grid for every
    // vertex: the vertices go first to their row of tiles, then, row by row,
    // to their cells. Each keeps the order it is given, so a cell holds its
    // vertices in list order. On a few threads: the figures in a few parts,
    // then the rows.
    const auto rows = static_cast<std::size_t>(tilesDown);
    const auto rowCells = static_cast<std::size_t>(m_tilesAcross * TileSide * TileSide);
    const auto tileRow = [&](const TPlotPoint &p) { return static_cast<std::size_t>(row(p.y) / TileSide); };
    std::vector<std::size_t> part {0};
    {
        constexpr std::size_t MostParts = 8;
        const std::size_t parts
            = std::clamp<std::size_t>(static_cast<std::size_t>(count) / 65536, 1, MostParts);
        std::size_t sum = 0;
        for (std::size_t k = 0; k < figures.size(); ++k) {
            sum += gridded[k];
            if (part.size() < parts && sum * parts >= static_cast<std::size_t>(count) * part.size())
                part.push_back(k + 1);
        }
        part.push_back(figures.size());
    }
    const std::size_t parts = part.size() - 1;
    const auto eachVertex = [&](auto &&place) {
        ParallelChunks(parts, 1, [&](std::size_t begin, std::size_t end) {
            for (std::size_t c = begin; c < end; ++c) {
                for (std::size_t k = part[c]; k < part[c + 1] && !stop.requested(); ++k) {
                    if (fixed(figures[k])) {
                        for (const TPlotPoint &p : figures[k].points)
                            place(c, p, k);
                    }
                }
            }
        });
    };
    std::vector<std::vector<std::int32_t>> at(parts, std::vector<std::int32_t>(rows, 0));
    eachVertex([&](std::size_t c, const TPlotPoint &p, std::size_t) { ++at[c][tileRow(p)]; });
    if (stop.requested())
        return;
    std::vector<std::int32_t> rowStart(rows + 1, 0);
    std::int32_t next = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        rowStart[r] = next;
        for (std::size_t c = 0; c < parts; ++c)
            next += std::exchange(at[c][r], next);
    }
    rowStart[rows] = next;
    // The rows go straight to their place in the grid's own list, and each
    // is then sorted into its cells through a copy of its own, which stays
    // in the nearest caches: no second list of every vertex.
    m_items = std::make_unique_for_overwrite<Item[]>(static_cast<std::size_t>(count));
    eachVertex([&](std::size_t c, const TPlotPoint &p, std::size_t k) {
        m_items[static_cast<std::size_t>(at[c][tileRow(p)]++)]
            = Item {p.x, p.y, static_cast<std::int32_t>(k)};
    });
    if (stop.requested()) {
        m_items.reset();
        return;
    }
    const auto rowItems
        = [&](std::size_t r) { return static_cast<std::size_t>(rowStart[r + 1] - rowStart[r]) + 1; };
    ParallelChunksByWeight(rows, rowItems, 65536, [&](std::size_t begin, std::size_t end) {
        std::vector<std::int32_t> inRow(rowCells + 1);
        std::vector<Item> rowCopy;
        std::vector<std::uint32_t> cellOf; // of each item of the copy, within the row
        for (std::size_t r = begin; r < end && !stop.requested(); ++r) {
            const std::size_t first = r * rowCells;
            Item *const items = m_items.get() + rowStart[r];
            const auto n = static_cast<std::size_t>(rowStart[r + 1] - rowStart[r]);
            rowCopy.assign(items, items + n);
            cellOf.resize(n);
            std::fill(inRow.begin(), inRow.end(), 0);
            for (std::size_t i = 0; i < n; ++i) {
                const Item &q = rowCopy[i];
                cellOf[i] = static_cast<std::uint32_t>(cellIndex(column(q.x), row(q.y)) - first);
                ++inRow[cellOf[i] + 1];
            }
            inRow[0] = rowStart[r];
            for (std::size_t c = 1; c <= rowCells; ++c)
                inRow[c] += inRow[c - 1];
            std::copy(inRow.begin(), inRow.end() - 1, m_cellStart.get() + first);
            for (std::size_t i = 0; i < n; ++i)
                m_items[static_cast<std::size_t>(inRow[cellOf[i]]++)] = rowCopy[i];
        }
    });
    m_cellStart[static_cast<std::size_t>(m_tilesAcross * tilesDown * TileSide * TileSide)]
        = static_cast<std::int32_t>(count);
    // Half a grid would answer with vertices that are not there: a stopped
    // grid answers that nothing is near.
    if (!stop.requested())
        m_itemCount = static_cast<std::size_t>(count);
    else
        m_items.reset();
}

bool VertexGrid::nearOther(int f, TPlotPoint p) const
{
    bool found = false;
    near(p, [&](const Item &q) {
        if (!found && q.figure != f && WithinTolerance(std::int64_t(q.x) - p.x, m_tolerance)
            && WithinTolerance(std::int64_t(q.y) - p.y, m_tolerance))
            found = PointDistance(p, TPlotPoint {q.x, q.y}) <= m_tolerance;
    });
    return found;
}

template<class FindAll, class Find>
void VertexGrid::answer(std::size_t k, std::uint8_t known, std::size_t &asked, FindAll &&findAll, Find &&find)
{
    if (m_known[k] & known)
        return;
    // Past some tens of thousands of points asked about, the question is going
    // over the whole drawing: every figure that may ask is answered at once.
    asked += m_figures[k].points.size() + 1;
    if (asked >= ManyAsked && !(m_askedOfAll & known)) {
        m_askedOfAll |= known;
        findAll();
    }
    if (!(m_known[k] & known))
        find(k);
}

std::uint8_t VertexGrid::nearEnds(int f)
{
    const auto k = static_cast<std::size_t>(f);
    answer(
        k, KnownEnds, m_endsAsked, [&] { findAllNearEnds(); },
        [&](std::size_t g) {
            const auto &points = m_figures[g].points;
            if (points.empty()) {
                finishNearEnds(g, 0);
                return;
            }
            const auto figure = static_cast<std::int32_t>(g);
            finishNearEnds(g,
                           (nearOther(figure, points.front()) ? FirstNear : 0)
                               | (nearOther(figure, points.back()) ? LastNear : 0));
        });
    return m_nearEnds[k];
}

void VertexGrid::expectEnds(std::size_t points)
{
    if (points >= ManyAsked && !(m_askedOfAll & KnownEnds)) {
        m_askedOfAll |= KnownEnds;
        findAllNearEnds();
    }
}

void VertexGrid::finishNearEnds(std::size_t k, std::uint8_t ends)
{
    const auto f = static_cast<std::int32_t>(k);
    m_known[k] |= KnownEnds;
    const auto &points = m_figures[k].points;
    // With an end near, the free end (or none) is known without them.
    for (std::size_t v = 1; ends == 0 && v + 1 < points.size(); ++v) {
        if (nearOther(f, points[v]))
            ends |= InnerNear;
    }
    m_nearEnds[k] = ends;
}

void VertexGrid::findAllNearEnds()
{
    // The ends of every open figure that may ask, asked row of tiles by row
    // of tiles, on a few threads: the cells around the ends of one row lie
    // close together, where the ends of one figure after another lie all
    // over the grid. Each end is written to a list of its own.
    const auto asks = [&](std::size_t g) {
        const tfigura &figure = m_figures[g];
        return figure.generatedKind != 3 && !figure.closed && !(m_known[g] & KnownEnds);
    };
    const std::size_t count = m_figures.size();
    if (m_itemCount == 0) { // no vertex is near any
        for (std::size_t g = 0; g < count; ++g) {
            if (asks(g))
                finishNearEnds(g, 0);
        }
        return;
    }
    const auto rows = static_cast<std::size_t>((m_rows + TileSide - 1) / TileSide);
    const auto tileRow = [&](const TPlotPoint &p) { return static_cast<std::size_t>(row(p.y) / TileSide); };
    struct End
    {
        TPlotPoint p;
        std::int32_t figure;
        std::uint8_t which;
    };
    std::vector<std::uint32_t> rowStart(rows + 1, 0);
    for (std::size_t g = 0; g < count; ++g) {
        if (asks(g) && !m_figures[g].points.empty()) {
            ++rowStart[tileRow(m_figures[g].points.front()) + 1];
            ++rowStart[tileRow(m_figures[g].points.back()) + 1];
        }
    }
    for (std::size_t r = 0; r < rows; ++r)
        rowStart[r + 1] += rowStart[r];
    std::vector<End> ends(rowStart[rows]);
    {
        std::vector<std::uint32_t> place(rowStart.begin(), rowStart.end() - 1);
        for (std::size_t g = 0; g < count; ++g) {
            if (asks(g) && !m_figures[g].points.empty()) {
                const auto &points = m_figures[g].points;
                const auto figure = static_cast<std::int32_t>(g);
                ends[place[tileRow(points.front())]++] = End {points.front(), figure, FirstNear};
                ends[place[tileRow(points.back())]++] = End {points.back(), figure, LastNear};
            }
        }
    }
    std::vector<std::uint8_t> firstNear(count, 0);
    std::vector<std::uint8_t> lastNear(count, 0);
    ParallelChunksByWeight(
        rows, [&](std::size_t r) { return std::size_t {rowStart[r + 1] - rowStart[r]} + 1; }, 4096,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = rowStart[begin]; i < rowStart[end] && !m_stop.requested(); ++i) {
                const End &e = ends[i];
                const auto g = static_cast<std::size_t>(e.figure);
                (e.which == FirstNear ? firstNear : lastNear)[g] = nearOther(e.figure, e.p) ? e.which : 0;
            }
        });
    if (m_stop.requested())
        return;
    // A figure with neither end near asks about the vertices between.
    const auto between = [&](std::size_t g) {
        return (firstNear[g] | lastNear[g]) != 0 || !asks(g) ? std::size_t {1} : m_figures[g].points.size();
    };
    ParallelChunksByWeight(count, between, 4096, [&](std::size_t begin, std::size_t end) {
        for (std::size_t g = begin; g < end && !m_stop.requested(); ++g) {
            if (asks(g))
                finishNearEnds(g, firstNear[g] | lastNear[g]);
        }
    });
}

std::span<const std::int32_t> VertexGrid::touchers(int f)
{
    const auto k = static_cast<std::size_t>(f);
    answer(
        k, KnownTouchers, m_touchersAsked, [&] { findAllTouchers(); },
        // Where vertices crowd, each point asked about meets many others:
        // those count towards answering all at once too.
        [&](std::size_t g) { m_touchersAsked += findTouchers(g) / 4; });
    return m_answers[k];
}

std::size_t VertexGrid::findTouchers(std::size_t k)
{
    const auto f = static_cast<std::int32_t>(k);
    std::vector<std::int32_t> &found = m_touchers[k];
    m_known[k] |= KnownTouchers;
    std::size_t met = 0;
    for (const TPlotPoint &p : m_figures[k].points) {
        near(p, [&](const Item &q) {
            ++met;
            if (q.figure != f && WithinTolerance(std::int64_t(q.x) - p.x, m_tolerance)
                && WithinTolerance(std::int64_t(q.y) - p.y, m_tolerance)
                && (found.empty() || found.back() != q.figure))
                found.push_back(q.figure);
        });
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    found.shrink_to_fit();
    m_answers[k] = found;
    return met;
}

template<class Pair>
void VertexGrid::eachNearPair(std::int64_t firstRow, std::int64_t endRow, Pair &&pair) const
{
    // Two vertices within the tolerance lie in one cell or in two side by
    // side (cells are at least twice the tolerance across): each cell is
    // paired with itself and with the four of its eight neighbours that come
    // after it, so every pair of cells is met once.
    const auto items = [&](std::int64_t cx, std::int64_t cy) {
        const std::size_t c = cellIndex(cx, cy);
        return std::pair {m_items.get() + m_cellStart[c], m_items.get() + m_cellStart[c + 1]};
    };
    // Coordinates differ by less than 2^33: an integer difference lies
    // within the tolerance exactly when it lies within its whole part.
    if (!(m_tolerance >= 0))
        return;
    const auto within = static_cast<std::uint64_t>(std::min(m_tolerance, 0x1p40));
    // A cell's items and those of the four after it side by side, each of
    // its own tested against all that follow it in one loop without a
    // branch: the places of those near go to a list, read after.
    std::vector<Item> around;
    std::vector<std::uint32_t> hits;
    constexpr std::int64_t Ahead[4][2] = {{1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    const auto cell = [&](std::int64_t cx, std::int64_t cy) {
        const auto [begin, end] = items(cx, cy);
        if (begin == end)
            return;
        std::pair<const Item *, const Item *> ahead[4];
        std::size_t total = static_cast<std::size_t>(end - begin);
        std::size_t n = 0;
        for (const auto &d : Ahead) {
            const std::int64_t nx = cx + d[0];
            const std::int64_t ny = cy + d[1];
            if (nx >= 0 && nx < m_columns && ny < m_rows) {
                ahead[n] = items(nx, ny);
                total += static_cast<std::size_t>(ahead[n].second - ahead[n].first);
                ++n;
            }
        }
        if (around.size() < total) {
            around.resize(total);
            hits.resize(total);
        }
        Item *to = std::copy(begin, end, around.data());
        for (std::size_t i = 0; i < n; ++i)
            to = std::copy(ahead[i].first, ahead[i].second, to);
        const std::size_t own = static_cast<std::size_t>(end - begin);
        for (std::size_t i = 0; i < own; ++i) {
            const Item a = around[i];
            std::size_t found = 0;
            for (std::size_t j = i + 1; j < total; ++j) {
                const Item &b = around[j];
                const bool near = (static_cast<std::uint64_t>(std::int64_t(b.x) - a.x + std::int64_t(within))
                                   <= 2 * within)
                    & (static_cast<std::uint64_t>(std::int64_t(b.y) - a.y + std::int64_t(within))
                       <= 2 * within)
                    & (b.figure != a.figure);
                hits[found] = static_cast<std::uint32_t>(j);
                found += near ? 1 : 0;
            }
            std::int32_t last = a.figure; // a run of one figure's vertices meets a once
            for (std::size_t k = 0; k < found; ++k) {
                const std::int32_t b = around[hits[k]].figure;
                if (b != last) {
                    last = b;
                    pair(a.figure, b);
                }
            }
        }
    };
    // Tile by tile, in the order the cells lie in memory.
    for (std::int64_t ty = firstRow; ty < endRow; ++ty) {
        for (std::int64_t tx = 0; tx < m_tilesAcross; ++tx) {
            for (std::int64_t cy = ty * TileSide; cy < std::min(m_rows, (ty + 1) * TileSide); ++cy) {
                for (std::int64_t cx = tx * TileSide; cx < std::min(m_columns, (tx + 1) * TileSide); ++cx)
                    cell(cx, cy);
            }
        }
    }
}

void VertexGrid::findAllTouchers()
{
    // Every vertex pair is met once, walking the cells as they lie in
    // memory, rather than around each vertex of each figure in turn: the
    // same cells are not fetched again for every vertex near them. The
    // tile rows are shared out to a few bands, each walked by one thread
    // that keeps the figure pairs it meets, in the order met, and counts
    // them by figure; then each band sorts its pairs out to the figures'
    // runs of one shared list, each band to its own part of every run, so
    // no two threads ever write the same place.
    if (m_itemCount == 0)
        return;
    const std::size_t count = m_touchers.size();
    const auto tileRows = static_cast<std::size_t>((m_rows + TileSide - 1) / TileSide);
    // The rows go to the bands a few at a time, to whichever band is free:
    // the pairs a row holds grow with the square of how crowded it is, and
    // rows of equal items would leave the bands through the crowded middle
    // of a drawing working long after the others.
    constexpr std::size_t Bands = 8;
    constexpr std::size_t RowsAtOnce = 2;
    std::atomic<std::size_t> nextRow {0};
    const std::size_t bands = std::min(Bands, tileRows);
    // Many figures through one point meet each other pairwise: a list of
    // every pair would outgrow the grid many times over, where the figures
    // asked one by one each keep only their own distinct touchers. The
    // bands tell each other, every few thousand pairs, how many they keep,
    // and all stop keeping them past the limit.
    const std::uint64_t most = std::min<std::uint64_t>(8 * m_itemCount + 65536, UINT32_MAX);
    constexpr std::size_t Told = 4096;
    std::atomic<std::uint64_t> kept {0};
    std::atomic<bool> tooMany {false};
    struct Met
    {
        std::int32_t a;
        std::int32_t b;
    };
    struct alignas(64) Band // apart from each other: each is written all the time by its thread
    {
        std::vector<Met> pairs;
        std::vector<std::uint32_t> counts; // by figure: counted in 32 bits, against the limit
    };
    std::vector<Band> met(bands);
    ParallelChunks(bands, 1, [&](std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end; ++b) {
            Band &band = met[b];
            band.counts.assign(count, 0);
            // Room for about as many pairs as a drawing of figures that
            // cross each other here and there meets, so that the list is
            // seldom moved as it grows.
            band.pairs.reserve(2 * m_itemCount / bands);
            std::size_t untold = 0;
            bool over = false;
            const auto pair = [&](std::int32_t x, std::int32_t y) {
                if (over)
                    return;
                band.pairs.push_back(Met {x, y});
                ++band.counts[static_cast<std::size_t>(x)];
                ++band.counts[static_cast<std::size_t>(y)];
                if (++untold == Told) {
                    over = kept.fetch_add(2 * untold) + 2 * untold > most || tooMany;
                    untold = 0;
                    if (over)
                        tooMany = true;
                }
            };
            while (!over && !m_stop.requested()) {
                const std::size_t first = nextRow.fetch_add(RowsAtOnce);
                if (first >= tileRows)
                    break;
                eachNearPair(static_cast<std::int64_t>(first),
                             static_cast<std::int64_t>(std::min(first + RowsAtOnce, tileRows)), pair);
            }
            if (kept.fetch_add(2 * untold) + 2 * untold > most)
                tooMany = true;
        }
    });
    if (m_stop.requested())
        return;
    if (tooMany) {
        met.clear();
        findEachTouchers();
        return;
    }
    // Each figure's run holds every band's pairs with it, band after band;
    // counts become where each band writes next.
    std::vector<std::uint32_t> runStart(count + 1);
    std::uint32_t next = 0;
    for (std::size_t g = 0; g < count; ++g) {
        runStart[g] = next;
        for (Band &band : met)
            next += std::exchange(band.counts[g], next);
    }
    runStart[count] = next;
    m_allTouchers = std::make_unique_for_overwrite<std::int32_t[]>(next); // every entry is written below
    std::int32_t *const all = m_allTouchers.get();
    ParallelChunks(bands, 1, [&](std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end && !m_stop.requested(); ++b) {
            std::vector<std::uint32_t> &place = met[b].counts;
            for (const Met &m : met[b].pairs) {
                all[place[static_cast<std::size_t>(m.a)]++] = m.b;
                all[place[static_cast<std::size_t>(m.b)]++] = m.a;
            }
            met[b] = Band {};
        }
    });
    if (m_stop.requested())
        return;
    // Each run becomes its figure's touchers in list order, without
    // repeats, in its own first part.
    ParallelChunksByWeight(
        count, [&](std::size_t g) { return std::size_t {runStart[g + 1] - runStart[g]} + 1; }, 65536,
        [&](std::size_t begin, std::size_t end) {
            SortedMarks marks(count);
            for (std::size_t g = begin; g < end && !m_stop.requested(); ++g) {
                if (m_figures[g].generatedKind == 3 || (m_known[g] & KnownTouchers))
                    continue;
                std::int32_t *const run = all + runStart[g];
                for (std::uint32_t i = runStart[g]; i < runStart[g + 1]; ++i)
                    marks.mark(all[i]);
                m_answers[g] = std::span<const std::int32_t>(run, marks.take(run));
                m_known[g] |= KnownTouchers;
            }
        });
}

void VertexGrid::findEachTouchers()
{
    // On a few threads, each writing its own figures' entries only.
    ParallelChunksByWeight(
        m_touchers.size(), [&](std::size_t g) { return m_figures[g].points.size() + 1; }, 65536,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t g = begin; g < end && !m_stop.requested(); ++g) {
                if (m_figures[g].generatedKind != 3 && !(m_known[g] & KnownTouchers))
                    findTouchers(g);
            }
        });
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

void FigureIndexes::prepareCandidates(const std::vector<std::uint8_t> &wanted, const PlanStop &stop)
{
    // Every slot exists before the threads start: they fill slots, the
    // containers never grow under them.
    makeSlots();
    const auto points = [&](std::size_t f) { return wanted[f] ? m_figures[f].points.size() + 1 : 1; };
    ParallelChunksByWeight(wanted.size(), points, 65536, [&](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end && !stop.requested(); ++f) {
            if (!fixed(static_cast<int>(f)))
                continue;
            if (wanted[f] & 1)
                this->sampled(static_cast<int>(f));
            if (wanted[f] & 2)
                this->marked(static_cast<int>(f));
        }
    });
}

CandidateSummary FigureIndexes::candidateSummary(int f, bool marked) const
{
    const auto &cache = marked ? m_marked : m_sampled;
    if (static_cast<std::size_t>(f) < cache.size() && cache[static_cast<std::size_t>(f)])
        return cache[static_cast<std::size_t>(f)]->summary();
    const tfigura &figure = m_figures[static_cast<std::size_t>(f)];
    // As CandidateTree measures its points.
    CandidateSummary summary;
    summary.minVertex = std::numeric_limits<std::int32_t>::max();
    summary.minFactor = std::numeric_limits<std::int32_t>::max();
    summary.minWeight = std::numeric_limits<std::int32_t>::max();
    ForEachCandidate(figure, marked ? 1 : flatplan::SamplingStep(figure.points.size()), marked,
                     [&](const CandidatePoint &p) {
                         summary.box.add(p.x, p.y);
                         summary.minVertex = std::min(summary.minVertex, p.vertex);
                         summary.minFactor = std::min(summary.minFactor, p.factor);
                         summary.minWeight = std::min(summary.minWeight, p.weight);
                         summary.boundable = summary.boundable && p.factor >= 0 && p.weight >= 0;
                         ++summary.size;
                     });
    return summary;
}

void FigureIndexes::makeSlots()
{
    const std::size_t count = m_figures.size();
    m_vertices.resize(std::max(m_vertices.size(), count));
    m_edges.resize(std::max(m_edges.size(), count));
    m_sampled.resize(std::max(m_sampled.size(), count));
    m_marked.resize(std::max(m_marked.size(), count));
}

VertexGrid &FigureIndexes::vertexGrid(double tolerance, const PlanStop &stop)
{
    if (!m_vertexGrid)
        m_vertexGrid.emplace(m_figures, tolerance, stop);
    return *m_vertexGrid;
}

void FigureIndexes::releaseVertexGrid()
{
    if (!m_vertexGrid)
        return;
    // A grid of millions of vertices is given back to the system beside the
    // work that follows.
    ReleaseBeside(std::make_unique<VertexGrid>(std::move(*m_vertexGrid)));
    m_vertexGrid.reset();
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
    if (tree)
        return *tree;
    const tfigura &figure = m_figures[static_cast<std::size_t>(f)];
    const auto &records = figure.vertexInfo;
    const bool everyVertex = records.size() >= figure.points.size()
        && std::all_of(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(figure.points.size()),
                       [](const TVertexInfo &r) { return r.candidate == 1; });
    // Touching is over once candidates are asked for: a figure whose every
    // vertex is a candidate takes over the tree it was touched with.
    auto &touched = Slot(m_vertices, f);
    if (everyVertex && touched) {
        tree = std::move(touched);
        tree->reweigh(records);
    } else {
        tree = std::make_unique<CandidateTree>(TreeOf(figure, 1, true));
    }
    return *tree;
}
