#pragma once

// The edges of one polyline by their spans along x, for the question which
// edges a vertical line meets. A containment test counts, for a vertex of one
// figure, the edges of another that pass above and below it: only the edges
// whose span holds the vertex's x take part, a handful of a ring's thousands.
// Consecutive edges lie near each other, so groups of them, and groups of
// groups, have narrow spans that a vertical line mostly misses.

#include "drawing/figure.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class EdgeSpans
{
public:
    // The edges k -> k + 1 of the points.
    explicit EdgeSpans(const std::vector<TPlotPoint> &points);

    // Calls visit(k) for every edge k -> k + 1 whose span holds x: min x <=
    // x < max x, so vertical and zero-length edges never. In edge order.
    template<class Visit> void forEdgesAt(std::int64_t x, Visit &&visit) const
    {
        if (!m_levels.empty())
            scan(x, m_levels.size() - 1, 0, m_levels.back().size(), visit);
    }

private:
    static constexpr std::size_t Fanout = 8;

    struct Span
    {
        std::int32_t minX = 0;
        std::int32_t maxX = 0; // the first x past the span
    };

    template<class Visit>
    void scan(std::int64_t x, std::size_t level, std::size_t first, std::size_t last, Visit &visit) const
    {
        const std::vector<Span> &spans = m_levels[level];
        for (std::size_t k = first; k < last; ++k) {
            if (x < spans[k].minX || x >= spans[k].maxX)
                continue;
            if (level == 0)
                visit(static_cast<std::int32_t>(k));
            else
                scan(x, level - 1, k * Fanout, std::min((k + 1) * Fanout, m_levels[level - 1].size()), visit);
        }
    }

    // Level 0 holds the span of every edge, each level above the spans of
    // groups of Fanout of the level below; the top level has at most Fanout.
    std::vector<std::vector<Span>> m_levels;
};
