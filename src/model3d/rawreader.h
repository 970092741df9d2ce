#pragma once

// RAW triangle files: plain text, one triangle per line as nine numbers x1 y1 z1 x2 y2 z2
// x3 y3 z3, separated by blanks or tabs. Lines holding "Object" are the exporting program's
// object headers; every other line that is not nine numbers is passed over silently.

#include "model3d/model.h"
#include "model3d/modelinput.h"

#include <string_view>
#include <vector>

// Reads one line into `triangle`, each value times `unitFactor` (millimetres per file unit),
// and widens `box` by it. False, with both left as they were, for anything but exactly nine
// numbers whose millimetres fit a float.
bool ParseRawLine(std::string_view line, double unitFactor, TRawTriangle &triangle, TModelBox &box);

// Appends the triangles of a RAW file's text to `triangles` and widens `box`. TooManyTriangles
// when the file holds more than `maxTriangles` triangles.
TModelReadEnd ReadRawFile(std::string_view text, double unitFactor, std::vector<TRawTriangle> &triangles,
                          TModelBox &box, const TStopRequest &stop = {},
                          std::size_t maxTriangles = MaxModelTriangles);
