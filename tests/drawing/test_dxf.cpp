#include "drawing/dxfreader.h"
#include "drawing/jobbytes.h"
#include "drawingtesthelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<int, std::string>>;
using Points = std::vector<TPlotPoint>;

std::string pairsText(const Pairs &pairs, const char *lineEnd = "\r\n")
{
    std::string text;
    for (const auto &[code, value] : pairs) {
        std::string c = std::to_string(code);
        text += std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + lineEnd + value + lineEnd;
    }
    return text;
}

// A drawing with an ENTITIES section holding the given pairs.
std::string entities(const Pairs &pairs, const Pairs &header = {})
{
    Pairs all {{0, "SECTION"}, {2, "HEADER"}};
    all.insert(all.end(), header.begin(), header.end());
    all.insert(all.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
    all.insert(all.end(), pairs.begin(), pairs.end());
    all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return pairsText(all);
}

Pairs line(double x0, double y0, double x1, double y1)
{
    return {{0, "LINE"},
            {8, "0"},
            {10, std::to_string(x0)},
            {20, std::to_string(y0)},
            {30, "0.0"},
            {11, std::to_string(x1)},
            {21, std::to_string(y1)},
            {31, "0.0"}};
}

Pairs lwpolyline(int flags, const std::vector<std::pair<TPointF, double>> &vertices)
{
    Pairs p {{0, "LWPOLYLINE"}, {8, "0"}, {90, std::to_string(vertices.size())}, {70, std::to_string(flags)}};
    for (const auto &[v, bulge] : vertices) {
        p.push_back({10, std::to_string(v.x)});
        p.push_back({20, std::to_string(v.y)});
        if (bulge != 0.0)
            p.push_back({42, std::to_string(bulge)});
    }
    return p;
}

Pairs concat(std::initializer_list<Pairs> parts)
{
    Pairs out;
    for (const Pairs &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<tfigura> figuresOf(const std::string &text, TReaderOptions options = {})
{
    const TReadResult r = readDrawing(text, TDrawingKind::Dxf, options);
    EXPECT_TRUE(r.ok) << "line " << r.error.line << ": " << r.error.text;
    return r.validFigures();
}

double distance(TPlotPoint p, double cx, double cy)
{
    return std::hypot(p.x - cx, p.y - cy);
}

} // namespace

TEST(DxfReader, LinesInTheProgramsLengthUnit)
{
    struct Case
    {
        int unit;
        Points points;
    };
    const Case cases[] = {
        {0, {{0, 0}, {400, 200}}},
        {1, {{0, 0}, {10160, 5080}}},
        {2, {{0, 0}, {121920, 60960}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.unit);
        TReaderOptions options;
        options.lengthUnit = c.unit;
        const auto figures = figuresOf(entities(line(0, 0, 10, 5)), options);
        ASSERT_EQ(figures.size(), 1u);
        EXPECT_EQ(figures[0].points, c.points);
        EXPECT_TRUE(figures[0].open);
        EXPECT_EQ(figures[0].pen, 1);
    }
}

TEST(DxfReader, CirclesTakeTheirChordCountFromTheChordRule)
{
    struct Case
    {
        double radius;
        double minimumChord;
        std::size_t points;
    };
    const Case cases[] = {
        {10, 2.0, 33}, // 62.83 mm / 2 mm -> 32 segments
        {1, 2.0, 17}, // at least 16 segments
        {100, 2.0, 193}, // 628 mm -> 192 chords of 3.27 mm
        {10, 0.25, 193}, // 192 chords of 0.327 mm
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.radius);
        TReaderOptions options;
        options.minimumChordMm = c.minimumChord;
        const auto figures = figuresOf(
            entities(
                {{0, "CIRCLE"}, {8, "0"}, {10, "5"}, {20, "-5"}, {30, "0"}, {40, std::to_string(c.radius)}}),
            options);
        ASSERT_EQ(figures.size(), 1u);
        const tfigura &f = figures[0];
        EXPECT_EQ(f.points.size(), c.points);
        EXPECT_FALSE(f.open);
        EXPECT_EQ(f.points.front(), (TPlotPoint {200 + int(std::nearbyint(c.radius * 40)), -200}));
        for (const TPlotPoint &p : f.points)
            EXPECT_LE(std::abs(distance(p, 200, -200) - c.radius * 40), 0.71);
    }
}

TEST(DxfReader, ArcsSweepCounterClockwise)
{
    {
        const auto figures = figuresOf(entities({{0, "ARC"},
                                                 {10, "0"},
                                                 {20, "0"},
                                                 {30, "0"},
                                                 {40, "100"},
                                                 {100, "AcDbArc"},
                                                 {50, "0"},
                                                 {51, "100"}}));
        ASSERT_EQ(figures.size(), 1u);
        const tfigura &f = figures[0];
        EXPECT_EQ(f.points.size(), 55u);
        EXPECT_EQ(f.points.front(), (TPlotPoint {4000, 0}));
        const double end = 100 * std::numbers::pi / 180;
        EXPECT_EQ(f.points.back(),
                  (TPlotPoint {int(std::nearbyint(4000 * std::cos(end))),
                               int(std::nearbyint(4000 * std::sin(end)))}));
        EXPECT_TRUE(f.open);
    }
    {
        // From 350 to 10 degrees: 20 degrees through 0, not 340 backwards.
        const auto figures
            = figuresOf(entities({{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "10"}, {50, "350"}, {51, "10"}}));
        ASSERT_EQ(figures.size(), 1u);
        const tfigura &f = figures[0];
        EXPECT_EQ(f.points.size(), 17u);
        for (const TPlotPoint &p : f.points)
            EXPECT_GE(p.x, 393); // never on the far side of the circle
        EXPECT_LT(f.points.front().y, 0);
        EXPECT_GT(f.points.back().y, 0);
    }
}

TEST(DxfReader, Ellipse)
{
    // Major axis 20 mm along +y, ratio 0.5, the whole ellipse.
    const auto figures = figuresOf(entities({{0, "ELLIPSE"},
                                             {10, "10"},
                                             {20, "10"},
                                             {30, "0"},
                                             {11, "0"},
                                             {21, "20"},
                                             {31, "0"},
                                             {40, "0.5"},
                                             {41, "0"},
                                             {42, std::to_string(2 * std::numbers::pi)}}));
    ASSERT_EQ(figures.size(), 1u);
    const tfigura &f = figures[0];
    // C = 20 * 2pi = 125.7 mm, chord 2 mm: 63 chords (no multiple of 4).
    EXPECT_EQ(f.points.size(), 64u);
    EXPECT_EQ(f.points.front(), (TPlotPoint {400, 1200}));
    EXPECT_FALSE(f.open);
    EXPECT_EQ(f.minX, 0);
    EXPECT_EQ(f.maxX, 800);
    EXPECT_NEAR(f.minY, -400, 2); // t = pi falls between two samples
    EXPECT_EQ(f.maxY, 1200);
}

TEST(DxfReader, LightPolylinesWithFlagsAndBulges)
{
    const std::vector<std::pair<TPointF, double>> square {
        {{0, 0}, 0}, {{10, 0}, 0}, {{10, 10}, 0}, {{0, 10}, 0}};
    for (int flags : {1, 129}) {
        SCOPED_TRACE(flags);
        const auto figures = figuresOf(entities(lwpolyline(flags, square)));
        ASSERT_EQ(figures.size(), 1u);
        EXPECT_EQ(figures[0].points, (Points {{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}}));
        EXPECT_FALSE(figures[0].open);
    }
    const auto open = figuresOf(entities(lwpolyline(0, square)));
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].points.size(), 4u);
    EXPECT_TRUE(open[0].open);

    struct Case
    {
        double bulge;
        int throughY;
    };
    for (const Case c : {Case {1.0, -400}, Case {-1.0, 400}}) {
        SCOPED_TRACE(c.bulge);
        const auto figures = figuresOf(entities(lwpolyline(0, {{{0, 0}, c.bulge}, {{20, 0}, 0}})));
        ASSERT_EQ(figures.size(), 1u);
        const tfigura &f = figures[0];
        EXPECT_EQ(f.points.front(), (TPlotPoint {0, 0}));
        EXPECT_EQ(f.points.back(), (TPlotPoint {800, 0}));
        bool through = false;
        for (std::size_t i = 0; i < f.points.size(); ++i) {
            const TPlotPoint p = f.points[i];
            EXPECT_LE(std::abs(distance(p, 400, 0) - 400), 0.71);
            through = through || p == TPlotPoint {400, c.throughY};
            EXPECT_TRUE(i == 0 || !(p == f.points[i - 1])) << "repeated point at " << i;
        }
        EXPECT_TRUE(through);
    }
}

