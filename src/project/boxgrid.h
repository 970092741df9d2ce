#pragma once

// A uniform grid over axis-aligned boxes for the planner's spatial queries.
// Boxes that would cover many cells are kept in one list that every query
// returns, so a frame around thousands of parts costs one entry, not one per
// cell. Queries return candidates only; callers apply their exact tests.

#include <algorithm>
#include <cstdint>
#include <vector>

struct PlanBox
{
    std::int64_t minX = 0;
    std::int64_t minY = 0;
    std::int64_t maxX = -1;
    std::int64_t maxY = -1;

    bool empty() const { return maxX < minX; }
    void add(std::int64_t x, std::int64_t y)
    {
        if (empty()) {
            minX = maxX = x;
            minY = maxY = y;
            return;
        }
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
    }
};

// The side of square cells over the span that hold about one of `count`
// items each (at least 1).
std::int64_t CellSideForCount(const PlanBox &span, std::int64_t count);

// Floor division of offsets by a cell side, asked for every point of a grid
// and every point looked up in it: a product by the reciprocal, corrected by
// one step. The product is off by far less than one below 2^50, so the step
// makes it exact.
class CellDivider
{
public:
    explicit CellDivider(std::int64_t side = 1)
        : m_side(side)
        , m_inverse(1.0 / static_cast<double>(side))
    { }
    std::int64_t side() const { return m_side; }
    // offset >= 0
    std::int64_t operator()(std::int64_t offset) const
    {
        constexpr std::int64_t Exact = std::int64_t(1) << 50;
        if (offset >= Exact)
            return offset / m_side;
        auto q = static_cast<std::int64_t>(static_cast<double>(offset) * m_inverse);
        if (q * m_side > offset)
            --q;
        else if ((q + 1) * m_side <= offset)
            ++q;
        return q;
    }

private:
    std::int64_t m_side;
    double m_inverse;
};

// Squared distance between two boxes (0 when they overlap or touch).
inline std::int64_t BoxGapSquared(const PlanBox &a, const PlanBox &b)
{
    const std::int64_t gx = std::max<std::int64_t>({0, b.minX - a.maxX, a.minX - b.maxX});
    const std::int64_t gy = std::max<std::int64_t>({0, b.minY - a.maxY, a.minY - b.maxY});
    return gx * gx + gy * gy;
}

class BoxGrid
{
public:
    // boxes[k] belongs to item k; empty boxes are never returned.
    explicit BoxGrid(const std::vector<PlanBox> &boxes);

    // Appends to out every item whose box may overlap the query box (grown by
    // margin on every side), each once.
    void query(const PlanBox &box, std::int64_t margin, std::vector<int> &out);

private:
    std::int64_t cellX(std::int64_t x) const
    {
        return std::clamp<std::int64_t>((x - m_originX) / m_cellSize, 0, m_columns - 1);
    }
    std::int64_t cellY(std::int64_t y) const
    {
        return std::clamp<std::int64_t>((y - m_originY) / m_cellSize, 0, m_rows - 1);
    }

    std::int64_t m_originX = 0;
    std::int64_t m_originY = 0;
    std::int64_t m_cellSize = 1;
    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::vector<int>
        m_cellStart; // CSR layout: items of cell c are m_items[m_cellStart[c] .. m_cellStart[c+1])
    std::vector<int> m_items;
    std::vector<int> m_large;
    std::vector<std::uint32_t> m_stamp; // per item: last query that returned it
    std::uint32_t m_query = 0;
};
