#pragma once

// Job control's views of the manual control panel and the transmitter, and
// the panel's view of job control.

#include "job/jobcontrol.h"
#include "machine/sterowanie.h"


class TTransArm;

namespace job {

class TsterJobPanel : public JobPanel
{
public:
    explicit TsterJobPanel(Tster &panel) : m_panel(panel) {}

    bool gotoPoint(bool wait, int speedMode, const GotoTarget &target) override;
    bool pauseJob() override { return m_panel.wstrzymaj(); }
    bool mayMove() override { return m_panel.MoznaRuszac(); }
    void continueJob() override { m_panel.kontynuuj(); }
    bool keyFront() const override { return m_panel.keyFront(); }
    bool keyBack() const override { return m_panel.keyBack(); }
    void setKeyFront(bool ticked) override { m_panel.setKeyFront(ticked); }
    void setKeyBack(bool ticked) override { m_panel.setKeyBack(ticked); }
    void parkBackArm() override { m_panel.ParkBackArm(); }
    void setSerialRepetition(int count, double shift, double height, double x, std::int32_t table) override
    {
        m_panel.setSerialRepetition(count, shift, height, x, table);
    }
    std::int32_t tablePosition() const override { return m_panel.tablePosition(); }
    std::int32_t spindlePosition() const override { return m_panel.spindlePosition(); }

private:
    Tster &m_panel;
};

// The transmitter streams the one job file of the program.
class TransArmTransmitter : public JobTransmitter
{
public:
    TransArmTransmitter(TTransArm &transmitter, QString jobFile);
    bool start(std::uint64_t connection) override;
    void stop() override;
    bool isRunning() const override;

private:
    TTransArm &m_transmitter;
    QString m_jobFile;
};

} // namespace job
