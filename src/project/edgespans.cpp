#include "project/edgespans.h"

#include <algorithm>

EdgeSpans::EdgeSpans(const std::vector<TPlotPoint> &points)
{
    if (points.size() < 2)
        return;
    std::vector<Span> edges(points.size() - 1);
    for (std::size_t k = 0; k + 1 < points.size(); ++k)
        edges[k] = Span {std::min(points[k].x, points[k + 1].x), std::max(points[k].x, points[k + 1].x)};
    m_levels.push_back(std::move(edges));
    while (m_levels.back().size() > Fanout) {
        const std::vector<Span> &below = m_levels.back();
        std::vector<Span> groups((below.size() + Fanout - 1) / Fanout);
        for (std::size_t g = 0; g < groups.size(); ++g) {
            Span span = below[g * Fanout];
            for (std::size_t k = g * Fanout + 1; k < std::min((g + 1) * Fanout, below.size()); ++k) {
                span.minX = std::min(span.minX, below[k].minX);
                span.maxX = std::max(span.maxX, below[k].maxX);
            }
            groups[g] = span;
        }
        m_levels.push_back(std::move(groups));
    }
}
