#pragma once

#include "machine/ploter.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

// What the manual control panel asks of job control and the main window.
// Calls may arrive from the machine's thread; implementations hand them on.
class PanelJobControl
{
public:
    virtual ~PanelJobControl() = default;
    // The main window's Start, Pause and Continue (machine buttons).
    virtual void start() = 0;
    virtual void pause() = 0;
    virtual void continueJob() = 0;
    // "REPEAT": the same job again through the start sequence.
    virtual void restartJob() = 0;
    virtual void refreshMenus() = 0;

    // The second pass of a two-pass job on the two-wire machine: where the
    // second wire starts (mm) and how far the next project reaches above
    // its start point (mm). Nothing when there is no next pass.
    struct NextPass
    {
        double startX = 0;
        double startY = 0;
        double extentAbove = 0;
    };
    virtual std::optional<NextPass> nextPass() = 0;
    // Brings the next project window forward and starts it.
    virtual void startNextPass() = 0;
};

// Absolute target of gotopoint: linear axes in mm, rotary axes in steps
// within a turn.
struct PanelTarget
{
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, z = 0;
    std::int32_t s = 0; // rotary table
    std::int32_t w = 0; // spindle
};

// What the panel shows, refreshed by the poll.
struct PanelView
{
    bool connected = false;
    tplotstate plot;
    int speed = 0;    // the speed scroll bar, mm/min
    int maxV = 5000;
    bool jobRunning = false;
    bool heatingOn = false;
    QString wireStateKey; // "Control" key, empty when the wire is fine
    QString speedCaptionKey;
    double measuredCurrent = 0; // A
    int readFailures = 0;
    int writeFailures = 0;

    // How the panel is set up for the identified machine.
    QString machineName;
    QString firmware; // "major.minor"
    bool lj = false;
    bool vq = false;
    bool q7 = false;
    bool showArms = false;      // arm selection: Vq machines or "TEST"
    bool showTable = true;      // the rotary table's controls
    bool showTension = false;   // Vq and Zf machines
    int tensionMax = 100;
    bool newProtocol = false;
    int powerFactor = 1;
    int powerMax = 300;
    int powerSmallStep = 1;
    int powerLargeStep = 10;
    int powerPosition = 0;
    // The arm selection (two-arm machines).
    bool keyFront = true;
    bool keyBack = true;
};

// A joystick reading: axes 0 .. 65535 (32768 centred), buttons as bits
// (button n is bit n - 1).
struct JoystickState
{
    int x = 32768;
    int y = 32768;
    unsigned buttons = 0;
};
// The panel's direction code for a joystick reading: +-1 X, +-4 Y and
// their sums, +-8 the spindle buttons, 16 heating; buttons win.
int joystickDirection(const JoystickState &joystick);
// The jog key for a direction code; 0 for none.
int joystickJogKey(int direction);

// The manual control panel's logic (Tster): moves to a point, pause and
// continue of a job, homing, the poll that watches the machine during a
// job, jogging by keys and joystick, speed, power and tension. It runs where
// the link runs; the widget shows `view()` and forwards the user's actions.
class Tster
{
public:
    Tster(Ploter &ploter, PanelJobControl &jobControl);

    void setViewHandler(std::function<void(const PanelView &)> handler) { m_viewHandler = std::move(handler); }
    // Whether the transmitter is still sending a job: a job that is being
    // sent runs, even before the controller was told to go.
    void setTransmitting(std::function<bool()> transmitting) { m_transmitting = std::move(transmitting); }

    // Creation and activation of the panel window; false when no machine
    // ("brakPlotera" is shown at creation).
    bool create();
    // The set-up of a machine found at creation, also run for a machine
    // that connects later.
    bool setUpMachine();
    bool activate();
    void deactivate();

    bool gotopoint(bool wait, int speedMode, const PanelTarget &target);
    bool cofnijZeta(bool wait, int speedMode, const PanelTarget &target);
    bool wstrzymaj();
    void kontynuuj();
    bool MoznaRuszac();
    void bazuj();

