#include "job/machineadapters.h"

#include "machine/transmitter.h"

#include <utility>

namespace job {

bool TsterJobPanel::gotoPoint(bool wait, int speedMode, const GotoTarget &t)
{
    PanelTarget target;
    target.x1 = t.x1;
    target.y1 = t.y1;
    target.x2 = t.x2;
    target.y2 = t.y2;
    target.z = t.z;
    target.s = t.s;
    target.w = t.w;
    return m_panel.gotopoint(wait, speedMode, target);
}

TransArmTransmitter::TransArmTransmitter(TTransArm &transmitter, QString jobFile)
    : m_transmitter(transmitter)
    , m_jobFile(std::move(jobFile))
{
}

bool TransArmTransmitter::start(std::uint64_t connection)
{
    return m_transmitter.start(m_jobFile, connection);
}

void TransArmTransmitter::stop()
{
    m_transmitter.stop();
}

bool TransArmTransmitter::isRunning() const
{
    return m_transmitter.running();
}

} // namespace job
