#include "drawing/textlines.h"

#include "drawing/numbers.h"

void TTextLines::reset(std::string_view text)
{
    m_text = text;
    m_pos = 0;
    m_lineStart = 0;
    m_parity = false;
    m_lineCount = 0;
}

std::string_view TTextLines::ReadTextLine()
{
    m_parity = !m_parity;
    ++m_lineCount;
    m_lineStart = m_pos;
    const std::size_t size = m_text.size();
    if (m_pos >= size)
        return {};
    const char *begin = m_text.data() + m_pos;
    const std::size_t rest = size - m_pos;
    // Lines are short; scanning for either end character in one pass.
    std::size_t length = 0;
    while (length < rest && begin[length] != '\r' && begin[length] != '\n')
        ++length;
    const std::string_view line(begin, length);
    m_pos += length;
    if (m_pos < size) {
        const char end = m_text[m_pos++];
        if (end == '\r' && m_pos < size && m_text[m_pos] == '\n')
            ++m_pos;
    }
    return line;
}

bool TTextLines::ReadRealLine(double &value)
{
    const std::string_view line = TrimBlanks(ReadTextLine());
    if (line.empty())
        return true;
    return ParseReal(line, value);
}

bool TTextLines::ReadIntLine(std::int32_t &value)
{
    const std::string_view line = TrimBlanks(ReadTextLine());
    if (line.empty())
        return true;
    return ParseInt(line, value);
}

namespace {

bool sameWord(std::string_view line, std::string_view word)
{
    line = TrimBlanks(line);
    if (line.size() != word.size())
        return false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto upper
            = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(line[i]) != upper(word[i]))
            return false;
    }
    return true;
}

} // namespace

bool TTextLines::IsCodeLine(std::string_view word, std::string_view line) const
{
    return !m_parity && sameWord(line, word);
}

bool TTextLines::IsValueLine(std::string_view word, std::string_view line) const
{
    return m_parity && sameWord(line, word);
}
