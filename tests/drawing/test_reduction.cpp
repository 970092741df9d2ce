#include "drawing/curves.h"
#include "drawing/geometry.h"
#include "drawing/reduction.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

tfigura figureOf(std::vector<TPlotPoint> pts)
{
    tfigura f;
    f.points = std::move(pts);
    return f;
}

std::vector<TPlotPoint> reduced(std::vector<TPlotPoint> pts, double tol)
{
    tfigura f = figureOf(std::move(pts));
    ReducePoints(f, tol);
    return f.points;
}

// The walk as written for a list that shrinks in place: recompute the whole window's largest
// distance, erase from the middle. The fast version must keep exactly the same points.
std::vector<TPlotPoint> plainReduction(std::vector<TPlotPoint> pts, double tol)
{
    auto f = [](TPlotPoint p) { return TPointF {double(p.x), double(p.y)}; };
    std::size_t i = 0, j = 2;
    while (j < pts.size()) {
        const TLineCoef line = LineCoefficients(f(pts[i]), f(pts[j]));
        double d = 0;
        for (std::size_t k = i + 1; k < j; ++k)
            d = std::max(d, DistancePointLine(f(pts[k]), line));
        if (d < tol) {
            ++j;
        } else {
            pts.erase(pts.begin() + std::ptrdiff_t(i + 1), pts.begin() + std::ptrdiff_t(j - 1));
            ++i;
            j = i + 2;
        }
    }
    if (j >= 2 && j - 1 > i + 1)
        pts.erase(pts.begin() + std::ptrdiff_t(i + 1), pts.begin() + std::ptrdiff_t(j - 1));
    return pts;
}

} // namespace

TEST(PointReduction, KeepsCornersAndEndsAndDropsPointsWithinTolerance)
{
    using P = std::vector<TPlotPoint>;
    EXPECT_EQ(reduced(P {{0, 0}, {10, 0}}, 4), (P {{0, 0}, {10, 0}}));
    // 5 units off the chord is beyond a tolerance of 4.
    EXPECT_EQ(reduced(P {{0, 0}, {50, 5}, {100, 0}}, 4), (P {{0, 0}, {50, 5}, {100, 0}}));
    EXPECT_EQ(reduced(P {{0, 0}, {10, 1}, {20, 0}, {30, 1}, {40, 0}}, 4), (P {{0, 0}, {40, 0}}));
    EXPECT_EQ(reduced(P {{0, 0}, {100, 0}, {100, 100}}, 4), (P {{0, 0}, {100, 0}, {100, 100}}));
    const P square {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    EXPECT_EQ(reduced(square, 4), square);
    EXPECT_EQ(reduced(P {{7, 0}, {7, 10}, {7, 20}, {7, 35}}, 4), (P {{7, 0}, {7, 35}}));
    // A point exactly at the tolerance is kept (the test is strict).
    EXPECT_EQ(reduced(P {{0, 0}, {50, 4}, {100, 0}}, 4), (P {{0, 0}, {50, 4}, {100, 0}}));
}

TEST(PointReduction, EqualsTheInPlaceWalkOnSeededPolylines)
{
    std::mt19937 rng(20261207);
    for (int run = 0; run < 600; ++run) {
        SCOPED_TRACE(run);
        std::vector<TPlotPoint> pts;
        const int n = 2 + int(rng() % 300);
        const int kind = run % 4;
        std::uniform_int_distribution<int> jitter(-6, 6);
        for (int k = 0; k < n; ++k) {
            const double a = 2 * M_PI * k / n;
            switch (kind) {
            case 0:
                pts.push_back({k * 10 + jitter(rng), jitter(rng)});
                break; // jittered line
            case 1:
                pts.push_back({int(std::lround(500 * std::cos(a))), int(std::lround(500 * std::sin(a)))});
                break;
            case 2:
                pts.push_back({k * 20, (k % 2) * int(1 + rng() % 15)});
                break; // zigzag
            default:
                pts.push_back({int(rng() % 400), int(rng() % 400)});
                break;
            }
        }
        if (run % 5 == 0)
            pts.push_back(pts.front()); // closed figure
        const double tol = 1 + double(rng() % 20);
        EXPECT_EQ(reduced(pts, tol), plainReduction(pts, tol));
    }
}

// A path read curve by curve is reduced after every curve. The resumed
// reduction must keep exactly the points the whole-list reduction keeps,
// also where reducing again removes more (reduction is not idempotent) and
// where the stable prefix has to step back.
TEST(PointReduction, ResumedAfterEveryCurveEqualsTheWholeReduction)
{
    std::mt19937 rng(4061);
    int resumed = 0;
    int reducedFurther = 0;
    for (int run = 0; run < 3000; ++run) {
        SCOPED_TRACE(run);
        const double tol = run % 3 == 0 ? 1 + double(rng() % 12) : 4.0;
        const int span = run % 2 == 0 ? 60 : 2000; // small spans make many nearly collinear points
        std::uniform_int_distribution<int> coordinate(-span, span);
        tfigura whole;
        std::vector<TPlotPoint> resumable;
        TResumableReduction reduction(tol);
        auto add = [&](TPlotPoint p) {
            if (!whole.points.empty() && whole.points.back() == p)
                return;
            whole.points.push_back(p);
            resumable.push_back(p);
        };
        add({coordinate(rng), coordinate(rng)});
        const int segments = 1 + int(rng() % 25);
        for (int s = 0; s < segments; ++s) {
            if (rng() % 3 == 0) {
                add({coordinate(rng), coordinate(rng)});
                continue;
            }
            const TPlotPoint last = whole.points.back();
            const auto control = [&] { return TCurvePoint {coordinate(rng) * 1.0L, coordinate(rng) * 1.0L}; };
            const TCurvePoint p0 {last.x * 1.0L, last.y * 1.0L};
            const TCurvePoint p1 = control(), p2 = control(), p3 = control();
            for (int k = 1; k <= 40; ++k) {
                const TCurvePoint p = BezierCubicPoint(p0, p1, p2, p3, k / 40.0);
                add({static_cast<std::int32_t>(std::rint(p.x)), static_cast<std::int32_t>(std::rint(p.y))});
            }
            resumed += reduction.stablePrefix() > 1;
            ReducePoints(whole, tol);
            reduction.Reduce(resumable);
            ASSERT_EQ(resumable, whole.points) << "after segment " << s;
            tfigura again = whole;
            ReducePoints(again, tol);
            reducedFurther += again.points != whole.points;
        }
    }
    // The cases that make resuming hard did occur.
    EXPECT_GT(resumed, 10000);
    EXPECT_GT(reducedFurther, 1000);
}
