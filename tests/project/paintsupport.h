#pragma once

// Hand-built planned projects for the painting, picking and simulation tests.

#include "drawing/geometry.h"
#include "project/painting.h"
#include "project/projectdocument.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace painttest {

// A planned figure: every end and corner of a closed figure a right angle.
inline tfigura Figure(std::vector<TPlotPoint> points, std::int32_t parent = -1,
                      std::int32_t vertexOnParent = -1, std::int32_t entry = 0)
{
    tfigura f;
    f.points = std::move(points);
    f.FinishReading();
    f.closed = !f.open;
    f.cut = true;
    f.drawingFigure = true;
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

// A frame (the root, entered at its corner), a connector from the corner and
// a square inside, as the flat planner joins them.
inline void FramedSquare(TProjectDocument &project)
{
    project.Figures = {
        Figure({{0, 0}, {600, 0}, {600, 600}, {0, 600}, {0, 0}}),
        Figure({{100, 100}, {500, 100}, {500, 500}, {100, 500}, {100, 100}}, 2, 1, 0),
        Figure({{0, 0}, {100, 100}}, 0, 0, 0),
    };
    project.Ustaw_PPiPK();
    project.ProjectWidth = project.PK.x - project.PP.x;
    project.ProjectHeight = project.PK.y - project.PP.y;
    project.RootFigure = 0;
    project.Planned = true;
    for (tfigura &f : project.Figures)
        f.pending = false;
}

// One pixel per plotter unit, y upwards from 1000.
inline TViewTransform UnitTransform()
{
    TViewTransform t;
    t.X0 = 0;
    t.Y0 = 1000;
    t.scale = 1.0;
    t.valid = true;
    return t;
}

} // namespace painttest
