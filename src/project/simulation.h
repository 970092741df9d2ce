#pragma once

#include "project/painting.h"
#include "project/pathrecord.h"

#include <cstddef>
#include <vector>

class TProjectDocument;

// One action of the animated wire path, in the view's pixels.
enum class TSimKind {
    Jump, // the pen goes to a without animation
    Go, // animated to a, one pixel per delay unit, nothing drawn
    Line, // animated to a, drawing
    Wire, // the line between the two wire ends a and b, at once
    Circle, // a filled circle of radius 10 around a
    Wait, // delay units
    Pen, // the pen colour becomes colour
};

struct TSimAction
{
    TSimKind kind = TSimKind::Jump;
    TPixel a;
    TPixel b;
    double delay = 0.0; // Wait: milliseconds before the speed setting divides them
    TFigureColour colour = TFigureColour::Red;
};

// The whole animation, computed once when the simulation starts: later
// changes of the window or the feed direction do not touch a running one.
struct TSimulationPath
{
    std::vector<TSimAction> actions;
    // Rotary cutting and turning merge the pen with the picture (bitwise or);
    // the flat simulation draws over it.
    bool merge = false;
};

// The animation of the project's cut for the transform, by cutting mode.
// The flat modes follow the same walk along the cutting tree as the job
// writer, so the wire moves in the order the job cuts. Like the job writer's
// walk it may turn open figures round in the project, and it sets the entry
// of a single open figure by the feed sign.
TSimulationPath BuildSimulation(TProjectDocument &document, const TPaintSettings &settings,
                                const TViewTransform &transform);

// The wire path as records, through the same walk, without drawing: the
// root's entry point first (key PathRecordStartKey), then every vertex the
// wire reaches, a point equal to the last recorded one left out. Replaces the
// document's PathRecords.
void RecordWirePath(TProjectDocument &document, const TPaintSettings &settings);

// What the view draws as the animation advances.
struct TSimDraw
{
    enum class Kind { Line, Circle } kind = Kind::Line;
    TPixel a;
    TPixel b;
    TFigureColour colour = TFigureColour::Red;
};

// Plays a simulation path against elapsed time. Each pixel step takes one
// delay unit, 1 ms divided by (speed setting + 1); waits take their delay in
// the same units. The caller brings the time (a timer, a test).
class TSimulationPlayer
{
public:
    TSimulationPlayer() = default;
    TSimulationPlayer(TSimulationPath path, int speedPosition);

    // Everything due by elapsedMs since the start.
    std::vector<TSimDraw> advance(double elapsedMs);
    void stop() { m_action = m_path.actions.size(); }
    bool finished() const { return m_action >= m_path.actions.size(); }
    bool merge() const { return m_path.merge; }
    // The time the whole path takes, ms.
    double totalMs() const;

private:
    bool advanceStep(double elapsedMs, std::vector<TSimDraw> &draws);

    TSimulationPath m_path;
    double m_unitMs = 1.0;
    std::size_t m_action = 0;
    double m_actionStart = 0.0; // ms when the current action began
    TPixel m_pen;
    TFigureColour m_colour = TFigureColour::Red;
    // The animated step under way.
    bool m_stepping = false;
    TPixel m_from;
    int m_steps = 0;
    int m_done = 0;
};
