#pragma once

#include "app/quotedtext.h"

#include <cstdint>
#include <string>
#include <string_view>

// Why a drawing could not be read to its end. The project window turns it
// into the message it shows.
struct TReadError
{
    enum class Kind {
        None,
        Io, // the file could not be opened or read (ioCode holds errno)
        Conversion, // a number that does not convert, or lies outside the plotter range
        Format, // the file is not of the kind it was opened as
    };

    Kind kind = Kind::None;
    int ioCode = 0;
    std::int64_t offset = 0; // byte offset of the offending text
    std::int64_t line = 0; // its line (1-based) in line-based formats, else 0
    std::string text; // the start of the offending text (see quote)
    // Where the fault is no text of the file (a value missing, a curve too
    // large), the key in the language file's "Project_window" section that
    // names it; text then holds at most a figure.
    std::string what;

    explicit operator bool() const { return kind != Kind::None; }

    // Keeps only the start of the offending text: a value may be megabytes
    // long, and the message quotes no more than its start.
    void quote(std::string_view offending) { text = QuotedExcerpt(offending); }
};
