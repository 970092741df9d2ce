#pragma once

#include "app/frameinterfaces.h"
#include "app/machineidentity.h"
#include "machine/machinesession.h"
#include "machine/ui/sterowanieform.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

// The configuration's view of the identified machine, refreshed from the
// machine session's state reports on the GUI thread.
class TMachineIdentity : public MachineIdentity
{
public:
    void update(const MachineState &state);
    // Called when the identified machine (or what limits its settings)
    // changes.
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    void setSession(MachineSession *session) { m_session = session; }
    // The last state the session reported (working area, resolutions...).
    const MachineState &state() const { return m_state; }

    QString machineName() const override { return m_state.plot.machineName; }
    QString familyCode() const override { return m_state.plot.family; }
    bool isLJ() const override { return m_state.lj; }
    bool hasMinimumPowerLimit() const override;
    bool isWideMachine() const override;
    int firmwareVersion() const override { return m_state.firmwareMajor * 10 + m_state.firmwareMinor; }
    int maxV() const override { return m_state.maxV; }
    int maxWorkSpeed() const override { return m_state.maxWorkSpeed; }
    std::optional<Position> homedPosition() override;
    void reloadResolutions() override;
    void settingsChanged() override;

private:
    MachineState m_state;
    MachineSession *m_session = nullptr;
    std::function<void()> m_changed;
};

// The machine side of the running program: the machine session on its own
// thread (every USB call runs there), the manual control panel's window,
// and the views the main window and the configuration have of the machine.
// The main window owns it as its device link and releases it first when it
// closes, so the device is free before anything else goes.
class TMachineHost : public QObject, public IDeviceLink, public ITransmitter, public IMachineSettingsLink
{
    Q_OBJECT
public:
    // statusText shows a text in status panel 0 of the main window. The
    // session's time is the wall clock unless a clock is given.
    TMachineHost(MachineSession::BackendFactory backend, std::shared_ptr<TMachineIdentity> identity,
                 std::function<void(const QString &)> statusText, QWidget *panelParent = nullptr,
                 std::unique_ptr<MachineClock> clock = nullptr);
    ~TMachineHost() override;

    TsterForm &panel() { return *m_panel; }
    MachineSession *session() const { return m_session; }
    void showPanel();

    // ITransmitter
    bool running() const override { return m_transmitting; }
    bool paused() const override { return m_state.plot.has(StatusFlag::JobPaused); }
    void stop() override;
    // Streams the job while the link keeps the given connection.
    void startTransmission(const QString &path, std::uint64_t connection);

    // IMachineSettingsLink
    Status readStatus() override;
    bool connected() const override { return m_connected; }
    void sendPowerOutput(int itemIndex) override;
    void SendLengthUnit(int itemIndex) override;
    void reapplyHeatingPower() override;

    // The panel's smaller windows, modal over it.
    void openBasePoints();
    void openMoveWire();
    void openUpgrade();
    void restoreFactoryParameters();

    // Reads the status and, when the machine answers, its identification
    // afresh on the machine's thread and waits for them, at most waitMs; a
    // machine thread busy longer gives the last report. True when connected.
    bool readIdentity(MachineState &state, int waitMs = 3000);
    // The state the session reported last; no call to the machine.
    const MachineState &lastState() const { return m_state; }
    // Shows how much of the job has gone out (0 .. 100) while it streams,
    // and -1 when it is over.
    void setProgressHandler(std::function<void(int percent)> progress) { m_progress = std::move(progress); }

    // The text of a machine message in the program's language.
    static QString messageText(const MachineMessage &message);
    static QString transmitText(const TransmitStatus &status);
    static bool showsProgress(const TransmitStatus &status);

private:
    void pushSettings();

    QThread m_thread;
    MachineSession *m_session = nullptr;
    std::unique_ptr<TsterForm> m_panel;
    std::shared_ptr<TMachineIdentity> m_identity;
    MachineState m_state;
    bool m_connected = false;
    bool m_transmitting = false;
    std::function<void(int)> m_progress;
};
