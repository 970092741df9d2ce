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

// The four ways an open project figure B (ends b0, b1) joins the new figure
// A (ends a0, a1), in the order they are tried; 0 when none applies.
int JoinRule(const TPlotPoint &a0, const TPlotPoint &a1, const TPlotPoint &b0, const TPlotPoint &b1,
             double tolerance)
{
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
    // Integer coordinates meet when they differ by at most m_reach (strictly
    // less than the tolerance). Cells four reaches wide keep most searches to
    // the one cell an end lies in.
    if (tolerance > 0.0) {
        m_reach = static_cast<std::int64_t>(std::ceil(std::min(tolerance, 4294967296.0))) - 1;
        m_cellSize = 4 * (m_reach + 1);
    }
}

void TFigureCollector::Add(tfigura figure)
{
    Collect(std::move(figure), nullptr);
}

void TFigureCollector::Add(tfigura &&figure, const TFigureParameters &parameters)
{
    Collect(std::move(figure), &parameters);
}

void TFigureCollector::Collect(tfigura &&figure, const TFigureParameters *parameters)
{
    const bool joined = JoinOpenPolylines(figure);
    if (IsDuplicateFigure(figure))
        return;
    if (parameters && !joined && !figure.points.empty())
        TProjectDocument::SetParameters(figure, *parameters);
    else
        TProjectDocument::licz_parametry(figure, m_tolerance);
    if (figure.points.size() == 2 && m_crossToPoint && MakeCrossPoint(figure))
        TProjectDocument::licz_parametry(figure, m_tolerance);
    Append(std::move(figure));
}

std::vector<tfigura> TFigureCollector::TakeFigures()
{
    // The live figures close up in place: no second list of them is built.
    std::size_t kept = 0;
    for (std::size_t slot = 0; slot < m_figures.size(); ++slot) {
        if (!m_alive[slot])
            continue;
        if (kept != slot)
            m_figures[kept] = std::move(m_figures[slot]);
        ++kept;
    }
    m_figures.resize(kept);
    std::vector<tfigura> figures = std::move(m_figures);
    m_figures.clear();
    m_alive.clear();
    m_ends.clear();
    m_shapes.clear();
    m_lines.clear();
    m_longLines.clear();
    m_lineColumns.clear();
    return figures;
}

bool TFigureCollector::JoinOpenPolylines(tfigura &figure)
{
    // The reader's open flag decides; it is not looked at again while joining.
    if (!Joinable(figure) || !(m_tolerance > 0.0))
        return false;
    // A pass walks the list once: the next figure of the walk that joins is
    // the first live one after the last joined (removed) one that meets the
    // ends as they are by then. Passes repeat until one joins nothing, and a
    // new pass starts with the first figure in the list that meets them.
    int after = -1;
    for (;;) {
        const TJoinCandidates found = FindJoinCandidates(figure, after);
        const int slot = found.afterCursor >= 0 ? found.afterCursor : found.first;
        if (slot < 0)
            return after >= 0;
        const auto &b = m_figures[slot].points;
        const int rule
            = JoinRule(figure.points.front(), figure.points.back(), b.front(), b.back(), m_tolerance);
        ApplyJoin(figure, m_figures[slot], rule);
        Remove(slot);
        after = slot;
    }
}

TFigureCollector::TJoinCandidates TFigureCollector::FindJoinCandidates(const tfigura &figure, int after) const
{
    TJoinCandidates found;
    const TPlotPoint &a0 = figure.points.front();
    const TPlotPoint &a1 = figure.points.back();
    const auto lookIn = [&](std::int64_t cx, std::int64_t cy) {
        m_ends.forEach(CellKey(cx, cy), [&](const TEndEntry &entry) {
            const int slot = entry.slot;
            const bool aboveCursor = slot > after;
            if (aboveCursor ? (found.afterCursor >= 0 && slot >= found.afterCursor)
                            : (found.first >= 0 && slot >= found.first))
                return;
            if (JoinRule(a0, a1, entry.first, entry.last, m_tolerance) == 0)
                return;
            if (aboveCursor)
                found.afterCursor = slot;
            if (found.first < 0 || slot < found.first)
                found.first = slot;
        });
    };
    // The cells the square of reach around each end overlaps, each once.
    const std::int64_t x0 = CellOf(std::int64_t(a0.x) - m_reach), x1 = CellOf(std::int64_t(a0.x) + m_reach);
    const std::int64_t y0 = CellOf(std::int64_t(a0.y) - m_reach), y1 = CellOf(std::int64_t(a0.y) + m_reach);
    for (std::int64_t cx = x0; cx <= x1; ++cx)
        for (std::int64_t cy = y0; cy <= y1; ++cy)
            lookIn(cx, cy);
    const std::int64_t u0 = CellOf(std::int64_t(a1.x) - m_reach), u1 = CellOf(std::int64_t(a1.x) + m_reach);
    const std::int64_t v0 = CellOf(std::int64_t(a1.y) - m_reach), v1 = CellOf(std::int64_t(a1.y) + m_reach);
    for (std::int64_t cx = u0; cx <= u1; ++cx) {
        for (std::int64_t cy = v0; cy <= v1; ++cy) {
            if (cx < x0 || cx > x1 || cy < y0 || cy > y1)
                lookIn(cx, cy);
        }
    }
    return found;
}

