#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Messages quote the text of a file where it went wrong: a value, a line. One
// such value may be megabytes long (a number of millions of digits, a line
// without an end), and a message box lays out all it is given, for minutes.
// So a message quotes only the start of it, enough to find it in the file.
// Header-only and free of Qt: the drawing readers, which link no frame
// library, quote too. Text in Qt's hands is quoted by QuotedExcerpt of
// "app/common.h", which cuts at the same place.

inline constexpr std::size_t QuotedCharacters = 60;

// Where the first QuotedCharacters characters of UTF-8 text end. Never inside
// a character; a byte that starts no well-formed character (text in an 8-bit
// code page) counts as one.
inline std::size_t QuotedEnd(std::string_view utf8)
{
    std::size_t end = 0;
    for (std::size_t count = 0; end < utf8.size() && count < QuotedCharacters; ++count) {
        const auto lead = static_cast<unsigned char>(utf8[end]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::size_t taken = 1;
        while (taken < length && end + taken < utf8.size()
               && (static_cast<unsigned char>(utf8[end + taken]) & 0xC0) == 0x80)
            ++taken;
        end += taken;
    }
    return end;
}

// The first QuotedCharacters characters of UTF-8 text, followed by "..." when
// there is more.
inline std::string QuotedExcerpt(std::string_view utf8)
{
    const std::size_t end = QuotedEnd(utf8);
    if (end == utf8.size())
        return std::string(utf8);
    return std::string(utf8.substr(0, end)) + "...";
}
