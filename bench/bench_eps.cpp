// Reading Illustrator/EPS files of traced curves: one path of 10,000 curves,
// and 10,000 paths of one curve each. The reader (sampling and thinning
// after every curve) against the floor of reading the same file and sampling
// the same curves without thinning; and, for the long path, the thinning of
// the whole figure after every curve as a plain reduction does it.
//
// Exporting 1,000,000 points as HPGL and as DXF, against writing the same
// numbers with std::to_chars into a buffer.
#include "benchfiles.h"
#include "drawing/drawingexport.h"
#include "drawing/drawingreader.h"
#include "drawing/epsreader.h"
#include "drawing/jobbytes.h"
#include "drawing/numbers.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

// A traced outline: curves of 5 to 30 points that turn a little each time,
// their control points off the chord by up to a third of its length.
class CurveWalk
{
public:
    explicit CurveWalk(unsigned seed)
        : m_random(seed)
    { }

    void curve(std::ostringstream &out, double &x, double &y)
    {
        std::uniform_real_distribution<double> length(5.0, 30.0);
        std::uniform_real_distribution<double> turn(-0.6, 0.6);
        std::uniform_real_distribution<double> bend(-0.33, 0.33);
        m_heading += turn(m_random);
        const double l = length(m_random);
        const double dx = std::cos(m_heading) * l;
        const double dy = std::sin(m_heading) * l;
        const double b1 = bend(m_random);
        const double b2 = bend(m_random);
        out << x + dx / 3 - dy * b1 << ' ' << y + dy / 3 + dx * b1 << ' ' << x + 2 * dx / 3 - dy * b2 << ' '
            << y + 2 * dy / 3 + dx * b2 << ' ' << x + dx << ' ' << y + dy << " c\n";
        x += dx;
        y += dy;
    }
    std::mt19937 &random() { return m_random; }

private:
    std::mt19937 m_random;
    double m_heading = 0.0;
};

std::string epsFile(const char *name, bool onePath)
{
    const std::filesystem::path p = std::filesystem::temp_directory_path() / name;
    std::ostringstream out;
    out.precision(8);
    out << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 2000 2000\n%%EndSetup\n0 0 0 1 K\n";
    CurveWalk walk(onePath ? 2027 : 1117);
    std::uniform_real_distribution<double> start(0.0, 2000.0);
    double x = 1000;
    double y = 1000;
    if (onePath)
        out << x << ' ' << y << " m\n";
    for (int i = 0; i < 10000; ++i) {
        if (!onePath) {
            x = start(walk.random());
            y = start(walk.random());
            out << x << ' ' << y << " m\n";
        }
        walk.curve(out, x, y);
        if (!onePath)
            out << "S\n";
    }
    if (onePath)
        out << "S\n";
    out << "%%EOF\n";
    std::ofstream(p, std::ios::binary) << out.str();
    return p.string();
}

const std::string &longPathFile()
{
    static const std::string path = epsFile("prentavik_bench_eps_path.eps", true);
    return path;
}

const std::string &shortPathsFile()
{
    static const std::string path = epsFile("prentavik_bench_eps_paths.eps", false);
    return path;
}

void readEps(benchmark::State &state, const std::string &path)
{
    std::int64_t points = 0;
    for (auto _ : state) {
        Thpgl reader;
        if (reader.Open(path, TDrawingKind::Eps) != 0)
            state.SkipWithError("cannot open");
        points = 0;
        do {
            tfigura f;
            if (!reader.ReadFigure(f))
                state.SkipWithError("cannot read");
            points += static_cast<std::int64_t>(f.points.size());
        } while (!reader.EndOfFile());
        benchmark::DoNotOptimize(points);
    }
    state.counters["points kept"] = static_cast<double>(points);
}

TPlotPoint toUnits(TCurvePoint mm)
{
    return {static_cast<std::int32_t>(static_cast<double>(RoundHalfEven(40000.0L * mm.x / 1000.0L))),
            static_cast<std::int32_t>(static_cast<double>(RoundHalfEven(40000.0L * mm.y / 1000.0L)))};
}

