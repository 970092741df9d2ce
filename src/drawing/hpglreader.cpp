#include "drawing/hpglreader.h"

#include "drawing/numbers.h"

#include <cmath>

namespace {

constexpr std::uint16_t mnemonic(char a, char b = 0)
{
    return static_cast<std::uint16_t>((static_cast<unsigned char>(a) << 8) | static_cast<unsigned char>(b));
}

constexpr std::uint16_t PW = mnemonic('P', 'W');
constexpr std::uint16_t SP = mnemonic('S', 'P');
constexpr std::uint16_t PR = mnemonic('P', 'R');
constexpr std::uint16_t PA = mnemonic('P', 'A');
constexpr std::uint16_t PD = mnemonic('P', 'D');
constexpr std::uint16_t PU = mnemonic('P', 'U');
constexpr std::uint16_t LB = mnemonic('L', 'B');
constexpr std::uint16_t DT = mnemonic('D', 'T');
constexpr std::uint16_t C = mnemonic('C');
constexpr std::uint16_t M = mnemonic('M');

constexpr char Esc = '\x1B';

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

bool inPlotRange(long double v)
{
    return v >= -MaxPlotCoordinate && v <= MaxPlotCoordinate;
}

} // namespace

THpglReader::THpglReader(std::string_view data)
    : m_data(data)
{
    m_look = nextToken();
}

double THpglReader::penWidth(int pen) const
{
    if (pen < 0 || pen >= PenCount)
        return 0.0;
    return m_penWidths[static_cast<std::size_t>(pen)];
}

THpglReader::Token THpglReader::nextToken()
{
    const std::size_t size = m_data.size();
    while (m_pos < size) {
        const char c = m_data[m_pos];
        if (isLetter(c)) {
            const std::size_t start = m_pos++;
            if (m_pos < size && isLetter(m_data[m_pos]))
                ++m_pos;
            return {TokenKind::Command, m_data.substr(start, m_pos - start), start};
        }
        if (isNumberChar(c)) {
            const std::size_t start = m_pos++;
            while (m_pos < size && isNumberChar(m_data[m_pos]))
                ++m_pos;
            return {TokenKind::Number, m_data.substr(start, m_pos - start), start};
        }
        if (c == Esc)
            skipEscape();
        else
            ++m_pos;
    }
    return {TokenKind::End, {}, size};
}

// Plot files sent to printers carry escape sequences around the HPGL: HP-GL
// device control (ESC . x params :), PCL sequences (ESC % -12345 X,
// ESC & l 1 O, ESC E) and PJL lines ("@PJL ...") after a UEL.
void THpglReader::skipEscape()
{
    const std::size_t size = m_data.size();
    ++m_pos;
    if (m_pos >= size)
        return;
    const char c = m_data[m_pos];
    const auto isValueChar
        = [](char v) { return (v >= '0' && v <= '9') || v == '+' || v == '-' || v == '.'; };
    if (c == '.') {
        m_pos += 2;
        while (m_pos < size && (isValueChar(m_data[m_pos]) || m_data[m_pos] == ';'))
            ++m_pos;
        if (m_pos < size && m_data[m_pos] == ':')
            ++m_pos;
        m_pos = std::min(m_pos, size);
        return;
    }
    if (c >= '!' && c <= '/') {
        ++m_pos;
        if (m_pos < size && m_data[m_pos] >= '`' && m_data[m_pos] <= '~')
            ++m_pos;
        char last = 0;
        while (m_pos < size) {
            while (m_pos < size && isValueChar(m_data[m_pos]))
                ++m_pos;
            if (m_pos >= size)
                break;
            last = m_data[m_pos];
            if (last >= '`' && last <= '~') {
                ++m_pos; // a combined sequence goes on
                continue;
            }
            if (last >= '@' && last <= '^')
                ++m_pos;
            break;
        }
        if (c == '%' && last == 'X') {
            // Universal exit: PJL lines may follow.
            while (m_pos < size) {
                while (m_pos < size && (m_data[m_pos] == '\r' || m_data[m_pos] == '\n'))
                    ++m_pos;
                if (m_pos >= size || m_data[m_pos] != '@')
                    break;
                while (m_pos < size && m_data[m_pos] != '\r' && m_data[m_pos] != '\n')
                    ++m_pos;
            }
        }
        return;
    }
    if (c >= '0' && c <= '~')
        ++m_pos;
}

void THpglReader::skipLabel()
{
    const std::size_t end = m_data.find(m_labelTerminator, m_pos);
    m_pos = end == std::string_view::npos ? m_data.size() : end + 1;
}

void THpglReader::readLabelTerminator()
{
    // "DT;" (or DT at the end) restores ETX; otherwise the very next
    // character is the new terminator.
    if (m_pos >= m_data.size() || m_data[m_pos] == ';') {
        m_labelTerminator = '\x03';
        return;
    }
    m_labelTerminator = m_data[m_pos++];
}

bool THpglReader::conversionError(TReadError &error, const Token &token) const
{
    error.kind = TReadError::Kind::Conversion;
    error.offset = static_cast<std::int64_t>(token.offset);
    error.line = 0;
    error.quote(token.text);
    return false;
}

