#include "machine/linuxhidbackend.h"

#include <QSocketNotifier>
#include <QTimer>

#include <libudev.h>
#include <libusb.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Several udev events arrive for one plug (hidraw, usb, interfaces): one
// re-scan after they settle.
constexpr int kDebounceMs = 250;
constexpr int kPollMs = 2000;

QString attribute(udev_device *device, const char *name)
{
    const char *value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    return value ? QString::fromUtf8(value).trimmed() : QString();
}

// The hidraw node and the USB device it belongs to.
class LinuxHidChannel final : public HidChannel
{
public:
    LinuxHidChannel(int fd, libusb_device_handle *handle, std::uint16_t language)
        : m_fd(fd)
        , m_handle(handle)
        , m_language(language)
    {
    }
    ~LinuxHidChannel() override
    {
        if (m_handle)
            libusb_close(m_handle);
        if (m_fd >= 0)
            ::close(m_fd);
    }

    int writeReport(const HidReport &report) override
    {
        // Report id 0 first: the kernel drops it for devices without
        // numbered reports and sends the 16 bytes that follow.
        const ssize_t written = ::write(m_fd, report.data(), report.size());
        if (written == static_cast<ssize_t>(report.size()))
            return HidError::Ok;
        return written < 0 ? hidErrorFromErrno(errno) : HidError::IoError;
    }

    int readIndexedString(int index, HidReply &reply, int &length) override
    {
        reply.fill(0);
        length = 0;
        if (index < 0 || index > 255)
            return HidError::InvalidParameter;
        unsigned char buffer[255] = {};
        // No interface is claimed and no driver detached: a string
        // descriptor is a standard control request on endpoint 0.
        const int got = libusb_get_string_descriptor(m_handle, static_cast<std::uint8_t>(index), m_language, buffer,
                                                     sizeof buffer);
        if (got < 0)
            return hidErrorFromLibusb(got);
        return descriptorToReply(buffer, got, reply, length) ? HidError::Ok : HidError::IoError;
    }

private:
    int m_fd = -1;
    libusb_device_handle *m_handle = nullptr;
    std::uint16_t m_language = 0;
};

} // namespace

bool descriptorToReply(const std::uint8_t *descriptor, int size, HidReply &reply, int &length)
{
    reply.fill(0);
    length = 0;
    if (size < 2 || descriptor[1] != LIBUSB_DT_STRING)
        return false;
    const int total = std::min<int>(descriptor[0], size);
    if (total < 2)
        return false;
    length = std::min(total - 2, kHidReplySize);
    std::copy_n(descriptor + 2, length, reply.begin());
    return true;
}

int hidErrorFromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return HidError::AccessDenied;
    case EPIPE: return HidError::GeneralFailure; // the device stalled the report
    case ETIMEDOUT: return HidError::Timeout;
    case ENODEV:
    case ENOENT:
    case ENXIO: return HidError::DeviceGone;
    default: return HidError::IoError;
    }
}

int hidErrorFromLibusb(int error)
{
    switch (error) {
    case LIBUSB_ERROR_ACCESS: return HidError::AccessDenied;
    case LIBUSB_ERROR_PIPE: return HidError::GeneralFailure;
    case LIBUSB_ERROR_TIMEOUT: return HidError::Timeout;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND: return HidError::DeviceGone;
    default: return HidError::IoError;
    }
}

LinuxHidBackend::LinuxHidBackend(QObject *parent)
    : QObject(parent)
{
    m_udev = udev_new();
    if (libusb_init(&m_usb) != 0)
        m_usb = nullptr;

    m_debounce = new QTimer(this);
    m_debounce->setSingleShot(true);
    m_debounce->setInterval(kDebounceMs);
    connect(m_debounce, &QTimer::timeout, this, &LinuxHidBackend::notifyChange);

    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor && udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) == 0
        && udev_monitor_enable_receiving(m_monitor) == 0) {
        m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &LinuxHidBackend::onMonitorActivity);
    } else {
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        for (const HidDeviceInfo &info : enumerate())
            m_lastSeen << info.instanceId;
        m_poll = new QTimer(this);
        m_poll->setInterval(kPollMs);
        connect(m_poll, &QTimer::timeout, this, &LinuxHidBackend::onPoll);
        m_poll->start();
    }
}

