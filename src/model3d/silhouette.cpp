#include "model3d/silhouette.h"

#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TSilhouetteSize SilhouetteSizeFor(const TModelData &model, double pixelSize)
{
    const long double x = model.ModelSize[0];
    const long double y = model.ModelSize[1];
    const long double z = model.ModelSize[2];
    auto index = [](long double value) {
        const long double rounded = RoundHalfEven(value);
        return rounded > 0 && rounded < 2147483647.0L ? std::int32_t(rounded) : rounded > 0 ? 2147483647 : 0;
    };
    return {index(std::sqrt(x * x + z * z) / pixelSize), index(y / pixelSize)};
}

tpix2d::tpix2d(std::int32_t largestX, std::int32_t largestY)
    : m_largestX(largestX)
    , m_largestY(largestY)
    , m_cells((std::size_t(largestX) + 1) * (std::size_t(largestY) + 1), CellEmpty)
{ }

namespace {

struct Vertex
{
    float x, y, z;
};

// Round(value) in extended precision, as the rule for every rounded expression asks, here
// reached through a double computation where that gives the same integer: the double value
// lies within 2^-51 of the exact one relative to `magnitude` (a bound of the terms), the
// extended one within 2^-62, so both round alike unless the double value lies within
// 2^-48 * magnitude of a half. Those rare values, and any beyond the range where the double
// trick holds, take the extended computation.
template<typename Slow> inline std::int64_t RoundLikeExtended(double value, double magnitude, Slow slow)
{
    constexpr double shift = 0x1.8p52; // adding and taking it away rounds to the nearest even
    const double rounded = (value + shift) - shift;
    const double off = std::abs(value - rounded);
    if (off < 0.5 - magnitude * 0x1p-48 && std::abs(value) < 0x1p40)
        return std::int64_t(rounded);
    return slow();
}

std::int32_t ClampIndex(long double rounded, std::int32_t largest)
{
    if (!(rounded > 0))
        return 0;
    return rounded > largest ? largest : std::int32_t(rounded);
}

// j / m for every 0 <= j <= m up to a limit: the very quotients the division gives, looked
// up instead of divided for each sample (a triangle has some ten lines of some five samples).
class Fractions
{
public:
    static constexpr std::int64_t Largest = 256;

    Fractions()
    {
        m_start.resize(Largest + 1);
        for (std::int64_t m = 1; m <= Largest; ++m) {
            m_start[std::size_t(m)] = m_values.size();
            for (std::int64_t j = 0; j <= m; ++j)
                m_values.push_back(double(j) / double(m));
            m_values.push_back(1.0); // a pair may read one past the last
        }
    }
    // Nothing beyond the limit.
    const double *of(std::int64_t m) const
    {
        return m <= Largest ? m_values.data() + m_start[std::size_t(m)] : nullptr;
    }

private:
    std::vector<std::size_t> m_start;
    std::vector<double> m_values;
};

const Fractions &FractionTable()
{
    static const Fractions table;
    return table;
}

// The grid of one step and the scales that take a turned point to its cell.
class StepRaster
{
public:
    StepRaster(tpix2d &grid, double pixelSize, const TStopRequest &stop)
        : m_grid(grid)
        , m_cells(grid.column(0))
        , m_rows(std::size_t(grid.largestY()) + 1)
        , m_ps(pixelSize)
        , m_inverse(1.0 / pixelSize)
        , m_halfX(grid.largestX() / 2.0)
        , m_halfY(grid.largestY() / 2.0)
        , m_fractions(FractionTable())
        , m_stop(stop)
    { }

    // False when a stop came while a very large triangle was drawn.
    bool triangle(Vertex p, Vertex q, Vertex r);

private:
    void line(Vertex a, Vertex b);
    std::int64_t count(double distance, double plus) const
    {
        const double value = distance * m_inverse + plus;
        return RoundLikeExtended(value, value + 1, [&] {
            return std::int64_t(RoundHalfEven(static_cast<long double>(distance) / m_ps + plus));
        });
    }
    std::int32_t cell(float coordinate, double half, std::int32_t largest, double magnitude) const
    {
        const std::int64_t rounded
            = RoundLikeExtended(double(coordinate) * m_inverse + half, magnitude, [&]() -> std::int64_t {
                  return ClampIndex(RoundHalfEven(static_cast<long double>(coordinate) / m_ps
                                                  + static_cast<long double>(largest) / 2),
                                    largest);
              });
        return rounded < 0 ? 0 : rounded > largest ? largest : std::int32_t(rounded);
    }

