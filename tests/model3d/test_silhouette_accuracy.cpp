// Traced silhouettes against the true outlines of solids standing on their base: a sphere,
// a cube and a cylinder, turned by the angles of a serial cut. In the grid's frame a point
// x', y' (mm, about the model's centre) lies at 40 x' + 4 * largest x, 40 y' + 4 * largest y
// plotter units.

#include "model3d/contourtracer.h"
#include "modelbuilders.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct P
{
    double x, y;
};

double SegmentDistance(P p, P a, P b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double PolylineDistance(P p, const std::vector<P> &line)
{
    double least = line.size() == 1 ? std::hypot(p.x - line[0].x, p.y - line[0].y) : 1e300;
    for (std::size_t i = 1; i < line.size(); ++i)
        least = std::min(least, SegmentDistance(p, line[i - 1], line[i]));
    return least;
}

struct Solid
{
    const char *name;
    std::vector<TRawTriangle> triangles;
    // The true outline at the angle, in mm about the model's centre, as a closed polyline.
    std::function<std::vector<P>(double angle)> outline;
};

std::vector<P> Rectangle(double halfWidth, double halfHeight)
{
    return {{-halfWidth, -halfHeight},
            {halfWidth, -halfHeight},
            {halfWidth, halfHeight},
            {-halfWidth, halfHeight},
            {-halfWidth, -halfHeight}};
}

} // namespace

TEST(SilhouetteAccuracy, TracedContoursLieWithinOneCellOfTheTrueOutline)
{
    const double pi = 3.14159265358979323846;
    const Solid solids[] = {
        {"sphere r 20", modeltest::SphereTriangles(20, 48, 96, 0, 20, 0),
         [pi](double) {
             std::vector<P> circle;
             for (int i = 0; i <= 2048; ++i)
                 circle.push_back({20 * std::cos(2 * pi * i / 2048), 20 * std::sin(2 * pi * i / 2048)});
             return circle;
         }},
        {"cube 40", modeltest::Box(0, 0, 0, 40, 40, 40)->triangles,
         [pi](double angle) {
             const double a = angle * pi / 180;
             return Rectangle(20 * (std::abs(std::cos(a)) + std::abs(std::sin(a))), 20);
         }},
        {"cylinder r 15 x 40", modeltest::CylinderTriangles(15, 40, 128),
         [](double) { return Rectangle(15, 20); }},
    };
    for (const Solid &solid : solids) {
        ModelHandle model = modeltest::FromTriangles(solid.triangles);
        const TSilhouetteSize size = SilhouetteSizeFor(*model, 0.2);
        for (const double angle : {0.0, 30.0, 45.0, 60.0, 90.0}) {
            SCOPED_TRACE(testing::Message() << solid.name << " at " << angle);
            tpix2d grid = RasterizeStep(*model, angle, size, 0.2);
            ContourTracer tracer;
            tracer.setGrid(grid);
            const std::vector<tfigura> contours = tracer.TraceContours();
            ASSERT_FALSE(contours.empty());

            std::vector<P> outline;
            for (const P &p : solid.outline(angle))
                outline.push_back({40 * p.x + 4.0 * size.largestX, 40 * p.y + 4.0 * size.largestY});
            double worst = 0;
            std::vector<P> traced;
            for (const tfigura &c : contours) {
                for (const TPlotPoint &p : c.points) {
                    traced.push_back({double(p.x), double(p.y)});
                    worst = std::max(worst, PolylineDistance(traced.back(), outline));
                }
            }
            EXPECT_LE(worst, 8.0) << "a traced point off the outline";

            // The base is not traced when the contour runs open from one end of it to the other.
            const tfigura &main = contours.front();
            const bool open = !main.serialMark;
            const double left = std::min(main.points.front().x, main.points.back().x);
            const double right = std::max(main.points.front().x, main.points.back().x);
            std::vector<P> contourLine;
            for (const TPlotPoint &p : main.points)
                contourLine.push_back({double(p.x), double(p.y)});
            double missed = 0;
            for (std::size_t i = 1; i < outline.size(); ++i) {
                for (int k = 0; k < 16; ++k) {
                    const double t = k / 16.0;
                    const P p {outline[i - 1].x + t * (outline[i].x - outline[i - 1].x),
                               outline[i - 1].y + t * (outline[i].y - outline[i - 1].y)};
                    if (open && p.y < 8 && p.x > left && p.x < right)
                        continue;
                    missed = std::max(missed, PolylineDistance(p, contourLine));
                }
            }
            EXPECT_LE(missed, 8.0) << "an outline point away from the contour";
            EXPECT_EQ(contours.size(), 1u);
            EXPECT_TRUE(open);
        }
    }
}
