#pragma once

// Job control's machine and panel in the running program: the machine
// session's access layer and panel logic, reached on the session's thread.

#include "job/jobinterfaces.h"

class MachineSession;

namespace job {

class SessionJobMachine : public JobMachine
{
public:
    explicit SessionJobMachine(MachineSession &session) : m_session(session) {}

    void readStatus() override;
    void readPositions() override;
    void readMachineInfo() override;
    void readPowerInfo() override;
    const MachineSnapshot &snapshot() const override;
    bool sendCommand(const QByteArray &command) override;
    void waitWhileBusy() override;
    bool waitWhileBusyFor(std::int64_t limitMs) override;
    std::uint16_t speedPeriod(double mmPerMinute) const override;
    void setJobOrigin(std::int32_t x, std::int32_t y) override;
    void rampHeating(int channel, int percent) override;
    void toggleHeating() override;
    void moveTo(double x, double y) override;
    void moveArmsTo(bool front, bool back, double x, double y) override;
    void pause(int milliseconds) override;

private:
    template<typename F>
    auto withMachine(F f) const;

    MachineSession &m_session;
    mutable MachineSnapshot m_snapshot;
};

class SessionJobPanel : public JobPanel
{
public:
    explicit SessionJobPanel(MachineSession &session) : m_session(session) {}

    bool gotoPoint(bool wait, int speedMode, const GotoTarget &target) override;
    bool pauseJob() override;
    bool mayMove() override;
    void continueJob() override;
    bool keyFront() const override;
    bool keyBack() const override;
    void setKeyFront(bool ticked) override;
    void setKeyBack(bool ticked) override;
    void parkBackArm() override;
    void setSerialRepetition(int count, double shift, double height, double x, std::int32_t table) override;
    std::int32_t tablePosition() const override;
    std::int32_t spindlePosition() const override;

private:
    template<typename F>
    auto withPanel(F f) const;

    MachineSession &m_session;
};

} // namespace job
