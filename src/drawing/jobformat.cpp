#include "drawing/jobformat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Total lengths indexed by (letter & 0xDF) - 64: '@', 'A' .. 'Z'.
// 'T' holds the old protocol's 3; commandLength decides the protocol.
constexpr std::array<std::uint8_t, 27> CommandLengthTable = {
    1, 6, 2, 1, 1, 1, 2, 1, 2, 2, 1, 1, 3, 1, 4, 1, 2, 1, 3, 6, 3, 7, 4, 1, 1, 1, 1,
};

void append(TBytes &out, const TBytes &more)
{
    out.insert(out.end(), more.begin(), more.end());
}

void appendRecord(TBytes &out, std::uint8_t letter, std::uint8_t tag, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    out.insert(out.end(), {letter, tag, static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>((u >> 8) & 0xFF),
                           static_cast<std::uint8_t>((u >> 16) & 0xFF), static_cast<std::uint8_t>(u >> 24)});
}

// Nearest, halves to even. In the default rounding mode std::rint gives the
// value std::nearbyint gives, without saving and restoring the floating-point
// environment on every call (ten times faster; a job rounds millions of times).
long double roundedLength(long double squared)
{
    return std::rint(std::sqrt(squared + 0.5L));
}

} // namespace

TBytes Int16ToBytes(std::int16_t value)
{
    const auto u = static_cast<std::uint16_t>(value);
    return {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)};
}

TBytes Int32ToBytes(std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>((u >> 8) & 0xFF),
            static_cast<std::uint8_t>((u >> 16) & 0xFF), static_cast<std::uint8_t>(u >> 24)};
}

std::optional<int> commandLength(std::uint8_t letter, bool newProtocol)
{
    const int index = (letter & 0xDF) - 64;
    if (index < 0 || index >= int(CommandLengthTable.size()))
        return std::nullopt;
    if (index == 'T' - 64)
        return newProtocol ? 6 : 3;
    return CommandLengthTable[index];
}

double MoveStepCount(const TAxisDeltas &d)
{
    const auto sq = [](std::int32_t v) { return static_cast<long double>(v) * v; };
    const long double front = sq(d.x1) + sq(d.y1);
    const long double back = sq(d.x2) + sq(d.y2);
    // Rounding, the square root and the sum all keep order, so the largest of
    // the six lengths is the one of the largest wire end and rotary axis.
    const long double rotary = std::max({sq(d.s), sq(d.w), sq(d.z)});
    return static_cast<double>(roundedLength(std::max(front, back) + rotary));
}

TMoveCommand BuildMoveCommand(std::uint8_t letter, std::int32_t multiplier, const TAxisDeltas &d)
{
    TMoveCommand move;
    const long double count = std::rint(static_cast<long double>(MoveStepCount(d))) * multiplier;
    if (count > std::numeric_limits<std::int32_t>::max()) {
        move.ticks = static_cast<std::int64_t>(count);
        move.overflow = true;
        return move;
    }
    move.ticks = static_cast<std::int64_t>(count);
    if (move.ticks < 1)
        return move;
    move.bytes.reserve(6 * 10); // header, up to eight axes, step count
    appendRecord(move.bytes, letter, AxisTag::Header, 0);
    const std::array<std::pair<std::uint8_t, std::int32_t>, 8> axes = {{
        {AxisTag::X1, d.x1},
        {AxisTag::X2, d.x2},
        {AxisTag::Y1, d.y1},
        {AxisTag::Y2, d.y2},
        {AxisTag::S, d.s},
        {AxisTag::W, d.w},
        {AxisTag::Z, d.z},
        {AxisTag::Third, d.third},
    }};
    for (const auto &[tag, delta] : axes) {
        if (delta != 0)
            appendRecord(move.bytes, letter, tag, delta);
    }
    appendRecord(move.bytes, letter, AxisTag::StepCount, static_cast<std::int32_t>(move.ticks));
    return move;
}

TBytes PauseCommand(std::int32_t n)
{
    TBytes out;
    n = std::max(n, 0);
    while (n > 250) {
        out.push_back('p');
        out.push_back(0xFA);
        n -= 250;
    }
    out.push_back('p');
    out.push_back(static_cast<std::uint8_t>(n));
    return out;
}

TBytes SpeedModeCommand(std::uint8_t mode)
{
    return {'f', mode};
}

TBytes SpeedCommand(std::uint8_t mode, std::int16_t period)
{
    TBytes out {'v', mode};
    append(out, Int16ToBytes(period));
    return out;
}

TBytes HeatingOnCommand(std::uint8_t wireSelector)
{
    return {'r', 0x01, wireSelector};
}

TBytes HeatingOffCommand()
{
    return {'r', 0x00, 0x02};
}

TBytes PowerCommand(std::uint8_t wireSelector, std::int32_t power, bool newProtocol)
{
    TBytes out {'t', wireSelector};
    if (newProtocol)
        append(out, Int32ToBytes(power));
    else
        out.push_back(static_cast<std::uint8_t>(power & 0xFF));
    return out;
}

TBytes SettingCommand(std::uint8_t number, std::int32_t value)
{
    TBytes out {'s', number};
    append(out, Int32ToBytes(value));
    return out;
}
