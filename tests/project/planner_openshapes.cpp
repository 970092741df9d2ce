#include "planner_openshapes.h"

#include <cmath>
#include <numbers>

namespace fixtures {

namespace {

std::int32_t Uniform(std::mt19937 &rng, std::int32_t low, std::int32_t high)
{
    return low + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(high - low + 1));
}

TPlotPoint OnCircle(std::int32_t cx, std::int32_t cy, double radius, double angle)
{
    return {cx + static_cast<std::int32_t>(std::nearbyint(radius * std::cos(angle))),
            cy + static_cast<std::int32_t>(std::nearbyint(radius * std::sin(angle)))};
}

} // namespace

Project Strokes(std::mt19937 &rng, int strokes, int points)
{
    Project p;
    const int columns = static_cast<int>(std::sqrt(static_cast<double>(strokes))) + 1;
    for (int k = 0; k < strokes; ++k) {
        std::int32_t x = (k % columns) * 1200 + Uniform(rng, 0, 300);
        std::int32_t y = (k / columns) * 1200 + Uniform(rng, 0, 300);
        if (k > 0 && k % 10 == 0) {
            const tfigura &before = p.figures.back();
            const TPlotPoint on = before.points[static_cast<std::size_t>(Uniform(rng, 0, points - 1))];
            x = on.x;
            y = on.y;
        }
        const std::int32_t dx = Uniform(rng, -15, 15);
        const std::int32_t dy = Uniform(rng, -15, 15);
        std::vector<TPlotPoint> line;
        for (int v = 0; v < points; ++v) {
            line.push_back({x, y});
            x += dx + Uniform(rng, -8, 8);
            y += dy + Uniform(rng, -8, 8);
        }
        p.add(Polyline(line));
    }
    p.bounds();
    return p;
}

Project Scribbles(std::mt19937 &rng, int count, int points, int step)
{
    Project p;
    const auto side = static_cast<std::int32_t>(5 * step * std::sqrt(static_cast<double>(count)));
    for (int k = 0; k < count; ++k) {
        std::int32_t x = Uniform(rng, 0, side);
        std::int32_t y = Uniform(rng, 0, side);
        std::vector<TPlotPoint> line;
        for (int v = 0; v < points; ++v) {
            line.push_back({x, y});
            x += Uniform(rng, -step, step);
            y += Uniform(rng, -step, step);
        }
        p.add(Polyline(line));
    }
    p.bounds();
    return p;
}

Project MixedLines(std::mt19937 &rng, int lines, int arcs, int outlines)
{
    constexpr std::int32_t Side = 40000;
    constexpr double Pi = std::numbers::pi;
    Project p;
    for (int k = 0; k < lines; ++k)
        p.add(Polyline({{Uniform(rng, 0, Side), Uniform(rng, 0, Side)},
                        {Uniform(rng, 0, Side), Uniform(rng, 0, Side)}}));
    for (int k = 0; k < arcs; ++k) {
        const std::int32_t cx = Uniform(rng, 0, Side);
        const std::int32_t cy = Uniform(rng, 0, Side);
        const double radius = Uniform(rng, 40, 1600);
        const double start = Uniform(rng, 0, 359) * Pi / 180;
        const double sweep = Uniform(rng, 20, 340) * Pi / 180;
        const int n = std::max(16, static_cast<int>(radius * sweep / 80));
        std::vector<TPlotPoint> arc;
        for (int v = 0; v <= n; ++v)
            arc.push_back(OnCircle(cx, cy, radius, start + sweep * v / n));
        p.add(Polyline(arc));
    }
    // Outlines of four to eight corners anywhere, each side a shallow arc.
    for (int k = 0; k < outlines; ++k) {
        const int corners = Uniform(rng, 4, 8);
        std::vector<TPlotPoint> corner;
        for (int c = 0; c < corners; ++c)
            corner.push_back({Uniform(rng, 0, Side), Uniform(rng, 0, Side)});
        std::vector<TPlotPoint> outline;
        for (int c = 0; c < corners; ++c) {
            const TPlotPoint a = corner[static_cast<std::size_t>(c)];
            const TPlotPoint b = corner[static_cast<std::size_t>((c + 1) % corners)];
            const double bow = Uniform(rng, -20, 20) / 100.0;
            for (int s = 0; s < 12; ++s) {
                const double t = s / 12.0;
                const double nx = -(b.y - a.y) * bow * std::sin(Pi * t);
                const double ny = (b.x - a.x) * bow * std::sin(Pi * t);
                outline.push_back({a.x + static_cast<std::int32_t>(std::nearbyint((b.x - a.x) * t + nx)),
                                   a.y + static_cast<std::int32_t>(std::nearbyint((b.y - a.y) * t + ny))});
            }
        }
        outline.push_back(outline.front());
        p.add(Polyline(outline));
    }
    p.bounds();
    return p;
}

} // namespace fixtures
