#pragma once

// A three-dimensional model: a plain list of triangles in millimetres. x and z span the
// horizontal plane, y is the vertical axis about which a serial cut turns the model.
//
// A load builds a new TModelData and hands it over as an immutable shared object: the view,
// the silhouette workers and the information window keep reading the model they were given
// while another file loads, so no reader ever sees a half-replaced triangle list.

#include <QString>

#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <vector>

// Nine single-precision coordinates, the layout of the RAW and DXF converters' triangles.
struct TRawTriangle
{
    float x1 = 0, y1 = 0, z1 = 0;
    float x2 = 0, y2 = 0, z2 = 0;
    float x3 = 0, y3 = 0, z3 = 0;
};
static_assert(sizeof(TRawTriangle) == 36, "a triangle is nine floats, 36 bytes");

// The most triangles a model may hold (about 1 GB). A reader that would go beyond it fails, so
// a file of nested block inserts fanning out cannot exhaust the memory.
inline constexpr std::size_t MaxModelTriangles = 30'000'000;

// The box a reader widens triangle by triangle. It starts inverted (minima +infinity, maxima
// -infinity), so a file without triangles keeps it that way and is recognisable as empty.
struct TModelBox
{
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double minZ = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();
    double maxZ = -std::numeric_limits<double>::infinity();

    // Widens the box by the triangle's three vertices, compared as doubles.
    void GrowModelBox(const TRawTriangle &t);
    // True while no vertex has been taken in.
    bool isEmpty() const { return !(minX <= maxX); }
};

// The model record: its box and the file it came from.
struct TModel
{
    TModelBox box;
    QString fileName;
};

struct TModelData
{
    std::vector<TRawTriangle> triangles; // one contiguous block
    TModel model;
    std::array<float, 3> ModelSize {}; // extent per axis (maximum - minimum)
    std::array<double, 3> ModelCentre {}; // minimum + extent / 2 per axis

    bool isEmpty() const { return triangles.empty(); }
};

using ModelHandle = std::shared_ptr<const TModelData>;

// Builds the immutable model from what a reader produced: the box as read, the size and the
// centre derived from it.
ModelHandle MakeModelData(std::vector<TRawTriangle> triangles, const TModelBox &box, const QString &fileName);
