#pragma once

#include "job/jobinterfaces.h"
#include "job/startstate.h"

#include <QString>

namespace job {

// The checks before the job of one project window starts: machine state,
// mode against machine family, homing, size, work area from the start point,
// the two wires of a two-wire machine, and the broken-wire test. A refusal
// has shown its reason (except a silent not-connected) and left the cursor
// normal.
class StartChecks
{
public:
    StartChecks(JobMachine &machine, JobPanel &panel, JobTransmitter &transmitter, JobProjects &projects,
                JobPrompts &prompts, StartState &state);

    bool canStart(JobProject &active, const JobSettings &settings, bool testMode);

private:
    struct Reference
    {
        // Wire position and work-area limits, thousandths of a mm.
        long long cx = 0;
        long long cy = 0;
        long long limitX = 0;
        long long limitY = 0;
    };
    struct MarginsMm
    {
        // Start-point margins at the job's scale, thousandths of a mm.
        long long left = 0;
        long long right = 0;
        long long top = 0;
        long long bottom = 0;
    };

    bool workAreaFits(JobProject &active, const JobSettings &settings);
    QString chooseSingleOpenEntry(JobProject &active);
    Reference reference(const MachineSnapshot &machine) const;
    bool twoWiresClear(const Reference &ref, const MarginsMm &margins);
    bool brokenWireTest(const JobSettings &settings);
    bool refuse(JobMessage message);

    JobMachine &m_machine;
    JobPanel &m_panel;
    JobTransmitter &m_transmitter;
    JobProjects &m_projects;
    JobPrompts &m_prompts;
    StartState &m_state;
    MarginsMm m_margins;
};

// Thousandths of a mm of a start-point margin in plotter units at `scale`.
long long scaledThousandths(std::int32_t units, double scale);

} // namespace job
