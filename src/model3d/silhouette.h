#pragma once

// The silhouette of a model turned about its vertical axis, projected along the depth axis
// onto a byte grid: every cell a triangle covers is set, cells whose eight neighbours are all
// set become interior, and what stays set is the silhouette's edge, which the contour tracer
// follows.

#include "model3d/model.h"
#include "model3d/modelinput.h"

#include <cstdint>
#include <vector>

// Cell values. The tracer adds CellVisited to the edge cells it has followed.
inline constexpr std::uint8_t CellEmpty = 1;
inline constexpr std::uint8_t CellEdge = 2;
inline constexpr std::uint8_t CellInterior = 4;
inline constexpr std::uint8_t CellVisited = 8;

// 0.2 mm per cell: 8 plotter units.
inline constexpr double SilhouettePixelSize = 0.2;

// Grids above this many cells are refused: at 0.2 mm per cell it is a model some 3 m wide
// and 3 m high, far beyond any machine's travel, and each grid would take a quarter of a
// gigabyte.
inline constexpr std::int64_t MaxSilhouetteCells = 256'000'000;

struct TSilhouetteSize
{
    std::int32_t largestX = 200;
    std::int32_t largestY = 200;

    std::int64_t cells() const { return (std::int64_t(largestX) + 1) * (std::int64_t(largestY) + 1); }
    bool operator==(const TSilhouetteSize &) const = default;
};

// The grid for a model: the largest y index round(y extent / pixel size); the largest x index
// round(sqrt(x extent^2 + z extent^2) / pixel size), the widest the turned silhouette can be,
// so that no step's silhouette is clamped onto the border columns.
TSilhouetteSize SilhouetteSizeFor(const TModelData &model, double pixelSize);

// The grid: columns indexed by x, each a run of bytes indexed by y (row 0 at the bottom).
class tpix2d
{
public:
    tpix2d() = default;
    // Every cell CellEmpty.
    tpix2d(std::int32_t largestX, std::int32_t largestY);

    bool empty() const { return m_cells.empty(); }
    std::int32_t largestX() const { return m_largestX; }
    std::int32_t largestY() const { return m_largestY; }
    TSilhouetteSize size() const { return {m_largestX, m_largestY}; }

    std::uint8_t &at(std::int32_t x, std::int32_t y) { return m_cells[index(x, y)]; }
    std::uint8_t at(std::int32_t x, std::int32_t y) const { return m_cells[index(x, y)]; }
    std::uint8_t *column(std::int32_t x) { return m_cells.data() + index(x, 0); }
    const std::vector<std::uint8_t> &cells() const { return m_cells; }

    bool operator==(const tpix2d &) const = default;

private:
    std::size_t index(std::int32_t x, std::int32_t y) const
    {
        return std::size_t(x) * (std::size_t(m_largestY) + 1) + std::size_t(y);
    }

    std::int32_t m_largestX = -1;
    std::int32_t m_largestY = -1;
    std::vector<std::uint8_t> m_cells;
};

// The silhouette of one step: the model turned by `angle` degrees about the vertical line
// through its centre, every triangle sampled densely onto the grid, then the interior marked.
// `stop` is asked before the grid is made, before the turn and before each triangle: a stop
// before the grid gives an empty grid, one before the turn a grid of empty cells, one among
// the triangles the triangles so far with the interior marked.
tpix2d RasterizeStep(const TModelData &model, double angle, TSilhouetteSize size, double pixelSize,
                     const TStopRequest &stop = {});

// Marks as interior every cell whose eight neighbours are all set, and in row 0, where the
// model stands on its base, every cell of the first run of edge cells but its two ends: the
// tracer then follows the silhouette from one end of the base to the other instead of
// running along the base.
void MarkInterior(tpix2d &grid);
