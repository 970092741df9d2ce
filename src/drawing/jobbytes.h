#pragma once

#include "drawing/jobformat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

// The job writer assembles its commands in one byte string; these append the
// job-file commands to it and carry the writer's rounding rule (nearest,
// halves to even, extended precision).

// Round to nearest, halves to even, as std::nearbyint does in the default
// rounding mode.
long double RoundHalfEven(long double value);
// The same, clamped into the range; 0 for a value that is not a number.
std::int64_t RoundToInt64Slow(long double value);
inline std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

inline std::int64_t RoundToInt64(long double value)
{
    // Below 2^62 in magnitude, adding 1.5 * 2^63 rounds the value to a whole
    // number in the default rounding mode (nearest, halves to even): the
    // extended type's 64-bit mantissa has no fraction bits left at that size,
    // and the mantissa then holds the rounded value plus 0xC000000000000000.
    // Reading it back avoids the slow conversion of the extended type to an
    // integer; the writer rounds some ten million times per job of a million
    // points.
    if constexpr (std::numeric_limits<long double>::digits == 64) {
        if (value > -0x1p62L && value < 0x1p62L) {
            const long double shifted = value + 0x1.8p63L;
            std::uint64_t mantissa = 0;
            std::memcpy(&mantissa, &shifted, sizeof mantissa);
            return static_cast<std::int64_t>(mantissa - 0xC000000000000000ULL);
        }
    }
    return RoundToInt64Slow(value);
}

inline std::int32_t RoundToInt32(long double value)
{
    return ClampToInt32(RoundToInt64(value));
}

// The writer's hot roundings, each giving exactly the integer that rounding
// its expression in long double gives (the comment at each names it). They
// decide in double or in 64-bit integers where that is provably the same
// and leave the rare rest to the extended type.
namespace JobRounding {

// Round(value * factor) for a factor below 2^10 whose product with a double is
// exact in the extended type (53 + 10 bits fit its 64): the product is formed
// exactly from the double's mantissa and shifted with halves to even. False
// for values that are not finite or whose result would not stay below 2^62.
inline bool RoundTimesSmall(double value, std::uint32_t factor, std::int64_t &out)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0x7FF)
        return false;
    std::uint64_t mantissa = bits & ((std::uint64_t {1} << 52) - 1);
    int exponent = -1074; // value = mantissa * 2^exponent
    if (biased != 0) {
        mantissa |= std::uint64_t {1} << 52;
        exponent = biased - 1075;
    }
    const std::uint64_t product = mantissa * factor; // below 2^63
    std::uint64_t rounded = 0;
    if (exponent >= 0) {
        if (exponent >= 62 || product >= (std::uint64_t {1} << (62 - exponent)))
            return false;
        rounded = product << exponent;
    } else if (exponent > -64) {
        const int shift = -exponent;
        rounded = product >> shift;
        const std::uint64_t rest = product & ((std::uint64_t {1} << shift) - 1);
        const std::uint64_t half = std::uint64_t {1} << (shift - 1);
        if (rest > half || (rest == half && (rounded & 1) != 0))
            ++rounded;
    } // else the product is below 2^63 * 2^-64, under a half: 0
    const auto magnitude = static_cast<std::int64_t>(rounded);
    out = (bits >> 63) != 0 ? -magnitude : magnitude;
    return true;
}

// Rounds c, the double evaluation of an expression of at most three
// correctly rounded multiplications and divisions, when c is far enough from
// a half to be sure: the double result lies within 3 * 2^-53 |c| of the exact
// one and the extended result within 3 * 2^-64 |c|, so when c keeps more than
// 2^-48 |c| away from the nearest half both round to the same integer. False
// when c is too close to a half, too large or not finite.
inline bool RoundIfClear(double c, std::int64_t &out)
{
    if (!(c > -0x1p51 && c < 0x1p51))
        return false;
    // Adding 1.5 * 2^52 leaves no fraction bits, so the sum is c rounded to
    // nearest, halves to even, in the default rounding mode.
    constexpr double shift = 0x1.8p52;
    const double sum = c + shift;
    const double whole = sum - shift;
    const double fraction = c - whole; // exact: c and whole are within a half
    const double toHalf = 0.5 - std::fabs(fraction);
    if (!(toHalf > std::fabs(c) * 0x1p-48 + 0x1p-1000))
        return false;
    out = static_cast<std::int64_t>(whole);
    return true;
}

} // namespace JobRounding

// Round(res * mm * 100) evaluated in long double as ((res * mm) * 100): a
// millimetre target as controller steps.
inline std::int32_t RoundMmToSteps(double res, double mm)
{
    std::int64_t steps = 0;
    // At resolution 1 the product is exact; the targets of a drawing (whole
    // plotter units of 0.025 mm) often sit exactly on a half step there.
    if (res == 1.0 ? JobRounding::RoundTimesSmall(mm, 100, steps) : JobRounding::RoundIfClear(res * mm * 100.0, steps))
        return ClampToInt32(steps);
    return RoundToInt32(static_cast<long double>(res) * mm * 100.0L);
}

// Round(skala * v / 100) evaluated in long double: plotter units scaled by the
// scale in percent.
inline std::int32_t RoundScaledUnits(double skala, std::int32_t v)
{
    std::int64_t scaled = 0;
    if (skala == 100.0)
        return v; // 100 v is exact and so is its quotient by 100
    if (JobRounding::RoundIfClear(skala * static_cast<double>(v) / 100.0, scaled))
        return ClampToInt32(scaled);
    return RoundToInt32(skala * static_cast<long double>(v) / 100.0L);
}

// Round(stepsPerTurn * turns) evaluated in long double: a rotary delta.
inline std::int32_t RoundTurnsToSteps(std::int32_t stepsPerTurn, double turns)
{
    std::int64_t steps = 0;
    if (JobRounding::RoundIfClear(static_cast<double>(stepsPerTurn) * turns, steps))
        return ClampToInt32(steps);
    return RoundToInt32(static_cast<long double>(stepsPerTurn) * turns);
}

// UnitsToMm, units * 1000 / 40000 in long double and then as a double, is the
// correctly rounded units / 40: a quotient that is not exact repeats the bit
// pattern of a fifth (0011) forever, so the extended result never lands on a
// midpoint of two doubles and the second rounding agrees with the first.
inline double UnitsToMmFast(std::int32_t units)
{
    return static_cast<double>(units) / 40.0;
}

inline void Append(std::string &out, const TBytes &bytes)
{
    out.append(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

// A pause of n in chunks of 250; a negative pause is written as 0.
void AppendPause(std::string &out, long long n);
