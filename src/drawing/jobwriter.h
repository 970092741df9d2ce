#pragma once

#include "app/settings.h"
#include "drawing/figure.h"
#include "drawing/jobformat.h"
#include "drawing/joboutput.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Job types: which kind of cut the writer is writing. Job control sets one
// before it asks a project to write its job.
namespace TJobType {
inline constexpr int PlainText = 1;
inline constexpr int TurningSpindle = 30;
inline constexpr int TurningTable = 301;
inline constexpr int RotarySpindle = 31; // rotary about a horizontal axis; serial on the spindle
inline constexpr int RotaryTable = 311; // rotary about a vertical axis
inline constexpr int Flat = 32;
inline constexpr int SerialTable = 33;
} // namespace TJobType

// The machine values a job is written with, copied from the machine state
// when the job is written.
struct JobMachineParams
{
    std::int32_t wspV = 2; // speed factor of the model
    double resX = 1.0; // controller steps per 0.01 mm of the X axes
    double resY = 1.0;
    double resZ = 1.0;
    std::int32_t resS = 8000; // steps per turn: rotary table, spindle, third rotary axis
    std::int32_t resW = 8000;
    std::int32_t res3 = 8000;
    std::int32_t limitX = 4800; // travel, mm
    std::int32_t limitY = 2400;
    std::int32_t PowerFactor = 1;
    std::int32_t MaxWorkSpeed = 5000; // mm/min
    bool newProtocol = false; // heating power as int32 instead of one byte
    bool LJ = false; // heating by percentage, ramped by job control
    bool spindleRotaryModel = false; // the one rotary axis is the spindle
    QString familyCode; // first two characters of the machine name
    // Wire positions as last read from the machine, 0.01 mm.
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
    std::int32_t Y2 = 0;
};

// What job control has worked out for this start and the project it writes.
struct JobStartState
{
    int jobType = TJobType::Flat;
    double StartEdgeX = 0.0; // mm
    double StartEdgeY = 0.0;
    double ZderzakX = 51.0; // stop position, mm
    double ZderzakY = 0.0;
    double FrontStartX = 0.0; // FrontStartPoint, mm
    double FrontStartY = 0.0;
    bool CutOffAtEnd = false;
    bool KeyFront = true; // control panel: the front arm cuts
    bool KeyBack = true; // control panel: the back arm cuts
    // Of the project being written: first entry into the material (mm),
    // its pass number, the number of project windows, its width (plotter units).
    double firstEntryMm = 0.0;
    std::int32_t PassNumber = 0;
    std::int32_t windowCount = 1;
    std::int32_t ProjectWidth = 0;
};

// The two things the writer does to the live machine and the screen while it
// writes. Job control and the control panel implement them; tests record.
class JobLiveEffects
{
public:
    virtual ~JobLiveEffects() = default;
    // Sends "S" 4 with the value at once (arm and output selection).
    virtual void sendArmSelection(std::int32_t value) = 0;
    // Reads the machine's status before the retreat moves are written.
    virtual void queryStatus() = 0;
    // Shows the manual control panel after the two-arm parking.
    virtual void showManualPanel() = 0;
    // The main window's status text while a job is written (empty clears it).
    virtual void showStatus(const QString &) { }
};

// Positions of the job: index 0 X1, 1 Y1, 2 Z, 3 rotary table, 4 X2, 5 Y2,
// 6 third rotary axis, 7 spindle; controller steps from the job origin.
using JobPositions = std::array<std::int32_t, 8>;

// What outlives one writer: the positions after the last three moves (the
// corner test looks across jobs of other types) and whether the next figure
// still owes the heat-up pause.
struct JobWriterCarry
{
    std::array<JobPositions, 3> LastPositions {}; // oldest, middle, newest
    bool HeatUpPending = false;
};

// The message shown when a job file could not be created or written whole.
inline constexpr const char *WriteFailedSection = "Universal";
inline constexpr const char *WriteFailedKey = "zbioruNieMoznaZapisac";

// How writing a job ended.
struct JobWriteStatus
{
    bool ok = true;
    const char *section = "";
    const char *key = "";
};

// Corner test on three 3D points: 1 straight on, 0 a right angle, -1 a
// reversal; 1 when two of the points coincide.
double CornerCos3D(const std::array<std::int64_t, 3> &p0, const std::array<std::int64_t, 3> &p1,
                   const std::array<std::int64_t, 3> &p2);
// The smaller corner value of the two wire ends over three positions.
double CornerValue(const JobPositions &a, const JobPositions &b, const JobPositions &c);
// CornerValue(a, b, c) <= 0.87, the test for the pause at a sharp corner,
// decided without roots.
bool IsCorner(const JobPositions &a, const JobPositions &b, const JobPositions &c);
// Controller step period of a speed in mm/min (speeds below 21 count as 20).
std::uint16_t SpeedToPeriod(long double mmPerMinute, double resX);
// The period a "V" command carries for a speed in mm/min: the period of the
// speed times the model's speed factor (the controller multiplies the
// period back by the factor), at most 32767. The job file and every live
// "V" use it.
std::uint16_t SpeedCommandPeriod(long double mmPerMinute, std::int32_t wspV, double resX);

