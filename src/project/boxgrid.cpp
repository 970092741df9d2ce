#include "project/boxgrid.h"

#include <algorithm>
#include <cmath>

namespace {
// A box over more cells than this goes to the list every query returns.
constexpr std::int64_t LargeBoxCells = 64;
} // namespace

std::int64_t CellSideForCount(const PlanBox &span, std::int64_t count)
{
    const long double w = static_cast<long double>(span.maxX - span.minX) + 1;
    const long double h = static_cast<long double>(span.maxY - span.minY) + 1;
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(std::sqrt(w * h / count))));
}

BoxGrid::BoxGrid(const std::vector<PlanBox> &boxes)
    : m_stamp(boxes.size(), 0)
{
    PlanBox all;
    std::int64_t count = 0;
    for (const PlanBox &b : boxes) {
        if (b.empty())
            continue;
        all.add(b.minX, b.minY);
        all.add(b.maxX, b.maxY);
        ++count;
    }
    if (count == 0)
        return;
    m_originX = all.minX;
    m_originY = all.minY;
    m_cellSize = CellSideForCount(all, count);
    for (;;) {
        m_columns = (all.maxX - all.minX) / m_cellSize + 1;
        m_rows = (all.maxY - all.minY) / m_cellSize + 1;
        if (m_columns * m_rows <= 4 * count + 16)
            break;
        m_cellSize *= 2;
    }

    // Each box's cells, worked out once for counting and for filling.
    struct Cells
    {
        std::int32_t x0 = 0;
        std::int32_t y0 = 0;
        std::int32_t x1 = -1; // x1 < x0: no cells (an empty or a large box)
        std::int32_t y1 = -1;
    };
    std::vector<Cells> cells(boxes.size());
    std::vector<int> cellCount(static_cast<std::size_t>(m_columns * m_rows) + 1, 0);
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const PlanBox &b = boxes[k];
        if (b.empty())
            continue;
        const Cells c {static_cast<std::int32_t>(cellX(b.minX)), static_cast<std::int32_t>(cellY(b.minY)),
                       static_cast<std::int32_t>(cellX(b.maxX)), static_cast<std::int32_t>(cellY(b.maxY))};
        if (std::int64_t(c.x1 - c.x0 + 1) * (c.y1 - c.y0 + 1) > LargeBoxCells) {
            m_large.push_back(static_cast<int>(k));
            continue;
        }
        cells[k] = c;
        for (std::int64_t cy = c.y0; cy <= c.y1; ++cy)
            for (std::int64_t cx = c.x0; cx <= c.x1; ++cx)
                ++cellCount[static_cast<std::size_t>(cy * m_columns + cx) + 1];
    }
    for (std::size_t c = 1; c < cellCount.size(); ++c)
        cellCount[c] += cellCount[c - 1];
    m_cellStart = cellCount;
    m_items.resize(static_cast<std::size_t>(cellCount.back()));
    std::vector<int> fill(cellCount.begin(), cellCount.end() - 1);
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const Cells &c = cells[k];
        for (std::int64_t cy = c.y0; cy <= c.y1; ++cy)
            for (std::int64_t cx = c.x0; cx <= c.x1; ++cx)
                m_items[static_cast<std::size_t>(fill[static_cast<std::size_t>(cy * m_columns + cx)]++)]
                    = static_cast<int>(k);
    }
}

void BoxGrid::query(const PlanBox &box, std::int64_t margin, std::vector<int> &out)
{
    if (m_columns == 0 || box.empty())
        return;
    if (++m_query == 0) {
        std::fill(m_stamp.begin(), m_stamp.end(), 0);
        m_query = 1;
    }
    out.insert(out.end(), m_large.begin(), m_large.end());
    // Division truncates toward zero, so a query left of the origin still
    // lands in column 0 through the clamp; that only widens the candidates.
    const std::int64_t x0 = cellX(box.minX - margin);
    const std::int64_t x1 = cellX(box.maxX + margin);
    const std::int64_t y0 = cellY(box.minY - margin);
    const std::int64_t y1 = cellY(box.maxY + margin);
    for (std::int64_t cy = y0; cy <= y1; ++cy) {
        for (std::int64_t cx = x0; cx <= x1; ++cx) {
            const auto c = static_cast<std::size_t>(cy * m_columns + cx);
            for (int k = m_cellStart[c]; k < m_cellStart[c + 1]; ++k) {
                const int item = m_items[static_cast<std::size_t>(k)];
                if (m_stamp[static_cast<std::size_t>(item)] != m_query) {
                    m_stamp[static_cast<std::size_t>(item)] = m_query;
                    out.push_back(item);
                }
            }
        }
    }
}
