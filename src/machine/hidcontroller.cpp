#include "machine/hidcontroller.h"

#include <algorithm>

HidDevice::HidDevice(HidBackend &backend, HidDeviceInfo info)
    : m_backend(backend)
    , m_info(std::move(info))
{
}

bool HidDevice::openFile()
{
    if (m_channel)
        return true;
    if (!m_pluggedIn || !(m_checkedOut || m_enumerating))
        return false;
    int error = HidError::Ok;
    m_channel = m_backend.open(m_info, error);
    m_lastOpenError = m_channel ? HidError::Ok : (error != HidError::Ok ? error : HidError::IoError);
    return m_channel != nullptr;
}

void HidDevice::closeFile()
{
    m_channel.reset();
}

HidDeviceController::HidDeviceController(HidBackend &backend)
    : m_backend(backend)
{
    for (HidDeviceInfo &info : m_backend.enumerate())
        m_devices.push_back(std::make_shared<HidDevice>(m_backend, std::move(info)));
    m_backend.setChangeHandler([this] { rescan(); });
}

HidDeviceController::~HidDeviceController()
{
    m_backend.setChangeHandler({});
    for (const HidDevicePtr &device : m_devices) {
        device->closeFile();
        if (device->m_checkedOut && device->m_onUnplug) {
            device->m_pluggedIn = false;
            auto onUnplug = std::move(device->m_onUnplug);
            device->m_onUnplug = {};
            onUnplug(*device);
        }
    }
}

void HidDeviceController::setOnDeviceChange(std::function<void()> handler, int tag)
{
    const bool differs = !handler || tag != m_onDeviceChangeTag || !m_onDeviceChange;
    if (differs) {
        m_onDeviceChange = std::move(handler);
        m_onDeviceChangeTag = m_onDeviceChange ? tag : 0;
        if (m_onDeviceChange && !m_firstNotificationDone)
            m_onDeviceChange();
    }
    m_firstNotificationDone = true;
}

void HidDeviceController::setOnEnumerate(std::function<bool(const HidDevicePtr &, int)> handler)
{
    m_onEnumerate = std::move(handler);
}

void HidDeviceController::setOnDeviceUnplug(std::function<void(HidDevice &)> handler)
{
    m_onUnplug = handler;
    for (const HidDevicePtr &device : m_devices)
        device->m_onUnplug = handler;
}

int HidDeviceController::enumerate()
{
    int visited = 0;
    if (!m_onEnumerate)
        return 0;
    // The handler may check devices out; iterate over a copy of the pointers.
    const std::vector<HidDevicePtr> devices = m_devices;
    for (int i = 0; i < static_cast<int>(devices.size()); ++i) {
        const HidDevicePtr &device = devices[static_cast<std::size_t>(i)];
        if (!device->m_pluggedIn)
            continue;
        ++visited;
        device->m_enumerating = true;
        const bool goOn = m_onEnumerate(device, i);
        device->m_enumerating = false;
        if (!device->m_checkedOut)
            device->closeFile();
        if (!goOn)
            break;
    }
    return visited;
}

HidDevicePtr HidDeviceController::checkOutByIndex(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    const HidDevicePtr &device = m_devices[static_cast<std::size_t>(index)];
    if (device->m_checkedOut)
        return nullptr;
    device->m_checkedOut = true;
    return device;
}

void HidDeviceController::checkIn(HidDevicePtr &device)
{
    if (!device)
        return;
    device->closeFile();
    device->m_checkedOut = false;
    if (!device->m_pluggedIn) {
        // An unplugged device stayed listed only while someone held it.
        std::erase(m_devices, device);
    }
    device.reset();
}

void HidDeviceController::rescan()
{
    std::vector<HidDeviceInfo> fresh = m_backend.enumerate();
    bool changed = false;

    auto inFresh = [&fresh](const QString &id) {
        return std::any_of(fresh.begin(), fresh.end(), [&id](const HidDeviceInfo &i) { return i.instanceId == id; });
    };
    std::vector<HidDevicePtr> kept;
    for (const HidDevicePtr &device : m_devices) {
        if (device->m_pluggedIn && !inFresh(device->m_info.instanceId)) {
            device->closeFile();
            device->m_pluggedIn = false;
            if (device->m_onUnplug) {
                auto onUnplug = std::move(device->m_onUnplug);
                device->m_onUnplug = {};
                onUnplug(*device);
            }
            changed = true;
            if (!device->m_checkedOut)
                continue;
        }
        kept.push_back(device);
    }
    m_devices = std::move(kept);

    for (HidDeviceInfo &info : fresh) {
        const bool known = std::any_of(m_devices.begin(), m_devices.end(), [&info](const HidDevicePtr &d) {
            return d->m_pluggedIn && d->m_info.instanceId == info.instanceId;
        });
        if (known)
            continue;
        auto device = std::make_shared<HidDevice>(m_backend, std::move(info));
        device->m_onUnplug = m_onUnplug;
        m_devices.push_back(std::move(device));
        changed = true;
    }

    if (changed && m_onDeviceChange)
        m_onDeviceChange();
}
