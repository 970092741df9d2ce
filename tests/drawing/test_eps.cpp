#include "drawing/epsreader.h"
#include "drawing/jobbytes.h"
#include "drawing/reduction.h"
#include "drawingtesthelpers.h"

#include <gtest/gtest.h>

namespace {

using Points = std::vector<TPlotPoint>;

struct Expected
{
    Points points;
    int pen;
};

std::string eps(const std::string &body, const char *lineEnd = "\n")
{
    std::string text = std::string("%!PS-Adobe-3.0 EPSF-3.0") + lineEnd + "%%BoundingBox: 0 0 72 72" + lineEnd
        + "0 0 m" + lineEnd + "%%EndSetup" + lineEnd;
    for (char c : body) {
        if (c == '\n')
            text += lineEnd;
        else
            text += c;
    }
    return text;
}

const Points square {{0, 0}, {1016, 0}, {1016, 1016}, {0, 1016}, {0, 0}};

} // namespace

TEST(EpsReader, PathsGiveExactFigures)
{
    const std::string squareBody = "0 0 m\n72 0 L\n72 72 L\n0 72 L\n0 0 L\nS\n";
    struct Case
    {
        const char *name;
        std::string text;
        std::vector<Expected> figures;
    };
    const Case cases[] = {
        {"square, 72 points are 1016 units", eps(squareBody), {{square, 1}}},
        {"CR-only lines", eps(squareBody, "\r"), {{square, 1}}},
        {"stroke colours",
         eps("0 1 1 0 K\n0 0 m\n72 0 L\nS\n0.5 0 0 0 K\n0 0 m\n0 72 l\nS\n"),
         {{{{0, 0}, {1016, 0}}, 3}, {{{0, 0}, {0, 1016}}, 0}}},
        {"a comment in the body does nothing",
         eps("0 0 m\n% 36 36 S\n72 0 L\nS\n"),
         {{{{0, 0}, {1016, 0}}, 1}}},
        {"two paths, the second from its m",
         eps("0 0 m\n72 0 L\nS\n36 36 m\n36 72 L\nS\n"),
         {{{{0, 0}, {1016, 0}}, 1}, {{{508, 508}, {508, 1016}}, 1}}},
        {"sub-paths join one figure",
         eps("0 0 m\n72 0 L\n0 72 m\n72 72 L\nS\n"),
         {{{{0, 0}, {1016, 0}, {0, 1016}, {1016, 1016}}, 1}}},
        {"a straight curve keeps its two ends",
         eps("0 0 m\n24 0 48 0 72 0 c\nS\n"),
         {{{{0, 0}, {1016, 0}}, 1}}},
        {"a curve without a current point is left out",
         eps("10 40 40 40 40 10 c\n0 0 m\n72 0 L\nS\n"),
         {{{{0, 0}, {1016, 0}}, 1}}},
        {"s closes to the last m, S does not",
         eps("0 0 m\n72 0 L\n72 72 L\nS\n0 0 m\n72 0 L\n72 72 L\ns\n"),
         {{{{0, 0}, {1016, 0}, {1016, 1016}}, 1}, {{{0, 0}, {1016, 0}, {1016, 1016}, {0, 0}}, 1}}},
        {"b closes its last sub-path",
         eps("0 0 m\n72 0 L\n36 36 m\n72 36 L\n72 72 L\nb\n"),
         {{{{0, 0}, {1016, 0}, {508, 508}, {1016, 508}, {1016, 1016}, {508, 508}}, 1}}},
        {"an already closed path gets no second end",
         eps("0 0 m\n72 0 L\n0 72 L\n0 0 L\nf\n"),
         {{{{0, 0}, {1016, 0}, {0, 1016}, {0, 0}}, 1}}},
        {"%%EOF ends the reading",
         eps("0 0 m\n72 0 L\nS\n%%EOF\n0 0 m\n0 72 L\nS\n"),
         {{{{0, 0}, {1016, 0}}, 1}}},
        {"the last line without a line end", eps("0 0 m\n72 0 L"), {{{{0, 0}, {1016, 0}}, 1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TReadResult r = readDrawing(c.text, TDrawingKind::Eps);
        ASSERT_TRUE(r.ok) << "line " << r.error.line << ": " << r.error.text;
        const std::vector<tfigura> figures = r.validFigures();
        ASSERT_EQ(figures.size(), c.figures.size());
        for (std::size_t i = 0; i < figures.size(); ++i) {
            EXPECT_EQ(figures[i].points, c.figures[i].points) << "figure " << i;
            EXPECT_EQ(figures[i].pen, c.figures[i].pen) << "figure " << i;
        }
    }
    // Without "%%EndSetup" the whole file is one empty figure.
    const TReadResult none = readDrawing("%!PS\n0 0 m\n72 0 L\nS\n", TDrawingKind::Eps);
    EXPECT_EQ(none.calls, 1);
    ASSERT_EQ(none.figures.size(), 1u);
    EXPECT_FALSE(none.figures[0].valid);
    EXPECT_FALSE(readDrawing(eps(squareBody), TDrawingKind::Eps).figures[0].open);
}

// Path lines whose words were not exactly their numbers used to build points
// from the numbers of an earlier line or from nothing.
TEST(EpsReader, BrokenPathLinesAreConversionErrorsWithTheirLine)
{
    struct Case
    {
        const char *body;
        std::int64_t line;
        const char *text;
    };
    const Case cases[] = {
        {"0 0 m 72 0 l\nS\n", 5, "0 0 m 72 0 l"},
        {"0 0 m\n72 L\nS\n", 6, "72 L"},
        {"0 0 m\n1 2 3 4 5 c\nS\n", 6, "1 2 3 4 5 c"},
        {"0 0 m\n1 2 3 4 5 6 v\nS\n", 6, "1 2 3 4 5 6 v"},
        {"0 0 m\n0 zero L\nS\n", 6, "0 zero L"},
        {"0 0 m\nm\nS\n", 6, "m"},
        {"1e30 0 m\nS\n", 5, "1e30 0 m"},
        {"0 0 m\n0 0 0 0 1e9 0 c\nS\n", 6, "0 0 0 0 1e9 0 c"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.body);
        const TReadResult r = readDrawing(eps(c.body), TDrawingKind::Eps);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.kind, TReadError::Kind::Conversion);
        EXPECT_EQ(r.error.line, c.line);
        EXPECT_EQ(r.error.text, c.text);
    }
}

TEST(EpsReader, CurvesAreSampledNinetyNineTimesThenReduced)
{
    // t is added up in double, as written: 99 samples below 1 (the last
    // 0.9900000000000007), then the end point; a long double sum would give
    // a 100th sample just below 1.
    const TCurvePoint p0 {0, 0};
    const TCurvePoint p3 {1000, 0};
    std::vector<TCurvePoint> samples;
    SampleEpsCurve(p0, {0, 0}, {1000, 0}, p3, [&](TCurvePoint p) { samples.push_back(p); });
    ASSERT_EQ(samples.size(), 100u);
    EXPECT_EQ(samples[98], BezierCubicPoint(p0, {0, 0}, {1000, 0}, p3, 0.9900000000000007));
    EXPECT_EQ(samples[99], p3);

    // A quarter circle of radius 72 points about the origin, from (72, 0) to
    // (0, 72): the reduction keeps the samples more than 0.1 mm off the chords.
    const TReadResult read = readDrawing(eps("72 0 m\n72 39.7645 39.7645 72 0 72 c\nS\n"), TDrawingKind::Eps);
    ASSERT_TRUE(read.ok);
    const std::vector<tfigura> figures = read.validFigures();
    ASSERT_EQ(figures.size(), 1u);
    tfigura expected;
    expected.points.push_back({1016, 0});
    const long double a = PointsToMm(72);
    const long double b = PointsToMm(39.7645);
    SampleEpsCurve({a, 0}, {a, b}, {b, a}, {0, a}, [&](TCurvePoint p) {
        expected.points.push_back({static_cast<std::int32_t>(RoundHalfEven(40000.0L * p.x / 1000.0L)),
                                   static_cast<std::int32_t>(RoundHalfEven(40000.0L * p.y / 1000.0L))});
    });
    ASSERT_EQ(expected.points.size(), 101u);
    ReducePoints(expected, 4.0);
    EXPECT_EQ(figures[0].points, expected.points);
    EXPECT_GT(figures[0].points.size(), 5u);
}
