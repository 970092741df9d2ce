#include "project/containment.h"

#include "drawing/geometry.h"
#include "project/boxgrid.h"
#include "project/edgespans.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <tuple>

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

// The same between boxes as the indexes hold them, read from compact lists.
template<class Inner, class Box> bool BoxStrictlyInside(const Inner &fi, const Box &box)
{
    return fi.minX > box.minX && fi.maxX < box.maxX && fi.minY > box.minY && fi.maxY < box.maxY;
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

// Whether a container holds a point, read off a coarse grid over the
// container's box. A cell that no edge's box reaches holds no point on an
// edge and none straight above or below a vertex; the edges a vertical
// through any of its points meets then lie wholly above or below that point
// and come in pairs, so FigureInside's first vertex alone decides, and it
// decides the even-odd side of that point, the same for the whole cell. Each
// such cell's side is counted once, at its least corner; a figure whose
// first vertex falls in one needs no look at the container's edges.
class ParityRaster
{
public:
    // FigureInside works out an edge's height in doubles; with every
    // coordinate within this reach its error stays well under a unit, so a
    // point off an edge's box is always placed on its true side.
    static constexpr std::int64_t Reach = std::int64_t {1} << 24;
    static constexpr std::int64_t MaxSide = 256;
    static constexpr std::size_t RowWords = MaxSide / 64;

    static bool Fits(const std::vector<TPlotPoint> &points)
    {
        return !points.empty() && std::all_of(points.begin(), points.end(), [](TPlotPoint p) {
            return p.x >= -Reach && p.x <= Reach && p.y >= -Reach && p.y <= Reach;
        });
    }

    explicit ParityRaster(const std::vector<TPlotPoint> &points)
    {
        m_minX = m_maxX = points[0].x;
        m_minY = m_maxY = points[0].y;
        for (const TPlotPoint p : points) {
            m_minX = std::min<std::int64_t>(m_minX, p.x);
            m_maxX = std::max<std::int64_t>(m_maxX, p.x);
            m_minY = std::min<std::int64_t>(m_minY, p.y);
            m_maxY = std::max<std::int64_t>(m_maxY, p.y);
        }
        while (((m_maxX - m_minX) >> m_shiftX) >= MaxSide)
            ++m_shiftX;
        while (((m_maxY - m_minY) >> m_shiftY) >= MaxSide)
            ++m_shiftY;
        m_columns = ((m_maxX - m_minX) >> m_shiftX) + 1;
        m_rows = ((m_maxY - m_minY) >> m_shiftY) + 1;
        const auto cells = static_cast<std::size_t>(m_columns * m_rows);
        const auto rows = static_cast<std::size_t>(m_rows);
        const auto columns = static_cast<std::size_t>(m_columns);
        // A row's cells as bits, a column to a bit: a rectangle of cells is
        // a few masks a row, and a row's parities a few words.
        std::vector<std::uint64_t> touched(rows * RowWords, 0);
        // Per column, a toggle at the first row above each edge that the
        // column's left side crosses; the rows' running sum is the parity.
        std::vector<std::uint64_t> toggles((rows + 1) * RowWords, 0);
        // The bits of columns [from, to) in word w of a row.
        const auto mask = [](std::size_t w, std::size_t from, std::size_t to) {
            const std::size_t low = std::max(from, w * 64) - w * 64;
            const std::size_t high = std::min(to, w * 64 + 64) - w * 64;
            return (high - low == 64 ? ~std::uint64_t {0} : (std::uint64_t {1} << (high - low)) - 1) << low;
        };
        const auto edge = [&](TPlotPoint p0, TPlotPoint p1) {
            const std::int64_t x0 = std::min(p0.x, p1.x) - m_minX;
            const std::int64_t x1 = std::max(p0.x, p1.x) - m_minX;
            const std::int64_t y0 = std::min(p0.y, p1.y) - m_minY;
            const std::int64_t y1 = std::max(p0.y, p1.y) - m_minY;
            // A cell's points reach from its corner to just short of the next
            // column (a vertical's edges are those whose span holds x plus a
            // sliver) and up to its last row.
            const auto c0 = static_cast<std::size_t>(x0 >> m_shiftX);
            const auto c1 = static_cast<std::size_t>(x1 >> m_shiftX) + 1;
            for (auto r = static_cast<std::size_t>(y0 >> m_shiftY);
                 r <= static_cast<std::size_t>(y1 >> m_shiftY); ++r) {
                for (std::size_t w = c0 / 64; w <= (c1 - 1) / 64; ++w)
                    touched[r * RowWords + w] |= mask(w, c0, c1);
            }
            const std::int64_t width = std::int64_t {1} << m_shiftX;
            const auto firstRow = static_cast<std::size_t>((y1 >> m_shiftY) + 1);
            const auto t0 = static_cast<std::size_t>((x0 + width - 1) >> m_shiftX);
            const auto t1 = static_cast<std::size_t>((x1 + width - 1) >> m_shiftX);
            for (std::size_t w = t0 / 64; t0 < t1 && w <= (t1 - 1) / 64; ++w)
                toggles[firstRow * RowWords + w] ^= mask(w, t0, t1);
        };
        const std::size_t n = points.size();
        for (std::size_t m = 0; m + 1 < n; ++m)
            edge(points[m], points[m + 1]);
        edge(points[0], points[n - 1]);

        // Two bits a cell, known and inside, where no edge comes; none
        // elsewhere: 32 cells of a row at a time, their bits spread apart.
        const auto spread = [](std::uint64_t x) {
            x = (x | (x << 16)) & 0x0000FFFF0000FFFFULL;
            x = (x | (x << 8)) & 0x00FF00FF00FF00FFULL;
            x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0FULL;
            x = (x | (x << 2)) & 0x3333333333333333ULL;
            return (x | (x << 1)) & 0x5555555555555555ULL;
        };
        std::vector<std::uint64_t> words((cells + 31) / 32, 0);
        std::uint64_t parity[RowWords] = {};
        std::size_t bit = 0;
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t w = 0; w < RowWords; ++w)
                parity[w] ^= toggles[r * RowWords + w];
            for (std::size_t c = 0; c < columns; c += 32) {
                const std::size_t count = std::min<std::size_t>(32, columns - c);
                const std::uint64_t all = count == 32 ? 0xFFFFFFFFULL : (std::uint64_t {1} << count) - 1;
                const std::uint64_t known = ~(touched[r * RowWords + c / 64] >> (c % 64)) & all;
                const std::uint64_t inside = known & (parity[c / 64] >> (c % 64));
                const std::uint64_t pairs = spread(known) << 1 | spread(inside);
                words[bit / 64] |= pairs << (bit % 64);
                if (bit % 64 != 0 && bit % 64 + 2 * count > 64)
                    words[bit / 64 + 1] |= pairs >> (64 - bit % 64);
                bit += 2 * count;
            }
        }
        m_cells = std::move(words);
    }

    // What a lookup reads, small enough to be kept beside other things a
    // test reads of its container. Every coordinate is within Reach.
    struct Frame
    {
        std::int32_t minX = 0;
        std::int32_t minY = 0;
        std::int32_t maxX = 0;
        std::int32_t maxY = 0;
        std::int32_t columns = 0;
        std::uint8_t shiftX = 0;
        std::uint8_t shiftY = 0;
        const std::uint64_t *cells = nullptr;

        // 1 inside, 0 outside, -1 where the edges must be looked at.
        int side(TPlotPoint p) const
        {
            if (p.x < minX || p.x > maxX || p.y < minY || p.y > maxY)
                return -1;
            const auto cell = static_cast<std::size_t>(((std::int64_t {p.y} - minY) >> shiftY) * columns
                                                       + ((std::int64_t {p.x} - minX) >> shiftX));
            const auto bits = (cells[cell / 32] >> (cell % 32 * 2)) & 3;
            return bits & 2 ? static_cast<int>(bits & 1) : -1;
        }
    };

    Frame frame() const
    {
        return Frame {static_cast<std::int32_t>(m_minX),    static_cast<std::int32_t>(m_minY),
                      static_cast<std::int32_t>(m_maxX),    static_cast<std::int32_t>(m_maxY),
                      static_cast<std::int32_t>(m_columns), static_cast<std::uint8_t>(m_shiftX),
                      static_cast<std::uint8_t>(m_shiftY),  m_cells.data()};
    }

    int side(TPlotPoint p) const { return frame().side(p); }

