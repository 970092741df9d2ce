#include "app/konfigrules.h"
#include "app/machineidentity.h"

#include <gtest/gtest.h>

using KonfigRules::Activation;
using KonfigRules::Enable;

namespace {
constexpr Enable U = Enable::Unchanged;
constexpr Enable O = Enable::Off;
constexpr Enable I = Enable::On;
} // namespace

TEST(KonfigRules, UpdateactivEnablesByMode)
{
    struct Case
    {
        int mode;
        int stolik; // StolikSwitch before the refresh
        int catDir;
        Activation expected;
    };
    // catDir, diameter, tool, speeds, wstrzymaj, kierunek, kroki, dopasuj, heavy, stolik, power,
    // moveAfter, serial
    const Case cases[] = {
        {0, 0, 0, {I, O, O, I, O, O, O, O, I, O, I, O, O}},
        {4, 0, 0, {I, O, O, I, O, O, O, O, I, O, O, O, O}},
        {1, 2, 2, {I, I, I, I, I, I, I, I, I, I, I, O, O}},
        {1, 0, 1, {I, I, I, I, I, I, I, O, I, I, I, O, O}},
        {2, 0, 0, {O, I, U, I, I, O, O, O, U, I, O, O, I}},
        {3, 0, 2, {I, I, I, I, I, I, I, O, I, I, I, O, O}},
        {3, 2, 2, {I, I, I, I, I, I, O, I, I, I, I, O, O}},
        {5, 0, 0, {O, O, O, I, O, O, O, O, I, O, O, I, O}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " stolik " << c.stolik);
        Settings s;
        s.Mode = c.mode;
        s.StolikSwitch = c.stolik;
        s.CatDir = c.catDir;
        EXPECT_TRUE(KonfigRules::updateactiv(s) == c.expected);
    }
}

TEST(KonfigRules, UpdateactivForcesTheValuesTheModeNeeds)
{
    struct Case
    {
        int mode;
        int stolik, catDir, powerOutput;
        CheckState moveAfter;
    };
    // Every case starts from StolikSwitch 0, CatDir 0, PowerOutput 1, MoveAfter checked.
    const Case cases[] = {
        {0, 2, 0, 1, CheckState::Unchecked}, {1, 0, 0, 1, CheckState::Unchecked},
        {2, 1, 2, 0, CheckState::Unchecked}, {3, 0, 0, 1, CheckState::Unchecked},
        {4, 2, 0, 0, CheckState::Unchecked}, {5, 2, 0, 0, CheckState::Checked},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        Settings s;
        s.Mode = c.mode;
        s.StolikSwitch = 0;
        s.CatDir = 0;
        s.PowerOutput = 1;
        s.MoveAfter = CheckState::Checked;
        KonfigRules::updateactiv(s);
        EXPECT_EQ(s.StolikSwitch, c.stolik);
        EXPECT_EQ(s.CatDir, c.catDir);
        EXPECT_EQ(s.PowerOutput, c.powerOutput);
        EXPECT_EQ(s.MoveAfter, c.moveAfter);
    }
}

TEST(KonfigRules, RotationSettingsClickFollowsTheRotaryAxisInRotaryModes)
{
    Settings s;
    s.Mode = 1;
    s.StolikSwitch = 2;
    EXPECT_EQ(KonfigRules::rotationSettingsEnable(s), Enable::Off);
    s.StolikSwitch = 1;
    EXPECT_EQ(KonfigRules::rotationSettingsEnable(s), Enable::On);
    s.Mode = 0;
    EXPECT_EQ(KonfigRules::rotationSettingsEnable(s), Enable::Unchanged);
}

