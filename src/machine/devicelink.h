#pragma once

#include "machine/hidbackend.h"
#include "machine/hidcontroller.h"
#include "machine/machineclock.h"
#include "machine/machineswitches.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The one connection to the machine's controller (TfUsb): picks the machine
// among the HID devices, writes commands as output reports and reads replies
// as indexed string descriptors. No allocation per write or read.
class TfUsb
{
public:
    // Called with the "Control" key of the link state for the status bar:
    // "polaczony", "brakLacznosci" or "brakDostepu" (found but not openable
    // for lack of permission).
    using StatusHandler = std::function<void(const QString &key)>;

    TfUsb(HidBackend &backend, MachineClock &clock, MachineSwitches switches);
    ~TfUsb();
    TfUsb(const TfUsb &) = delete;
    TfUsb &operator=(const TfUsb &) = delete;

    // Sets the status handler and runs the creation sequence: the first
    // device-change notification, enumeration and the greeting "X".
    void start(StatusHandler statusHandler = {});

    bool KorvanelVqExist();
    // 0, a device error code, or -1 when no machine is connected.
    int Write(const QByteArray &command);
    int Write(const char *bytes, int length);
    int ReadString(int n);

    const HidReply &reply() const { return m_reply; }
    // Bytes the device sent for the last reply (0 after a failed read).
    int replyLength() const { return m_replyLength; }
    bool connected() const { return m_connected; }
    // Counts the connections the link has made: a machine pulled out and
    // plugged back in (or restarted) is a new connection, however short the
    // gap, while devices coming and going elsewhere on the bus are not.
    std::uint64_t connectionCount() const { return m_connections; }
    const HidDevice *selectedDevice() const { return m_connected ? m_selected.get() : nullptr; }
    int bytesWritten() const { return m_bytesWritten; }
    // Failed reply reads and reports written while the device answered with a
    // general failure, since the program started.
    int readFailures() const { return m_readFailures; }
    int writeFailures() const { return m_writeFailures; }
    // The error of the last attempt to open the selected device.
    int lastOpenError() const { return m_lastOpenError; }
    // The program's parameters as the link and the machine code read them.
    const MachineSwitches &switches() const { return m_switches; }
    QString onlyMachine() const;

    // The controller's device-change handler (public for the re-scan path).
    void deviceChange();
    // Looks at the bus afresh and selects the machine again, greeting it as
    // a newly plugged one: after the controller restarted it is a new
    // device and waits for "X".
    void redetect();

private:
    bool qualifies(const HidDevice &device) const;
    int writeReport();

    HidBackend &m_backend;
    MachineClock &m_clock;
    MachineSwitches m_switches;
    std::unique_ptr<HidDeviceController> m_controller;
    std::vector<HidDevicePtr> m_devices;
    HidDevicePtr m_selected;
    bool m_connected = false;
    std::uint64_t m_connections = 0;
    HidReport m_report{};
    HidReply m_reply{};
    int m_replyLength = 0;
    int m_bytesWritten = 0;
    int m_readFailures = 0;
    int m_writeFailures = 0;
    int m_lastOpenError = HidError::Ok;
    StatusHandler m_statusHandler;
};
