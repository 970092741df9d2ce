#include "loadsupport.h"
#include "project/figurecollector.h"
#include "project/projectdocument.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using Points = std::vector<TPlotPoint>;

TProjectSettings Settings(bool crossToPoint = false)
{
    TProjectSettings s;
    s.tolerance = 10.0;
    s.cbKrzyzToPunkt = crossToPoint;
    return s;
}

struct Loaded
{
    TProjectDocument doc;
    TLoadOutcome outcome;
};

Loaded LoadFigures(std::vector<tfigura> figures, std::uint8_t filter = 255,
                   const TProjectSettings &settings = Settings())
{
    Loaded l;
    TFakeDrawing drawing(std::move(figures));
    l.outcome = l.doc.Load(drawing, "drawing.plt", filter, settings);
    return l;
}

} // namespace

TEST(Loading, EachJoinRuleTakesTheProjectFigureInTheRightOrder)
{
    // The project figure B runs (100,0) (100,50) (200,50); the new figure A
    // meets it at one of its ends (within 5 units, inside the tolerance).
    struct Case
    {
        const char *rule;
        Points b;
        Points a;
        Points joined;
    };
    const Case cases[] = {
        {"A1 meets B0: B appended",
         {{100, 0}, {100, 50}, {200, 50}},
         {{0, 0}, {95, 5}},
         {{0, 0}, {95, 5}, {100, 50}, {200, 50}}},
        {"A1 meets B1: B appended backwards",
         {{200, 50}, {100, 50}, {100, 0}},
         {{0, 0}, {95, 5}},
         {{0, 0}, {95, 5}, {100, 50}, {200, 50}}},
        {"A0 meets B0: B put in front reversed",
         {{100, 0}, {100, 50}, {200, 50}},
         {{95, 5}, {0, 0}},
         {{200, 50}, {100, 50}, {95, 5}, {0, 0}}},
        {"A0 meets B1: B put in front in order",
         {{200, 50}, {100, 50}, {100, 0}},
         {{95, 5}, {0, 0}},
         {{200, 50}, {100, 50}, {95, 5}, {0, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rule);
        const Loaded l = LoadFigures({ReaderFigure(c.b), ReaderFigure(c.a)});
        ASSERT_TRUE(l.outcome.opened());
        ASSERT_EQ(l.doc.Figures.size(), 1u);
        EXPECT_EQ(l.doc.Figures[0].points, c.joined);
        EXPECT_TRUE(l.doc.Figures[0].open);
    }
}

TEST(Loading, EndsTenUnitsApartAreNotJoined)
{
    const Loaded l = LoadFigures({ReaderFigure({{0, 0}, {100, 0}}), ReaderFigure({{110, 0}, {200, 0}})});
    EXPECT_EQ(l.doc.Figures.size(), 2u);
}

TEST(Loading, ThirdPieceJoinsInALaterPass)
{
    // Two crossing lines become a cross point at (200,0), next to the end of
    // E, which came earlier. The new figure misses E in the first pass, takes
    // the cross point, and only then meets E: in the second pass.
    const Loaded l = LoadFigures(
        {
            ReaderFigure({{208, 0}, {400, 0}}), // E
            ReaderFigure({{190, -50}, {210, 50}}), // crossing lines
            ReaderFigure({{190, 50}, {210, -50}}),
            ReaderFigure({{0, 0}, {192, 0}}),
        },
        255, Settings(true));
    ASSERT_EQ(l.doc.Figures.size(), 1u);
    EXPECT_EQ(l.doc.Figures[0].points, (Points {{0, 0}, {192, 0}, {200, 0}, {400, 0}}));
}

TEST(Loading, PiecesJoinWhateverOrderTheyArriveIn)
{
    // C comes first, B takes it on arrival, the new figure then takes B.
    const Loaded l = LoadFigures({
        ReaderFigure({{205, 0}, {400, 0}}),
        ReaderFigure({{100, 0}, {200, 0}}),
        ReaderFigure({{300, 500}, {0, 0}, {100, 0}}),
    });
    ASSERT_EQ(l.doc.Figures.size(), 1u);
    EXPECT_EQ(l.doc.Figures[0].points, (Points {{300, 500}, {0, 0}, {100, 0}, {200, 0}, {400, 0}}));
}

TEST(Loading, PieceOutOfReachAfterTheJoinsStays)
{
    const Loaded l = LoadFigures({
        ReaderFigure({{300, 0}, {400, 0}}),
        ReaderFigure({{100, 0}, {200, 0}}),
        ReaderFigure({{300, 500}, {0, 0}, {100, 0}}),
    });
    ASSERT_EQ(l.doc.Figures.size(), 2u);
    EXPECT_EQ(l.doc.Figures[0].points, (Points {{300, 0}, {400, 0}}));
    EXPECT_EQ(l.doc.Figures[1].points, (Points {{300, 500}, {0, 0}, {100, 0}, {200, 0}}));
}

TEST(Loading, FirstFigureInListOrderWinsATie)
{
    const Loaded l = LoadFigures({
        // Both meet the new figure's start, but not each other.
        ReaderFigure({{0, 8}, {0, 100}}),
        ReaderFigure({{0, -8}, {0, -100}}),
        ReaderFigure({{0, 0}, {100, 0}, {100, 100}}),
    });
    // The first takes the new start (rule 3) and its other end (0,100) is no
    // longer near; the second stays.
    ASSERT_EQ(l.doc.Figures.size(), 2u);
    EXPECT_EQ(l.doc.Figures[0].points, (Points {{0, -8}, {0, -100}}));
    EXPECT_EQ(l.doc.Figures[1].points, (Points {{0, 100}, {0, 0}, {100, 0}, {100, 100}}));
}

TEST(Loading, ClosedFiguresNeverJoin)
{
    const Points square {{0, 0}, {100, 0}, {100, 100}, {0, 0}};
    const Loaded l = LoadFigures({ReaderFigure(square), ReaderFigure({{0, 0}, {-100, 0}})});
    EXPECT_EQ(l.doc.Figures.size(), 2u);
}

TEST(Loading, DuplicateIsDroppedReversedDuplicateIsKept)
{
    const Points tri {{0, 0}, {100, 0}, {50, 80}, {0, 0}};
    const Points triReversed {{0, 0}, {50, 80}, {100, 0}, {0, 0}};
    const Loaded l = LoadFigures({ReaderFigure(tri), ReaderFigure(tri), ReaderFigure(triReversed)});
    ASSERT_EQ(l.doc.Figures.size(), 2u);
    EXPECT_EQ(l.doc.Figures[0].points, tri);
    EXPECT_EQ(l.doc.Figures[1].points, triReversed);
}

TEST(Loading, CrossingLinesBecomeOneCrossPoint)
{
    const auto load = [](bool crossToPoint) {
        return LoadFigures({ReaderFigure({{0, 0}, {100, 100}}), ReaderFigure({{0, 100}, {100, 0}}),
                            ReaderFigure({{500, 0}, {600, 0}})},
                           255, Settings(crossToPoint));
    };
    const Loaded on = load(true);
    ASSERT_EQ(on.doc.Figures.size(), 2u);
    // Ordering is the planner's; find the cross point.
    const tfigura *cross = nullptr;
    for (const auto &f : on.doc.Figures)
        if (f.crossPoint)
            cross = &f;
    ASSERT_NE(cross, nullptr);
    EXPECT_EQ(cross->points, (Points {{50, 50}, {50, 50}}));
    EXPECT_TRUE(cross->open);
    // The cross box ends at the cross point; PP is (50, 0).
    EXPECT_EQ(on.doc.CrossWidth, 0);
    EXPECT_EQ(on.doc.CrossHeight, 50);

    const Loaded off = load(false);
    EXPECT_EQ(off.doc.Figures.size(), 3u);
    EXPECT_EQ(off.doc.CrossWidth, -1);
    EXPECT_EQ(off.doc.CrossHeight, -1);
}

TEST(Loading, CrossToPointWithoutCrossPointsMeasuresTheProjectBox)
{
    // Broke: the cross box kept its start corner, its size overflowed and the
    // project was reported too large.
    const Loaded l = LoadFigures({ReaderFigure({{-100, -50}, {300, -50}, {300, 250}, {-100, -50}})}, 255,
                                 Settings(true));
    ASSERT_TRUE(l.outcome.opened());
    EXPECT_FALSE(l.outcome.tooLarge);
    EXPECT_EQ(l.doc.CrossWidth, 400);
    EXPECT_EQ(l.doc.CrossHeight, 300);
}

// Fault mended: zero-length lines and slivers left by joining were planned
// and cut as tiny extra paths.
TEST(Loading, FiguresWithinTheToleranceOfTheirFirstPointAreLeftOut)
{
    const Loaded l = LoadFigures({ReaderFigure({{5, 5}}), ReaderFigure({{0, 0}, {9, -9}}),
                                  ReaderFigure({{100, 0}, {109, 0}}), ReaderFigure({{109, 0}, {104, 9}}),
                                  ReaderFigure({{300, 0}, {310, 0}}), ReaderFigure({{0, 100}, {100, 200}}),
                                  ReaderFigure({{0, 200}, {100, 100}})},
                                 255, Settings(true));
    ASSERT_TRUE(l.outcome.opened());
    EXPECT_EQ(l.outcome.droppedFigures, 3) << "the point, the sliver and the two pieces joined into one";
    ASSERT_EQ(l.doc.Figures.size(), 2u);
    int crossPoints = 0;
    for (const tfigura &f : l.doc.Figures) {
        crossPoints += f.crossPoint;
        if (!f.crossPoint) {
            EXPECT_EQ(f.points, (Points {{300, 0}, {310, 0}}))
                << "10 units apart is not within the tolerance";
        }
    }
    EXPECT_EQ(crossPoints, 1) << "a cross point is a point on purpose";

    const Loaded onlySlivers = LoadFigures({ReaderFigure({{5, 5}}), ReaderFigure({{0, 0}, {1, 1}})});
    EXPECT_EQ(onlySlivers.outcome.status, TLoadStatus::Empty);
}

TEST(Loading, PenFilterAcceptsItsPenAndPenSix)
{
    const auto figures = [] {
        return std::vector<tfigura> {
            ReaderFigure({{0, 0}, {10, 0}}, 3), ReaderFigure({{0, 100}, {10, 100}}, 4),
            ReaderFigure({{0, 200}, {10, 200}}, 6), ReaderFigure({{0, 300}, {10, 300}}, 1)};
    };
    struct Case
    {
        std::uint8_t filter;
        std::vector<int> pens;
    };
    const Case cases[] = {{255, {3, 4, 6, 1}}, {4, {4, 6}}, {3, {3, 6}}, {6, {6}}, {2, {6}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.filter));
        const Loaded l = LoadFigures(figures(), c.filter);
        std::vector<int> pens;
        for (const auto &f : l.doc.Figures)
            pens.push_back(f.pen);
        EXPECT_EQ(pens, c.pens);
    }
}

TEST(Loading, OnlyRejectedPensGiveAnEmptyDrawing)
{
    const Loaded l = LoadFigures({ReaderFigure({{0, 0}, {10, 0}}, 1)}, 4);
    EXPECT_EQ(l.outcome.status, TLoadStatus::Empty);
    EXPECT_TRUE(l.outcome.closesWindow());
    EXPECT_EQ(l.outcome.message, (TMessageKey {"Project_window", "zbiorPusty"}));
}

TEST(Loading, OpenFailureNamesTheReason)
{
    struct Case
    {
        int code;
        TMessageKey message;
        TMessageKey caption;
    };
    const Case cases[] = {
        {-2, {"Project_window", "obslugiwanyFormatAI"}, {"Universal", "nieprawidlowyFormatPliku"}},
        {-3, {"Project_window", "formatNieobslugiwany"}, {"Universal", "nieprawidlowyFormatPliku"}},
        {32, {"Project_window", "zbioruUzywaInnyProces"}, {}},
        {2, {"Universal", "zbioruNieMoznaOtworzyc"}, {}},
        {-1, {"Universal", "zbioruNieMoznaOtworzyc"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        TFakeDrawing drawing({ReaderFigure({{0, 0}, {1, 1}})});
        drawing.openCode = c.code;
        TProjectDocument doc;
        doc.ReaderKind = 3;
        const TLoadOutcome outcome = doc.Load(drawing, "x.eps", 255, Settings());
        EXPECT_EQ(outcome.status, TLoadStatus::OpenFailed);
        EXPECT_EQ(outcome.readerCode, c.code);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(outcome.caption, c.caption);
        EXPECT_TRUE(outcome.closesWindow());
        EXPECT_EQ(drawing.openedKind, 3);
        EXPECT_TRUE(doc.Figures.empty());
    }
}

TEST(Loading, ReadErrorEndsTheLoadWithAMessage)
{
    // Broke: the reader's conversion error escaped the load and ended the program.
    struct Case
    {
        TReadError::Kind kind;
        TMessageKey message;
    };
    const Case cases[] = {
        {TReadError::Kind::Conversion, {"Project_window", "bladOdczytuRysunku"}},
        {TReadError::Kind::Format, {"Project_window", "bladOdczytuRysunku"}},
        {TReadError::Kind::Io, {"Universal", "zbioruNieMoznaOtworzyc"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.kind));
        TFakeDrawing drawing({ReaderFigure({{0, 0}, {1, 1}}), ReaderFigure({{5, 5}, {9, 9}})});
        drawing.failAt = 1;
        drawing.failLine = 7;
        drawing.failKind = c.kind;
        TProjectDocument doc;
        const TLoadOutcome outcome = doc.Load(drawing, "bad.plt", 255, Settings());
        EXPECT_EQ(outcome.status, TLoadStatus::ReadFailed);
        EXPECT_EQ(outcome.errorLine, 7);
        EXPECT_TRUE(outcome.closesWindow());
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_TRUE(drawing.closed);
        EXPECT_TRUE(doc.Figures.empty());
    }
}

TEST(Loading, ThousandsOfFiguresLoadInReadingOrderAndAFailureFarInStillFails)
{
    // Pieces that join (also across many figures in between), exact
    // duplicates and figures of other pens, far more than are handed on at
    // once from the reading.
    std::mt19937 rng(77);
    std::vector<tfigura> incoming;
    for (int i = 0; i < 1400; ++i) {
        const TPlotPoint a {int(rng() % 40) * 100, int(rng() % 40) * 100};
        const TPlotPoint b {a.x + 50 + int(rng() % 300), a.y + int(rng() % 300)};
        incoming.push_back(ReaderFigure({a, b, {b.x + 40, a.y}}, i % 5 == 0 ? 2 : (i % 7 == 0 ? 6 : 3)));
        if (i % 11 == 0)
            incoming.push_back(incoming.back());
    }
    TFigureCollector collector(10.0, false);
    for (const tfigura &f : incoming) {
        if (TProjectDocument::PenAccepted(f.pen, 3))
            collector.Add(f);
    }
    const std::vector<tfigura> expected = collector.TakeFigures();
    ASSERT_LT(expected.size(), 1200u);

    TFakeDrawing drawing(incoming);
    drawing.emptyReadsBetween = true;
    drawing.penWidths[1] = 0.5;
    TProjectDocument doc;
    const TLoadOutcome outcome = doc.Load(drawing, "many.plt", 3, Settings());
    ASSERT_TRUE(outcome.opened());
    EXPECT_TRUE(drawing.closed);
    EXPECT_EQ(doc.PassAngle, 50.0);
    ASSERT_EQ(doc.Figures.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(doc.Figures[i].points, expected[i].points);
        EXPECT_EQ(doc.Figures[i].pen, expected[i].pen);
    }

    TFakeDrawing failing(incoming);
    failing.emptyReadsBetween = true;
    failing.failAt = 2500;
    failing.failLine = 40001;
    const TLoadOutcome failed = doc.Load(failing, "many.plt", 3, Settings());
    EXPECT_EQ(failed.status, TLoadStatus::ReadFailed);
    EXPECT_EQ(failed.errorLine, 40001);
    EXPECT_EQ(failed.message, (TMessageKey {"Project_window", "bladOdczytuRysunku"}));
    EXPECT_TRUE(failing.closed);
    EXPECT_TRUE(doc.Figures.empty());
}

TEST(Loading, FiguresJoinedOrLeftAsReadGetTheFieldsOfCollectingOneByOne)
{
    // Strokes whose ends meet (joined, so their fields are worked out anew)
    // beside figures left as read, some closed only within the tolerance
    // (open as read, closed in the project).
    std::mt19937 rng(5);
    std::vector<tfigura> incoming;
    for (int i = 0; i < 3000; ++i) {
        const TPlotPoint a {int(rng() % 30) * 200, int(rng() % 30) * 200};
        const TPlotPoint b {a.x + int(rng() % 150), a.y + 20 + int(rng() % 150)};
        Points points {a, b, {b.x + 60, a.y + 3}};
        if (i % 3 == 0)
            points.push_back({a.x + int(rng() % 7), a.y - int(rng() % 7)});
        incoming.push_back(ReaderFigure(points));
    }
    TFigureCollector collector(10.0, false);
    for (const tfigura &f : incoming)
        collector.Add(f);
    const std::vector<tfigura> expected = collector.TakeFigures();
    ASSERT_LT(expected.size(), 2500u);

    TFakeDrawing drawing(incoming);
    TProjectDocument doc;
    ASSERT_TRUE(doc.Load(drawing, "joins.plt", 255, Settings()).opened());
    ASSERT_EQ(doc.Figures.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const tfigura &f = doc.Figures[i];
        const tfigura &e = expected[i];
        EXPECT_EQ(f.points, e.points);
        EXPECT_EQ((std::array {f.minX, f.minY, f.maxX, f.maxY, f.width, f.height, f.centreX, f.centreY}),
                  (std::array {e.minX, e.minY, e.maxX, e.maxY, e.width, e.height, e.centreX, e.centreY}));
        EXPECT_EQ(f.extremeVertices, e.extremeVertices);
        EXPECT_EQ((std::array {f.open, f.closed, f.valid, f.drawingFigure, f.cut, f.pending}),
                  (std::array {e.open, e.closed, e.valid, e.drawingFigure, e.cut, e.pending}));
    }
}

TEST(Loading, SliversAmongTensOfThousandsOfFiguresLeaveTheOthersInOrder)
{
    // Enough figures for the sliver check to be shared out to threads; the
    // slivers (zero-length lines) lie in every part of the list.
    std::vector<tfigura> incoming;
    for (int i = 0; i < 40000; ++i) {
        const TPlotPoint a {(i % 200) * 100, (i / 200) * 100};
        const bool sliver = i % 997 == 0;
        incoming.push_back(ReaderFigure({a, sliver ? a : TPlotPoint {a.x + 50, a.y + 30}}));
    }
    const Loaded l = LoadFigures(incoming);
    ASSERT_TRUE(l.outcome.opened());
    EXPECT_EQ(l.outcome.droppedFigures, 41);
    ASSERT_EQ(l.doc.Figures.size(), 40000u - 41u);
    std::size_t k = 0;
    for (int i = 0; i < 40000; ++i) {
        if (i % 997 == 0)
            continue;
        ASSERT_EQ(l.doc.Figures[k++].points.front(), incoming[i].points.front()) << i;
    }
}

TEST(Loading, BoundsNumbersOriginsAndFieldsAfterALoad)
{
    TFakeDrawing drawing(
        {ReaderFigure({{10, 20}, {110, 20}, {110, 70}, {10, 20}}), ReaderFigure({{-30, 5}, {0, 90}})});
    drawing.emptyReadsBetween = true;
    drawing.penWidths[1] = 0.35;
    TProjectDocument doc;
    doc.Planned = true;
    doc.PairedProfiles = true;
    doc.SelectedFigure = 4;
    doc.MaxDepth = 3;
    const TLoadOutcome outcome = doc.Load(drawing, "/tmp/a.plt", 255, Settings());
    ASSERT_TRUE(outcome.opened());
    EXPECT_FALSE(outcome.tooLarge);
    EXPECT_TRUE(outcome.message.empty());
    EXPECT_TRUE(drawing.closed);
    EXPECT_EQ(drawing.openedName, "/tmp/a.plt");
    EXPECT_EQ(doc.FileName, "/tmp/a.plt");
    ASSERT_EQ(doc.Figures.size(), 2u);
    EXPECT_EQ(doc.PP, (TPlotPoint {-30, 5}));
    EXPECT_EQ(doc.PK, (TPlotPoint {110, 90}));
    EXPECT_EQ(doc.ProjectWidth, 140);
    EXPECT_EQ(doc.ProjectHeight, 85);
    EXPECT_EQ(doc.CrossWidth, -1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(doc.Figures[i].projectCorner, doc.PP);
    }
    EXPECT_FALSE(doc.Planned);
    EXPECT_FALSE(doc.PairedProfiles);
    EXPECT_EQ(doc.SelectedFigure, -1);
    EXPECT_EQ(doc.MaxDepth, 0);
    EXPECT_DOUBLE_EQ(doc.PassAngle, 35.0);
}

TEST(Loading, FeedSignsFollowTheFeedDirection)
{
    const std::pair<int, int> cases[] = {{0, 1}, {1, -1}, {2, 1}};
    for (const auto &[catDir, sign] : cases) {
        SCOPED_TRACE(catDir);
        TProjectSettings settings = Settings();
        settings.CatDir = catDir;
        const Loaded l = LoadFigures({ReaderFigure({{0, 0}, {1, 1}})}, 255, settings);
        EXPECT_EQ(l.doc.FeedSign, sign);
        EXPECT_EQ(l.doc.SerialFeedSign, sign);
    }
}

TEST(Loading, TooLargeProjectStaysOpenWithTheMessage)
{
    TProjectSettings settings = Settings();
    settings.limitX = 10; // 400 units
    const Loaded l = LoadFigures({ReaderFigure({{0, 0}, {401, 0}})}, 255, settings);
    EXPECT_TRUE(l.outcome.opened());
    EXPECT_TRUE(l.outcome.tooLarge);
    EXPECT_FALSE(l.outcome.closesWindow());
    EXPECT_EQ(l.outcome.message, (TMessageKey {"Main_window", "projektZaDuzy"}));
}
