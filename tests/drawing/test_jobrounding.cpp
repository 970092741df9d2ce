// The job writer's fast roundings against the same expressions evaluated
// plainly in long double and rounded with std::nearbyint (halves to even):
// seeded random values across the whole range, and values placed at, just
// beside and around the halves where a rounding could tip.

#include "drawing/figure.h"
#include "drawing/jobbytes.h"
#include "drawing/jobformat.h"
#include "drawing/jobwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

std::int32_t plainRound32(long double value)
{
    const long double r = std::nearbyint(value);
    if (std::isnan(r))
        return 0;
    return static_cast<std::int32_t>(std::clamp<long double>(r, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
}

// The move length as written down: six rounded roots in long double.
long double plainStepCount(const TAxisDeltas &d)
{
    const auto sq = [](std::int32_t v) { return static_cast<long double>(v) * v; };
    const long double a = sq(d.x1) + sq(d.y1);
    const long double b = sq(d.x2) + sq(d.y2);
    long double best = 0.0L;
    for (const std::int32_t e : {d.s, d.w, d.z}) {
        best = std::max(best, std::nearbyint(std::sqrt(a + sq(e) + 0.5L)));
        best = std::max(best, std::nearbyint(std::sqrt(b + sq(e) + 0.5L)));
    }
    return best;
}

// The corner comparison as the writer defines it, wholly in long double.
bool plainCornerAtMost(const JobPositions &p0, const JobPositions &p1, const JobPositions &p2, int i, int j, int k)
{
    std::int64_t u[3];
    std::int64_t w[3];
    int n = 0;
    for (const int a : {i, j, k}) {
        u[n] = std::int64_t {p1[a]} - p0[a];
        w[n] = std::int64_t {p2[a]} - p1[a];
        if (u[n] <= -(1 << 30) || u[n] >= (1 << 30) || w[n] <= -(1 << 30) || w[n] >= (1 << 30))
            return CornerCos3D({p0[i], p0[j], p0[k]}, {p1[i], p1[j], p1[k]}, {p2[i], p2[j], p2[k]}) <= 0.87;
        ++n;
    }
    const std::int64_t uu = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
    const std::int64_t ww = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    const std::int64_t uw = u[0] * w[0] + u[1] * w[1] + u[2] * w[2];
    if (uu == 0 || ww == 0)
        return false;
    if (uw <= 0)
        return true;
    const long double limit = 0.87;
    const long double d = static_cast<long double>(uw);
    return d * d <= limit * limit * static_cast<long double>(uu) * static_cast<long double>(ww);
}

class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_engine(seed)
    { }
    std::int64_t between(std::int64_t lo, std::int64_t hi)
    {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(m_engine);
    }
    // A value of a random bit width, so that small and large magnitudes
    // are tried alike.
    std::int32_t anyWidth()
    {
        const int bits = static_cast<int>(between(0, 31));
        const std::int64_t magnitude = between(0, (std::int64_t {1} << bits) - 1);
        return static_cast<std::int32_t>(between(0, 1) ? magnitude : -magnitude);
    }
    double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(m_engine); }

private:
    std::mt19937_64 m_engine;
};

TEST(JobRounding, MoveStepCountAgreesWithSixRoundedRootsOnRandomMoves)
{
    Random r(20261207);
    for (int i = 0; i < 1000000; ++i) {
        TAxisDeltas d;
        d.x1 = r.anyWidth();
        d.y1 = r.anyWidth();
        d.x2 = i % 3 == 0 ? d.x1 : r.anyWidth();
        d.y2 = i % 3 == 0 ? d.y1 : r.anyWidth();
        d.s = i % 4 == 0 ? r.anyWidth() : 0;
        d.w = i % 5 == 0 ? r.anyWidth() : 0;
        d.z = i % 6 == 0 ? r.anyWidth() : 0;
        d.third = i % 7 == 0 ? r.anyWidth() : 0;
        const long double expected = plainStepCount(d);
        ASSERT_EQ(static_cast<long double>(MoveStepCount(d)), expected)
            << d.x1 << ' ' << d.y1 << ' ' << d.x2 << ' ' << d.y2 << ' ' << d.s << ' ' << d.w << ' ' << d.z;
        const std::int32_t multiplier = static_cast<std::int32_t>(r.between(-2, 16));
        const long double count = expected * multiplier;
        const TMoveTicks ticks = MoveTicks(multiplier, d);
        ASSERT_EQ(static_cast<long double>(ticks.ticks), count) << i;
        ASSERT_EQ(ticks.overflow, count > std::numeric_limits<std::int32_t>::max()) << i;
    }
}

