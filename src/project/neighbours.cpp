#include "project/neighbours.h"

#include "drawing/geometry.h"
#include "project/flatplan.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace {

// What a neighbour key reads of a figure, kept together so that the search
// runs through a few compact records instead of whole figures.
struct Centre
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t depth = 0;
    std::int32_t container = -1;
    int figure = -1;
};

Centre CentreOf(const std::vector<tfigura> &figures, int k)
{
    const tfigura &f = figures[static_cast<std::size_t>(k)];
    return Centre {f.centreX, f.centreY, f.depth, f.container, k};
}

// The rounded distance of two centres, as PointDistance rounds it, without
// its extended-precision root where that cannot matter: below 2^21 units the
// root of an integer lies at least 0.25 / 2^22 from any half, far beyond the
// rounding of a double root, so both roots round to the same integer.
std::int64_t RoundedDistance(const Centre &a, const Centre &b)
{
    const std::int64_t dx = std::int64_t(b.x) - a.x;
    const std::int64_t dy = std::int64_t(b.y) - a.y;
    constexpr std::int64_t Near = std::int64_t(1) << 20;
    if (dx > -Near && dx < Near && dy > -Near && dy < Near)
        return static_cast<std::int64_t>(std::nearbyint(std::sqrt(static_cast<double>(dx * dx + dy * dy))));
    return static_cast<std::int64_t>(
        std::nearbyint(PointDistance(TPlotPoint {a.x, a.y}, TPlotPoint {b.x, b.y})));
}

// Shallower figures and a's own children come after all others.
std::int64_t Penalty(const Centre &a, const Centre &b)
{
    std::int64_t penalty = 0;
    if (a.depth > b.depth)
        penalty += 500000000;
    if (b.container == a.figure)
        penalty += 500000000;
    return penalty;
}

std::int64_t Key(const Centre &a, const Centre &b)
{
    return RoundedDistance(a, b) + Penalty(a, b);
}

} // namespace

std::int64_t NeighbourKey(const std::vector<tfigura> &figures, int a, int b)
{
    return Key(CentreOf(figures, a), CentreOf(figures, b));
}

