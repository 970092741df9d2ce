// The flat planner on large projects, fast planner beside the step-by-step
// reference (run by hand only up to the sizes it finishes in about a minute):
//   (a) closed letter-like figures in 60 rows, a third of them with a hole;
//   (b) a frame holding parts of 40 points in a grid;
//   (c) containment alone over the frame and parts;
//   (d) a frame holding rings of many points on a 50-column grid (figures x
//       points per ring); rings of 2,000 points and more are staircases of
//       rounded points, nearly every vertex a corner candidate;
//   (e) open paths of 501 points that cross themselves and each other;
//   (f) drawings as a shop brings them, at about a million points and four
//       times that: a sheet of square parts with four round holes each,
//       rings around one centre, a text-like sheet of letters with holes
//       laid side by side once, twice and four times, small closed figures.
//       Each 4x row should take at most five times its 1x row.
// The plan should cost about the same per point whatever the points per
// figure: compare the rows of one million points with each other.

#include "planner_fixtures.h"
#include "planner_shapes.h"
#include "planrun.h"
#include "project/containment.h"
#include "project/flatplanner.h"
#include "reference_planner.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

using fixtures::Project;

tfigura Ring(std::int32_t cx, std::int32_t cy, std::int32_t rx, std::int32_t ry, int sides, double phase)
{
    std::vector<TPlotPoint> points;
    for (int k = 0; k < sides; ++k) {
        const double t = phase + 2 * 3.14159265358979323846 * k / sides;
        points.push_back({cx + static_cast<std::int32_t>(std::nearbyint(rx * std::cos(t))),
                          cy + static_cast<std::int32_t>(std::nearbyint(ry * std::sin(t)))});
    }
    points.push_back(points.front());
    return fixtures::Polyline(points);
}

// Letters of 5 mm by 8 mm, 3 mm apart, rows 12 mm apart; every third letter
// has a hole (counted among the figures).
Project Text(int figures)
{
    std::mt19937 rng(12345);
    Project p;
    const int perRow = std::max(1, (figures + 59) / 60);
    int slot = 0;
    while (static_cast<int>(p.figures.size()) < figures) {
        const int cx = (slot % perRow) * 320 + 100;
        const int cy = (slot / perRow) * 480 + 160;
        const int sides = 6 + static_cast<int>(rng() % 12);
        p.add(Ring(cx, cy, 100, 160, sides, (rng() % 100) / 100.0));
        if (slot % 3 == 0 && static_cast<int>(p.figures.size()) < figures)
            p.add(Ring(cx, cy + 20, 40, 60, 8, 0.3));
        ++slot;
    }
    p.bounds();
    return p;
}

// Parts of 40 points (39 sides) on a 100-column grid, inside one frame.
Project Nesting(int parts)
{
    Project p;
    const int columns = 100;
    const int rows = (parts + columns - 1) / columns;
    p.add(fixtures::Square(0, 0, std::max(columns, rows) * 600 + 400));
    for (int k = 0; k < parts; ++k)
        p.add(Ring(500 + (k % columns) * 600, 500 + (k / columns) * 600, 240, 200, 39, 0.01 * (k % 7)));
    p.bounds();
    return p;
}

// Rings of `points` points (the last repeats the first) on a 50-column grid
// inside one frame. Up to 2,000 points the rings keep one size; longer ones
// grow with their points, so their points stay as dense.
Project Rings(int rings, int points)
{
    Project p;
    const int columns = 50;
    const int rows = (rings + columns - 1) / columns;
    const int scale = std::max(1, points / 2000);
    const int pitch = 600 * scale;
    p.add(fixtures::Square(0, 0, std::max(columns, rows) * pitch + 400 * scale));
    for (int k = 0; k < rings; ++k)
        p.add(Ring(500 * scale + (k % columns) * pitch, 500 * scale + (k / columns) * pitch, 240 * scale,
                   200 * scale, points - 1, 0.01 * (k % 7)));
    p.bounds();
    return p;
}

// Open paths of `points` points, each a random walk of steps up to 30
// units in x and y from a random start in a square of 40,000 units: every
// path crosses itself and the paths around it.
Project CrossingPaths(int paths, int points)
{
    std::mt19937 rng(7);
    Project p;
    for (int k = 0; k < paths; ++k) {
        std::vector<TPlotPoint> line;
        auto x = static_cast<std::int32_t>(rng() % 40000);
        auto y = static_cast<std::int32_t>(rng() % 40000);
        for (int v = 0; v < points; ++v) {
            x += static_cast<std::int32_t>(rng() % 61) - 30;
            y += static_cast<std::int32_t>(rng() % 61) - 30;
            line.push_back({x, y});
        }
        p.add(fixtures::Polyline(line));
    }
    p.bounds();
    return p;
}

