#pragma once

#include <cstdint>
#include <string_view>

// Line reader over the text of a DXF or EPS drawing held in memory.
//
// A line ends at CR, LF or the end of the text; the LF of a CR LF pair is
// part of the line end, while a lone LF ends a line of its own. So an empty
// line counts as a line in every file, and the parity of DXF code and value
// lines holds for files with any line ends.
class TTextLines
{
public:
    TTextLines() = default;
    explicit TTextLines(std::string_view text) { reset(text); }

    void reset(std::string_view text);

    // Reads the next line (empty at the end of the text), toggling the line
    // parity and counting the line.
    std::string_view ReadTextLine();
    // Reads a line and converts it; an empty line leaves the value as it is.
    // False when the line is no number (a conversion error).
    bool ReadRealLine(double &value);
    bool ReadIntLine(std::int32_t &value);

    // The line last read, trimmed and upper-cased, equals word, and it was a
    // group-code line (parity false) or a value line (parity true).
    bool IsCodeLine(std::string_view word, std::string_view line) const;
    bool IsValueLine(std::string_view word, std::string_view line) const;

    bool atEnd() const { return m_pos >= m_text.size(); }

    // A place in the text to come back to (one line of look-ahead).
    struct Mark
    {
        std::size_t pos;
        std::size_t lineStart;
        bool parity;
        std::int64_t lineCount;
    };
    Mark mark() const { return {m_pos, m_lineStart, m_parity, m_lineCount}; }
    void restore(const Mark &m)
    {
        m_pos = m.pos;
        m_lineStart = m.lineStart;
        m_parity = m.parity;
        m_lineCount = m.lineCount;
    }
    bool parity() const { return m_parity; }
    void setParity(bool parity) { m_parity = parity; }
    std::int64_t lineCount() const { return m_lineCount; }
    // Offset of the start of the line last read.
    std::size_t lineOffset() const { return m_lineStart; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_lineStart = 0;
    bool m_parity = false;
    std::int64_t m_lineCount = 0;
};
