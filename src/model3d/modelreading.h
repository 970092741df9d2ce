#pragma once

// Reading a model file into an immutable model, on whatever thread calls it: it reads no
// setting and no global, only the path and the length unit it is given.

#include "model3d/model.h"
#include "model3d/modelinput.h"

#include <QString>

#include <string_view>
#include <vector>

// A text of the language file, by section and key.
struct TModelMessageKey
{
    QString section;
    QString key;
    bool operator==(const TModelMessageKey &) const = default;
};

struct TModelReadResult
{
    enum class Status {
        Read, // model holds the triangles
        Empty, // no triangle: none in the file, a broken DXF, or a kind not read
        TooLarge, // more triangles than a model may hold
        Unreadable, // the file could not be opened or read; reason holds the system's words
        Cancelled,
    };
    Status status = Status::Empty;
    ModelHandle model; // only when Read
    QString fileName;
    QString reason;

    // What to show for a load that gave no model: "The file cannot be opened: " (followed by
    // the file name), the empty-file message, or the triangle limit's. Empty when there is
    // nothing to show.
    TModelMessageKey message() const;
    // That message's text in the current language, with the file name and the system's
    // reason, or the limit, filled in.
    QString text() const;
};

// The DXF face meshes of `text` as triangles in millimetres, appended to `triangles`, with
// `box` widened. Anything but Complete leaves `triangles` as it was.
TModelReadEnd ReadDxfModel(std::string_view text, double unitFactor, std::vector<TRawTriangle> &triangles,
                           TModelBox &box, const TStopRequest &stop = {},
                           std::size_t maxTriangles = MaxModelTriangles);

// Reads the file by its upper-cased extension (".RAW", ".DXF"; any other gives an empty
// model) with `unit` the configured length unit (0 mm, 1 inch, 2 foot).
TModelReadResult ReadModel(const QString &path, int unit, const TStopRequest &stop = {});
