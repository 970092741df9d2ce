#pragma once

#include <QByteArray>

// The hole-drilling drawing "tmp.dxf": a frame for the block of material and
// a cross at the hole, which a project with cross-to-point cutting turns into
// one point to plunge at.

// The drawing for a hole at (x, y) in a frame of width by height, all in
// millimetres, written in the length unit `unit` with its decimals: only an
// ENTITIES section of three POLYLINEs (the frame, the vertical and the
// horizontal stroke of the cross, 1 mm each way from the hole).
QByteArray ZapiszDXFkrzyzToPunkt(double x, double y, double width, double height, int unit);
