// Reading a model of 1,000,000 triangles, each reader against its own floor in the same run:
// a RAW file against reading it and converting its nine million numbers to floats, and a file
// of 1,000,000 3DFACEs against reading it and parsing every group code and coordinate.
#include "benchfiles.h"
#include "model3d/modelreading.h"
#include "model3d/rawreader.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A sphere of radius 100 mm as rings x segments quads, corners in ring/segment order.
template<typename Quad> void forEachQuad(int rings, int segments, Quad quad)
{
    auto at = [&](int ring, int segment, float out[3]) {
        const double theta = M_PI * ring / rings, phi = 2 * M_PI * segment / segments;
        out[0] = float(100 * std::sin(theta) * std::cos(phi));
        out[1] = float(100 * std::cos(theta));
        out[2] = float(100 * std::sin(theta) * std::sin(phi));
    };
    float c[4][3];
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            at(r, s, c[0]);
            at(r + 1, s, c[1]);
            at(r + 1, s + 1, c[2]);
            at(r, s + 1, c[3]);
            quad(c);
        }
}

std::string writeOnce(const char *name, const std::string &text)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path.string();
}

const std::string &rawFile()
{
    static const std::string path = [] {
        std::string text = "Object1\n";
        char line[160];
        static const int halves[2][3] = {{0, 1, 2}, {0, 2, 3}};
        // 500 x 1000 quads, two triangles each.
        forEachQuad(500, 1000, [&](float c[4][3]) {
            for (const int *t : halves) {
                std::snprintf(line, sizeof line, "%.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g\n", c[t[0]][0],
                              c[t[0]][1], c[t[0]][2], c[t[1]][0], c[t[1]][1], c[t[1]][2], c[t[2]][0],
                              c[t[2]][1], c[t[2]][2]);
                text += line;
            }
        });
        return writeOnce("prentavik_bench_sphere.raw", text);
    }();
    return path;
}

// 1,000,000 faces, each a quad (two triangles in the model).
const std::string &dxfFile()
{
    static const std::string path = [] {
        std::string text = "  0\nSECTION\n  2\nENTITIES\n";
        char group[64];
        forEachQuad(1000, 1000, [&](float c[4][3]) {
            text += "  0\n3DFACE\n  8\n0\n";
            for (int k = 0; k < 4; ++k)
                for (int axis = 0; axis < 3; ++axis) {
                    std::snprintf(group, sizeof group, " %d\n%.6g\n", 10 + k + 10 * axis, c[k][axis]);
                    text += group;
                }
        });
        text += "  0\nENDSEC\n  0\nEOF\n";
        return writeOnce("prentavik_bench_faces.dxf", text);
    }();
    return path;
}

bool isNumberStart(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void BM_RawReader(benchmark::State &state)
{
    const std::string &path = rawFile();
    std::size_t count = 0;
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        std::vector<TRawTriangle> triangles;
        TModelBox box;
        ReadRawFile(text, 1.0, triangles, box);
        count = triangles.size();
        benchmark::DoNotOptimize(triangles.data());
    }
    state.counters["triangles"] = double(count);
}

// The floor: the file read into memory and its numbers converted to floats, nothing else.
void BM_RawFloor_ReadAndFromChars(benchmark::State &state)
{
    const std::string &path = rawFile();
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        double sum = 0;
        const char *p = text.data();
        const char *end = p + text.size();
        while (p < end) {
            if (isNumberStart(*p)) {
                float v = 0;
                p = std::from_chars(p, end, v).ptr;
                sum += v;
            } else {
                ++p;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_Dxf3dReader(benchmark::State &state)
{
    const std::string &path = dxfFile();
    std::size_t count = 0;
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        std::vector<TRawTriangle> triangles;
        TModelBox box;
        ReadDxfModel(text, 1.0, triangles, box);
        count = triangles.size();
        benchmark::DoNotOptimize(triangles.data());
    }
    state.counters["triangles"] = double(count);
}

// The floor: the file read into memory, cut into lines, every group code converted to an
// integer and every value that starts like a number to a float.
void BM_Dxf3dFloor_ReadAndParse(benchmark::State &state)
{
    const std::string &path = dxfFile();
    for (auto _ : state) {
        const std::string text = ReadWholeFile(path);
        double sum = 0;
        const char *p = text.data();
        const char *end = p + text.size();
        bool codeLine = true;
        while (p < end) {
            const char *lineEnd = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
            if (!lineEnd)
                lineEnd = end;
            while (p < lineEnd && *p == ' ')
                ++p;
            if (codeLine) {
                int code = 0;
                std::from_chars(p, lineEnd, code);
                sum += code;
            } else if (p < lineEnd && isNumberStart(*p)) {
                float v = 0;
                std::from_chars(p, lineEnd, v);
                sum += v;
            }
            codeLine = !codeLine;
            p = lineEnd + 1;
        }
        benchmark::DoNotOptimize(sum);
    }
}

} // namespace

BENCHMARK(BM_RawReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFloor_ReadAndFromChars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dxf3dReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dxf3dFloor_ReadAndParse)->Unit(benchmark::kMillisecond);
