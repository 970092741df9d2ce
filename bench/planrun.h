#pragma once

// What the planner benches share: planning a fresh copy of a project per
// iteration, and the time each stage of a run takes.

#include "planner_fixtures.h"
#include "project/flatplan.h"
#include "project/flatplanner.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <memory>
#include <string>

// Plans a copy of the project per iteration, made as a plan job makes it
// (with room for the connectors); counts its figures and points. Neither the
// copy nor its end, once planned, is timed.
template<class Plan> void RunPlan(benchmark::State &state, const fixtures::Project &project, Plan plan)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<fixtures::Project>(project);
        p->figures.reserve(2 * p->figures.size() + 1);
        state.ResumeTiming();
        const FlatPlanResult r = plan(*p);
        benchmark::DoNotOptimize(r);
        if (r.outcome != FlatPlanOutcome::Planned)
            state.SkipWithError("not planned");
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
    std::size_t points = 0;
    for (const tfigura &f : project.figures)
        points += f.points.size();
    state.counters["figures"] = static_cast<double>(project.figures.size());
    state.counters["points"] = static_cast<double>(points);
}

// The milliseconds of each stage of one run, by the stage's name ("start"
// up to the first): hook it into the run's control, and call lap() once the
// run is over.
class StageTimes
{
public:
    using Clock = std::chrono::steady_clock;

    void hook(FlatPlanControl &control)
    {
        m_times.clear();
        m_stage = "start";
        m_start = Clock::now();
        control.stageStarted = [this](FlatPlanStage next) {
            lap();
            static const char *const Names[]
                = {"records", "containment", "root", "touching", "candidates", "neighbours", "connectors"};
            m_stage = Names[static_cast<int>(next)];
        };
    }
    void lap()
    {
        const Clock::time_point now = Clock::now();
        m_times[m_stage] = std::chrono::duration<double, std::milli>(now - m_start).count();
        m_start = now;
    }
    // As "<stage>_ms" counters of the row.
    void report(benchmark::State &state) const
    {
        for (const auto &[name, ms] : m_times)
            state.counters[name + "_ms"] = ms;
    }

private:
    std::map<std::string, double> m_times;
    std::string m_stage;
    Clock::time_point m_start;
};

// Plans with the fast planner as RunPlan does, and reports the time of each
// stage of the last run, to show where a row's time goes.
inline void RunPlanByStages(benchmark::State &state, const fixtures::Project &project)
{
    StageTimes times;
    RunPlan(state, project, [&](fixtures::Project &p) {
        FlatPlanControl control;
        times.hook(control);
        const FlatPlanResult r = PlanFlatCut(p.figures, p.settings, p.state, control);
        times.lap();
        return r;
    });
    times.report(state);
}