// The floor: the file read, its lines split into numbers, every curve
// sampled into plotter units, with thinning left out (reduce = false) or
// done on the whole figure after every curve (reduce = true).
void sampleEps(benchmark::State &state, const std::string &path, bool reduce)
{
    std::int64_t points = 0;
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        TTextLines lines(text);
        tfigura figure;
        points = 0;
        while (!lines.atEnd()) {
            const std::string_view line = TrimBlanks(lines.ReadTextLine());
            if (line.empty() || line.front() == '%' || line.back() == 'K')
                continue;
            if (line.back() == 'S') {
                points += static_cast<std::int64_t>(figure.points.size());
                figure.points.clear();
                continue;
            }
            long double v[6] {};
            int n = 0;
            std::size_t pos = 0;
            while (n < 6) {
                const std::size_t end = line.find(' ', pos);
                if (end == std::string_view::npos)
                    break;
                double value = 0;
                ParseReal(line.substr(pos, end - pos), value);
                v[n++] = PointsToMm(value);
                pos = end + 1;
            }
            if (n == 2) {
                figure.points.push_back(toUnits({v[0], v[1]}));
                continue;
            }
            const TPlotPoint last = figure.points.back();
            const TCurvePoint p0 {last.x / 40.0L, last.y / 40.0L};
            SampleEpsCurve(p0, {v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, [&](TCurvePoint p) {
                const TPlotPoint u = toUnits(p);
                if (!(u == figure.points.back()))
                    figure.points.push_back(u);
            });
            if (reduce)
                ReducePoints(figure, 4.0);
        }
        benchmark::DoNotOptimize(points);
    }
    state.counters["points kept"] = static_cast<double>(points);
}

void BM_EpsReader_OnePathOf10000Curves(benchmark::State &state)
{
    readEps(state, longPathFile());
}

void BM_EpsFloor_OnePathOf10000Curves_ReadAndSample(benchmark::State &state)
{
    sampleEps(state, longPathFile(), false);
}

void BM_EpsPlainReduction_OnePathOf10000Curves(benchmark::State &state)
{
    sampleEps(state, longPathFile(), true);
}

void BM_EpsReader_10000PathsOfOneCurve(benchmark::State &state)
{
    readEps(state, shortPathsFile());
}

void BM_EpsFloor_10000PathsOfOneCurve_ReadAndSample(benchmark::State &state)
{
    sampleEps(state, shortPathsFile(), false);
}

// 1,000 figures of 1,000 points across the whole plotter range.
const std::vector<tfigura> &exportFigures()
{
    static const std::vector<tfigura> figures = [] {
        std::mt19937 random(99);
        std::uniform_int_distribution<std::int32_t> coordinate(-MaxPlotCoordinate, MaxPlotCoordinate);
        std::vector<tfigura> out(1000);
        for (tfigura &f : out)
            for (int i = 0; i < 1000; ++i)
                f.points.push_back({coordinate(random), coordinate(random)});
        return out;
    }();
    return figures;
}

void exportFile(benchmark::State &state, std::string (*exporter)(const std::vector<tfigura> &))
{
    for (auto _ : state) {
        const std::string bytes = exporter(exportFigures());
        benchmark::DoNotOptimize(bytes.data());
    }
}

// The floor: both coordinates of every point written with std::to_chars
// into a buffer made beforehand.
template<typename Write> void toCharsFloor(benchmark::State &state, Write write)
{
    std::string buffer(40 * 1000 * 1000, '\0');
    for (auto _ : state) {
        char *p = buffer.data();
        char *end = p + buffer.size();
        for (const tfigura &f : exportFigures()) {
            for (const TPlotPoint &pt : f.points) {
                p = write(p, end, pt.x);
                p = write(p, end, pt.y);
            }
        }
        benchmark::DoNotOptimize(p);
    }
}

void BM_ExportHpgl_1MPoints(benchmark::State &state)
{
    exportFile(state, ExportHpgl);
}

void BM_ExportHpglFloor_ToChars(benchmark::State &state)
{
    toCharsFloor(state, [](char *p, char *end, std::int32_t v) { return std::to_chars(p, end, v).ptr; });
}

void BM_ExportDxf_1MPoints(benchmark::State &state)
{
    exportFile(state, ExportDxf);
}

void BM_ExportDxfFloor_ToChars(benchmark::State &state)
{
    toCharsFloor(state, [](char *p, char *end, std::int32_t v) {
        return std::to_chars(p, end, v / 40.0, std::chars_format::fixed, 3).ptr;
    });
}

} // namespace

BENCHMARK(BM_EpsReader_OnePathOf10000Curves)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EpsFloor_OnePathOf10000Curves_ReadAndSample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EpsPlainReduction_OnePathOf10000Curves)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EpsReader_10000PathsOfOneCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EpsFloor_10000PathsOfOneCurve_ReadAndSample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportHpgl_1MPoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportHpglFloor_ToChars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportDxf_1MPoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportDxfFloor_ToChars)->Unit(benchmark::kMillisecond);
