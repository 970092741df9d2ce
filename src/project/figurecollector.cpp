#include "project/figurecollector.h"

#include "drawing/geometry.h"
#include "project/projectdocument.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool Joinable(const tfigura &figure)
{
    return figure.open && figure.points.size() >= 2;
}

// The four ways an open project figure B joins the new figure A, in the order
// they are tried; 0 when none applies.
int JoinRule(const tfigura &a, const tfigura &b, double tolerance)
{
    const TPlotPoint &a0 = a.points.front();
    const TPlotPoint &a1 = a.points.back();
    const TPlotPoint &b0 = b.points.front();
    const TPlotPoint &b1 = b.points.back();
    if (PointsWithinTolerance(a1, b0, tolerance))
        return 1;
    if (PointsWithinTolerance(a1, b1, tolerance))
        return 2;
    if (PointsWithinTolerance(a0, b0, tolerance))
        return 3;
    if (PointsWithinTolerance(a0, b1, tolerance))
        return 4;
    return 0;
}

// Takes B's points into A by the rule; the shared end point is not doubled.
void ApplyJoin(tfigura &a, const tfigura &b, int rule)
{
    const auto &bp = b.points;
    auto &ap = a.points;
    switch (rule) {
    case 1: // A1 meets B0: B's points 1..n-1 at the end.
        ap.insert(ap.end(), bp.begin() + 1, bp.end());
        break;
    case 2: // A1 meets B1: B's points n-2..0 at the end.
        ap.insert(ap.end(), bp.rbegin() + 1, bp.rend());
        break;
    case 3: // A0 meets B0: B's points 1..n-1 put in front one by one, so reversed.
        ap.insert(ap.begin(), bp.rbegin(), bp.rend() - 1);
        break;
    case 4: // A0 meets B1: B's points n-2..0 put in front one by one, so in order.
        ap.insert(ap.begin(), bp.begin(), bp.end() - 1);
        break;
    default:
        break;
    }
}

} // namespace

TFigureCollector::TFigureCollector(double tolerance, bool crossToPoint)
    : m_tolerance(tolerance)
    , m_crossToPoint(crossToPoint)
{
    // Ends within the tolerance lie at most one cell apart.
    if (tolerance > 1.0)
        m_cellSize = static_cast<std::int64_t>(std::ceil(std::min(tolerance, 4294967296.0)));
}

void TFigureCollector::Add(tfigura figure)
{
    JoinOpenPolylines(figure);
    if (IsDuplicateFigure(figure))
        return;
    TProjectDocument::licz_parametry(figure, m_tolerance);
    if (figure.points.size() == 2 && m_crossToPoint) {
        MakeCrossPoint(figure);
        TProjectDocument::licz_parametry(figure, m_tolerance);
    }
    Append(std::move(figure));
}

std::vector<tfigura> TFigureCollector::TakeFigures()
{
    std::vector<tfigura> figures;
    for (auto &slot : m_slots) {
        if (slot.alive)
            figures.push_back(std::move(slot.figure));
    }
    m_slots.clear();
    m_ends.clear();
    m_shapes.clear();
    m_lines.clear();
    return figures;
}

void TFigureCollector::JoinOpenPolylines(tfigura &figure)
{
    // The reader's open flag decides; it is not looked at again while joining.
    if (!Joinable(figure) || !(m_tolerance > 0.0))
        return;
    // A pass walks the list once; the next figure of the walk is the first
    // live one after the last joined (removed) one. Passes repeat until one
    // joins nothing.
    bool joinedInPass = false;
    int after = -1;
    for (;;) {
        const int slot = FirstJoinCandidate(figure, after);
        if (slot < 0) {
            if (!joinedInPass)
                return;
            joinedInPass = false;
            after = -1;
            continue;
        }
        ApplyJoin(figure, m_slots[slot].figure, JoinRule(figure, m_slots[slot].figure, m_tolerance));
        Remove(slot);
        joinedInPass = true;
        after = slot;
    }
}

