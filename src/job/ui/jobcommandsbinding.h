#pragma once

#include "job/jobcontrol.h"

#include <memory>

class TMainForm;

namespace job {

// Prompts of job control in the main window: message boxes, the hourglass
// over the whole program, the pass counter in status panel 1.
std::unique_ptr<JobPrompts> MakeMainWindowPrompts(TMainForm &form);

// Start, Pause, Continue and drive-away-right of the main window's menu,
// tool bar and side bar run job control; the close guard watches its
// transmitter and the paused state. Everything must outlive the form.
void ConnectJobCommands(TMainForm &form, JobControl &control, JobCloseGuard &guard);

} // namespace job
