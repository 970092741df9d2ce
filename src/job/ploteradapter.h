#pragma once

#include "job/jobinterfaces.h"

class Ploter;

namespace job {

// Job control's view of the machine access layer.
class PloterJobMachine : public JobMachine
{
public:
    explicit PloterJobMachine(Ploter &ploter);

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
    Ploter &m_ploter;
    mutable MachineSnapshot m_snapshot;
};

} // namespace job
