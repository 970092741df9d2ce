#include "project/holedrilling.h"

#include "app/common.h"
#include "app/units.h"

#include <QString>

#include <charconv>
#include <initializer_list>
#include <utility>

namespace {

// Fixed notation with at most seven significant digits and the unit's
// decimals, with a "." whatever the locale: the DXF reader reads it back in
// the same unit.
QByteArray Number(double mm, int unit)
{
    const double value = double(Units::MmToUnit(unit, mm));
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 7).ptr;
    double significant = 0;
    std::from_chars(digits, end, significant);
    return FixedText(significant, UnitDecimals(unit)).toLatin1();
}

void Line(QByteArray &out, const QByteArray &text)
{
    out += text;
    out += "\r\n";
}

void Polyline(QByteArray &out, std::initializer_list<std::pair<double, double>> vertices, int unit)
{
    Line(out, "  0");
    Line(out, "POLYLINE");
    for (const auto &[x, y] : vertices) {
        Line(out, "  0");
        Line(out, "VERTEX");
        Line(out, "  10");
        Line(out, Number(x, unit));
        Line(out, "  20");
        Line(out, Number(y, unit));
        Line(out, "  30");
        Line(out, Number(0, unit));
    }
    Line(out, "  0");
    Line(out, "SEQEND");
}

} // namespace

QByteArray ZapiszDXFkrzyzToPunkt(double x, double y, double width, double height, int unit)
{
    QByteArray out;
    Line(out, "  0");
    Line(out, "SECTION");
    Line(out, "  2");
    Line(out, "ENTITIES");
    Polyline(out, {{0, 0}, {0, height}, {width, height}, {width, 0}, {0, 0}}, unit);
    Polyline(out, {{x, y - 1}, {x, y + 1}}, unit);
    Polyline(out, {{x - 1, y}, {x + 1, y}}, unit);
    Line(out, "  0");
    Line(out, "ENDSEC");
    Line(out, "  0");
    Line(out, "EOF");
    return out;
}