// An explicit bulge of 0 used to make an arc of radius 1e17 whose points
// lay 20 mm off the straight segment.
TEST(DxfReader, ZeroBulgeIsAStraightSegment)
{
    const std::string text = entities({{0, "LWPOLYLINE"},
                                       {90, "3"},
                                       {70, "0"},
                                       {10, "0"},
                                       {20, "0"},
                                       {42, "0.0"},
                                       {10, "10"},
                                       {20, "0"},
                                       {42, "0"},
                                       {10, "10"},
                                       {20, "10"}});
    const auto zero = figuresOf(text);
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].points, (Points {{0, 0}, {400, 0}, {400, 400}}));

    // A bulge of almost nothing lies on a circle far beyond the range, yet
    // its arc is as short as its chord: it is read, not refused.
    const auto tiny = figuresOf(entities(lwpolyline(0, {{{0, 0}, 1e-9}, {{10, 0}, 0}})));
    ASSERT_EQ(tiny.size(), 1u);
    EXPECT_EQ(tiny[0].points.front(), (TPlotPoint {0, 0}));
    EXPECT_EQ(tiny[0].points.back(), (TPlotPoint {400, 0}));
    EXPECT_EQ(tiny[0].maxY, 0);
}

// The closing segment of a closed polyline used to be straight even when
// the last vertex carried a bulge.
TEST(DxfReader, ClosingSegmentKeepsItsBulge)
{
    const auto figures = figuresOf(entities(lwpolyline(1, {{{0, 0}, 0}, {{20, 0}, 1.0}})));
    ASSERT_EQ(figures.size(), 1u);
    const tfigura &f = figures[0];
    EXPECT_FALSE(f.open);
    EXPECT_EQ(f.points.front(), (TPlotPoint {0, 0}));
    EXPECT_EQ(f.points.back(), (TPlotPoint {0, 0}));
    EXPECT_EQ(f.maxY, 400); // the half circle above, from (20,0) back to (0,0)
    EXPECT_EQ(f.minY, 0);
    EXPECT_GT(f.points.size(), 10u);
}

