#include "drawing/hpglreader.h"
#include "drawingtesthelpers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using Points = std::vector<TPlotPoint>;

struct Expected
{
    Points points;
    int pen;
    bool open;
};

struct DrawingCase
{
    const char *name;
    std::string text;
    std::vector<Expected> figures;
};

std::string describe(const Points &points)
{
    std::string s;
    for (const TPlotPoint &p : points)
        s.append("(").append(std::to_string(p.x)).append(",").append(std::to_string(p.y)).append(")");
    return s;
}

void expectFigures(const DrawingCase &c)
{
    SCOPED_TRACE(c.name);
    const TReadResult r = readDrawing(c.text, TDrawingKind::Hpgl);
    ASSERT_TRUE(r.ok) << "error at offset " << r.error.offset << ": " << r.error.text;
    const std::vector<tfigura> figures = r.validFigures();
    ASSERT_EQ(figures.size(), c.figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(describe(figures[i].points), describe(c.figures[i].points));
        EXPECT_EQ(figures[i].pen, c.figures[i].pen);
        EXPECT_EQ(figures[i].open, c.figures[i].open);
    }
}

} // namespace

TEST(HpglReader, DrawingsGiveExactFigures)
{
    const DrawingCase cases[] = {
        {"closed square",
         "IN;SP1;PU0,0;PD100,0,100,100,0,100,0,0;PU;",
         {{{{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}, 1, false}}},
        {"repeated point dropped",
         "PU0,0;PD100,0;PD100,0;PD200,0;PU;",
         {{{{0, 0}, {100, 0}, {200, 0}}, 0, true}}},
        {"pen change ends the figure",
         "SP1;PD0,0,10,0;SP2;PD10,10;PU;",
         {{{{0, 0}, {10, 0}}, 1, true}, {{{10, 0}, {10, 10}}, 2, true}}},
        {"no final PU", "PU0,0;PD10,10;PD50,50", {{{{0, 0}, {10, 10}, {50, 50}}, 0, true}}},
        {"no terminators", "IN SP3 PU 0 0 PD 10 0 10 10 PU", {{{{0, 0}, {10, 0}, {10, 10}}, 3, true}}},
        {"line ends as separators",
         "IN;\r\nSP2;\r\nPU0,0;\r\nPD5,0,\r\n5,5;\nPU;\n",
         {{{{0, 0}, {5, 0}, {5, 5}}, 2, true}}},
        {"lower case", "sp4;pu1,1;pd2,2;pu;", {{{{1, 1}, {2, 2}}, 4, true}}},
        {"two strokes",
         "PU0,0;PD1,0;PU5,5;PD6,5,6,6;PU;",
         {{{{0, 0}, {1, 0}}, 0, true}, {{{5, 5}, {6, 5}, {6, 6}}, 0, true}}},
        {"PA while the pen is down draws",
         "PU0,0;PD;PA10,0,10,10;PU;",
         {{{{0, 0}, {10, 0}, {10, 10}}, 0, true}}},
        {"PA while up only moves", "PA7,7;PD8,8;PU;", {{{{7, 7}, {8, 8}}, 0, true}}},
        {"real first parameter rounds half to even",
         "PA10.5,20;PD11.5,20;PU;",
         {{{{10, 20}, {12, 20}}, 0, true}}},
        {"M ends a stroke",
         "PU0,0;PD5,0;M9,9;PD9,10;PU;",
         {{{{0, 0}, {5, 0}}, 0, true}, {{{9, 9}, {9, 10}}, 0, true}}},
        {"C draws from the pen position", "PU3,4;C5,6;C5,6;PU;", {{{{3, 4}, {5, 6}, {5, 6}}, 0, true}}},
        {"negative coordinates", "PU-100,-200;PD-50,-200;PU;", {{{{-100, -200}, {-50, -200}}, 0, true}}},
        {"dot as a zero in a further pair", "PU0,0;PD10,10,.,5;PU;", {{{{0, 0}, {10, 10}, {0, 5}}, 0, true}}},
        {"SP without a number selects pen 0", "SP5;SP;PD1,1;PU;", {{{{0, 0}, {1, 1}}, 0, true}}},
        {"pen down without coordinates", "PU2,2;PD;PU;", {{{{2, 2}}, 0, true}}},
    };
    for (const DrawingCase &c : cases)
        expectFigures(c);
}

// Commands that do not move the pen used to overwrite the pen position with
// their own numbers (PW0.35,1 moved a later stroke's start to (0,1)).
TEST(HpglReader, CommandsThatDoNotMoveThePenKeepThePosition)
{
    const DrawingCase cases[] = {
        {"PW between", "PU30,40;PW0.35,1;PD50,40;PU;", {{{{30, 40}, {50, 40}}, 0, true}}},
        {"IP and SC between",
         "PU30,40;IP0,0,1000,1000;SC0,10,0,10;PD50,40;PU;",
         {{{{30, 40}, {50, 40}}, 0, true}}},
        {"VS between", "PU30,40;VS10,2;PD50,40;PU;", {{{{30, 40}, {50, 40}}, 0, true}}},
    };
    for (const DrawingCase &c : cases)
        expectFigures(c);
}

// A pen-up PU and PR used to keep two positions, so a relative stroke after
// an absolute pen-up move started at the origin.
TEST(HpglReader, RelativeMovesShareOnePenPosition)
{
    const DrawingCase cases[] = {
        {"PR after PU", "PU500,500;PR;PD100,0,0,100;PU;", {{{{500, 500}, {600, 500}, {600, 600}}, 0, true}}},
        {"relative pen-up move", "PU100,100;PR;PU10,10;PD5,0;PU;", {{{{110, 110}, {115, 110}}, 0, true}}},
        {"PR with coordinates draws while down",
         "PU0,0;PD;PR10,0,0,10;PU;",
         {{{{0, 0}, {10, 0}, {10, 10}}, 0, true}}},
        {"PA returns to absolute", "PU0,0;PR;PU5,5;PA;PD20,20;PU;", {{{{5, 5}, {20, 20}}, 0, true}}},
        {"relative square closes",
         "PU10,10;PR;PD10,0,0,10,-10,0,0,-10;PU;",
         {{{{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}}, 0, false}}},
    };
    for (const DrawingCase &c : cases)
        expectFigures(c);
}

// Label text and printer escapes used to be read as commands: "LBPD..." or
// "@PJL SET PAPER" moved the pen.
TEST(HpglReader, LabelsAndPrinterEscapesAreSkipped)
{
    const DrawingCase cases[] = {
        {"label", "PU0,0;LBPD500,500 PU SP9\x03;PD1,0;PU;", {{{{0, 0}, {1, 0}}, 0, true}}},
        {"label with another terminator", "DT$;PU0,0;LBPD9,9$PD2,0;PU;", {{{{0, 0}, {2, 0}}, 0, true}}},
        {"PJL header",
         "\x1B%-12345X@PJL JOB\r\n@PJL SET PAPER=A4\r\n@PJL ENTER LANGUAGE=HPGL2\r\n\x1B"
         "E\x1B%0BIN;PU0,0;PD3,0;PU;",
         {{{{0, 0}, {3, 0}}, 0, true}}},
        {"device control",
         "\x1B.(\x1B.I81;;17:\x1B.N;19:IN;PU0,0;PD4,0;PU;\x1B.)",
         {{{{0, 0}, {4, 0}}, 0, true}}},
        {"unterminated label", "PU0,0;PD1,0;PU;LBPD9,9", {{{{0, 0}, {1, 0}}, 0, true}}},
    };
    for (const DrawingCase &c : cases)
        expectFigures(c);
}

TEST(HpglReader, PenWidthsAndPenNumbers)
{
    Thpgl reader;
    ASSERT_EQ(reader.OpenText("PW0.35,1;PW0.5,256;PW9,257;PW9,-1;SP1;PD0,0,5,5;PU;SP300;PD1,1;PU;",
                              TDrawingKind::Hpgl),
              0);
    tfigura first;
    ASSERT_TRUE(reader.ReadFigure(first));
    EXPECT_EQ(reader.PenWidth(1), 0.35);
    EXPECT_EQ(reader.PenWidth(256), 0.5);
    EXPECT_EQ(reader.PenWidth(0), 0.0);
    EXPECT_EQ(first.pen, 1);
    EXPECT_EQ(first.penWidth, 0.35);
    // SP300 is no pen: the pen stays 1.
    tfigura second;
    ASSERT_TRUE(reader.ReadFigure(second));
    EXPECT_EQ(second.pen, 1);

    // A width without a pen number used to read a stale pen number; it
    // now sets every pen.
    Thpgl all;
    ASSERT_EQ(all.OpenText("PW0.7;SP3;PD0,0,1,1;PU;", TDrawingKind::Hpgl), 0);
    tfigura f;
    ASSERT_TRUE(all.ReadFigure(f));
    EXPECT_EQ(all.PenWidth(0), 0.7);
    EXPECT_EQ(all.PenWidth(256), 0.7);
    EXPECT_EQ(f.penWidth, 0.7);
}

TEST(HpglReader, ConversionErrorsStopTheReading)
{
    struct Case
    {
        const char *name;
        std::string text;
        std::string offending;
        std::size_t figuresBefore;
    };
    const Case cases[] = {
        {"fraction as pen number", "PW0.35,1.5;", "1.5", 0},
        {"fraction in a further pair", "PU0,0;PD1,1,2.5,3;", "2.5", 0},
        {"sign inside a number", "PU0,0;PD1,1-2;", "1-2", 0},
        {"beyond the plotter range", "PU0,0;PD1,1;PU;PD21474836,0;", "PD21474836,0", 1},
        {"int32 overflow", "PU0,99999999999;", "99999999999", 0},
        {"relative walk out of range", "PU21474835,0;PR;PD1,0;", "PD1,0", 0},
        // Fault mended: a number too large for a double was read as 0 and
        // drew a stroke to the origin.
        {"beyond a double", "PU5,5;PD" + std::string(400, '9') + ",0;", std::string(60, '9') + "...", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TReadResult r = readDrawing(c.text, TDrawingKind::Hpgl);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.kind, TReadError::Kind::Conversion);
        EXPECT_EQ(r.error.text.substr(0, c.offending.size()), c.offending);
        EXPECT_EQ(r.validFigures().size(), c.figuresBefore);
    }
}

TEST(HpglReader, EmptyFileGivesOneEmptyFigure)
{
    for (const std::string text : {"", ";;  \r\n", "IN;"}) {
        SCOPED_TRACE(text);
        const TReadResult r = readDrawing(text, TDrawingKind::Hpgl);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.calls, 1);
        ASSERT_EQ(r.figures.size(), 1u);
        EXPECT_FALSE(r.figures[0].valid);
    }
}

