#include "machine/ui/machinehost.h"

#include "app/commandline.h"
#include "app/language.h"
#include "app/machinefamily.h"
#include "app/messages.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "app/units.h"
#include "machine/machineclock.h"
#include "machine/machineservices.h"
#include "machine/ui/basepointsform.h"
#include "machine/ui/przesunform.h"
#include "machine/ui/upgradeform.h"

#include <QSemaphore>

#include <memory>
#include <optional>

void TMachineIdentity::update(const MachineState &state)
{
    const MachineState &was = m_state;
    const bool changed = state.plot.machineName != was.plot.machineName
        || state.plot.family != was.plot.family || state.lj != was.lj || state.fcWidth != was.fcWidth
        || state.maxV != was.maxV || state.maxWorkSpeed != was.maxWorkSpeed
        || state.firmwareMajor != was.firmwareMajor || state.firmwareMinor != was.firmwareMinor;
    m_state = state;
    if (changed && m_changed)
        m_changed();
}

bool TMachineIdentity::hasMinimumPowerLimit() const
{
    if (ParamPresent(QStringLiteral("fullPower")))
        return false;
    const QString upper = m_state.plot.machineName.toUpper();
    for (const char *prefix : {"R45", "R 45", "PQ45", "PQ 45", "PQ46", "PQ 46"}) {
        if (upper.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

bool TMachineIdentity::isWideMachine() const
{
    const QString &family = m_state.plot.family;
    return (IsFamily(family, QLatin1String("GZ")) || IsFamily(family, QLatin1String("ZF")))
        && m_state.fcWidth >= 2000;
}

std::optional<MachineIdentity::Position> TMachineIdentity::homedPosition()
{
    if (!m_state.plot.has(StatusFlag::Homed))
        return std::nullopt;
    return Position {m_state.plot.X1, m_state.plot.Y1, m_state.plot.Z};
}

void TMachineIdentity::settingsChanged()
{
    // The machine's thread works on its own copy of the settings.
    if (m_session)
        QMetaObject::invokeMethod(m_session, "setSettings", Qt::QueuedConnection,
                                  Q_ARG(Settings, Settings::current()));
}

void TMachineIdentity::reloadResolutions()
{
    if (m_session)
        QMetaObject::invokeMethod(m_session, &MachineSession::reloadResolutions, Qt::QueuedConnection);
}

TMachineHost::TMachineHost(MachineSession::BackendFactory backend, std::shared_ptr<TMachineIdentity> identity,
                           std::function<void(const QString &)> statusText, QWidget *panelParent,
                           std::unique_ptr<MachineClock> clock)
    : m_identity(std::move(identity))
{
    m_thread.setObjectName(QStringLiteral("machine"));
    if (!clock)
        clock = std::make_unique<SystemMachineClock>();
    m_session = new MachineSession(std::move(backend), std::move(clock), CommandLine::current(),
                                   Settings::current());
    m_session->moveToThread(&m_thread);
    if (m_identity)
        m_identity->setSession(m_session);

    connect(m_session, &MachineSession::linkStatus, this, [statusText](const QString &key) {
        if (statusText)
            statusText(GetText(QStringLiteral("Control"), key));
    });
    connect(m_session, &MachineSession::transmitStatus, this, [this, statusText](const TransmitStatus &s) {
        if (statusText)
            statusText(transmitText(s));
        if (m_progress)
            m_progress(showsProgress(s) ? s.percent : -1);
    });
    connect(m_session, &MachineSession::message, this, [](const MachineMessage &m) {
        ShowMsg(messageText(m), true,
                m.caption == QLatin1String("uwaga") ? GetText(QStringLiteral("Universal"), m.caption)
                                                    : m.caption);
    });
    connect(m_session, &MachineSession::stateChanged, this, [this](const MachineState &state) {
        m_state = state;
        if (m_identity)
            m_identity->update(state);
    });
    connect(m_session, &MachineSession::linkStatus, this,
            [this](const QString &key) { m_connected = key == QLatin1String("polaczony"); });
    connect(m_session, &MachineSession::transmissionFinished, this, [this] {
        m_transmitting = false;
        if (m_progress)
            m_progress(-1);
    });
    connect(m_session, &MachineSession::viewChanged, this,
            [this](const PanelView &view) { m_connected = view.connected; });

    m_panel = std::make_unique<TsterForm>(panelParent);
    m_panel->Translate();
    m_panel->connectSession(m_session);
    connect(m_panel.get(), &TsterForm::basePointsRequested, this, &TMachineHost::openBasePoints);
    connect(m_panel.get(), &TsterForm::moveWireRequested, this, &TMachineHost::openMoveWire);
    connect(m_panel.get(), &TsterForm::upgradeRequested, this, &TMachineHost::openUpgrade);
    connect(m_panel.get(), &TsterForm::restoreEepromRequested, this, &TMachineHost::restoreFactoryParameters);
    connect(m_session->services(), &MachineServices::factoryParametersRestored, this, [] {
        ShowMsg(GetText(QStringLiteral("Control"), QStringLiteral("factoryParametersRestored"))
                    + QLatin1Char('\n')
                    + GetText(QStringLiteral("Upgrade_firmware"), QStringLiteral("aktualizacjaOK2"))
                    + QLatin1Char('\n')
                    + GetText(QStringLiteral("Upgrade_firmware"), QStringLiteral("aktualizacjaOK3")),
                false);
    });

    m_thread.start();
    QMetaObject::invokeMethod(m_session, &MachineSession::open, Qt::QueuedConnection);
}

TMachineHost::~TMachineHost()
{
    m_panel.reset();
    if (m_identity)
        m_identity->setSession(nullptr);
    // The session and its device go on their own thread, then the thread;
    // a test loop still running ends first.
    m_session->requestStop();
    MachineSession *session = m_session;
    QMetaObject::invokeMethod(
        session, [session] { delete session; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void TMachineHost::pushSettings()
{
    QMetaObject::invokeMethod(m_session, "setSettings", Qt::QueuedConnection,
                              Q_ARG(Settings, Settings::current()));
}

void TMachineHost::showPanel()
{
    pushSettings();
    m_panel->Translate();
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

void TMachineHost::stop()
{
    m_transmitting = false;
    QMetaObject::invokeMethod(m_session, &MachineSession::stopTransmission, Qt::QueuedConnection);
}

void TMachineHost::startTransmission(const QString &path, std::uint64_t connection)
{
    m_transmitting = true;
    QMetaObject::invokeMethod(
        m_session, [session = m_session, path, connection] { session->startTransmission(path, connection); },
        Qt::QueuedConnection);
}

namespace {

// Runs fill(session, value) on the machine's thread and waits for it at most
// waitMs. That thread can be held for minutes by a homing or a test run;
// then there is no value and the caller goes on with what it knew, rather
// than freezing the program (the panel's STOP with it). The reply lives on
// with the queued call that may still fill it.
template<typename T, typename F> std::optional<T> AskWithin(MachineSession *session, int waitMs, F fill)
{
    struct Reply
    {
        QSemaphore done;
        T value {};
    };
    auto reply = std::make_shared<Reply>();
    QMetaObject::invokeMethod(
        session,
        [session, reply, fill] {
            fill(*session, reply->value);
            reply->done.release();
        },
        Qt::QueuedConnection);
    if (!reply->done.tryAcquire(1, waitMs))
        return std::nullopt;
    return std::move(reply->value);
}

} // namespace

IMachineSettingsLink::Status TMachineHost::readStatus()
{
    // A machine thread that does not answer within a second is busy: what
    // depends on the status waits for a later occasion.
    const auto status = AskWithin<Status>(m_session, 1000, [](MachineSession &session, Status &s) {
        session.readStatusInto(&s.connected, &s.jobRunning);
    });
    if (!status)
        return {m_connected, true};
    m_connected = status->connected;
    return *status;
}

bool TMachineHost::readIdentity(MachineState &state, int waitMs)
{
    struct Identity
    {
        bool connected = false;
        MachineState state;
    };
    const auto identity = AskWithin<Identity>(m_session, waitMs, [](MachineSession &session, Identity &i) {
        session.readIdentityInto(&i.connected, &i.state);
    });
    if (identity) {
        m_connected = identity->connected;
        m_state = identity->state;
    }
    state = m_state;
    return m_connected;
}

void TMachineHost::sendPowerOutput(int itemIndex)
{
    pushSettings();
    QMetaObject::invokeMethod(m_session, "sendPowerOutput", Qt::QueuedConnection, Q_ARG(int, itemIndex));
}

void TMachineHost::SendLengthUnit(int itemIndex)
{
    QMetaObject::invokeMethod(m_session, "sendLengthUnit", Qt::QueuedConnection, Q_ARG(int, itemIndex));
}

void TMachineHost::reapplyHeatingPower()
{
    pushSettings();
    QMetaObject::invokeMethod(m_session, &MachineSession::reapplyHeatingPower, Qt::QueuedConnection);
}

void TMachineHost::openBasePoints()
{
    pushSettings();
    TPunkty_bazoweForm form(m_session->services(),
                            TPunkty_bazowe(ProgramFolders::current().writablePath(QStringLiteral("base.txt")),
                                           Units::currentLengthUnit()),
                            m_panel.get());
    form.exec();
}

void TMachineHost::openMoveWire()
{
    pushSettings();
    const PanelView &view = m_panel->lastView();
    const QString back = view.q7 ? QStringLiteral("Q7KeyBack.caption") : QStringLiteral("VqKeyBack.caption");
    TprzesunForm form(m_session->services(),
                      GetText(QStringLiteral("Control"), QStringLiteral("KeyFront.caption")),
                      GetText(QStringLiteral("Control"), back), m_panel.get());
    form.setArmSelection(view.keyFront, view.keyBack);
    form.exec();
}

void TMachineHost::openUpgrade()
{
    TUpgradeProgramForm form(m_session->services(), m_panel.get());
    form.exec();
}

void TMachineHost::restoreFactoryParameters()
{
    QMetaObject::invokeMethod(m_session->services(), &MachineServices::restoreFactoryParameters,
                              Qt::QueuedConnection);
}

QString TMachineHost::messageText(const MachineMessage &m)
{
    QString text = GetText(m.section, m.key) + m.suffix;
    if (!m.detailKey.isEmpty()) {
        QString detail = GetText(m.detailSection, m.detailKey);
        for (const QString &arg : m.detailArgs)
            detail = detail.arg(arg);
        text += QLatin1Char('\n') + detail;
    }
    return text;
}

bool TMachineHost::showsProgress(const TransmitStatus &s)
{
    return s.key == QLatin1String("przeslano") || s.key == QLatin1String("wstrzymano");
}

QString TMachineHost::transmitText(const TransmitStatus &s)
{
    const QString section = QStringLiteral("Transmission");
    QString text = GetText(section, s.key);
    if (s.key == QLatin1String("wstrzymano"))
        text += QStringLiteral(" - ") + GetText(section, QStringLiteral("przeslano"));
    if (showsProgress(s))
        text += QLatin1Char(' ') + QString::number(s.percent) + QStringLiteral("% ") + s.spinner;
    return text;
}
