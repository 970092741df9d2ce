#include "drawing/drawingexport.h"

#include <charconv>
#include <string_view>

namespace {

// Appends through a buffer the caller has sized for the longest value.
class TTextOut
{
public:
    explicit TTextOut(std::string &out)
        : m_out(out)
    { }

    void text(std::string_view s) { m_out.append(s); }
    void integer(std::int32_t value)
    {
        char buffer[16];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_out.append(buffer, result.ptr);
    }
    // units * 1000 / 40000 mm: a multiple of 0.025, so three decimals are
    // exact and no value lies halfway between two written ones.
    void millimetres(std::int32_t units)
    {
        const double mm = UnitsToMm(units);
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed, 3);
        m_out.append(buffer, result.ptr);
    }

private:
    std::string &m_out;
};

std::size_t pointCount(const std::vector<tfigura> &figures)
{
    std::size_t count = 0;
    for (const tfigura &figure : figures)
        count += figure.points.size();
    return count;
}

} // namespace

std::string ExportHpgl(const std::vector<tfigura> &figures)
{
    std::string bytes;
    // "PD -21474835,-21474835;\r\n" is 25 bytes.
    bytes.reserve(pointCount(figures) * 25 + figures.size() * 5);
    TTextOut out(bytes);
    for (const tfigura &figure : figures) {
        if (figure.points.empty())
            continue;
        bool first = true;
        for (const TPlotPoint &p : figure.points) {
            out.text(first ? "PA " : "PD ");
            out.integer(p.x);
            out.text(",");
            out.integer(p.y);
            out.text(";\r\n");
            first = false;
        }
        out.text("PU;\r\n");
    }
    return bytes;
}

std::string ExportDxf(const std::vector<tfigura> &figures)
{
    std::string bytes;
    bytes.reserve(pointCount(figures) * 80 + figures.size() * 32 + 64);
    TTextOut out(bytes);
    out.text("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n");
    for (const tfigura &figure : figures) {
        if (figure.points.empty())
            continue;
        out.text("  0\r\nPOLYLINE\r\n");
        for (const TPlotPoint &p : figure.points) {
            out.text("  0\r\nVERTEX\r\n  10\r\n");
            out.millimetres(p.x);
            out.text("\r\n  20\r\n");
            out.millimetres(p.y);
            out.text("\r\n  30\r\n0.000\r\n");
        }
        out.text("  0\r\nSEQEND\r\n");
    }
    out.text("  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    return bytes;
}
