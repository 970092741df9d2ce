// Reading a DXF of 100,000 LINEs, 100,000 ARCs and 10,000 bulged
// LWPOLYLINEs: the drawing reader (flattening included), against the floor
// of reading the file and counting its lines, and against dxflib parsing
// the same file with empty callbacks (a comparison only; dxflib is not part
// of the program).
#include "benchfiles.h"
#include "drawing/drawingreader.h"
#include "mixeddxf.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <string>

namespace {

const std::string &dxfFile()
{
    return MixedDxfFile();
}

void BM_DxfReader(benchmark::State &state)
{
    const std::string &path = dxfFile();
    std::int64_t points = 0;
    std::int64_t figures = 0;
    std::uint64_t hash = 0;
    for (auto _ : state) {
        Thpgl reader;
        if (reader.Open(path, TDrawingKind::Dxf) != 0)
            state.SkipWithError("cannot open");
        points = 0;
        figures = 0;
        hash = 1469598103934665603ULL;
        do {
            tfigura f;
            if (!reader.ReadFigure(f))
                state.SkipWithError("read error");
            points += static_cast<std::int64_t>(f.points.size());
            figures += f.valid ? 1 : 0;
            for (const TPlotPoint &p : f.points)
                hash = (hash
                        ^ (static_cast<std::uint32_t>(p.x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(p.y)))
                    * 1099511628211ULL;
        } while (!reader.EndOfFile());
        benchmark::DoNotOptimize(points);
    }
    state.counters["figures"] = static_cast<double>(figures);
    state.counters["points"] = static_cast<double>(points);
    // Every point of every figure, hashed: a faster reader must give the
    // same number (the points are identical).
    state.counters["pointHash"] = static_cast<double>(hash & ((std::uint64_t {1} << 52) - 1));
}

void BM_DxfFloor_ReadAndCountLines(benchmark::State &state)
{
    const std::string &path = dxfFile();
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        std::int64_t lines = 0;
        for (char c : text)
            lines += c == '\n';
        benchmark::DoNotOptimize(lines);
    }
}

class EmptyAdapter : public DL_CreationAdapter
{
};

void BM_Dxflib_EmptyCallbacks(benchmark::State &state)
{
    const std::string &path = dxfFile();
    for (auto _ : state) {
        EmptyAdapter adapter;
        DL_Dxf dxf;
        if (!dxf.in(path, &adapter))
            state.SkipWithError("dxflib cannot read");
    }
}

} // namespace

BENCHMARK(BM_DxfReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxfFloor_ReadAndCountLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dxflib_EmptyCallbacks)->Unit(benchmark::kMillisecond);
