#pragma once

// The narrow views job control has of its collaborators: the machine, the
// manual control panel, the transmitter, the project windows and the prompts
// (the start dialogs are in startdialogs.h). Job control is a plain class
// over these, so every start path can run against a recording fake and
// against the real program alike.

#include "job/startstate.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace job {

// Status flag bytes as the controller reports them (reply bytes r2..r4).
struct StatusBytes
{
    std::uint8_t b0 = 0; // .0 moving, .1 job running, .2 heating on, .3 busy, .6 job paused
    std::uint8_t b1 = 0; // .1 job buffer full, .3/.4/.5 machine start/pause/continue buttons
    std::uint8_t b2 = 0; // .2 homed, .3 broken wire, .4 heating to restore on continue

    bool jobRunning() const { return b0 & 0x02; }
    bool homed() const { return b2 & 0x04; }
    bool brokenWire() const { return b2 & 0x08; }
};

// What job control reads of the machine-state record.
struct MachineSnapshot
{
    bool connected = false;
    StatusBytes status;
    // Wire end 1 (front) and wire end 2 (back), 0.01 mm.
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    QString family;           // first two characters of the machine name
    std::int32_t limitX = 0;  // work area, mm
    std::int32_t limitY = 0;
    std::int32_t limitZ = 0;  // side area width of the two-wire machines, mm
    double resX = 1.0;        // controller steps per 0.01 mm
    double resY = 1.0;
    bool newProtocol = false; // heating power goes as int32 instead of one byte
    bool ljFamily = false;    // heating is ramped, broken-wire test is the controller's
    // The link's connection count: it grows when the machine is plugged
    // back in (or restarts), however short the gap.
    std::uint64_t connection = 0;
    QString machineName;
    double fcWidth = 0;       // the machine's width, mm
    double workingWidth = 0;  // distance between the two carriage planes, mm
    std::int32_t wspV = 2;    // the model's multiplier of a move's tick count
};

// The machine access layer: live commands, queries and the motion and
// heating routines built on them.
class JobMachine
{
public:
    virtual ~JobMachine() = default;

    virtual void readStatus() = 0;
    virtual void readPositions() = 0;
    virtual void readMachineInfo() = 0;
    virtual void readPowerInfo() = 0;
    virtual const MachineSnapshot &snapshot() const = 0;

    // One live command (letter and arguments); false when the link failed.
    virtual bool sendCommand(const QByteArray &command) = 0;
    virtual void waitWhileBusy() = 0;
    // As waitWhileBusy, but gives up after limitMs; true when the machine
    // was seen idle, false when it stayed busy or the link failed.
    virtual bool waitWhileBusyFor(std::int64_t limitMs) = 0;
    // Controller period for a speed in mm/min, as the "V" command carries it.
    virtual std::uint16_t speedPeriod(double mmPerMinute) const = 0;
    // Records where wire end 1 stood when the job was started (0.01 mm); the
    // "U" command is then built from it.
    virtual void setJobOrigin(std::int32_t x, std::int32_t y) = 0;
    virtual void rampHeating(int channel, int percent) = 0;
    virtual void toggleHeating() = 0;
    // Absolute move of both wire ends, lengths in mm; waits until it started.
    virtual void moveTo(double x, double y) = 0;
    // Absolute move of the selected wire ends alone, mm; the others, Z and
    // the rotary axes stay. Returns once the move was sent.
    virtual void moveArmsTo(bool front, bool back, double x, double y) = 0;
    // Blocking pause of the start sequence (heating, settling of the controller).
    virtual void pause(int milliseconds) = 0;
};

// Absolute target of `gotopoint`: linear axes in mm, rotary axes in steps.
struct GotoTarget
{
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    double z = 0;
    std::int32_t s = 0; // rotary table
    std::int32_t w = 0; // spindle
};

// The manual control panel's part in a start, a pause and a continue.
class JobPanel
{
public:
    virtual ~JobPanel() = default;

    virtual bool gotoPoint(bool wait, int speedMode, const GotoTarget &target) = 0;
    virtual bool pauseJob() = 0;    // wstrzymaj
    virtual bool mayMove() = 0;     // MoznaRuszac
    virtual void continueJob() = 0; // kontynuuj
    virtual bool keyFront() const = 0;
    virtual bool keyBack() const = 0;
    virtual void setKeyFront(bool ticked) = 0;
    virtual void setKeyBack(bool ticked) = 0;
    // Wire end 2 down and out of the way (X 0, Y -10 mm), wire end 1 stays.
    virtual void parkBackArm() = 0;
    // The downward repetitions of a serial cut the panel's poll runs after
    // the job: count, shift (mm), the repetition point's height and X (mm)
    // and the table position (steps). A count of 0 ends them.
    virtual void setSerialRepetition(int count, double shift, double height, double x, std::int32_t table)
        = 0;
    // The panel's own rotary positions, steps within a turn.
    virtual std::int32_t tablePosition() const = 0;
    virtual std::int32_t spindlePosition() const = 0;
};

class JobTransmitter
{
public:
    virtual ~JobTransmitter() = default;
    // False when the job file cannot be opened; nothing is sent then. The
    // job streams only while the link keeps the given connection.
    virtual bool start(std::uint64_t connection) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

struct JobPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const JobPoint &) const = default;
};