TEST(DxfReader, PolylineWithVerticesAndSeqend)
{
    const Pairs vertex1 {{0, "VERTEX"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "0"}};
    const Pairs vertex2 {{0, "VERTEX"}, {8, "0"}, {10, "5"}, {20, "0"}, {30, "0"}, {70, "0"}};
    const Pairs vertex2again = vertex2;
    const Pairs vertex3 {{0, "VERTEX"}, {8, "0"}, {10, "5"}, {20, "5"}, {30, "0"}, {42, "1"}, {70, "0"}};
    const Pairs vertex4 {{0, "VERTEX"}, {8, "0"}, {10, "5"}, {20, "15"}, {30, "0"}, {70, "0"}};
    const Pairs head {{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "0"}};
    const auto figures = figuresOf(entities(
        concat({head, vertex1, vertex2, vertex2again, vertex3, vertex4, {{0, "SEQEND"}}, line(0, 0, 1, 1)})));
    ASSERT_EQ(figures.size(), 2u);
    const tfigura &f = figures[0];
    EXPECT_EQ(f.points[0], (TPlotPoint {0, 0}));
    EXPECT_EQ(f.points[1], (TPlotPoint {200, 0}));
    EXPECT_EQ(f.points[2], (TPlotPoint {200, 200}));
    EXPECT_EQ(f.points.back(), (TPlotPoint {200, 600}));
    // The bulged segment: a half circle of radius 200 around (200, 400),
    // counter-clockwise from (200, 200), so through (400, 400).
    EXPECT_EQ(f.minX, 0);
    EXPECT_EQ(f.maxX, 400);
    EXPECT_TRUE(f.open);
    EXPECT_EQ(figures[1].points, (Points {{0, 0}, {40, 40}}));
}

