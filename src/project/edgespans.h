#pragma once

// The edges of one polyline by their spans along x, for the question which
// edges a vertical line meets. A containment test counts, for a vertex of one
// figure, the edges of another that pass above and below it: only the edges
// whose span holds the vertex's x take part, a handful of a ring's thousands.
// The figure's width is cut into columns, each listing the edges that reach
// into it, so one column answers a vertical; the few edges wider than a
// few columns are listed once and looked at by every vertical instead.

#include "drawing/figure.h"

#include <cstdint>
#include <vector>

class EdgeSpans
{
public:
    // The edges k -> k + 1 of the points.
    explicit EdgeSpans(const std::vector<TPlotPoint> &points);

    // Calls visit(k) for every edge k -> k + 1 of the same points whose span
    // holds x: min x <= x < max x, so vertical and zero-length edges never.
    // Each once, in no particular order.
    template<class Visit>
    void forEdgesAt(const std::vector<TPlotPoint> &points, std::int64_t x, Visit &&visit) const
    {
        if (m_start.empty() || x < m_minX || x >= m_maxX)
            return;
        const auto column = static_cast<std::size_t>((x - m_minX) >> m_shift);
        for (std::uint32_t k = m_start[column]; k < m_start[column + 1]; ++k)
            visitHolding(points, m_listed[k], x, visit);
        for (const std::int32_t edge : m_wide)
            visitHolding(points, edge, x, visit);
    }

private:
    template<class Visit>
    static void visitHolding(const std::vector<TPlotPoint> &points, std::int32_t edge, std::int64_t x,
                             Visit &visit)
    {
        const std::int64_t x0 = points[static_cast<std::size_t>(edge)].x;
        const std::int64_t x1 = points[static_cast<std::size_t>(edge) + 1].x;
        if (x0 < x1 ? x0 <= x && x < x1 : x1 <= x && x < x0)
            visit(edge);
    }

    // Columns are 2^m_shift units wide: any column map that never falls as x
    // grows puts a vertical in a column its edges reach into.
    std::int64_t m_minX = 0;
    std::int64_t m_maxX = 0; // the first x past every span
    int m_shift = 0;
    std::vector<std::uint32_t> m_start; // column c's edges: m_listed[m_start[c] .. m_start[c + 1])
    std::vector<std::int32_t> m_listed;
    std::vector<std::int32_t> m_wide;
};
