#include "machine/machinesession.h"

#include "machine/linuxhidbackend.h"
#include "machine/machineservices.h"
#include "machine/simulatedmachine.h"

MachineSession::BackendFactory MachineSession::programBackend()
{
    return [](MachineClock &clock) -> std::unique_ptr<HidBackend> {
        if (qEnvironmentVariableIntValue("PRENTAVIK_SIMULATED_MACHINE") == 1) {
            auto simulated = std::make_unique<SimulatedHidBackend>(clock);
            simulated->plugMachine();
            return simulated;
        }
        return std::make_unique<LinuxHidBackend>();
    };
}

MachineSession::MachineSession(BackendFactory factory, std::unique_ptr<MachineClock> clock, CommandLine commandLine,
                               Settings settings, QObject *parent)
    : QObject(parent)
    , m_factory(std::move(factory))
    , m_clock(std::move(clock))
    , m_commandLine(std::move(commandLine))
    , m_settings(std::move(settings))
{
    qRegisterMetaType<PanelView>();
    qRegisterMetaType<TransmitStatus>();
    qRegisterMetaType<MachineMessage>();
    qRegisterMetaType<Settings>();
    qRegisterMetaType<MachineState>();
    m_services = new MachineServices(*this);
}

MachineSession::~MachineSession()
{
    // The link goes before the backend it uses.
    m_panel.reset();
    m_transmitter.reset();
    m_ploter.reset();
    m_link.reset();
    m_backend.reset();
}

void MachineSession::open()
{
    if (m_link)
        return;
    m_backend = m_factory(*m_clock);
    m_link = std::make_unique<TfUsb>(*m_backend, *m_clock, MachineSwitches(m_commandLine));
    m_ploter = std::make_unique<Ploter>(*m_link, m_state, *m_clock);
    m_ploter->setSettings(m_settings);
    m_ploter->setMessageHandler([this](const MachineMessage &m) { emit message(m); });
    m_panel = std::make_unique<Tster>(*m_ploter, static_cast<PanelJobControl &>(*this));
    m_panel->setViewHandler([this](const PanelView &view) { emit viewChanged(view); });
    m_transmitter = std::make_unique<TTransArm>(*m_ploter, *m_clock);
    m_transmitter->setStatusHandler([this](const TransmitStatus &s) { emit transmitStatus(s); });
    m_panel->setTransmitting([this] { return m_transmitter && m_transmitter->running(); });

    m_pollTimer = new QTimer(this);
    m_pollTimer->setSingleShot(true);
    connect(m_pollTimer, &QTimer::timeout, this, &MachineSession::poll);
    m_transmitTimer = new QTimer(this);
    m_transmitTimer->setSingleShot(true);
    m_transmitTimer->setTimerType(Qt::PreciseTimer);
    connect(m_transmitTimer, &QTimer::timeout, this, &MachineSession::transmitTick);

    m_link->start([this](const QString &key) {
        emit linkStatus(key);
        // A machine that comes (back) later gets the set-up of one found at
        // start-up; one found at start-up gets it from the creation below.
        // Not while its program is written: that would read reply 17.
        if (key == QLatin1String("polaczony") && m_panel && m_panelCreated) {
            if (m_heldOff) {
                m_setUpWhenFree = true;
                return;
            }
            m_panel->setUpMachine();
            emit stateChanged(m_state);
        }
    });
    m_panelCreated = true;
    m_panel->create();
    emit stateChanged(m_state);
    m_pollTimer->start(0);
}

void MachineSession::setHeldOff(bool heldOff)
{
    m_heldOff = heldOff;
    // A controller that restarted meanwhile is set up now.
    if (!heldOff && m_setUpWhenFree && m_panel) {
        m_setUpWhenFree = false;
        m_panel->setUpMachine();
        emit stateChanged(m_state);
    }
}

void MachineSession::requestStop()
{
    if (m_panel)
        m_panel->requestStop();
    // A test loop of the move-wire dialog ends too (also when the program
    // closes while one runs).
    m_services->requestStop();
}

void MachineSession::setSettings(const Settings &settings)
{
    m_settings = settings;
    if (m_ploter)
        m_ploter->setSettings(settings);
}

void MachineSession::poll()
{
    if (!m_panel)
        return;
    if (m_heldOff) {
        m_pollTimer->start(100);
        return;
    }
    m_panel->setJoystick(m_joystick.read());
    const int interval = m_panel->poll();
    emit stateChanged(m_state);
    m_pollTimer->start(interval);
}

void MachineSession::pollNow()
{
    poll();
}

