#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::int64_t RoundToInt64(long double value)
{
    if (!std::isfinite(value))
        return 0;
    constexpr long double lo = -9223372036854775808.0L;
    constexpr long double hi = 9223372036854774784.0L; // largest long double below 2^63
    return static_cast<std::int64_t>(std::clamp(std::nearbyint(value), lo, hi));
}

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::int32_t RoundToInt32(long double value)
{
    return ClampToInt32(RoundToInt64(value));
}

void AppendInt32(std::string &out, std::int32_t value)
{
    Append(out, Int32ToBytes(value));
}

void AppendPause(std::string &out, long long n)
{
    // Pauses come from settings of at most 10000 ms.
    Append(out, PauseCommand(static_cast<std::int32_t>(std::clamp<long long>(n, 0, 10000000))));
}
