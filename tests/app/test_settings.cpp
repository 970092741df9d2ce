#include "app/settings.h"
#include "app/units.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(Settings, TableHoldsEverySettingOnceInFileOrder)
{
    const auto table = Settings::table();
    ASSERT_EQ(table.size(), 45u);
    EXPECT_STREQ(table.front().name, "Mode");
    EXPECT_STREQ(table[1].name, "AutoSave");
    EXPECT_STREQ(table[21].name, "feuVobrotowa");
    EXPECT_STREQ(table.back().name, "PowerOutput");
    QSet<QString> names;
    for (const SettingInfo &info : table) {
        EXPECT_FALSE(names.contains(info.key())) << info.name;
        names.insert(info.key());
        EXPECT_EQ(Settings::find(info.key()), &info);
    }
    EXPECT_EQ(Settings::find(u"mode"), nullptr); // names are case-sensitive
}

TEST(Settings, DefaultsLieInsideTheirRanges)
{
    Settings defaults;
    Settings clamped = defaults;
    clamped.clampToRanges();
    EXPECT_EQ(clamped, defaults);
}

TEST(Settings, SetNumberClampsAndRoundsIntegers)
{
    Settings s;
    const SettingInfo &power = *Settings::find(u"work_power");
    s.setNumber(power, 50); // no machine known yet: the widest maximum
    EXPECT_EQ(s.work_power, 50.0);
    s.limits.workPowerMax = 30;
    s.setNumber(power, 50);
    EXPECT_EQ(s.work_power, 30.0);

    const SettingInfo &speed = *Settings::find(u"PrzeSpeed");
    s.limits.maxV = 3000;
    s.setNumber(speed, 4000);
    EXPECT_EQ(s.PrzeSpeed, 3000.0);
    s.setNumber(speed, 1);
    EXPECT_EQ(s.PrzeSpeed, 20.0);

    const SettingInfo &scroll = *Settings::find(u"sbWspSymulacji");
    s.setNumber(scroll, 2.5); // halves go to the even neighbour
    EXPECT_EQ(s.sbWspSymulacji, 2);
    s.setNumber(scroll, 3.5);
    EXPECT_EQ(s.sbWspSymulacji, 4);

    const SettingInfo &check = *Settings::find(u"Heavy");
    s.setNumber(check, 2);
    EXPECT_EQ(s.Heavy, CheckState::Grayed);
}

TEST(Settings, DerivedValuesFollowTheSettings)
{
    Settings s;
    ProgramValues d = ProgramValues::derive(s);
    EXPECT_EQ(d.joiningTolerance, 10);
    EXPECT_DOUBLE_EQ(d.dxfCurveStep, 2.0);
    EXPECT_DOUBLE_EQ(d.stopX, 51.0);
    EXPECT_DOUBLE_EQ(d.stopY, 0.0);

    s.fuPlt_accuracy = 0.0625; // 2.5 plotter units: half to even gives 2
    s.sbRozdzKrzywychDXF = 8;
    s.feuZderzakX = 100;
    s.feuZderzakY = 7;
    d = ProgramValues::derive(s);
    EXPECT_EQ(d.joiningTolerance, 2);
    EXPECT_DOUBLE_EQ(d.dxfCurveStep, 0.25);
    EXPECT_DOUBLE_EQ(d.stopX, 100.0);
    EXPECT_DOUBLE_EQ(d.stopY, 7.0);
}

TEST(Settings, SetCurrentRecomputesEveryDerivedValue)
{
    Settings s;
    s.radiounit = 1;
    s.feuZderzakX = 12.5;
    s.fuPlt_accuracy = 0.1;
    Settings::setCurrent(s);
    EXPECT_EQ(Settings::current(), s);
    EXPECT_EQ(Units::currentLengthUnit(), 1);
    EXPECT_DOUBLE_EQ(ProgramValues::current().stopX, 12.5);
    EXPECT_EQ(ProgramValues::current().joiningTolerance, 4);
    Settings::setCurrent(Settings());
    EXPECT_EQ(Units::currentLengthUnit(), 0);
    EXPECT_EQ(ProgramValues::current(), ProgramValues());
}