private:
    std::int64_t m_minX = 0;
    std::int64_t m_maxX = 0;
    std::int64_t m_minY = 0;
    std::int64_t m_maxY = 0;
    int m_shiftX = 0;
    int m_shiftY = 0;
    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::vector<std::uint64_t> m_cells; // two bits a cell: known, inside
};

// Containers of this many points and more, tested for this many figures and
// more, are searched through their spans.
constexpr std::size_t SpannedPoints = 32;
constexpr std::size_t SpannedQueries = 4;
// Containers tested for this many figures in one run get a parity raster: a
// smooth outline's edges are few to a vertical, and a raster pays only over
// many tests.
constexpr std::size_t RasterQueries = 1024;
// The same for the open figures' tests, counted over all their passes: an
// outline tested this often is mostly tested many times more, and an
// outline spanning the sheet costs a hundred tests' worth of a raster.
constexpr std::size_t LeafRasterQueries = 64;
// Among this many open figures and more, an outline that closed figures
// test as often is mostly tested by open ones too, and would get its raster
// in their passes anyway: the closed figures' tests make it at once.
constexpr std::size_t ManyLeaves = RasterQueries;

// What containment tests keep of a container, made when first worth it and
// kept for all the tests of one run, closed and open figures alike.
struct ContainerAids
{
    explicit ContainerAids(std::size_t count)
        : spans(count)
        , rasters(count)
    { }
    std::vector<std::unique_ptr<EdgeSpans>> spans;
    std::vector<std::unique_ptr<ParityRaster>> rasters;
    // Closed figures' tests of a container that make its raster.
    std::size_t rasterQueries = RasterQueries;
};

// Per-figure work is shared out to threads in chunks of about this many
// points' worth.
constexpr std::size_t ChunkPoints = 65536;

// The candidate pairs are gathered and tested this many at a time: outlines
// spanning a whole sheet may each be a candidate for most of a large drawing,
// and all its pairs at once would run to gigabytes.
constexpr std::size_t BatchPairs = std::size_t {1} << 24;
// The pairs are gathered and put in container order in up to this many
// parts at once, a part for every so many closed figures and boxes looked at.
constexpr std::size_t SortParts = 8;
constexpr std::size_t PartFigures = 1024;
constexpr std::size_t PartLooks = std::size_t {1} << 20;
// Each thread takes at least this many figures' containers into their lists,
// once a run has this many pairs.
constexpr std::size_t ChunkFigures = 256;
constexpr std::size_t SharedPairs = std::size_t {1} << 18;

// The closed figures whose boxes reach each cell of a coarse grid, each
// cell's in list order. A figure's containers all hold its least corner, so
// the cell of that corner lists every one of them, in the order the passes
// take them.
class ContainerCells
{
public:
    // At most about `budget` entries: outlines spanning the whole sheet are
    // in every cell, so their cells grow until they fit. The boxes are
    // figures' boxes (32-bit coordinates).
    ContainerCells(const std::vector<PlanBox> &boxes, std::int64_t budget)
    {
        std::int64_t count = 0;
        for (const PlanBox &b : boxes) {
            if (b.empty())
                continue;
            m_span.add(b.minX, b.minY);
            m_span.add(b.maxX, b.maxY);
            ++count;
        }
        if (count == 0)
            return;
        m_divide = CellDivider(CellSideForCount(m_span, count));
        for (;;) {
            m_columns = column(m_span.maxX) + 1;
            m_rows = row(m_span.maxY) + 1;
            std::int64_t entries = 0;
            for (const PlanBox &b : boxes) {
                if (!b.empty())
                    entries += (column(b.maxX) - column(b.minX) + 1) * (row(b.maxY) - row(b.minY) + 1);
            }
            if (entries <= budget || m_columns * m_rows == 1)
                break;
            m_divide = CellDivider(2 * m_divide.side());
        }
        m_start.assign(static_cast<std::size_t>(m_columns * m_rows) + 1, 0);
        const auto cover = [&](auto &&visit) {
            for (std::size_t k = 0; k < boxes.size(); ++k) {
                const PlanBox &b = boxes[k];
                if (b.empty())
                    continue;
                for (std::int64_t r = row(b.minY); r <= row(b.maxY); ++r) {
                    for (std::int64_t c = column(b.minX); c <= column(b.maxX); ++c)
                        visit(static_cast<std::size_t>(r * m_columns + c), static_cast<int>(k));
                }
            }
        };
        cover([&](std::size_t cell, int) { ++m_start[cell + 1]; });
        for (std::size_t c = 1; c < m_start.size(); ++c)
            m_start[c] += m_start[c - 1];
        m_items.resize(m_start.back());
        m_boxes.resize(m_start.back());
        std::vector<std::size_t> fill(m_start.begin(), m_start.end() - 1);
        cover([&](std::size_t cell, int k) {
            const PlanBox &b = boxes[static_cast<std::size_t>(k)];
            m_boxes[fill[cell]] = Box {static_cast<std::int32_t>(b.minX), static_cast<std::int32_t>(b.minY),
                                       static_cast<std::int32_t>(b.maxX), static_cast<std::int32_t>(b.maxY)};
            m_items[fill[cell]++] = k;
        });
    }

    static constexpr std::size_t NoCell = ~std::size_t {0};

