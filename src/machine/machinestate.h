#pragma once

#include <QString>

#include <array>
#include <cstdint>

// Status flag bits as the controller sends them (reply 10, bytes r2 .. r5).
namespace StatusFlag {
constexpr std::uint32_t Moving = 1u << 0;
constexpr std::uint32_t JobRunning = 1u << 1;
constexpr std::uint32_t HeatingOn = 1u << 2;
constexpr std::uint32_t Busy = 1u << 3;
constexpr std::uint32_t JobPaused = 1u << 6;
constexpr std::uint32_t BufferFull = 1u << (8 + 1);
constexpr std::uint32_t StartButton = 1u << (8 + 3);
constexpr std::uint32_t PauseButton = 1u << (8 + 4);
constexpr std::uint32_t ContinueButton = 1u << (8 + 5);
// A move was cut short where an axis reached the end of its travel. The
// program acts on nothing here; it tells a test or a look at the status
// that the controller, not the move, ended it.
constexpr std::uint32_t TravelLimit = 1u << (16 + 0);
constexpr std::uint32_t Homed = 1u << (16 + 2);
constexpr std::uint32_t BrokenWire = 1u << (16 + 3);
constexpr std::uint32_t RestoreHeating = 1u << (16 + 4);
} // namespace StatusFlag

// The controller's axis codes: move-record tags, homing mask bits and the
// order of the raw positions kept here.
namespace Axis {
constexpr int X1 = 0;
constexpr int Y1 = 1;
constexpr int S = 2;
constexpr int Z = 3;
constexpr int X2 = 4;
constexpr int Y2 = 5;
constexpr int W = 6;
constexpr int Third = 7;
} // namespace Axis

// The machine's state as last read from the controller. Linear positions in
// 0.01 mm, rotary positions in steps within one turn.
struct tplotstate
{
    std::uint32_t flags = 0;
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
    std::int32_t Z = 0;
    std::int32_t S = 0;
    std::int32_t X2 = 0;
    std::int32_t Y2 = 0;
    std::int32_t third = 0;
    std::int32_t W = 0;
    double Sangle = 0;
    double thirdAngle = 0;
    double Wangle = 0;
    // Raw step counts indexed by axis code (Axis::X1 .. Axis::Third).
    std::array<std::int32_t, 8> raw{};
    std::uint8_t speedMode = 0;
    std::uint8_t powerChannel = 0;
    std::uint16_t currentSpeed = 0;
    std::array<std::uint16_t, 5> speeds{};
    std::uint16_t powerSetting = 0;
    std::uint16_t measuredPower = 0;
    std::int32_t jobOriginX = 0;
    std::int32_t jobOriginY = 0;
    QString manufacturer;
    QString machineName;
    QString serialNumber;
    std::uint32_t workingTime = 0;
    std::uint32_t count = 0;
    std::uint8_t stateByte = 0;
    std::int32_t tensionSetting = 0;
    std::int32_t tensionMeasured = 0;
    QString family;

    bool has(std::uint32_t flag) const { return (flags & flag) != 0; }
};

// The one machine-state object: the last replies and the machine globals
// derived from identification (resolutions, travel, model limits).
struct MachineState
{
    tplotstate plot;

    // Controller steps per 0.01 mm of the X axes, the Y axes and Z.
    double resX = 1.0;
    double resY = 1.0;
    double resZ = 1.0;
    // Steps per turn of the spindle, the rotary table and the third axis.
    std::int32_t resW = 8000;
    std::int32_t resS = 8000;
    std::int32_t res3 = 8000;
    // The last resolutions the controller reported, before overrides and
    // calibration, so that a failed read never loses them. Until the first
    // good reply a failed read gives the controller's defaults.
    double readResX = 1.0;
    double readResY = 1.0;
    double readResZ = 1.0;
    std::int32_t readResW = 50000;
    std::int32_t readResS = 50000;
    std::int32_t readRes3 = 50000;

    double fcWidth = 600;
    double workingWidth = 0;
    std::int32_t limitX = 4800; // mm
    std::int32_t limitY = 2400;
    std::int32_t limitZ = 360;
    std::array<std::int32_t, 3> sideAreaLimits{4800, 2400, 360};
    std::uint16_t firmwareMajor = 0;
    std::uint16_t firmwareMinor = 0;
    std::int32_t powerFactor = 1;

    std::int32_t maxV = 5000; // mm/min
    std::int32_t maxWorkSpeed = 5000;
    std::int32_t wspV = 2;
    bool lj = false;
    bool busyWait = false;
    // Set when the transmitter sent "G"; the panel's poll clears it when it
    // sees the job end, a pause clears it and a continue sets it.
    bool jobStarted = false;
    bool rotaryMoved = false;

    // True when the firmware speaks the protocol with 32-bit heating power.
    bool isNewProtocol() const { return firmwareMajor >= 4 && firmwareMajor <= 9; }
    // wspV as a divisor: a switch may set 0 or less.
    std::int32_t wspDivisor() const { return wspV > 0 ? wspV : 1; }
};