void MachineSession::transmitTick()
{
    if (!m_transmitter || !m_transmitter->running())
        return;
    if (m_heldOff) {
        m_transmitTimer->start(50);
        return;
    }
    const int interval = m_transmitter->tick();
    if (m_transmitter->running())
        m_transmitTimer->start(interval);
    else
        emit transmissionFinished();
}

void MachineSession::startTransmission(const QString &path, std::optional<std::uint64_t> connection)
{
    if (!m_transmitter)
        return;
    if (m_transmitter->start(path, connection))
        m_transmitTimer->start(1);
    else
        emit message(MachineMessage::of(QStringLiteral("Transmission"), QStringLiteral("brakPlikuZadania")));
}

void MachineSession::stopTransmission()
{
    if (m_transmitter && m_transmitter->running()) {
        m_transmitter->stop();
        m_transmitTimer->stop();
        emit transmissionFinished();
    }
}

void MachineSession::reloadResolutions()
{
    if (m_ploter) {
        m_ploter->ReadResolutions();
        emit stateChanged(m_state);
    }
}

void MachineSession::alignBackToFront()
{
    if (m_panel)
        m_panel->alignBackToFront();
}

void MachineSession::setSerialRepetition(int count, double shift, double height, double x, int table)
{
    if (m_panel)
        m_panel->setSerialRepetition(count, shift, height, x, table);
}

void MachineSession::readStatusInto(bool *connected, bool *jobRunning)
{
    const bool read = m_ploter && m_ploter->ReadStatus();
    *connected = m_link && m_link->connected();
    *jobRunning = read && m_state.plot.has(StatusFlag::JobRunning);
}

void MachineSession::readIdentityInto(bool *connected, MachineState *state)
{
    const bool read = m_ploter && m_ploter->ReadStatus();
    *connected = read && m_link->connected();
    if (*connected) {
        m_ploter->ReadMachineInfo();
        emit stateChanged(m_state);
    }
    *state = m_state;
}

void MachineSession::sendPowerOutput(int itemIndex)
{
    if (!m_ploter)
        return;
    QByteArray c("S");
    c.append(static_cast<char>(4));
    c.append(int32Bytes(itemIndex));
    m_ploter->SendCommand(c);
}

void MachineSession::sendLengthUnit(int itemIndex)
{
    if (m_ploter)
        m_ploter->SendLengthUnit(itemIndex);
}

void MachineSession::reapplyHeatingPower()
{
    if (m_panel)
        m_panel->setPowerPosition(m_panel->powerPosition());
}

void MachineSession::activatePanel()
{
    if (m_panel && m_panel->activate()) {
        emit stateChanged(m_state);
        m_pollTimer->start(0);
    }
}

void MachineSession::deactivatePanel()
{
    if (m_panel)
        m_panel->deactivate();
}

void MachineSession::setDisplayWanted(bool wanted)
{
    if (m_panel)
        m_panel->setDisplayWanted(wanted);
}

void MachineSession::keyPressed(int jogKey, bool ctrl)
{
    if (m_panel)
        m_panel->keyPressed(jogKey, ctrl);
}

void MachineSession::jogButtonPressed(int jogKey)
{
    if (m_panel)
        m_panel->jogButtonPressed(jogKey);
}

void MachineSession::keyReleased(int jogKey, bool ctrl)
{
    if (m_panel)
        m_panel->keyReleased(jogKey, ctrl);
}

void MachineSession::focusLost()
{
    if (m_panel)
        m_panel->focusLost();
}

void MachineSession::toggleHeating()
{
    if (m_panel)
        m_panel->toggleHeating();
}

void MachineSession::setSpeed(int mmPerMinute)
{
    if (m_panel)
        m_panel->setSpeed(mmPerMinute);
}

void MachineSession::stepSpeed(int sign)
{
    if (m_panel)
        m_panel->stepSpeed(sign);
}

void MachineSession::setPowerPosition(int position)
{
    if (m_panel)
        m_panel->setPowerPosition(position);
}

void MachineSession::setTension(int position)
{
    if (m_panel)
        m_panel->setTension(position);
}

void MachineSession::home()
{
    if (m_panel)
        m_panel->bazuj();
}

void MachineSession::stopMachine()
{
    if (m_panel)
        m_panel->kstop();
}

void MachineSession::setKeyFront(bool ticked)
{
    if (m_panel)
        m_panel->setKeyFront(ticked);
}

void MachineSession::setKeyBack(bool ticked)
{
    if (m_panel)
        m_panel->setKeyBack(ticked);
}
