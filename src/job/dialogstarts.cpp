// The starts that ask the operator first: serial cutting with an angle per
// pass, the independent front and back profiles, and the perpendicular cut
// on the two-wire machine. The dialogs only answer; whatever reaches the
// machine is done here, before they open and after they close.

#include "drawing/jobbytes.h"
#include "job/jobcommands.h"
#include "job/jobcontrol.h"
#include "job/perpendicularstart.h"
#include "job/startchecks.h"

#include <algorithm>

namespace job {

bool JobControl::askSerialAngles(const JobSettings &settings, const std::vector<JobProject *> &windows)
{
    SerialCutContext context;
    for (const JobProject *window : windows)
        context.captions.push_back(window->caption());
    context.machineName = m_env.machine.snapshot().machineName;
    context.tableY = settings.tableY;
    const std::optional<SerialCutChoice> choice = m_env.dialogs.serialCut(context);
    m_state.serialAnglesFromDialog = choice.has_value();
    if (!choice)
        return false;
    for (std::size_t i = 0; i < windows.size() && i < choice->angles.size(); ++i)
        windows[i]->setPassAngle(choice->angles[i]);
    m_state.serialRepetitions = choice->repetitions;
    m_state.serialShift = choice->shift;
    return true;
}

IndependentStartContext JobControl::independentContext(const JobSettings &settings, JobProject &merged) const
{
    const MachineSnapshot &machine = m_env.machine.snapshot();
    IndependentStartContext c;
    c.front = merged.figurePoints(0);
    c.back = merged.figurePoints(1);
    c.referenceCorner = merged.referenceCorner(0);
    // Until the operator confirms a spacing the machine's own is shown.
    if (m_state.armSpacing >= 0)
        c.armSpacing = m_state.armSpacing;
    else if (machine.workingWidth > 0)
        c.armSpacing = machine.workingWidth;
    c.materialWidth = m_state.materialWidth;
    c.frontDistance = m_state.frontDistance;
    c.armSpacingEditable = m_env.armSpacingEditable;
    c.fcWidth = machine.fcWidth;
    c.limitX = machine.limitX;
    c.limitY = machine.limitY;
    c.x1 = machine.x1;
    c.y1 = machine.y1;
    c.x2 = machine.x2;
    c.y2 = machine.y2;
    c.lengthUnit = settings.lengthUnit;
    c.confirmItself = m_env.repeatSwitch && m_state.passCounter > 1;
    return c;
}

bool JobControl::independentStart(const JobSettings &settings, JobProject &merged)
{
    for (;;) {
        // The wire stands still while the dialog is open: the fit is checked
        // against where it stands now.
        m_env.machine.readPositions();
        const IndependentStartContext context = independentContext(settings, merged);
        m_env.prompts.setBusy(false);
        const IndependentStartAnswer answer = m_env.dialogs.independentStart(context);
        m_env.prompts.setBusy(true);
        if (answer.armSpacing)
            m_state.armSpacing = *answer.armSpacing;
        if (answer.materialWidth)
            m_state.materialWidth = *answer.materialWidth;
        if (answer.frontDistance)
            m_state.frontDistance = *answer.frontDistance;
        switch (answer.kind) {
        case IndependentStartAnswer::Kind::Cancel:
            return false;
        case IndependentStartAnswer::Kind::Start:
            merged.setSecondPoints(0, answer.frontPath);
            merged.setSecondPoints(1, answer.backPath);
            return true;
        case IndependentStartAnswer::Kind::MoveWire:
            moveWireEndsTo(settings, answer.moveX, answer.moveY);
            break; // and ask again, from the new place
        }
    }
}

void JobControl::moveWireEndsTo(const JobSettings &settings, double x, double y)
{
    JobMachine &machine = m_env.machine;
    machine.readStatus();
    const MachineSnapshot &now = machine.snapshot();
    const long long tx = RoundToInt64(static_cast<long double>(x) * 100);
    const long long ty = RoundToInt64(static_cast<long double>(y) * 100);
    const long long dx1 = tx - now.x1, dy1 = ty - now.y1, dx2 = tx - now.x2, dy2 = ty - now.y2;
    if (dx1 == 0 && dy1 == 0 && dx2 == 0 && dy2 == 0)
        return;
    // The wire may have to pass through the material: heated, like a jog.
    machine.sendCommand(heatingCommand(true, 2));
    machine.pause(RoundToInt32(settings.cornerPause));
    machine.pause(RoundToInt32(settings.warmUpTime));
    machine.sendCommand(wireMoveCommand(now.wspV, now.resX, now.resY, dx1, dy1, dx2, dy2));
    // The next fit check must see where the wire stops, not where it passes.
    machine.waitWhileBusy();
}

bool JobControl::perpendicularStart(const JobSettings &settings, JobProject &active)
{
    // The front profile is the window opened first (pass 0), the side
    // profile the other one.
    JobProject *front = &active;
    JobProject *side = nullptr;
    for (JobProject *window : m_env.projects.windows()) {
        if (window->passNumber() == 0)
            front = window;
    }
    for (JobProject *window : m_env.projects.windows()) {
        if (window != front)
            side = window;
    }
    if (!side)
        return refuse(QStringLiteral("Main_window"), QStringLiteral("wymagane2plt"));

    const MachineSnapshot &machine = m_env.machine.snapshot();
    PerpendicularStartContext c;
    c.x1 = machine.x1;
    c.y1 = machine.y1;
    c.x2 = machine.x2;
    c.y2 = machine.y2;
    c.limitX = machine.limitX;
    c.limitY = machine.limitY;
    c.limitZ = machine.limitZ;
    c.front = front->startMargins();
    c.side = side->startMargins();
    c.scale = settings.scale;
    c.lengthUnit = settings.lengthUnit;
    m_env.prompts.setBusy(false);
    const std::optional<PerpendicularStart> points = m_env.dialogs.perpendicularStart(c);
    if (!points)
        return false;
    m_env.prompts.setBusy(true);
    m_state.frontStartX = points->frontX;
    m_state.frontStartY = points->frontY;
    m_state.sideStartX = points->sideX;
    m_state.sideStartY = points->sideY;

    JobMachine &m = m_env.machine;
    sendTravelSpeed(settings);
    m.sendCommand(speedModeCommand(0));
    if (SideWireGoesFirst(*points)) {
        // The side wire goes first, out of the front profile's way: at its
        // start point, or 10 mm below the front profile when that is lower.
        m_env.panel.setKeyBack(true);
        const long long frontBottom = scaledThousandths(c.front.bottom, c.scale);
        const long long lowest = std::min<long long>(
            RoundToInt64(static_cast<long double>(points->sideY) * 1000),
            RoundToInt64(static_cast<long double>(points->frontY) * 1000) - frontBottom - 10000);
        if (lowest > 0) {
            m.moveArmsTo(m_env.panel.keyFront(), m_env.panel.keyBack(), points->sideX, lowest / 1000.0);
            m.waitWhileBusy();
        } else {
            m_env.panel.parkBackArm();
        }
    }
    // The side wire stays where it was put: only the front wire goes to its
    // start point, so the two wires never meet at one height.
    m_env.panel.setKeyFront(true);
    m.moveArmsTo(true, false, points->frontX, points->frontY);
    m.waitWhileBusy();
    return true;
}

} // namespace job
