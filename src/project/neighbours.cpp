#include "project/neighbours.h"

#include "drawing/geometry.h"
#include "project/flatplan.h"

#include <queue>

#include <algorithm>
#include <cmath>

std::int64_t NeighbourKey(const std::vector<tfigura> &figures, int a, int b)
{
    const tfigura &fa = figures[a];
    const tfigura &fb = figures[b];
    auto key = static_cast<std::int64_t>(std::nearbyint(
        PointDistance(TPlotPoint {fa.centreX, fa.centreY}, TPlotPoint {fb.centreX, fb.centreY})));
    if (fa.depth > fb.depth)
        key += 500000000;
    if (fb.container == a)
        key += 500000000;
    return key;
}

namespace {

using Keyed = std::pair<std::int64_t, int>; // (key, figure): the order of the slots

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
    void nearest(int a, std::priority_queue<Keyed> &heap) const
    {
        const tfigura &fa = m_figures[a];
        const std::int64_t cx = column(fa.centreX);
        const std::int64_t cy = row(fa.centreY);
        const std::int64_t lastRing = std::max({cx, m_columns - 1 - cx, cy, m_rows - 1 - cy});
        for (std::int64_t ring = 0; ring <= lastRing; ++ring) {
            if (ring >= 1 && heap.size() == flatplan::NeighbourSlotCount) {
                // Every centre in this ring or beyond is at least this far.
                const std::int64_t reach = (ring - 1) * m_cell;
                if (reach > heap.top().first)
                    return;
            }
            for (std::int64_t y = cy - ring; y <= cy + ring; ++y) {
                if (y < 0 || y >= m_rows)
                    continue;
                const bool edgeRow = y == cy - ring || y == cy + ring;
                const std::int64_t step = edgeRow ? 1 : std::max<std::int64_t>(1, 2 * ring);
                for (std::int64_t x = cx - ring; x <= cx + ring; x += step) {
                    if (x < 0 || x >= m_columns)
                        continue;
                    const auto c = static_cast<std::size_t>(cellIndex(x, y));
                    for (int k = m_start[c]; k < m_start[c + 1]; ++k)
                        offer(a, m_items[static_cast<std::size_t>(k)], heap);
                }
            }
        }
    }

    void offer(int a, int b, std::priority_queue<Keyed> &heap) const
    {
        const Keyed item {NeighbourKey(m_figures, a, b), b};
        if (heap.size() < flatplan::NeighbourSlotCount) {
            heap.push(item);
        } else if (item < heap.top()) {
            heap.pop();
            heap.push(item);
        }
    }

private:
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
    std::priority_queue<Keyed> heap;
    std::vector<Keyed> sorted;
    for (int a = 0; a < static_cast<int>(figures.size()); ++a) {
        heap = {};
        if (grid.inside(figures[a])) {
            grid.nearest(a, heap);
        } else {
            // A centre outside the grid (a connector's) has no cell to start
            // the rings from: look at every figure.
            for (int b = 0; b < static_cast<int>(figures.size()); ++b)
                grid.offer(a, b, heap);
        }
        sorted.clear();
        for (; !heap.empty(); heap.pop())
            sorted.push_back(heap.top());
        std::reverse(sorted.begin(), sorted.end());
        auto &slots = figures[a].neighbourSlots;
        for (std::size_t s = 0; s < slots.size(); ++s)
            slots[s] = s < sorted.size() ? sorted[s].second : -1;
    }
}