    tpix2d &m_grid;
    std::uint8_t *m_cells;
    std::size_t m_rows;
    double m_ps;
    double m_inverse;
    double m_halfX;
    double m_halfY;
    const Fractions &m_fractions;
    const TStopRequest &m_stop;
};

inline float Along(float a, double t, double difference)
{
    return float(double(a) + t * difference);
}

// Distance3D as it computes it, inlined: the same differences, squares and sum.
inline double Distance(Vertex p, Vertex q)
{
    const double a = double(q.x) - p.x, b = double(q.y) - p.y, c = double(q.z) - p.z;
    return std::sqrt(a * a + b * b + c * c);
}

bool StepRaster::triangle(Vertex p, Vertex q, Vertex r)
{
    // By depth, nearest first: three compare-and-swap steps.
    if (p.z > q.z)
        std::swap(p, q);
    if (q.z > r.z)
        std::swap(q, r);
    if (p.z > q.z)
        std::swap(p, q);
    // Round is monotonic: the rounded larger value is the larger rounded value.
    const std::int64_t n = 2 * std::max(count(Distance(p, q), 1.0), count(Distance(p, r), 1.0));
    const double rx = double(r.x) - p.x, ry = double(r.y) - p.y, rz = double(r.z) - p.z;
    const double qx = double(q.x) - p.x, qy = double(q.y) - p.y, qz = double(q.z) - p.z;
    const double *fractions = m_fractions.of(n);
    for (std::int64_t i = 0; i <= n; ++i) {
        // A triangle metres long takes millions of samples: a stop is heard within it too.
        if (n > 4096 && (i & 255) == 255 && m_stop && m_stop())
            return false;
        const double t = fractions ? fractions[i] : double(i) / double(n);
        line({Along(p.x, t, rx), Along(p.y, t, ry), Along(p.z, t, rz)},
             {Along(p.x, t, qx), Along(p.y, t, qy), Along(p.z, t, qz)});
    }
    return true;
}

void StepRaster::line(Vertex a, Vertex b)
{
    const std::int64_t m = count(Distance(a, b), 0.0) + 1;
    const double dx = double(b.x) - a.x;
    const double dy = double(b.y) - a.y;
    // Every sample lies between the ends, so their larger magnitude bounds the terms.
    const double magnitudeX
        = 2 * std::max(std::abs(double(a.x)), std::abs(double(b.x))) * m_inverse + m_halfX;
    const double magnitudeY
        = 2 * std::max(std::abs(double(a.y)), std::abs(double(b.y))) * m_inverse + m_halfY;
    const std::int32_t largestX = m_grid.largestX();
    const std::int32_t largestY = m_grid.largestY();
    auto sample = [&](std::int64_t j) {
        const double s = double(j) / double(m);
        const std::int32_t x = cell(Along(a.x, s, dx), m_halfX, largestX, magnitudeX);
        const std::int32_t y = cell(Along(a.y, s, dy), m_halfY, largestY, magnitudeY);
        m_cells[std::size_t(x) * m_rows + std::size_t(y)] = CellEdge;
    };
    std::int64_t j = 0;
#if defined(__SSE2__)
    // Two samples at a time, each lane computing exactly what the scalar code does: the same
    // quotient, products, sums and float narrowing, in the same order. A pair with either
    // value near a half takes the scalar way, which falls back to extended precision.
    const double *fractions = m_fractions.of(m);
    if (fractions && magnitudeX < 0x1p39 && magnitudeY < 0x1p39) {
        const __m128d ax = _mm_set1_pd(double(a.x)), ay = _mm_set1_pd(double(a.y));
        const __m128d ddx = _mm_set1_pd(dx), ddy = _mm_set1_pd(dy);
        const __m128d inverse = _mm_set1_pd(m_inverse);
        const __m128d halfX = _mm_set1_pd(m_halfX), halfY = _mm_set1_pd(m_halfY);
        const __m128d shift = _mm_set1_pd(0x1.8p52);
        const __m128d sign = _mm_set1_pd(-0.0);
        const __m128d nearX = _mm_set1_pd(0.5 - magnitudeX * 0x1p-48);
        const __m128d nearY = _mm_set1_pd(0.5 - magnitudeY * 0x1p-48);
        const __m128d zero = _mm_setzero_pd();
        const __m128d lastX = _mm_set1_pd(double(largestX)), lastY = _mm_set1_pd(double(largestY));
        // An odd last sample is paired with j / m = 1 again, which sets the same cell twice.
        for (; j <= m; j += 2) {
            const __m128d s = _mm_loadu_pd(fractions + j);
            const __m128d x = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_add_pd(ax, _mm_mul_pd(s, ddx))));
            const __m128d y = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_add_pd(ay, _mm_mul_pd(s, ddy))));
            const __m128d vx = _mm_add_pd(_mm_mul_pd(x, inverse), halfX);
            const __m128d vy = _mm_add_pd(_mm_mul_pd(y, inverse), halfY);
            const __m128d rx = _mm_sub_pd(_mm_add_pd(vx, shift), shift);
            const __m128d ry = _mm_sub_pd(_mm_add_pd(vy, shift), shift);
            const __m128d offX = _mm_andnot_pd(sign, _mm_sub_pd(vx, rx));
            const __m128d offY = _mm_andnot_pd(sign, _mm_sub_pd(vy, ry));
            if (_mm_movemask_pd(_mm_and_pd(_mm_cmplt_pd(offX, nearX), _mm_cmplt_pd(offY, nearY))) != 3) {
                sample(j);
                sample(std::min(j + 1, m));
                continue;
            }
            const __m128i cx = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(rx, zero), lastX));
            const __m128i cy = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(ry, zero), lastY));
            m_cells[std::size_t(_mm_cvtsi128_si32(cx)) * m_rows + std::size_t(_mm_cvtsi128_si32(cy))]
                = CellEdge;
            m_cells[std::size_t(_mm_cvtsi128_si32(_mm_shuffle_epi32(cx, 1))) * m_rows
                    + std::size_t(_mm_cvtsi128_si32(_mm_shuffle_epi32(cy, 1)))]
                = CellEdge;
        }
    }