TEST(DxfReader, ColoursGivePens)
{
    struct Case
    {
        int colour;
        int pen;
    };
    for (const Case c : {Case {1, 3}, Case {2, 6}, Case {3, 4}, Case {7, 0}, Case {256, 0}}) {
        SCOPED_TRACE(c.colour);
        EXPECT_EQ(DxfColourToPen(c.colour), c.pen);
        Pairs coloured = line(0, 0, 1, 1);
        coloured.insert(coloured.begin() + 2, {62, std::to_string(c.colour)});
        const auto figures = figuresOf(entities(concat({coloured, line(2, 2, 3, 3)})));
        ASSERT_EQ(figures.size(), 2u);
        EXPECT_EQ(figures[0].pen, c.pen);
        EXPECT_EQ(figures[1].pen, c.pen); // the pen carries over
    }
}

TEST(DxfReader, HeaderOnlyDrawingGivesOneEmptyFigure)
{
    const std::string text = pairsText(
        {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {0, "ENDSEC"}, {0, "EOF"}});
    const TReadResult r = readDrawing(text, TDrawingKind::Dxf);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.calls, 1);
    ASSERT_EQ(r.figures.size(), 1u);
    EXPECT_FALSE(r.figures[0].valid);
}

// Any line equal to an entity name used to start that entity: a layer
// called "LINE" or a text "OBJECTS" stopped or garbled the drawing.
TEST(DxfReader, NamesCountOnlyAfterTheirGroupCode)
{
    Pairs tricky = line(0, 0, 1, 0);
    tricky[1] = {8, "LINE"};
    const Pairs text {{0, "TEXT"}, {8, "OBJECTS"}, {1, "OBJECTS"}, {10, "0"}, {20, "0"}};
    const Pairs block {{0, "LWPOLYLINE"}, {2, "LWPOLYLINE"}, {90, "2"}, {70, "0"},
                       {10, "0"},         {20, "0"},         {10, "2"}, {20, "0"}};
    const auto figures = figuresOf(entities(concat({tricky, text, block, line(5, 5, 6, 6)})));
    ASSERT_EQ(figures.size(), 3u);
    EXPECT_EQ(figures[0].points, (Points {{0, 0}, {40, 0}}));
    EXPECT_EQ(figures[1].points, (Points {{0, 0}, {80, 0}}));
    EXPECT_EQ(figures[2].points, (Points {{200, 200}, {240, 240}}));
}

TEST(DxfReader, ObjectsSectionEndsTheDrawing)
{
    const std::string text = pairsText({{0, "SECTION"},
                                        {2, "ENTITIES"},
                                        {0, "LINE"},
                                        {10, "0"},
                                        {20, "0"},
                                        {11, "1"},
                                        {21, "1"},
                                        {0, "ENDSEC"},
                                        {0, "SECTION"},
                                        {2, "OBJECTS"},
                                        {0, "LINE"},
                                        {10, "0"},
                                        {20, "0"},
                                        {11, "9"},
                                        {21, "9"},
                                        {0, "ENDSEC"},
                                        {0, "EOF"}});
    const auto figures = figuresOf(text);
    ASSERT_EQ(figures.size(), 1u);
}