    std::size_t cellCount() const { return m_start.empty() ? 0 : m_start.size() - 1; }
    // The cell of a point, NoCell where no closed figure's box reaches.
    std::size_t cellOf(std::int64_t x, std::int64_t y) const
    {
        if (m_start.empty() || x < m_span.minX || x > m_span.maxX || y < m_span.minY || y > m_span.maxY)
            return NoCell;
        return static_cast<std::size_t>(row(y) * m_columns + column(x));
    }
    // Of the cells of a figure's corners, the one that lists the fewest: a
    // box that holds the figure's box reaches every one of them.
    template<class Box> std::size_t leastCellOf(const Box &f) const
    {
        std::size_t least = cellOf(f.minX, f.minY);
        if (least == NoCell)
            return NoCell;
        for (const std::size_t cell :
             {cellOf(f.maxX, f.minY), cellOf(f.minX, f.maxY), cellOf(f.maxX, f.maxY)}) {
            if (cell != NoCell && end(cell) - begin(cell) < end(least) - begin(least))
                least = cell;
        }
        return least;
    }
    std::size_t begin(std::size_t cell) const { return m_start[cell]; }
    std::size_t end(std::size_t cell) const { return m_start[cell + 1]; }
    // The closed figures whose boxes may hold the cell's points, in list order.
    std::span<const int> items(std::size_t cell) const
    {
        return {m_items.data() + m_start[cell], m_items.data() + m_start[cell + 1]};
    }
    std::size_t size() const { return m_items.size(); }

    // Each listed figure's box, beside it: a walk over a cell reads them in
    // turn rather than from all over the figure list.
    struct Box
    {
        std::int32_t minX = 0;
        std::int32_t minY = 0;
        std::int32_t maxX = 0;
        std::int32_t maxY = 0;
    };
    const Box *boxes(std::size_t cell) const { return m_boxes.data() + m_start[cell]; }

private:
    // Asked several times for every figure: no division.
    std::int64_t column(std::int64_t x) const { return m_divide(x - m_span.minX); }
    std::int64_t row(std::int64_t y) const { return m_divide(y - m_span.minY); }

    PlanBox m_span;
    CellDivider m_divide;
    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::vector<std::size_t> m_start;
    std::vector<int> m_items;
    std::vector<Box> m_boxes;
};

// A list whose every item is written before it is read, by the threads that
// fill it: it grows without clearing its room first, so that a run of
// millions of pairs does not wait for one thread to clear it.
template<class T> class WrittenList
{
public:
    void resize(std::size_t count)
    {
        if (count > m_room) {
            m_items = std::make_unique_for_overwrite<T[]>(count);
            m_room = count;
        }
        m_size = count;
    }
    std::size_t size() const { return m_size; }
    T &operator[](std::size_t k) { return m_items[k]; }
    const T &operator[](std::size_t k) const { return m_items[k]; }
    const T *begin() const { return m_items.get(); }

private:
    std::unique_ptr<T[]> m_items;
    std::size_t m_size = 0;
    std::size_t m_room = 0;
};

// For every closed figure, the figures it lies inside, in list order. Only boxes
// that strictly hold i's box can hold i, and such a box covers i's least
// corner, so one grid lookup of that corner finds every candidate. The pairs
// of a run of figures are then tested container by container, so that a
// container's edges stay at hand while every figure that may lie in it is
// tested.
// closed: the closed figures in list order; boxes: each figure's box, empty
// for an open one.
std::vector<std::vector<int>> InsideRelation(const std::vector<tfigura> &figures,
                                             const std::vector<std::size_t> &closed,
                                             const std::vector<PlanBox> &boxes, const ContainerCells &cells,
                                             ContainerAids &aids, const PlanStop &stop)
{
    std::vector<std::unique_ptr<EdgeSpans>> &spans = aids.spans;
    std::vector<std::unique_ptr<ParityRaster>> &rasters = aids.rasters;
    // The list is cut into parts that gather their pairs side by side. A run
    // takes from every part until each has its share of the run's pairs; the
    // parts in order hold the run's pairs by figure.
    // Parts hold equal shares of the closed figures, wherever in the list
    // they lie (a drawing's outlines may all come after its lines).
    // A part for every so many boxes looked at: a drawing of small parts
    // looks at a few per figure, one of outlines across the sheet at
    // thousands.
    // The least corners side by side in the boxes, but for a figure whose
    // box is empty.
    std::size_t looks = 0;
    for (const std::size_t k : closed) {
        const PlanBox &box = boxes[k];
        const std::size_t cell
            = box.empty() ? cells.cellOf(figures[k].minX, figures[k].minY) : cells.cellOf(box.minX, box.minY);
        looks += cell == ContainerCells::NoCell ? 1 : cells.end(cell) - cells.begin(cell) + 1;
    }
    const std::size_t parts
        = std::clamp<std::size_t>(std::min(closed.size() / PartFigures, looks / PartLooks), 1, SortParts);
    std::vector<std::size_t> cursor(parts);
    std::vector<std::size_t> partEnd(parts);
    for (std::size_t s = 0; s < parts; ++s) {
        cursor[s] = s == 0 ? 0 : closed[closed.size() * s / parts];
        partEnd[s] = s + 1 == parts ? figures.size() : closed[closed.size() * (s + 1) / parts];
    }
    std::vector<std::vector<std::pair<int, int>>> pairsOf(parts); // (i, j), by i
    std::vector<std::vector<int>> inside(figures.size());
    // A container's edges by their spans, once it has been tested often
    // enough to pay off; kept from one run of figures to the next.
    std::vector<std::uint8_t> rasterless(figures.size(), 0);
    std::vector<std::size_t> start(figures.size() + 1);
    WrittenList<int> held;
    // Beside each held figure, what a raster needs of it: its first vertex,
    // and whether it may be answered from that vertex alone (a figure with
    // the container's count of points might be the container itself).
    struct HeldFirst
    {
        TPlotPoint vertex;
        std::size_t points;
    };
    WrittenList<HeldFirst> heldFirst;
    WrittenList<std::uint8_t> heldInside;
    std::vector<std::vector<std::size_t>> partFill(parts);
    for (std::vector<std::size_t> &fill : partFill)
        fill.resize(figures.size());
    const auto gathered = [&] {
        for (std::size_t s = 0; s < parts; ++s) {
            if (cursor[s] < partEnd[s])
                return false;
        }
        return true;
    };
    while (!gathered()) {
        ParallelChunks(parts, 1, [&](std::size_t begin, std::size_t end) {
            for (std::size_t s = begin; s < end; ++s) {
                std::vector<std::pair<int, int>> &pairs = pairsOf[s];
                pairs.clear();
                for (; cursor[s] < partEnd[s] && pairs.size() < BatchPairs / parts; ++cursor[s]) {
                    if (stop.requested())
                        return;
                    // A closed figure's box is read beside the others, its
                    // record only where the box is empty.
                    PlanBox f = boxes[cursor[s]];
                    if (f.empty()) {
                        const tfigura &record = figures[cursor[s]];
                        // Open figures hold nothing; theirs are found by LeafContainers.
                        if (record.open)
                            continue;
                        f = PlanBox {record.minX, record.minY, record.maxX, record.maxY};
                    }
                    const std::size_t cell = cells.leastCellOf(f);
                    if (cell == ContainerCells::NoCell)
                        continue;
                    const std::span<const int> items = cells.items(cell);
                    const ContainerCells::Box *box = cells.boxes(cell);
                    for (std::size_t k = 0; k < items.size(); ++k) {
                        if (BoxStrictlyInside(f, box[k]))
                            pairs.emplace_back(static_cast<int>(cursor[s]), items[k]);
                    }
                }
            }
        });
        if (stop.requested())
            return {};
        // By container, each container's figures in list order: the parts
        // are sorted side by side, each part's figures of a container going
        // after those of the parts before it.
        ParallelChunks(parts, 1, [&](std::size_t begin, std::size_t end) {
            for (std::size_t s = begin; s < end; ++s) {
                std::vector<std::size_t> &count = partFill[s];
                std::fill(count.begin(), count.end(), 0);
                for (const auto &[i, j] : pairsOf[s])
                    ++count[static_cast<std::size_t>(j)];
            }
        });
        start[0] = 0;
        for (std::size_t j = 0; j < figures.size(); ++j) {
            std::size_t at = start[j];
            for (std::vector<std::size_t> &fill : partFill) {
                const std::size_t count = fill[j];
                fill[j] = at;
                at += count;
            }
            start[j + 1] = at;
        }
        held.resize(start.back());
        heldFirst.resize(start.back());
        ParallelChunks(parts, 1, [&](std::size_t begin, std::size_t end) {
            for (std::size_t s = begin; s < end; ++s) {
                std::vector<std::size_t> &fill = partFill[s];
                for (const auto &[i, j] : pairsOf[s]) {
                    const std::size_t k = fill[static_cast<std::size_t>(j)]++;
                    held[k] = i;
                    const auto &points = figures[static_cast<std::size_t>(i)].points;
                    heldFirst[k] = HeldFirst {points.empty() ? TPlotPoint {} : points[0], points.size()};
                }
            }
        });

        heldInside.resize(held.size());
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
                const std::size_t queries = start[j + 1] - start[j];
                if (!rasters[j] && !rasterless[j] && queries >= aids.rasterQueries) {
                    if (!figures[j].open && ParityRaster::Fits(figures[j].points))
                        rasters[j] = std::make_unique<ParityRaster>(figures[j].points);
                    else
                        rasterless[j] = 1;
                }
                const ParityRaster *raster = rasters[j].get();
                const std::size_t ownPoints = figures[j].points.size();
                // A sheet outline may hold thousands, each test scanning its
                // edges: a stop is looked at before each.
                for (std::size_t k = start[j]; k < start[j + 1]; ++k) {
                    if (stop.requested())
                        return;
                    if (raster && heldFirst[k].points != 0 && heldFirst[k].points != ownPoints) {
                        const int side = raster->side(heldFirst[k].vertex);
                        if (side >= 0) {
                            heldInside[k] = static_cast<std::uint8_t>(side);
                            continue;
                        }
                    }
                    heldInside[k]
                        = FigureInside(figures, held[k], static_cast<int>(j), spans[j].get()) ? 1 : 0;
                }
            }
        });
        if (stop.requested())
            return {};
        // Each figure's containers all come from its own run, in list order;
        // a container's figures are in list order, so a share of the run's
        // figures finds its own in each container by a search.
        const std::size_t grain = held.size() >= SharedPairs ? ChunkFigures : figures.size();
        ParallelChunks(figures.size(), grain, [&](std::size_t begin, std::size_t end) {
            const int low = static_cast<int>(begin);
            const int high = static_cast<int>(end);
            for (std::size_t j = 0; j < figures.size(); ++j) {
                const auto from = held.begin() + static_cast<std::ptrdiff_t>(start[j]);
                const auto to = held.begin() + static_cast<std::ptrdiff_t>(start[j + 1]);
                const auto own = std::lower_bound(from, to, low);
                for (auto at = own; at != to && *at < high; ++at) {
                    if (heldInside[static_cast<std::size_t>(at - held.begin())])
                        inside[static_cast<std::size_t>(*at)].push_back(static_cast<int>(j));
                }
            }
        });
    }
    return inside;
}

