#pragma once

#include "machine/hidbackend.h"

#include <functional>
#include <memory>
#include <vector>

class HidDeviceController;

// One HID device interface as listed by the controller. Its file (channel) is
// opened lazily and closed on check-in, after enumeration of a device nobody
// holds, and on unplug.
class HidDevice
{
public:
    HidDevice(HidBackend &backend, HidDeviceInfo info);

    const HidDeviceInfo &info() const { return m_info; }
    bool pluggedIn() const { return m_pluggedIn; }
    bool checkedOut() const { return m_checkedOut; }
    bool isOpen() const { return m_channel != nullptr; }

    // Opens the device when it is plugged in and held (or being enumerated).
    bool openFile();
    void closeFile();
    // The error of the last failed open (HidError::Ok when it opened).
    int lastOpenError() const { return m_lastOpenError; }

    // The opened channel; openFile() first.
    HidChannel *channel() const { return m_channel.get(); }

private:
    friend class HidDeviceController;

    HidBackend &m_backend;
    HidDeviceInfo m_info;
    bool m_pluggedIn = true;
    bool m_checkedOut = false;
    bool m_enumerating = false;
    int m_lastOpenError = HidError::Ok;
    std::unique_ptr<HidChannel> m_channel;
    std::function<void(HidDevice &)> m_onUnplug;
};

using HidDevicePtr = std::shared_ptr<HidDevice>;

// Lists the HID devices present and keeps the list current: a re-scan after
// every change reported by the backend raises one unplug notification per
// device that went away, then one device-change notification.
class HidDeviceController
{
public:
    explicit HidDeviceController(HidBackend &backend);
    ~HidDeviceController();
    HidDeviceController(const HidDeviceController &) = delete;
    HidDeviceController &operator=(const HidDeviceController &) = delete;

    // The first assignment of a handler fires one notification at once, even
    // with no device present; assigning the same handler again fires nothing.
    // Handlers are told apart by the tag given with them.
    void setOnDeviceChange(std::function<void()> handler, int tag = 1);
    void setOnEnumerate(std::function<bool(const HidDevicePtr &, int)> handler);
    void setOnDeviceUnplug(std::function<void(HidDevice &)> handler);

    // Hands every plugged-in device to the enumeration handler in list order
    // until it answers false; returns the number of devices visited.
    int enumerate();
    HidDevicePtr checkOutByIndex(int index);
    void checkIn(HidDevicePtr &device);

    // Builds a fresh list and compares it with the current one by instance.
    void rescan();

    int count() const { return static_cast<int>(m_devices.size()); }
    const HidDevicePtr &device(int index) const { return m_devices.at(static_cast<std::size_t>(index)); }

private:
    HidBackend &m_backend;
    std::vector<HidDevicePtr> m_devices;
    std::function<void()> m_onDeviceChange;
    int m_onDeviceChangeTag = 0;
    bool m_firstNotificationDone = false;
    std::function<bool(const HidDevicePtr &, int)> m_onEnumerate;
    std::function<void(HidDevice &)> m_onUnplug;
};
