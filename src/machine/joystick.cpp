#include "machine/joystick.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/joystick.h>
#include <unistd.h>

LinuxJoystick::LinuxJoystick(QString device)
    : m_device(std::move(device))
{
}

LinuxJoystick::~LinuxJoystick()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int LinuxJoystick::axisValue(int linuxValue)
{
    return std::clamp(linuxValue + 32768, 0, 65535);
}

std::optional<JoystickState> LinuxJoystick::read()
{
    if (m_fd < 0) {
        m_fd = ::open(m_device.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return std::nullopt;
        m_state = {};
    }
    js_event event{};
    while (true) {
        const ssize_t got = ::read(m_fd, &event, sizeof event);
        if (got != static_cast<ssize_t>(sizeof event)) {
            if (got < 0 && errno == EAGAIN)
                break;
            // Unplugged: try again at the next read.
            ::close(m_fd);
            m_fd = -1;
            return std::nullopt;
        }
        const unsigned type = event.type & ~JS_EVENT_INIT;
        if (type == JS_EVENT_AXIS && event.number < 2) {
            (event.number == 0 ? m_state.x : m_state.y) = axisValue(event.value);
        } else if (type == JS_EVENT_BUTTON && event.number < 32) {
            if (event.value)
                m_state.buttons |= 1u << event.number;
            else
                m_state.buttons &= ~(1u << event.number);
        }
    }
    return m_state;
}