namespace {

using Keyed = std::pair<std::int64_t, int>; // (key, figure): the order of the slots

// The least keys offered so far, at most one per slot, in ascending order;
// its storage serves figure after figure.
class LeastKeys
{
public:
    void clear() { m_count = 0; }
    bool full() const { return m_count == flatplan::NeighbourSlotCount; }
    const Keyed &largest() const { return m_sorted[m_count - 1]; }
    // Into its place from the end, the largest dropped when full: most
    // offers that come in land near the end.
    void add(const Keyed &item)
    {
        std::size_t at = m_count;
        if (full()) {
            if (!(item < m_sorted[m_count - 1]))
                return;
            --at;
        } else {
            ++m_count;
        }
        for (; at > 0 && item < m_sorted[at - 1]; --at)
            m_sorted[at] = m_sorted[at - 1];
        m_sorted[at] = item;
    }
    std::span<const Keyed> sorted() const { return {m_sorted.data(), m_count}; }

private:
    std::array<Keyed, flatplan::NeighbourSlotCount> m_sorted {};
    std::size_t m_count = 0;
};

class CentreGrid
{
public:
    explicit CentreGrid(const std::vector<tfigura> &figures)
    {
        // What the grid needs of each figure, read from its record once, on
        // a few threads: the records of a large drawing lie all over memory.
        std::vector<Centre> centres(figures.size());
        std::vector<std::uint8_t> generated(figures.size());
        ParallelChunks(figures.size(), 16384, [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end; ++k) {
                centres[k] = CentreOf(figures, static_cast<int>(k));
                generated[k] = figures[k].generatedKind == 3 ? 1 : 0;
            }
        });
        // Connectors keep a centre of (0, 0); the grid spans the other
        // figures and clamps the few outliers into its border cells.
        bool any = false;
        for (std::size_t k = 0; k < centres.size(); ++k) {
            if (!generated[k])
                widen(centres[k], any);
        }
        if (!any) {
            for (const Centre &c : centres)
                widen(c, any);
        }
        const std::int64_t count = std::max<std::int64_t>(1, static_cast<std::int64_t>(figures.size()));
        const long double w = static_cast<long double>(m_maxX - m_minX) + 1;
        const long double h = static_cast<long double>(m_maxY - m_minY) + 1;
        m_cell
            = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(std::sqrt(w * h * 2 / count))));
        for (;;) {
            m_columns = (m_maxX - m_minX) / m_cell + 1;
            m_rows = (m_maxY - m_minY) / m_cell + 1;
            if (m_columns * m_rows <= 4 * count + 16)
                break;
            m_cell *= 2;
        }
        std::vector<std::int64_t> cellOf(figures.size());
        m_start.assign(static_cast<std::size_t>(m_columns * m_rows) + 1, 0);
        for (std::size_t k = 0; k < centres.size(); ++k) {
            cellOf[k] = cellIndex(column(centres[k].x), row(centres[k].y));
            ++m_start[static_cast<std::size_t>(cellOf[k]) + 1];
        }
        for (std::size_t c = 1; c < m_start.size(); ++c)
            m_start[c] += m_start[c - 1];
        m_items.resize(figures.size());
        std::vector<int> fill(m_start.begin(), m_start.end() - 1);
        for (std::size_t k = 0; k < centres.size(); ++k)
            m_items[static_cast<std::size_t>(fill[static_cast<std::size_t>(cellOf[k])]++)] = centres[k];
    }

    // Every figure, cell by cell: neighbours come up one after another.
    const std::vector<Centre> &items() const { return m_items; }

    bool inside(const Centre &c) const
    {
        return c.x >= m_minX && c.x <= m_maxX && c.y >= m_minY && c.y <= m_maxY;
    }

    // The 22 smallest (key, figure) of figure a, by rings of cells around
    // a's cell until no unseen cell can hold a smaller key.
    void nearest(const Centre &a, LeastKeys &heap) const
    {
        const std::int64_t cx = column(a.x);
        const std::int64_t cy = row(a.y);
        const std::int64_t lastRing = std::max({cx, m_columns - 1 - cx, cy, m_rows - 1 - cy});
        for (std::int64_t ring = 0; ring <= lastRing; ++ring) {
            if (ring >= 1 && heap.full()) {
                // Every centre in this ring or beyond is at least this far.
                const std::int64_t reach = (ring - 1) * m_cell;
                if (reach > heap.largest().first)
                    return;
            }
            for (std::int64_t y = cy - ring; y <= cy + ring; ++y) {
                if (y < 0 || y >= m_rows)
                    continue;
                const bool edgeRow = y == cy - ring || y == cy + ring;
                const std::int64_t step = edgeRow ? 1 : std::max<std::int64_t>(1, 2 * ring);
                for (std::int64_t x = cx - ring; x <= cx + ring; x += step) {
                    if (x < 0 || x >= m_columns || farther(a, x, y, heap))
                        continue;
                    const auto c = static_cast<std::size_t>(cellIndex(x, y));
                    for (int k = m_start[c]; k < m_start[c + 1]; ++k)
                        offer(a, m_items[static_cast<std::size_t>(k)], heap);
                }
            }
        }
    }

    static void offer(const Centre &a, const Centre &b, LeastKeys &heap)
    {
        const std::int64_t penalty = Penalty(a, b);
        if (heap.full()) {
            // A key is at least the rounded centre distance and the penalty:
            // a centre more than two units beyond what the largest key kept
            // leaves cannot come before it.
            const std::int64_t room = heap.largest().first - penalty;
            if (room < 0)
                return;
            const double dx = static_cast<double>(b.x) - a.x;
            const double dy = static_cast<double>(b.y) - a.y;
            if (dx * dx + dy * dy > Beyond(room))
                return;
        }
        heap.add(Keyed {RoundedDistance(a, b) + penalty, b.figure});
    }

