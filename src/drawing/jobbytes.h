#pragma once

#include "drawing/jobformat.h"

#include <algorithm>
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

inline void Append(std::string &out, const TBytes &bytes)
{
    out.append(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

// A pause of n in chunks of 250; a negative pause is written as 0.
void AppendPause(std::string &out, long long n);
