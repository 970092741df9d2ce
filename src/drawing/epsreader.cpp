#include "drawing/epsreader.h"

#include "drawing/jobbytes.h"
#include "drawing/numbers.h"

#include <array>
#include <cmath>

namespace {

constexpr TPlotPoint NoPoint {2147483647, 2147483647};
// 0.1 mm: MmToUnits(0.5 * 0.2).
constexpr double ReductionTolerance = 4.0;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The numbers a path operator takes; 0 for a line that is no path operator.
int pathParameterCount(std::string_view op)
{
    if (op.size() != 1)
        return 0;
    switch (op.front()) {
    case 'm':
    case 'l':
    case 'L':
        return 2;
    case 'c':
    case 'C':
        return 6;
    case 'v':
    case 'V':
    case 'y':
    case 'Y':
        return 4;
    default:
        return 0;
    }
}

bool endsPath(std::string_view op)
{
    if (op.size() != 1)
        return false;
    switch (op.front()) {
    case 'b':
    case 'B':
    case 's':
    case 'S':
    case 'f':
    case 'F':
    case 'n':
    case 'N':
        return true;
    default:
        return false;
    }
}

// Exactly `count` numbers, in millimetres.
bool readParameters(std::string_view words, int count, std::array<long double, 6> &values)
{
    int read = 0;
    std::size_t pos = 0;
    while (pos < words.size()) {
        while (pos < words.size() && isBlank(words[pos]))
            ++pos;
        if (pos == words.size())
            break;
        std::size_t end = pos;
        while (end < words.size() && !isBlank(words[end]))
            ++end;
        double value = 0.0;
        if (read == count || !ParseReal(words.substr(pos, end - pos), value))
            return false;
        values[static_cast<std::size_t>(read++)] = PointsToMm(value);
        pos = end;
    }
    return read == count;
}

long double unitsToMm(std::int32_t units)
{
    return static_cast<long double>(units) * 1000.0L / 40000.0L;
}

} // namespace

int AiColourToPen(std::string_view line)
{
    if (line == "0 1 1 0 K")
        return 3;
    if (line == "1 0 1 0 K")
        return 4;
    if (line == "0 0 1 0 K")
        return 6;
    return 0; // "0 0 0 1 K" and every other colour
}

long double PointsToMm(long double points)
{
    return points * 127.0L / 360.0L;
}

TEpsReader::TEpsReader(std::string_view text)
    : m_lines(text)
    , m_reduction(ReductionTolerance)
{
    m_eof = m_lines.atEnd();
}

bool TEpsReader::addMmPoint(TCurvePoint mm, tfigura &figure)
{
    const long double ux = RoundHalfEven(40000.0L * mm.x / 1000.0L);
    const long double uy = RoundHalfEven(40000.0L * mm.y / 1000.0L);
    if (!(std::abs(ux) <= MaxPlotCoordinate) || !(std::abs(uy) <= MaxPlotCoordinate))
        return false;
    // Whole numbers within int32: through double, which converts without
    // switching the x87 rounding mode per value.
    addPoint({static_cast<std::int32_t>(static_cast<double>(ux)),
              static_cast<std::int32_t>(static_cast<double>(uy))},
             figure);
    return true;
}

void TEpsReader::addPoint(TPlotPoint point, tfigura &figure)
{
    if (!m_hasSubpath) {
        m_subpathStart = point;
        m_hasSubpath = true;
    }
    if (point == m_last)
        return;
    figure.AddPoint(point);
    m_last = point;
}

bool TEpsReader::addCurve(char op, const long double *v, tfigura &figure)
{
    // A curve needs the current point of its path; without one it is left out.
    if (m_last == NoPoint)
        return true;
    const TCurvePoint p0 {unitsToMm(m_last.x), unitsToMm(m_last.y)};
    TCurvePoint p1;
    TCurvePoint p2;
    TCurvePoint p3;
    if (op == 'c' || op == 'C') {
        p1 = {v[0], v[1]};
        p2 = {v[2], v[3]};
        p3 = {v[4], v[5]};
    } else if (op == 'v' || op == 'V') {
        p1 = p0;
        p2 = {v[0], v[1]};
        p3 = {v[2], v[3]};
    } else {
        p1 = {v[0], v[1]};
        p2 = {v[2], v[3]};
        p3 = p2;
    }
    bool inRange = true;
    SampleEpsCurve(p0, p1, p2, p3, [&](TCurvePoint p) { inRange = inRange && addMmPoint(p, figure); });
    if (!inRange)
        return false;
    m_reduction.Reduce(figure.points);
    return true;
}

bool TEpsReader::processLine(std::string_view line, tfigura &figure, bool &complete)
{
    std::size_t blank = line.size();
    while (blank > 0 && !isBlank(line[blank - 1]))
        --blank;
    const std::string_view op = line.substr(blank);
    const std::string_view words = line.substr(0, blank);
    if (op == "K") {
        m_pen = AiColourToPen(line);
        figure.pen = static_cast<std::uint8_t>(m_pen);
        return true;
    }
    if (endsPath(op)) {
        complete = true;
        const bool closes = op.front() >= 'a';
        if (closes && m_hasSubpath)
            addPoint(m_subpathStart, figure);
        return true;
    }
    const int count = pathParameterCount(op);
    if (count == 0)
        return true;
    std::array<long double, 6> values {};
    if (!readParameters(words, count, values))
        return false;
    if (count == 2) {
        // Every sub-path of one path joins the same figure.
        if (op.front() == 'm')
            m_hasSubpath = false;
        return addMmPoint({values[0], values[1]}, figure);
    }
    return addCurve(op.front(), values.data(), figure);
}

bool TEpsReader::ReadFigure(tfigura &figure, TReadError &error)
{
    figure.pen = static_cast<std::uint8_t>(m_pen);
    m_last = NoPoint;
    m_hasSubpath = false;
    m_reduction.restart();
    bool complete = false;
    while (!complete && !m_eof) {
        const std::string_view line = TrimBlanks(m_lines.ReadTextLine());
        const bool exhausted = m_lines.atEnd();
        if (line == "%%EndSetup") {
            m_section = true;
        } else if (line == "%%EOF") {
            m_eof = true;
            break;
        } else if (m_section && !line.empty() && line.front() != '%') {
            // The last line of the file is read like any other.
            if (!processLine(line, figure, complete)) {
                error.kind = TReadError::Kind::Conversion;
                error.line = m_lines.lineCount();
                error.offset = static_cast<std::int64_t>(m_lines.lineOffset());
                error.quote(line);
                return false;
            }
        }
        m_eof = m_eof || exhausted;
    }
    figure.FinishReading();
    return true;
}
