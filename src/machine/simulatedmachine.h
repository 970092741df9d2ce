#pragma once

#include "machine/hidbackend.h"
#include "machine/machineclock.h"
#include "machine/simulatedprogram.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What a simulated controller is and how it behaves.
struct SimulatedMachineConfig
{
    QString manufacturer = QStringLiteral("Korvanel");
    QString product = QStringLiteral("bn45");
    QString serialNumber = QStringLiteral("SIM0001");
    std::uint8_t firmwareMajor = 3;
    std::uint8_t firmwareMinor = 5;
    // Resolutions as the controller stores them: fixed point with 24
    // fraction bits for the linear axes, steps per turn for the rotary ones.
    std::int64_t resX = 1LL << 24;
    std::int64_t resY = 1LL << 24;
    std::int64_t resZ = 1LL << 24;
    std::int32_t resW = 8000;
    std::int32_t resS = 8000;
    std::int32_t res3 = 8000;
    std::int64_t fcWidth = 1200;
    std::int32_t limitX = 1200; // mm
    std::int32_t limitY = 800;
    std::int32_t limitZ = 300;
    std::uint32_t workingTime = 1234; // minutes
    std::uint32_t count = 56;
    std::int32_t wspV = 2;
    // The speeds of the travel mode (0) and of the working modes (1 .. 3)
    // until the program sets its own, mm/min.
    std::int32_t travelSpeed = 2000;
    std::int32_t workingSpeed = 600;
    // Job queue: capacity in commands; the buffer-full flag is raised while
    // fewer than `fullMargin` places are free.
    int queueCapacity = 600;
    int fullMargin = 200;
    // 0: a running job takes the time its moves and pauses take. Above 0:
    // that many queued commands are executed per second whatever they hold,
    // the moves landing at once (for tests of the host's own pace).
    int drainPerSecond = 0;
    // A running job with an empty queue ends after this long without input
    // or motion.
    int jobIdleEndMs = 300;
    // Program memory: an erase takes this long; a restart keeps the
    // controller off the bus this long.
    std::int64_t eraseMs = 5000;
    std::int64_t restartMs = 4000;
};

// One simulated controller: takes output reports, answers the indexed
// strings 10 and 12 .. 17 byte for byte, and moves in virtual time read
// from the clock it is given.
class SimulatedMachine
{
public:
    SimulatedMachine(MachineClock &clock, SimulatedMachineConfig config = {});

    const SimulatedMachineConfig &config() const { return m_config; }

    // The controller's side of the seam.
    int receiveReport(const HidReport &report);
    int answer(int index, HidReply &reply, int &length);

    // Everything received, one entry per report payload as the controller
    // split it into commands (each entry one command).
    const std::vector<QByteArray> &commands() const { return m_commands; }
    void clearCommands() { m_commands.clear(); }
    // The raw reports in order.
    const std::vector<HidReport> &reports() const { return m_reports; }
    // The job bytes queued (lower-case commands), in arrival order.
    const QByteArray &jobBytes() const { return m_jobBytes; }
    int jobCommandsReceived() const { return m_jobCommandsReceived; }
    int queueOverflows() const { return m_overflows; }
    int queued() const { return static_cast<int>(m_queue.size()); }
    int greetings() const { return m_greetings; }

    // State as the controller holds it (after bringing time up to date).
    std::uint32_t flags();
    std::int32_t rawPosition(int axis);
    void setRawPosition(int axis, std::int32_t steps);
    bool heatingOn(int channel) const { return m_heating[static_cast<std::size_t>(channel & 7)]; }
    std::int32_t power(int channel) const { return m_power[static_cast<std::size_t>(channel & 7)]; }
    int speedMode() const { return m_speedMode; }
    std::int32_t jobOriginX() const { return m_originX; }
    std::int32_t jobOriginY() const { return m_originY; }
    std::int32_t setting(int sub) const { return m_settings[static_cast<std::size_t>(sub & 15)]; }
    std::uint8_t eeprom(int address) const { return m_eeprom[static_cast<std::size_t>(address & 255)]; }
    void setHomed(bool homed) { m_homed = homed; }

    // The machine's own buttons: reported until the program answers "Y".
    enum class Button { Start, Pause, Continue };
    void pressButton(Button button);

