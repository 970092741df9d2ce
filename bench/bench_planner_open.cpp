// The flat planner on drawings of open figures, at one size and at four
// times that size (the plan should cost about four times as much):
//   (a) strokes: 10,000 open paths of 50 points, a few ending on another;
//   (b) scribbles: 1,000 open polylines of 1,000 points, random walks of
//       steps up to 25 mm, that cross themselves and each other all over;
//   (c) a DXF of 100,000 LINEs, 100,000 ARCs and 10,000 bulged LWPOLYLINEs
//       (the drawing the DXF reader is measured on), loaded as a project
//       window loads it (reading, joining, duplicates) and planned.
// Each runs beside the step-by-step reference on a small project of the same
// kind, so the plans can be checked by hand against it.

#include "mixeddxf.h"
#include "planner_fixtures.h"
#include "planner_openshapes.h"
#include "planrun.h"
#include "project/drawingsource.h"
#include "project/flatplanner.h"
#include "project/flatplanproject.h"
#include "project/projectdocument.h"
#include "reference_planner.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <string>
#include <thread>

namespace {

using fixtures::Project;

Project Strokes(int strokes)
{
    std::mt19937 rng(11);
    return fixtures::Strokes(rng, strokes, 50);
}

Project Scribbles(int count)
{
    std::mt19937 rng(13);
    return fixtures::Scribbles(rng, count, 1000, 1000);
}

FlatPlanResult Reference(Project &p)
{
    return reference::ciecie(p.figures, p.settings, p.state);
}

void BM_StrokesFast(benchmark::State &state)
{
    RunPlanByStages(state, Strokes(static_cast<int>(state.range(0))));
}
void BM_StrokesReference(benchmark::State &state)
{
    RunPlan(state, Strokes(static_cast<int>(state.range(0))), Reference);
}
void BM_ScribblesFast(benchmark::State &state)
{
    RunPlanByStages(state, Scribbles(static_cast<int>(state.range(0))));
}
void BM_ScribblesReference(benchmark::State &state)
{
    RunPlan(state, Scribbles(static_cast<int>(state.range(0))), Reference);
}

// The whole way from the file to the plan, as a project window takes it:
// reading and collecting the figures, the copy the plan runs on, each stage
// of planning (counters in milliseconds, from the last iteration).
// Opens the mixed DXF into the document as a project window opens it.
bool LoadMixedDxf(TProjectDocument &document)
{
    document.ReaderKind = 2;
    THpglSource reader;
    return document.Load(reader, MixedDxfFile(), 255, TProjectSettings {}).opened();
}

void BM_MixedDxfLoadAndPlan(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    const auto since = [](Clock::time_point start) {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    MixedDxfFile(); // written before the clock starts
    StageTimes stages;
    double load = 0;
    double copy = 0;
    std::size_t figures = 0;
    std::size_t points = 0;
    for (auto _ : state) {
        TProjectDocument document;
        Clock::time_point start = Clock::now();
        const bool loaded = LoadMixedDxf(document);
        load = since(start);
        if (!loaded) {
            state.SkipWithError("not loaded");
            break;
        }
        figures = document.Figures.size();
        points = 0;
        for (const tfigura &f : document.Figures)
            points += f.points.size();
        start = Clock::now();
        FlatPlanJob job = FlatPlanJob::From(document);
        copy = since(start);
        FlatPlanControl control;
        stages.hook(control);
        job.result = PlanFlatCut(job.figures, job.settings, job.state, control);
        stages.lap();
        if (job.Apply(document).status != TPlanStatus::Planned)
            state.SkipWithError("not planned");
        // The window keeps the planned drawing open: closing it is not part
        // of loading and planning.
        state.PauseTiming();
        document = TProjectDocument {};
        job = FlatPlanJob {};
        state.ResumeTiming();
    }
    state.counters["figures"] = static_cast<double>(figures);
    state.counters["points"] = static_cast<double>(points);
    state.counters["load_ms"] = load;
    state.counters["copy_ms"] = copy;
    stages.report(state);
}

// Loading alone, with a hash over every loaded figure's points and fields, so
// that a change to loading can be checked to give the same list.
void BM_MixedDxfLoad(benchmark::State &state)
{
    MixedDxfFile(); // written before the clock starts
    std::uint64_t hash = 0;
    std::size_t figures = 0;
    for (auto _ : state) {
        TProjectDocument document;
        if (!LoadMixedDxf(document)) {
            state.SkipWithError("not loaded");
            break;
        }
        hash = 1469598103934665603ULL;
        const auto mix
            = [&hash](std::int64_t v) { hash = (hash ^ static_cast<std::uint64_t>(v)) * 1099511628211ULL; };
        for (const tfigura &f : document.Figures) {
            for (const TPlotPoint &p : f.points) {
                mix(p.x);
                mix(p.y);
            }
            for (const std::int64_t v :
                 {std::int64_t(f.points.size()), std::int64_t(f.pen), std::int64_t(f.minX),
                  std::int64_t(f.minY), std::int64_t(f.maxX), std::int64_t(f.maxY), std::int64_t(f.width),
                  std::int64_t(f.height), std::int64_t(f.centreX), std::int64_t(f.centreY),
                  std::int64_t(f.open), std::int64_t(f.closed), std::int64_t(f.valid),
                  std::int64_t(f.crossPoint), std::int64_t(f.projectCorner.x),
                  std::int64_t(f.projectCorner.y)})
                mix(v);
            for (const std::int32_t e : f.extremeVertices)
                mix(e);
        }
        figures = document.Figures.size();
    }
    state.counters["figures"] = static_cast<double>(figures);
    // A faster load must give the same number (the same list, field for field).
    state.counters["figureHash"] = static_cast<double>(hash & ((std::uint64_t {1} << 52) - 1));
}

// How long a stop takes to end the plan of the mixed DXF when it comes a
// tenth of a second into the given stage (or later, should the stage end
// sooner: the counter "stage" tells where it landed; "cancelled" is 0 when
// the plan was over before the stop came).
void BM_MixedDxfStopLatency(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    TProjectDocument document;
    if (!LoadMixedDxf(document)) {
        state.SkipWithError("not loaded");
        return;
    }
    const auto target = static_cast<FlatPlanStage>(state.range(0));
    for (auto _ : state) {
        FlatPlanJob job = FlatPlanJob::From(document);
        std::atomic<bool> stop {false};
        std::atomic<bool> reached {false};
        std::atomic<bool> done {false};
        std::atomic<int> stage {-1};
        FlatPlanControl control;
        control.cancel = &stop;
        control.stageStarted = [&](FlatPlanStage next) {
            stage = static_cast<int>(next);
            if (static_cast<int>(next) >= static_cast<int>(target))
                reached = true;
        };
        std::thread planner([&] {
            job.result = PlanFlatCut(job.figures, job.settings, job.state, control);
            done = true;
        });
        while (!reached && !done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const Clock::time_point stopAt = Clock::now();
        stop = true;
        planner.join();
        state.counters["latency_ms"]
            = std::chrono::duration<double, std::milli>(Clock::now() - stopAt).count();
        state.counters["stage"] = stage.load();
        state.counters["cancelled"] = job.result.outcome == FlatPlanOutcome::Cancelled ? 1 : 0;
    }
}

} // namespace

BENCHMARK(BM_StrokesFast)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrokesReference)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScribblesFast)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScribblesReference)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MixedDxfLoadAndPlan)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MixedDxfLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedDxfStopLatency)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->Iterations(1);