void BM_TextFast(benchmark::State &state)
{
    RunPlan(state, Text(static_cast<int>(state.range(0))),
            [](Project &p) { return PlanFlatCut(p.figures, p.settings, p.state); });
}
void BM_TextReference(benchmark::State &state)
{
    RunPlan(state, Text(static_cast<int>(state.range(0))),
            [](Project &p) { return reference::ciecie(p.figures, p.settings, p.state); });
}
void BM_NestingFast(benchmark::State &state)
{
    RunPlan(state, Nesting(static_cast<int>(state.range(0))),
            [](Project &p) { return PlanFlatCut(p.figures, p.settings, p.state); });
}
void BM_NestingReference(benchmark::State &state)
{
    RunPlan(state, Nesting(static_cast<int>(state.range(0))),
            [](Project &p) { return reference::ciecie(p.figures, p.settings, p.state); });
}

void BM_RingsFast(benchmark::State &state)
{
    RunPlan(state, Rings(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
            [](Project &p) { return PlanFlatCut(p.figures, p.settings, p.state); });
}
void BM_RingsReference(benchmark::State &state)
{
    RunPlan(state, Rings(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
            [](Project &p) { return reference::ciecie(p.figures, p.settings, p.state); });
}
void BM_CrossingPathsFast(benchmark::State &state)
{
    RunPlan(state, CrossingPaths(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
            [](Project &p) { return PlanFlatCut(p.figures, p.settings, p.state); });
}
template<class Containment> void RunContainment(benchmark::State &state, Containment containment)
{
    const Project project = Nesting(static_cast<int>(state.range(0)) - 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<tfigura> figures = project.figures;
        state.ResumeTiming();
        std::int32_t maxDepth = 0;
        containment(figures, maxDepth);
        benchmark::DoNotOptimize(maxDepth);
    }
}
void BM_ContainmentFast(benchmark::State &state)
{
    RunContainment(state, [](std::vector<tfigura> &f, std::int32_t &d) { co_w_czym(f, d); });
}
void BM_ContainmentReference(benchmark::State &state)
{
    RunContainment(state, [](std::vector<tfigura> &f, std::int32_t &d) { reference::co_w_czym(f, d); });
}

// A fixed seed per shape: the rows plan the same drawing on every run. The
// counters tell the time of each stage of the last run, to show where a
// row's time goes.
template<class Make> void RunShape(benchmark::State &state, Make make)
{
    std::mt19937 rng(2024);
    RunPlanByStages(state, make(rng));
}

// 10,000 parts of 101 points: 1.01 M points in 50,000 figures.
void BM_PartsSheet(benchmark::State &state)
{
    RunShape(state, [&](std::mt19937 &rng) {
        return fixtures::PartsSheet(rng, static_cast<int>(state.range(0)), 23);
    });
}
// 200 rings of 5,000 points: 1 M points.
void BM_ConcentricRings(benchmark::State &state)
{
    RunShape(state, [&](std::mt19937 &rng) {
        return fixtures::ConcentricRings(rng, static_cast<int>(state.range(0)), 5000, false);
    });
}
// 3,000 letters with their holes: 0.27 M points a sheet.
void BM_TextSheet(benchmark::State &state)
{
    RunShape(state, [&](std::mt19937 &rng) {
        return fixtures::TextSheet(rng, 3000, static_cast<int>(state.range(0)));
    });
}
// 100,000 figures of 10 points: 1 M points.
void BM_SmallFigures(benchmark::State &state)
{
    RunShape(state, [&](std::mt19937 &rng) {
        return fixtures::SmallFigures(rng, static_cast<int>(state.range(0)), 10);
    });
}

} // namespace

BENCHMARK(BM_PartsSheet)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConcentricRings)->Arg(200)->Arg(800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextSheet)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallFigures)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFast)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextReference)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_NestingFast)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NestingReference)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_ContainmentFast)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContainmentReference)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RingsFast)
    ->Args({2000, 40})
    ->Args({2000, 200})
    ->Args({2000, 500})
    ->Args({500, 2000})
    ->Args({50, 20000})
    ->Unit(benchmark::kMillisecond);
// The reference takes 30-40 s on each of these; on 500 x 2,000, 50 x 20,000
// and the crossing paths it runs well past a minute.
BENCHMARK(BM_RingsReference)
    ->Args({2000, 40})
    ->Args({2000, 200})
    ->Args({2000, 500})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_CrossingPathsFast)->Args({2000, 501})->Unit(benchmark::kMillisecond);
