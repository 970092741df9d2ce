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

bool HoppingJobTransmitter::start(std::uint64_t connection)
{
    return callOn(m_context, [this, connection] { return m_inner.start(connection); });
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

namespace job {

HoppingJobProject::HoppingJobProject(JobProject &inner, GuiGate &gui)
    : m_inner(inner)
    , m_gui(gui)
{
}

#define HOP_GET(Type, name)                                                                                            \
    Type HoppingJobProject::name() const                                                                               \
    {                                                                                                                  \
        return m_gui.call([this] { return m_inner.name(); });                                                   \
    }

HOP_GET(int, passNumber)
HOP_GET(double, passAngle)
HOP_GET(std::int32_t, projectWidth)
HOP_GET(std::int32_t, projectHeight)
HOP_GET(std::int32_t, crossWidth)
HOP_GET(std::int32_t, crossHeight)
HOP_GET(JobPoint, minCorner)
HOP_GET(JobPoint, maxCorner)
HOP_GET(JobPoint, crossMax)
HOP_GET(bool, tooLarge)
HOP_GET(bool, planComplete)
HOP_GET(int, serialFeedSign)
HOP_GET(bool, axisHorizontal)
HOP_GET(bool, cutFromBelow)
HOP_GET(double, firstEntryIntoMaterial)
HOP_GET(int, figureCount)
HOP_GET(int, rootFigure)
HOP_GET(double, pointTolerance)
HOP_GET(StartMargins, startMargins)

#undef HOP_GET

void HoppingJobProject::setPassAngle(double degrees)
{
    m_gui.call([this, degrees] { m_inner.setPassAngle(degrees); });
}

void HoppingJobProject::setSerialFeedSign(int sign)
{
    m_gui.call([this, sign] { m_inner.setSerialFeedSign(sign); });
}

void HoppingJobProject::setCutFrame(bool cut)
{
    m_gui.call([this, cut] { m_inner.setCutFrame(cut); });
}

std::vector<JobPoint> HoppingJobProject::figurePoints(int figure) const
{
    return m_gui.call([this, figure] { return m_inner.figurePoints(figure); });
}

int HoppingJobProject::entryVertex(int figure) const
{
    return m_gui.call([this, figure] { return m_inner.entryVertex(figure); });
}

void HoppingJobProject::setEntryVertex(int figure, int vertex)
{
    m_gui.call([this, figure, vertex] { m_inner.setEntryVertex(figure, vertex); });
}

void HoppingJobProject::setSingleOpenFigure(bool single)
{
    m_gui.call([this, single] { m_inner.setSingleOpenFigure(single); });
}

void HoppingJobProject::setStartMargins(const StartMargins &margins)
{
    m_gui.call([this, &margins] { m_inner.setStartMargins(margins); });
}

void HoppingJobProject::setDirection(int direction)
{
    m_gui.call([this, direction] { m_inner.setDirection(direction); });
}

JobWriteResult HoppingJobProject::writeJob(const JobWriteRequest &request)
{
    return m_gui.call([this, &request] { return m_inner.writeJob(request); });
}

HoppingJobProjects::HoppingJobProjects(JobProjects &inner, GuiGate &gui)
    : m_inner(inner)
    , m_gui(gui)
{
}

JobProject *HoppingJobProjects::wrap(JobProject *inner) const
{
    if (!inner)
        return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<HoppingJobProject> &wrapper = m_wrappers[inner];
    if (!wrapper)
        wrapper = std::make_unique<HoppingJobProject>(*inner, m_gui);
    return wrapper.get();
}

std::vector<JobProject *> HoppingJobProjects::windows() const
{
    std::vector<JobProject *> windows = m_gui.call([this] { return m_inner.windows(); });
    for (JobProject *&window : windows)
        window = wrap(window);
    return windows;
}

JobProject *HoppingJobProjects::active() const
{
    return wrap(m_gui.call([this] { return m_inner.active(); }));
}

void HoppingJobProjects::activate(JobProject *window)
{
    JobProject *inner = window ? &static_cast<HoppingJobProject *>(window)->inner() : nullptr;
    m_gui.call([this, inner] { m_inner.activate(inner); });
}

HoppingJobPrompts::HoppingJobPrompts(JobPrompts &inner, GuiGate &gui)
    : m_inner(inner)
    , m_gui(gui)
{
}

void HoppingJobPrompts::show(const JobMessage &message)
{
    m_gui.call([this, &message] { m_inner.show(message); });
}

BrokenWireAnswer HoppingJobPrompts::askBrokenWire()
{
    return m_gui.call([this] { return m_inner.askBrokenWire(); });
}

void HoppingJobPrompts::setBusy(bool busy)
{
    m_gui.call([this, busy] { m_inner.setBusy(busy); });
}

void HoppingJobPrompts::showPassCounter(int count)
{
    m_gui.call([this, count] { m_inner.showPassCounter(count); });
}

} // namespace job
