#pragma once

#include "drawing/figure.h"

#include <string>
#include <vector>

// A project written back out as a drawing: the whole file's bytes, lines
// ended by CR LF, figures in list order, points as stored (a closed figure's
// repeated point is written twice). Figures without points write nothing.
// Numbers are written without a locale: "." as the decimal point, no
// grouping, "-" for negative values.

// HPGL: "PA x,y;" for the first point, "PD x,y;" for each further one,
// then "PU;", in plotter units. No pen selection, no header.
std::string ExportHpgl(const std::vector<tfigura> &figures);

// A minimal DXF: one ENTITIES section of POLYLINE entities with a VERTEX per
// point and SEQEND; no header, tables, blocks or layers. Coordinates are
// millimetres with three decimals, which holds every plotter unit (0.025 mm)
// exactly whatever the display unit; z is 0.
std::string ExportDxf(const std::vector<tfigura> &figures);
