// Painting and picking a project of a million points in a 1000 x 800 view.

#include "project/painting.h"
#include "project/projectdocument.h"
#include "project/ui/projectview.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace {

// 1000 closed rings of 1000 points each on a 40 x 25 grid, 50 mm apart.
const TProjectDocument &MillionPoints()
{
    static const TProjectDocument doc = [] {
        TProjectDocument d;
        constexpr int rings = 1000;
        constexpr int points = 1000;
        for (int r = 0; r < rings; ++r) {
            tfigura f;
            const double cx = (r % 40) * 2000.0 + 1000.0;
            const double cy = (r / 40) * 2000.0 + 1000.0;
            for (int k = 0; k < points; ++k) {
                const double a = 2 * std::numbers::pi * k / (points - 1);
                f.points.push_back({static_cast<std::int32_t>(cx + 800 * std::cos(a)),
                                    static_cast<std::int32_t>(cy + 800 * std::sin(a))});
            }
            f.FinishReading();
            d.Figures.push_back(std::move(f));
        }
        d.Ustaw_PPiPK();
        d.ProjectWidth = d.PK.x - d.PP.x;
        d.ProjectHeight = d.PK.y - d.PP.y;
        return d;
    }();
    return doc;
}

void PaintMillionPoints(benchmark::State &state)
{
    const TProjectDocument &doc = MillionPoints();
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(ProjectBackground());
        QPainter painter(&image);
        DrawPaintPlan(painter, BuildPaintPlan(doc, {}, 1000, 800 + 20, 20));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(PaintMillionPoints)->Unit(benchmark::kMillisecond);

void PlanMillionPoints(benchmark::State &state)
{
    const TProjectDocument &doc = MillionPoints();
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildPaintPlan(doc, {}, 1000, 800 + 20, 20));
}
BENCHMARK(PlanMillionPoints)->Unit(benchmark::kMillisecond);

void PickInMillionPoints(benchmark::State &state)
{
    const TProjectDocument &doc = MillionPoints();
    const TViewTransform t = ComputeViewTransform(doc, {}, 1000, 800 + 20, 20);
    // On the ring at the middle of the grid, so that the last figures are
    // measured too.
    const TPixel on = t.map(doc.Figures[520].points[0]);
    std::int32_t picked = -1;
    for (auto _ : state) {
        picked = PickFigure(doc.Figures, t, on.x + 0.5, on.y);
        benchmark::DoNotOptimize(picked);
    }
    if (picked < 0)
        state.SkipWithError("nothing picked");
}
BENCHMARK(PickInMillionPoints)->Unit(benchmark::kMillisecond);

} // namespace