#endif
    for (; j <= m; ++j)
        sample(j);
}

} // namespace

tpix2d RasterizeStep(const TModelData &model, double angle, TSilhouetteSize size, double pixelSize,
                     const TStopRequest &stop)
{
    auto stopped = [&stop] { return stop && stop(); };
    if (stopped())
        return {};
    tpix2d grid(size.largestX, size.largestY);
    if (stopped())
        return grid;

    // Turned about the vertical line through the model's centre, the centre moved to the
    // origin; the vertices are turned as each triangle is reached.
    const double a = angle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double cx = model.ModelCentre[0];
    const double cy = model.ModelCentre[1];
    const double cz = model.ModelCentre[2];
    auto turn = [&](float x, float y, float z) {
        const double dx = double(x) - cx;
        const double dz = double(z) - cz;
        return Vertex {float(c * dx - s * dz), float(double(y) - cy), float(c * dz + s * dx)};
    };
    StepRaster raster(grid, pixelSize, stop);
    for (const TRawTriangle &t : model.triangles) {
        if (stopped()
            || !raster.triangle(turn(t.x1, t.y1, t.z1), turn(t.x2, t.y2, t.z2), turn(t.x3, t.y3, t.z3)))
            break;
    }
    MarkInterior(grid);
    return grid;
}

void MarkInterior(tpix2d &grid)
{
    const std::int32_t largestX = grid.largestX();
    const std::int32_t largestY = grid.largestY();
    if (grid.empty())
        return;
    if (largestX >= 2 && largestY >= 2) {
        // A cell turned interior is still set, so each cell's fate depends only on which
        // cells are set: the least of each column's three vertical neighbours is kept for
        // the column before, this one and the next.
        const std::size_t rows = std::size_t(largestY) + 1;
        std::vector<std::uint8_t> before(rows), here(rows), after(rows);
        auto verticalLeast = [&](std::int32_t x, std::vector<std::uint8_t> &least) {
            const std::uint8_t *col = grid.column(x);
            for (std::size_t y = 1; y + 1 < rows; ++y)
                least[y] = std::min({col[y - 1], col[y], col[y + 1]});
        };
        verticalLeast(0, before);
        verticalLeast(1, here);
        for (std::int32_t x = 1; x < largestX; ++x) {
            verticalLeast(x + 1, after);
            std::uint8_t *col = grid.column(x);
            for (std::size_t y = 1; y + 1 < rows; ++y) {
                const bool surrounded = std::min({before[y], here[y], after[y]}) > CellEmpty;
                col[y] = surrounded ? CellInterior : col[y];
            }
            std::swap(before, here);
            std::swap(here, after);
        }
    }
    // Row 0: the first run of edge cells keeps only its two ends.
    std::int32_t x = 0;
    while (x <= largestX && grid.at(x, 0) != CellEdge)
        ++x;
    if (x > largestX)
        return;
    for (++x; x < largestX && grid.at(x, 0) == CellEdge && grid.at(x + 1, 0) == CellEdge; ++x)
        grid.at(x, 0) = CellInterior;
}
