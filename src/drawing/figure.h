#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// Plotter units: the one internal length unit of drawings and projects,
// 1/40 mm (0.025 mm), held as signed 32-bit integers in the drawing's axes.
struct TPlotPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const TPlotPoint &, const TPlotPoint &) = default;
};

// Readers refuse coordinates beyond this magnitude (about 537 m), so that
// widths, centres and differences of two coordinates always fit in 32 bits.
inline constexpr std::int32_t MaxPlotCoordinate = 21474835;

// Per-vertex record of the flat-cutting planner.
struct TVertexInfo
{
    double angle = 0.0; // corner angle at the vertex, radians
    std::int32_t weight = 0; // multiplier in tenths applied to squared distances
    std::uint8_t candidate = 0; // 1 where a connector may start or end here
};

// One figure: one polyline of a drawing or project, in plotter units, with
// the pen it was drawn with and the fields the planners keep on it.
// A value type: it owns its point lists; copying copies them.
struct tfigura
{
    bool drawingFigure = false; // true a figure of the drawing, false a generated connector
    std::uint8_t pen = 0; // pen number from the drawing (HPGL "SP", DXF colour, EPS colour)
    double penWidth = 0.0; // width of that pen from the reader's pen table, 0 when none
    bool cut = false; // false for a figure taken out of cutting (a rotation axis)
    std::int32_t width = 0; // maxX - minX
    std::int32_t height = 0; // maxY - minY
    std::int32_t axisWidth = 0; // size of the rotation-axis figure (rotary planners)
    std::int32_t axisHeight = 0;
    std::int32_t minX = 0;
    std::int32_t minY = 0;
    std::int32_t maxX = 0;
    std::int32_t maxY = 0;
    TPlotPoint projectCorner; // the project's minimum corner PP

    std::vector<TPlotPoint> points; // the polyline, in drawing order
    std::vector<TPlotPoint> secondPoints; // a paired path (second profile, driver path)
    std::vector<TPlotPoint> outlinePoints; // a third list kept with the figure
    std::vector<TVertexInfo> vertexInfo; // one record per vertex for the flat planner

    bool valid = false; // the figure has at least one point
    std::int32_t depth = 0; // nesting depth (0 outermost); the pass number of serial cuts
    bool open = false; // first and last points differ, or fewer than 3 points
    bool turningSorted = false;
    std::int32_t turningOrder = 0; // -1 none once the turning sort has run
    std::uint8_t generatedKind = 0; // 3 for the start figure and every connector
    bool closed = false;
    std::int32_t container = 0; // index of the figure that contains this one
    bool joined = false;
    std::int32_t parent = 0; // parent in the cutting tree
    std::int32_t vertexOnParent = 0; // vertex of the parent where the way here leaves it
    std::int32_t entryVertex = 0; // vertex of this figure where the cut enters
    bool pending = false;
    std::int32_t childCount = 0;
    std::int32_t connectorLength = 0; // plotter units
    std::int32_t touchMark = 0;
    std::int32_t centreX = 0; // (minX + maxX) / 2, truncating toward zero
    std::int32_t centreY = 0;
    bool startMark = false;
    // Indexes of the point with least x, greatest x, least y, greatest y.
    std::array<std::int32_t, 4> extremeVertices {};
    std::array<std::int32_t, 22> neighbourSlots {};
    double pathLength = 0.0;
    bool serialMark = false;
    std::int32_t serialIndex = 0;
    bool crossPoint = false;

    void AddPoint(TPlotPoint p) { points.push_back(p); }

    // What every reader does when a figure ends: an empty figure gets
    // valid = false and nothing else; otherwise the box, width and height
    // follow from the points, depth 0, open when the first and last points
    // differ exactly or there are fewer than 3 points, valid = true.
    void FinishReading();
};

// Round(40000 * mm / 1000) in extended precision, halves to the even
// neighbour; the low 32 bits of the rounded value (0 for a non-finite value).
std::int32_t MmToUnits(double mm);

// units * 1000 / 40000 in extended precision.
double UnitsToMm(std::int32_t units);