// The inch switch of $LTSCALE used to live for the whole run, so one inch
// drawing made every later drawing 25.4 times too large.
TEST(DxfReader, InchLineTypeScaleHoldsForItsOwnDrawingOnly)
{
    const std::string inch = entities(line(0, 0, 1, 0), {{9, "$LTSCALE"}, {40, "0.000394"}});
    const auto big = figuresOf(inch);
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(big[0].points.back(), (TPlotPoint {1016, 0}));
    const auto arc = figuresOf(entities({{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}},
                                        {{9, "$LTSCALE"}, {40, "0.000394"}}));
    ASSERT_EQ(arc.size(), 1u);
    EXPECT_EQ(arc[0].points.front(), (TPlotPoint {1016, 0})); // arcs scale like every other point
    const auto plain = figuresOf(entities(line(0, 0, 1, 0)));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].points.back(), (TPlotPoint {40, 0}));
}

TEST(DxfReader, SplineByControlPointsAndByFitPoints)
{
    // A clamped cubic with four control points is one Bezier curve.
    const Pairs bezier {{0, "SPLINE"}, {70, "8"}, {71, "3"},  {72, "8"}, {73, "4"},  {74, "0"}, {40, "0"},
                        {40, "0"},     {40, "0"}, {40, "0"},  {40, "1"}, {40, "1"},  {40, "1"}, {40, "1"},
                        {10, "0"},     {20, "0"}, {30, "0"},  {10, "0"}, {20, "10"}, {30, "0"}, {10, "10"},
                        {20, "10"},    {30, "0"}, {10, "10"}, {20, "0"}, {30, "0"}};
    const Pairs fit {{0, "SPLINE"}, {70, "8"}, {71, "3"},  {72, "0"}, {73, "0"},
                     {74, "3"},     {11, "0"}, {21, "0"},  {31, "0"}, {11, "5"},
                     {21, "5"},     {31, "0"}, {11, "10"}, {21, "0"}, {31, "0"}};
    const auto figures = figuresOf(entities(concat({bezier, fit})));
    ASSERT_EQ(figures.size(), 2u);
    const tfigura &curve = figures[0];
    EXPECT_EQ(curve.points.front(), (TPlotPoint {0, 0}));
    EXPECT_EQ(curve.points.back(), (TPlotPoint {400, 0}));
    // L = 30 mm, chord 2 mm: m = 15, a step of 4/15 in the one Bezier
    // group: t = 0, 4/15, 8/15, 12/15, then the last control point.
    ASSERT_EQ(curve.points.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        const double t = 4.0 * double(i) / 15.0;
        const double x = 400 * (3 * (1 - t) * t * t + t * t * t);
        const double y = 400 * (3 * (1 - t) * (1 - t) * t + 3 * (1 - t) * t * t);
        EXPECT_NEAR(curve.points[i].x, x, 0.5);
        EXPECT_NEAR(curve.points[i].y, y, 0.5);
    }
    // Fit points alone: the curve runs through them (natural ends), not
    // along the chords between them.
    const Points &fitted = figures[1].points;
    EXPECT_EQ(fitted.front(), (TPlotPoint {0, 0}));
    EXPECT_EQ(fitted.back(), (TPlotPoint {400, 0}));
    EXPECT_NE(std::find(fitted.begin(), fitted.end(), TPlotPoint {200, 200}), fitted.end());
    EXPECT_GT(fitted.size(), 6u);
    EXPECT_GT(fitted[2].y, fitted[2].x) << "above the chord from (0,0) to (200,200)";
}

