#include "app/units.h"

#include <gtest/gtest.h>

TEST(Units, ConvertsBetweenMillimetresAndEachUnit)
{
    struct Case
    {
        int unit;
        long double mm;
        long double shown;
    };
    const Case cases[] = {{0, 254.0L, 254.0L}, {1, 254.0L, 10.0L}, {2, 304.8L, 1.0L}, {2, 30.48L, 0.1L}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.unit);
        EXPECT_NEAR(double(Units::MmToUnit(c.unit, c.mm)), double(c.shown), 1e-12);
        EXPECT_NEAR(double(Units::UnitToMm(c.unit, c.shown)), double(c.mm), 1e-12);
    }
}

TEST(Units, AnIndexThatIsNoUnitGivesZero)
{
    for (int unit : {-1, 3, 99}) {
        SCOPED_TRACE(unit);
        EXPECT_EQ(Units::MmToUnit(unit, 100.0L), 0.0L);
        EXPECT_EQ(Units::UnitToMm(unit, 100.0L), 0.0L);
        EXPECT_TRUE(Units::unitName(unit).isEmpty());
    }
    EXPECT_EQ(Units::unitName(0), "mm");
    EXPECT_EQ(Units::unitName(1), "in");
    EXPECT_EQ(Units::unitName(2), "ft");
}

TEST(Units, StepIsOneTenthOfTheLeadingDigitsPlace)
{
    struct Case
    {
        long double value;
        long double step;
    };
    const Case cases[] = {{5.2L, 0.1L}, {37, 1},     {250, 10},   {0.5L, 0.01L}, {0, 0.1L},
                          {-37, 1},     {100, 10},   {10, 1},     {1, 0.1L},     {999.9L, 10},
                          {1000, 100},  {0.1L, 0.01L}, {0.05L, 0.001L}};
    for (const Case &c : cases) {
        SCOPED_TRACE(double(c.value));
        EXPECT_NEAR(double(Units::stepForValue(c.value)), double(c.step), double(c.step) * 1e-9);
    }
}

TEST(Units, CurrentUnitRejectsAnIndexThatIsNoUnit)
{
    Units::setCurrentLengthUnit(2);
    EXPECT_EQ(Units::currentLengthUnit(), 2);
    Units::setCurrentLengthUnit(7);
    EXPECT_EQ(Units::currentLengthUnit(), 0);
}