LinuxHidBackend::~LinuxHidBackend()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
    if (m_usb)
        libusb_exit(m_usb);
}

void LinuxHidBackend::onMonitorActivity()
{
    while (udev_device *device = udev_monitor_receive_device(m_monitor))
        udev_device_unref(device);
    m_debounce->start();
}

void LinuxHidBackend::onPoll()
{
    QStringList seen;
    for (const HidDeviceInfo &info : enumerate())
        seen << info.instanceId;
    if (seen != m_lastSeen) {
        m_lastSeen = seen;
        notifyChange();
    }
}

void LinuxHidBackend::notifyChange()
{
    if (m_changeHandler)
        m_changeHandler();
}

std::vector<HidDeviceInfo> LinuxHidBackend::enumerate()
{
    std::vector<HidDeviceInfo> devices;
    if (!m_udev)
        return devices;
    udev_enumerate *scan = udev_enumerate_new(m_udev);
    udev_enumerate_add_match_subsystem(scan, "hidraw");
    udev_enumerate_scan_devices(scan);
    for (udev_list_entry *entry = udev_enumerate_get_list_entry(scan); entry; entry = udev_list_entry_get_next(entry)) {
        udev_device *hidraw = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (!hidraw)
            continue;
        HidDeviceInfo info;
        info.path = QString::fromUtf8(udev_device_get_devnode(hidraw) ? udev_device_get_devnode(hidraw) : "");
        udev_device *usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device");
        // The bus address changes on every plug, so it tells a re-plugged
        // device from the one before.
        info.instanceId = QString::fromUtf8(udev_device_get_syspath(hidraw)) + QLatin1Char('@')
                          + attribute(usb, "busnum") + QLatin1Char(':') + attribute(usb, "devnum");
        info.manufacturer = attribute(usb, "manufacturer");
        info.product = attribute(usb, "product");
        info.serialNumber = attribute(usb, "serial");
        info.vendorId = static_cast<std::uint16_t>(attribute(usb, "idVendor").toUInt(nullptr, 16));
        info.productId = static_cast<std::uint16_t>(attribute(usb, "idProduct").toUInt(nullptr, 16));
        if (!info.path.isEmpty())
            devices.push_back(std::move(info));
        udev_device_unref(hidraw);
    }
    udev_enumerate_unref(scan);
    std::sort(devices.begin(), devices.end(),
              [](const HidDeviceInfo &a, const HidDeviceInfo &b) { return a.path < b.path; });
    return devices;
}

std::unique_ptr<HidChannel> LinuxHidBackend::open(const HidDeviceInfo &device, int &error)
{
    error = HidError::Ok;
    const int fd = ::open(device.path.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = hidErrorFromErrno(errno);
        return nullptr;
    }
    // Find the same device on libusb's side by bus and address.
    const qsizetype at = device.instanceId.lastIndexOf(QLatin1Char('@'));
    const QStringList address = device.instanceId.mid(at + 1).split(QLatin1Char(':'));
    libusb_device_handle *handle = nullptr;
    if (m_usb && address.size() == 2) {
        libusb_device **list = nullptr;
        const ssize_t n = libusb_get_device_list(m_usb, &list);
        for (ssize_t i = 0; i < n; ++i) {
            if (libusb_get_bus_number(list[i]) == address[0].toInt()
                && libusb_get_device_address(list[i]) == address[1].toInt()) {
                const int result = libusb_open(list[i], &handle);
                if (result != 0) {
                    error = hidErrorFromLibusb(result);
                    handle = nullptr;
                }
                break;
            }
        }
        if (list)
            libusb_free_device_list(list, 1);
    }
    if (!handle) {
        ::close(fd);
        if (error == HidError::Ok)
            error = HidError::DeviceGone;
        return nullptr;
    }
    // The first language the device declares (descriptor 0).
    unsigned char languages[255] = {};
    std::uint16_t language = 0x0409;
    const int got = libusb_get_string_descriptor(handle, 0, 0, languages, sizeof languages);
    if (got >= 4 && languages[1] == LIBUSB_DT_STRING)
        language = static_cast<std::uint16_t>(languages[2] | (languages[3] << 8));
    return std::make_unique<LinuxHidChannel>(fd, handle, language);
}