// Distances from the start point to the project's edges, plotter units.
struct StartMargins
{
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

enum class JobDriver {
    Flat,           // save_ciecie
    Rotary,         // Save_ciecie_obrotowe
    SerialSpindle,  // save_ciecie_seryjne_wrzeciono
    TurningSpindle, // Save_toczenie_wrzeciono
    TurningTable,   // Save_toczenie_stolik
};

struct JobWriteRequest
{
    JobDriver driver = JobDriver::Flat;
    QString fileName;  // the job file; always the whole figure list
    int jobType = 32;  // what the writer reads while it writes
    double turns = 0;  // end rotation of flat and serial passes
    int direction = 1; // feed sign of a serial spindle pass
    int windowCount = 1;
    StartState start;  // what the start sequence has worked out so far
};

struct JobWriteResult
{
    bool ok = false;
    QString messageSection; // set when the writer failed
    QString messageKey;
    // Where the wire stands after a serial pass, for the next one.
    std::optional<std::array<std::int32_t, 8>> passStartPosition;
};

// One project window as job control sees it.
class JobProject
{
public:
    virtual ~JobProject() = default;

    // The window's caption: the drawing's path, or the name a generator gave
    // a window that holds no drawing.
    virtual QString caption() const = 0;
    virtual int passNumber() const = 0;
    virtual double passAngle() const = 0; // degrees per pass of a serial cut
    virtual void setPassAngle(double degrees) = 0;

    // Size and corners in plotter units; the cross box spans from the minimum
    // corner to the largest corner of the cross-point figures.
    virtual std::int32_t projectWidth() const = 0;
    virtual std::int32_t projectHeight() const = 0;
    virtual std::int32_t crossWidth() const = 0;
    virtual std::int32_t crossHeight() const = 0;
    virtual JobPoint minCorner() const = 0; // PP
    virtual JobPoint maxCorner() const = 0; // PK
    virtual JobPoint crossMax() const = 0;

    virtual bool tooLarge() const = 0; // projektZaDuzy
    // False when the planner stopped or could not join every figure.
    virtual bool planComplete() const = 0;

    virtual int serialFeedSign() const = 0;
    virtual void setSerialFeedSign(int sign) = 0;
    virtual void setCutFrame(bool cut) = 0;
    virtual bool axisHorizontal() const = 0;
    virtual bool cutFromBelow() const = 0;
    virtual double firstEntryIntoMaterial() const = 0; // mm, DajPoz1szegoWjazduWmat

    virtual int figureCount() const = 0;
    virtual int rootFigure() const = 0;
    virtual std::vector<JobPoint> figurePoints(int figure) const = 0;
    // The project corner the figure was built against, plotter units.
    virtual JobPoint referenceCorner(int figure) const = 0;
    // The path a wire end follows instead of the figure's own points.
    virtual void setSecondPoints(int figure, const std::vector<JobPoint> &points) = 0;
    virtual int entryVertex(int figure) const = 0;
    virtual void setEntryVertex(int figure, int vertex) = 0;
    virtual double pointTolerance() const = 0; // joining tolerance, plotter units
    virtual void setSingleOpenFigure(bool single) = 0;
    virtual StartMargins startMargins() const = 0;
    virtual void setStartMargins(const StartMargins &margins) = 0;

    virtual void setDirection(int direction) = 0; // UstawKierunek
    virtual JobWriteResult writeJob(const JobWriteRequest &request) = 0;
};

// The project windows of the main window.
class JobProjects
{
public:
    virtual ~JobProjects() = default;
    // Every project window in MDI order, the active one first.
    virtual std::vector<JobProject *> windows() const = 0;
    virtual JobProject *active() const = 0;
    // Gives the window focus and repaints it; it becomes the active one.
    virtual void activate(JobProject *window) = 0;
};

// One piece of a message: a language-file text by section and key, or a
// literal (numbers, separators, line breaks).
struct TextPiece
{
    QString section;
    QString key;
    QString literal;

    static TextPiece text(const QString &section, const QString &key) { return {section, key, {}}; }
    static TextPiece raw(const QString &literal) { return {{}, {}, literal}; }
    bool operator==(const TextPiece &) const = default;
};

struct JobMessage
{
    enum class Kind { Error, Information };
    Kind kind = Kind::Error;
    std::vector<TextPiece> caption; // empty: the default caption
    std::vector<TextPiece> text;

    // The section and key that say why (the first text piece).
    QString key() const { return text.empty() ? QString() : text.front().key; }
};

enum class BrokenWireAnswer { Ok, Cancel, Retry };

// The widget layer: message boxes, the broken-wire question, the cursor and
// the pass counter in the status bar.
class JobPrompts
{
public:
    virtual ~JobPrompts() = default;
    virtual void show(const JobMessage &message) = 0;
    virtual BrokenWireAnswer askBrokenWire() = 0; // "Control"/"zerwanyDrut", OK Cancel Retry
    virtual void setBusy(bool busy) = 0;          // hourglass cursor
    virtual void showPassCounter(int count) = 0;
};

} // namespace job
