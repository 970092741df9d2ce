#pragma once

#include <atomic>

// The stop request of one planning run (a key press or click in the project
// window, its closing or the program's), as every stage of planning sees it.
// The stages look at it between figures and every few thousand steps of
// their inner work, so that a stop takes effect at once on the largest
// drawing; a stage that sees it returns as it stands, and the run ends
// stopped.
class PlanStop
{
public:
    PlanStop() = default;
    explicit PlanStop(const std::atomic<bool> *flag)
        : m_flag(flag)
    { }

    bool requested() const { return m_flag && m_flag->load(std::memory_order_relaxed); }

private:
    const std::atomic<bool> *m_flag = nullptr;
};
