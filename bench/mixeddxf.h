#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

// A DXF of 100,000 LINEs, 100,000 ARCs and 10,000 bulged LWPOLYLINEs over a
// square metre, seeded, written once per run to the temporary folder: the
// large mixed drawing the reader and the planner are measured on.
inline const std::string &MixedDxfFile()
{
    static const std::string path = [] {
        const auto pair = [](std::ostringstream &out, int code, const auto &value) {
            out << code << "\n" << value << "\n";
        };
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
        // Written aside and moved in whole: other runs may be reading it.
        std::filesystem::path aside = p;
        aside += std::to_string(std::random_device {}());
        aside += ".tmp";
        std::ofstream(aside, std::ios::binary) << out.str();
        std::filesystem::rename(aside, p);
        return p.string();
    }();
    return path;
}
