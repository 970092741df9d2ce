#include "machine/devicelink.h"

#include <algorithm>
#include <cstring>

namespace {
const QString kManufacturer = QStringLiteral("Korvanel");
constexpr int kReadTries = 10;
// The controller acknowledges some reports with a general failure; the link
// gives it this long before the next report.
constexpr int kGeneralFailurePauseMs = 500;
} // namespace

TfUsb::TfUsb(HidBackend &backend, MachineClock &clock, MachineSwitches switches)
    : m_backend(backend)
    , m_clock(clock)
    , m_switches(std::move(switches))
{
}

TfUsb::~TfUsb()
{
    m_selected.reset();
    if (m_controller) {
        for (HidDevicePtr &device : m_devices)
            m_controller->checkIn(device);
    }
    m_devices.clear();
}

void TfUsb::start(StatusHandler statusHandler)
{
    m_statusHandler = std::move(statusHandler);
    m_connected = false;
    m_controller = std::make_unique<HidDeviceController>(m_backend);
    // The first assignment runs the handler at once; with no enumeration
    // handler yet it lists nothing and reports no connection.
    m_controller->setOnDeviceChange([this] { deviceChange(); });
    m_controller->setOnEnumerate([this](const HidDevicePtr &, int index) {
        if (HidDevicePtr device = m_controller->checkOutByIndex(index))
            m_devices.push_back(std::move(device));
        return true;
    });
    m_controller->enumerate();
    const int greeting = Write("X", 1);
    // The status bar tells the state the link ended in, not that of the
    // first, empty notification.
    if (m_connected && m_statusHandler)
        m_statusHandler(greeting == HidError::AccessDenied ? QStringLiteral("brakDostepu") : QStringLiteral("polaczony"));
}

QString TfUsb::onlyMachine() const
{
    return m_switches.value(QStringLiteral("OnlyMachine")).value_or(QString());
}

bool TfUsb::qualifies(const HidDevice &device) const
{
    const HidDeviceInfo &info = device.info();
    if (!device.pluggedIn() || info.manufacturer != kManufacturer)
        return false;
    if (info.product.startsWith(QStringLiteral("bn"))) {
        const QString only = onlyMachine();
        return only.isEmpty() || only == info.product.trimmed();
    }
    // Other products only when the user names the machine himself.
    return m_switches.value(QStringLiteral("MachineName")).has_value();
}

bool TfUsb::KorvanelVqExist()
{
    if (m_connected)
        return true;
    for (const HidDevicePtr &device : m_devices) {
        if (qualifies(*device)) {
            m_selected = device;
            m_connected = true;
            ++m_connections;
            return true;
        }
    }
    m_connected = false;
    return false;
}

int TfUsb::writeReport()
{
    if (!m_selected->openFile()) {
        m_lastOpenError = m_selected->lastOpenError();
        return m_lastOpenError;
    }
    m_lastOpenError = HidError::Ok;
    const int result = m_selected->channel()->writeReport(m_report);
    if (result == HidError::Ok)
        m_bytesWritten = kHidReportSize;
    return result;
}

int TfUsb::Write(const QByteArray &command)
{
    return Write(command.constData(), static_cast<int>(command.size()));
}

int TfUsb::Write(const char *bytes, int length)
{
    m_bytesWritten = 0;
    if (!KorvanelVqExist())
        return -1;
    if (length < 0 || length > 2 * (kHidReportSize - 1))
        return HidError::InvalidParameter;

    // Padding is always zero: the controller finds a command's end from its
    // letter, but stale bytes of an earlier command must never reach it.
    m_report.fill(0);
    if (length <= kHidReportSize - 1) {
        std::memcpy(m_report.data() + 1, bytes, static_cast<std::size_t>(length));
        const int result = writeReport();
        if (result == HidError::GeneralFailure) {
            m_clock.sleepMs(kGeneralFailurePauseMs);
            ++m_writeFailures;
            return HidError::Ok;
        }
        return result;
    }

    std::memcpy(m_report.data() + 1, bytes, kHidReportSize - 1);
    const int first = writeReport();
    if (first != HidError::Ok)
        return first; // never send the second half of a command alone
    m_report.fill(0);
    std::memcpy(m_report.data() + 1, bytes + (kHidReportSize - 1),
                static_cast<std::size_t>(length - (kHidReportSize - 1)));
    return writeReport();
}

int TfUsb::ReadString(int n)
{
    int lastError = HidError::Ok;
    if (KorvanelVqExist()) {
        if (m_selected->openFile()) {
            m_lastOpenError = HidError::Ok;
            for (int attempt = 0; attempt < kReadTries; ++attempt) {
                int length = 0;
                const int result = m_selected->channel()->readIndexedString(n, m_reply, length);
                if (result == HidError::Ok) {
                    m_replyLength = std::clamp(length, 0, kHidReplySize);
                    return HidError::Ok;
                }
                ++m_readFailures;
                lastError = result;
            }
        } else {
            m_lastOpenError = m_selected->lastOpenError();
            lastError = m_lastOpenError;
        }
    }
    m_reply.fill(0);
    m_replyLength = 0;
    m_connected = false;
    return lastError != HidError::Ok ? lastError : -1;
}

void TfUsb::deviceChange()
{
    // Which machine was connected before, so that a device coming or going
    // elsewhere on the bus does not greet the machine again mid-job.
    const QString previous = (m_connected && m_selected && m_selected->pluggedIn())
                                 ? m_selected->info().instanceId
                                 : QString();
    m_selected.reset();
    for (HidDevicePtr &device : m_devices)
        m_controller->checkIn(device);
    m_devices.clear();
    m_connected = false;
    if (m_controller)
        m_controller->enumerate();

    const std::uint64_t connections = m_connections;
    if (KorvanelVqExist()) {
        const bool sameMachine = !previous.isEmpty() && previous == m_selected->info().instanceId;
        if (sameMachine)
            m_connections = connections; // the same connection, listed again
        QString key = QStringLiteral("polaczony");
        if (!sameMachine) {
            const int result = Write("X", 1);
            if (result == HidError::AccessDenied)
                key = QStringLiteral("brakDostepu");
        }
        if (m_statusHandler)
            m_statusHandler(key);
    } else if (m_statusHandler) {
        m_statusHandler(QStringLiteral("brakLacznosci"));
    }
}

void TfUsb::redetect()
{
    // Forgetting the selection makes the next device change greet whatever
    // machine it selects, whether or not the bus reports it as new.
    m_connected = false;
    if (m_controller)
        m_controller->rescan();
    if (!m_connected)
        deviceChange();
}