TEST(DxfReader, SplineWithBrokenKnotsFallsBackToItsControlPolygon)
{
    struct Case
    {
        const char *name;
        int degree;
        int knots;
    };
    for (const Case c :
         {Case {"knots missing", 3, 2}, Case {"degree zero", 0, 4}, Case {"degree too high", 11, 16}}) {
        SCOPED_TRACE(c.name);
        Pairs spline {
            {0, "SPLINE"}, {71, std::to_string(c.degree)}, {72, std::to_string(c.knots)}, {73, "5"}};
        for (int i = 0; i < c.knots; ++i)
            spline.push_back({40, std::to_string(i)});
        for (int i = 0; i < 5; ++i) {
            spline.push_back({10, std::to_string(i * 10)});
            spline.push_back({20, std::to_string(i % 2 * 10)});
        }
        const auto figures = figuresOf(entities(spline));
        ASSERT_EQ(figures.size(), 1u);
        EXPECT_EQ(figures[0].points, (Points {{0, 0}, {400, 400}, {800, 0}, {1200, 400}, {1600, 0}}));
    }
}

TEST(DxfReader, CurveFitPolylineGoesThroughItsFittedVertices)
{
    Pairs p {{0, "POLYLINE"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "4"}};
    const double xs[] = {0, 10, 20, 30, 40, 50};
    for (double x : xs) {
        p.insert(p.end(),
                 {{0, "VERTEX"},
                  {10, std::to_string(x)},
                  {20, std::to_string(x == 20 || x == 30 ? 10 : 0)},
                  {70, "8"}});
    }
    // A frame control point (16) is not on the curve.
    p.insert(p.end(), {{0, "VERTEX"}, {10, "999"}, {20, "999"}, {70, "16"}, {0, "SEQEND"}});
    const auto figures = figuresOf(entities(p));
    ASSERT_EQ(figures.size(), 1u);
    const tfigura &f = figures[0];
    EXPECT_EQ(f.points.front(), (TPlotPoint {0, 0}));
    EXPECT_EQ(f.points.back(), (TPlotPoint {2000, 0}));
    EXPECT_LT(f.maxX, 2001);
    // Each span starts at its vertex; the one-but-last vertex is only
    // passed by the last span's samples.
    for (double x : xs) {
        const TPlotPoint v {int(x * 40), x == 20 || x == 30 ? 400 : 0};
        double nearest = 1e9;
        for (const TPlotPoint &q : f.points)
            nearest = std::min(nearest, std::hypot(double(q.x - v.x), double(q.y - v.y)));
        EXPECT_LE(nearest, x == 40 ? 80.0 : 0.0) << x;
    }
    EXPECT_GT(f.points.size(), 6u);
}

