// Loading a drawing: the indexed figure collector against the plain list
// scans it must match, on a drawing exploded into many open pieces and on one
// of many closed figures.
#include "loadsupport.h"
#include "project/figurecollector.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double Tolerance = 10.0;

// 5,000 outlines of 20 corners on a grid, each cut into 10 pieces of three
// points, some reversed, all shuffled.
std::vector<tfigura> ExplodedOutlines()
{
    std::mt19937 rng(7);
    std::vector<tfigura> pieces;
    for (int outline = 0; outline < 5000; ++outline) {
        const int cx = (outline % 100) * 4000, cy = (outline / 100) * 4000;
        std::vector<TPlotPoint> ring;
        for (int k = 0; k <= 20; ++k) {
            const double a = 2 * std::numbers::pi * (k % 20) / 20;
            ring.push_back(
                {cx + int(std::nearbyint(1500 * std::cos(a))), cy + int(std::nearbyint(1500 * std::sin(a)))});
        }
        for (int p = 0; p < 10; ++p) {
            std::vector<TPlotPoint> piece(ring.begin() + 2 * p, ring.begin() + 2 * p + 3);
            if (rng() % 2)
                std::reverse(piece.begin(), piece.end());
            pieces.push_back(ReaderFigure(piece));
        }
    }
    std::shuffle(pieces.begin(), pieces.end(), rng);
    return pieces;
}

// 100,000 closed squares.
std::vector<tfigura> ClosedFigures()
{
    std::vector<tfigura> figures;
    for (int i = 0; i < 100000; ++i) {
        const int x = (i % 400) * 500, y = (i / 400) * 500;
        figures.push_back(ReaderFigure({{x, y}, {x + 300, y}, {x + 300, y + 300}, {x, y + 300}, {x, y}}));
    }
    return figures;
}

// 10,000 crosses of two lines each, on a grid, shuffled: a drilling project
// loaded with cross-to-point cutting.
std::vector<tfigura> Crosses()
{
    std::mt19937 rng(5);
    std::vector<tfigura> lines;
    for (int i = 0; i < 10000; ++i) {
        const int x = (i % 100) * 800, y = (i / 100) * 800;
        lines.push_back(ReaderFigure({{x - 200, y - 200}, {x + 200, y + 200}}));
        lines.push_back(ReaderFigure({{x - 200, y + 200}, {x + 200, y - 200}}));
    }
    std::shuffle(lines.begin(), lines.end(), rng);
    return lines;
}

void Indexed(benchmark::State &state, const std::vector<tfigura> &incoming, bool cross = false)
{
    for (auto _ : state) {
        // Loading hands each figure over; the copy is the reader's work.
        state.PauseTiming();
        std::vector<tfigura> figures = incoming;
        state.ResumeTiming();
        TFigureCollector collector(Tolerance, cross);
        for (tfigura &f : figures)
            collector.Add(std::move(f));
        auto loaded = collector.TakeFigures();
        benchmark::DoNotOptimize(loaded.data());
        state.counters["figures"] = double(loaded.size());
    }
}

void Direct(benchmark::State &state, const std::vector<tfigura> &incoming, bool cross = false)
{
    for (auto _ : state) {
        auto figures = DirectCollect(incoming, Tolerance, cross);
        benchmark::DoNotOptimize(figures.data());
        state.counters["figures"] = double(figures.size());
    }
}

void BM_ExplodedOutlines_Indexed(benchmark::State &state)
{
    Indexed(state, ExplodedOutlines());
}
void BM_ExplodedOutlines_Direct(benchmark::State &state)
{
    Direct(state, ExplodedOutlines());
}
void BM_ClosedFigures_Indexed(benchmark::State &state)
{
    Indexed(state, ClosedFigures());
}
void BM_ClosedFigures_Direct(benchmark::State &state)
{
    Direct(state, ClosedFigures());
}
void BM_Crosses_Indexed(benchmark::State &state)
{
    Indexed(state, Crosses(), true);
}
void BM_Crosses_Direct(benchmark::State &state)
{
    Direct(state, Crosses(), true);
}

} // namespace

BENCHMARK(BM_ExplodedOutlines_Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExplodedOutlines_Direct)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ClosedFigures_Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClosedFigures_Direct)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Crosses_Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crosses_Direct)->Unit(benchmark::kMillisecond)->Iterations(1);
