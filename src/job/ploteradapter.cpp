#include "job/ploteradapter.h"

#include "app/units.h"
#include "drawing/jobbytes.h"
#include "job/jobcommands.h"
#include "machine/ploter.h"

namespace job {

PloterJobMachine::PloterJobMachine(Ploter &ploter)
    : m_ploter(ploter)
{
}

void PloterJobMachine::readStatus()
{
    m_ploter.ReadStatus();
}

void PloterJobMachine::readPositions()
{
    m_ploter.ReadPositions();
}

void PloterJobMachine::readMachineInfo()
{
    m_ploter.ReadMachineInfo();
}

void PloterJobMachine::readPowerInfo()
{
    m_ploter.ReadPowerInfo();
}

const MachineSnapshot &PloterJobMachine::snapshot() const
{
    const MachineState &state = m_ploter.state();
    const tplotstate &plot = state.plot;
    MachineSnapshot &s = m_snapshot;
    s.connected = m_ploter.link().connected();
    s.status.b0 = static_cast<std::uint8_t>(plot.flags & 0xFF);
    s.status.b1 = static_cast<std::uint8_t>((plot.flags >> 8) & 0xFF);
    s.status.b2 = static_cast<std::uint8_t>((plot.flags >> 16) & 0xFF);
    s.x1 = plot.X1;
    s.y1 = plot.Y1;
    s.x2 = plot.X2;
    s.y2 = plot.Y2;
    s.family = plot.family;
    s.limitX = state.limitX;
    s.limitY = state.limitY;
    s.limitZ = state.limitZ;
    s.resX = state.resX;
    s.resY = state.resY;
    s.newProtocol = state.isNewProtocol();
    s.ljFamily = state.lj;
    s.connection = m_ploter.link().connectionCount();
    s.machineName = plot.machineName;
    s.fcWidth = state.fcWidth;
    s.workingWidth = state.workingWidth;
    s.wspV = state.wspV;
    return s;
}

bool PloterJobMachine::sendCommand(const QByteArray &command)
{
    return m_ploter.SendCommand(command);
}

void PloterJobMachine::waitWhileBusy()
{
    m_ploter.WaitWhileBusy();
}

bool PloterJobMachine::waitWhileBusyFor(std::int64_t limitMs)
{
    return m_ploter.WaitWhileBusy(limitMs);
}

std::uint16_t PloterJobMachine::speedPeriod(double mmPerMinute) const
{
    return m_ploter.speedPeriod(mmPerMinute);
}

void PloterJobMachine::setJobOrigin(std::int32_t x, std::int32_t y)
{
    m_ploter.plot().jobOriginX = x;
    m_ploter.plot().jobOriginY = y;
}

void PloterJobMachine::rampHeating(int channel, int percent)
{
    m_ploter.RampHeating(channel, percent);
}

void PloterJobMachine::toggleHeating()
{
    m_ploter.ToggleHeating();
}

void PloterJobMachine::moveTo(double x, double y)
{
    // The access layer moves in the display unit; Z and the rotary axis stay.
    const tplotstate &plot = m_ploter.state().plot;
    const double factor = static_cast<double>(Units::factor(m_ploter.settings().radiounit));
    const double f = factor > 0 ? factor : 1.0;
    const bool table = m_ploter.settings().StolikSwitch == 1 && !m_ploter.IsSpindleRotaryModel();
    m_ploter.MoveTo(true, true, x / f, y / f, plot.Z / 100.0 / f, table ? plot.Sangle : plot.Wangle);
}

void PloterJobMachine::moveArmsTo(bool front, bool back, double x, double y)
{
    m_ploter.MoveSelectedArmsTo(front, back, x, y);
}

void PloterJobMachine::pause(int milliseconds)
{
    m_ploter.clock().sleepMs(milliseconds);
}

} // namespace job
