#pragma once

#include "machine/machineclock.h"
#include "machine/simulatedmachine.h"

#include <QElapsedTimer>
#include <QThread>

// The wall clock run faster, for the program's own classes over the
// simulated controller: a job cut at its speeds, minutes of machine time,
// takes a second or two, and every sleep shrinks alike.
class FastClock final : public MachineClock
{
public:
    static constexpr std::int64_t kFactor = 200;

    FastClock() { m_elapsed.start(); }
    std::int64_t nowMs() const override { return m_elapsed.elapsed() * kFactor; }
    void sleepMs(std::int64_t ms) override
    {
        if (ms > 0)
            QThread::usleep(static_cast<unsigned long>(ms * 1000 / kFactor));
    }

private:
    QElapsedTimer m_elapsed;
};

// A simulated controller for a fast clock: the transmitter refills it every
// 50 ms of the wall clock, 10 s of the fast one, and the job must not end
// while it waits.
inline SimulatedMachineConfig FastClockMachine(SimulatedMachineConfig config = {})
{
    config.jobIdleEndMs = 60000;
    return config;
}
