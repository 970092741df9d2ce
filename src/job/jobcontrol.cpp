#include "job/jobcontrol.h"

#include "app/filereplace.h"
#include "app/machinefamily.h"
#include "drawing/jobbytes.h"
#include "job/jobcommands.h"

#include <QFile>

#include <algorithm>
#include <unistd.h>
#include <utility>

namespace job {
namespace {

const QString kMain = QStringLiteral("Main_window");
const QString kControl = QStringLiteral("Control");

// The wire counts as standing at the axis height within 0.05 mm; the small
// allowance keeps settings such as 729.95 from failing on binary fractions.
constexpr long double kHeightTolerance = 5.0L + 1e-6L; // hundredths of a mm
// A paused job comes to rest within seconds; a machine still busy after this
// is not waited for any longer under the start's modal dialog.
constexpr std::int64_t kPauseWaitLimitMs = 60 * 1000;

JobMessage error(const QString &section, const QString &key)
{
    return {JobMessage::Kind::Error, {}, {TextPiece::text(section, key)}};
}

} // namespace

JobControl::JobControl(JobEnvironment environment)
    : m_env(std::move(environment))
    , m_checks(m_env.machine, m_env.panel, m_env.transmitter, m_env.projects, m_env.prompts, m_state)
{
}

bool JobControl::refuse(const QString &section, const QString &key)
{
    m_env.prompts.show(error(section, key));
    m_env.prompts.setBusy(false);
    return false;
}

double JobControl::scaled(std::int32_t units) const
{
    return scaledMm(units, m_scale);
}

void JobControl::sendTravelSpeed(const JobSettings &settings)
{
    m_env.machine.sendCommand(speedCommand(0, m_env.machine.speedPeriod(settings.travelSpeed)));
}

bool JobControl::startTransmitter()
{
    // A machine pulled out and plugged back during the start may have
    // restarted: the job goes out only on the connection the start began on.
    const std::uint64_t now = m_env.machine.snapshot().connection;
    if (m_state.startConnection && now != *m_state.startConnection)
        return refuse(kControl, QStringLiteral("ploterBrakLacznosci"));
    return m_env.transmitter.start(m_state.startConnection.value_or(now));
}

bool JobControl::dropControllerJob(bool settle)
{
    JobMachine &machine = m_env.machine;
    machine.sendCommand(commandBytes('Q'));
    if (settle)
        machine.pause(10);
    if (!machine.waitWhileBusyFor(kPauseWaitLimitMs)) {
        // Nothing of the new job goes to a machine that never came to rest.
        machine.readStatus();
        return refuse(kControl,
                      machine.snapshot().connected ? QStringLiteral("nieMoznaPrzesuwac")
                                                   : QStringLiteral("ploterBrakLacznosci"));
    }
    machine.sendCommand(commandBytes('C'));
    if (settle)
        machine.pause(10);
    return true;
}

bool JobControl::gotoXY(int speedMode, double x, double y, std::int32_t s, std::int32_t w)
{
    GotoTarget target;
    target.x1 = target.x2 = x;
    target.y1 = target.y2 = y;
    target.s = s;
    target.w = w;
    return m_env.panel.gotoPoint(true, speedMode, target);
}

bool JobControl::start(StartSender sender)
{
    m_state.passCounter = 0;
    return startJob(sender);
}

bool JobControl::startJob(StartSender sender)
{
    const JobSettings settings = m_env.settings();
    m_scale = settings.scale;
    m_state.startConnection.reset();
    ++m_state.passCounter;
    m_env.prompts.showPassCounter(m_state.passCounter);

    bool started = false;
    if (settings.mode != ModeSerial) {
        if (IsFamily(m_env.machine.snapshot().family, QLatin1String("Q7"))
            && settings.mode == ModePerpendicular
            && (sender == StartSender::Menu || sender == StartSender::ToolBar)) {
            m_env.panel.setKeyFront(true);
            for (JobProject *window : m_env.projects.windows()) {
                if (window->passNumber() == 0)
                    m_env.projects.activate(window);
            }
        }
        if (!m_env.projects.active())
            return refuse(kMain, QStringLiteral("brakOknaProjektu"));
        started = tnij(1);
    } else {
        started = serialStart(settings);
    }
    if (!started)
        return false;

    // Alternate cutting runs the next start the other way.
    if (settings.catDir == 2) {
        if (JobProject *active = m_env.projects.active())
            active->setSerialFeedSign(-active->serialFeedSign());
    }
    return true;
}

bool JobControl::serialStart(const JobSettings &settings)
{
    m_env.machine.readStatus();
    m_state.startConnection = m_env.machine.snapshot().connection;
    if (!m_env.machine.snapshot().connected)
        return false;
    if (!m_env.machine.snapshot().status.homed())
        return refuse(kControl, QStringLiteral("wykonajBazowanie"));

    const std::vector<JobProject *> windows = m_env.projects.windows();
    const bool anyPass = std::any_of(windows.begin(), windows.end(), [](const JobProject *w) {
        return w->passNumber() >= 0 && w->passNumber() <= 9999;
    });
    JobProject *active = m_env.projects.active();
    if (!anyPass || !active)
        return refuse(kMain, QStringLiteral("brakOknaProjektu"));

    if (settings.anglePerPass == 1) {
        if (!askSerialAngles(settings, windows))
            return false;
    } else {
        m_state.serialRepetitions = 0;
    }

    if (!approachSerialStart(settings, *active) || !writeSerialPasses(settings))
        return false;
    // The panel repeats the whole series further down once the job has run
    // (a count of 0 ends repetitions left from an earlier start).
    m_env.panel.setSerialRepetition(m_state.serialRepetitions, m_state.serialShift, m_state.startApproachY,
                                    m_state.startApproachX, m_env.panel.tablePosition());
    return true;
}

bool JobControl::approachSerialStart(const JobSettings &settings, JobProject &active)
{
    JobMachine &machine = m_env.machine;
    if (!dropControllerJob(false))
        return false;
    machine.readPositions();
    machine.readStatus();

    if (settings.rotaryAxis != AxisTable) {
        const long double dy = machine.snapshot().y1 - static_cast<long double>(settings.spindleY) * 100;
        if (dy < -kHeightTolerance)
            return refuse(kMain, QStringLiteral("ploterPonizejPunktuStart"));
        m_state.startOnTable = false;
        m_state.startApproachY = settings.spindleY + settings.materialDiameter / 2;
        m_state.startEdgeY = scaled(active.projectHeight());
        m_state.startEdgeX = m_state.startApproachX = settings.spindleX;
        machine.readPositions();
        sendTravelSpeed(settings);
        machine.sendCommand(speedModeCommand(0));
        return gotoXY(0, m_state.startApproachX, m_state.startApproachY, 0, m_env.panel.tablePosition());
    }

    m_state.startOnTable = true;
    m_state.startApproachY = settings.tableY;
    const double half = scaled(active.projectWidth()) / 2;
    const double clear = settings.tableX - std::max(half, settings.materialDiameter / 2);
    m_state.startApproachX = settings.tableX - half;
    m_state.startEdgeX = settings.tableX - half;
    machine.readPositions();
    sendTravelSpeed(settings);
    machine.sendCommand(speedModeCommand(0));
    const std::int32_t table = m_env.panel.tablePosition();
    if (!gotoXY(0, clear, m_state.startApproachY, table, 0))
        return false;

    // The wire is heated beside the material and then enters it at working speed.
    machine.readStatus();
    machine.sendCommand(heatingPowerCommand(1, settings.workPower, machine.snapshot().newProtocol));
    machine.readPowerInfo();
    if (machine.snapshot().ljFamily)
        machine.rampHeating(1, RoundToInt32(settings.workPower));
    else
        machine.toggleHeating();
    machine.pause(RoundToInt32(settings.warmUpTime));
    machine.readPositions();
    machine.sendCommand(speedCommand(1, machine.speedPeriod(settings.workSpeed)));
    if (!gotoXY(1, m_state.startApproachX, m_state.startApproachY, table, 0))
        return false;
    machine.readPowerInfo();
    machine.toggleHeating();
    return true;
}

bool JobControl::writeSerialPasses(const JobSettings &settings)
{
    bool reverse = settings.catDir == 1;
    m_state.passStartPosition[0] = m_state.passStartPosition[4]
        = RoundToInt32(static_cast<long double>(settings.spindleX) * 100);
    m_state.passStartPosition[1] = m_state.passStartPosition[5]
        = RoundToInt32(static_cast<long double>(m_state.startApproachY) * 100);

    // Passes in pass-number order, MDI order within one number; the order is
    // taken once, since giving a window focus reorders the MDI list.
    std::vector<JobProject *> passes;
    for (JobProject *window : m_env.projects.windows()) {
        if (window->passNumber() >= 0 && window->passNumber() <= 9999)
            passes.push_back(window);
    }
    std::stable_sort(passes.begin(), passes.end(),
                     [](const JobProject *a, const JobProject *b) { return a->passNumber() < b->passNumber(); });

    // "out.cn" keeps the last whole job until the joined passes replace it:
    // each pass is written to a file of its own and appended to the joined
    // file, which takes the job file's name in one step at the end.
    QFile joined(m_env.jobFile + QStringLiteral("tmp"));
    if (!joined.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return refuse(kMain, QStringLiteral("zapisZadaniaNieudany"));
    auto abandon = [&joined, this]() {
        joined.close();
        joined.remove();
        QFile::remove(passFile());
        return false;
    };

    for (JobProject *window : passes) {
        m_env.projects.activate(window);
        const int direction = reverse ? -1 : 1;
        m_state.startEdgeX = settings.spindleX + (reverse ? scaled(window->projectWidth()) : 0.0);
        window->setDirection(direction);
        // A pass that fails its checks ends the whole serial start: joining
        // the previous pass again would cut it twice.
        if (!tnij(direction))
            return abandon();
        if (!joinPass(joined)) {
            abandon();
            return refuse(kMain, QStringLiteral("zapisZadaniaNieudany"));
        }
        if (settings.catDir == 2)
            reverse = !reverse;
    }

    // What the transmitter reads must be on the disk, not only in the
    // program's buffers, before it takes the job file's name.
    const bool flushed = joined.flush() && ::fsync(joined.handle()) == 0;
    joined.close();
    QFile::remove(passFile());
    if (!flushed || joined.error() != QFileDevice::NoError
        || !ReplaceFile(joined.fileName(), m_env.jobFile)) {
        joined.remove();
        return refuse(kMain, QStringLiteral("zapisZadaniaNieudany"));
    }
    return startTransmitter();
}

QString JobControl::passFile() const
{
    return m_env.jobFile + QStringLiteral("pass");
}

bool JobControl::joinPass(QFile &joined)
{
    QFile pass(passFile());
    if (!pass.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = pass.readAll();
    return pass.error() == QFileDevice::NoError && joined.write(bytes) == bytes.size();
}

bool JobControl::tnij(int direction)
{
    const JobSettings settings = m_env.settings();
    m_scale = settings.scale;
    JobProject *project = m_env.projects.active();
    if (!project)
        return refuse(kMain, QStringLiteral("brakOknaProjektu"));

    if (settings.crossToPoint) {
        m_state.stopX = settings.stopX;
        m_state.stopY = settings.stopY;
    }
    if (!m_checks.canStart(*project, settings, m_env.testMode))
        return false;

    const int keptJobType = m_state.jobType;
    m_env.prompts.setBusy(true);
    const bool written = writeJob(settings, *project, direction);
    m_state.jobType = keptJobType;
    if (!written) {
        m_env.prompts.setBusy(false);
        return false;
    }

    if (settings.mode != ModeSerial && !m_env.testMode && !dropControllerJob(true))
        return false;
    const bool started = startTail(settings, *project);
    m_env.prompts.setBusy(false);
    return started;
}

bool JobControl::writeJob(const JobSettings &settings, JobProject &project, int direction)
{
    JobWriteRequest request;
    // The passes of a serial cut are joined into the job file at the end.
    request.fileName = settings.mode == ModeSerial ? passFile() : m_env.jobFile;
    request.direction = direction;
    const double windowCount = static_cast<double>(m_env.projects.windows().size());

    switch (settings.mode) {
    case ModeIndependent:
        if (!independentStart(settings, project))
            return false;
        break;
    case ModePerpendicular:
        if (m_env.panel.keyFront()) {
            if (!perpendicularStart(settings, project))
                return false;
            m_env.prompts.show({JobMessage::Kind::Information, {}, {TextPiece::text(kMain, QStringLiteral("Q7UmiescMaterial"))}});
        }
        break;
    case ModeRotary:
        if (!prepareRotary(settings, project))
            return false;
        request.driver = JobDriver::Rotary;
        request.jobType = project.axisHorizontal() ? JobTypeRotaryHorizontal : JobTypeRotaryVertical;
        break;
    case ModeSerial:
        if (settings.rotaryAxis == AxisTable) {
            request.jobType = JobTypeSerialTable;
            request.turns = settings.anglePerPass == 0 ? 0.5 / windowCount : project.passAngle() / 360;
        } else {
            request.driver = JobDriver::SerialSpindle;
            request.jobType = JobTypeRotaryHorizontal;
            request.turns = settings.anglePerPass == 0 ? 1.0 / windowCount : project.passAngle() / 360;
        }
        break;
    case ModeTurning:
        if (settings.rotaryAxis == AxisSpindle) {
            m_state.startEdgeY = scaled(project.projectHeight());
            m_state.startApproachY = std::max(settings.materialDiameter / 2, m_state.startEdgeY);
            m_state.startEdgeY += settings.spindleY - settings.toolY;
            m_state.startApproachY += settings.spindleY - settings.toolY;
            request.driver = JobDriver::TurningSpindle;
            request.jobType = JobTypeTurningSpindle;
        } else if (settings.rotaryAxis == AxisTable) {
            m_state.startEdgeX = scaled(project.projectWidth());
            m_state.startApproachX = std::max(settings.materialDiameter / 2, m_state.startEdgeX);
            m_state.startEdgeX = settings.tableX - m_state.startEdgeX - settings.toolX;
            m_state.startApproachX = settings.tableX - m_state.startApproachX - settings.toolX;
            request.driver = JobDriver::TurningTable;
            request.jobType = JobTypeTurningTable;
        }
        break;
    default:
        break;
    }
    // Every flat job and every serial pass cuts its frame.
    if (request.driver == JobDriver::Flat || request.driver == JobDriver::SerialSpindle)
        project.setCutFrame(true);

    m_state.jobType = request.jobType;
    request.windowCount = static_cast<int>(m_env.projects.windows().size());
    request.start = m_state;
    const JobWriteResult result = project.writeJob(request);
    if (result.passStartPosition)
        m_state.passStartPosition = *result.passStartPosition;
    if (!result.ok) {
        // A job that was not written whole is never transmitted.
        if (result.messageKey.isEmpty())
            refuse(kMain, QStringLiteral("zapisZadaniaNieudany"));
        else
            refuse(result.messageSection, result.messageKey);
        return false;
    }
    return true;
}

bool JobControl::prepareRotary(const JobSettings &settings, JobProject &project)
{
    if (project.axisHorizontal()) {
        m_state.startEdgeY = scaled(project.projectHeight());
        m_state.startApproachY = std::max(settings.materialDiameter / 2, m_state.startEdgeY);
        const double sign = project.cutFromBelow() ? -1.0 : 1.0;
        m_state.startEdgeY = settings.spindleY + sign * m_state.startEdgeY;
        m_state.startApproachY = settings.spindleY + sign * m_state.startApproachY;
        if (m_state.startEdgeY < 0 || m_state.startApproachY < 0)
            return refuse(kMain, QStringLiteral("projektZaDuzaWysokosc"));
        return true;
    }
    m_state.startApproachY = settings.tableY;
    m_state.startEdgeX = -scaled(project.minCorner().x);
    m_state.startApproachX = settings.tableX - std::max(settings.materialDiameter / 2, m_state.startEdgeX);
    m_state.startEdgeX = settings.tableX - m_state.startEdgeX;
    if (m_state.startEdgeX < 0 || m_state.startApproachX < 0)
        return refuse(kMain, QStringLiteral("projektZaDuzaWysokosc"));
    return true;
}

bool JobControl::connectedOrRefuse()
{
    if (m_env.machine.snapshot().connected)
        return true;
    return refuse(kControl, QStringLiteral("ploterBrakLacznosci"));
}

bool JobControl::startTail(const JobSettings &settings, JobProject &project)
{
    switch (settings.mode) {
    case ModeFlat:
    case ModeIndependent:
    case ModePerpendicular:
        return flatTail(settings);
    case ModeRotary:
        return rotaryTail(settings, project);
    case ModeTurning:
        return turningTail(settings, project);
    default:
        return true; // serial passes are joined and started by the serial start
    }
}

bool JobControl::flatTail(const JobSettings &settings)
{
    JobMachine &machine = m_env.machine;
    machine.readStatus();
    if (!connectedOrRefuse())
        return false;
    if (settings.crossToPoint && !gotoXY(0, m_state.stopX, m_state.stopY, 0, 0))
        return false;
    machine.readPositions();
    const MachineSnapshot &now = machine.snapshot();
    machine.setJobOrigin(now.x1, now.y1);
    machine.sendCommand(jobOriginCommand(now.x1, now.y1, now.resX, now.resY));
    if (now.ljFamily)
        machine.rampHeating(1, RoundToInt32(settings.workPower));
    return startTransmitter();
}

bool JobControl::rotaryTail(const JobSettings &settings, JobProject &project)
{
    JobMachine &machine = m_env.machine;
    machine.readPositions();
    machine.readStatus();
    if (!connectedOrRefuse())
        return false;
    const MachineSnapshot &now = machine.snapshot();
    if (project.axisHorizontal()) {
        const long double dy = now.y1 - static_cast<long double>(settings.spindleY) * 100;
        if (dy > kHeightTolerance && project.cutFromBelow())
            return refuse(kMain, QStringLiteral("ploterPowyzejPunktuStart"));
        if (dy < -kHeightTolerance && !project.cutFromBelow())
            return refuse(kMain, QStringLiteral("ploterPonizejPunktuStart"));
        machine.sendCommand(speedModeCommand(0));
        if (!gotoXY(0, settings.spindleX, m_state.startApproachY, 0, m_env.panel.spindlePosition()))
            return false;
    } else {
        machine.sendCommand(speedModeCommand(0));
        const std::int32_t table = m_env.panel.tablePosition();
        GotoTarget lift;
        lift.x1 = now.x1 / 100.0;
        lift.x2 = now.x2 / 100.0;
        lift.y1 = lift.y2 = m_state.startApproachY;
        lift.s = table;
        if (!m_env.panel.gotoPoint(true, 0, lift)
            || !gotoXY(0, m_state.startApproachX, m_state.startApproachY, table, 0))
            return false;
    }
    if (machine.snapshot().ljFamily)
        machine.rampHeating(1, RoundToInt32(settings.workPower));
    return startTransmitter();
}

bool JobControl::turningTail(const JobSettings &settings, JobProject &project)
{
    JobMachine &machine = m_env.machine;
    if (settings.rotaryAxis == AxisNone) {
        machine.readPositions();
        machine.readStatus();
        if (!connectedOrRefuse())
            return false;
        if (machine.snapshot().ljFamily)
            machine.rampHeating(3, RoundToInt32(settings.workPower));
        // A written flat job with the heating on must run; it starts as
        // every other flat job does.
        return startTransmitter();
    }
    if (!m_env.testMode) {
        machine.readPositions();
        machine.readStatus();
        if (!connectedOrRefuse())
            return false;
    }
    const double entry = project.firstEntryIntoMaterial();
    if (settings.rotaryAxis == AxisSpindle) {
        if (!gotoXY(0, settings.spindleX + entry - settings.toolX, m_state.startApproachY, 0,
                    m_env.panel.spindlePosition()))
            return false;
    } else {
        const double y = settings.tableY + entry - settings.toolY;
        const std::int32_t table = m_env.panel.tablePosition();
        GotoTarget over;
        over.x1 = machine.snapshot().x1 / 100.0;
        over.x2 = machine.snapshot().x2 / 100.0;
        over.y1 = over.y2 = y;
        over.s = table;
        if (!m_env.panel.gotoPoint(true, 0, over) || !gotoXY(0, m_state.startApproachX, y, table, 0))
            return false;
    }
    return startTransmitter();
}

void JobControl::pause()
{
    m_env.prompts.setBusy(true);
    if (m_env.panel.pauseJob())
        m_state.jobPaused = true;
    m_env.prompts.setBusy(false);
}

void JobControl::continueJob()
{
    if (!m_env.panel.mayMove())
        return;
    m_env.prompts.setBusy(true);
    m_env.panel.continueJob();
    m_state.jobPaused = false;
    m_env.prompts.setBusy(false);
}

void JobControl::driveAwayRight()
{
    JobMachine &machine = m_env.machine;
    machine.readStatus();
    if (!machine.snapshot().connected) {
        m_env.prompts.show(error(kControl, QStringLiteral("ploterBrakLacznosci")));
        return;
    }
    const JobSettings settings = m_env.settings();
    machine.readPositions();
    sendTravelSpeed(settings);
    machine.sendCommand(speedModeCommand(0));
    machine.moveTo(machine.snapshot().x1 / 100.0, machine.snapshot().y1 / 100.0);
    machine.waitWhileBusy();
    machine.moveTo(machine.snapshot().limitX, machine.snapshot().limitY);
    machine.waitWhileBusy();
    machine.sendCommand(speedModeCommand(2));
}

} // namespace job
