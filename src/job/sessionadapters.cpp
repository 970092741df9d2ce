#include "job/sessionadapters.h"

#include "job/machineadapters.h"
#include "job/ploteradapter.h"
#include "job/threadhop.h"
#include "machine/machinesession.h"

namespace job {

// Runs f with the session's access layer on the session's thread; without a
// link yet the result is what a disconnected machine gives.
template<typename F>
auto SessionJobMachine::withMachine(F f) const
{
    return callOn(&m_session, [this, &f] {
        using R = decltype(f(std::declval<JobMachine &>()));
        Ploter *ploter = m_session.ploter();
        if (!ploter) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        PloterJobMachine machine(*ploter);
        return f(machine);
    });
}

void SessionJobMachine::readStatus() { withMachine([](JobMachine &m) { m.readStatus(); }); }
void SessionJobMachine::readPositions() { withMachine([](JobMachine &m) { m.readPositions(); }); }
void SessionJobMachine::readMachineInfo() { withMachine([](JobMachine &m) { m.readMachineInfo(); }); }
void SessionJobMachine::readPowerInfo() { withMachine([](JobMachine &m) { m.readPowerInfo(); }); }

const MachineSnapshot &SessionJobMachine::snapshot() const
{
    m_snapshot = withMachine([](JobMachine &m) { return m.snapshot(); });
    return m_snapshot;
}

bool SessionJobMachine::sendCommand(const QByteArray &command)
{
    return withMachine([&command](JobMachine &m) { return m.sendCommand(command); });
}

void SessionJobMachine::waitWhileBusy() { withMachine([](JobMachine &m) { m.waitWhileBusy(); }); }

bool SessionJobMachine::waitWhileBusyFor(std::int64_t limitMs)
{
    return withMachine([limitMs](JobMachine &m) { return m.waitWhileBusyFor(limitMs); });
}

std::uint16_t SessionJobMachine::speedPeriod(double mmPerMinute) const
{
    return withMachine([mmPerMinute](JobMachine &m) { return m.speedPeriod(mmPerMinute); });
}

void SessionJobMachine::setJobOrigin(std::int32_t x, std::int32_t y)
{
    withMachine([x, y](JobMachine &m) { m.setJobOrigin(x, y); });
}

void SessionJobMachine::rampHeating(int channel, int percent)
{
    withMachine([channel, percent](JobMachine &m) { m.rampHeating(channel, percent); });
}

void SessionJobMachine::toggleHeating() { withMachine([](JobMachine &m) { m.toggleHeating(); }); }
void SessionJobMachine::moveTo(double x, double y) { withMachine([x, y](JobMachine &m) { m.moveTo(x, y); }); }

void SessionJobMachine::moveArmsTo(bool front, bool back, double x, double y)
{
    withMachine([=](JobMachine &m) { m.moveArmsTo(front, back, x, y); });
}

void SessionJobMachine::pause(int milliseconds)
{
    withMachine([milliseconds](JobMachine &m) { m.pause(milliseconds); });
}

template<typename F>
auto SessionJobPanel::withPanel(F f) const
{
    return callOn(&m_session, [this, &f] {
        using R = decltype(f(std::declval<JobPanel &>()));
        Tster *tster = m_session.panel();
        if (!tster) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        TsterJobPanel panel(*tster);
        return f(panel);
    });
}

bool SessionJobPanel::gotoPoint(bool wait, int speedMode, const GotoTarget &target)
{
    return withPanel([&](JobPanel &p) { return p.gotoPoint(wait, speedMode, target); });
}

bool SessionJobPanel::pauseJob() { return withPanel([](JobPanel &p) { return p.pauseJob(); }); }
bool SessionJobPanel::mayMove() { return withPanel([](JobPanel &p) { return p.mayMove(); }); }
void SessionJobPanel::continueJob() { withPanel([](JobPanel &p) { p.continueJob(); }); }
bool SessionJobPanel::keyFront() const { return withPanel([](JobPanel &p) { return p.keyFront(); }); }
bool SessionJobPanel::keyBack() const { return withPanel([](JobPanel &p) { return p.keyBack(); }); }
void SessionJobPanel::setKeyFront(bool ticked) { withPanel([ticked](JobPanel &p) { p.setKeyFront(ticked); }); }
void SessionJobPanel::setKeyBack(bool ticked) { withPanel([ticked](JobPanel &p) { p.setKeyBack(ticked); }); }
void SessionJobPanel::parkBackArm() { withPanel([](JobPanel &p) { p.parkBackArm(); }); }

void SessionJobPanel::setSerialRepetition(int count, double shift, double height, double x,
                                          std::int32_t table)
{
    withPanel([=](JobPanel &p) { p.setSerialRepetition(count, shift, height, x, table); });
}

std::int32_t SessionJobPanel::tablePosition() const
{
    return withPanel([](JobPanel &p) { return p.tablePosition(); });
}

std::int32_t SessionJobPanel::spindlePosition() const
{
    return withPanel([](JobPanel &p) { return p.spindlePosition(); });
}

} // namespace job
