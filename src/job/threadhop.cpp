#include "job/threadhop.h"

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

HOP_GET(QString, caption)
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

JobPoint HoppingJobProject::referenceCorner(int figure) const
{
    return m_gui.call([this, figure] { return m_inner.referenceCorner(figure); });
}

void HoppingJobProject::setSecondPoints(int figure, const std::vector<JobPoint> &points)
{
    m_gui.call([&] { m_inner.setSecondPoints(figure, points); });
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