TEST(JobRounding, MoveStepCountAtTheHalvesOfTheRoot)
{
    // sqrt(s + 0.5) comes closest to a half k + 1/2 where s = k^2 + k; moves
    // whose squared length lands at or beside such an s, small and large.
    Random r(7);
    int boundaries = 0;
    for (int i = 0; i < 4000; ++i) {
        const int bits = 4 + i % 27;
        const std::int64_t a = r.between(std::int64_t {1} << (bits - 1), (std::int64_t {1} << bits) - 1);
        for (std::int64_t b = 0; b < 3000; ++b) {
            const std::uint64_t s = static_cast<std::uint64_t>(a * a + b * b);
            const auto k = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(s)));
            const auto offset = static_cast<std::int64_t>(s - (k * k + k));
            if (offset < -2 || offset > 2)
                continue;
            boundaries += offset == 0;
            TAxisDeltas d;
            d.x1 = static_cast<std::int32_t>(a);
            d.y1 = static_cast<std::int32_t>(b);
            ASSERT_EQ(static_cast<long double>(MoveStepCount(d)), plainStepCount(d)) << a << ' ' << b;
            TAxisDeltas rotary; // the same length through a wire end and a rotary axis
            rotary.x2 = static_cast<std::int32_t>(a);
            rotary.w = static_cast<std::int32_t>(-b);
            ASSERT_EQ(static_cast<long double>(MoveStepCount(rotary)), plainStepCount(rotary)) << a << ' ' << b;
        }
    }
    EXPECT_GT(boundaries, 100); // the sweep really met the halves
    for (const std::int64_t k : {std::int64_t {0}, std::int64_t {1}, std::int64_t {2}, std::int64_t {46340},
                                 std::int64_t {(1 << 26) - 1}, std::int64_t {1} << 26, std::int64_t {(1 << 28) - 1}}) {
        TAxisDeltas d; // s = k^2 exactly
        d.x1 = static_cast<std::int32_t>(k);
        EXPECT_EQ(static_cast<long double>(MoveStepCount(d)), plainStepCount(d)) << k;
    }
    for (std::int32_t x = -70; x <= 70; ++x) { // every short move, across the end of its table
        for (std::int32_t y = 0; y <= 70; ++y) {
            TAxisDeltas d;
            d.x1 = d.x2 = x;
            d.y1 = d.y2 = y;
            ASSERT_EQ(static_cast<long double>(MoveStepCount(d)), plainStepCount(d)) << x << ' ' << y;
            d.s = y / 2;
            ASSERT_EQ(static_cast<long double>(MoveStepCount(d)), plainStepCount(d)) << x << ' ' << y;
        }
    }
    TAxisDeltas largest;
    largest.x1 = largest.y1 = largest.z = std::numeric_limits<std::int32_t>::min();
    largest.x2 = largest.y2 = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(static_cast<long double>(MoveStepCount(largest)), plainStepCount(largest));
}

