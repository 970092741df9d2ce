#include "project/neighbours.h"

#include "drawing/geometry.h"
#include "project/flatplan.h"

#include <algorithm>
#include <cmath>

namespace {

// The rounded distance of two centres, as PointDistance rounds it, without
// its extended-precision root where that cannot matter: below 2^21 units the
// root of an integer lies at least 0.25 / 2^22 from any half, far beyond the
// rounding of a double root, so both roots round to the same integer.
std::int64_t RoundedDistance(const tfigura &fa, const tfigura &fb)
{
    const std::int64_t dx = std::int64_t(fb.centreX) - fa.centreX;
    const std::int64_t dy = std::int64_t(fb.centreY) - fa.centreY;
    constexpr std::int64_t Near = std::int64_t(1) << 20;
    if (dx > -Near && dx < Near && dy > -Near && dy < Near)
        return static_cast<std::int64_t>(std::nearbyint(std::sqrt(static_cast<double>(dx * dx + dy * dy))));
    return static_cast<std::int64_t>(std::nearbyint(
        PointDistance(TPlotPoint {fa.centreX, fa.centreY}, TPlotPoint {fb.centreX, fb.centreY})));
}

} // namespace

std::int64_t NeighbourKey(const std::vector<tfigura> &figures, int a, int b)
{
    const tfigura &fa = figures[a];
    const tfigura &fb = figures[b];
    std::int64_t key = RoundedDistance(fa, fb);
    if (fa.depth > fb.depth)
        key += 500000000;
    if (fb.container == a)
        key += 500000000;
    return key;
}

namespace {

using Keyed = std::pair<std::int64_t, int>; // (key, figure): the order of the slots

// The least keys offered so far, at most one per slot, in ascending order;
// its storage serves figure after figure.
class LeastKeys
{
public:
    void clear() { m_sorted.clear(); }
    bool full() const { return m_sorted.size() == flatplan::NeighbourSlotCount; }
    const Keyed &largest() const { return m_sorted.back(); }
    void add(const Keyed &item)
    {
        if (full()) {
            if (!(item < m_sorted.back()))
                return;
            m_sorted.pop_back();
        }
        m_sorted.insert(std::lower_bound(m_sorted.begin(), m_sorted.end(), item), item);
    }
    const std::vector<Keyed> &sorted() const { return m_sorted; }

private:
    std::vector<Keyed> m_sorted;
};

class CentreGrid
{
public:
    explicit CentreGrid(const std::vector<tfigura> &figures)
        : m_figures(figures)
    {
        // Connectors keep a centre of (0, 0); the grid spans the other
        // figures and clamps the few outliers into its border cells.
        bool any = false;
        for (const tfigura &f : figures) {
            if (f.generatedKind == 3)
                continue;
            widen(f, any);
        }
        if (!any) {
            for (const tfigura &f : figures)
                widen(f, any);
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
        for (std::size_t k = 0; k < figures.size(); ++k) {
            cellOf[k] = cellIndex(column(figures[k].centreX), row(figures[k].centreY));
            ++m_start[static_cast<std::size_t>(cellOf[k]) + 1];
        }
        for (std::size_t c = 1; c < m_start.size(); ++c)
            m_start[c] += m_start[c - 1];
        m_items.resize(figures.size());
        std::vector<int> fill(m_start.begin(), m_start.end() - 1);
        for (std::size_t k = 0; k < figures.size(); ++k)
            m_items[static_cast<std::size_t>(fill[static_cast<std::size_t>(cellOf[k])]++)]
                = static_cast<int>(k);
    }

    bool inside(const tfigura &f) const
    {
        return f.centreX >= m_minX && f.centreX <= m_maxX && f.centreY >= m_minY && f.centreY <= m_maxY;
    }

    // The 22 smallest (key, figure) of figure a, by rings of cells around
    // a's cell until no unseen cell can hold a smaller key.
    void nearest(int a, LeastKeys &heap) const
    {
        const tfigura &fa = m_figures[a];
        const std::int64_t cx = column(fa.centreX);
        const std::int64_t cy = row(fa.centreY);
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
                    if (x < 0 || x >= m_columns || farther(fa, x, y, heap))
                        continue;
                    const auto c = static_cast<std::size_t>(cellIndex(x, y));
                    for (int k = m_start[c]; k < m_start[c + 1]; ++k)
                        offer(a, m_items[static_cast<std::size_t>(k)], heap);
                }
            }
        }
    }

    void offer(int a, int b, LeastKeys &heap) const
    {
        if (!heap.full()) {
            heap.add(Keyed {NeighbourKey(m_figures, a, b), b});
            return;
        }
        // A key is at least the rounded centre distance: a centre more than
        // two units beyond the largest key kept cannot come before it.
        const tfigura &fa = m_figures[a];
        const tfigura &fb = m_figures[b];
        const double dx = static_cast<double>(fb.centreX) - fa.centreX;
        const double dy = static_cast<double>(fb.centreY) - fa.centreY;
        if (dx * dx + dy * dy > Beyond(heap.largest().first))
            return;
        heap.add(Keyed {NeighbourKey(m_figures, a, b), b});
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
    bool farther(const tfigura &fa, std::int64_t x, std::int64_t y, const LeastKeys &heap) const
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
        const double gx = gap(fa.centreX, left, left + m_cell - 1);
        const double gy = gap(fa.centreY, bottom, bottom + m_cell - 1);
        return gx * gx + gy * gy > Beyond(heap.largest().first);
    }

    void widen(const tfigura &f, bool &any)
    {
        if (!any) {
            m_minX = m_maxX = f.centreX;
            m_minY = m_maxY = f.centreY;
            any = true;
            return;
        }
        m_minX = std::min<std::int64_t>(m_minX, f.centreX);
        m_maxX = std::max<std::int64_t>(m_maxX, f.centreX);
        m_minY = std::min<std::int64_t>(m_minY, f.centreY);
        m_maxY = std::max<std::int64_t>(m_maxY, f.centreY);
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

    const std::vector<tfigura> &m_figures;
    std::int64_t m_minX = 0;
    std::int64_t m_minY = 0;
    std::int64_t m_maxX = 0;
    std::int64_t m_maxY = 0;
    std::int64_t m_cell = 1;
    std::int64_t m_columns = 1;
    std::int64_t m_rows = 1;
    std::vector<int> m_start;
    std::vector<int> m_items;
};

} // namespace

void OrderByDistance(std::vector<tfigura> &figures)
{
    if (figures.empty())
        return;
    const CentreGrid grid(figures);
    LeastKeys heap;
    for (int a = 0; a < static_cast<int>(figures.size()); ++a) {
        heap.clear();
        if (grid.inside(figures[a])) {
            grid.nearest(a, heap);
        } else {
            // A centre outside the grid (a connector's) has no cell to start
            // the rings from: look at every figure.
            for (int b = 0; b < static_cast<int>(figures.size()); ++b)
                grid.offer(a, b, heap);
        }
        const std::vector<Keyed> &sorted = heap.sorted();
        auto &slots = figures[a].neighbourSlots;
        for (std::size_t s = 0; s < slots.size(); ++s)
            slots[s] = s < sorted.size() ? sorted[s].second : -1;
    }
}
