#pragma once

// Hand-built planned projects for the painting, picking and simulation tests.

#include "plannedfigure.h"
#include "project/painting.h"
#include "project/projectdocument.h"

#include <utility>
#include <vector>

namespace painttest {

// A planned figure of the drawing (not a connector).
inline tfigura Figure(std::vector<TPlotPoint> points, std::int32_t parent = -1,
                      std::int32_t vertexOnParent = -1, std::int32_t entry = 0)
{
    tfigura f = testsupport::PlannedFigure(std::move(points), parent, vertexOnParent, entry);
    f.drawingFigure = true;
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