// The writing half of the drawing reader/writer: turns millimetre targets
// into the relative move records of the job file, keeps the position the job
// has reached, pauses at sharp corners and writes the opening and closing of
// each job type. One object writes one job: BeginJob, writes, EndJob.
class TJobWriter
{
public:
    TJobWriter(const Settings &settings, const JobMachineParams &machine, const JobStartState &start,
               JobLiveEffects *effects = nullptr, JobWriterCarry *carry = nullptr);
    ~TJobWriter();
    TJobWriter(const TJobWriter &) = delete;
    TJobWriter &operator=(const TJobWriter &) = delete;

    // Opens the job (the file is replaced only by a complete job) and writes
    // its opening. False when the file cannot be created.
    bool BeginJob(const QString &fileName);
    bool BeginJob(std::unique_ptr<JobOutput> output);
    // Writes the closing and commits the file; a failure at any point of the
    // job is reported here and leaves no new file behind.
    JobWriteStatus EndJob();

    // The move to absolute targets (mm; S, W and Third relative turns) with
    // any corner pause appended. Updates the position, writes nothing.
    std::string EmitMove(double X1, double X2, double Y1, double Y2, double S, double W, double Z,
                         double Third);
    void MoveArmsScaled(std::int32_t x, std::int32_t y, bool front, bool back);
    void MoveWireEndsScaled(std::int32_t x1, std::int32_t x2, std::int32_t y1, std::int32_t y2);
    void WritePause(long long n);
    void RotateTo(double table, double spindle);
    void SetPosition(std::int32_t x, std::int32_t y, std::int32_t rotary);
    double PowerValue(double power) const;
    void WriteHeating();
    void WriteHoldCommands();
    void WriteRotaryExit();
    void WriteRevolution(double depth1, double depth2, double angle);
    void WriteCrossPoint(const tfigura &figure, TPlotPoint origin, double depth1, double depth2);
    void WriteEndMoves();
    // One figure as one turning or rotary pass of the current job type.
    void WriteFigure(const tfigura &figure, double passAngle, double &endAngle, int direction);

    // Marks the job as failed: EndJob then discards it and reports the message.
    void fail(const char *section = WriteFailedSection, const char *key = WriteFailedKey);

    const JobPositions &JobPosition() const { return m_position; }
    std::uint8_t WireSelector() const { return m_wireSelector; }
    const JobWriterCarry &carry() const { return *m_carry; }
    bool failed() const { return m_failed; }

    // The arms that move in flat cutting and park at the end of the job.
    bool FrontArm = true;
    bool BackArm = true;

private:
    struct FigureKind;

    struct EmittedMove
    {
        std::size_t length = 0; // bytes of move records written
        bool corner = false; // a corner pause is due after them
    };
    // Writes the records into out (room for MaxMoveCommandLength bytes).
    EmittedMove emitMove(std::uint8_t *out, double X1, double X2, double Y1, double Y2, double S, double W,
                         double Z, double Third);
    void write(std::string_view bytes);
    void writeMove(double X1, double X2, double Y1, double Y2, double S = 0, double W = 0, double Z = 0,
                   double Third = 0);
    void writeBytes(const TBytes &bytes);
    void sync(); // 'p' 1, the short pause between phases
    void speedMode(std::uint8_t mode);
    void setting(std::uint8_t number, std::int32_t value);
    void heatingOn();
    void heatingOff();
    void writeSpeed(std::uint8_t mode, long double mmPerMinute);
    void writeOpening();
    void writeClosing();
    void writeQ7Parking();
    void writeCutOff();
    void flush();

    // Current targets of the linear axes in millimetres.
    double currentX1() const;
    double currentX2() const;
    double currentY1() const;
    double currentY2() const;
    double currentZ() const;

    // Figure writing helpers (per job type).
    static bool figureKind(int type, const Settings &settings, FigureKind &kind);
    void figureMoveMm(const FigureKind &kind, double xm, double ym, double turns);
    void figureTurn(const FigureKind &kind, double turns);
    void figureHeating();
    void figureMove(const FigureKind &kind, std::int32_t x, std::int32_t y, double turns);
    void figureMoveKeepY(const FigureKind &kind, std::int32_t x);
    void figureMoveKeepX(const FigureKind &kind, std::int32_t y);
    void figureSpeed(const FigureKind &kind, double length, double turns, double dx, double dy);
    double figureStartTurn(const FigureKind &kind, double passAngle) const;
    double axisAngle(int entry, std::int32_t stepsPerTurn) const;

    const Settings &m_settings;
    JobMachineParams m_machine;
    JobStartState m_start;
    JobLiveEffects *m_effects;
    JobWriterCarry m_ownCarry;
    JobWriterCarry *m_carry;

    std::unique_ptr<JobOutput> m_output;
    std::vector<char> m_buffer; // fixed size; the first m_used bytes wait for the output
    std::size_t m_used = 0;
    JobPositions m_position {};
    std::uint8_t m_wireSelector = 0;
    bool m_open = false;
    bool m_failed = false;
    JobWriteStatus m_failure;
};
