#pragma once

// The check every drawing reader's fuzzer makes: the reader must end, never
// fault, and every point it gives must lie within the plotter range.

#include "drawing/drawingreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

inline int FuzzDrawingReader(const uint8_t *data, size_t size, TDrawingKind kind)
{
    Thpgl reader;
    const int opened = reader.OpenText(std::string(reinterpret_cast<const char *>(data), size), kind);
    // An EPS file that is not PostScript, a UTF-16 text and a binary DXF are
    // refused at once, as they should be.
    if ((kind == TDrawingKind::Eps && opened == Thpgl::NotPostScript) || opened == Thpgl::UnsupportedFormat)
        return 0;
    if (opened != 0)
        std::abort();
    // Every call reads at least one line or token, so size + 2 calls always
    // suffice.
    std::size_t calls = 0;
    do {
        if (++calls > size + 2)
            std::abort();
        tfigura f;
        if (!reader.ReadFigure(f))
            break;
        for (const TPlotPoint &p : f.points) {
            if (p.x < -MaxPlotCoordinate || p.x > MaxPlotCoordinate || p.y < -MaxPlotCoordinate
                || p.y > MaxPlotCoordinate)
                std::abort();
        }
        if (f.valid != !f.points.empty())
            std::abort();
        if (f.valid && (f.width < 0 || f.height < 0))
            std::abort();
    } while (!reader.EndOfFile());
    return 0;
}
