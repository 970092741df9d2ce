// The machine's own small files, one harness so libFuzzer sees both
// parsers: the first byte of an input chooses the file (even: base points,
// odd: a ROM image; the seeds start with "0" and "1"), the rest is its
// content.
//
// "base.txt" is a text file users may edit by hand: any line must read
// without a fault, and a line that reads must give a finite point that
// reads back the same once written again, in any unit and locale.
//
// A ROM file is sent word by word into the controller's program memory:
// only a file of exactly one image may pass, and what passes must write
// back byte for byte.

#include "app/units.h"
#include "machine/basepoints.h"
#include "machine/upgradeprogram.h"

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

void fuzzBasePoints(const std::uint8_t *data, std::size_t size)
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
}

void fuzzRomImage(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<RomImage> image = ParseRomImage(bytes);
    if (image.has_value() != (bytes.size() == kRomFileSize))
        __builtin_trap();
    // The input repeated to the size of an image, so every run also
    // reaches the whole path.
    QByteArray whole;
    whole.reserve(kRomFileSize);
    while (!bytes.isEmpty() && whole.size() < kRomFileSize)
        whole.append(bytes.left(kRomFileSize - whole.size()));
    if (whole.size() == kRomFileSize) {
        const std::optional<RomImage> full = ParseRomImage(whole);
        if (!full || full->words.size() != static_cast<std::size_t>(kProgramWords)
            || RomImageBytes(*full) != whole)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] % 2 == 0)
        fuzzBasePoints(data + 1, size - 1);
    else
        fuzzRomImage(data + 1, size - 1);
    return 0;
}