    // Injected faults.
    void failReads(int count, int error = HidError::Timeout) { m_failReads = count; m_readError = error; }
    // `count` writes fail with `error` after `after` more succeeded.
    void failWrites(int count, int error = HidError::IoError, int after = 0)
    {
        m_failWrites = count;
        m_writeError = error;
        m_writesBeforeFailure = after;
    }
    // Reports taken but acknowledged with a general failure.
    void generalFailureWrites(int count) { m_generalFailures = count; }
    void shortReplies(int count, int length) { m_shortReplies = count; m_shortLength = length; }
    void garbageReplies(int count, std::uint8_t fill) { m_garbageReplies = count; m_garbageFill = fill; }
    void setBrokenWire(bool broken) { m_brokenWire = broken; }
    void setEndlessBusy(bool busy) { m_endlessBusy = busy; }
    // The controller asks for the heating back on continue (as after its own
    // pause button).
    void setRestoreHeating(bool restore) { m_restoreHeating = restore; }
    // Starts the job queue as "G" would, without a transmitter.
    bool jobRunning() { return (flags() & (1u << 1)) != 0; }
    // Runs the clock's time into the machine (moves, draining).
    void update();

    // --- Program memory, restart and the bus ---------------------------------
    SimulatedProgramMemory &programMemory() { return m_program; }
    // After a restart or power-up the controller reports this version when
    // its memory holds exactly these words. It starts with its own program
    // registered under the configured version; any other content boots the
    // loader, which reports 0.0.
    void setImageVersion(const std::vector<std::uint16_t> &words, std::uint8_t major, std::uint8_t minor);
    // Fault: the cable is pulled after `count` more reports were taken.
    void unplugAfterWrites(int count);
    // Whether the controller answers on the bus now (not restarting, not
    // pulled out).
    bool onBus() const;
    // Counts restarts: each one makes the controller a new device on the bus.
    int boots() const { return m_boots; }
    // Plugged in again after being pulled: powers up from its memory.
    void plugBackIn();

private:
    // One motion of the axes, timed in microseconds of the clock: a direct
    // move, a homing, a move of the job, or a pause of the job (no axis).
    struct Motion
    {
        std::array<std::int32_t, 8> start{};
        std::array<std::int32_t, 8> delta{};
        std::int64_t startUs = 0;
        std::int64_t durationUs = 0;
        int mode = 0; // the speed mode it runs at
        bool homing = false;
        bool job = false;
        bool dwell = false;
        // Cut short where an axis reached the end of its travel.
        bool cutShort = false;
        std::int64_t endUs() const { return startUs + durationUs; }
    };

    void execute(const QByteArray &command);
    void queueJobCommand(const QByteArray &command);
    void runQueued(const QByteArray &command);
    // Runs the job from where it stood up to `nowUs`, command by command.
    void runJob(std::int64_t nowUs);
    void drainAtFixedRate(std::int64_t now);
    // Starts a motion of `ticks` ticks at the period of the current speed
    // mode, cut at the travel limits.
    void startMotion(const std::array<std::int32_t, 8> &delta, long long ticks, bool homing, bool job,
                     std::int64_t startUs);
    void startDwell(std::int64_t ms, std::int64_t startUs);
    void limitToTravel(Motion &motion) const;
    void finishMotion(std::int64_t nowUs);
    void stopMotion();
    // Holds the axes where the current motion has got to, whatever it is.
    void haltMotion();
    // Holds a running job motion where it is; `resumeJob` takes it on.
    void suspendJobMotion();
    void resumeJob();
    // "C": the job is dropped, queued or paused.
    void clearJob();
    std::int32_t positionAt(const Motion &motion, int axis, std::int64_t nowUs) const;
    std::int64_t nowUs() const { return m_clock.nowMs() * 1000; }
    // Microseconds one tick of a speed mode takes.
    long double tickUs(int mode) const;
    std::int16_t speedOfMode(int mode) const;
    std::int32_t travelSteps(int axis) const;
    int commandLength(const std::uint8_t *command) const;
    bool newProtocol() const { return m_config.firmwareMajor >= 4 && m_config.firmwareMajor <= 9; }
    // "S" 8, 9, 10 and 11.
    void executeProgramCommand(std::uint8_t sub, const QByteArray &command);
    void restart();
    void bootFromMemory();
    void countReportForPull();

    MachineClock &m_clock;
    SimulatedMachineConfig m_config;

    std::vector<QByteArray> m_commands;
    std::vector<HidReport> m_reports;
    QByteArray m_jobBytes;
    int m_jobCommandsReceived = 0;
    int m_overflows = 0;
    int m_greetings = 0;

