#pragma once

#include "project/projectdocument.h"

#include <atomic>
#include <functional>

// The planner a cutting mode asks for once a drawing is loaded.
enum class TPlannerKind {
    Flat, // ciecie
    Rotary, // ciecie_obrotowe
    Turning, // toczenie
};

TPlannerKind PlannerForMode(int mode, int stolikSwitch);

enum class TPlanStatus {
    Planned,
    NotPlanned, // no planner ran
    Cancelled, // stopped by the user; planned again after the next configuration
    Stuck, // some figures could not be joined
    Failed, // the planner found no axis or profile; the window closes
};

struct TPlanOutcome
{
    TPlanStatus status = TPlanStatus::NotPlanned;
    int unjoinedFigures = 0;
    // A message for the window to show, if any.
    TMessageKey message;
    // A fault of the drawing that the plan works around: shown as an error
    // while the window stays open.
    TMessageKey warning;
    bool closesWindow() const { return status == TPlanStatus::Failed; }
};

// Progress (percent) and cancel request of a planning run.
struct TPlanControl
{
    std::function<void(int percent)> progress;
    const std::atomic<bool> *cancel = nullptr;
};

// Runs one planner on the project. The planners hook in here.
TPlanOutcome RunPlanner(TProjectDocument &document, TPlannerKind kind, const TPlanControl &control);

// Plans a loaded project with the planner of its cutting mode (the document's
// settings): RunPlanner with PlannerForMode.
TPlanOutcome PlanProject(TProjectDocument &document, const TPlanControl &control);

// Orders the figures of a cross-to-point project after loading (by first
// point, cross points column by column in zig-zag).
void OrderLoadedFigures(TProjectDocument &document);
