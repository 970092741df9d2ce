#include "planner_shapes.h"

#include <algorithm>
#include <cmath>

namespace fixtures {

namespace {

constexpr double Pi = 3.14159265358979323846;

int Uniform(std::mt19937 &rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// A closed figure of `sides` sides (sides + 1 points) on the curve
// |x / rx|^p + |y / ry|^p = 1 around (cx, cy): p = 2 an ellipse, larger p a
// rounder rectangle.
tfigura Oval(std::int32_t cx, std::int32_t cy, double rx, double ry, int sides, double p, double phase)
{
    std::vector<TPlotPoint> points;
    for (int k = 0; k < sides; ++k) {
        const double t = phase + 2 * Pi * k / sides;
        const double c = std::cos(t);
        const double s = std::sin(t);
        const double x = rx * std::copysign(std::pow(std::abs(c), 2 / p), c);
        const double y = ry * std::copysign(std::pow(std::abs(s), 2 / p), s);
        points.push_back({cx + static_cast<std::int32_t>(std::nearbyint(x)),
                          cy + static_cast<std::int32_t>(std::nearbyint(y))});
    }
    points.push_back(points.front());
    return Polyline(points);
}

} // namespace

Project PartsSheet(std::mt19937 &rng, int parts, int holeSides)
{
    Project p;
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(parts)))));
    constexpr std::int32_t Side = 2000;
    constexpr std::int32_t Pitch = 2300;
    for (int k = 0; k < parts; ++k) {
        const std::int32_t x = (k % columns) * Pitch;
        const std::int32_t y = (k / columns) * Pitch;
        p.add(Square(x, y, Side));
        for (int h = 0; h < 4; ++h) {
            const std::int32_t cx = x + (h % 2 == 0 ? 500 : 1500);
            const std::int32_t cy = y + (h / 2 == 0 ? 500 : 1500);
            const double r = Uniform(rng, 200, 350);
            p.add(Oval(cx, cy, r, r, holeSides, 2, Uniform(rng, 0, 628) / 100.0));
        }
    }
    p.bounds();
    return p;
}

Project ConcentricRings(std::mt19937 &rng, int rings, int points, bool shuffled)
{
    Project p;
    for (int k = rings - 1; k >= 0; --k) {
        const double r = 20000 + 100.0 * k;
        p.add(Oval(0, 0, r, r, points - 1, 2, Uniform(rng, 0, 628) / 100.0));
    }
    if (shuffled)
        std::shuffle(p.figures.begin(), p.figures.end(), rng);
    p.bounds();
    return p;
}

Project TextSheet(std::mt19937 &rng, int letters, int tiles)
{
    constexpr int PerRow = 60;
    constexpr std::int32_t Pitch = 320;
    constexpr std::int32_t RowPitch = 480;
    std::vector<tfigura> sheet;
    for (int k = 0; k < letters; ++k) {
        const std::int32_t cx = (k % PerRow) * Pitch + 100 + Uniform(rng, -8, 8);
        const std::int32_t cy = (k / PerRow) * RowPitch + 160 + Uniform(rng, -8, 8);
        const double roundness = 2 + Uniform(rng, 0, 30) / 10.0;
        sheet.push_back(
            Oval(cx, cy, 100, 160, Uniform(rng, 40, 80), roundness, Uniform(rng, 0, 628) / 100.0));
        if (k % 4 == 0) {
            sheet.push_back(Oval(cx, cy - 70, 40, 50, 23, 2, 0.2));
            sheet.push_back(Oval(cx, cy + 70, 40, 50, 23, 2, 0.2));
        } else {
            sheet.push_back(Oval(cx, cy + 10, 45, 70, 23, 2, 0.2));
        }
    }
    Project p;
    const std::int32_t width = PerRow * Pitch + 200;
    for (int t = 0; t < tiles; ++t) {
        for (tfigura f : sheet) {
            for (TPlotPoint &q : f.points)
                q.x += t * width;
            Prepare(f);
            p.add(std::move(f));
        }
    }
    p.bounds();
    return p;
}

Project SmallFigures(std::mt19937 &rng, int figures, int points)
{
    Project p;
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(figures)))));
    for (int k = 0; k < figures; ++k) {
        const std::int32_t cx = (k % columns) * 300 + Uniform(rng, -20, 20);
        const std::int32_t cy = (k / columns) * 300 + Uniform(rng, -20, 20);
        const double r = Uniform(rng, 70, 120);
        p.add(Oval(cx, cy, r, r * Uniform(rng, 60, 100) / 100.0, points - 1, 2 + Uniform(rng, 0, 20) / 10.0,
                   Uniform(rng, 0, 628) / 100.0));
    }
    p.bounds();
    return p;
}

} // namespace fixtures