TEST(KonfigRules, PowerLimitByMachineKind)
{
    struct Case
    {
        const char *kind;
        bool minimumLimit, wide, lj;
        double max0, max1;
        bool percent0, percent1;
    };
    const Case cases[] = {
        {"ordinary", false, false, false, 30.0, 12.0, false, false},
        {"minimum limit", true, false, false, 1.0, 12.0, false, false},
        {"wide", false, true, false, 8.0, 12.0, false, false},
        {"LJ", false, false, true, 100.0, 100.0, true, true},
        {"LJ with minimum limit", true, false, true, 1.0, 100.0, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        StubMachineIdentity machine;
        machine.minimumPowerLimit = c.minimumLimit;
        machine.wide = c.wide;
        machine.lj = c.lj;
        const auto l0 = KonfigRules::powerLimit(0, machine);
        const auto l1 = KonfigRules::powerLimit(1, machine);
        EXPECT_EQ(l0.maximum, c.max0);
        EXPECT_EQ(l0.percent, c.percent0);
        EXPECT_EQ(l1.maximum, c.max1);
        EXPECT_EQ(l1.percent, c.percent1);
    }
}

TEST(KonfigRules, UpdatePowerLimitCutsAHigherPowerBack)
{
    StubMachineIdentity machine;
    Settings s;
    s.limits.workPowerMax = 100;
    s.work_power = 20;
    s.PowerOutput = 1;
    KonfigRules::UpdatePowerLimit(s, machine);
    EXPECT_EQ(s.work_power, 12.0);
    EXPECT_EQ(s.limits.workPowerMax, 12.0);
    s.PowerOutput = 0;
    KonfigRules::UpdatePowerLimit(s, machine);
    EXPECT_EQ(s.work_power, 12.0);
    EXPECT_EQ(s.limits.workPowerMax, 30.0);
}

TEST(KonfigRules, OldFirmwareRaisesALowPowerOnMachinesWithAMinimum)
{
    StubMachineIdentity machine;
    machine.minimumPowerLimit = true;
    machine.firmware = 34;
    EXPECT_EQ(KonfigRules::work_powerChange(0.5, machine), 0.8);
    EXPECT_EQ(KonfigRules::work_powerChange(0.0, machine), 0.0);
    EXPECT_EQ(KonfigRules::work_powerChange(0.8, machine), 0.8);
    EXPECT_EQ(KonfigRules::work_powerChange(0.9, machine), 0.9);
    machine.firmware = 35;
    EXPECT_EQ(KonfigRules::work_powerChange(0.5, machine), 0.5);
    machine.firmware = 20;
    machine.minimumPowerLimit = false;
    EXPECT_EQ(KonfigRules::work_powerChange(0.5, machine), 0.5);
}

TEST(KonfigRules, ModesOfferedByMachineFamily)
{
    struct Case
    {
        const char *name;
        bool showAll;
        int count;
    };
    const Case cases[] = {
        {"Q7-1300", false, 6}, {"Vq1200", false, 5}, {"Zf2000", false, 5}, {"BN12", false, 4},
        {"BN12", true, 5},     {"", false, 4},       {"", true, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StubMachineIdentity machine;
        machine.name = c.name;
        EXPECT_EQ(KonfigRules::modeItemCount(6, machine, c.showAll), c.count);
    }
    // Removed modes stay removed when a Q7 machine appears later.
    StubMachineIdentity q7;
    q7.name = "Q7";
    EXPECT_EQ(KonfigRules::modeItemCount(4, q7, false), 4);
}

TEST(KonfigRules, RecommendedPowerOutputByMode)
{
    EXPECT_EQ(KonfigRules::recommendedPowerOutput(1), 0);
    EXPECT_EQ(KonfigRules::recommendedPowerOutput(3), 1);
    for (int mode : {0, 2, 4, 5})
        EXPECT_EQ(KonfigRules::recommendedPowerOutput(mode), -1);
}

TEST(KonfigRules, MachineLimitsBecomeTheSpeedMaxima)
{
    StubMachineIdentity machine;
    machine.maxVValue = 2000;
    machine.maxWorkSpeedValue = 1200;
    Settings s;
    s.szybkoscObrobki = 1500;
    KonfigRules::applyMachineLimits(s, machine);
    EXPECT_EQ(s.limits.maxV, 2000);
    EXPECT_EQ(s.limits.maxWorkSpeed, 1200);
    s.clampToRanges();
    EXPECT_EQ(s.szybkoscObrobki, 1200.0);
}

TEST(KonfigRules, XFeedSignFollowsTheCuttingDirection)
{
    EXPECT_EQ(KonfigRules::xFeedSign(0), 1);
    EXPECT_EQ(KonfigRules::xFeedSign(1), -1);
    EXPECT_EQ(KonfigRules::xFeedSign(2), 1);
}
