#pragma once

#include "app/configfiles.h"
#include "project/projectdocument.h"

#include <QString>

#include <cstdint>

// The duplication generator: rows and columns of copies of a planned flat
// project, tied together by one closed connecting line that runs beside the
// rows and columns so the wire passes from copy to copy.

// What the dialog edits; lengths in millimetres, counts as the fields hold
// them (rounded when the copies are built).
struct TDuplicationParams
{
    double copiesPerRow = 2;
    double rows = 1;
    double elementSpacing = 0; // left edge to left edge of neighbouring copies
    double rowSpacing = 0;
    double verticalLine = 0; // copies to the vertical connecting line
    double horizontalLine = 0; // copies to the horizontal connecting line

    bool operator==(const TDuplicationParams &) const = default;
};

// The source's size in millimetres.
struct TDuplicationSource
{
    double widthMm = 0;
    double heightMm = 0;
};

// Spacings 10 mm wider and higher than the source, the lines half way into
// the gaps; the counts stay as they are.
void SetDefaults(TDuplicationParams &params, TDuplicationSource source);

// The parameters are kept per drawing beside it: the source caption (its
// drawing's path) with its extension replaced by ".dpl".
QString DuplicationParameterFile(const QString &sourceCaption);

// Reads the file's parameters; false (nothing changed) when the file or its
// section is missing. Missing keys take their defaults from the source and
// from the spacings read.
bool LoadDuplicationParameters(const QString &fileName, TDuplicationSource source,
                               TDuplicationParams &params);
// Replaces the file's section by the six values, the counts rounded.
ConfigFiles::FileResult SaveDuplicationParameters(const QString &fileName, const TDuplicationParams &params);

// The field a failed check puts the focus on.
enum class TDuplicationField {
    None,
    CopiesPerRow,
    Rows,
    ElementSpacing,
    RowSpacing,
    VerticalLine,
    HorizontalLine
};

TDuplicationSource SourceSizeOf(const TProjectDocument &source);

// The dialog's checks in their order, with their messages and the overlap
// question (sizes shown in the length unit `unit`); last, that the copies
// fit the plotter's coordinates and memory. None when they may be built.
TDuplicationField CheckDuplicationParameters(const TDuplicationParams &params, const TProjectDocument &source,
                                             int unit);

// The grid in plotter units: counts, steps, the offset e of the connecting
// line from a copy's start point, and the two line distances (never 0).
struct TDuplicationLayout
{
    int columns = 0;
    int rows = 0;
    std::int32_t stepX = 0;
    std::int32_t stepY = 0;
    std::int32_t offset = 0;
    std::int32_t horizontalLine = 0;
    std::int32_t verticalLine = 0;
};
TDuplicationLayout DuplicationLayout(const TDuplicationParams &params);

// The new project: copy (r, c) of every source figure in order, offset by
// (c * stepX, r * stepY), each keeping its generated kind (so the source's
// own planner figures go when the copy is planned), then the connecting line
// as a closed connector, the corners and sizes. The source must be planned.
TProjectDocument BuildCopies(const TProjectDocument &source, const TDuplicationLayout &layout);

// The connecting line over the copies already in `copies`, point by point;
// a point equal to the one before it is left out.
tfigura BuildConnectingLine(const TProjectDocument &copies, const TProjectDocument &source,
                            const TDuplicationLayout &layout);