TEST(DrawingReader, OpenReportsFileErrorsAndPostScriptCheck)
{
    Thpgl reader;
    EXPECT_EQ(reader.Open("/nonexistent/folder/drawing.plt", TDrawingKind::Hpgl), ENOENT);
    EXPECT_EQ(reader.error().kind, TReadError::Kind::Io);
    EXPECT_EQ(reader.Open("/nonexistent/folder/drawing.dxf", TDrawingKind::Dxf), ENOENT);

    EXPECT_EQ(reader.OpenText("%!PS-Adobe-3.0 EPSF-3.0\n", TDrawingKind::Eps), 0);
    EXPECT_EQ(reader.OpenText("%PDF-1.4\n", TDrawingKind::Eps), Thpgl::NotPostScript);
    EXPECT_EQ(reader.OpenText("%!P", TDrawingKind::Eps), Thpgl::NotPostScript);

    // Fault mended: these opened as empty drawings ("empty file").
    using namespace std::string_literals;
    const std::pair<std::string, TDrawingKind> unsupported[] = {
        {"AutoCAD Binary DXF\r\n\x1a\0"s + "\0\x08SECTION"s, TDrawingKind::Dxf},
        {"\xFF\xFE"
         "0\0\n\0S\0E\0C\0"s,
         TDrawingKind::Dxf},
        {"\xFE\xFF"
         "\0I\0N\0;"s,
         TDrawingKind::Hpgl},
        {"\xFF\xFE%\0!\0P\0S\0"s, TDrawingKind::Eps},
    };
    for (const auto &[text, kind] : unsupported) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(reader.OpenText(text, kind), Thpgl::UnsupportedFormat);
        EXPECT_EQ(reader.error().kind, TReadError::Kind::Format);
    }
    // A UTF-8 byte-order mark is no part of the first line.
    const TReadResult marked = readDrawing("\xEF\xBB\xBFIN;PU0,0;PD10,0;PU;", TDrawingKind::Hpgl);
    ASSERT_TRUE(marked.ok);
    EXPECT_EQ(marked.validFigures().size(), 1u);

    const std::filesystem::path path = std::filesystem::temp_directory_path() / "prentavik_reader_test.plt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "SP2;PU0,0;PD40,0,40,40;PU;";
    }
    Thpgl fromFile;
    ASSERT_EQ(fromFile.Open(path.string(), TDrawingKind::Hpgl), 0);
    tfigura f;
    ASSERT_TRUE(fromFile.ReadFigure(f));
    EXPECT_EQ(f.points.size(), 3u);
    EXPECT_EQ(f.pen, 2);
    EXPECT_EQ(f.maxX, 40);
    EXPECT_TRUE(fromFile.EndOfFile());
    fromFile.Close();
    std::filesystem::remove(path);
}

