#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The byte layer of the machine job file "out.cn" and of the live machine
// commands: one letter followed by binary little-endian arguments, the
// length of each command following from its letter alone. Lower-case
// letters make up the job file, upper-case letters are sent live.

using TBytes = std::vector<std::uint8_t>;

TBytes Int16ToBytes(std::int16_t value);
TBytes Int32ToBytes(std::int32_t value);

// Total length of the command that starts with this byte, letter included,
// looked up by the byte with bit 5 cleared. 'T' (heating power) is 6 bytes
// on controllers of the new protocol and 3 on the old ones. A byte that is
// no command letter has no length: a reader of commands stops there.
std::optional<int> commandLength(std::uint8_t letter, bool newProtocol);

// Signed relative deltas of one move, in controller steps.
struct TAxisDeltas
{
    std::int32_t x1 = 0; // front wire end X
    std::int32_t x2 = 0; // back wire end X
    std::int32_t y1 = 0; // front wire end Y
    std::int32_t y2 = 0; // back wire end Y
    std::int32_t s = 0; // rotary table
    std::int32_t w = 0; // spindle
    std::int32_t z = 0;
    std::int32_t third = 0; // third rotary axis
};

// Axis tags of the move records, the controller's axis codes.
namespace AxisTag {
inline constexpr std::uint8_t X1 = 0x00;
inline constexpr std::uint8_t Y1 = 0x01;
inline constexpr std::uint8_t S = 0x02;
inline constexpr std::uint8_t Z = 0x03;
inline constexpr std::uint8_t X2 = 0x04;
inline constexpr std::uint8_t Y2 = 0x05;
inline constexpr std::uint8_t W = 0x06;
inline constexpr std::uint8_t Third = 0x07;
inline constexpr std::uint8_t StepCount = 0xFE;
inline constexpr std::uint8_t Header = 0xFF;
} // namespace AxisTag

// Length of a move in steps: the largest of Round(sqrt(A + e^2 + 0.5)) and
// Round(sqrt(B + e^2 + 0.5)) over e in (S, W, Z), A and B the squared moves
// of the front and back wire ends, in extended precision. The third rotary
// axis takes no part.
double MoveStepCount(const TAxisDeltas &d);

// Round(MoveStepCount) * multiplier, the tick count of a move, and whether it
// is too large for its int32 field.
struct TMoveTicks
{
    std::int64_t ticks = 0;
    bool overflow = false;
};
TMoveTicks MoveTicks(std::int32_t multiplier, const TAxisDeltas &d);

// Header, eight axes and the step count.
inline constexpr std::size_t MaxMoveCommandLength = 6 * 10;
// The records of a move with this tick count into out; returns their length;
// out has room for MaxMoveCommandLength bytes.
std::size_t EncodeMoveCommand(std::uint8_t letter, const TAxisDeltas &d, std::int32_t ticks, std::uint8_t *out);

struct TMoveCommand
{
    std::int64_t ticks = 0; // Round(MoveStepCount) * multiplier
    TBytes bytes; // empty when ticks < 1 or the tick count overflows
    bool overflow = false; // the tick count does not fit its int32 field
};

// The 6-byte records [letter][tag][int32] of one move: header 0xFF 0, one
// record per non-zero axis in the order X1, X2, Y1, Y2, S, W, Z, third, then
// the step count 0xFE. letter is 'a' for the job file, 'A' for a live move;
// the multiplier is the speed factor wspV.
TMoveCommand BuildMoveCommand(std::uint8_t letter, std::int32_t multiplier, const TAxisDeltas &d);

// The other commands the job writer emits, byte for byte.
// A pause of n: 'p' 0xFA while n > 250 (n falling by 250), then 'p' n;
// 250 is one 'p' 0xFA, 0 (or a negative value) is 'p' 0x00.
TBytes PauseCommand(std::int32_t n);
TBytes SpeedModeCommand(std::uint8_t mode); // 'f' mode: 0 travel, 1 working
TBytes SpeedCommand(std::uint8_t mode, std::int16_t period); // 'v' mode lo hi
TBytes HeatingOnCommand(std::uint8_t wireSelector); // 'r' 1 sel
TBytes HeatingOffCommand(); // 'r' 0 2
// 't' sel b (old protocol) or 't' sel int32 (new protocol).
TBytes PowerCommand(std::uint8_t wireSelector, std::int32_t power, bool newProtocol);
TBytes SettingCommand(std::uint8_t number, std::int32_t value); // 's' n int32
