#include "simfixture.h"

#include <gtest/gtest.h>

namespace {

struct ModelCase
{
    const char *name;
    QStringList parameters;
    int maxV;
    int maxWorkSpeed;
    int wspV;
    bool lj;
};

TEST(Models, TableRowsInOrder)
{
    const ModelCase cases[] = {
        {"Vq4800", {}, 5000, 1500, 2, false},
        {"Zf1200", {}, 5000, 1500, 2, false},
        {"Q7-2000", {}, 3000, 3000, 2, false},
        {"LJ12345m", {}, 1200, 1200, 3, true},
        {"LJ12345M", {}, 2000, 2000, 3, true},
        {"lj", {}, 2000, 2000, 3, true},
        {"R45", {}, 3000, 1500, 2, false},
        {"Rosa", {}, 3000, 1500, 2, false},
        {"pq46", {}, 3000, 1500, 2, false},
        {"gz500", {}, 3000, 1500, 2, false},
        {"bn45", {}, 2000, 2000, 2, false},
        {"BN45", {}, 2000, 2000, 2, false},
        {"Xylo", {}, 5000, 5000, 2, false}, // no row: initial values stay
        {"vq4800", {}, 5000, 5000, 2, false}, // row 1 is case-sensitive
        {"bn45", {"maxV'2500'"}, 2500, 5000, 2, false},
        {"Q7", {"maxV'2500'", "wspV'4'"}, 2500, 5000, 4, false},
        {"LJ12345m", {"wspV'1'"}, 1200, 1200, 1, true},
    };
    for (const ModelCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << c.parameters.join(' ').toStdString());
        SimRig rig({}, c.parameters);
        rig.state.plot.machineName = c.name;
        rig.state.plot.family = QString(c.name).left(2);
        rig.ploter->SetModelDefaults();
        EXPECT_EQ(rig.state.maxV, c.maxV);
        EXPECT_EQ(rig.state.maxWorkSpeed, c.maxWorkSpeed);
        EXPECT_EQ(rig.state.wspV, c.wspV);
        EXPECT_EQ(rig.state.lj, c.lj);
    }
}

TEST(Models, NoMatchKeepsThePreviousMachinesValuesAndLJStays)
{
    SimRig rig;
    rig.state.plot.machineName = "LJ12345m";
    rig.state.plot.family = "LJ";
    rig.ploter->SetModelDefaults();
    rig.state.plot.machineName = "Xylo";
    rig.state.plot.family = "Xy";
    rig.ploter->SetModelDefaults();
    EXPECT_EQ(rig.state.maxV, 1200);
    EXPECT_TRUE(rig.state.lj);
}

TEST(Models, Predicates)
{
    const struct
    {
        const char *name;
        double fcWidth;
        bool spindle;
        bool minimumPower;
        bool wide;
    } cases[] = {
        {"R45", 600, true, true, false},     {"r 45x", 600, true, true, false}, {"PQ45", 600, true, true, false},
        {"pq 45", 600, true, true, false},   {"PQ46", 600, false, true, false}, {"PQ 46", 600, false, true, false},
        {"PQ47", 600, false, false, false},  {"R4", 600, false, false, false},  {"GZ100", 2000, false, false, true},
        {"zf100", 2500, false, false, true}, {"GZ100", 1999, false, false, false}, {"bn45", 3000, false, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SimRig rig;
        rig.state.plot.machineName = c.name;
        rig.state.plot.family = QString(c.name).left(2);
        rig.state.fcWidth = c.fcWidth;
        EXPECT_EQ(rig.ploter->IsSpindleRotaryModel(), c.spindle);
        EXPECT_EQ(rig.ploter->HasMinimumPowerLimit(), c.minimumPower);
        EXPECT_EQ(rig.ploter->IsWideMachine(), c.wide);
    }
    SimRig full({}, {"FULLPOWER"});
    full.state.plot.machineName = "R45";
    EXPECT_FALSE(full.ploter->HasMinimumPowerLimit());
}

} // namespace
