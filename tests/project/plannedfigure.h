#pragma once

// A figure as the planner leaves it, built by hand for the tests and
// benchmarks of what runs on planned projects.

#include "drawing/figure.h"
#include "drawing/geometry.h"

#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

namespace testsupport {

// A planned figure hung on its parent's vertex: corner angles as the planner
// gives them, every end and the corner of a closed figure a right angle.
inline tfigura PlannedFigure(std::vector<TPlotPoint> points, std::int32_t parent = -1,
                             std::int32_t vertexOnParent = -1, std::int32_t entry = 0)
{
    tfigura f;
    f.points = std::move(points);
    f.FinishReading();
    f.closed = !f.open;
    f.cut = true;
    f.parent = parent;
    f.vertexOnParent = vertexOnParent;
    f.entryVertex = entry;
    const std::size_t n = f.points.size();
    f.vertexInfo.assign(n, TVertexInfo {std::numbers::pi / 2, 5, 1});
    for (std::size_t k = 1; k + 1 < n; ++k)
        f.vertexInfo[k].angle = VertexAngle(f.points[k - 1], f.points[k], f.points[k + 1]);
    if (f.closed && n > 2)
        f.vertexInfo[0].angle = f.vertexInfo[n - 1].angle
            = VertexAngle(f.points[n - 2], f.points[0], f.points[1]);
    return f;
}

} // namespace testsupport