// The depths of the figures as the passes over the closed figures change
// them: their values when a pass starts, then each change with the list
// place of the figure being worked when it was made.
struct DepthChange
{
    std::size_t position = 0;
    int figure = 0;
    std::int32_t depth = 0;
};
struct PassDepths
{
    std::vector<std::int32_t> start;
    std::vector<DepthChange> changes;
};

// Each cell's closed figures split by the depth they end a pass with, each
// level's in list order. Depths only grow, so no figure is deeper than its
// level at any time of the pass: a walk that needs figures deeper than its
// container's depth reads only the levels above it.
class CellLevels
{
public:
    struct Run
    {
        std::int32_t level = 0;
        std::uint32_t size = 0;
    };

    CellLevels(const ContainerCells &cells, const std::vector<std::int32_t> &levelOf)
        : m_items(cells.size())
        , m_boxes(cells.size())
        , m_runs(cells.size())
        , m_runCount(cells.cellCount(), 0)
    {
        fill(cells, levelOf);
    }

    // The same cells split again by other depths, in the memory they had.
    void fill(const ContainerCells &cells, const std::vector<std::int32_t> &levelOf)
    {
        ParallelChunksByWeight(
            cells.cellCount(), [&](std::size_t c) { return cells.end(c) - cells.begin(c) + 1; }, 1U << 16,
            [&](std::size_t first, std::size_t last) {
                std::vector<std::uint32_t> count;
                for (std::size_t c = first; c < last; ++c) {
                    const std::span<const int> items = cells.items(c);
                    std::int32_t top = 0;
                    for (const int j : items)
                        top = std::max(top, levelOf[static_cast<std::size_t>(j)]);
                    count.assign(static_cast<std::size_t>(top) + 2, 0);
                    for (const int j : items)
                        ++count[static_cast<std::size_t>(levelOf[static_cast<std::size_t>(j)]) + 1];
                    std::size_t runs = cells.begin(c);
                    for (std::size_t level = 0; level <= static_cast<std::size_t>(top); ++level) {
                        if (count[level + 1] != 0)
                            m_runs[runs++] = Run {static_cast<std::int32_t>(level), count[level + 1]};
                        count[level + 1] += count[level];
                    }
                    m_runCount[c] = static_cast<std::uint32_t>(runs - cells.begin(c));
                    // In list order within each level: the items come in list order.
                    const ContainerCells::Box *box = cells.boxes(c);
                    for (std::size_t k = 0; k < items.size(); ++k) {
                        const int j = items[k];
                        const std::size_t at = cells.begin(c)
                            + count[static_cast<std::size_t>(levelOf[static_cast<std::size_t>(j)])]++;
                        m_items[at] = j;
                        m_boxes[at] = box[k];
                    }
                }
            });
    }

