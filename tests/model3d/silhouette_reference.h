#pragma once

// The silhouette raster of one step written out plainly, step by step, one thread: the turned
// triangles built as a list first, every rounded expression in extended precision, the
// interior found cell by cell from its eight neighbours. The fast raster must give the very
// same grid.

#include "model3d/model.h"
#include "model3d/modelinput.h"

#include <cstdint>
#include <vector>

namespace silhouette_reference {

// Columns indexed by x, each a column of bytes indexed by y.
using Grid = std::vector<std::vector<std::uint8_t>>;

// Asks `terminated` before the grid is made, before the turn and before each triangle.
// `samples`, when given, counts the points set.
Grid RawDoPix(const TModelData &model, double currentAngle, int largestX, int largestY, double pixelSize,
              const TStopRequest &terminated = {}, std::uint64_t *samples = nullptr);

} // namespace silhouette_reference
