// The flat planner on drawings of open figures, at one size and at four
// times that size (the plan should cost about four times as much):
//   (a) strokes: 10,000 open paths of 50 points, a few ending on another;
//   (b) scribbles: 1,000 open polylines of 1,000 points that cross
//       themselves and each other;
//   (c) a DXF of 100,000 LINEs, 100,000 ARCs and 10,000 bulged LWPOLYLINEs
//       (the drawing the DXF reader is measured on), loaded as a project
//       window loads it (reading, joining, duplicates) and planned.
// Each runs beside the step-by-step reference on a small project of the same
// kind, so the plans can be checked by hand against it.

#include "mixeddxf.h"
#include "planner_fixtures.h"
#include "project/drawingsource.h"
#include "project/flatplanner.h"
#include "project/flatplanproject.h"
#include "project/projectdocument.h"
#include "reference_planner.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

using fixtures::Project;

std::int32_t Uniform(std::mt19937 &rng, std::int32_t low, std::int32_t high)
{
    return low + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(high - low + 1));
}

// Strokes of `points` points, each heading one way with a little wander, on
// a jittered grid 1,200 units apart; one in ten starts on a vertex of the
// stroke drawn before it, so some figures touch and the open-root choice has
// free ends to weigh.
Project Strokes(int strokes, int points, unsigned seed)
{
    std::mt19937 rng(seed);
    Project p;
    const int columns = static_cast<int>(std::sqrt(static_cast<double>(strokes))) + 1;
    for (int k = 0; k < strokes; ++k) {
        std::int32_t x = (k % columns) * 1200 + Uniform(rng, 0, 300);
        std::int32_t y = (k / columns) * 1200 + Uniform(rng, 0, 300);
        if (k > 0 && k % 10 == 0) {
            const tfigura &before = p.figures.back();
            const TPlotPoint on = before.points[static_cast<std::size_t>(Uniform(rng, 0, points - 1))];
            x = on.x;
            y = on.y;
        }
        const std::int32_t dx = Uniform(rng, -15, 15);
        const std::int32_t dy = Uniform(rng, -15, 15);
        std::vector<TPlotPoint> line;
        for (int v = 0; v < points; ++v) {
            line.push_back({x, y});
            x += dx + Uniform(rng, -8, 8);
            y += dy + Uniform(rng, -8, 8);
        }
        p.add(fixtures::Polyline(line));
    }
    p.bounds();
    return p;
}

// Random walks of `points` points with steps up to 1,000 units (25 mm) in x
// and y from random starts, in a square that keeps as many of them over
// each other at every count: each crosses itself at every turn and a dozen
// others all over.
Project Scribbles(int count, int points, unsigned seed)
{
    std::mt19937 rng(seed);
    Project p;
    const auto side = static_cast<std::int32_t>(5000 * std::sqrt(static_cast<double>(count)));
    for (int k = 0; k < count; ++k) {
        std::int32_t x = Uniform(rng, 0, side);
        std::int32_t y = Uniform(rng, 0, side);
        std::vector<TPlotPoint> line;
        for (int v = 0; v < points; ++v) {
            line.push_back({x, y});
            x += Uniform(rng, -1000, 1000);
            y += Uniform(rng, -1000, 1000);
        }
        p.add(fixtures::Polyline(line));
    }
    p.bounds();
    return p;
}

template<class Plan> void RunPlan(benchmark::State &state, const Project &project, Plan plan)
{
    for (auto _ : state) {
        state.PauseTiming();
        Project p = project;
        state.ResumeTiming();
        const FlatPlanResult r = plan(p);
        benchmark::DoNotOptimize(r);
        if (r.outcome != FlatPlanOutcome::Planned)
            state.SkipWithError("not planned");
    }
    std::size_t points = 0;
    for (const tfigura &f : project.figures)
        points += f.points.size();
    state.counters["figures"] = static_cast<double>(project.figures.size());
    state.counters["points"] = static_cast<double>(points);
}

FlatPlanResult Fast(Project &p)
{
    return PlanFlatCut(p.figures, p.settings, p.state);
}

FlatPlanResult Reference(Project &p)
{
    return reference::ciecie(p.figures, p.settings, p.state);
}

void BM_StrokesFast(benchmark::State &state)
{
    RunPlan(state, Strokes(static_cast<int>(state.range(0)), 50, 11), Fast);
}
void BM_StrokesReference(benchmark::State &state)
{
    RunPlan(state, Strokes(static_cast<int>(state.range(0)), 50, 11), Reference);
}
void BM_ScribblesFast(benchmark::State &state)
{
    RunPlan(state, Scribbles(static_cast<int>(state.range(0)), 1000, 13), Fast);
}
void BM_ScribblesReference(benchmark::State &state)
{
    RunPlan(state, Scribbles(static_cast<int>(state.range(0)), 1000, 13), Reference);
}

// The whole way from the file to the plan, as a project window takes it.
void BM_MixedDxfLoadAndPlan(benchmark::State &state)
{
    const std::string &path = MixedDxfFile();
    std::size_t figures = 0;
    for (auto _ : state) {
        TProjectDocument document;
        document.ReaderKind = 2;
        THpglSource reader;
        const TLoadOutcome loaded = document.Load(reader, path, 255, TProjectSettings {});
        if (!loaded.opened()) {
            state.SkipWithError("not loaded");
            break;
        }
        figures = document.Figures.size();
        const TPlanOutcome planned = PlanProject(document, TPlanControl {});
        if (planned.status != TPlanStatus::Planned)
            state.SkipWithError("not planned");
    }
    state.counters["figures"] = static_cast<double>(figures);
}

} // namespace

BENCHMARK(BM_StrokesFast)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokesReference)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScribblesFast)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScribblesReference)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MixedDxfLoadAndPlan)->Unit(benchmark::kMillisecond)->Iterations(1);
