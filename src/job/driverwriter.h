#pragma once

#include "job/documentadapter.h"

#include <functional>

struct JobContext;

namespace job {

// Writes a job through the job drivers of the cutting modes. `base` gives
// what the start sequence does not decide: the settings, the machine values,
// the live effects and the carry between jobs.
DocumentJobProject::Writer driverWriter(std::function<JobContext()> base);

} // namespace job

#include "drawing/jobwriter.h"

namespace job {

class JobMachine;

// What the writer does to the live machine while it writes, through job
// control's machine: the arm selection "S" 4, a status read, the panel shown.
class MachineLiveEffects : public JobLiveEffects
{
public:
    MachineLiveEffects(JobMachine &machine, std::function<void()> showPanel);
    void sendArmSelection(std::int32_t value) override;
    void queryStatus() override;
    void showManualPanel() override;

private:
    JobMachine &m_machine;
    std::function<void()> m_showPanel;
};

} // namespace job
