#pragma once

#include <cstdint>
#include <functional>

// Time as the machine code sees it: every sleep, wait and poll goes through
// this, so tests and the simulated controller run in virtual time.
class MachineClock
{
public:
    virtual ~MachineClock() = default;
    virtual std::int64_t nowMs() const = 0;
    virtual void sleepMs(std::int64_t ms) = 0;
};

// Wall-clock time with real sleeps (the program with a real or simulated
// machine, always off the GUI thread).
class SystemMachineClock final : public MachineClock
{
public:
    std::int64_t nowMs() const override;
    void sleepMs(std::int64_t ms) override;
};

// Time that only moves when someone sleeps or advances it. A hook sees
// every sleep (tests use it to act "meanwhile", as a user would).
class VirtualMachineClock final : public MachineClock
{
public:
    std::int64_t nowMs() const override { return m_now; }
    void sleepMs(std::int64_t ms) override
    {
        if (ms > 0)
            m_now += ms;
        if (m_hook)
            m_hook(m_now);
    }
    void advance(std::int64_t ms) { sleepMs(ms); }
    void setSleepHook(std::function<void(std::int64_t now)> hook) { m_hook = std::move(hook); }

private:
    std::int64_t m_now = 0;
    std::function<void(std::int64_t)> m_hook;
};
