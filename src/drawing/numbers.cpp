#include "drawing/numbers.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view withoutPlus(std::string_view text)
{
    // from_chars refuses a leading "+"; a second sign after it stays and fails.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return {}; // "+-1" is no number
    }
    return text;
}

// from_chars also reads "inf", "nan" and hexadecimal-looking text in some
// forms; a drawing number holds only these characters.
bool onlyDecimalCharacters(std::string_view text)
{
    for (char c : text) {
        const bool ok = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!ok)
            return false;
    }
    return true;
}

// The powers of ten a double holds exactly.
constexpr std::array<double, 23> ExactPowersOfTen {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common form of a drawing number, "[-]digits[.digits]" with at most 19
// digits that make a whole number up to 2^53: that number and the power of
// ten are exact doubles, so one division gives the correctly rounded value,
// the one the general conversion gives. False leaves the text to it.
bool parsePlainDecimal(std::string_view text, double &value)
{
    std::size_t i = 0;
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        ++i;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = -1; // digits after the point, -1 before it
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 19)
                return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            if (fraction >= 0)
                ++fraction;
        } else if ((c == '.' || c == ',') && fraction < 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    if (digits == 0 || mantissa > (std::uint64_t {1} << 53))
        return false;
    double result = static_cast<double>(mantissa);
    if (fraction > 0)
        result /= ExactPowersOfTen[static_cast<std::size_t>(fraction)];
    value = negative ? -result : result;
    return true;
}

} // namespace

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool ParseReal(std::string_view text, double &value)
{
    text = withoutPlus(TrimBlanks(text));
    if (parsePlainDecimal(text, value))
        return true;
    if (text.empty() || text.size() > 64)
        return false;
    std::array<char, 64> buffer {};
    for (std::size_t i = 0; i < text.size(); ++i)
        buffer[i] = text[i] == ',' ? '.' : text[i];
    const std::string_view normalised(buffer.data(), text.size());
    if (!onlyDecimalCharacters(normalised))
        return false;
    double result = 0.0;
    const auto [end, ec] = std::from_chars(normalised.data(), normalised.data() + normalised.size(), result);
    if (ec != std::errc() || end != normalised.data() + normalised.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool ParseInt(std::string_view text, std::int32_t &value)
{
    text = withoutPlus(TrimBlanks(text));
    if (text.empty())
        return false;
    std::int32_t result = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    value = result;
    return true;
}

std::optional<double> ParseRealPrefix(std::string_view text)
{
    text = withoutPlus(text);
    double result = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec == std::errc::result_out_of_range)
        return std::nullopt;
    if (ec != std::errc() || !std::isfinite(result))
        return 0.0;
    return result;
}
