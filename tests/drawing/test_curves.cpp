#include "drawing/curves.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;

double radiusOf(TCurvePoint p, TCurvePoint c)
{
    return double(std::hypot(p.x - c.x, p.y - c.y));
}
} // namespace

TEST(Curves, ChordRule)
{
    EXPECT_DOUBLE_EQ(ChordLength(628.3185, 2.0), 628.3185 / 192);
    EXPECT_EQ(ChordLength(62.83, 2.0), 2.0);
    EXPECT_EQ(ChordLength(5000, 2.0), 5.0);
    EXPECT_EQ(ChordLength(5000, 7.0), 7.0);
}

TEST(Curves, ArcChordCounts)
{
    struct Case
    {
        double r;
        double sweepDegrees;
        std::size_t points;
    };
    const Case cases[] = {
        {100, 100, 55}, // Round(53.83) = 54 chords
        {1, 90, 17}, // the minimum of 16 chords
        {100, 360, 193},
        {100, -100, 54}, // |Round(-53.33 + 0.5)|: a clockwise sweep counts one less
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << " " << c.sweepDegrees);
        const double sweep = c.sweepDegrees * Pi / 180;
        const auto points = FlattenArc({5, 5}, c.r, 0.3, sweep, 1.0, 2.0);
        ASSERT_EQ(points.size(), c.points);
        for (const TCurvePoint &p : points)
            EXPECT_NEAR(radiusOf(p, {5, 5}), c.r, 1e-9);
        EXPECT_NEAR(double(points.back().x), 5 + c.r * std::cos(0.3 + sweep), 1e-12);
    }
    // In inches the same arc is 25.4 times longer: 5 mm chords.
    EXPECT_EQ(FlattenArc({0, 0}, 100, 0, Pi, 25.4, 2.0).size(), 1597u); // Round(1595.9 + 0.5) chords
}

TEST(Curves, BulgeHalfCircles)
{
    const auto ccw = FlattenBulge({0, 0}, {20, 0}, 1.0, 1.0, 2.0);
    const auto cw = FlattenBulge({0, 0}, {20, 0}, -1.0, 1.0, 2.0);
    for (const auto *arc : {&ccw, &cw}) {
        ASSERT_EQ(arc->size(), 17u);
        EXPECT_NEAR(double(arc->front().x), 0, 1e-12);
        EXPECT_NEAR(double(arc->back().x), 20, 1e-12);
        for (const TCurvePoint &p : *arc)
            EXPECT_NEAR(radiusOf(p, {10, 0}), 10, 1e-9);
    }
    EXPECT_NEAR(double(ccw[8].y), -10, 1e-9);
    EXPECT_NEAR(double(cw[8].y), 10, 1e-9);
    // A quarter-circle bulge and a large one keep both ends.
    for (double b : {std::tan(Pi / 8), -std::tan(Pi / 8), 3.0, -0.01}) {
        SCOPED_TRACE(b);
        const auto arc = FlattenBulge({1, 2}, {21, 12}, b, 1.0, 2.0);
        EXPECT_NEAR(double(arc.front().x), 1, 1e-9);
        EXPECT_NEAR(double(arc.front().y), 2, 1e-9);
        EXPECT_NEAR(double(arc.back().x), 21, 1e-9);
        EXPECT_NEAR(double(arc.back().y), 12, 1e-9);
    }
    const auto straight = FlattenBulge({0, 0}, {20, 0}, 0.0, 1.0, 2.0);
    EXPECT_EQ(straight.size(), 2u);
}

