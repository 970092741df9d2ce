#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace job {

// Cutting modes of the configuration's `Mode`.
enum CuttingMode : int {
    ModeFlat = 0,
    ModeRotary = 1,
    ModeSerial = 2,
    ModeTurning = 3,
    ModeIndependent = 4,
    ModePerpendicular = 5,
};

// `StolikSwitch`: which rotary axis turns the material.
enum RotaryAxis : int { AxisSpindle = 0, AxisTable = 1, AxisNone = 2 };

// Job type codes the job writer reads while it writes.
enum JobType : int {
    JobTypeHpgl = 1,
    JobTypeTurningSpindle = 30,
    JobTypeTurningTable = 301,
    JobTypeRotaryHorizontal = 31, // also serial cutting on the spindle
    JobTypeRotaryVertical = 311,
    JobTypeFlat = 32,
    JobTypeSerialTable = 33,
};

// The settings a start reads, by the names of the configuration's controls;
// lengths in mm, speeds in mm/min.
struct JobSettings
{
    int mode = ModeFlat;           // Mode
    int rotaryAxis = AxisSpindle;  // StolikSwitch
    int catDir = 2;                // CatDir: 0 right, 1 left, 2 both ways alternately
    int anglePerPass = 0;          // rgKatObrotu: 0 from the window count, 1 from the dialog
    bool crossToPoint = false;     // cbKrzyzToPunkt
    double stopX = 51.0;           // feuZderzakX
    double stopY = 0.0;            // feuZderzakY
    double scale = 100.0;          // skala, percent
    double spindleX = 12.0;        // Xwrzeciona
    double spindleY = 730.0;       // Ywrzeciona
    double tableX = 1000.0;        // Xstolika
    double tableY = 250.0;         // Ystolika
    double toolX = 0.0;            // Xnarzedzia
    double toolY = 0.0;            // Ynarzedzia
    double materialDiameter = 500; // Srednicamaterialu
    double travelSpeed = 1000;     // PrzeSpeed
    double workSpeed = 1000;       // szybkoscObrobki
    double workPower = 1.0;        // work_power
    double warmUpTime = 1000;      // CzasRozgrzewania, ms
    double cornerPause = 200;      // Pauza_w_kacie, ms
    int powerOutput = 0;           // PowerOutput
    int lengthUnit = 0;            // radiounit: 0 mm, 1 inch, 2 foot
};

// Program-wide state of the start sequence, set by job control and read by
// the job writer and the control panel.
struct StartState
{
    std::int32_t passCounter = 0;
    bool jobPaused = false;
    int jobType = JobTypeFlat;
    double stopX = 51.0; // ZderzakX, mm
    double stopY = 0.0;  // ZderzakY, mm
    double startEdgeX = 0;
    double startEdgeY = 0;
    double startApproachX = 0;
    double startApproachY = 0;
    bool startOnTable = false;
    // Where the wire stands at the start of the next serial pass, 0.01 mm,
    // in the writer's axis order (0, 1 front X, Y; 4, 5 back X, Y).
    std::array<std::int32_t, 8> passStartPosition{};
    double frontStartX = 0;
    double frontStartY = 0;
    double sideStartX = 0;
    double sideStartY = 0;
    std::int32_t serialRepetitions = 0;
    double serialShift = 0;
    bool serialAnglesFromDialog = false;
    // The link's connection the start began on (its first status read); the
    // job is only handed to the transmitter on that same connection.
    std::optional<std::uint64_t> startConnection;
    // The independent-profile start's material, as last confirmed, mm;
    // negative until a confirmation (the spacing then comes from the machine).
    double armSpacing = -1;
    double materialWidth = -1;
    double frontDistance = -1;
};

} // namespace job
