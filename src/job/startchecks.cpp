#include "job/startchecks.h"

#include "app/common.h"
#include "app/machinefamily.h"
#include "drawing/jobbytes.h"
#include "job/jobcommands.h"

#include <cmath>

namespace job {
namespace {

const QString kMain = QStringLiteral("Main_window");
const QString kControl = QStringLiteral("Control");
const QString kConfiguration = QStringLiteral("Configuration");
const QString kCrLf = QStringLiteral("\r\n");

JobMessage error(const QString &section, const QString &key)
{
    return {JobMessage::Kind::Error, {}, {TextPiece::text(section, key)}};
}

JobMessage warning(const QString &key)
{
    return {JobMessage::Kind::Error,
            {TextPiece::text(QStringLiteral("Universal"), QStringLiteral("uwaga"))},
            {TextPiece::text(kMain, key)}};
}

bool withinTolerance(const JobPoint &a, const JobPoint &b, double tolerance)
{
    return static_cast<double>(std::llabs(static_cast<long long>(a.x) - b.x)) < tolerance
        && static_cast<double>(std::llabs(static_cast<long long>(a.y) - b.y)) < tolerance;
}

// A length in mm shown in the current unit with two decimals.
QString inUnit(double mm, int unit)
{
    static const double factors[] = {1.0, 25.4, 304.8};
    const int u = unit >= 0 && unit <= 2 ? unit : 0;
    return FixedText(mm / factors[u], 2);
}

QString unitName(int unit)
{
    static const char *names[] = {"mm", "in", "ft"};
    return QString::fromLatin1(names[unit >= 0 && unit <= 2 ? unit : 0]);
}

} // namespace

long long scaledThousandths(std::int32_t units, double scale)
{
    // One plotter unit is 25 thousandths of a mm, so the scaled margin is exact.
    return static_cast<long long>(RoundToInt32(static_cast<long double>(units) * scale / 100)) * 25;
}

StartChecks::StartChecks(JobMachine &machine, JobPanel &panel, JobTransmitter &transmitter,
                         JobProjects &projects, JobPrompts &prompts, StartState &state)
    : m_machine(machine)
    , m_panel(panel)
    , m_transmitter(transmitter)
    , m_projects(projects)
    , m_prompts(prompts)
    , m_state(state)
{ }

bool StartChecks::refuse(JobMessage message)
{
    m_prompts.show(message);
    m_prompts.setBusy(false);
    return false;
}

bool StartChecks::canStart(JobProject &active, const JobSettings &settings, bool testMode)
{
    m_machine.readStatus();
    if (!m_state.startConnection)
        m_state.startConnection = m_machine.snapshot().connection;
    if (m_machine.snapshot().connected)
        m_machine.readMachineInfo();
    if (m_machine.snapshot().status.jobRunning())
        return refuse(error(kMain, QStringLiteral("startNiemozliwy")));

    // The travel speed goes out before the later checks, so a refused start
    // still leaves it set. A disconnected link would only fail the write.
    if (m_machine.snapshot().connected)
        m_machine.sendCommand(speedCommand(0, m_machine.speedPeriod(settings.travelSpeed)));
    // The "V" of a missing machine fails as every write does: with the
    // connection message and the link's -1.
    if (!testMode && !m_machine.snapshot().connected)
        return refuse({JobMessage::Kind::Error,
                       {},
                       {TextPiece::text(kControl, QStringLiteral("ploterBrakLacznosci")),
                        TextPiece::raw(QStringLiteral("-1"))}});
    if (m_transmitter.isRunning())
        m_transmitter.stop();

    const QString family = m_machine.snapshot().family;
    if (!IsFamily(family, QLatin1String("Vq")) && settings.mode == ModeIndependent)
        return refuse(warning(QStringLiteral("VqniezalezneNiedostepne")));
    if (!IsFamily(family, QLatin1String("Q7")) && settings.mode == ModePerpendicular)
        return refuse(warning(QStringLiteral("Q7PoprzeczneNiedostepne")));
    if (!testMode && settings.mode != ModeFlat && settings.mode != ModeIndependent
        && !m_machine.snapshot().status.homed())
        return refuse(error(kControl, QStringLiteral("wykonajBazowanie")));
    if (active.tooLarge())
        return refuse(error(kMain, QStringLiteral("projektZaDuzy")));
    // A plan that stopped half way would cut some figures and skip others.
    if (!active.planComplete())
        return refuse(error(kMain, QStringLiteral("projektNiezaplanowany")));
    if (!testMode)
        m_machine.readPositions();
    if (settings.mode == ModePerpendicular && m_projects.windows().size() != 2)
        return refuse(error(kMain, QStringLiteral("wymagane2plt")));

    if ((settings.mode == ModeFlat || settings.mode == ModeIndependent) && !workAreaFits(active, settings))
        return false;

    const MachineSnapshot &machine = m_machine.snapshot();
    if (IsFamily(machine.family, QLatin1String("Q7")) && settings.mode != ModePerpendicular
        && m_panel.keyFront()) {
        m_state.frontStartX = machine.x1 / 100.0;
        m_state.frontStartY = machine.y1 / 100.0;
    }

    if (testMode || settings.mode == ModeSerial || settings.powerOutput != 0 || machine.ljFamily
        || settings.workPower == 0)
        return true;
    return brokenWireTest(settings);
}

QString StartChecks::chooseSingleOpenEntry(JobProject &active)
{
    const int root = active.rootFigure();
    const std::vector<JobPoint> points = active.figurePoints(root);
    const bool single = active.figureCount() == 1 && !points.empty()
        && !withinTolerance(points.front(), points.back(), active.pointTolerance());
    active.setSingleOpenFigure(single);
    if (!single)
        return {};

    const int last = static_cast<int>(points.size()) - 1;
    const JobPoint &first = points.front();
    const JobPoint &end = points.back();
    if (active.serialFeedSign() < 0) {
        active.setEntryVertex(root, first.x >= end.x ? 0 : last);
        return QStringLiteral("catdir.Item1");
    }
    active.setEntryVertex(root, first.x < end.x ? 0 : last);
    return QStringLiteral("catdir.Item0");
}

StartChecks::Reference StartChecks::reference(const MachineSnapshot &machine) const
{
    // On a two-wire machine the back wire works in the side area; with neither
    // wire ticked the front wire and the main area are the safe choice.
    const bool back = IsFamily(machine.family, QLatin1String("Q7")) && m_panel.keyBack();
    Reference ref;
    ref.cx = static_cast<long long>(back ? machine.x2 : machine.x1) * 10;
    ref.cy = static_cast<long long>(back ? machine.y2 : machine.y1) * 10;
    ref.limitX = static_cast<long long>(back ? machine.limitZ : machine.limitX) * 1000;
    ref.limitY = static_cast<long long>(machine.limitY) * 1000;
    return ref;
}

bool StartChecks::workAreaFits(JobProject &active, const JobSettings &settings)
{
    const QString catdirKey = chooseSingleOpenEntry(active);

    const int root = active.rootFigure();
    const std::vector<JobPoint> points = active.figurePoints(root);
    const int entry = active.entryVertex(root);
    const JobPoint p = entry >= 0 && entry < static_cast<int>(points.size()) ? points[entry] : JobPoint {};
    const JobPoint lo = active.minCorner();
    const JobPoint hi = settings.crossToPoint ? active.crossMax() : active.maxCorner();
    const StartMargins margins {p.x - lo.x, hi.x - p.x, hi.y - p.y, p.y - lo.y};
    active.setStartMargins(margins);

    m_margins
        = {scaledThousandths(margins.left, settings.scale), scaledThousandths(margins.right, settings.scale),
           scaledThousandths(margins.top, settings.scale), scaledThousandths(margins.bottom, settings.scale)};
    const MachineSnapshot &machine = m_machine.snapshot();
    Reference ref = reference(machine);
    const bool bn = IsFamily(machine.family, QLatin1String("BN"));
    if (bn) {
        ref.cx = static_cast<long long>(std::nearbyint(static_cast<long double>(m_state.stopX) * 1000));
        ref.cy = static_cast<long long>(std::nearbyint(static_cast<long double>(m_state.stopY) * 1000));
    }
    const bool outside = m_margins.right + ref.cx > ref.limitX || m_margins.top + ref.cy > ref.limitY
        || m_margins.left > ref.cx || m_margins.bottom > ref.cy;

    if (bn && outside) {
        const int unit = settings.lengthUnit;
        const double width
            = scaledMm(settings.crossToPoint ? active.crossWidth() : active.projectWidth(), settings.scale);
        const double height
            = scaledMm(settings.crossToPoint ? active.crossHeight() : active.projectHeight(), settings.scale);
        JobMessage message {
            JobMessage::Kind::Error,
            {TextPiece::text(kMain, QStringLiteral("zmienPunktStartowy"))},
            {TextPiece::text(kMain, QStringLiteral("projektBNpozaObszaremMaszyny")), TextPiece::raw(kCrLf),
             TextPiece::text(kMain, QStringLiteral("zmienPunktStartowy")), TextPiece::raw(kCrLf + kCrLf),
             TextPiece::text(kMain, QStringLiteral("punktStartowy")),
             TextPiece::raw(QStringLiteral(" (") + inUnit(m_state.stopX, unit) + QStringLiteral(" ; ")
                            + inUnit(m_state.stopY, unit) + QStringLiteral(") ") + unitName(unit) + kCrLf),
             TextPiece::text(kMain, QStringLiteral("wielkoscProjektu")),
             TextPiece::raw(QStringLiteral(" (") + inUnit(width, unit) + QStringLiteral(" x ")
                            + inUnit(height, unit) + QStringLiteral(") ") + unitName(unit) + kCrLf)}};
        return refuse(message);
    }
    if (!bn && settings.mode == ModeFlat && outside) {
        JobMessage message {JobMessage::Kind::Error,
                            {TextPiece::text(kConfiguration, QStringLiteral("CatDir.caption")),
                             TextPiece::raw(QStringLiteral(" : "))},
                            {TextPiece::text(kMain, QStringLiteral("projektPozaObszaremMaszyny")),
                             TextPiece::raw(kCrLf),
                             TextPiece::text(kMain, QStringLiteral("zmienPunktStartowy"))}};
        if (!catdirKey.isEmpty())
            message.caption.push_back(TextPiece::text(kConfiguration, catdirKey));
        return refuse(message);
    }
    if (settings.mode == ModeFlat && IsFamily(machine.family, QLatin1String("Q7")))
        return twoWiresClear(ref, m_margins);
    return true;
}

bool StartChecks::twoWiresClear(const Reference &ref, const MarginsMm &margins)
{
    const MachineSnapshot &machine = m_machine.snapshot();
    const long long tenMm = 10000;
    auto collision = [this](const QString &which) {
        return refuse({JobMessage::Kind::Information,
                       {},
                       {TextPiece::text(kMain, QStringLiteral("Q7KolizjaDrutow")), TextPiece::raw(kCrLf),
                        TextPiece::text(kMain, which)}});
    };
    if (m_panel.keyFront() && ref.cy - margins.bottom < static_cast<long long>(machine.y2) * 10 + tenMm)
        return collision(QStringLiteral("Q7PrzesunBocznyDrut"));
    if (m_panel.keyBack() && static_cast<long long>(machine.y1) * 10 - tenMm < margins.top + ref.cy)
        return collision(QStringLiteral("Q7PrzesunFrontowyDrut"));
    return true;
}

bool StartChecks::brokenWireTest(const JobSettings &settings)
{
    for (;;) {
        m_machine.readStatus();
        m_machine.sendCommand(heatingPowerCommand(1, settings.workPower, m_machine.snapshot().newProtocol));
        m_machine.sendCommand(heatingCommand(true, 1));
        m_machine.pause(300);
        m_machine.readStatus();
        m_machine.sendCommand(heatingCommand(false, 1));
        if (!m_machine.snapshot().status.brokenWire())
            return true;
        if (m_prompts.askBrokenWire() == BrokenWireAnswer::Cancel) {
            m_prompts.setBusy(false);
            return false;
        }
    }
}

} // namespace job
