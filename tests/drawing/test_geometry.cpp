#include "drawing/geometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;
}

TEST(Geometry, MinMaxReturnTheFirstArgumentOnTies)
{
    const double a = 0.0;
    const double b = -0.0;
    EXPECT_FALSE(std::signbit(FloatMax(a, b)));
    EXPECT_TRUE(std::signbit(FloatMax(b, a)));
    EXPECT_FALSE(std::signbit(FloatMin(a, b)));
    EXPECT_TRUE(std::signbit(FloatMin(b, a)));
    EXPECT_EQ(FloatMin(3, 2), 2);
    EXPECT_EQ(FloatMax(3, 2), 3);
    EXPECT_EQ(IntMin(-3, 2), -3);
    EXPECT_EQ(IntMax(-3, 2), 2);
}

TEST(Geometry, PointsWithinToleranceIsStrict)
{
    const double tol = 4.0;
    EXPECT_TRUE(PointsWithinTolerance({0, 0}, {3, 3}, tol));
    EXPECT_TRUE(PointsWithinTolerance({0, 0}, {-3, 3}, tol));
    EXPECT_FALSE(PointsWithinTolerance({0, 0}, {4, 4}, tol));
    EXPECT_FALSE(PointsWithinTolerance({0, 0}, {0, 4}, tol));
    EXPECT_FALSE(PointsWithinTolerance({0, 0}, {-4, 0}, tol));
    // Far-apart points do not overflow the difference.
    EXPECT_FALSE(PointsWithinTolerance({-2147483647, 0}, {2147483647, 0}, tol));
    EXPECT_TRUE(PointsWithinQuarterStep({5, 5}, {5, 5}));
    EXPECT_FALSE(PointsWithinQuarterStep({5, 5}, {5, 6}));
}

TEST(Geometry, Divides)
{
    EXPECT_TRUE(Divides(10, 5));
    EXPECT_FALSE(Divides(10, 3));
    EXPECT_TRUE(Divides(-9, 3));
    // Dividing by zero used to crash; it now simply does not divide.
    EXPECT_FALSE(Divides(10, 0));
}

TEST(Geometry, LineThroughTwoPoints)
{
    const TLineEq up = LineThrough({5, 0}, {5, 10});
    EXPECT_TRUE(up.vertical);
    EXPECT_EQ(up.slope, 2147483647.0);
    EXPECT_EQ(up.intercept, 5.0);
    EXPECT_EQ(LineThrough({5, 10}, {5, 0}).slope, -2147483647.0);
    EXPECT_TRUE(LineThrough({1, 1}, {1, 1}).degenerate);
    const TLineEq slanted = LineThrough({0, 1}, {2, 5});
    EXPECT_EQ(slanted.slope, 2.0);
    EXPECT_EQ(slanted.intercept, 1.0);
}

TEST(Geometry, SegmentAngleCoversEveryDirection)
{
    struct Case
    {
        TPlotPoint to;
        double angle;
    };
    const Case cases[] = {
        {{0, 0}, 0.0},           {{10, 0}, 0.0}, {{10, 10}, Pi / 4},       {{0, 10}, Pi / 2},
        {{-10, 10}, 3 * Pi / 4}, {{-10, 0}, Pi}, {{-10, -10}, 5 * Pi / 4}, {{0, -10}, 3 * Pi / 2},
        {{10, -10}, 7 * Pi / 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.to.x << "," << c.to.y);
        EXPECT_NEAR(SegmentAngle({0, 0}, c.to), c.angle, 1e-12);
        if (c.to.x != 0 || c.to.y != 0) {
            EXPECT_NEAR(SegmentAngleF({0, 0}, {double(c.to.x), double(c.to.y)}), c.angle, 1e-12);
        }
    }
    EXPECT_EQ(SegmentAngleF({1, 1}, {1, 1}), 3 * Pi / 2);
}

TEST(Geometry, VertexAngleIsPositiveForRightHandTurns)
{
    EXPECT_NEAR(VertexAngle({0, 0}, {10, 0}, {10, -10}), Pi / 2, 1e-12);
    EXPECT_NEAR(VertexAngle({0, 0}, {10, 0}, {10, 10}), -Pi / 2, 1e-12);
    EXPECT_NEAR(VertexAngle({0, 0}, {10, 0}, {20, 0}), 0.0, 1e-12);
    // Across the 0/2pi seam the turn is still small.
    EXPECT_NEAR(VertexAngle({0, 0}, {10, -1}, {20, -1}), -std::atan(0.1), 1e-12);
    EXPECT_NEAR(std::abs(VertexAngle({0, 0}, {10, 0}, {0, 0})), Pi, 1e-12);
}

