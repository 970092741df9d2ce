#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The seam between the device link and the platform's HID access. The link
// (TfUsb) and everything above it only ever see these types, so the same code
// runs against the real controller (hidraw + libusb) and the simulated one.

// One output report: report id 0, then the 16 command bytes.
constexpr int kHidReportSize = 17;
using HidReport = std::array<std::uint8_t, kHidReportSize>;

// The reply bytes r0 .. r64 of one indexed string (the descriptor without its
// two header bytes, zero-filled).
constexpr int kHidReplySize = 65;
using HidReply = std::array<std::uint8_t, kHidReplySize>;

// Result codes of the seam. The values are those the controller's own tools
// report, so a code shown to the user after "no connection" means the same
// thing on every platform.
namespace HidError {
constexpr int Ok = 0;
constexpr int AccessDenied = 5;
// The controller acknowledges some reports with a general failure although it
// took them; the link treats this code on a one-report write as delivered.
constexpr int GeneralFailure = 31;
// A command longer than two reports.
constexpr int InvalidParameter = 87;
constexpr int Timeout = 121;
constexpr int IoError = 1117;
constexpr int DeviceGone = 1167;
} // namespace HidError

struct HidDeviceInfo
{
    // Identifies the device for as long as it stays plugged in; a re-plugged
    // device gets a new one.
    QString instanceId;
    QString path;
    QString manufacturer;
    QString product;
    QString serialNumber;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// One opened device. Calls block until the device answered.
class HidChannel
{
public:
    virtual ~HidChannel() = default;
    // Writes one whole output report; HidError::Ok or an error code.
    virtual int writeReport(const HidReport &report) = 0;
    // Reads string descriptor `index` as raw bytes into `reply` (zero-filled)
    // and the number of reply bytes the device sent into `length`.
    virtual int readIndexedString(int index, HidReply &reply, int &length) = 0;
};

class HidBackend
{
public:
    virtual ~HidBackend() = default;
    // Every HID device present, in a stable order. Never reads indexed
    // strings: on this controller they are live queries with side effects.
    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // Opens a device; nullptr and an error code when it cannot be opened.
    virtual std::unique_ptr<HidChannel> open(const HidDeviceInfo &device, int &error) = 0;
    // Called after devices came or went (possibly several at once).
    virtual void setChangeHandler(std::function<void()> handler) = 0;
};
