// The silhouette raster: the grid's size, where a point lands, the interior and base rules,
// stopping, and the fast raster against the plain transcription on seeded meshes.

#include "model3d/silhouette.h"
#include "modelbuilders.h"
#include "silhouette_reference.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using modeltest::FromTriangles;

std::vector<std::uint8_t> Flat(const silhouette_reference::Grid &grid)
{
    std::vector<std::uint8_t> cells;
    for (const auto &column : grid)
        cells.insert(cells.end(), column.begin(), column.end());
    return cells;
}

// Where the two grids first differ, or "same".
std::string FirstDifference(const tpix2d &grid, const silhouette_reference::Grid &reference)
{
    const std::vector<std::uint8_t> flat = Flat(reference);
    if (grid.cells().size() != flat.size())
        return "sizes " + std::to_string(grid.cells().size()) + " and " + std::to_string(flat.size());
    const std::size_t rows = std::size_t(grid.largestY()) + 1;
    for (std::size_t i = 0; i < flat.size(); ++i) {
        if (grid.cells()[i] != flat[i])
            return "cell " + std::to_string(i / rows) + "," + std::to_string(i % rows) + ": "
                + std::to_string(grid.cells()[i]) + " and " + std::to_string(flat[i]);
    }
    return "same";
}

// The cells of one value, as "x,y" pairs in column order.
std::vector<std::pair<int, int>> CellsOf(const tpix2d &grid, std::uint8_t value)
{
    std::vector<std::pair<int, int>> cells;
    for (int x = 0; x <= grid.largestX(); ++x)
        for (int y = 0; y <= grid.largestY(); ++y)
            if (grid.at(x, y) == value)
                cells.emplace_back(x, y);
    return cells;
}

TRawTriangle Point(float x, float y, float z)
{
    return {x, y, z, x, y, z, x, y, z};
}

// A flat rectangle facing the viewer at angle 0: x0..x1, y0..y1, at depth z.
std::vector<TRawTriangle> Quad(float x0, float y0, float x1, float y1, float z = 0)
{
    return {{x0, y0, z, x1, y0, z, x1, y1, z}, {x0, y0, z, x1, y1, z, x0, y1, z}};
}

} // namespace

TEST(Silhouette, GridSpansTheTurnedModelAndAPointLandsByHalvesToEven)
{
    // 10 x 20 x 4 mm: sqrt(116) / 0.2 = 53.85 columns wide, as the model's diagonal turns
    // into view; 100 rows.
    ModelHandle model = FromTriangles({{0, 0, 0, 10, 20, 4, 0, 0, 0}});
    EXPECT_EQ(SilhouetteSizeFor(*model, 0.2), (TSilhouetteSize {54, 100}));
    EXPECT_EQ(SilhouetteSizeFor(*FromTriangles({Point(3, 3, 3)}), 0.2), (TSilhouetteSize {0, 0}));

    // Three equal vertices at the model's centre set one cell, at every angle.
    ModelHandle centre = FromTriangles({Point(5, 5, 5)});
    for (const double angle : {0.0, 37.5, 90.0}) {
        const tpix2d grid = RasterizeStep(*centre, angle, {54, 100}, 0.2);
        EXPECT_EQ(CellsOf(grid, CellEdge), (std::vector<std::pair<int, int>> {{27, 50}})) << angle;
        EXPECT_EQ(CellsOf(grid, CellEmpty).size(), 55u * 101u - 1);
    }
    // Half of an odd largest index rounds to the even column: 100.5 to 100, 101.5 to 102.
    EXPECT_EQ(CellsOf(RasterizeStep(*centre, 0, {201, 0}, 0.2), CellEdge),
              (std::vector<std::pair<int, int>> {{100, 0}}));
    EXPECT_EQ(CellsOf(RasterizeStep(*centre, 0, {203, 0}, 0.2), CellEdge),
              (std::vector<std::pair<int, int>> {{102, 0}}));
}

TEST(Silhouette, HorizontalTriangleCoversOneRowAndAWiderModelIsClampedOntoTheBorder)
{
    // Flat in y, 4 mm wide in x, 3 mm deep: one row from x' = -2 to 2 mm.
    ModelHandle flat = FromTriangles({{0, 0, 0, 4, 0, 0, 2, 0, 3}});
    const tpix2d grid = RasterizeStep(*flat, 0, {40, 20}, 0.2);
    std::vector<std::pair<int, int>> row;
    for (int x = 10; x <= 30; ++x)
        row.emplace_back(x, 10);
    EXPECT_EQ(CellsOf(grid, CellEdge), row);
    EXPECT_TRUE(CellsOf(grid, CellInterior).empty());

    // 10 mm wide on a grid of 4 mm: columns 0 and 20 take what lies beyond them.
    ModelHandle wide = FromTriangles(Quad(0, 0, 10, 2));
    const tpix2d clamped = RasterizeStep(*wide, 0, {20, 20}, 0.2);
    for (int y = 5; y <= 15; ++y) {
        EXPECT_EQ(clamped.at(0, y), CellEdge) << y;
        EXPECT_EQ(clamped.at(20, y), CellEdge) << y;
    }
    EXPECT_EQ(clamped.at(0, 4), CellEmpty);
    // The same model on a grid wide enough leaves the border columns empty.
    const tpix2d roomy = RasterizeStep(*wide, 0, {60, 20}, 0.2);
    for (int y = 0; y <= 20; ++y)
        EXPECT_EQ(roomy.at(0, y) + roomy.at(60, y), 2 * CellEmpty) << y;
}

