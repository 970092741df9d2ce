#include "model3d/rawreader.h"

#include <array>
#include <cmath>

namespace {

bool isFieldBreak(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

// Fields are runs of anything but blanks and tabs, so leading, trailing and repeated blanks
// do not count; a line of more than nine fields is no triangle (the exporters write nine).
bool ParseRawLine(std::string_view line, double unitFactor, TRawTriangle &triangle, TModelBox &box)
{
    std::array<float, 9> values {};
    std::size_t count = 0;
    const std::size_t n = line.size();
    std::size_t i = 0;
    for (;;) {
        while (i < n && isFieldBreak(line[i]))
            ++i;
        if (i == n)
            break;
        const std::size_t start = i;
        while (i < n && !isFieldBreak(line[i]))
            ++i;
        double value = 0;
        if (count == values.size() || !ParseModelReal(line.substr(start, i - start), value))
            return false;
        // Times the unit in double, stored as a float once.
        values[count] = NarrowToFloat(value * unitFactor);
        if (!std::isfinite(values[count]))
            return false;
        ++count;
    }
    if (count != values.size())
        return false;
    triangle
        = {values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7], values[8]};
    box.GrowModelBox(triangle);
    return true;
}

TModelReadEnd ReadRawFile(std::string_view text, double unitFactor, std::vector<TRawTriangle> &triangles,
                          TModelBox &box, const TStopRequest &stop, std::size_t maxTriangles)
{
    TStopPoll stopRequested(stop);
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    TModelLines lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (stopRequested())
            return TModelReadEnd::Cancelled;
        if (line.find("Object") != std::string_view::npos)
            continue;
        TRawTriangle triangle;
        if (!ParseRawLine(line, unitFactor, triangle, box))
            continue;
        if (triangles.size() >= maxTriangles)
            return TModelReadEnd::TooManyTriangles;
        triangles.push_back(triangle);
    }
    return TModelReadEnd::Complete;
}
