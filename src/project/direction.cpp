#include "project/direction.h"

#include <algorithm>
#include <utility>

void ReverseFigure(tfigura &figure)
{
    if (figure.points.size() < 2)
        return;
    std::reverse(figure.points.begin(), figure.points.end());
    // The records belong to the vertices: they travel with their points.
    std::reverse(figure.vertexInfo.begin(), figure.vertexInfo.end());
}

void OdwrocKierunek(std::vector<tfigura> &figures, int i)
{
    if (i >= 0) {
        if (static_cast<std::size_t>(i) < figures.size())
            ReverseFigure(figures[static_cast<std::size_t>(i)]);
        return;
    }
    for (tfigura &f : figures)
        ReverseFigure(f);
}

std::int32_t JakiKierunek(const std::vector<tfigura> & /*figures*/, int /*i*/)
{
    return 0;
}

void UstawKierunek(std::vector<tfigura> &figures, int direction)
{
    for (tfigura &f : figures) {
        if (!f.cut)
            continue;
        if (!f.points.empty()) {
            const std::int32_t first = f.points.front().x;
            const std::int32_t last = f.points.back().x;
            const bool right = direction == 1 ? first <= last : first >= last;
            if (!right)
                ReverseFigure(f);
        }
        f.entryVertex = 0;
    }
}

int CompareFirstPoints(const tfigura &f, const tfigura &g)
{
    // A figure without points has no first point; it sorts before the others.
    if (f.points.empty() || g.points.empty())
        return f.points.empty() == g.points.empty() ? 0 : (f.points.empty() ? -1 : 1);
    const TPlotPoint p = f.points.front();
    const TPlotPoint q = g.points.front();
    if (p.x != q.x)
        return p.x < q.x ? -1 : 1;
    if (p.y != q.y)
        return p.y < q.y ? -1 : 1;
    return 0;
}

void UstawKolejnosc(std::vector<tfigura> &figures)
{
    std::stable_sort(figures.begin(), figures.end(),
                     [](const tfigura &f, const tfigura &g) { return CompareFirstPoints(f, g) < 0; });
    SortujKrzyze(figures);
}

void SortujKrzyze(std::vector<tfigura> &figures)
{
    const std::size_t count = figures.size();
    if (count < 2)
        return;
    const auto firstX
        = [&](std::size_t i) { return figures[i].points.empty() ? 0 : figures[i].points.front().x; };

    std::int32_t x0 = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (figures[i].crossPoint) {
            x0 = firstX(i);
            break;
        }
    }
    int column = 1;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t i = 0; i < count; ++i) {
        if (!figures[i].crossPoint)
            continue;
        const std::int32_t x = firstX(i);
        if (x != x0) {
            ++column;
            x0 = x;
            if (column % 2 == 0)
                ranges.emplace_back(i, i);
        } else if (column % 2 == 0 && !ranges.empty()) {
            ranges.back().second = i;
        }
    }
    for (const auto &[first, last] : ranges)
        std::reverse(figures.begin() + static_cast<std::ptrdiff_t>(first),
                     figures.begin() + static_cast<std::ptrdiff_t>(last) + 1);
}
