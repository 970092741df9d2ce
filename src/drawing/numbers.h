#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Locale-free number conversion for the drawing readers. Every conversion
// takes the whole text (after trimming blanks); "nan", "inf" and values
// outside the type's range are failures, never numbers.

std::string_view TrimBlanks(std::string_view text);

// A decimal real: optional sign (+ or -), digits with an optional "." and
// an optional exponent. A "," counts as the decimal point.
bool ParseReal(std::string_view text, double &value);

// A decimal int32 with an optional sign.
bool ParseInt(std::string_view text, std::int32_t &value);

// The value of the longest leading real of the text (0 when there is none);
// for conversions whose failure is recorded and passed over. Nothing when
// that real lies outside the range of a double (hundreds of digits): such a
// number is no coordinate to pass over.
std::optional<double> ParseRealPrefix(std::string_view text);
