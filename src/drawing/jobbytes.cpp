#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <limits>

long double RoundHalfEven(long double value)
{
    // std::rint and std::nearbyint give the same value in the default
    // rounding mode (nearest, halves to even); rint may also raise the
    // inexact flag, which nothing reads, and is one instruction where
    // nearbyint saves and restores the floating-point environment: a job of
    // a million moves rounds some ten million times.
    return std::rint(value);
}

std::int64_t RoundToInt64Slow(long double value)
{
    constexpr long double lo = -9223372036854775808.0L;
    constexpr long double hi = 9223372036854774784.0L; // largest long double below 2^63
    if (value >= lo && value <= hi)
        return std::llrint(value); // rounds as RoundHalfEven does
    if (value < lo)
        return std::numeric_limits<std::int64_t>::min();
    if (value > hi)
        return std::numeric_limits<std::int64_t>::max();
    return 0; // not a number
}

void AppendPause(std::string &out, long long n)
{
    // Pauses come from settings of at most 10000 ms; the bytes are those of
    // PauseCommand, written in place (a corner pause follows many moves).
    n = std::clamp<long long>(n, 0, 10000000);
    while (n > 250) {
        out.append("p\xFA", 2);
        n -= 250;
    }
    out.push_back('p');
    out.push_back(static_cast<char>(static_cast<std::uint8_t>(n)));
}