TEST(Silhouette, FilledRectangleKeepsItsBorderAndOnlyTheEndsOfItsBase)
{
    // 4 x 2 mm standing on row 0 of a grid 30 columns wide and 10 rows high: columns 5..25.
    ModelHandle rectangle = FromTriangles(Quad(0, 0, 4, 2));
    const tpix2d grid = RasterizeStep(*rectangle, 0, {30, 10}, 0.2);
    for (int x = 0; x <= 30; ++x) {
        for (int y = 0; y <= 10; ++y) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            std::uint8_t expected = CellEmpty;
            if (x >= 5 && x <= 25) {
                const bool border = x == 5 || x == 25 || y == 10;
                expected = border ? CellEdge : CellInterior;
            }
            EXPECT_EQ(grid.at(x, y), expected);
        }
    }
}

TEST(Silhouette, StopAmongTheTrianglesKeepsThoseDrawnAndMarksTheirInterior)
{
    // Two rectangles side by side; asked before the grid, before the turn, then before each
    // triangle: the fifth question comes before the second rectangle.
    std::vector<TRawTriangle> triangles = Quad(0, 0, 4, 2);
    for (const TRawTriangle &t : Quad(6, 0, 10, 2))
        triangles.push_back(t);
    ModelHandle model = FromTriangles(triangles);
    auto stopAt = [](int call) { return [call, asked = 0]() mutable { return ++asked >= call; }; };
    const tpix2d stopped = RasterizeStep(*model, 0, {60, 20}, 0.2, stopAt(5));
    const tpix2d whole = RasterizeStep(*model, 0, {60, 20}, 0.2);
    EXPECT_EQ(stopped.at(15, 10), CellInterior);
    EXPECT_EQ(stopped.at(45, 10), CellEmpty);
    EXPECT_EQ(whole.at(45, 10), CellInterior);
    EXPECT_TRUE(RasterizeStep(*model, 0, {60, 20}, 0.2, stopAt(1)).empty());
    const tpix2d unturned = RasterizeStep(*model, 0, {60, 20}, 0.2, stopAt(2));
    EXPECT_EQ(CellsOf(unturned, CellEmpty).size(), 61u * 21u);
    for (int call = 1; call <= 7; ++call) {
        const silhouette_reference::Grid reference
            = silhouette_reference::RawDoPix(*model, 0, 60, 20, 0.2, stopAt(call));
        EXPECT_EQ(FirstDifference(RasterizeStep(*model, 0, {60, 20}, 0.2, stopAt(call)), reference), "same")
            << call;
    }
}

TEST(Silhouette, FastRasterEqualsThePlainTranscriptionOnSeededMeshes)
{
    std::mt19937 random(20240518);
    std::uniform_real_distribution<float> coordinate(-12.0f, 12.0f);
    std::uniform_real_distribution<float> small(-0.4f, 0.4f);
    struct Case
    {
        const char *name;
        std::vector<TRawTriangle> triangles;
    };
    std::vector<Case> cases;
    cases.push_back({"sphere", modeltest::SphereTriangles(9.7, 24, 48, 3.3, 10, -2.1)});
    cases.push_back({"coarse sphere", modeltest::SphereTriangles(14.1, 5, 7, 0.1, 14.2, 0.3)});
    cases.push_back({"slivers", modeltest::CylinderTriangles(11.3, 23.9, 256, 1.7, -0.9)});
    std::vector<TRawTriangle> degenerate;
    for (int i = 0; i < 300; ++i) {
        const float x = coordinate(random), y = coordinate(random) + 12, z = coordinate(random);
        switch (i % 3) {
        case 0: // one point
            degenerate.push_back(Point(x, y, z));
            break;
        case 1: // two equal vertices
            degenerate.push_back({x, y, z, x, y, z, x + small(random), y + small(random), z});
            break;
        default: // collinear
            degenerate.push_back({x, y, z, x + 1, y + 2, z + 3, x + 2, y + 4, z + 6});
            break;
        }
    }
    cases.push_back({"degenerate", degenerate});
    std::vector<TRawTriangle> scattered;
    for (int i = 0; i < 400; ++i) {
        const float x = coordinate(random), y = coordinate(random) + 12, z = coordinate(random);
        scattered.push_back({x, y, z, x + small(random) * 8, y + small(random) * 8, z + small(random) * 8,
                             x + small(random), y + small(random), z + small(random) * 20});
    }
    cases.push_back({"scattered", scattered});
    // Vertices and edge lengths on a 0.5 mm lattice about an integer centre: 1.5 mm is 7.5
    // cells as a double but a hair below it in extended precision.
    std::uniform_int_distribution<int> step(-20, 20);
    std::vector<TRawTriangle> lattice = {Point(-10, 0, -10), Point(10, 20, 10)};
    for (int i = 0; i < 300; ++i) {
        auto at = [&] { return 0.5f * float(step(random)); };
        const float x = at(), y = at() + 10, z = at();
        lattice.push_back({x, y, z, x + 1.5f, y, z, x, y + 0.5f, z + at()});
    }
    cases.push_back({"lattice", lattice});

    for (const Case &c : cases) {
        ModelHandle model = FromTriangles(c.triangles);
        const TSilhouetteSize size = SilhouetteSizeFor(*model, 0.2);
        for (const double angle : {0.0, 10.0, 45.0, 90.0, 133.33333333333334, 170.0}) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << angle);
            const tpix2d fast = RasterizeStep(*model, angle, size, 0.2);
            ASSERT_EQ(
                FirstDifference(
                    fast, silhouette_reference::RawDoPix(*model, angle, size.largestX, size.largestY, 0.2)),
                "same");
            EXPECT_GT(CellsOf(fast, CellEdge).size(), 20u);
        }
    }
}
