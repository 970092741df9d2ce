#pragma once

#include "app/settings.h"
#include "machine/devicelink.h"
#include "drawing/jobformat.h"
#include "machine/machineclock.h"
#include "machine/machinestate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// The job-file byte packers as byte arrays for the link.
QByteArray int16Bytes(std::int16_t value);
QByteArray int32Bytes(std::int32_t value);
QByteArray toByteArray(const TBytes &bytes);

// A message for the user, by language-file section and key; the widget layer
// shows it. `suffix` is appended to the text (an error code), `caption`
// replaces the default caption when set.
struct MachineMessage
{
    QString section;
    QString key;
    QString suffix;
    QString caption;
    // A second text after a line break, with its %1, %2 ... filled from
    // `detailArgs` (numbers).
    QString detailSection;
    QString detailKey;
    QStringList detailArgs;

    static MachineMessage of(const QString &section, const QString &key, const QString &suffix = {})
    {
        MachineMessage m;
        m.section = section;
        m.key = key;
        m.suffix = suffix;
        return m;
    }
    // "Universal"/"bladZapisuPliku" with the file's name and the system's reason.
    static MachineMessage fileWriteFailed(const QString &path, const QString &reason)
    {
        return of(QStringLiteral("Universal"), QStringLiteral("bladZapisuPliku"),
                  QLatin1Char(' ') + path + QLatin1Char('\n') + reason);
    }
};

// The machine access layer: the controller's live commands and queries, the
// machine model table and the direct moves and heating built on them. Every
// call is synchronous and runs where the link runs (never the GUI thread in
// the program).
class Ploter
{
public:
    using MessageHandler = std::function<void(const MachineMessage &)>;

    Ploter(TfUsb &link, MachineState &state, MachineClock &clock);

    TfUsb &link() { return m_link; }
    MachineState &state() { return m_state; }
    const MachineState &state() const { return m_state; }
    tplotstate &plot() { return m_state.plot; }
    MachineClock &clock() { return m_clock; }

    // The settings the machine code reads (pauses, calibration, rotary axis,
    // heavy load, power output, display unit); a copy taken from the GUI.
    void setSettings(const Settings &settings) { m_settings = settings; }
    const Settings &settings() const { return m_settings; }
    void setMessageHandler(MessageHandler handler) { m_messages = std::move(handler); }
    void showMessage(const MachineMessage &message) const;
    // Longest wait for an idle machine; a wait that runs out gives up.
    void setWaitLimitMs(std::int64_t ms) { m_waitLimitMs = ms; }

    // --- Sending -----------------------------------------------------------
    bool SendCommand(const QByteArray &command);
    bool StopMove();
    // "V" with the current speed mode and the period of a speed in mm/min;
    // then the speeds are read back.
    bool SetSpeed(int mmPerMinute);
    bool SendHeatingPower();
    bool SendJobOrigin();
    bool SendLengthUnit(int unit);
    bool SendWireTension(int tenths);
    bool WriteEepromParameter(int address, int value);
    bool CheckConnected();
    bool IsNewProtocol() const { return m_state.isNewProtocol(); }
    // "T" channel power, one byte or int32 by protocol; also the 't' layout.
    QByteArray heatingPowerCommand(int channel, long long power) const;
    QByteArray heatingSwitchCommand(bool on, int channel) const;

    // --- Conversions -------------------------------------------------------
    std::uint16_t SpeedToPeriod(int speed) const;
    // The period every "V" carries for a speed in mm/min (the job writer's
    // conversion: the speed times wspV).
    std::uint16_t speedPeriod(double mmPerMinute) const;
    QByteArray speedCommand(int mode, double mmPerMinute) const;
    std::uint16_t PeriodToSpeed(int period) const;

    // --- Queries: false when the reply failed or made no sense; then no
    // state changes. ---------------------------------------------------------
    bool ReadStatus();
    bool ReadPositions();
    bool ReadSpeeds();
    bool ReadPowerInfo();
    bool ReadMachineInfo();
    bool ReadResolutions();
    bool ReadWireTension();
    // "major.minor"; empty when the read failed (the version is kept).
    QString ReadFirmwareVersion();
    void ApplyResolutionOverrides();

    // --- Models ------------------------------------------------------------
    void SetModelDefaults();
    bool IsSpindleRotaryModel() const;
    bool HasMinimumPowerLimit() const;
    bool IsWideMachine() const;
    bool nameStartsWith(const char *prefix) const;

    // --- Motion and heating ------------------------------------------------
    // True when the machine was seen idle; false when the link failed or the
    // wait ran out.
    bool WaitWhileBusy();
    bool WaitWhileBusy(std::int64_t limitMs);
    bool HeatWireAndWait();
    bool ToggleHeating();
    bool RampHeating(int channel, int percent);
    // Lengths in the display unit, the angle in degrees.
    bool MoveTo(bool front, bool back, double x, double y, double z, double angle);
    bool MoveBy(bool front, bool back, double dx, double dy, double dz, double angle);
    // MoveTo of the selected wire ends alone, in mm: the other end, Z and the
    // rotary axes stay (the two wires of a two-wire machine start apart).
    bool MoveSelectedArmsTo(bool front, bool back, double x, double y);
    bool JogByKey(int key, bool front, bool back);
    bool JogByKeyTwoArms(int key, bool front, bool back);
    // Builds an "A" move with multiplier wspV and sends it; true for an
    // empty move.
    bool sendMove(const TAxisDeltas &deltas);

    // Called after the firmware version is known: keeps the 'T' command
    // length in step with the protocol.
    void setProtocolHook(std::function<void(bool newProtocol)> hook) { m_protocolHook = std::move(hook); }

private:
    struct LinearTargets;
    bool moveWire(const LinearTargets &targets, double rotaryTurns, bool useTable);
    bool waitUntilStill();
    bool heatForJog();
    int rotaryStepsPerTurn(bool table) const;
    bool useTableForRotary() const;
    double unitFactor() const;

    TfUsb &m_link;
    MachineState &m_state;
    MachineClock &m_clock;
    Settings m_settings;
    MessageHandler m_messages;
    std::function<void(bool)> m_protocolHook;
    std::int64_t m_waitLimitMs = 15 * 60 * 1000;
};
