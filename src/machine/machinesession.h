#pragma once

#include "app/commandline.h"
#include "app/settings.h"
#include "machine/devicelink.h"
#include "machine/hidbackend.h"
#include "machine/joystick.h"
#include "machine/machineclock.h"
#include "machine/machinestate.h"
#include "machine/ploter.h"
#include "machine/sterowanie.h"
#include "machine/transmitter.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class MachineServices;

// Everything that talks to the machine, on one thread: the backend, the
// link, the machine state, the transmitter and the panel's logic. In the
// program it lives on its own thread, so no USB call ever blocks the
// window; the GUI calls its slots through queued connections and shows
// what its signals report. It serialises every device call by running them
// all on that thread.
class MachineSession : public QObject, private PanelJobControl
{
    Q_OBJECT
public:
    using BackendFactory = std::function<std::unique_ptr<HidBackend>(MachineClock &)>;

    // The backend of the running program: the simulated controller when the
    // environment variable PRENTAVIK_SIMULATED_MACHINE is 1, else hidraw.
    static BackendFactory programBackend();

    MachineSession(BackendFactory factory, std::unique_ptr<MachineClock> clock, CommandLine commandLine,
                   Settings settings, QObject *parent = nullptr);
    ~MachineSession() override;

    // For tests and the program's own adapters on the machine thread.
    Ploter *ploter() { return m_ploter.get(); }
    Tster *panel() { return m_panel.get(); }
    TTransArm *transmitter() { return m_transmitter.get(); }
    HidBackend *backend() { return m_backend.get(); }
    MachineClock &clock() { return *m_clock; }
    // A key press or click meant to stop a homing; safe from any thread.
    void requestStop();
    // The base points, move-wire, upgrade and factory-parameter work, on
    // the session's thread.
    MachineServices *services() const { return m_services; }
    // While the controller's program or parameters are written, the poll,
    // the identification of a (re)connected machine and the transmitter
    // leave the controller alone.
    void setHeldOff(bool heldOff);
    bool heldOff() const { return m_heldOff; }
    // Where the second pass of a two-pass job starts (called on the
    // session's thread).
    void setNextPassProvider(std::function<std::optional<NextPass>()> provider) { m_nextPass = std::move(provider); }

public slots:
    // Creates the backend and the link on the session's thread and starts
    // the poll.
    void open();
    void setSettings(const Settings &settings);
    void activatePanel();
    void deactivatePanel();
    void setDisplayWanted(bool wanted);
    void keyPressed(int jogKey, bool ctrl);
    void jogButtonPressed(int jogKey);
    void keyReleased(int jogKey, bool ctrl);
    void focusLost();
    void toggleHeating();
    void setSpeed(int mmPerMinute);
    void stepSpeed(int sign);
    void setPowerPosition(int position);
    void setTension(int position);
    void home();
    void stopMachine();
    void setKeyFront(bool ticked);
    void setKeyBack(bool ticked);
    // Streams the job while the link keeps the given connection (the link's
    // current one when none is given).
    void startTransmission(const QString &path, std::optional<std::uint64_t> connection = std::nullopt);
    void stopTransmission();
    void pollNow();
    void reloadResolutions();
    void alignBackToFront();
    // The downward repetitions of a serial cut (set by its start).
    void setSerialRepetition(int count, double shift, double height, double x, int table);
    // Blocking status read for the configuration follow-up (call with a
    // blocking queued connection from another thread).
    void readStatusInto(bool *connected, bool *jobRunning);
    // Blocking read for the About box: the status, then the identification
    // when the machine answers; `state` receives the machine state after it.
    void readIdentityInto(bool *connected, MachineState *state);
    void sendPowerOutput(int itemIndex);
    void sendLengthUnit(int itemIndex);
    void reapplyHeatingPower();

signals:
    void linkStatus(const QString &key);
    void viewChanged(const PanelView &view);
    void transmitStatus(const TransmitStatus &status);
    void message(const MachineMessage &message);
    void transmissionFinished();
    // The machine state after identification and after every poll.
    void stateChanged(const MachineState &state);
    // Requests to job control and the main window (machine buttons, REPEAT,
    // the two-pass follow-up).
    void startRequested();
    void pauseRequested();
    void continueRequested();
    void restartRequested();
    void refreshMenusRequested();
    void nextPassRequested();

private:
    void start() override { emit startRequested(); }
    void pause() override { emit pauseRequested(); }
    void continueJob() override { emit continueRequested(); }
    void restartJob() override { emit restartRequested(); }
    void refreshMenus() override { emit refreshMenusRequested(); }
    std::optional<NextPass> nextPass() override { return m_nextPass ? m_nextPass() : std::nullopt; }
    void startNextPass() override { emit nextPassRequested(); }

    void poll();
    void transmitTick();

    BackendFactory m_factory;
    std::unique_ptr<MachineClock> m_clock;
    CommandLine m_commandLine;
    Settings m_settings;
    std::unique_ptr<HidBackend> m_backend;
    std::unique_ptr<TfUsb> m_link;
    MachineState m_state;
    std::unique_ptr<Ploter> m_ploter;
    std::unique_ptr<Tster> m_panel;
    std::unique_ptr<TTransArm> m_transmitter;
    LinuxJoystick m_joystick;
    bool m_panelCreated = false;
    QTimer *m_pollTimer = nullptr;
    QTimer *m_transmitTimer = nullptr;
    std::function<std::optional<NextPass>()> m_nextPass;
    MachineServices *m_services = nullptr;
    bool m_heldOff = false;
    bool m_setUpWhenFree = false;
};

Q_DECLARE_METATYPE(PanelView)
Q_DECLARE_METATYPE(TransmitStatus)
Q_DECLARE_METATYPE(MachineMessage)
Q_DECLARE_METATYPE(MachineState)
