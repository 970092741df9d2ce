#include "silhouette_reference.h"

#include "drawing/geometry.h"
#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace silhouette_reference {
namespace {

struct Point
{
    float x, y, z;
};

TPoint3F P3(Point p)
{
    return {p.x, p.y, p.z};
}

int ClampedRound(long double value, int largest)
{
    const long double r = RoundHalfEven(value);
    if (!(r > 0))
        return 0;
    if (r > largest)
        return largest;
    return int(r);
}

class Raster
{
public:
    Raster(Grid &grid, int largestX, int largestY, double pixelSize)
        : grid(grid)
        , largestX(largestX)
        , largestY(largestY)
        , pixelSize(pixelSize)
    { }

    void SetPoint(Point p)
    {
        const int column = ClampedRound(
            static_cast<long double>(p.x) / pixelSize + static_cast<long double>(largestX) / 2, largestX);
        const int row = ClampedRound(
            static_cast<long double>(p.y) / pixelSize + static_cast<long double>(largestY) / 2, largestY);
        grid[std::size_t(column)][std::size_t(row)] = 2;
        ++samples;
    }

    void Line(Point a, Point b)
    {
        const auto m
            = std::int64_t(RoundHalfEven(static_cast<long double>(Distance3D(P3(a), P3(b))) / pixelSize)) + 1;
        for (std::int64_t j = 0; j <= m; ++j) {
            const double s = double(j) / double(m);
            SetPoint({float(double(a.x) + s * (double(b.x) - double(a.x))),
                      float(double(a.y) + s * (double(b.y) - double(a.y))),
                      float(double(a.z) + s * (double(b.z) - double(a.z)))});
        }
    }

    void Triangle(const TRawTriangle &t)
    {
        Point p {t.x1, t.y1, t.z1};
        Point q {t.x2, t.y2, t.z2};
        Point r {t.x3, t.y3, t.z3};
        if (p.z > q.z)
            std::swap(p, q);
        if (q.z > r.z)
            std::swap(q, r);
        if (p.z > q.z)
            std::swap(p, q);
        const long double longer
            = std::max(static_cast<long double>(Distance3D(P3(p), P3(q))) / pixelSize + 1.0L,
                       static_cast<long double>(Distance3D(P3(p), P3(r))) / pixelSize + 1.0L);
        const std::int64_t n = 2 * std::int64_t(RoundHalfEven(longer));
        for (std::int64_t i = 0; i <= n; ++i) {
            const double t = double(i) / double(n);
            const Point a {float(double(p.x) + t * (double(r.x) - double(p.x))),
                           float(double(p.y) + t * (double(r.y) - double(p.y))),
                           float(double(p.z) + t * (double(r.z) - double(p.z)))};
            const Point b {float(double(p.x) + t * (double(q.x) - double(p.x))),
                           float(double(p.y) + t * (double(q.y) - double(p.y))),
                           float(double(p.z) + t * (double(q.z) - double(p.z)))};
            Line(a, b);
        }
    }

    Grid &grid;
    std::uint64_t samples = 0;
    int largestX;
    int largestY;
    double pixelSize;
};

void MarkInterior(Grid &grid, int largestX, int largestY)
{
    for (int x = 1; x <= largestX - 1; ++x) {
        for (int y = 1; y <= largestY - 1; ++y) {
            if (grid[x][y] <= 1)
                continue;
            bool surrounded = true;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if ((dx != 0 || dy != 0) && grid[x + dx][y + dy] <= 1)
                        surrounded = false;
            if (surrounded)
                grid[x][y] = 4;
        }
    }
    int x = 0;
    while (x <= largestX && grid[x][0] != 2)
        ++x;
    if (x > largestX)
        return;
    x = x + 1;
    while (x < largestX && grid[x][0] == 2 && grid[x + 1][0] == 2) {
        grid[x][0] = 4;
        x = x + 1;
    }
}

} // namespace

Grid RawDoPix(const TModelData &model, double currentAngle, int largestX, int largestY, double pixelSize,
              const TStopRequest &terminated, std::uint64_t *samples)
{
    auto told = [&terminated] { return terminated && terminated(); };
    Grid grid;
    bool rotated = false;
    if (told())
        return grid;
    grid.assign(std::size_t(largestX) + 1, std::vector<std::uint8_t>(std::size_t(largestY) + 1, 1));

    std::vector<TRawTriangle> RotatedTriangles;
    if (!told()) {
        const double a = currentAngle * 3.14159265358979323846 / 180.0;
        const double cx = model.ModelCentre[0], cy = model.ModelCentre[1], cz = model.ModelCentre[2];
        auto turn = [&](float x, float y, float z) {
            return Point {float(std::cos(a) * (double(x) - cx) - std::sin(a) * (double(z) - cz)),
                          float(double(y) - cy),
                          float(std::cos(a) * (double(z) - cz) + std::sin(a) * (double(x) - cx))};
        };
        for (const TRawTriangle &t : model.triangles) {
            const Point p = turn(t.x1, t.y1, t.z1);
            const Point q = turn(t.x2, t.y2, t.z2);
            const Point r = turn(t.x3, t.y3, t.z3);
            RotatedTriangles.push_back({p.x, p.y, p.z, q.x, q.y, q.z, r.x, r.y, r.z});
        }
        rotated = true;
    }
    if (!rotated)
        return grid;
    Raster raster(grid, largestX, largestY, pixelSize);
    for (const TRawTriangle &t : RotatedTriangles) {
        if (told())
            break;
        raster.Triangle(t);
    }
    MarkInterior(grid, largestX, largestY);
    if (samples)
        *samples = raster.samples;
    return grid;
}

} // namespace silhouette_reference
