#pragma once

#include "drawing/drawingreader.h"

#include <string>
#include <vector>

struct TReadResult
{
    std::vector<tfigura> figures; // every figure, empty ones included
    int calls = 0;
    bool ok = true;
    TReadError error;

    std::vector<tfigura> validFigures() const
    {
        std::vector<tfigura> out;
        for (const tfigura &f : figures)
            if (f.valid)
                out.push_back(f);
        return out;
    }
};

// Reads a drawing from text the way the project window does: ReadFigure
// until the end of the file (bounded, so a reader that never ends fails).
inline TReadResult readDrawing(const std::string &text, TDrawingKind kind, TReaderOptions options = {})
{
    TReadResult result;
    Thpgl reader(options);
    if (reader.OpenText(text, kind) != 0) {
        result.ok = false;
        result.error = reader.error();
        return result;
    }
    do {
        tfigura f;
        ++result.calls;
        if (!reader.ReadFigure(f)) {
            result.ok = false;
            result.error = reader.error();
            break;
        }
        result.figures.push_back(std::move(f));
    } while (!reader.EndOfFile() && result.calls < 100000);
    return result;
}
