#include "drawing/jobformat.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TBytes bytes(std::initializer_list<int> values)
{
    TBytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TBytes concat(std::initializer_list<TBytes> parts)
{
    TBytes out;
    for (const TBytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TBytes record(int letter, int tag, std::int32_t value)
{
    return concat({bytes({letter, tag}), Int32ToBytes(value)});
}

} // namespace

TEST(JobFormat, IntegersAreLittleEndianTwosComplement)
{
    EXPECT_EQ(Int16ToBytes(0x1234), bytes({0x34, 0x12}));
    EXPECT_EQ(Int16ToBytes(-2), bytes({0xFE, 0xFF}));
    EXPECT_EQ(Int32ToBytes(0x12345678), bytes({0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Int32ToBytes(-100), bytes({0x9C, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Int32ToBytes(INT32_MIN), bytes({0x00, 0x00, 0x00, 0x80}));
}

TEST(JobFormat, CommandLengthTableForBothProtocols)
{
    const std::string letters = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int lengths[] = {1, 6, 2, 1, 1, 1, 2, 1, 2, 2, 1, 1, 3, 1, 4, 1, 2, 1, 3, 6, 3, 7, 4, 1, 1, 1, 1};
    for (bool newProtocol : {false, true}) {
        for (std::size_t i = 0; i < letters.size(); ++i) {
            const char upper = letters[i];
            const char lower = static_cast<char>(upper | 0x20);
            SCOPED_TRACE(testing::Message() << upper << (newProtocol ? " new" : " old"));
            const int expected = upper == 'T' ? (newProtocol ? 6 : 3) : lengths[i];
            EXPECT_EQ(commandLength(std::uint8_t(upper), newProtocol), expected);
            EXPECT_EQ(commandLength(std::uint8_t(lower), newProtocol), expected);
        }
    }
    for (int c : std::initializer_list<int> {0, 0x0A, '0', '9', '?', '[', '_', 0x7F, 0xC1, 0xFF}) {
        SCOPED_TRACE(c);
        EXPECT_FALSE(commandLength(std::uint8_t(c), false).has_value());
    }
}

TEST(JobFormat, MoveRecords)
{
    struct Case
    {
        const char *name;
        TAxisDeltas d;
        std::int32_t multiplier;
        std::int64_t ticks;
        TBytes bytes;
    };
    TAxisDeltas x1Only;
    x1Only.x1 = 1000;
    TAxisDeltas bothEnds;
    bothEnds.x1 = 300;
    bothEnds.y1 = 400;
    bothEnds.x2 = 300;
    bothEnds.y2 = 400;
    TAxisDeltas thirdOnly;
    thirdOnly.third = 5000;
    TAxisDeltas negativeY1;
    negativeY1.y1 = -100;
    TAxisDeltas everyAxis {1, 2, 3, 4, 5, 6, 7, 8};
    TAxisDeltas rotaryLongest;
    rotaryLongest.x1 = 3;
    rotaryLongest.s = 4;
    rotaryLongest.z = -2;

    const Case cases[] = {
        {"X1 only", x1Only, 2, 2000,
         concat({record('a', 0xFF, 0), record('a', 0x00, 1000), record('a', 0xFE, 2000)})},
        {"both wire ends", bothEnds, 3, 1500,
         concat({record('a', 0xFF, 0), record('a', 0x00, 300), record('a', 0x04, 300), record('a', 0x01, 400),
                 record('a', 0x05, 400), record('a', 0xFE, 1500)})},
        {"third axis alone counts as a zero move", thirdOnly, 4, 4,
         concat({record('a', 0xFF, 0), record('a', 0x07, 5000), record('a', 0xFE, 4)})},
        {"zero move", TAxisDeltas {}, 7, 7, concat({record('a', 0xFF, 0), record('a', 0xFE, 7)})},
        {"negative delta", negativeY1, 1, 100,
         concat({record('a', 0xFF, 0), bytes({'a', 0x01, 0x9C, 0xFF, 0xFF, 0xFF}), record('a', 0xFE, 100)})},
        {"tag order", everyAxis, 1, 8,
         concat({record('a', 0xFF, 0), record('a', 0x00, 1), record('a', 0x04, 2), record('a', 0x01, 3),
                 record('a', 0x05, 4), record('a', 0x02, 5), record('a', 0x06, 6), record('a', 0x03, 7),
                 record('a', 0x07, 8), record('a', 0xFE, 8)})},
        {"rotary axis joins the front end", rotaryLongest, 1, 5,
         concat({record('a', 0xFF, 0), record('a', 0x00, 3), record('a', 0x02, 4), record('a', 0x03, -2),
                 record('a', 0xFE, 5)})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TMoveCommand move = BuildMoveCommand('a', c.multiplier, c.d);
        EXPECT_EQ(move.ticks, c.ticks);
        EXPECT_EQ(move.bytes, c.bytes);
        EXPECT_FALSE(move.overflow);
        for (std::size_t i = 0; i < move.bytes.size(); i += 6)
            EXPECT_EQ(commandLength(move.bytes[i], false), 6);
    }
    // The live move uses the same records under the letter 'A'.
    EXPECT_EQ(BuildMoveCommand('A', 2, x1Only).bytes,
              concat({record('A', 0xFF, 0), record('A', 0x00, 1000), record('A', 0xFE, 2000)}));
}

TEST(JobFormat, MoveStepCountRoundsHalvesToEvenInsideTheRoot)
{
    TAxisDeltas d;
    EXPECT_EQ(MoveStepCount(d), 1.0); // Round(sqrt(0.5))
    d.x1 = 2;
    EXPECT_EQ(MoveStepCount(d), 2.0); // sqrt(4.5) = 2.12
    d.x1 = 3;
    d.y1 = 4;
    d.z = 12;
    EXPECT_EQ(MoveStepCount(d), 13.0);
    TAxisDeltas back;
    back.x2 = -30000;
    back.y2 = 40000;
    EXPECT_EQ(MoveStepCount(back), 50000.0);
}

TEST(JobFormat, MoveWithNoTicksIsEmptyAndOverflowIsReported)
{
    TAxisDeltas d;
    d.x1 = 10;
    const TMoveCommand none = BuildMoveCommand('a', 0, d);
    EXPECT_TRUE(none.bytes.empty());
    EXPECT_FALSE(none.overflow);
    // A tick count beyond int32 used to be written truncated; now no bytes
    // are produced and the caller is told.
    d.x1 = 2000000000;
    const TMoveCommand huge = BuildMoveCommand('a', 2, d);
    EXPECT_TRUE(huge.bytes.empty());
    EXPECT_TRUE(huge.overflow);
    EXPECT_EQ(huge.ticks, 4000000000LL);
}

TEST(JobFormat, Pauses)
{
    struct Case
    {
        std::int32_t n;
        TBytes bytes;
    };
    const Case cases[] = {
        {0, bytes({'p', 0x00})},
        {1, bytes({'p', 0x01})},
        {250, bytes({'p', 0xFA})},
        {251, bytes({'p', 0xFA, 'p', 0x01})},
        {500, bytes({'p', 0xFA, 'p', 0xFA})},
        {600, bytes({'p', 0xFA, 'p', 0xFA, 'p', 0x64})},
        {-5, bytes({'p', 0x00})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(PauseCommand(c.n), c.bytes);
    }
}

TEST(JobFormat, OtherCommandsByteForByte)
{
    EXPECT_EQ(SpeedModeCommand(0), bytes({'f', 0x00}));
    EXPECT_EQ(SpeedModeCommand(1), bytes({'f', 0x01}));
    EXPECT_EQ(SpeedCommand(1, 0x0102), bytes({'v', 0x01, 0x02, 0x01}));
    EXPECT_EQ(HeatingOnCommand(3), bytes({'r', 0x01, 0x03}));
    EXPECT_EQ(HeatingOffCommand(), bytes({'r', 0x00, 0x02}));
    EXPECT_EQ(PowerCommand(1, 0x1A5, false), bytes({'t', 0x01, 0xA5}));
    EXPECT_EQ(PowerCommand(1, 0x1A5, true), bytes({'t', 0x01, 0xA5, 0x01, 0x00, 0x00}));
    EXPECT_EQ(SettingCommand(2, 1), bytes({'s', 0x02, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(SettingCommand(4, 5), bytes({'s', 0x04, 0x05, 0x00, 0x00, 0x00}));
    // Every command's length agrees with the table of its protocol.
    for (bool newProtocol : {false, true}) {
        for (const TBytes &c :
             {SpeedModeCommand(1), SpeedCommand(0, 9), HeatingOnCommand(1), HeatingOffCommand(),
              PowerCommand(3, 9, newProtocol), SettingCommand(3, 0), PauseCommand(7)}) {
            EXPECT_EQ(commandLength(c[0], newProtocol), int(c.size()));
        }
    }
}
