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

std::uint8_t *putRecord(std::uint8_t *out, std::uint8_t letter, std::uint8_t tag, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    out[0] = letter;
    out[1] = tag;
    out[2] = static_cast<std::uint8_t>(u & 0xFF);
    out[3] = static_cast<std::uint8_t>((u >> 8) & 0xFF);
    out[4] = static_cast<std::uint8_t>((u >> 16) & 0xFF);
    out[5] = static_cast<std::uint8_t>(u >> 24);
    return out + 6;
}

// Nearest, halves to even. In the default rounding mode std::rint gives the
// value std::nearbyint gives, without saving and restoring the floating-point
// environment on every call.
long double roundedLength(long double squared)
{
    return std::rint(std::sqrt(squared + 0.5L));
}

// Round(sqrt(s + 0.5)) of short moves, the bulk of a finely divided drawing:
// the whole number n with n^2 - n <= s < n^2 + n (the rule below, by which
// s >= k^2 + k rounds up past k).
constexpr std::size_t ShortMoveLimit = 4096;
constexpr std::array<std::uint8_t, ShortMoveLimit> ShortMoveLengths = [] {
    std::array<std::uint8_t, ShortMoveLimit> lengths {};
    std::uint64_t n = 1;
    for (std::uint64_t s = 0; s < ShortMoveLimit; ++s) {
        while (s >= n * n + n)
            ++n;
        lengths[s] = static_cast<std::uint8_t>(n);
    }
    return lengths;
}();

// Round(sqrt(s + 0.5)) in integers, for s < 2^56. sqrt(s + 0.5) is never a
// half (k + 1/2 squared is k^2 + k + 1/4), so it rounds up past k = floor(sqrt
// s) exactly when s + 1/2 > k^2 + k + 1/4, that is s >= k^2 + k. The extended
// type gives the same: s + 0.5 is exact there, its root is correctly rounded
// to 64 bits (within 2^-37 at these sizes), and the exact root keeps at
// least 1/(8k + 8) > 2^-32 away from every half.
std::uint64_t roundedLengthExact(std::uint64_t s)
{
    if (s < ShortMoveLimit)
        return ShortMoveLengths[s];
    auto k = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(s)));
    // Below 2^52 s is exact as a double and its rounded root never reaches
    // the next whole number (sqrt(m^2 - 1) keeps 1/(2m) below m, more than
    // half an ulp); above, the root of the rounded s is mended in integers.
    if (s >= (std::uint64_t {1} << 52)) {
        while (k * k > s)
            --k;
        while ((k + 1) * (k + 1) <= s)
            ++k;
    }
    return s >= k * k + k ? k + 1 : k;
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

namespace {

// The largest of the six rounded lengths as an integer.
std::uint64_t stepCount(const TAxisDeltas &d)
{
    // Rounding, the square root and the sum all keep order, so the largest of
    // the six lengths is the one of the largest wire end and rotary axis.
    // Every square is below 2^62 and the sum below 2^64, exact in both the
    // extended type and 64-bit integers.
    const auto sq = [](std::int32_t v) {
        const auto m = static_cast<std::uint64_t>(v < 0 ? -std::int64_t {v} : std::int64_t {v});
        return m * m;
    };
    const std::uint64_t front = sq(d.x1) + sq(d.y1);
    const std::uint64_t back = sq(d.x2) + sq(d.y2);
    const std::uint64_t rotary = std::max({sq(d.s), sq(d.w), sq(d.z)});
    const std::uint64_t sum = std::max(front, back) + rotary;
    if (sum < (std::uint64_t {1} << 56))
        return roundedLengthExact(sum);
    // Moves of more than 2^28 steps: the extended type as written.
    return static_cast<std::uint64_t>(roundedLength(static_cast<long double>(sum)));
}

} // namespace

double MoveStepCount(const TAxisDeltas &d)
{
    return static_cast<double>(stepCount(d));
}

TMoveTicks MoveTicks(std::int32_t multiplier, const TAxisDeltas &d)
{
    // At most about 2^32.3 steps times an int32 multiplier: exact in 64 bits
    // but for multipliers beyond any machine's, where it saturates.
    TMoveTicks result;
    const auto steps = static_cast<std::int64_t>(stepCount(d));
    if (__builtin_mul_overflow(steps, std::int64_t {multiplier}, &result.ticks))
        result.ticks = multiplier > 0 ? std::numeric_limits<std::int64_t>::max()
                                      : std::numeric_limits<std::int64_t>::min();
    result.overflow = result.ticks > std::numeric_limits<std::int32_t>::max();
    return result;
}

std::size_t EncodeMoveCommand(std::uint8_t letter, const TAxisDeltas &d, std::int32_t ticks, std::uint8_t *out)
{
    std::uint8_t *p = putRecord(out, letter, AxisTag::Header, 0);
    const auto axis = [&](std::uint8_t tag, std::int32_t delta) {
        if (delta != 0)
            p = putRecord(p, letter, tag, delta);
    };
    axis(AxisTag::X1, d.x1);
    axis(AxisTag::X2, d.x2);
    axis(AxisTag::Y1, d.y1);
    axis(AxisTag::Y2, d.y2);
    axis(AxisTag::S, d.s);
    axis(AxisTag::W, d.w);
    axis(AxisTag::Z, d.z);
    axis(AxisTag::Third, d.third);
    p = putRecord(p, letter, AxisTag::StepCount, ticks);
    return static_cast<std::size_t>(p - out);
}

TMoveCommand BuildMoveCommand(std::uint8_t letter, std::int32_t multiplier, const TAxisDeltas &d)
{
    TMoveCommand move;
    const TMoveTicks count = MoveTicks(multiplier, d);
    move.ticks = count.ticks;
    move.overflow = count.overflow;
    if (count.overflow || count.ticks < 1)
        return move;
    std::uint8_t records[MaxMoveCommandLength];
    const std::size_t length = EncodeMoveCommand(letter, d, static_cast<std::int32_t>(count.ticks), records);
    move.bytes.assign(records, records + length);
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
