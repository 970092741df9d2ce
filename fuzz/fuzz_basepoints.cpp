// "base.txt" is a text file users may edit by hand: any line must read
// without a fault, and a line that reads must give a finite point that
// reads back the same once written again, in any unit and locale.

#include "app/units.h"
#include "machine/basepoints.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void checkLine(QStringView line)
{
    static const QLocale polish(QLocale::Polish, QLocale::Poland);
    for (int unit : {Units::Millimetre, Units::Inch, Units::Foot}) {
        const std::optional<BasePoint> point = ParseBasePointLine(line, unit);
        if (!point)
            continue;
        if (!std::isfinite(point->x) || !std::isfinite(point->y))
            __builtin_trap();
        // Written from 0.01 mm and read back: within half a thousandth of
        // the unit it was written in.
        const auto hundredths = [](double mm) {
            return static_cast<std::int32_t>(std::clamp(std::nearbyint(mm * 100), -2e9, 2e9));
        };
        const std::int32_t x = hundredths(point->x), y = hundredths(point->y);
        for (const QLocale &locale : {QLocale::c(), polish}) {
            const std::optional<BasePoint> back
                = ParseBasePointLine(FormatBasePointLine(x, y, unit, locale), Units::Millimetre);
            const double tolerance = 0.0005 * static_cast<double>(Units::factor(unit)) + 1e-6;
            if (!back || std::abs(back->x - x / 100.0) > tolerance
                || std::abs(back->y - y / 100.0) > tolerance)
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (QStringView line : QStringView(text).split(QLatin1Char('\n')))
        checkLine(line);
    // Any position as the controller reports it formats into a line that
    // reads back.
    if (size >= 8) {
        std::int32_t position[2];
        std::memcpy(position, data, sizeof position);
        for (int unit : {Units::Millimetre, Units::Inch, Units::Foot})
            checkLine(FormatBasePointLine(position[0], position[1], unit, QLocale::c()));
    }
    return 0;
}