TEST(Curves, SolversAndBasisFunctions)
{
    EXPECT_EQ(Det3({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), 1.0);
    EXPECT_EQ(Det3({1, 2, 3}, {4, 5, 6}, {7, 8, 10}), -3.0);
    const TColumn singular = Solve3({1, 2, 3}, {2, 4, 6}, {0, 1, 0}, {1, 1, 1});
    EXPECT_EQ(singular, (TColumn {0, 0, 0}));
    const TColumn x = Solve3({2, 0, 0}, {0, 4, 0}, {1, 0, 1}, {5, 8, 3});
    EXPECT_DOUBLE_EQ(x[0], 1.0);
    EXPECT_DOUBLE_EQ(x[1], 2.0);
    EXPECT_DOUBLE_EQ(x[2], 3.0);
    EXPECT_DOUBLE_EQ(Bernstein(3, 1, 0.5), 0.375);
    EXPECT_EQ(BezierCubicPoint({0, 0}, {1, 5}, {2, 5}, {3, 0}, 0.0), (TCurvePoint {0, 0}));
    EXPECT_EQ(BezierCubicPoint({0, 0}, {1, 5}, {2, 5}, {3, 0}, 1.0), (TCurvePoint {3, 0}));
}

TEST(Curves, BSplineSumsOnlyTheNonZeroBasisFunctionsToTheSameValue)
{
    const std::vector<TCurvePoint> ctrl {{0, 0}, {10, 30}, {20, -10}, {35, 25}, {50, 0}, {60, 40}, {70, 5}};
    for (int degree : {1, 2, 3, 4}) {
        SCOPED_TRACE(degree);
        std::vector<double> knots;
        const int count = int(ctrl.size());
        for (int i = 0; i < count + degree + 1; ++i)
            knots.push_back(std::clamp(i - degree, 0, count - degree) * 1.5);
        const TBSpline spline(ctrl, knots, degree, 0.01);
        for (double t = knots[std::size_t(degree)]; t < knots[std::size_t(count)]; t += 0.037) {
            long double x = 0, y = 0;
            for (int i = 0; i < count; ++i) {
                const double n = CoxDeBoor(knots, i, degree + 1, t);
                x += n * ctrl[std::size_t(i)].x;
                y += n * ctrl[std::size_t(i)].y;
            }
            const TCurvePoint p = spline.at(t);
            EXPECT_NEAR(double(p.x), double(x), 1e-9);
            EXPECT_NEAR(double(p.y), double(y), 1e-9);
        }
    }
}

TEST(Curves, SplineSamplingFollowsTheChordRule)
{
    TSplineData s;
    s.degree = 3;
    s.controlPoints = {{0, 0}, {100, 0}, {100, 100}, {200, 100}, {200, 200}};
    s.knots = {0, 0, 0, 0, 0.5, 1, 1, 1, 1};
    // L = 400 mm, chord Max(Min(400 / 960, 5), 2) = 2: m = 200 steps,
    // between the first and the last control point.
    const auto points = FlattenSplineEntity(s, 1.0, 2.0);
    EXPECT_EQ(points.front(), (TCurvePoint {0, 0}));
    EXPECT_EQ(points.back(), (TCurvePoint {200, 200}));
    EXPECT_EQ(points.size(), 202u);
    // Twelve control points with a clamped uniform knot vector are one
    // B-spline, not three separate Bezier curves.
    TSplineData twelve;
    twelve.degree = 3;
    for (int i = 0; i < 12; ++i)
        twelve.controlPoints.push_back({10.0L * i, (i % 2) * 10.0L});
    twelve.knots = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9};
    const auto smooth = FlattenSplineEntity(twelve, 1.0, 2.0);
    const TBSpline reference(twelve.controlPoints, twelve.knots, 3, 0.25);
    for (std::size_t i = 1; i + 1 < smooth.size(); ++i) {
        // Every inner point lies on the B-spline (within its own span).
        bool near = false;
        for (double t = 0; t < 9 && !near; t += 0.001) {
            const TCurvePoint q = reference.at(t);
            near = std::hypot(double(q.x - smooth[i].x), double(q.y - smooth[i].y)) < 0.05;
        }
        EXPECT_TRUE(near) << i;
    }
}

TEST(Curves, FitPolylineSpans)
{
    const std::vector<TCurvePoint> three {{0, 0}, {10, 0}, {10, 10}};
    EXPECT_EQ(FlattenFitPolyline(three, false, 1.0, 2.0), three);
    EXPECT_EQ(FlattenFitPolyline(three, true, 1.0, 2.0).back(), (TCurvePoint {0, 0}));
    const std::vector<TCurvePoint> four {{0, 0}, {10, 10}, {20, 10}, {30, 0}};
    const auto open = FlattenFitPolyline(four, false, 1.0, 2.0);
    EXPECT_EQ(open.front(), four.front());
    EXPECT_EQ(open.back(), four.back());
    const auto closed = FlattenFitPolyline(four, true, 1.0, 2.0);
    EXPECT_EQ(closed.front(), four.front());
    EXPECT_EQ(closed.back(), four.front());
    // The cubic passes through the inner vertices: the span from vertex 0
    // to vertex 2 ends near vertex 2 and the next span starts there.
    bool through = false;
    for (const TCurvePoint &p : closed)
        through = through || p == four[2];
    EXPECT_TRUE(through);
}
