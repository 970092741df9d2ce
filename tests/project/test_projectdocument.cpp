#include "app/settings.h"
#include "loadsupport.h"
#include "project/programsettings.h"
#include "project/projectdocument.h"

#include <gtest/gtest.h>

namespace {

tfigura Computed(std::vector<TPlotPoint> points, double tolerance = 10.0)
{
    tfigura f = ReaderFigure(std::move(points));
    TProjectDocument::licz_parametry(f, tolerance);
    return f;
}

} // namespace

TEST(LiczParametry, BoxSizeAndCentreTruncateTowardZero)
{
    struct Case
    {
        std::vector<TPlotPoint> points;
        std::int32_t minX, minY, maxX, maxY, centreX, centreY;
    };
    const Case cases[] = {
        {{{0, 0}, {101, 0}, {101, 51}}, 0, 0, 101, 51, 50, 25},
        // (-7 + 0) / 2 is -3, not -4.
        {{{-7, -3}, {0, 0}}, -7, -3, 0, 0, -3, -1},
        {{{-5, -5}, {-5, -5}}, -5, -5, -5, -5, -5, -5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.minX) + "," + testing::PrintToString(c.maxX));
        const tfigura f = Computed(c.points);
        EXPECT_EQ(f.minX, c.minX);
        EXPECT_EQ(f.minY, c.minY);
        EXPECT_EQ(f.maxX, c.maxX);
        EXPECT_EQ(f.maxY, c.maxY);
        EXPECT_EQ(f.width, c.maxX - c.minX);
        EXPECT_EQ(f.height, c.maxY - c.minY);
        EXPECT_EQ(f.centreX, c.centreX);
        EXPECT_EQ(f.centreY, c.centreY);
        EXPECT_TRUE(f.valid);
        EXPECT_EQ(f.depth, 0);
        EXPECT_TRUE(f.drawingFigure);
        EXPECT_TRUE(f.cut);
        EXPECT_TRUE(f.pending);
    }
}

