#include "project/jobinfo.h"

#include "app/common.h"
#include "app/units.h"
#include "drawing/jobbytes.h"

namespace {

// Plotter units (40 to the millimetre) in millimetres, for counts beyond 32 bits.
long double UnitsToMillimetres(std::int64_t units)
{
    return static_cast<long double>(units) * 1000.0L / 40000.0L;
}

QString SizeText(double skala, std::int32_t size, int unit)
{
    return Units::lengthText(UnitsToMillimetres(RoundScaledUnits(skala, size)), unit, 2);
}

} // namespace

TJobInfoValues JobInfoValues(const TJobInfoProject &project, const QString &configurationCaption,
                             const TJobInfoSettings &settings)
{
    TJobInfoValues values;
    values.fname = project.caption;
    values.konfigname = configurationCaption;
    values.szerokosc = SizeText(settings.skala, project.CrossWidth, settings.unit);
    values.wysokosc = SizeText(settings.skala, project.CrossHeight, settings.unit);
    values.ramkaSzerokosc = SizeText(settings.skala, project.ProjectWidth, settings.unit);
    values.ramkaWysokosc = SizeText(settings.skala, project.ProjectHeight, settings.unit);

    const long double s = static_cast<long double>(settings.skala) / 100.0L;
    const long double path = project.PathLength;
    long double lengthMm = 0;
    long double timeMm = 0;
    switch (settings.Mode) {
    case 0:
    case 2:
    case 4:
        lengthMm = timeMm = UnitsToMillimetres(RoundToInt64(s * path));
        break;
    case 1:
    case 3: {
        // Fifty thousand passes of a long path overflow 32 bits.
        const long double passes = settings.ilosckrokow;
        lengthMm = UnitsToMillimetres(RoundToInt64(s * passes * path));
        timeMm = UnitsToMillimetres(RoundToInt64(passes * s * path));
        break;
    }
    default:
        return values;
    }
    if (settings.unit == Units::Millimetre)
        values.totlen = FixedText(static_cast<double>(lengthMm / 1000.0L), 2) + QStringLiteral(" m");
    else
        values.totlen = Units::lengthText(lengthMm, settings.unit, 2);
    const long double minutes = timeMm / settings.szybkoscObrobki + 0.03L * project.figureCount;
    values.total_time = FixedText(static_cast<double>(minutes), 0) + QStringLiteral(" min");
    return values;
}
