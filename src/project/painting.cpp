#include "project/painting.h"

#include "app/settings.h"
#include "drawing/jobbytes.h"
#include "project/projectdocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TPaintSettings PaintSettingsFrom(const Settings &settings)
{
    TPaintSettings s;
    s.Mode = settings.Mode;
    s.StolikSwitch = settings.StolikSwitch;
    s.CatDir = settings.CatDir;
    s.cbKrzyzToPunkt = settings.cbKrzyzToPunkt == CheckState::Checked;
    s.Srednicamaterialu = settings.Srednicamaterialu;
    s.Pauza_w_kacie = settings.Pauza_w_kacie;
    s.sbWspSymulacji = settings.sbWspSymulacji;
    return s;
}

TPixel TViewTransform::map(TPlotPoint p) const
{
    const long double dx = (static_cast<long double>(p.x) - origin.x) * scale;
    const long double dy = (static_cast<long double>(p.y) - origin.y) * scale;
    return {ClampToInt32(RoundToInt64(dx) + X0), ClampToInt32(Y0 - RoundToInt64(dy))};
}

TViewTransform ComputeViewTransform(const TProjectDocument &document, const TPaintSettings &settings,
                                    int clientWidth, int clientHeight, int statusBarHeight)
{
    TViewTransform t;
    t.origin = document.PP;
    t.X0 = 5;
    t.Y0 = clientHeight - statusBarHeight - 5;
    const long double usableWidth = static_cast<long double>(clientWidth) - 20;
    const long double usableHeight = static_cast<long double>(clientHeight) - 10 - 2.0L * statusBarHeight;
    if (document.ProjectWidth <= 0 || document.ProjectHeight <= 0 || document.Figures.empty())
        return t;
    // A window smaller than its margins has nothing to draw in; a negative
    // scale would mirror the project into the margins.
    if (usableWidth <= 0 || usableHeight <= 0)
        return t;
    long double height = document.ProjectHeight;
    if (settings.turningWithMounting()) {
        // The material's radius must fit above the axis.
        const long double radius = MmToUnits(settings.Srednicamaterialu / 2);
        height = std::nearbyint(std::max(height, radius));
    }
    t.scale = static_cast<double>(std::min(
        usableWidth / (static_cast<long double>(document.ProjectWidth) + 1), usableHeight / (height + 1)));
    // A frame of one pixel on each side.
    t.X0 += 2;
    t.Y0 -= 2;
    t.valid = t.scale > 0.0;
    return t;
}

namespace {

TFigureColour ModeColour(const tfigura &figure, std::int32_t index, const TProjectDocument &document,
                         const TPaintSettings &settings, TFigureColour previous)
{
    switch (settings.Mode) {
    case 1:
        return index == document.AxisFigure ? TFigureColour::Green : TFigureColour::Black;
    case 3:
        if (settings.StolikSwitch == 2)
            return figure.open ? TFigureColour::Blue : TFigureColour::Black;
        return index == document.AxisFigure ? TFigureColour::Green : TFigureColour::Black;
    case 4:
        switch (figure.pen) {
        case 4:
            return TFigureColour::Green;
        case 3:
            return TFigureColour::Red;
        case 6:
            return TFigureColour::Yellow;
        default:
            return previous;
        }
    default: // 0, 2, 5
        if (figure.pending)
            return TFigureColour::Red;
        return figure.open ? TFigureColour::Blue : TFigureColour::Black;
    }
}

} // namespace

std::vector<TFigureColour> FigureColours(const TProjectDocument &document, const TPaintSettings &settings)
{
    std::vector<TFigureColour> colours;
    colours.reserve(document.Figures.size());
    // An unlisted pen follows the colour of the figure before it by mode; the
    // white of a selected figure is not passed on, or the selection would
    // seem to spread to its neighbour.
    TFigureColour previous = TFigureColour::Black;
    for (std::size_t i = 0; i < document.Figures.size(); ++i) {
        const auto index = static_cast<std::int32_t>(i);
        previous = ModeColour(document.Figures[i], index, document, settings, previous);
        colours.push_back(index == document.SelectedFigure ? TFigureColour::White : previous);
    }
    return colours;
}