TEST(DxfReader, ConversionErrors)
{
    struct Case
    {
        const char *name;
        std::string text;
        std::string offending;
        std::string what = {}; // the language key of a fault that is no text of the file
    };
    const Case cases[] = {
        {"not a number", entities({{0, "LINE"}, {10, "abc"}, {20, "0"}, {11, "1"}, {21, "1"}}), "abc"},
        {"nan", entities({{0, "LINE"}, {10, "nan"}, {20, "0"}, {11, "1"}, {21, "1"}}), "nan"},
        {"inf", entities({{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "inf"}}), "inf"},
        {"beyond the plotter range", entities(line(0, 0, 600000, 0)), "600000"},
        {"huge radius", entities({{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "1e12"}}), "1000000000000",
         "krzywaZaDuza"},
        {"bad colour", entities({{0, "LINE"}, {62, "1.5"}, {10, "0"}}), "1.5"},
        // Faults mended: a value cut off by the end of the file was read as
        // 0; curves far beyond the range were flattened into billions of
        // points before any check (the 131-byte drawing of the fuzz corpus).
        {"value missing at the end",
         pairsText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}})
             + " 21\r\n",
         "", "plikBezWartosci"},
        {"fit vertex far beyond the range",
         "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n70\n4\n0\nVERTEX\n10\n0\n20\n0\n70\n8\n0\nVERTEX\n10\n"
         "200000000\n20\n0\n70\n8\n0\nVERTEX\n10\n0\n20\n9\n70\n8\n0\nVERTEX\n10\n9\n20\n0\n70\n8\n",
         "200000000"},
        {"bulge of nearly a whole turn", entities(lwpolyline(0, {{{0, 0}, 1e12}, {{10, 0}, 0}})), "",
         "krzywaZaDuza"},
        {"ellipse swept ten million turns",
         entities({{0, "ELLIPSE"},
                   {10, "0"},
                   {20, "0"},
                   {11, "100"},
                   {21, "0"},
                   {40, "0.5"},
                   {41, "0"},
                   {42, "62831853"}}),
         "", "krzywaZaDuza"},
        {"polyline of more points than a figure holds",
         entities(lwpolyline(0,
                             [] {
                                 // Fourteen half turns of radius 500 m, some 314,000 points each.
                                 std::vector<std::pair<TPointF, double>> vertices;
                                 for (int i = 0; i < 14; ++i)
                                     vertices.push_back({{0, i % 2 ? 500000.0 : -500000.0}, 1.0});
                                 return vertices;
                             }())),
         "", "figuraZaDuzoPunktow"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TReadResult r = readDrawing(c.text, TDrawingKind::Dxf);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.kind, TReadError::Kind::Conversion);
        EXPECT_EQ(r.error.text.substr(0, c.offending.size()), c.offending);
        EXPECT_EQ(r.error.what, c.what);
        EXPECT_GT(r.error.line, 0);
    }
}

// Inner loops used to run past the end of the file or into the next
// entity; a cut-off drawing now ends with what was read.
TEST(DxfReader, TruncatedDrawingsEnd)
{
    const std::string full
        = entities(concat({line(0, 0, 1, 1),
                           lwpolyline(1, {{{0, 0}, 0.5}, {{10, 0}, 0}, {{10, 10}, 0}}),
                           {{0, "SPLINE"}, {71, "3"}, {72, "8"}, {73, "4"}, {40, "0"}, {40, "0"}},
                           line(2, 2, 3, 3)}));
    for (std::size_t cut = 0; cut <= full.size(); cut += 7) {
        SCOPED_TRACE(cut);
        const TReadResult r = readDrawing(full.substr(0, cut), TDrawingKind::Dxf);
        EXPECT_LT(r.calls, 100);
        EXPECT_LE(r.validFigures().size(), 3u);
    }
    const auto whole = figuresOf(full);
    ASSERT_EQ(whole.size(), 3u); // the spline has no control points: no figure
    EXPECT_EQ(whole[2].points, (Points {{80, 80}, {120, 120}}));
}

// An empty line of an LF-only file used to be swallowed, so every later
// code line was read as a value.
TEST(DxfReader, EmptyValueLinesInLfOnlyFiles)
{
    Pairs pairs {{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"},   {8, ""},   {10, "0"}, {20, "0"},
                 {11, "1"},      {21, "1"},       {0, "LINE"},   {8, ""},   {10, "2"}, {20, "2"},
                 {11, "3"},      {21, "3"},       {0, "ENDSEC"}, {0, "EOF"}};
    const auto figures = figuresOf(pairsText(pairs, "\n"));
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[1].points, (Points {{80, 80}, {120, 120}}));
}

