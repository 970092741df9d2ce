#include "project/edgespans.h"

#include <algorithm>

namespace {
// An edge reaching into more columns than this is looked at by every vertical.
constexpr std::int64_t WideColumns = 8;
} // namespace

EdgeSpans::EdgeSpans(const std::vector<TPlotPoint> &points)
{
    if (points.size() < 2)
        return;
    m_minX = points.front().x;
    m_maxX = points.front().x;
    for (const TPlotPoint &p : points) {
        m_minX = std::min<std::int64_t>(m_minX, p.x);
        m_maxX = std::max<std::int64_t>(m_maxX, p.x);
    }
    if (m_minX == m_maxX)
        return;
    // About two edges a column: a smooth outline reaches into one or two
    // columns with each edge.
    const std::int64_t edges = static_cast<std::int64_t>(points.size()) - 1;
    const std::int64_t wanted = std::max<std::int64_t>(1, edges / 2);
    while (((m_maxX - m_minX) >> m_shift) >= wanted)
        ++m_shift;
    const auto columns = static_cast<std::size_t>(((m_maxX - 1 - m_minX) >> m_shift) + 1);
    const auto columnsOf = [&](std::size_t k, std::int64_t &first, std::int64_t &last) {
        const std::int64_t x0 = points[k].x;
        const std::int64_t x1 = points[k + 1].x;
        if (x0 == x1)
            return false;
        first = (std::min(x0, x1) - m_minX) >> m_shift;
        last = (std::max(x0, x1) - 1 - m_minX) >> m_shift;
        return true;
    };

    m_start.assign(columns + 1, 0);
    std::int64_t first = 0;
    std::int64_t last = 0;
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        if (!columnsOf(k, first, last))
            continue;
        if (last - first >= WideColumns) {
            m_wide.push_back(static_cast<std::int32_t>(k));
            continue;
        }
        for (std::int64_t c = first; c <= last; ++c)
            ++m_start[static_cast<std::size_t>(c) + 1];
    }
    for (std::size_t c = 1; c < m_start.size(); ++c)
        m_start[c] += m_start[c - 1];
    m_listed.resize(m_start.back());
    std::vector<std::uint32_t> fill(m_start.begin(), m_start.end() - 1);
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        if (!columnsOf(k, first, last) || last - first >= WideColumns)
            continue;
        for (std::int64_t c = first; c <= last; ++c)
            m_listed[fill[static_cast<std::size_t>(c)]++] = static_cast<std::int32_t>(k);
    }
}