    std::array<std::int32_t, 8> m_position{};
    std::array<std::int32_t, 8> m_moveDelta{};
    bool m_moveOpen = false;
    Motion m_motion;
    bool m_moving = false;
    // The job's motion a pause broke off, taken on by "K" or "G".
    std::optional<Motion> m_suspended;
    bool m_atLimit = false;
    bool m_homed = false;
    std::array<bool, 8> m_heating{};
    std::array<std::int32_t, 8> m_power{};
    int m_powerChannel = 2;
    int m_speedMode = 0;
    // The period of each speed mode as "V" sent it (the program's period
    // divided by the speed factor): one tick lasts period x 0.8 us.
    std::array<std::int32_t, 5> m_periods {};
    std::array<std::int32_t, 16> m_settings{};
    std::array<std::uint8_t, 256> m_eeprom{};
    std::int32_t m_originX = 0;
    std::int32_t m_originY = 0;
    SimulatedProgramMemory m_program;
    std::vector<std::pair<std::uint64_t, std::pair<std::uint8_t, std::uint8_t>>> m_imageVersions;
    std::int64_t m_offBusUntil = 0;
    bool m_pulled = false;
    int m_pullAfterWrites = -1;
    int m_boots = 0;

    std::deque<QByteArray> m_queue;
    std::array<std::int32_t, 8> m_jobMoveDelta{};
    bool m_jobStarted = false;
    bool m_paused = false;
    bool m_restoreHeating = false;
    std::int64_t m_lastDrainMs = 0;
    std::int64_t m_drainCredit = 0;
    std::int64_t m_lastJobInputMs = 0;
    // How far the job has run: commands before this time are done.
    std::int64_t m_jobClockUs = 0;
    std::int64_t m_lastMotionEndMs = 0;
    std::uint32_t m_buttons = 0;

    int m_failReads = 0;
    int m_readError = HidError::Timeout;
    int m_failWrites = 0;
    int m_writesBeforeFailure = 0;
    int m_writeError = HidError::IoError;
    int m_generalFailures = 0;
    int m_shortReplies = 0;
    int m_shortLength = 0;
    int m_garbageReplies = 0;
    std::uint8_t m_garbageFill = 0;
    bool m_brokenWire = false;
    bool m_endlessBusy = false;
};

// Simulated HID devices: machines and other devices that can be plugged in
// and pulled out. Device changes are reported at once.
class SimulatedHidBackend final : public HidBackend
{
public:
    explicit SimulatedHidBackend(MachineClock &clock);
    ~SimulatedHidBackend() override;

    // Plugs in a machine and returns it (owned by the backend; stays alive
    // after unplugging so tests can inspect it).
    std::shared_ptr<SimulatedMachine> plugMachine(SimulatedMachineConfig config = {});
    // Plugs in a device that is not a machine.
    void plugOther(const QString &manufacturer, const QString &product);
    // Plugs a machine back in (a new instance, as the bus sees it).
    void replug(const std::shared_ptr<SimulatedMachine> &machine);
    void unplug(const std::shared_ptr<SimulatedMachine> &machine);
    void unplugOther(const QString &product);
    // Writes take this long (virtual or real time through the clock).
    void setWriteCostMs(std::int64_t ms) { m_writeCostMs = ms; }
    // Open failures with this error (e.g. HidError::AccessDenied).
    void setOpenError(int error) { m_openError = error; }
    int opens() const { return m_opens; }

    std::vector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidChannel> open(const HidDeviceInfo &device, int &error) override;
    void setChangeHandler(std::function<void()> handler) override { m_changeHandler = std::move(handler); }

private:
    struct Slot
    {
        HidDeviceInfo info;
        std::shared_ptr<SimulatedMachine> machine; // null for other devices
        std::shared_ptr<bool> present;
        int boots = 0; // the machine's restart count when it came on the bus
    };
    class Channel;

    void changed();
    // Brings the slots in line with the controllers' own state (restarts,
    // pulled cables); never reports a change, as it runs inside link calls.
    void refreshBus();
    HidDeviceInfo makeInfo(const QString &manufacturer, const QString &product, const QString &serial);

    MachineClock &m_clock;
    std::vector<Slot> m_slots;
    std::function<void()> m_changeHandler;
    int m_nextInstance = 1;
    std::int64_t m_writeCostMs = 0;
    int m_openError = HidError::Ok;
    int m_opens = 0;
};