    std::span<const Run> runs(const ContainerCells &cells, std::size_t cell) const
    {
        return {m_runs.data() + cells.begin(cell), m_runCount[cell]};
    }
    const int *items(const ContainerCells &cells, std::size_t cell) const
    {
        return m_items.data() + cells.begin(cell);
    }
    // Each item's box beside it, for walks that pass over most of them.
    const ContainerCells::Box *boxes(const ContainerCells &cells, std::size_t cell) const
    {
        return m_boxes.data() + cells.begin(cell);
    }

private:
    std::vector<int> m_items;
    std::vector<ContainerCells::Box> m_boxes;
    std::vector<Run> m_runs;
    std::vector<std::uint32_t> m_runCount;
};

// Leaves a thread takes at a time, and how often it looks at the stop.
constexpr std::size_t LeafGrain = 2048;
constexpr std::size_t LeafStopEvery = 256;
// Leaves that all see the same depths are worked by place from this many on.
constexpr std::size_t PlacedLeaves = 2 * LeafGrain;
// Passes after the first look only at the figures whose depth moved since
// the last one looked, when there are no more than this many.
constexpr std::size_t FewMoved = 512;

// The adoptions of the open figures. Nothing lies inside an open figure, so
// none of them moves a closed figure's depth or container: the closed
// figures' passes ran alone, and each open figure now takes the passes it
// would have taken among them, reading the closed figures' depths as they
// stood when the pass reached its place in the list. The passes go on while
// a closed or an open figure still changes, as the passes over all did.
// Containers are found from the grid cell of the figure's least corner, in
// list order; those no deeper than the figure's container are passed over
// untested, and the walk ends at a container of the greatest depth there is.
// leaves: the open figures, in list order.
void LeafContainers(std::vector<tfigura> &figures, const std::vector<std::size_t> &leaves,
                    const std::vector<PassDepths> &passes, const std::vector<PlanBox> &boxes,
                    const ContainerCells &cells, ContainerAids &aids, std::int32_t &maxDepth,
                    const PlanStop &stop)
{
    const std::size_t n = figures.size();
    if (leaves.empty() || passes.empty())
        return;
    // The leaves by the grid cell their walks read, and within a cell by
    // the place of their first vertex, row by row, which the raster lookups
    // read: neighbours then find the same lists and the same rows of the
    // same rasters at hand. Made when first worth it.
    std::vector<std::size_t> byPlace;
    const auto placeLeaves = [&] {
        struct Place
        {
            std::size_t cell = 0;
            std::int32_t y = 0;
            std::int32_t x = 0;
            std::size_t leaf = 0;
        };
        std::vector<Place> places;
        places.reserve(leaves.size());
        for (const std::size_t i : leaves) {
            const auto &points = figures[i].points;
            const TPlotPoint first = points.empty() ? TPlotPoint {} : points[0];
            places.push_back(Place {cells.leastCellOf(figures[i]), first.y, first.x, i});
        }
        std::sort(places.begin(), places.end(), [](const Place &a, const Place &b) {
            return std::tie(a.cell, a.y, a.x, a.leaf) < std::tie(b.cell, b.y, b.x, b.leaf);
        });
        byPlace.reserve(places.size());
        for (const Place &place : places)
            byPlace.push_back(place.leaf);
    };
    std::vector<std::size_t> order;
    if (cells.cellCount() == 0)
        return;

    // A container's spans and raster are made by the first thread that needs
    // them, once it has been tested often enough for them to pay off. What a
    // test reads of a container sits together: the tests go from container
    // to container all over a large drawing.
    // One cache line a container: most tests end at its raster.
    struct alignas(64) Tested
    {
        ParityRaster::Frame raster; // once `rastered`
        std::atomic<bool> rastered {false};
        std::atomic<std::uint32_t> uses {0};
        std::once_flag rasterMade;
        std::once_flag spansMade;
        const EdgeSpans *spans = nullptr;
        std::size_t points = 0;
    };
    std::vector<Tested> tested(n);
    std::vector<std::unique_ptr<EdgeSpans>> &spans = aids.spans;
    std::vector<std::unique_ptr<ParityRaster>> &rasters = aids.rasters;
    // The rasters the closed figures' tests made serve from the first test.
    ParallelChunks(n, 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t j = begin; j < end; ++j) {
            tested[j].points = figures[j].points.size();
            if (rasters[j]) {
                tested[j].raster = rasters[j]->frame();
                tested[j].rastered.store(true, std::memory_order_relaxed);
            }
        }
    });
    const auto inside = [&](std::size_t i, std::size_t j) {
        Tested &state = tested[j];
        const auto &own = figures[i].points;
        if (state.rastered.load(std::memory_order_acquire)) {
            if (!own.empty() && own.size() != state.points) {
                const int side = state.raster.side(own[0]);
                if (side >= 0)
                    return side == 1;
            }
        }
        // Counted only up to the raster's threshold: past it, threads only
        // read the count and do not fight over its cache line.
        std::uint32_t use = state.uses.load(std::memory_order_relaxed);
        if (use < LeafRasterQueries)
            use = state.uses.fetch_add(1, std::memory_order_relaxed) + 1;
        const auto &points = figures[j].points;
        if (use >= LeafRasterQueries) {
            std::call_once(state.rasterMade, [&] {
                if (!rasters[j] && ParityRaster::Fits(points)) {
                    rasters[j] = std::make_unique<ParityRaster>(points);
                    state.raster = rasters[j]->frame();
                    state.rastered.store(true, std::memory_order_release);
                }
            });
            const ParityRaster *raster = rasters[j].get();
            if (raster && !own.empty() && own.size() != points.size()) {
                const int side = raster->side(own[0]);
                if (side >= 0)
                    return side == 1;
            }
        }
        const EdgeSpans *spansOfJ = nullptr;
        if (points.size() >= SpannedPoints && use >= SpannedQueries) {
            std::call_once(state.spansMade, [&] {
                if (!spans[j])
                    spans[j] = std::make_unique<EdgeSpans>(points);
                state.spans = spans[j].get();
            });
            spansOfJ = state.spans;
        }
        return FigureInside(figures, static_cast<int>(i), static_cast<int>(j), spansOfJ);
    };

    std::vector<int> container(n, -1);
    std::vector<std::int32_t> adoptions(n, 0);
    std::mutex adoptionsHeld;
    // Within a pass, a closed figure the pass has not reached yet still has
    // the depth it started the pass with, unless a change made before the
    // leaf's place reached it; one the pass has passed is no deeper than it
    // ends the pass. The walk reads the levels by those depths on each side
    // of the leaf's place, and the figures changed ahead of their place
    // besides.
    std::unique_ptr<CellLevels> startLevels = std::make_unique<CellLevels>(cells, passes.front().start);
    // The levels a pass no longer reads, filled again for a later one.
    std::unique_ptr<CellLevels> spareLevels;
    // The places of each pass's first and last change, the passes after the
    // closed figures' last one changing nothing.
    std::vector<std::size_t> changedFrom(passes.size() + 1, n);
    std::vector<std::size_t> changedUntil(passes.size() + 1, 0);
    for (std::size_t p = 0; p < passes.size(); ++p) {
        for (const DepthChange &change : passes[p].changes) {
            changedFrom[p] = std::min(changedFrom[p], change.position);
            changedUntil[p] = std::max(changedUntil[p], change.position + 1);
        }
    }
    for (std::size_t pass = 0;; ++pass) {
        const PassDepths &state = passes[std::min(pass, passes.size() - 1)];
        const bool closedChanged = pass + 1 < passes.size();
        std::unique_ptr<CellLevels> endLevels;
        if (closedChanged && spareLevels) {
            spareLevels->fill(cells, passes[pass + 1].start);
            endLevels = std::move(spareLevels);
        } else if (closedChanged) {
            endLevels = std::make_unique<CellLevels>(cells, passes[pass + 1].start);
        }
        const CellLevels &before = endLevels ? *endLevels : *startLevels;
        const CellLevels &after = *startLevels;
        if (stop.requested())
            return;
        const std::int32_t deepestAtStart = *std::max_element(state.start.begin(), state.start.end());
        std::atomic<bool> leafChanged {false};
        if (pass > 0 && changedUntil[std::min(pass - 1, passes.size())] == 0
            && changedFrom[std::min(pass, passes.size())] == n)
            break; // no depth moved since the last pass: this one can change nothing

        // The closed figures this pass changes, by list place, with the place
        // of their last change.
        std::vector<std::pair<int, std::size_t>> lastChanged;
        for (const DepthChange &change : state.changes)
            lastChanged.emplace_back(change.figure, change.position);
        // Sorted by figure, then place: the last of each figure's run stays.
        std::sort(lastChanged.begin(), lastChanged.end());
        std::size_t kept = 0;
        for (std::size_t k = 0; k < lastChanged.size(); ++k) {
            if (k + 1 == lastChanged.size() || lastChanged[k + 1].first != lastChanged[k].first)
                lastChanged[kept++] = lastChanged[k];
        }
        lastChanged.resize(kept);
        // Before the first place where a depth changes this pass, or moved
        // in the last, or where a figure that changes this pass lies, every
        // leaf sees the same depths and the same figures changed: those
        // leaves go first, by place, and the rest in list order.
        std::size_t settled = std::min(changedFrom[std::min(pass, passes.size())],
                                       pass > 0 ? changedFrom[std::min(pass - 1, passes.size())] : n);
        if (!lastChanged.empty())
            settled = std::min(settled, static_cast<std::size_t>(lastChanged.front().first));
        // Only many leaves pay for being put in order.
        const bool placed = static_cast<std::size_t>(std::lower_bound(leaves.begin(), leaves.end(), settled)
                                                     - leaves.begin())
            >= PlacedLeaves;
        if (placed) {
            if (byPlace.empty())
                placeLeaves();
            order.resize(leaves.size());
            auto at = order.begin();
            for (const std::size_t i : byPlace) {
                if (i < settled)
                    *at++ = i;
            }
            for (const std::size_t i : leaves) {
                if (i >= settled)
                    *at++ = i;
            }
        }
        const std::vector<std::size_t> &sweep = placed ? order : leaves;
        // The leaves' work is uneven along the list: threads take blocks of
        // them in turn until none is left. Each thread sweeps its blocks in
        // that order, so what it knows of the depths at one leaf's place
        // carries on to the next block's leaves.
        const std::size_t blocks = (leaves.size() + LeafGrain - 1) / LeafGrain;
        std::atomic<std::size_t> nextBlock {0};
        const auto work = [&] {
            std::vector<std::int32_t> depth = state.start;
            std::int32_t deepest = deepestAtStart;
            auto change = state.changes.begin();
            auto passed = lastChanged.begin();
            std::vector<std::int32_t> counts(n, 0);
            // The figures whose depth now is not the level they are listed
            // at: those after the leaf's place changed before it, and those
            // before it that change again after it.
            std::vector<int> ahead;
            std::vector<std::pair<int, std::size_t>> behind;
            std::vector<int> odd;
            std::vector<int> oddByDepth;
            std::vector<std::size_t> oddStart;
            // Marks the figures in either list: they are not at the depth
            // they are listed at.
            std::vector<std::uint64_t> oddBits((n + 63) / 64, 0);
            const auto flipOdd = [&](int k) {
                oddBits[static_cast<std::size_t>(k) / 64] ^= std::uint64_t {1}
                    << (static_cast<std::size_t>(k) % 64);
            };
            const auto isOdd = [&](int k) {
                return (oddBits[static_cast<std::size_t>(k) / 64] >> (static_cast<std::size_t>(k) % 64)) & 1U;
            };
            // The closed figures whose depth moved between the last pass's
            // look at the leaf's place and this one's: only they can be
            // deeper now than the container the last pass left it in.
            const std::vector<DepthChange> *previous
                = pass > 0 && pass - 1 < passes.size() ? &passes[pass - 1].changes : nullptr;
            std::vector<std::uint32_t> moves(n, 0);
            std::vector<int> moved; // in list order
            // The same as bits, read for every container a walk passes.
            std::vector<std::uint64_t> movedBits(previous ? (n + 63) / 64 : 0, 0);
            const auto flip = [&](int k) {
                movedBits[static_cast<std::size_t>(k) / 64] ^= std::uint64_t {1}
                    << (static_cast<std::size_t>(k) % 64);
            };
            const auto move = [&](int k, bool in) {
                auto &count = moves[static_cast<std::size_t>(k)];
                if (in && count++ == 0) {
                    moved.insert(std::lower_bound(moved.begin(), moved.end(), k), k);
                    flip(k);
                } else if (!in && --count == 0) {
                    moved.erase(std::lower_bound(moved.begin(), moved.end(), k));
                    flip(k);
                }
            };
            auto earlier = previous ? previous->begin() : state.changes.end();
            if (previous) {
                for (const DepthChange &change : *previous) {
                    if (moves[static_cast<std::size_t>(change.figure)]++ == 0) {
                        moved.push_back(change.figure);
                        flip(change.figure);
                    }
                }
                std::sort(moved.begin(), moved.end());
            }
            // Past the first pass, the last look left each leaf in the
            // deepest container it had then: only one whose depth moved
            // since can now be deeper.
            const auto isMoved = [&](int k) {
                return (movedBits[static_cast<std::size_t>(k) / 64] >> (static_cast<std::size_t>(k) % 64))
                    & 1U;
            };
            bool changed = false;
            for (std::size_t b = nextBlock++; b < blocks; b = nextBlock++) {
                const std::size_t begin = b * LeafGrain;
                const std::size_t end = std::min(leaves.size(), begin + LeafGrain);
                for (std::size_t t = begin; t < end; ++t) {
                    if ((t - begin) % LeafStopEvery == 0 && stop.requested())
                        return;
                    const std::size_t i = sweep[t];
                    const int place = static_cast<int>(i);
                    {
                        const auto passedOver = std::lower_bound(ahead.begin(), ahead.end(), place);
                        for (auto k = ahead.begin(); k != passedOver; ++k)
                            flipOdd(*k);
                        ahead.erase(ahead.begin(), passedOver);
                    }
                    for (; previous && earlier != previous->end() && earlier->position < i; ++earlier)
                        move(earlier->figure, false);
                    for (; change != state.changes.end() && change->position < i; ++change) {
                        if (previous)
                            move(change->figure, true);
                        depth[static_cast<std::size_t>(change->figure)] = change->depth;
                        deepest = std::max(deepest, change->depth);
                        const auto next = std::lower_bound(ahead.begin(), ahead.end(), change->figure);
                        if (change->figure > place && (next == ahead.end() || *next != change->figure)) {
                            ahead.insert(next, change->figure);
                            flipOdd(change->figure);
                        }
                    }
                    for (; passed != lastChanged.end() && passed->first < place; ++passed) {
                        behind.push_back(*passed);
                        flipOdd(passed->first);
                    }
                    std::erase_if(behind, [&](const std::pair<int, std::size_t> &k) {
                        if (k.second >= i)
                            return false;
                        flipOdd(k.first);
                        return true;
                    });
                    // With the depths as the last pass saw them here, the last
                    // pass left the figure in the deepest container it has.
                    if (pass > 0 && i >= changedUntil[std::min(pass - 1, passes.size())]
                        && i < changedFrom[std::min(pass, passes.size())])
                        continue;
                    const tfigura &fi = figures[i];
                    int c = container[i];
                    // The first pass looked at every box holding the figure.
                    if (pass > 0 && c == -1)
                        continue;
                    if (c != -1 && depth[static_cast<std::size_t>(c)] >= deepest)
                        continue;
                    const std::size_t cell = cells.leastCellOf(fi);
                    if (cell == ContainerCells::NoCell)
                        continue;
                    if (pass > 0 && moved.size() <= FewMoved) {
                        for (const int j : moved) {
                            const auto uj = static_cast<std::size_t>(j);
                            if (depth[uj] <= depth[static_cast<std::size_t>(c)] || boxes[uj].empty()
                                || !BoxStrictlyInside(fi, boxes[uj]) || !inside(i, uj))
                                continue;
                            c = j;
                            ++counts[uj];
                            if (depth[uj] >= deepest)
                                break;
                        }
                        if (c != container[i]) {
                            container[i] = c;
                            changed = true;
                        }
                        continue;
                    }
                    // The first container, in list order, of a figure that has none.
                    int from = -1;
                    if (c == -1) {
                        const std::span<const int> items = cells.items(cell);
                        const ContainerCells::Box *box = cells.boxes(cell);
                        for (std::size_t k = 0; k < items.size(); ++k) {
                            if (BoxStrictlyInside(fi, box[k])
                                && inside(i, static_cast<std::size_t>(items[k]))) {
                                c = items[k];
                                ++counts[static_cast<std::size_t>(c)];
                                break;
                            }
                        }
                        if (c != -1 && depth[static_cast<std::size_t>(c)] < deepest)
                            from = c;
                    }
                    if (c != -1 && depth[static_cast<std::size_t>(c)] < deepest) {
                        // The pass adopts, in list order, each container deeper
                        // than all before it: the first of each depth that comes
                        // before the first of every greater depth. Depth by depth
                        // from the greatest, each first is looked for only before
                        // the earliest found so far.
                        const std::int32_t floor = depth[static_cast<std::size_t>(c)];
                        // The odd ones that may count, in list order: those
                        // behind the leaf's place, then those ahead of it.
                        odd.clear();
                        const auto mayCount = [&](int k) {
                            return k > from && depth[static_cast<std::size_t>(k)] > floor
                                && !boxes[static_cast<std::size_t>(k)].empty();
                        };
                        for (const auto &k : behind) {
                            if (mayCount(k.first))
                                odd.push_back(k.first);
                        }
                        for (const int k : ahead) {
                            if (mayCount(k))
                                odd.push_back(k);
                        }
                        const auto beforeRuns = before.runs(cells, cell);
                        const auto afterRuns = after.runs(cells, cell);
                        std::int32_t top = floor;
                        for (const int k : odd)
                            top = std::max(top, depth[static_cast<std::size_t>(k)]);
                        if (!beforeRuns.empty())
                            top = std::max(top, beforeRuns.back().level);
                        if (!afterRuns.empty())
                            top = std::max(top, afterRuns.back().level);
                        // The odd ones by their depth now, each depth's in list order.
                        oddStart.assign(static_cast<std::size_t>(top - floor) + 1, 0);
                        for (const int k : odd)
                            ++oddStart[static_cast<std::size_t>(depth[static_cast<std::size_t>(k)] - floor)];
                        for (std::size_t d = 1; d < oddStart.size(); ++d)
                            oddStart[d] += oddStart[d - 1];
                        oddByDepth.resize(odd.size());
                        for (auto k = odd.rbegin(); k != odd.rend(); ++k)
                            oddByDepth[--oddStart[static_cast<std::size_t>(depth[static_cast<std::size_t>(*k)]
                                                                           - floor)]]
                                = *k;
                        oddStart.push_back(odd.size());
                        // Where in each list its run of a level starts.
                        const auto runOf
                            = [&](const CellLevels &levels, std::span<const CellLevels::Run> runs,
                                  std::int32_t level) -> std::span<const int> {
                            const int *at = levels.items(cells, cell);
                            for (const CellLevels::Run run : runs) {
                                if (run.level == level)
                                    return {at, run.size};
                                at += run.size;
                            }
                            return {at, 0};
                        };
                        const auto boxOf
                            = [&](const CellLevels &levels, std::span<const int> run, const int *at) {
                                  return levels.boxes(cells, cell) + (run.data() - levels.items(cells, cell))
                                      + (at - run.data());
                              };
                        int limit = std::numeric_limits<int>::max();
                        int deepestFound = -1;
                        for (std::int32_t level = top; level > floor; --level) {
                            // This level's figures in list order: the listed
                            // ones, and the odd ones now at this depth in place
                            // of those listed at a depth they do not have now.
                            const std::span<const int> early = runOf(before, beforeRuns, level);
                            const std::span<const int> late = runOf(after, afterRuns, level);
                            // Most walks start at a list's first figure, and
                            // the searches would reach far into each list.
                            const int *e = early.data();
                            const int *eEnd = early.data() + early.size();
                            if (e != eEnd && *e <= from)
                                e = std::upper_bound(e, eEnd, from);
                            if (e != eEnd && eEnd[-1] >= place)
                                eEnd = *e >= place ? e : std::lower_bound(e, eEnd, place);
                            const int *l = late.data();
                            const int *lEnd = late.data() + late.size();
                            if (l != lEnd && *l <= std::max(from, place))
                                l = std::upper_bound(l, lEnd, std::max(from, place));
                            const ContainerCells::Box *eBox = boxOf(before, early, e);
                            const ContainerCells::Box *lBox = boxOf(after, late, l);
                            const auto d = static_cast<std::size_t>(level - floor);
                            const int *o = oddByDepth.data() + oddStart[d];
                            const int *oEnd = oddByDepth.data() + oddStart[d + 1];
                            for (;;) {
                                if (!ahead.empty() || !behind.empty()) {
                                    while (e != eEnd && isOdd(*e))
                                        ++e, ++eBox;
                                    if (e == eEnd) {
                                        while (l != lEnd && isOdd(*l))
                                            ++l, ++lBox;
                                    }
                                }
                                int j = 0;
                                ContainerCells::Box box;
                                if (o != oEnd && (e == eEnd ? l == lEnd || *o < *l : *o < *e)) {
                                    j = *o++;
                                    const PlanBox &b = boxes[static_cast<std::size_t>(j)];
                                    box = ContainerCells::Box {
                                        static_cast<std::int32_t>(b.minX), static_cast<std::int32_t>(b.minY),
                                        static_cast<std::int32_t>(b.maxX), static_cast<std::int32_t>(b.maxY)};
                                } else if (e != eEnd) {
                                    j = *e++;
                                    box = *eBox++;
                                } else if (l != lEnd) {
                                    j = *l++;
                                    box = *lBox++;
                                } else {
                                    break;
                                }
                                if (j >= limit)
                                    break;
                                if (!BoxStrictlyInside(fi, box) || (previous && !isMoved(j))
                                    || !inside(i, static_cast<std::size_t>(j)))
                                    continue;
                                limit = j;
                                if (deepestFound == -1)
                                    deepestFound = j;
                                ++counts[static_cast<std::size_t>(j)];
                                break;
                            }
                        }
                        if (deepestFound != -1)
                            c = deepestFound;
                    }
                    if (c != container[i]) {
                        container[i] = c;
                        changed = true;
                    }
                }
            }
            const std::lock_guard<std::mutex> lock(adoptionsHeld);
            for (std::size_t j = 0; j < n; ++j)
                adoptions[j] += counts[j];
            if (changed)
                leafChanged = true;
        };
        ParallelChunks(std::min<std::size_t>(blocks, 8), 1, [&](std::size_t, std::size_t) { work(); });
        if (stop.requested())
            return;
        if (!leafChanged && !closedChanged)
            break;
        if (endLevels) {
            spareLevels = std::move(startLevels);
            startLevels = std::move(endLevels);
        }
    }

    // Into the figures' records, on a few threads.
    const std::vector<std::int32_t> &depth = passes.back().start;
    ParallelChunks(n, 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t j = begin; j < end; ++j) {
            if (adoptions[j] != 0)
                figures[j].childCount += adoptions[j];
        }
    });
    std::mutex deepest;
    ParallelChunks(leaves.size(), 16384, [&](std::size_t begin, std::size_t end) {
        std::int32_t deepestHere = std::numeric_limits<std::int32_t>::min();
        for (std::size_t k = begin; k < end; ++k) {
            tfigura &fi = figures[leaves[k]];
            fi.container = container[leaves[k]];
            if (fi.container != -1) {
                fi.depth = depth[static_cast<std::size_t>(fi.container)] + 1;
                deepestHere = std::max(deepestHere, fi.depth);
            }
        }
        const std::lock_guard lock(deepest);
        maxDepth = std::max(maxDepth, deepestHere);
    });
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
    // One walk over the figures' records, which a large drawing has to
    // fetch from memory, on a few threads: each starts outermost, the closed
    // ones give their boxes, indexed once for the closed and the open
    // figures' containers. Their flags, side by side, then list them for the
    // passes below (on a drawing of many lines and arcs, looking at every
    // record for its flag would cost a pass more than its work).
    const std::size_t n = figures.size();
    std::vector<PlanBox> boxes(n);
    std::vector<std::uint8_t> open(n);
    ParallelChunks(n, 16384, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k) {
            tfigura &f = figures[k];
            f.depth = 0;
            f.container = -1;
            f.childCount = 0;
            open[k] = f.open ? 1 : 0;
            if (!f.open && f.minX <= f.maxX && f.minY <= f.maxY)
                boxes[k] = PlanBox {f.minX, f.minY, f.maxX, f.maxY};
        }
    });
    std::vector<std::size_t> closed;
    std::vector<std::size_t> leaves;
    for (std::size_t k = 0; k < n; ++k)
        (open[k] ? leaves : closed).push_back(k);
    const ContainerCells cells(
        boxes, std::max<std::int64_t>(std::int64_t {1} << 22, 16 * static_cast<std::int64_t>(n)));
    ContainerAids aids(n);
    if (leaves.size() >= ManyLeaves)
        aids.rasterQueries = LeafRasterQueries;
    const std::vector<std::vector<int>> inside = InsideRelation(figures, closed, boxes, cells, aids, stop);
    if (stop.requested())
        return;

    // The passes only ever adopt along the inside relation, so running them
    // over its pairs alone, in the same order, gives the same adoptions.
    // These are the closed figures' passes; the open figures follow them.
    std::vector<std::set<int>> children(figures.size());
    // The depths side by side, as a pass reads one for every pair.
    std::vector<std::int32_t> depth(figures.size(), 0);
    // Kept only for the open figures to read.
    std::vector<PassDepths> passes;
    const bool anyOpen = !leaves.empty();
    std::size_t position = 0;
    std::vector<int> stack;
    const auto propagateDepth = [&](int i) {
        stack.assign(1, i);
        while (!stack.empty()) {
            const int k = stack.back();
            stack.pop_back();
            maxDepth = std::max(maxDepth, depth[k]);
            if (anyOpen)
                passes.back().changes.push_back(DepthChange {position, k, depth[k]});
            for (int child : children[k]) {
                depth[child] = figures[child].depth = depth[k] + 1;
                stack.push_back(child);
            }
        }
    };

    bool changed = true;
    while (changed && !stop.requested()) {
        changed = false;
        passes.push_back(anyOpen ? PassDepths {depth, {}} : PassDepths {});
        for (const std::size_t i : closed) {
            if (stop.requested())
                break;
            // A figure inside none keeps its container: its record is not
            // read.
            if (inside[i].empty())
                continue;
            position = i;
            // No figure i may be adopted by lies inside i, so none of their
            // depths moves while i is worked: each adoption counts at once,
            // and the depth of the last reaches i's descendants once (the
            // depths of the earlier ones were only lower).
            int container = figures[i].container;
            for (int j : inside[i]) {
                if (container != -1 && depth[j] <= depth[container])
                    continue;
                container = j;
                figures[j].childCount += 1;
            }
            tfigura &fi = figures[i];
            if (container == fi.container)
                continue;
            if (fi.container != -1)
                children[fi.container].erase(static_cast<int>(i));
            fi.container = container;
            children[container].insert(static_cast<int>(i));
            depth[i] = fi.depth = depth[container] + 1;
            propagateDepth(static_cast<int>(i));
            changed = true;
        }
    }
    if (stop.requested())
        return;
    LeafContainers(figures, leaves, passes, boxes, cells, aids, maxDepth, stop);
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
    // Each figure's own vertices only: a few threads take runs of figures.
    const auto points = [&](std::size_t k) { return figures[k].vertexInfo.size() + 1; };
    ParallelChunksByWeight(figures.size(), points, 65536, [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end && !stop.requested(); ++k) {
            tfigura &f = figures[k];
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
    });
}
