#pragma once

// Temporary: the job-file command lengths and the move-record builder until
// the drawing library provides them; same byte layouts.

#include <QByteArray>

#include <array>
#include <cstdint>

namespace jobbytes {

// Total length of a command, letter included, by its letter (either case).
int commandLength(char letter, bool newProtocol);
QByteArray int16ToBytes(std::int32_t value);
QByteArray int32ToBytes(std::int32_t value);

// Deltas in the order X1, X2, Y1, Y2, S, W, Z, third.
struct MoveDeltas
{
    std::int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0, s = 0, w = 0, z = 0, third = 0;
};
double moveStepCount(const MoveDeltas &d);
struct MoveCommand
{
    std::int64_t ticks = 0;
    QByteArray bytes;
};
MoveCommand buildMoveCommand(char letter, std::int32_t multiplier, const MoveDeltas &d);

} // namespace jobbytes
