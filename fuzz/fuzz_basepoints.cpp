// "base.txt" is a text file users may edit by hand: any line must read
// without a fault, and a line that reads must give a finite point that
// reads back the same once written again.

#include "app/units.h"
#include "machine/basepoints.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (int unit : {Units::Millimetre, Units::Inch, Units::Foot}) {
        const std::optional<BasePoint> point = ParseBasePointLine(line, unit);
        if (!point)
            continue;
        if (!std::isfinite(point->x) || !std::isfinite(point->y))
            __builtin_trap();
        // Written in 0.01 mm and read back: within half a thousandth of the
        // unit, plus the 0.01 mm the position itself is rounded to.
        const auto hundredths = [](double mm) {
            return static_cast<std::int32_t>(std::clamp(std::nearbyint(mm * 100), -2e9, 2e9));
        };
        const std::int32_t x = hundredths(point->x), y = hundredths(point->y);
        const QString again = FormatBasePointLine(x, y, unit, QLocale::c());
        const std::optional<BasePoint> back = ParseBasePointLine(again, Units::Millimetre);
        const double tolerance = 0.0005 * static_cast<double>(Units::factor(unit)) + 1e-6;
        if (!back || std::abs(back->x - x / 100.0) > tolerance || std::abs(back->y - y / 100.0) > tolerance)
            __builtin_trap();
    }
    return 0;
}