// The second parameter, an integer, where a number follows the first.
bool THpglReader::readSecondParameter(TReadError &error)
{
    if (m_look.kind != TokenKind::Number)
        return true;
    if (!ParseInt(m_look.text, m_int2))
        return conversionError(error, m_look);
    m_count = 2;
    m_look = nextToken();
    return true;
}

bool THpglReader::readCommand(TReadError &error)
{
    m_count = 0;
    if (m_look.kind == TokenKind::Command) {
        const std::string_view text = m_look.text;
        m_mnemonic = mnemonic(upper(text[0]), text.size() > 1 ? upper(text[1]) : 0);
        m_commandOffset = m_look.offset;
        m_firstIsReal = true;
        if (m_mnemonic == LB)
            skipLabel();
        else if (m_mnemonic == DT)
            readLabelTerminator();
        m_look = nextToken();
        if (m_look.kind == TokenKind::Number) {
            // The first parameter converts as a real; where it stops being
            // a number is passed over, but not a number beyond any range.
            const std::optional<double> first = ParseRealPrefix(m_look.text);
            if (!first)
                return conversionError(error, m_look);
            m_real1 = *first;
            m_count = 1;
            m_look = nextToken();
            if (!readSecondParameter(error))
                return false;
        }
    } else if (m_look.kind == TokenKind::Number) {
        // A further pair of the same command, as in PD10,10,20,20.
        m_commandOffset = m_look.offset;
        m_firstIsReal = false;
        if (m_look.text == ".")
            m_int1 = 0;
        else if (!ParseInt(m_look.text, m_int1))
            return conversionError(error, m_look);
        m_count = 1;
        m_look = nextToken();
        if (!readSecondParameter(error))
            return false;
    } else {
        return true;
    }
    m_pending = true;
    return true;
}

bool THpglReader::target(bool relative, TPlotPoint &point, TReadError &error) const
{
    long double x = m_firstIsReal ? std::nearbyint(static_cast<long double>(m_real1)) : m_int1;
    long double y = m_int2;
    if (relative) {
        x += m_position.x;
        y += m_position.y;
    }
    if (!inPlotRange(x) || !inPlotRange(y)) {
        error.kind = TReadError::Kind::Conversion;
        error.offset = static_cast<std::int64_t>(m_commandOffset);
        error.quote(m_data.substr(m_commandOffset, m_pos - m_commandOffset));
        return false;
    }
    point = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
    return true;
}

void THpglReader::drawTo(tfigura &figure, TPlotPoint point)
{
    if (figure.points.empty() || !(figure.points.back() == point))
        figure.AddPoint(point);
    m_position = point;
}

bool THpglReader::process(tfigura &figure, TReadError &error)
{
    const bool pair = m_count >= 2;
    const long double first = m_firstIsReal ? static_cast<long double>(m_real1) : m_int1;
    TPlotPoint to = m_position;

    switch (m_mnemonic) {
    case PW:
        // "PW width,pen"; a width alone applies to every pen. Pens outside
        // the table are no pens and change nothing.
        if (m_count >= 2) {
            if (m_int2 >= 0 && m_int2 < PenCount)
                m_penWidths[static_cast<std::size_t>(m_int2)] = static_cast<double>(first);
        } else if (m_count == 1) {
            m_penWidths.fill(static_cast<double>(first));
        }
        return true;
    case SP: {
        const long double pen = m_count >= 1 ? std::nearbyint(first) : 0;
        if (pen < 0 || pen >= PenCount)
            return true;
        m_pen = static_cast<int>(pen);
        if (m_penDown)
            m_complete = true; // a pen change ends the figure
        return true;
    }
    case PR:
    case PA:
    case PD:
        if (m_mnemonic == PR)
            m_relative = true;
        else if (m_mnemonic == PA)
            m_relative = false;
        if (pair && !target(m_relative, to, error))
            return false;
        if (m_mnemonic == PD && !m_penDown) {
            // A stroke starts where the pen stands.
            figure.pen = static_cast<std::uint8_t>(m_pen);
            figure.penWidth = m_penWidths[static_cast<std::size_t>(m_pen)];
            figure.AddPoint(m_position);
            m_penDown = true;
        }
        if (m_penDown)
            drawTo(figure, to);
        else
            m_position = to;
        return true;
    case PU:
    case M:
        // "M" moves to an absolute point whatever "PA"/"PR" chose.
        if (pair && !target(m_mnemonic == PU && m_relative, to, error))
            return false;
        if (m_penDown) {
            m_penDown = false;
            m_complete = true;
        }
        m_position = to;
        return true;
    case C:
        if (pair && !target(false, to, error))
            return false;
        if (!m_penDown) {
            figure.AddPoint(m_position);
            m_penDown = true;
        }
        figure.AddPoint(to);
        m_position = to;
        return true;
    default:
        // IN, IP, SC, VS, LB, ...: nothing that moves the pen.
        return true;
    }
}

bool THpglReader::ReadFigure(tfigura &figure, TReadError &error)
{
    figure.pen = static_cast<std::uint8_t>(m_pen);
    m_complete = false;
    m_penDown = false;
    for (;;) {
        if (m_pending) {
            m_pending = false;
            if (!process(figure, error))
                return false;
        }
        if (m_complete || m_look.kind == TokenKind::End)
            break;
        if (!readCommand(error))
            return false;
    }
    figure.FinishReading();
    return true;
}
