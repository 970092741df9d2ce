// Reading a plot file of 1,000,000 points, against the floor of reading the
// file and converting its numbers with from_chars.
#include "benchfiles.h"
#include "drawing/drawingreader.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

const std::string &plotFile()
{
    static const std::string path = [] {
        const std::filesystem::path p = std::filesystem::temp_directory_path() / "prentavik_bench_1m.plt";
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> coordinate(0, 400000);
        std::ostringstream out;
        out << "IN;SP1;\n";
        int points = 0;
        while (points < 1000000) {
            out << "PU" << coordinate(random) << "," << coordinate(random) << ";PD";
            ++points;
            for (int i = 0; i < 99; ++i, ++points)
                out << (i ? "," : "") << coordinate(random) << "," << coordinate(random);
            out << ";\n";
        }
        out << "PU;SP0;\n";
        std::ofstream(p, std::ios::binary) << out.str();
        return p.string();
    }();
    return path;
}

void BM_HpglReader(benchmark::State &state)
{
    const std::string &path = plotFile();
    std::int64_t points = 0;
    for (auto _ : state) {
        Thpgl reader;
        if (reader.Open(path, TDrawingKind::Hpgl) != 0)
            state.SkipWithError("cannot open");
        points = 0;
        do {
            tfigura f;
            reader.ReadFigure(f);
            points += static_cast<std::int64_t>(f.points.size());
        } while (!reader.EndOfFile());
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = static_cast<double>(points);
    state.SetItemsProcessed(state.iterations() * points);
}

// The floor: the file read into memory and every number converted.
void BM_HpglFloor_ReadAndFromChars(benchmark::State &state)
{
    const std::string &path = plotFile();
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        std::int64_t sum = 0;
        const char *p = text.data();
        const char *end = p + text.size();
        while (p < end) {
            if ((*p >= '0' && *p <= '9') || *p == '-') {
                std::int32_t v = 0;
                const auto r = std::from_chars(p, end, v);
                sum += v;
                p = r.ptr;
            } else {
                ++p;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

} // namespace

BENCHMARK(BM_HpglReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HpglFloor_ReadAndFromChars)->Unit(benchmark::kMillisecond);