TEST(JobRounding, MillimetreTargetsAsSteps)
{
    // Targets from drawings (whole plotter units, 0.025 mm) land exactly on
    // half steps at resolution 1; the rest are random and beside the halves.
    Random r(99);
    const double resolutions[] = {1.0, 0.8, 1.25, 2.0, 0.5, 1.0 / 3.0, 0.123456789, 3.0, 1.0000000000000002};
    for (int i = 0; i < 2000000; ++i) {
        const double res = i % 2 ? 1.0 : resolutions[r.between(0, 8)];
        double mm = 0.0;
        switch (i % 6) {
        case 0:
            mm = UnitsToMm(r.anyWidth());
            break;
        case 1:
            mm = static_cast<double>(r.between(-4000000000LL, 4000000000LL)) / 200.0; // k + 1/2 steps
            break;
        case 2:
            mm = std::nextafter(static_cast<double>(r.between(-400000000, 400000000)) / 200.0,
                                r.between(0, 1) ? 1e300 : -1e300);
            break;
        case 3:
            mm = (static_cast<double>(r.between(-100000000, 100000000)) + 0.5) / 100.0 / res;
            break;
        case 4:
            mm = r.real(-60000000.0, 60000000.0);
            break;
        default:
            mm = std::ldexp(r.real(-1.0, 1.0), static_cast<int>(r.between(-1080, 60)));
            break;
        }
        const std::int32_t expected = plainRound32(static_cast<long double>(res) * mm * 100.0L);
        ASSERT_EQ(RoundMmToSteps(res, mm), expected) << std::hexfloat << res << ' ' << mm;
    }
    for (const double mm : {0.0, -0.0, 0.005, -0.005, 0.015, 2e7, -2e7, 1e300, -1e300, 5e-324,
                            std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        for (const double res : {1.0, 0.8}) {
            const long double value = static_cast<long double>(res) * mm * 100.0L;
            EXPECT_EQ(RoundMmToSteps(res, mm), RoundToInt32(value)) << mm << ' ' << res;
        }
    }
}

TEST(JobRounding, ScaledUnitsAndRotaryTurns)
{
    Random r(4242);
    const double scales[] = {100.0, 50.0, 200.0, 33.3, 99.5, 150.0, 12.5, 100.0000001, 0.1, 250.0};
    for (int i = 0; i < 1000000; ++i) {
        const double skala = i % 4 == 0 ? r.real(0.1, 1000.0) : scales[r.between(0, 9)];
        const std::int32_t v = r.anyWidth();
        ASSERT_EQ(RoundScaledUnits(skala, v), plainRound32(skala * static_cast<long double>(v) / 100.0L))
            << std::hexfloat << skala << ' ' << v;
    }
    const std::int32_t stepsPerTurn[] = {8000, 6400, 3600, 1000, 12345, 1, 0, -8000};
    for (int i = 0; i < 1000000; ++i) {
        const std::int32_t steps = stepsPerTurn[r.between(0, 7)];
        double turns = 0.0;
        switch (i % 4) {
        case 0:
            turns = (static_cast<double>(r.between(-2000000, 2000000)) + 0.5) / (steps == 0 ? 1 : steps);
            break;
        case 1:
            turns = static_cast<double>(r.between(-64000, 64000)) / 16000.0;
            break;
        case 2:
            turns = r.real(-1000.0, 1000.0);
            break;
        default:
            turns = std::nextafter(0.5 * static_cast<double>(r.between(-100000, 100000)) / (steps == 0 ? 1 : steps),
                                   r.between(0, 1) ? 1e300 : -1e300);
            break;
        }
        ASSERT_EQ(RoundTurnsToSteps(steps, turns), plainRound32(static_cast<long double>(steps) * turns))
            << std::hexfloat << steps << ' ' << turns;
    }
}

TEST(JobRounding, UnitsToMillimetresInDouble)
{
    Random r(5);
    for (int i = 0; i < 2000000; ++i) {
        const std::int32_t units = i % 2 ? r.anyWidth() : static_cast<std::int32_t>(r.between(-100000, 100000));
        ASSERT_EQ(UnitsToMmFast(units), UnitsToMm(units)) << units;
    }
    for (const std::int32_t units :
         {0, 1, -1, 5, 40, 41, 1000000007, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()})
        EXPECT_EQ(UnitsToMmFast(units), UnitsToMm(units)) << units;
}

TEST(JobRounding, CornerTestAgreesWithTheExtendedComparisonNearTheLimit)
{
    // Turns placed within a hair of arccos 0.87, so that the double
    // comparison has to hand over to the extended one.
    Random r(31);
    int nearLimit = 0;
    for (int i = 0; i < 300000; ++i) {
        const double length = std::ldexp(1.0, static_cast<int>(r.between(2, 28)));
        const double heading = r.real(0.0, 6.283185307179586);
        const double turn = std::acos(0.87) + (i % 3 == 0 ? r.real(-1e-3, 1e-3) : r.real(-1e-9, 1e-9));
        JobPositions a {}, b {}, c {};
        b[0] = b[4] = static_cast<std::int32_t>(std::lround(length * std::cos(heading)));
        b[1] = b[5] = static_cast<std::int32_t>(std::lround(length * std::sin(heading)));
        c[0] = c[4] = b[0] + static_cast<std::int32_t>(std::lround(length * std::cos(heading + turn)));
        c[1] = c[5] = b[1] + static_cast<std::int32_t>(std::lround(length * std::sin(heading + turn)));
        if (i % 5 == 0) // the back end on a path of its own
            c[4] += static_cast<std::int32_t>(r.between(-3, 3));
        const bool expected = plainCornerAtMost(a, b, c, 0, 1, 3) || plainCornerAtMost(a, b, c, 4, 5, 7);
        ASSERT_EQ(IsCorner(a, b, c), expected) << i;
        const long double value = CornerValue(a, b, c);
        nearLimit += std::fabs(value - 0.87L) < 1e-9L;
    }
    EXPECT_GT(nearLimit, 1000);

    // Steps whose squared products differ by less than the double
    // comparison can tell apart: a step along x followed by (x, y) with x / y
    // a best rational approximation of the ratio at which the corner value
    // is exactly the limit.
    const long double limit = 0.87;
    const long double ratio = std::sqrt(limit * limit / (1.0L - limit * limit));
    long double rest = ratio;
    std::int64_t p0 = 1, q0 = 0, p1 = static_cast<std::int64_t>(std::floor(rest)), q1 = 1;
    int undecidedInDouble = 0;
    for (int term = 0; term < 40 && q1 < (1 << 28); ++term) {
        for (std::int64_t dx = -2; dx <= 2; ++dx) {
            for (const std::int32_t along : {1, 3, 1000, 65535}) {
                JobPositions a {}, b {}, c {};
                b[0] = b[4] = along;
                c[0] = c[4] = static_cast<std::int32_t>(along + p1 + dx);
                c[1] = c[5] = static_cast<std::int32_t>(q1);
                const bool expected = plainCornerAtMost(a, b, c, 0, 1, 3);
                ASSERT_EQ(IsCorner(a, b, c), expected) << p1 + dx << '/' << q1 << " after " << along;
                const double uw = static_cast<double>(std::int64_t {along} * (p1 + dx));
                const double right = 0.87 * 0.87 * static_cast<double>(std::int64_t {along} * along)
                    * static_cast<double>((p1 + dx) * (p1 + dx) + q1 * q1);
                undecidedInDouble += std::fabs(uw * uw - right) <= right * 0x1p-40;
            }
        }
        rest = 1.0L / (rest - std::floor(rest));
        const auto digit = static_cast<std::int64_t>(std::floor(rest));
        const std::int64_t p2 = digit * p1 + p0;
        const std::int64_t q2 = digit * q1 + q0;
        p0 = p1;
        q0 = q1;
        p1 = p2;
        q1 = q2;
    }
    EXPECT_GT(undecidedInDouble, 4); // the extended comparison was really needed
}

} // namespace