TPaintPlan BuildPaintPlan(const TProjectDocument &document, const TPaintSettings &settings, int clientWidth,
                          int clientHeight, int statusBarHeight)
{
    TPaintPlan plan;
    plan.transform = ComputeViewTransform(document, settings, clientWidth, clientHeight, statusBarHeight);
    if (!plan.transform.valid)
        return plan;
    const std::vector<TFigureColour> colours = FigureColours(document, settings);
    plan.items.reserve(document.Figures.size());
    for (std::size_t i = 0; i < document.Figures.size(); ++i) {
        const tfigura &figure = document.Figures[i];
        if (figure.points.empty())
            continue;
        TPaintItem item;
        item.colour = colours[i];
        const bool lines = !settings.cbKrzyzToPunkt || figure.depth == 0;
        TPixel pen = plan.transform.map(figure.points.front());
        if (lines) {
            item.pixels.reserve(figure.points.size());
            for (const TPlotPoint &p : figure.points) {
                // Points that fall on the same pixel draw nothing more.
                const TPixel px = plan.transform.map(p);
                if (item.pixels.empty() || !(item.pixels.back() == px))
                    item.pixels.push_back(px);
            }
            pen = item.pixels.back();
        }
        if (settings.cbKrzyzToPunkt && figure.crossPoint) {
            item.circle = true;
            item.circleCentre = pen;
        }
        plan.items.push_back(std::move(item));
    }
    return plan;
}

double PixelDistanceToSegment(double x, double y, TPixel a, TPixel b)
{
    const double dx = double(b.x) - a.x;
    const double dy = double(b.y) - a.y;
    if (dx != 0.0 || dy != 0.0) {
        const double t = ((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy);
        if (t >= 0.0 && t <= 1.0)
            return std::hypot(a.x + t * dx - x, a.y + t * dy - y);
    }
    return std::min(std::hypot(a.x - x, a.y - y), std::hypot(b.x - x, b.y - y));
}

std::int32_t PickFigure(const std::vector<tfigura> &figures, const TViewTransform &transform, double x,
                        double y)
{
    constexpr double reach = 3.0;
    if (!transform.valid)
        return -1;
    // The click in plotter units, with room for the reach and for rounding
    // the ends to pixels: segments whose box misses it are skipped unmapped.
    const double margin = (reach + 1.0) / transform.scale;
    const double px = (x - transform.X0) / transform.scale + transform.origin.x;
    const double py = (transform.Y0 - y) / transform.scale + transform.origin.y;
    std::int32_t picked = -1;
    for (std::size_t f = 0; f < figures.size(); ++f) {
        const auto &points = figures[f].points;
        for (std::size_t j = 0; j + 1 < points.size(); ++j) {
            const TPlotPoint a = points[j];
            const TPlotPoint b = points[j + 1];
            if (px < std::min(a.x, b.x) - margin || px > std::max(a.x, b.x) + margin
                || py < std::min(a.y, b.y) - margin || py > std::max(a.y, b.y) + margin)
                continue;
            if (PixelDistanceToSegment(x, y, transform.map(a), transform.map(b)) < reach) {
                picked = static_cast<std::int32_t>(f);
                break;
            }
        }
    }
    return picked;
}

namespace {

// Fixed notation with two decimals and seven significant digits at most:
// coordinates of 100 m and more keep one decimal ("123456.80").
double SevenDigits(double mm)
{
    if (std::fabs(mm) < 100000.0)
        return mm;
    return static_cast<double>(std::nearbyint(static_cast<long double>(mm) * 10) / 10);
}

} // namespace

std::string PointListingText(const tfigura &figure)
{
    std::string text = "[mm]\r\n";
    char buffer[96];
    for (std::size_t j = 0; j < figure.points.size(); ++j) {
        const TPlotPoint p = figure.points[j];
        std::snprintf(buffer, sizeof buffer, "\r\np%zu:(%.2f ; %.2f)", j, SevenDigits(UnitsToMm(p.x)),
                      SevenDigits(UnitsToMm(p.y)));
        text += buffer;
    }
    return text;
}

int AnimatedStepCount(TPixel p0, TPixel p1)
{
    const long double dx = static_cast<long double>(p1.x) - p0.x;
    const long double dy = static_cast<long double>(p1.y) - p0.y;
    return static_cast<int>(std::min<long double>(std::nearbyint(std::sqrt(dx * dx + dy * dy)), 1 << 30));
}

TPixel AnimatedStepPixel(TPixel p0, TPixel p1, int n, int i)
{
    if (n <= 0 || i >= n)
        return p1;
    // Round(i * d / n), halves away from zero, in integers. (Adding
    // (n + 1) * sign(d) instead of n * sign(d) overshoots a one-pixel step
    // by a pixel.)
    auto along = [&](int from, int to) {
        const std::int64_t d = std::int64_t(to) - from;
        const std::int64_t sign = d > 0 ? 1 : d < 0 ? -1 : 0;
        return ClampToInt32(from + (2 * std::int64_t(i) * d + n * sign) / (2 * std::int64_t(n)));
    };
    return {along(p0.x, p1.x), along(p0.y, p1.y)};
}
