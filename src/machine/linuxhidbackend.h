#pragma once

#include "machine/hidbackend.h"

#include <QObject>

#include <cstdint>
#include <memory>

class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;
struct libusb_context;

// The bytes of a string descriptor as the device sent them (bLength,
// bDescriptorType 3, payload) turned into reply bytes: r[i] is descriptor
// byte 2 + i, zero-filled. False for a malformed descriptor.
bool descriptorToReply(const std::uint8_t *descriptor, int size, HidReply &reply, int &length);
// An errno of a hidraw write, or a libusb error, as a HidError code.
int hidErrorFromErrno(int error);
int hidErrorFromLibusb(int error);

// The real HID access on Linux: devices from udev ("hidraw" nodes with their
// USB device's strings), output reports written to the hidraw node, and the
// controller's replies read raw with libusb (the string descriptors carry
// binary bytes that the HID string calls would mangle). Changes come from a
// udev monitor behind a socket notifier, debounced; without a monitor the
// device list is polled slowly.
class LinuxHidBackend final : public QObject, public HidBackend
{
    Q_OBJECT
public:
    explicit LinuxHidBackend(QObject *parent = nullptr);
    ~LinuxHidBackend() override;

    std::vector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidChannel> open(const HidDeviceInfo &device, int &error) override;
    void setChangeHandler(std::function<void()> handler) override { m_changeHandler = std::move(handler); }

private:
    void onMonitorActivity();
    void onPoll();
    void notifyChange();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    libusb_context *m_usb = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_debounce = nullptr;
    QTimer *m_poll = nullptr;
    QStringList m_lastSeen;
    std::function<void()> m_changeHandler;
};
