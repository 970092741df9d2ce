#include "drawing/figure.h"

#include <cmath>

void tfigura::FinishReading()
{
    if (points.empty()) {
        valid = false;
        return;
    }
    std::int32_t lowX = 2147483647;
    std::int32_t lowY = 2147483647;
    std::int32_t highX = -2147483647;
    std::int32_t highY = -2147483647;
    for (const TPlotPoint &p : points) {
        if (p.x < lowX)
            lowX = p.x;
        if (p.y < lowY)
            lowY = p.y;
        if (p.x > highX)
            highX = p.x;
        if (p.y > highY)
            highY = p.y;
    }
    minX = lowX;
    minY = lowY;
    maxX = highX;
    maxY = highY;
    // In 64 bits: a figure built by hand may span more than readers allow.
    width = static_cast<std::int32_t>(std::int64_t(maxX) - minX);
    height = static_cast<std::int32_t>(std::int64_t(maxY) - minY);
    depth = 0;
    open = points.size() < 3 || !(points.front() == points.back());
    valid = true;
}

std::int32_t MmToUnits(double mm)
{
    // The constants 40000 and 1000 (not a factor 40) and the extended type
    // decide the last unit: 0.0125 mm is a hair above a half unit as a double
    // and must round to 1.
    const long double rounded = std::nearbyint(40000.0L * static_cast<long double>(mm) / 1000.0L);
    if (!std::isfinite(rounded))
        return 0;
    long double low = std::fmod(rounded, 4294967296.0L);
    if (low < 0)
        low += 4294967296.0L;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(low));
}

double UnitsToMm(std::int32_t units)
{
    return static_cast<double>(static_cast<long double>(units) * 1000.0L / 40000.0L);
}