namespace {

std::string exact(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// The extended evaluation every point was rounded by before the reader
// learnt its faster ways.
TPlotPoint extendedUnits(TCurvePoint p, double mmPerUnit)
{
    const long double f = mmPerUnit;
    return {static_cast<std::int32_t>(RoundHalfEven(40000.0L * (p.x * f) / 1000.0L)),
            static_cast<std::int32_t>(RoundHalfEven(40000.0L * (p.y * f) / 1000.0L))};
}

void appendExtended(Points &out, const std::vector<TCurvePoint> &curve, double mmPerUnit)
{
    for (const TCurvePoint &p : curve) {
        const TPlotPoint u = extendedUnits(p, mmPerUnit);
        if (out.empty() || !(out.back() == u))
            out.push_back(u);
    }
}

} // namespace

// The reader turns arc points into plotter units in double where that is
// provably the same, and takes their sines and cosines from a rotation
// rather than a sincos per point: every point must still be the one the
// extended evaluation of each point gives (seeded arcs and bulges, some of
// whose points land exactly on a half unit).
TEST(DxfReader, FastArcPointsEqualTheExtendedEvaluation)
{
    constexpr double Pi = std::numbers::pi;
    for (const int unit : {0, 1}) {
        SCOPED_TRACE(unit);
        const double mmPerUnit = unit == 1 ? 25.4 : 1.0;
        const double range = unit == 1 ? 20.0 : 500.0;
        std::mt19937 random(unit + 11);
        std::uniform_real_distribution<double> coordinate(-range, range);
        std::uniform_real_distribution<double> radius(0.01, range / 2);
        std::uniform_real_distribution<double> degrees(0.0, 360.0);
        std::uniform_real_distribution<double> bulge(-3.0, 3.0);
        Pairs pairs;
        std::vector<Points> expected;
        for (int i = 0; i < 300; ++i) {
            double cx = coordinate(random);
            const double r = radius(random);
            double a0 = degrees(random);
            if (i % 3 == 0) {
                // The first point exactly on a half unit: cx + r = (m + 1/2) / 40.
                a0 = 0.0;
                cx = (std::floor((cx + r) * 40.0) + 0.5) / 40.0 - r;
            }
            const double cy = coordinate(random);
            const double a1 = degrees(random);
            pairs.insert(pairs.end(),
                         {{0, "ARC"},
                          {10, exact(cx)},
                          {20, exact(cy)},
                          {40, exact(r)},
                          {50, exact(a0)},
                          {51, exact(a1)}});
            double sweep = 2 * Pi * a1 / 360 - 2 * Pi * a0 / 360;
            if (sweep < 0)
                sweep += 2 * Pi;
            Points points;
            appendExtended(points, FlattenArc({cx, cy}, r, 2 * Pi * a0 / 360, sweep, mmPerUnit, 2.0),
                           mmPerUnit);
            expected.push_back(points);
        }
        for (int i = 0; i < 100; ++i) {
            std::vector<TCurvePoint> vertices;
            std::vector<double> bulges;
            pairs.insert(pairs.end(), {{0, "LWPOLYLINE"}, {70, "0"}});
            for (int v = 0; v < 5; ++v) {
                vertices.push_back({coordinate(random), coordinate(random)});
                bulges.push_back(v == 4 ? 0.0 : bulge(random));
                pairs.insert(pairs.end(),
                             {{10, exact(double(vertices.back().x))},
                              {20, exact(double(vertices.back().y))},
                              {42, exact(bulges.back())}});
            }
            Points points;
            for (std::size_t v = 0; v < vertices.size(); ++v) {
                if (v > 0)
                    appendExtended(points,
                                   FlattenBulge(vertices[v - 1], vertices[v], bulges[v - 1], mmPerUnit, 2.0),
                                   mmPerUnit);
                appendExtended(points, {vertices[v]}, mmPerUnit);
            }
            expected.push_back(points);
        }
        TReaderOptions options;
        options.lengthUnit = unit;
        const std::vector<tfigura> figures = figuresOf(entities(pairs), options);
        ASSERT_EQ(figures.size(), expected.size());
        for (std::size_t i = 0; i < figures.size(); ++i)
            EXPECT_EQ(figures[i].points, expected[i]) << "figure " << i;
    }
}
