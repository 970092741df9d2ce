#pragma once

// Models built in memory for the view's tests and measurements.

#include "model3d/model.h"

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

} // namespace modeltest