TEST(LiczParametry, ExtremeVerticesGoToTheFirstPointOnTies)
{
    // Least x at points 0 and 3, greatest x at 1 and 2, least y at 0 and 1,
    // greatest y at 2 and 3.
    const tfigura f = Computed({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    EXPECT_EQ(f.extremeVertices[0], 0);
    EXPECT_EQ(f.extremeVertices[1], 1);
    EXPECT_EQ(f.extremeVertices[2], 0);
    EXPECT_EQ(f.extremeVertices[3], 2);
}

TEST(LiczParametry, OpenAndClosedWithTheTolerance)
{
    struct Case
    {
        const char *name;
        std::vector<TPlotPoint> points;
        bool open;
    };
    const Case cases[] = {
        {"ends 9 apart close with tolerance 10", {{0, 0}, {100, 0}, {100, 100}, {9, 9}}, false},
        {"ends 10 apart in x stay open", {{0, 0}, {100, 0}, {100, 100}, {10, 0}}, true},
        {"ends 10 apart in y stay open", {{0, 0}, {100, 0}, {100, 100}, {0, -10}}, true},
        {"two equal points are open", {{5, 5}, {5, 5}}, true},
        {"one point is open", {{5, 5}}, true},
        {"three points back at the start close", {{0, 0}, {50, 50}, {0, 0}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const tfigura f = Computed(c.points);
        EXPECT_EQ(f.open, c.open);
        EXPECT_EQ(f.closed, !c.open);
    }
}

TEST(LiczParametry, FigureWithoutPointsOnlyLosesItsValidFlag)
{
    tfigura f;
    f.valid = true;
    f.width = 77;
    TProjectDocument::licz_parametry(f, 10.0);
    EXPECT_FALSE(f.valid);
    EXPECT_EQ(f.width, 77);
}

TEST(ProjectDocument, AddFigureAndAddLacznikAppendAndMarkTheKind)
{
    TProjectDocument doc;
    doc.AddFigure(ReaderFigure({{0, 0}, {100, 0}, {100, 100}, {0, 0}}));
    const int index = doc.AddLacznik(ReaderFigure({{0, 0}, {-50, -20}}), true);
    ASSERT_EQ(doc.Figures.size(), 2u);
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(doc.Figures[0].drawingFigure);
    EXPECT_TRUE(doc.Figures[0].closed);
    EXPECT_EQ(doc.Figures[0].maxX, 100);
    EXPECT_FALSE(doc.Figures[1].drawingFigure);
    EXPECT_TRUE(doc.Figures[1].closed);
    EXPECT_EQ(doc.Figures[1].minX, -50);

    doc.Ustaw_PPiPK();
    EXPECT_EQ(doc.PP, (TPlotPoint {-50, -20}));
    EXPECT_EQ(doc.PK, (TPlotPoint {100, 100}));
    // Sizes are left to the caller.
    EXPECT_EQ(doc.ProjectWidth, 0);
}

TEST(ProjectDocument, UstawPPiPKWithoutFiguresLeavesTheStartCorners)
{
    TProjectDocument doc;
    doc.Ustaw_PPiPK();
    EXPECT_EQ(doc.PP, (TPlotPoint {2147483647, 2147483647}));
    EXPECT_EQ(doc.PK, (TPlotPoint {-2147483647, -2147483647}));
}

TEST(ProjectDocument, TooLargeAtTheLimitAndOneUnitOver)
{
    struct Case
    {
        const char *name;
        double skala;
        std::int32_t width, height;
        bool cross;
        std::int32_t crossWidth, crossHeight;
        bool tooLarge;
    };
    // Working area 100 x 50 mm = 4000 x 2000 units.
    const Case cases[] = {
        {"exactly the working area", 100, 4000, 2000, false, -1, -1, false},
        {"one unit over in x", 100, 4001, 2000, false, -1, -1, true},
        {"one unit over in y", 100, 4000, 2001, false, -1, -1, true},
        // 50 % of 8001 is 4000.5, which rounds to the even 4000.
        {"half a unit over rounds to even, down", 50, 8001, 10, false, -1, -1, false},
        // 50 % of 8003 is 4001.5, which rounds to 4002.
        {"half a unit over rounds to even, up", 50, 8003, 10, false, -1, -1, true},
        {"200 % doubles the size", 200, 2001, 10, false, -1, -1, true},
        {"cross box measured with cross-to-point", 100, 9000, 9000, true, 4000, 2000, false},
        {"cross box over with cross-to-point", 100, 10, 10, true, 4001, 10, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TProjectSettings settings;
        settings.limitX = 100;
        settings.limitY = 50;
        settings.skala = c.skala;
        settings.cbKrzyzToPunkt = c.cross;
        TProjectDocument doc;
        doc.setSettings(settings);
        doc.ProjectWidth = c.width;
        doc.ProjectHeight = c.height;
        doc.CrossWidth = c.crossWidth;
        doc.CrossHeight = c.crossHeight;
        EXPECT_EQ(doc.projektZaDuzy(), c.tooLarge);
    }
}

TEST(ProjectDocument, ScaledSizeInMillimetres)
{
    TProjectSettings settings;
    settings.skala = 150;
    TProjectDocument doc;
    doc.setSettings(settings);
    doc.ProjectWidth = 4001; // 6001.5 -> 6002 units
    doc.ProjectHeight = 400;
    const TProjectSizeMm size = doc.ScaledSizeMm();
    EXPECT_DOUBLE_EQ(size.width, 150.05);
    EXPECT_DOUBLE_EQ(size.height, 15.0);
}

TEST(ProjectDocument, FirstEntryIntoTheMaterialSkipsTheAxisFigure)
{
    struct Case
    {
        int stolikSwitch;
        int axisFigure;
        double expected;
    };
    const Case cases[] = {{0, -1, 1.0}, {1, -1, 2.0}, {2, -1, 0.0}, {0, 0, 3.0}, {1, 0, 4.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.stolikSwitch << " axis " << c.axisFigure);
        TProjectSettings settings;
        settings.StolikSwitch = c.stolikSwitch;
        TProjectDocument doc;
        doc.setSettings(settings);
        doc.AddFigure(ReaderFigure({{40, 80}, {400, 80}}));
        doc.AddFigure(ReaderFigure({{120, 160}, {0, 0}}));
        doc.AxisFigure = c.axisFigure;
        EXPECT_DOUBLE_EQ(doc.DajPoz1szegoWjazduWmat(), c.expected);
    }
    TProjectDocument empty;
    EXPECT_EQ(empty.DajPoz1szegoWjazduWmat(), 0.0);
}

TEST(ProjectSettings, TakenFromTheProgramsSettings)
{
    Settings settings;
    settings.Mode = 3;
    settings.StolikSwitch = 1;
    settings.CatDir = 1;
    settings.skala = 150;
    ProgramValues values;
    values.joiningTolerance = 7;
    for (const CheckState state : {CheckState::Unchecked, CheckState::Checked, CheckState::Grayed}) {
        SCOPED_TRACE(int(state));
        settings.cbKrzyzToPunkt = state;
        const TProjectSettings s = ProjectSettingsFrom(settings, values, 1200, 900);
        EXPECT_EQ(s.Mode, 3);
        EXPECT_EQ(s.StolikSwitch, 1);
        EXPECT_EQ(s.CatDir, 1);
        EXPECT_EQ(s.skala, 150.0);
        EXPECT_EQ(s.tolerance, 7.0);
        EXPECT_EQ(s.limitX, 1200);
        EXPECT_EQ(s.limitY, 900);
        // Only a checked box turns crossing lines into points.
        EXPECT_EQ(s.cbKrzyzToPunkt, state == CheckState::Checked);
    }
}