int TFigureCollector::FirstJoinCandidate(const tfigura &figure, int after) const
{
    int best = -1;
    const auto look = [&](const TPlotPoint &end) {
        const std::int64_t cx = CellOf(end.x);
        const std::int64_t cy = CellOf(end.y);
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto it = m_ends.find(CellKey(cx + dx, cy + dy));
                if (it == m_ends.end())
                    continue;
                for (const int slot : it->second) {
                    if (slot <= after || (best >= 0 && slot >= best))
                        continue;
                    if (JoinRule(figure, m_slots[slot].figure, m_tolerance) != 0)
                        best = slot;
                }
            }
        }
    };
    look(figure.points.front());
    look(figure.points.back());
    return best;
}

bool TFigureCollector::IsDuplicateFigure(const tfigura &figure) const
{
    if (figure.points.empty())
        return false;
    const auto it = m_shapes.find(ShapeKey(figure));
    if (it == m_shapes.end())
        return false;
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](int slot) { return m_slots[slot].figure.points == figure.points; });
}

void TFigureCollector::MakeCrossPoint(tfigura &figure)
{
    for (const int slot : m_lines) {
        if (!m_slots[slot].alive)
            continue;
        const auto &line = m_slots[slot].figure.points;
        TPlotPoint cross;
        if (SegmentsCrossPoint({line[0], line[1]}, {figure.points[0], figure.points[1]}, cross)) {
            Remove(slot);
            figure.points[0] = cross;
            figure.points[1] = cross;
            figure.crossPoint = true;
            return;
        }
    }
}

void TFigureCollector::Append(tfigura figure)
{
    const int slot = static_cast<int>(m_slots.size());
    if (Joinable(figure)) {
        IndexEnd(figure.points.front(), slot);
        IndexEnd(figure.points.back(), slot);
    }
    if (!figure.points.empty())
        m_shapes[ShapeKey(figure)].push_back(slot);
    if (figure.points.size() == 2 && m_crossToPoint)
        m_lines.push_back(slot);
    m_slots.push_back({std::move(figure), true});
}

void TFigureCollector::Remove(int slot)
{
    Slot &s = m_slots[slot];
    s.alive = false;
    if (Joinable(s.figure)) {
        UnindexEnd(s.figure.points.front(), slot);
        UnindexEnd(s.figure.points.back(), slot);
    }
    if (!s.figure.points.empty()) {
        auto it = m_shapes.find(ShapeKey(s.figure));
        if (it != m_shapes.end()) {
            std::erase(it->second, slot);
            if (it->second.empty())
                m_shapes.erase(it);
        }
    }
    s.figure = tfigura();
}

std::int64_t TFigureCollector::CellOf(std::int32_t coordinate) const
{
    // Floor division, so cells do not double up around zero.
    std::int64_t c = coordinate;
    return c >= 0 ? c / m_cellSize : -((-c + m_cellSize - 1) / m_cellSize);
}

std::uint64_t TFigureCollector::CellKey(std::int64_t cx, std::int64_t cy) const
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32)
        | static_cast<std::uint32_t>(cy);
}

void TFigureCollector::IndexEnd(const TPlotPoint &p, int slot)
{
    auto &cell = m_ends[CellKey(CellOf(p.x), CellOf(p.y))];
    // Both ends of a figure may share a cell; one entry is enough.
    if (cell.empty() || cell.back() != slot)
        cell.push_back(slot);
}

void TFigureCollector::UnindexEnd(const TPlotPoint &p, int slot)
{
    const auto it = m_ends.find(CellKey(CellOf(p.x), CellOf(p.y)));
    if (it == m_ends.end())
        return;
    std::erase(it->second, slot);
    if (it->second.empty())
        m_ends.erase(it);
}

std::uint64_t TFigureCollector::ShapeKey(const tfigura &figure)
{
    const auto mix = [](std::uint64_t h, std::uint64_t v) { return (h ^ v) * 0x100000001B3ULL + (h >> 29); };
    std::uint64_t h = 0xCBF29CE484222325ULL;
    h = mix(h, figure.points.size());
    h = mix(h, static_cast<std::uint32_t>(figure.points.front().x));
    h = mix(h, static_cast<std::uint32_t>(figure.points.front().y));
    h = mix(h, static_cast<std::uint32_t>(figure.points.back().x));
    h = mix(h, static_cast<std::uint32_t>(figure.points.back().y));
    return h;
}
