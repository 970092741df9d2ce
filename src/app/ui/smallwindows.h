#pragma once

#include "app/aboutbox.h"
#include "project/jobinfo.h"
#include "app/supportrequest.h"

#include <vector>

class Konfig;
class TMDIChild;
struct MachineState;

// What the About box, the job information window and the support-request
// page take from the rest of the program.

TMachineReport MachineReportOf(bool connected, const MachineState &state);

// The project window as the job information window describes it, and the
// program's settings it depends on.
TJobInfoProject JobInfoProjectOf(const TMDIChild &window);
TJobInfoSettings CurrentJobInfoSettings();

// The page's values now: the configuration's machine file and date, each
// project window's file in window order, the machine as last reported.
TSupportRequest SupportRequestOf(const Konfig &konfig, const std::vector<TMDIChild *> &windows,
                                 bool connected, const MachineState &state);
