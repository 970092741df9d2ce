#pragma once

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

// A DXF of 100,000 LINEs, 100,000 ARCs and 10,000 bulged LWPOLYLINEs over a
// square metre, seeded, written once per run to the temporary folder as a
// CAD program writes it (about 54 MB): the large mixed drawing the reader and
// the planner are measured on.
inline const std::string &MixedDxfFile()
{
    static const std::string path = [] {
        // As a CAD program writes it: group codes right-aligned in three
        // places, handles, subclass markers and coordinates to the last
        // digit, about 54 MB in all.
        const auto pair = [](std::ostringstream &out, int code, const auto &value) {
            out << std::setw(3) << code << "\n" << value << "\n";
        };
        std::uint64_t handle = 0x100;
        const auto entity = [&](std::ostringstream &out, const char *type, const char *subclass) {
            pair(out, 0, type);
            out << "  5\n" << std::hex << std::uppercase << handle++ << std::dec << "\n";
            pair(out, 330, "1F");
            pair(out, 100, "AcDbEntity");
            pair(out, 8, "0");
            pair(out, 6, "ByLayer");
            pair(out, 62, 256);
            pair(out, 370, -1);
            pair(out, 100, subclass);
        };
        const auto extrusion = [&](std::ostringstream &out) {
            pair(out, 210, "0.0");
            pair(out, 220, "0.0");
            pair(out, 230, "1.0");
        };
        const std::filesystem::path p = std::filesystem::temp_directory_path() / "prentavik_bench_210k.dxf";
        std::mt19937 random(4242);
        std::uniform_real_distribution<double> coordinate(0.0, 1000.0);
        std::uniform_real_distribution<double> radius(1.0, 40.0);
        std::uniform_real_distribution<double> angle(0.0, 360.0);
        std::uniform_real_distribution<double> bulge(-1.0, 1.0);
        std::ostringstream out;
        out.precision(17);
        pair(out, 0, "SECTION");
        pair(out, 2, "ENTITIES");
        for (int i = 0; i < 100000; ++i) {
            entity(out, "LINE", "AcDbLine");
            pair(out, 10, coordinate(random));
            pair(out, 20, coordinate(random));
            pair(out, 30, "0.0");
            pair(out, 11, coordinate(random));
            pair(out, 21, coordinate(random));
            pair(out, 31, "0.0");
            extrusion(out);
        }
        for (int i = 0; i < 100000; ++i) {
            entity(out, "ARC", "AcDbCircle");
            pair(out, 10, coordinate(random));
            pair(out, 20, coordinate(random));
            pair(out, 30, "0.0");
            pair(out, 40, radius(random));
            extrusion(out);
            pair(out, 100, "AcDbArc");
            pair(out, 50, angle(random));
            pair(out, 51, angle(random));
        }
        for (int i = 0; i < 10000; ++i) {
            entity(out, "LWPOLYLINE", "AcDbPolyline");
            pair(out, 90, 8);
            pair(out, 70, 1);
            pair(out, 43, "0.0");
            for (int v = 0; v < 8; ++v) {
                pair(out, 10, coordinate(random));
                pair(out, 20, coordinate(random));
                pair(out, 42, bulge(random));
            }
            extrusion(out);
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
