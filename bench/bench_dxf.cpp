// Reading a DXF of 100,000 LINEs, 100,000 ARCs and 10,000 bulged
// LWPOLYLINEs: the drawing reader (flattening included), against the floor
// of reading the file and counting its lines, and against dxflib parsing
// the same file with empty callbacks (a comparison only; dxflib is not part
// of the program).
#include "benchfiles.h"
#include "drawing/drawingreader.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

void pair(std::ostringstream &out, int code, double value)
{
    out << code << "\n" << value << "\n";
}

void pair(std::ostringstream &out, int code, const char *value)
{
    out << code << "\n" << value << "\n";
}

const std::string &dxfFile()
{
    static const std::string path = [] {
        const std::filesystem::path p = std::filesystem::temp_directory_path() / "prentavik_bench_210k.dxf";
        std::mt19937 random(4242);
        std::uniform_real_distribution<double> coordinate(0.0, 1000.0);
        std::uniform_real_distribution<double> radius(1.0, 40.0);
        std::uniform_real_distribution<double> angle(0.0, 360.0);
        std::uniform_real_distribution<double> bulge(-1.0, 1.0);
        std::ostringstream out;
        out.precision(10);
        pair(out, 0, "SECTION");
        pair(out, 2, "ENTITIES");
        for (int i = 0; i < 100000; ++i) {
            pair(out, 0, "LINE");
            pair(out, 8, "0");
            pair(out, 10, coordinate(random));
            pair(out, 20, coordinate(random));
            pair(out, 30, 0.0);
            pair(out, 11, coordinate(random));
            pair(out, 21, coordinate(random));
            pair(out, 31, 0.0);
        }
        for (int i = 0; i < 100000; ++i) {
            pair(out, 0, "ARC");
            pair(out, 8, "0");
            pair(out, 10, coordinate(random));
            pair(out, 20, coordinate(random));
            pair(out, 30, 0.0);
            pair(out, 40, radius(random));
            pair(out, 50, angle(random));
            pair(out, 51, angle(random));
        }
        for (int i = 0; i < 10000; ++i) {
            pair(out, 0, "LWPOLYLINE");
            pair(out, 8, "0");
            pair(out, 90, 8.0);
            pair(out, 70, 1.0);
            for (int v = 0; v < 8; ++v) {
                pair(out, 10, coordinate(random));
                pair(out, 20, coordinate(random));
                pair(out, 42, bulge(random));
            }
        }
        pair(out, 0, "ENDSEC");
        pair(out, 0, "EOF");
        std::ofstream(p, std::ios::binary) << out.str();
        return p.string();
    }();
    return path;
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