    // Ends a homing or wait on the user's key press or click (any thread).
    void requestStop() { m_stopRequested = true; }

    // One poll; returns the interval until the next one, ms.
    int poll();
    // Whether the poll refreshes the display (the panel is active and no
    // input waits).
    void setDisplayWanted(bool wanted) { m_displayWanted = wanted; }

    // Keys: the jog key codes of machinekeys.h.
    void keyPressed(int jogKey, bool ctrl);
    void keyReleased(int jogKey, bool ctrl);
    // A jog button pressed with the mouse: without a machine the operator
    // is told why nothing moves.
    void jogButtonPressed(int jogKey);
    // Focus left the panel: a held jog stops.
    void focusLost();
    // Numpad + and -.
    void stepSpeed(int sign);
    void setSpeed(int mmPerMinute);
    void setPowerPosition(int position);
    void setTension(int position);
    void toggleHeating();
    void kstop();
    // Vq: both wire ends to wire end 1's X and Y at the current Z.
    void alignBackToFront();
    // Wire end 2 down out of the way: to X 0, Y 0 when it stands above 0,
    // then to X 0, Y -10 mm; wire end 1 stays.
    void ParkBackArm();
    void setJoystick(std::optional<JoystickState> joystick) { m_joystick = joystick; }

    bool keyFront() const { return m_keyFront; }
    bool keyBack() const { return m_keyBack; }
    void setKeyFront(bool ticked);
    void setKeyBack(bool ticked);

    // A serial cut repeated downwards (count, shift in mm, the height and X
    // of the repetition point in mm, the table position in steps).
    void setSerialRepetition(int count, double shift, double height, double x, std::int32_t table);

    const std::array<std::int32_t, 8> &pausePoint() const { return m_pausePoint; }
    std::int32_t tablePosition() const { return m_rotaryTable; }
    std::int32_t spindlePosition() const { return m_rotarySpindle; }
    bool stoppedByUser() const { return m_stoppedByUser; }
    bool jogInProgress() const { return m_jogInProgress; }
    int speed() const { return m_speed; }
    int powerPosition() const { return m_powerPosition; }
    const PanelView &view() const { return m_view; }

private:
    bool isQ7() const { return m_ploter.nameStartsWith("Q7"); }
    bool send(const QByteArray &command) { return m_ploter.SendCommand(command); }
    bool sendSpeedMode(int mode);
    bool sendArmSelection(int arm);
    bool homingStep(int mask);
    bool waitFlag(std::uint32_t flag);
    QByteArray heatingCommand() const;
    void saveRotaryReference();
    void jobEnded();
    void machineButtons();
    void refreshDisplay();
    // The power scroll bar's position for the controller's power setting.
    int reportedPowerPosition() const;
    void joystickStep();
    void serialRepetitionStep();
    void releaseJog();
    void setUpView();

    Ploter &m_ploter;
    PanelJobControl &m_jobControl;
    std::function<void(const PanelView &)> m_viewHandler;
    std::function<bool()> m_transmitting;
    PanelView m_view;

    bool m_keyFront = true;
    bool m_keyBack = true;
    std::array<std::int32_t, 8> m_pausePoint{};
    std::int32_t m_rotaryTable = 0;
    std::int32_t m_rotarySpindle = 0;
    bool m_jogInProgress = false;
    bool m_stoppedByUser = false;
    std::atomic<bool> m_stopRequested{false};
    bool m_displayWanted = false;
    int m_speed = 0;
    int m_savedSpeed = -1;
    int m_powerPosition = 0;

    std::optional<JoystickState> m_joystick;
    int m_joystickDirection = 0;

    int m_repetitions = 0;
    double m_repetitionShift = 0;
    double m_repetitionHeight = 0;
    double m_repetitionX = 0;
    std::int32_t m_repetitionTable = 0;
};
