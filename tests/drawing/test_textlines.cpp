#include "drawing/numbers.h"
#include "drawing/textlines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> allLines(std::string_view text)
{
    TTextLines lines(text);
    std::vector<std::string> out;
    while (!lines.atEnd())
        out.emplace_back(lines.ReadTextLine());
    return out;
}

} // namespace

TEST(TextLines, EveryLineEndKeepsEmptyLines)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(allLines("0\r\nLINE\r\n\r\n8"), (Lines {"0", "LINE", "", "8"}));
    EXPECT_EQ(allLines("0\rLINE\r\rX"), (Lines {"0", "LINE", "", "X"}));
    // An empty line of an LF-only file used to be swallowed, shifting every
    // later code line onto a value line.
    EXPECT_EQ(allLines("0\nLINE\n\n8\n"), (Lines {"0", "LINE", "", "8"}));
    EXPECT_EQ(allLines("a\n\rb"), (Lines {"a", "", "b"}));
}

TEST(TextLines, ParityAndCountFollowEveryLine)
{
    TTextLines lines("  0\nLINE\n 10\n1.5\n");
    lines.setParity(true);
    const std::string_view code = lines.ReadTextLine();
    EXPECT_FALSE(lines.parity());
    EXPECT_TRUE(lines.IsCodeLine("0", code));
    EXPECT_FALSE(lines.IsValueLine("0", code));
    const std::string_view value = lines.ReadTextLine();
    EXPECT_TRUE(lines.IsValueLine("line", value));
    EXPECT_EQ(lines.lineCount(), 2);
    std::int32_t groupCode = -1;
    EXPECT_TRUE(lines.ReadIntLine(groupCode));
    EXPECT_EQ(groupCode, 10);
    double v = 0;
    EXPECT_TRUE(lines.ReadRealLine(v));
    EXPECT_EQ(v, 1.5);
    // At the end an empty line leaves the value as it was.
    EXPECT_TRUE(lines.ReadRealLine(v));
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(lines.lineCount(), 5);
}

TEST(Numbers, RealsAndIntegersConvertLocaleFree)
{
    struct Case
    {
        const char *text;
        bool ok;
        double value;
    };
    const Case reals[] = {
        {"1.5", true, 1.5},  {"1,5", true, 1.5},  {" -2.25 ", true, -2.25}, {"+3", true, 3},
        {"1e3", true, 1000}, {".5", true, 0.5},   {"5.", true, 5},          {"nan", false, 0},
        {"inf", false, 0},   {"-inf", false, 0},  {"1e999", false, 0},      {"", false, 0},
        {"1.2.3", false, 0}, {"12abc", false, 0}, {"0x10", false, 0},       {"+-1", false, 0},
    };
    for (const Case &c : reals) {
        SCOPED_TRACE(c.text);
        double v = -99;
        EXPECT_EQ(ParseReal(c.text, v), c.ok);
        EXPECT_EQ(v, c.ok ? c.value : -99);
    }
    const Case ints[] = {
        {"42", true, 42},         {"-7", true, -7},  {"+7", true, 7},
        {" 8 ", true, 8},         {"1.0", false, 0}, {"2147483647", true, 2147483647},
        {"2147483648", false, 0}, {"", false, 0},    {"-", false, 0},
    };
    for (const Case &c : ints) {
        SCOPED_TRACE(c.text);
        std::int32_t v = -99;
        EXPECT_EQ(ParseInt(c.text, v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
    EXPECT_EQ(ParseRealPrefix("1-2"), 1.0);
    EXPECT_EQ(ParseRealPrefix("-"), 0.0);
    EXPECT_EQ(ParseRealPrefix("+.25"), 0.25);
}