TEST(DrawingReader, ADrawingLongerThanOneReadGivesTheSameFiguresFromAFileAndAPipe)
{
    // A file is read into room for its known size; a pipe tells no size and
    // is read on as it comes. Both must give every figure of the text.
    std::string text = "IN;SP1;";
    for (int k = 0; k < 6000; ++k)
        text += "PU" + std::to_string(k) + ",0;PD" + std::to_string(k) + ",50," + std::to_string(k + 7)
            + ",90;";
    text += "PU;";
    ASSERT_GT(text.size(), std::size_t {2} << 16);
    const auto figuresOf = [](Thpgl &reader) {
        std::vector<std::vector<TPlotPoint>> figures;
        while (!reader.EndOfFile()) {
            tfigura f;
            if (!reader.ReadFigure(f))
                break;
            if (f.valid)
                figures.push_back(f.points);
        }
        return figures;
    };
    Thpgl fromText;
    ASSERT_EQ(fromText.OpenText(text, TDrawingKind::Hpgl), 0);
    const auto expected = figuresOf(fromText);
    ASSERT_EQ(expected.size(), 6000u);

    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::filesystem::path file = dir / "prentavik_long_drawing.plt";
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }
    Thpgl fromFile;
    ASSERT_EQ(fromFile.Open(file.string(), TDrawingKind::Hpgl), 0);
    EXPECT_EQ(figuresOf(fromFile), expected);
    std::filesystem::remove(file);

    const std::filesystem::path pipe = dir / "prentavik_long_drawing.pipe";
    std::filesystem::remove(pipe);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer([&] {
        std::ofstream out(pipe, std::ios::binary);
        out << text;
    });
    Thpgl fromPipe;
    const int opened = fromPipe.Open(pipe.string(), TDrawingKind::Hpgl);
    writer.join();
    std::filesystem::remove(pipe);
    ASSERT_EQ(opened, 0);
    EXPECT_EQ(figuresOf(fromPipe), expected);
}
