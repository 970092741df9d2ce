#pragma once

#include "drawing/jobformat.h"

#include <cstdint>
#include <string>

// The job writer assembles its commands in one byte string; these append the
// job-file commands to it and carry the writer's rounding rule (nearest,
// halves to even, extended precision).

// Round to nearest (halves to even), clamped into the range; 0 for a value
// that is not a number.
std::int32_t RoundToInt32(long double value);
std::int64_t RoundToInt64(long double value);
std::int32_t ClampToInt32(std::int64_t value);

inline void Append(std::string &out, const TBytes &bytes)
{
    out.append(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

void AppendInt32(std::string &out, std::int32_t value);
// A pause of n in chunks of 250; a negative pause is written as 0.
void AppendPause(std::string &out, long long n);
