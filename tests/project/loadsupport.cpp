#include "loadsupport.h"

#include "drawing/geometry.h"
#include "project/projectdocument.h"

#include <cstdlib>

tfigura ReaderFigure(std::vector<TPlotPoint> points, int pen)
{
    tfigura f;
    f.pen = static_cast<std::uint8_t>(pen);
    f.points = std::move(points);
    f.FinishReading();
    return f;
}

std::vector<TPlotPoint> PointsOf(const tfigura &figure)
{
    return figure.points;
}

int TFakeDrawing::Open(const std::string &fileName, int readerKind)
{
    openedName = fileName;
    openedKind = readerKind;
    return openCode;
}

bool TFakeDrawing::ReadFigure(tfigura &figure)
{
    if (m_reads++ == failAt)
        return false;
    if (emptyReadsBetween && m_emptyPending) {
        m_emptyPending = false;
        figure.valid = false;
        return true;
    }
    m_emptyPending = true;
    figure = m_figures[m_next++];
    return true;
}

bool TFakeDrawing::EndOfFile() const
{
    return m_next >= m_figures.size();
}

TReadError TFakeDrawing::ReadError() const
{
    TReadError error;
    if (m_reads > failAt && failAt >= 0) {
        error.kind = failKind;
        error.line = failLine;
    }
    return error;
}

double TFakeDrawing::PenWidth(int pen) const
{
    const auto it = penWidths.find(pen);
    return it == penWidths.end() ? 0.0 : it->second;
}

namespace {

bool Near(const TPlotPoint &p, const TPlotPoint &q, double tolerance)
{
    return static_cast<double>(std::llabs(std::int64_t(p.x) - q.x)) < tolerance
        && static_cast<double>(std::llabs(std::int64_t(p.y) - q.y)) < tolerance;
}

void DirectJoin(std::vector<tfigura> &figures, tfigura &a, double tolerance)
{
    if (!a.open || a.points.size() < 2)
        return;
    bool joined;
    do {
        joined = false;
        std::size_t i = 0;
        while (i < figures.size()) {
            const tfigura &b = figures[i];
            if (b.open && b.points.size() >= 2) {
                const std::size_t n = b.points.size();
                const TPlotPoint a0 = a.points.front();
                const TPlotPoint a1 = a.points.back();
                const TPlotPoint b0 = b.points.front();
                const TPlotPoint b1 = b.points.back();
                bool match = true;
                if (Near(a1, b0, tolerance)) {
                    for (std::size_t k = 1; k <= n - 1; ++k)
                        a.points.push_back(b.points[k]);
                } else if (Near(a1, b1, tolerance)) {
                    for (std::size_t k = n - 1; k-- > 0;)
                        a.points.push_back(b.points[k]);
                } else if (Near(a0, b0, tolerance)) {
                    for (std::size_t k = 1; k <= n - 1; ++k)
                        a.points.insert(a.points.begin(), b.points[k]);
                } else if (Near(a0, b1, tolerance)) {
                    for (std::size_t k = n - 1; k-- > 0;)
                        a.points.insert(a.points.begin(), b.points[k]);
                } else {
                    match = false;
                }
                if (match) {
                    figures.erase(figures.begin() + static_cast<std::ptrdiff_t>(i));
                    joined = true;
                    continue;
                }
            }
            ++i;
        }
    } while (joined);
}

bool DirectDuplicate(const std::vector<tfigura> &figures, const tfigura &a)
{
    for (const tfigura &b : figures) {
        if (b.points.size() != a.points.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < a.points.size() && same; ++k)
            same = a.points[k].x == b.points[k].x && a.points[k].y == b.points[k].y;
        if (same)
            return true;
    }
    return false;
}

void DirectCross(std::vector<tfigura> &figures, tfigura &a)
{
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const tfigura &b = figures[i];
        TPlotPoint cross;
        if (b.points.size() == 2
            && SegmentsCrossPoint({b.points[0], b.points[1]}, {a.points[0], a.points[1]}, cross)) {
            figures.erase(figures.begin() + static_cast<std::ptrdiff_t>(i));
            a.points[0] = cross;
            a.points[1] = cross;
            a.crossPoint = true;
            return;
        }
    }
}

} // namespace

std::vector<tfigura> DirectCollect(const std::vector<tfigura> &incoming, double tolerance, bool crossToPoint)
{
    std::vector<tfigura> figures;
    for (tfigura a : incoming) {
        DirectJoin(figures, a, tolerance);
        if (DirectDuplicate(figures, a))
            continue;
        TProjectDocument::licz_parametry(a, tolerance);
        if (a.points.size() == 2 && crossToPoint) {
            DirectCross(figures, a);
            TProjectDocument::licz_parametry(a, tolerance);
        }
        figures.push_back(std::move(a));
    }
    return figures;
}
