#include "model3d/modelinput.h"

#include "app/units.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

const char *find(const char *from, const char *end, char c)
{
    const void *hit = std::memchr(from, c, std::size_t(end - from));
    return hit ? static_cast<const char *>(hit) : end;
}

// from_chars takes no "+"; a second sign after it stays and fails.
bool dropPlus(std::string_view &text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return false;
    }
    return !text.empty();
}

} // namespace

TModelLines::TModelLines(std::string_view text)
    : m_begin(text.data())
    , m_pos(text.data())
    , m_end(text.data() + text.size())
{ }

bool TModelLines::next(std::string_view &line)
{
    if (m_pos >= m_end)
        return false;
    if (!m_lf || m_lf < m_pos)
        m_lf = find(m_pos, m_end, '\n');
    if (!m_cr || m_cr < m_pos)
        m_cr = find(m_pos, m_end, '\r');
    const char *stop = m_lf < m_cr ? m_lf : m_cr;
    line = std::string_view(m_pos, std::size_t(stop - m_pos));
    if (stop == m_end)
        m_pos = m_end;
    else if (*stop == '\r' && stop + 1 < m_end && stop[1] == '\n')
        m_pos = stop + 2;
    else
        m_pos = stop + 1;
    return true;
}

bool ParseModelReal(std::string_view text, double &value)
{
    if (!dropPlus(text))
        return false;
    double result = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, result);
    // from_chars also reads "inf" and "nan"; they are no coordinates.
    if (ec != std::errc() || ptr != end || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool ParseModelInt(std::string_view text, long long &value)
{
    if (!dropPlus(text))
        return false;
    long long result = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, result);
    if (ec != std::errc() || ptr != end)
        return false;
    value = result;
    return true;
}

double ModelUnitFactor(int unit)
{
    return double(Units::factor(unit));
}

float NarrowToFloat(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (std::abs(value) <= largest)
        return float(value);
    if (std::isnan(value))
        return std::numeric_limits<float>::quiet_NaN();
    return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
}