TEST(Geometry, SegmentsIntersect)
{
    struct Case
    {
        const char *name;
        TSegment s1, s2;
        bool cross;
    };
    const Case cases[] = {
        {"diagonals", {{0, 0}, {10, 10}}, {{0, 10}, {10, 0}}, true},
        {"meet at an end", {{0, 0}, {10, 0}}, {{10, 0}, {10, 10}}, false},
        {"collinear overlapping", {{0, 0}, {10, 0}}, {{5, 0}, {15, 0}}, true},
        {"collinear apart", {{0, 0}, {5, 0}}, {{10, 0}, {15, 0}}, false},
        {"collinear touching", {{0, 0}, {10, 0}}, {{10, 0}, {20, 0}}, false},
        {"parallel", {{0, 0}, {10, 0}}, {{0, 1}, {10, 1}}, false},
        {"vertical through horizontal", {{5, -5}, {5, 5}}, {{0, 0}, {10, 0}}, true},
        {"T touching", {{0, 0}, {10, 0}}, {{5, 0}, {5, 10}}, false},
        {"vertical overlapping", {{3, 0}, {3, 10}}, {{3, 5}, {3, 20}}, true},
        {"vertical end to end", {{3, 0}, {3, 10}}, {{3, 10}, {3, 20}}, false},
        {"reversed ends", {{10, 10}, {0, 0}}, {{10, 0}, {0, 10}}, true},
        {"degenerate", {{5, 5}, {5, 5}}, {{0, 0}, {10, 10}}, false},
        {"miss", {{0, 0}, {1, 1}}, {{5, 0}, {6, -1}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SegmentsIntersect(c.s1, c.s2), c.cross);
        TPlotPoint p;
        EXPECT_EQ(SegmentIntersection(c.s1, c.s2, p), c.cross);
    }
}

TEST(Geometry, SegmentIntersectionPoint)
{
    TPlotPoint p;
    ASSERT_TRUE(SegmentIntersection({{0, 0}, {10, 10}}, {{0, 10}, {10, 0}}, p));
    EXPECT_EQ(p, (TPlotPoint {5, 5}));
    ASSERT_TRUE(SegmentIntersection({{0, 0}, {10, 0}}, {{5, 0}, {15, 0}}, p));
    EXPECT_EQ(p, (TPlotPoint {8, 0})); // 7.5 rounds to the even 8
    // A crossing far out is scaled down by tens until it fits, and the
    // scaling ends (it used to be able to spin for ever).
    ASSERT_TRUE(
        SegmentIntersection({{0, 0}, {2000000000, 2000000000}}, {{0, 2000000000}, {2000000000, 0}}, p));
    EXPECT_EQ(p, (TPlotPoint {10000000, 10000000}));
}

TEST(Geometry, SegmentsCrossPointIncludesEnds)
{
    TPlotPoint p;
    ASSERT_TRUE(SegmentsCrossPoint({{0, 0}, {10, 0}}, {{10, 0}, {10, 10}}, p));
    EXPECT_EQ(p, (TPlotPoint {10, 0}));
    EXPECT_FALSE(SegmentsCrossPoint({{0, 0}, {10, 0}}, {{0, 5}, {10, 5}}, p));
    EXPECT_FALSE(SegmentsCrossPoint({{0, 0}, {0, 10}}, {{0, 5}, {0, 15}}, p));
    EXPECT_FALSE(SegmentsCrossPoint({{0, 0}, {10, 0}}, {{11, -5}, {11, 5}}, p));
}

TEST(Geometry, VerticalOffsetToSegmentIsHalfOpen)
{
    double d = -1;
    EXPECT_TRUE(VerticalOffsetToSegment({{0, 10}, {10, 20}}, {0, 0}, d));
    EXPECT_EQ(d, 10.0);
    EXPECT_TRUE(VerticalOffsetToSegment({{10, 20}, {0, 10}}, {5, 30}, d));
    EXPECT_EQ(d, -15.0);
    EXPECT_FALSE(VerticalOffsetToSegment({{0, 10}, {10, 20}}, {10, 0}, d));
    EXPECT_EQ(d, 0.0);
    EXPECT_FALSE(VerticalOffsetToSegment({{5, 0}, {5, 10}}, {5, 0}, d));
}

TEST(Geometry, Distances)
{
    EXPECT_EQ(PointDistance({0, 0}, {3, 4}), 5.0);
    EXPECT_EQ(PointDistanceF({0, 0}, {-3, -4}), 5.0);
    EXPECT_EQ(DistanceSquared({-MaxPlotCoordinate, 0}, {MaxPlotCoordinate, MaxPlotCoordinate}),
              std::int64_t(42949670) * 42949670 + std::int64_t(21474835) * 21474835);
    EXPECT_EQ(PointDistance32({0, 0}, {30000, 40000}), 50000.0);
    EXPECT_FLOAT_EQ(float(Distance3D({0, 0, 0}, {1, 2, 2})), 3.0f);
    EXPECT_EQ(Length3D(2, 3, 6), 7.0);
    const TLineCoef line = LineCoefficients({0, 1}, {10, 1});
    EXPECT_EQ(DistancePointLine({5, 4}, line), 3.0);
    EXPECT_EQ(DistancePointLine({7, 0}, LineCoefficients({2, 0}, {2, 9})), 5.0);
    EXPECT_NEAR(DistanceToLine({0, 10}, LineThrough({0, 0}, {10, 10})), std::sqrt(50.0), 1e-9);
    EXPECT_EQ(DistanceToLine({7, 3}, LineThrough({1, 0}, {1, 5})), 6.0);
    EXPECT_EQ(DistanceToLine({7, 3}, LineThrough({0, 1}, {5, 1})), 2.0);
}

TEST(Geometry, DistanceToSegmentTakesTheFootOrTheNearerEnd)
{
    struct Case
    {
        const char *name;
        TPlotPoint p;
        TSegment s;
        double distance;
        TPlotPoint nearest;
        TSegmentFoot code;
    };
    const Case cases[] = {
        {"foot inside", {5, 5}, {{0, 0}, {10, 0}}, 5.0, {5, 0}, TSegmentFoot::Inside},
        {"beyond the first end", {-3, 4}, {{0, 0}, {10, 0}}, 5.0, {0, 0}, TSegmentFoot::FirstEnd},
        {"beyond the second end", {13, -4}, {{0, 0}, {10, 0}}, 5.0, {10, 0}, TSegmentFoot::SecondEnd},
        {"degenerate", {3, 4}, {{0, 0}, {0, 0}}, 5.0, {0, 0}, TSegmentFoot::FirstEnd},
        {"slanted foot", {0, 10}, {{0, 0}, {10, 10}}, std::sqrt(50.0), {5, 5}, TSegmentFoot::Inside},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TSegmentDistance d = DistanceToSegment(c.p, c.s, 0.0);
        EXPECT_NEAR(d.distance, c.distance, 1e-9);
        EXPECT_EQ(d.nearest, c.nearest);
        EXPECT_EQ(d.code, c.code);
        EXPECT_NEAR(d.angle, SegmentAngle(c.p, c.nearest), 1e-12);
    }
}

TEST(Geometry, SimulationDelayWaitsAFractionOfTheTime)
{
    // A fake clock that moves 0.01 ms per read: 10,000 reads per 100 ms
    // calibrate to 100 polls per millisecond.
    double now = 0.0;
    int reads = 0;
    TSimulationDelay delay([&] {
        ++reads;
        now += 0.01;
        return now;
    });
    delay.Wait(10.0, 9); // a tenth of 10 ms with the scroll bar at 9
    EXPECT_NEAR(delay.pollsPerMs(), 100.0, 0.02);
    reads = 0;
    delay.Wait(10.0, 9);
    EXPECT_EQ(reads, 101); // Round(1 ms * 100 polls) + 1
    reads = 0;
    const double start = now;
    delay.Wait(1000.0, 1); // 500 ms: waits on the clock itself
    EXPECT_GT(now - start, 500.0);
    EXPECT_LT(now - start, 500.1);
}

TEST(Geometry, CurveHelpers)
{
    EXPECT_EQ(Factorial(0), 1);
    EXPECT_EQ(Factorial(1), 1);
    EXPECT_EQ(Factorial(12), 479001600);
    EXPECT_EQ(Factorial(20), 2432902008176640000LL);
    // Used to overflow; it now saturates.
    EXPECT_EQ(Factorial(25), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(IntPower(2.0, 0), 1.0);
    EXPECT_EQ(IntPower(2.0, 1), 2.0);
    EXPECT_EQ(IntPower(-2.0, 3), -8.0);
    for (int n = 0; n <= 12; ++n) {
        for (int k = 0; k <= n; ++k) {
            SCOPED_TRACE(testing::Message() << n << " choose " << k);
            EXPECT_EQ(Binomial(n, k), double(Factorial(n) / (Factorial(k) * Factorial(n - k))));
        }
    }
    // Beyond the int32 factorials of old the binomial stays exact.
    EXPECT_EQ(Binomial(30, 15), 155117520.0);
}
