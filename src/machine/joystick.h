#pragma once

#include "machine/sterowanie.h"

#include <QString>

#include <optional>

// The first joystick of the Linux joystick interface, read without
// blocking. No joystick is not an error: `read()` then gives nothing.
class LinuxJoystick
{
public:
    explicit LinuxJoystick(QString device = QStringLiteral("/dev/input/js0"));
    ~LinuxJoystick();
    LinuxJoystick(const LinuxJoystick &) = delete;
    LinuxJoystick &operator=(const LinuxJoystick &) = delete;

    // The state after every event that waited; nothing without a joystick.
    std::optional<JoystickState> read();

    // A Linux axis value (-32767 .. 32767) on the panel's 0 .. 65535 scale.
    static int axisValue(int linuxValue);

private:
    QString m_device;
    int m_fd = -1;
    JoystickState m_state;
};
