#pragma once

// Models built in memory for the view's tests and measurements.

#include "model3d/model.h"

#include <QByteArray>

#include <array>
#include <cmath>
#include <vector>

namespace modeltest {

// The box from (x0, y0, z0) to (x1, y1, z1) as a reader would grow it.
inline TModelBox BoxOf(double x0, double y0, double z0, double x1, double y1, double z1)
{
    TModelBox b;
    b.GrowModelBox(
        {float(x0), float(y0), float(z0), float(x1), float(y1), float(z1), float(x0), float(y0), float(z0)});
    return b;
}

// The box from (x0, y0, z0) to (x1, y1, z1) as 12 triangles wound counter-clockwise seen
// from outside. Each face is split along the diagonal from its first corner to its third;
// the front face (z1) along the one from lower left to upper right.
inline ModelHandle Box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    std::vector<TRawTriangle> triangles;
    const auto quad = [&](const float(&a)[3], const float(&b)[3], const float(&c)[3], const float(&d)[3]) {
        triangles.push_back({a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]});
        triangles.push_back({a[0], a[1], a[2], c[0], c[1], c[2], d[0], d[1], d[2]});
    };
    quad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}); // front
    quad({x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}); // back
    quad({x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}); // right
    quad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}); // left
    quad({x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}); // top
    quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}); // bottom
    TModelBox box;
    for (const TRawTriangle &t : triangles)
        box.GrowModelBox(t);
    return MakeModelData(std::move(triangles), box, QStringLiteral("box.raw"));
}

// A model of the triangles as given, its box grown from them.
inline ModelHandle FromTriangles(std::vector<TRawTriangle> triangles,
                                 const QString &fileName = QStringLiteral("model.raw"))
{
    TModelBox box;
    for (const TRawTriangle &t : triangles)
        box.GrowModelBox(t);
    return MakeModelData(std::move(triangles), box, fileName);
}

// A sphere of radius r around (cx, cy, cz): `rings` bands of latitude, `segments` of longitude.
inline std::vector<TRawTriangle> SphereTriangles(double r, int rings, int segments, double cx = 0,
                                                 double cy = 0, double cz = 0)
{
    const double pi = 3.14159265358979323846;
    auto at = [&](int ring, int segment) {
        const double theta = pi * ring / rings; // from the top
        const double phi = 2 * pi * segment / segments;
        return std::array<float, 3> {float(cx + r * std::sin(theta) * std::cos(phi)),
                                     float(cy + r * std::cos(theta)),
                                     float(cz + r * std::sin(theta) * std::sin(phi))};
    };
    std::vector<TRawTriangle> triangles;
    for (int ring = 0; ring < rings; ++ring) {
        for (int segment = 0; segment < segments; ++segment) {
            const auto a = at(ring, segment), b = at(ring + 1, segment), c = at(ring + 1, segment + 1),
                       d = at(ring, segment + 1);
            triangles.push_back({a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]});
            triangles.push_back({a[0], a[1], a[2], c[0], c[1], c[2], d[0], d[1], d[2]});
        }
    }
    return triangles;
}

// An upright cylinder of radius r from y = 0 to y = h about the vertical line through (cx, cz),
// its side of `segments` long slivers, its ends fans.
inline std::vector<TRawTriangle> CylinderTriangles(double r, double h, int segments, double cx = 0,
                                                   double cz = 0)
{
    const double pi = 3.14159265358979323846;
    std::vector<TRawTriangle> triangles;
    for (int i = 0; i < segments; ++i) {
        const double a0 = 2 * pi * i / segments, a1 = 2 * pi * (i + 1) / segments;
        const float x0 = float(cx + r * std::cos(a0)), z0 = float(cz + r * std::sin(a0));
        const float x1 = float(cx + r * std::cos(a1)), z1 = float(cz + r * std::sin(a1));
        const float top = float(h);
        triangles.push_back({x0, 0, z0, x1, 0, z1, x1, top, z1});
        triangles.push_back({x0, 0, z0, x1, top, z1, x0, top, z0});
        triangles.push_back({float(cx), 0, float(cz), x1, 0, z1, x0, 0, z0});
        triangles.push_back({float(cx), top, float(cz), x0, top, z0, x1, top, z1});
    }
    return triangles;
}

// The triangles as a RAW file's text: an object header line, then nine numbers a line.
inline QByteArray RawText(const std::vector<TRawTriangle> &triangles)
{
    QByteArray text = "Object1\n";
    for (const TRawTriangle &t : triangles) {
        for (const float v : {t.x1, t.y1, t.z1, t.x2, t.y2, t.z2, t.x3, t.y3, t.z3})
            text += QByteArray::number(double(v), 'g', 9) + ' ';
        text.chop(1);
        text += '\n';
    }
    return text;
}

} // namespace modeltest
