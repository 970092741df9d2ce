#include "drawing/figure.h"

#include <gtest/gtest.h>
#include <limits>

TEST(PlotUnits, MillimetresRoundToNearestUnitWithHalvesToEven)
{
    struct Case
    {
        double mm;
        std::int32_t units;
    };
    const Case cases[] = {
        {0.0, 0},      {1.0, 40},      {0.0625, 2}, // 2.5 units: half goes to the even 2
        {0.1875, 8}, // 7.5 units: half goes to the even 8
        {-0.0625, -2}, {0.0125, 1}, // a hair above half a unit in extended precision
        {2.5125, 101}, // likewise 100.5 + epsilon
        {25.4, 1016},  {304.8, 12192}, {-1000.0, -40000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mm);
        EXPECT_EQ(MmToUnits(c.mm), c.units);
    }
}

TEST(PlotUnits, MillimetresBeyondInt32KeepTheLow32Bits)
{
    // 2^32 units plus 5: the low 32 bits are 5.
    EXPECT_EQ(MmToUnits((4294967296.0 + 5.0) / 40.0), 5);
    EXPECT_EQ(MmToUnits(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(MmToUnits(std::numeric_limits<double>::infinity()), 0);
}

TEST(PlotUnits, UnitsToMillimetres)
{
    EXPECT_EQ(UnitsToMm(40), 1.0);
    EXPECT_DOUBLE_EQ(UnitsToMm(-1), -0.025);
    EXPECT_EQ(UnitsToMm(0), 0.0);
    EXPECT_DOUBLE_EQ(UnitsToMm(2147483647), 53687091.175);
}

TEST(Figure, NewFigureHasEveryFieldZero)
{
    const tfigura f;
    EXPECT_FALSE(f.valid);
    EXPECT_FALSE(f.drawingFigure);
    EXPECT_EQ(f.turningOrder, 0);
    EXPECT_EQ(f.serialIndex, 0);
    EXPECT_TRUE(f.points.empty());
    EXPECT_TRUE(f.vertexInfo.empty());
}

TEST(Figure, FinishReadingSetsBoxOpenFlagAndValid)
{
    struct Case
    {
        const char *name;
        std::vector<TPlotPoint> points;
        bool open;
        std::int32_t minX, minY, maxX, maxY;
    };
    const Case cases[] = {
        {"closed square", {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}, false, 0, 0, 100, 100},
        {"open polyline", {{-5, 3}, {10, -7}, {2, 40}}, true, -5, -7, 10, 40},
        {"one point", {{7, 7}}, true, 7, 7, 7, 7},
        {"two equal points", {{7, 7}, {7, 7}}, true, 7, 7, 7, 7},
        {"three points back home", {{0, 0}, {5, 5}, {0, 0}}, false, 0, 0, 5, 5},
        {"ends one unit apart", {{0, 0}, {5, 5}, {0, 1}}, true, 0, 0, 5, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        tfigura f;
        f.depth = 4;
        f.points = c.points;
        f.FinishReading();
        EXPECT_TRUE(f.valid);
        EXPECT_EQ(f.open, c.open);
        EXPECT_EQ(f.depth, 0);
        EXPECT_EQ(f.minX, c.minX);
        EXPECT_EQ(f.minY, c.minY);
        EXPECT_EQ(f.maxX, c.maxX);
        EXPECT_EQ(f.maxY, c.maxY);
        EXPECT_EQ(f.width, c.maxX - c.minX);
        EXPECT_EQ(f.height, c.maxY - c.minY);
    }
}

TEST(Figure, FinishReadingOfAnEmptyFigureOnlyClearsValid)
{
    tfigura f;
    f.valid = true;
    f.depth = 3;
    f.open = true;
    f.FinishReading();
    EXPECT_FALSE(f.valid);
    EXPECT_EQ(f.depth, 3);
    EXPECT_TRUE(f.open);
}