bool TFigureCollector::IsDuplicateFigure(const tfigura &figure) const
{
    if (figure.points.empty())
        return false;
    bool duplicate = false;
    m_shapes.forEach(ShapeKey(figure),
                     [&](int slot) { duplicate = duplicate || m_figures[slot].points == figure.points; });
    return duplicate;
}

namespace {

// Two-point lines are indexed by the columns of x their ends span: a line can
// only cross one whose x range meets its own, so the columns of the new
// line's x range hold every candidate. Lines over more columns than this are
// kept apart and always looked at.
constexpr std::int64_t LineColumnWidth = 1024;
constexpr std::int64_t MaxLineColumns = 64;

std::int64_t LineColumn(std::int32_t x)
{
    const std::int64_t c = x;
    return c >= 0 ? c / LineColumnWidth : -((-c + LineColumnWidth - 1) / LineColumnWidth);
}

} // namespace

void TFigureCollector::IndexLine(const tfigura &figure, int slot)
{
    m_lines.push_back(slot);
    const auto [x0, x1] = std::minmax(figure.points[0].x, figure.points[1].x);
    const std::int64_t c0 = LineColumn(x0), c1 = LineColumn(x1);
    if (c1 - c0 >= MaxLineColumns) {
        m_longLines.push_back(slot);
        return;
    }
    for (std::int64_t c = c0; c <= c1; ++c)
        m_lineColumns.insert(static_cast<std::uint64_t>(c), slot);
}

bool TFigureCollector::MakeCrossPoint(tfigura &figure)
{
    const auto [x0, x1] = std::minmax(figure.points[0].x, figure.points[1].x);
    const std::int64_t c0 = LineColumn(x0), c1 = LineColumn(x1);
    // The first line in list order that crosses wins, so the candidates are
    // tried in slot order.
    m_candidates.clear();
    if (c1 - c0 >= MaxLineColumns) {
        m_candidates = m_lines;
    } else {
        for (std::int64_t c = c0; c <= c1; ++c)
            m_lineColumns.forEach(static_cast<std::uint64_t>(c),
                                  [this](int slot) { m_candidates.push_back(slot); });
        m_candidates.insert(m_candidates.end(), m_longLines.begin(), m_longLines.end());
        std::sort(m_candidates.begin(), m_candidates.end());
        m_candidates.erase(std::unique(m_candidates.begin(), m_candidates.end()), m_candidates.end());
    }
    for (const int slot : m_candidates) {
        if (!m_alive[slot])
            continue;
        const auto &line = m_figures[slot].points;
        TPlotPoint cross;
        if (SegmentsCrossPoint({line[0], line[1]}, {figure.points[0], figure.points[1]}, cross)) {
            Remove(slot);
            figure.points[0] = cross;
            figure.points[1] = cross;
            figure.crossPoint = true;
            return true;
        }
    }
    return false;
}

void TFigureCollector::Append(tfigura &&figure)
{
    const int slot = static_cast<int>(m_figures.size());
    if (Joinable(figure))
        IndexEnds(figure, slot);
    if (!figure.points.empty())
        m_shapes.insert(ShapeKey(figure), slot);
    if (figure.points.size() == 2 && m_crossToPoint)
        IndexLine(figure, slot);
    m_figures.push_back(std::move(figure));
    m_alive.push_back(1);
}

void TFigureCollector::Remove(int slot)
{
    tfigura &figure = m_figures[slot];
    m_alive[slot] = 0;
    if (Joinable(figure))
        UnindexEnds(figure, slot);
    if (!figure.points.empty())
        m_shapes.eraseIf(ShapeKey(figure), [slot](int entry) { return entry == slot; });
    figure = tfigura();
}

std::int64_t TFigureCollector::CellOf(std::int64_t c) const
{
    // Floor division, so cells do not double up around zero.
    return c >= 0 ? c / m_cellSize : -((-c + m_cellSize - 1) / m_cellSize);
}

std::uint64_t TFigureCollector::CellKey(std::int64_t cx, std::int64_t cy) const
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32)
        | static_cast<std::uint32_t>(cy);
}

void TFigureCollector::IndexEnds(const tfigura &figure, int slot)
{
    const TEndEntry entry {slot, figure.points.front(), figure.points.back()};
    const std::uint64_t k0 = CellKey(CellOf(entry.first.x), CellOf(entry.first.y));
    const std::uint64_t k1 = CellKey(CellOf(entry.last.x), CellOf(entry.last.y));
    m_ends.insert(k0, entry);
    // Both ends in one cell need one entry.
    if (k1 != k0)
        m_ends.insert(k1, entry);
}

void TFigureCollector::UnindexEnds(const tfigura &figure, int slot)
{
    for (const TPlotPoint &p : {figure.points.front(), figure.points.back()})
        m_ends.eraseIf(CellKey(CellOf(p.x), CellOf(p.y)),
                       [slot](const TEndEntry &e) { return e.slot == slot; });
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