private:
    // The squared distance beyond which a centre's key exceeds `key`, with
    // room for the rounding of squares and roots in doubles.
    static double Beyond(std::int64_t key)
    {
        const double d = static_cast<double>(key) + 2;
        return d * d;
    }

    // No centre in cell (x, y) can come before the keys kept.
    bool farther(const Centre &a, std::int64_t x, std::int64_t y, const LeastKeys &heap) const
    {
        if (!heap.full())
            return false;
        const auto gap = [](std::int64_t v, std::int64_t low, std::int64_t high) {
            return static_cast<double>(v < low ? low - v : v > high ? v - high : 0);
        };
        const std::int64_t left = m_minX + x * m_cell;
        const std::int64_t bottom = m_minY + y * m_cell;
        // Border cells also hold the centres clamped into them.
        const bool border = x == 0 || y == 0 || x == m_columns - 1 || y == m_rows - 1;
        if (border)
            return false;
        const double gx = gap(a.x, left, left + m_cell - 1);
        const double gy = gap(a.y, bottom, bottom + m_cell - 1);
        return gx * gx + gy * gy > Beyond(heap.largest().first);
    }

    void widen(const Centre &c, bool &any)
    {
        if (!any) {
            m_minX = m_maxX = c.x;
            m_minY = m_maxY = c.y;
            any = true;
            return;
        }
        m_minX = std::min<std::int64_t>(m_minX, c.x);
        m_maxX = std::max<std::int64_t>(m_maxX, c.x);
        m_minY = std::min<std::int64_t>(m_minY, c.y);
        m_maxY = std::max<std::int64_t>(m_maxY, c.y);
    }
    std::int64_t column(std::int64_t x) const
    {
        return std::clamp<std::int64_t>((x - m_minX) / m_cell, 0, m_columns - 1);
    }
    std::int64_t row(std::int64_t y) const
    {
        return std::clamp<std::int64_t>((y - m_minY) / m_cell, 0, m_rows - 1);
    }
    std::int64_t cellIndex(std::int64_t x, std::int64_t y) const { return y * m_columns + x; }

    std::int64_t m_minX = 0;
    std::int64_t m_minY = 0;
    std::int64_t m_maxX = 0;
    std::int64_t m_maxY = 0;
    std::int64_t m_cell = 1;
    std::int64_t m_columns = 1;
    std::int64_t m_rows = 1;
    std::vector<int> m_start;
    std::vector<Centre> m_items; // cell by cell
};

} // namespace

void OrderByDistance(std::vector<tfigura> &figures, const PlanStop &stop)
{
    if (figures.empty())
        return;
    const CentreGrid grid(figures);
    const std::vector<Centre> &items = grid.items();
    // Every figure's slots depend on the centres alone: chunks of them on
    // their own threads, each with its own list of keys.
    ParallelChunks(items.size(), 1024, [&](std::size_t begin, std::size_t end) {
        LeastKeys heap;
        for (std::size_t k = begin; k < end && !stop.requested(); ++k) {
            const Centre &a = items[k];
            heap.clear();
            if (grid.inside(a)) {
                grid.nearest(a, heap);
            } else {
                // A centre outside the grid (a connector's) has no cell to
                // start the rings from: look at every figure.
                for (int b = 0; b < static_cast<int>(figures.size()); ++b)
                    CentreGrid::offer(a, CentreOf(figures, b), heap);
            }
            const std::span<const Keyed> sorted = heap.sorted();
            auto &neighbourSlots = figures[static_cast<std::size_t>(a.figure)].neighbourSlots;
            for (std::size_t s = 0; s < neighbourSlots.size(); ++s)
                neighbourSlots[s] = s < sorted.size() ? sorted[s].second : -1;
        }
    });
}
