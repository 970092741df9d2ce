#include "job/jobcommands.h"

#include <gtest/gtest.h>

using namespace job;

TEST(JobCommands, LiveCommandBytes)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QByteArray expected;
    };
    const Case cases[] = {
        {"travel speed", speedCommand(0, 0x1234), QByteArray("V\x00\x34\x12", 4)},
        {"speed mode", speedModeCommand(2), QByteArray("F\x02", 2)},
        {"heating on", heatingCommand(true, 1), QByteArray("R\x01\x01", 3)},
        {"heating off", heatingCommand(false, 1), QByteArray("R\x00\x01", 3)},
        {"power, one byte", heatingPowerCommand(1, 2.5, false), QByteArray("T\x01\x19", 3)},
        {"power, half to even", heatingPowerCommand(1, 0.25, false), QByteArray("T\x01\x02", 3)},
        {"power, int32", heatingPowerCommand(3, 30.0, true), QByteArray("T\x03\x2c\x01\x00\x00", 6)},
        {"origin", jobOriginCommand(-1, 3, 1.5, 0.5), QByteArray("U\xfe\xff\xff\xff\x02\x00\x00\x00", 9)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.bytes.toHex(' '), c.expected.toHex(' '));
    }
}

TEST(JobCommands, ScaledSizesRoundToWholePlotterUnitsFirst)
{
    EXPECT_DOUBLE_EQ(scaledMm(4000, 100), 100.0);
    EXPECT_DOUBLE_EQ(scaledMm(4000, 50), 50.0);
    // 3 units at 50 % are 1.5 units, which go to the even 2: 0.05 mm.
    EXPECT_DOUBLE_EQ(scaledMm(3, 50), 0.05);
    EXPECT_DOUBLE_EQ(scaledMm(5, 50), 0.05);
    EXPECT_DOUBLE_EQ(scaledMm(-2000, 100), -50.0);
}
