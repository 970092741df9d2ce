// Silhouettes of a serial cut from a large model, the fast raster beside the plain
// transcription kept with the tests, in the same run:
//   (a) one step of a sphere of radius 100 mm in 1,000,000 triangles, each on one thread
//       (triangles per second; the grids are compared once and must be identical);
//   (b) all 18 steps of that sphere, rasterised on 4 threads and traced in step order, beside
//       the transcription's 18 steps one after another;
//   (c) one step of a cylinder of 1,024 long slivers, in samples (points set) per second.

#include "model3d/contourtracer.h"
#include "model3d/silhouette.h"
#include "modelbuilders.h"
#include "silhouette_reference.h"

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <benchmark/benchmark.h>
#include <map>
#include <vector>

namespace {

const ModelHandle &Sphere()
{
    // 500 bands of 1,000 quads: 1,000,000 triangles, standing on the base plane.
    static const ModelHandle model
        = modeltest::FromTriangles(modeltest::SphereTriangles(100, 500, 1000, 0, 100, 0));
    return model;
}

const ModelHandle &Cylinder()
{
    static const ModelHandle model = modeltest::FromTriangles(modeltest::CylinderTriangles(100, 200, 1024));
    return model;
}

constexpr double kAngle = 30;

tpix2d FromReference(const silhouette_reference::Grid &columns, TSilhouetteSize size)
{
    tpix2d grid(size.largestX, size.largestY);
    for (std::int32_t x = 0; x <= size.largestX; ++x)
        std::copy(columns[std::size_t(x)].begin(), columns[std::size_t(x)].end(), grid.column(x));
    return grid;
}

void Rates(benchmark::State &state, const TModelData &model, std::uint64_t samples)
{
    state.counters["triangles/s"] = benchmark::Counter(
        double(model.triangles.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["samples/s"]
        = benchmark::Counter(double(samples) * double(state.iterations()), benchmark::Counter::kIsRate);
}

std::uint64_t SampleCount(const TModelData &model, TSilhouetteSize size)
{
    std::uint64_t samples = 0;
    silhouette_reference::RawDoPix(model, kAngle, size.largestX, size.largestY, 0.2, {}, &samples);
    return samples;
}

void RasterFast(benchmark::State &state, const ModelHandle &(*make)())
{
    const TModelData &model = *make();
    const TSilhouetteSize size = SilhouetteSizeFor(model, 0.2);
    for (auto _ : state)
        benchmark::DoNotOptimize(RasterizeStep(model, kAngle, size, 0.2).cells().data());
    static std::map<const TModelData *, std::uint64_t> samples;
    if (!samples.count(&model))
        samples[&model] = SampleCount(model, size);
    Rates(state, model, samples[&model]);
}

void RasterReference(benchmark::State &state, const ModelHandle &(*make)())
{
    const TModelData &model = *make();
    const TSilhouetteSize size = SilhouetteSizeFor(model, 0.2);
    std::uint64_t samples = 0;
    silhouette_reference::Grid grid;
    for (auto _ : state)
        grid = silhouette_reference::RawDoPix(model, kAngle, size.largestX, size.largestY, 0.2, {}, &samples);
    if (FromReference(grid, size) != RasterizeStep(model, kAngle, size, 0.2))
        state.SkipWithError("the fast raster's grid differs");
    Rates(state, model, samples);
}

std::vector<double> Angles()
{
    std::vector<double> angles;
    double angle = 0;
    for (int step = 0; step < 18; ++step, angle += 10)
        angles.push_back(angle);
    return angles;
}

void AllSteps(benchmark::State &state)
{
    const ModelHandle model = Sphere();
    const TSilhouetteSize size = SilhouetteSizeFor(*model, 0.2);
    QThreadPool pool;
    pool.setMaxThreadCount(int(state.range(0)));
    std::size_t points = 0;
    for (auto _ : state) {
        std::vector<QFuture<tpix2d>> steps;
        for (const double angle : Angles())
            steps.push_back(QtConcurrent::run(
                &pool, [model, angle, size] { return RasterizeStep(*model, angle, size, 0.2); }));
        ContourTracer tracer;
        for (QFuture<tpix2d> &step : steps) {
            tpix2d grid = step.takeResult();
            points += StepContours(tracer, grid).front().points.size();
        }
    }
    benchmark::DoNotOptimize(points);
}

void AllStepsReference(benchmark::State &state)
{
    const ModelHandle model = Sphere();
    const TSilhouetteSize size = SilhouetteSizeFor(*model, 0.2);
    std::size_t points = 0;
    for (auto _ : state) {
        ContourTracer tracer;
        for (const double angle : Angles()) {
            tpix2d grid = FromReference(
                silhouette_reference::RawDoPix(*model, angle, size.largestX, size.largestY, 0.2), size);
            points += StepContours(tracer, grid).front().points.size();
        }
    }
    benchmark::DoNotOptimize(points);
}

} // namespace

BENCHMARK_CAPTURE(RasterFast, sphere_1M, Sphere)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(RasterReference, sphere_1M, Sphere)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(AllSteps)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(AllStepsReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(RasterFast, cylinder_1024, Cylinder)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(RasterReference, cylinder_1024, Cylinder)->Unit(benchmark::kMillisecond)->Iterations(2);
