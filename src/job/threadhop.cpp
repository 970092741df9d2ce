#include "job/threadhop.h"

namespace job {

HoppingJobMachine::HoppingJobMachine(JobMachine &inner, QObject *machineThreadObject)
    : m_inner(inner)
    , m_context(machineThreadObject)
{
}

void HoppingJobMachine::readStatus()
{
    callOn(m_context, [this] { m_inner.readStatus(); });
}

void HoppingJobMachine::readPositions()
{
    callOn(m_context, [this] { m_inner.readPositions(); });
}

void HoppingJobMachine::readMachineInfo()
{
    callOn(m_context, [this] { m_inner.readMachineInfo(); });
}

void HoppingJobMachine::readPowerInfo()
{
    callOn(m_context, [this] { m_inner.readPowerInfo(); });
}

const MachineSnapshot &HoppingJobMachine::snapshot() const
{
    // A copy taken on the machine's thread, so the state is never read while
    // that thread writes it.
    m_snapshot = callOn(m_context, [this] { return m_inner.snapshot(); });
    return m_snapshot;
}

bool HoppingJobMachine::sendCommand(const QByteArray &command)
{
    return callOn(m_context, [this, &command] { return m_inner.sendCommand(command); });
}

void HoppingJobMachine::waitWhileBusy()
{
    callOn(m_context, [this] { m_inner.waitWhileBusy(); });
}

std::uint16_t HoppingJobMachine::speedPeriod(double mmPerMinute) const
{
    return callOn(m_context, [this, mmPerMinute] { return m_inner.speedPeriod(mmPerMinute); });
}

void HoppingJobMachine::setJobOrigin(std::int32_t x, std::int32_t y)
{
    callOn(m_context, [this, x, y] { m_inner.setJobOrigin(x, y); });
}

void HoppingJobMachine::rampHeating(int channel, int percent)
{
    callOn(m_context, [this, channel, percent] { m_inner.rampHeating(channel, percent); });
}

void HoppingJobMachine::toggleHeating()
{
    callOn(m_context, [this] { m_inner.toggleHeating(); });
}

void HoppingJobMachine::moveTo(double x, double y)
{
    callOn(m_context, [this, x, y] { m_inner.moveTo(x, y); });
}

void HoppingJobMachine::pause(int milliseconds)
{
    callOn(m_context, [this, milliseconds] { m_inner.pause(milliseconds); });
}

HoppingJobPanel::HoppingJobPanel(JobPanel &inner, QObject *machineThreadObject)
    : m_inner(inner)
    , m_context(machineThreadObject)
{
}

bool HoppingJobPanel::gotoPoint(bool wait, int speedMode, const GotoTarget &target)
{
    return callOn(m_context, [&] { return m_inner.gotoPoint(wait, speedMode, target); });
}

bool HoppingJobPanel::pauseJob()
{
    return callOn(m_context, [this] { return m_inner.pauseJob(); });
}

bool HoppingJobPanel::mayMove()
{
    return callOn(m_context, [this] { return m_inner.mayMove(); });
}

void HoppingJobPanel::continueJob()
{
    callOn(m_context, [this] { m_inner.continueJob(); });
}

bool HoppingJobPanel::keyFront() const
{
    return callOn(m_context, [this] { return m_inner.keyFront(); });
}

bool HoppingJobPanel::keyBack() const
{
    return callOn(m_context, [this] { return m_inner.keyBack(); });
}

void HoppingJobPanel::setKeyFront(bool ticked)
{
    callOn(m_context, [this, ticked] { m_inner.setKeyFront(ticked); });
}

std::int32_t HoppingJobPanel::tablePosition() const
{
    return callOn(m_context, [this] { return m_inner.tablePosition(); });
}

std::int32_t HoppingJobPanel::spindlePosition() const
{
    return callOn(m_context, [this] { return m_inner.spindlePosition(); });
}

HoppingJobTransmitter::HoppingJobTransmitter(JobTransmitter &inner, QObject *machineThreadObject)
    : m_inner(inner)
    , m_context(machineThreadObject)
{
}

bool HoppingJobTransmitter::start()
{
    return callOn(m_context, [this] { return m_inner.start(); });
}

void HoppingJobTransmitter::stop()
{
    callOn(m_context, [this] { m_inner.stop(); });
}

bool HoppingJobTransmitter::isRunning() const
{
    return callOn(m_context, [this] { return m_inner.isRunning(); });
}

} // namespace job
