#include "app/units.h"

#include "app/common.h"

#include <cmath>

namespace Units {

namespace {
int g_currentUnit = Millimetre;
} // namespace

bool isValidUnit(int unit)
{
    return unit >= Millimetre && unit <= Foot;
}

long double factor(int unit)
{
    switch (unit) {
    case Millimetre:
        return 1.0L;
    case Inch:
        return 25.4L;
    case Foot:
        return 304.8L;
    default:
        return 0.0L;
    }
}

QString unitName(int unit)
{
    switch (unit) {
    case Millimetre:
        return QStringLiteral("mm");
    case Inch:
        return QStringLiteral("in");
    case Foot:
        return QStringLiteral("ft");
    default:
        return {};
    }
}

long double MmToUnit(int unit, long double mm)
{
    if (!isValidUnit(unit))
        return 0.0L;
    return mm / factor(unit);
}

long double UnitToMm(int unit, long double value)
{
    return value * factor(unit);
}

QString lengthText(long double mm, int unit, int decimals)
{
    return FixedText(static_cast<double>(MmToUnit(unit, mm)), decimals) + QLatin1Char(' ') + unitName(unit);
}

QString unitLabel(int unit)
{
    return QLatin1Char('[') + unitName(isValidUnit(unit) ? unit : Millimetre) + QLatin1Char(']');
}

long double stepForValue(long double valueInUnit)
{
    const long double a = std::fabs(valueInUnit);
    if (a == 0.0L || !std::isfinite(a))
        return 0.1L;
    // log10 of an exact power of ten can land a hair below the integer, which
    // would make the step of 100 come out as 1 instead of 10; nudge it.
    const long double exponent = std::floor(std::log10(a) + 1e-12L);
    return std::pow(10.0L, exponent - 1.0L);
}

int currentLengthUnit()
{
    return g_currentUnit;
}

void setCurrentLengthUnit(int unit)
{
    g_currentUnit = isValidUnit(unit) ? unit : Millimetre;
}

} // namespace Units
