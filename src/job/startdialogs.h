#pragma once

// The dialogs some cutting modes open before a start, as job control sees
// them: what each is shown and what it hands back. The dialogs themselves
// never reach the machine; job control reads what they show before it opens
// them and carries out what they ask for after they close.

#include "job/jobinterfaces.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace job {

// Serial cutting with the angle given per pass.
struct SerialCutContext
{
    // One per project window, in MDI order: its caption (the drawing's path,
    // or a generated pass's name).
    std::vector<QString> captions;
    QString machineName; // the name the serial start has just read
    double tableY = 250; // Ystolika, mm
};

// What the serial-cut dialog hands back on OK.
struct SerialCutChoice
{
    std::vector<double> angles; // degrees, per window in MDI order
    std::int32_t repetitions = 0;
    double shift = 0; // mm, downward per repetition
};

// The material between the two carriages of an independent-profile cut, mm.
struct IndependentInputs
{
    double armSpacing = 500; // between the two carriage planes
    double materialWidth = 500; // between the material's front and back faces
    double frontDistance = 0; // of the material's front face from the front carriage plane
};

struct IndependentStartContext
{
    // Figures 0 (front) and 1 (back) of the merged window, plotter units,
    // and the front figure's reference corner.
    std::vector<JobPoint> front;
    std::vector<JobPoint> back;
    JobPoint referenceCorner;
    // The fields at opening: the arm spacing last confirmed (or the
    // machine's working width), the material remembered from the last
    // confirmation (negative: never confirmed).
    double armSpacing = 500;
    double materialWidth = -1;
    double frontDistance = -1;
    bool armSpacingEditable = false;
    double fcWidth = 0; // the machine's width, mm
    std::int32_t limitX = 0; // work area, mm
    std::int32_t limitY = 0;
    // Where the two wire ends stand, 0.01 mm.
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    int lengthUnit = 0;
    // A repeated job confirms the dialog by itself.
    bool confirmItself = false;
};

struct IndependentStartAnswer
{
    enum class Kind {
        Cancel,
        Start, // the projected paths fit from where the wire stands
        MoveWire, // the operator wants the wire at (moveX, moveY) first
    };
    Kind kind = Kind::Cancel;
    // Written by every confirmation: the arm spacing at once, the material
    // once it passed its checks.
    std::optional<double> armSpacing;
    std::optional<double> materialWidth;
    std::optional<double> frontDistance;
    // Start: the paths of the front and the back carriage, plotter units.
    std::vector<JobPoint> frontPath;
    std::vector<JobPoint> backPath;
    // MoveWire: the point both wire ends go to, mm.
    double moveX = 0;
    double moveY = 0;
};

// Perpendicular cutting on the two-wire machine.
struct PerpendicularStartContext
{
    // Where the front and the side wire stand, 0.01 mm.
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    // Front work area (limitX, limitY) and side area (limitZ, limitY), mm.
    std::int32_t limitX = 0;
    std::int32_t limitY = 0;
    std::int32_t limitZ = 0;
    // Start-point margins of the front and the side window, plotter units,
    // and the scale they are cut at (percent).
    StartMargins front;
    StartMargins side;
    double scale = 100;
    int lengthUnit = 0;
};

// What the perpendicular start dialog hands back on OK, mm.
struct PerpendicularStart
{
    double frontX = 0;
    double frontY = 0;
    double sideX = 0;
    double sideY = 0;
};

// The dialogs; nullopt and Cancel end the start without writing anything.
class StartDialogs
{
public:
    virtual ~StartDialogs() = default;
    virtual std::optional<SerialCutChoice> serialCut(const SerialCutContext &context) = 0;
    virtual IndependentStartAnswer independentStart(const IndependentStartContext &context) = 0;
    virtual std::optional<PerpendicularStart> perpendicularStart(const PerpendicularStartContext &context)
        = 0;
};

} // namespace job
