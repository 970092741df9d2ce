#include "machine/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace jobbytes {

int commandLength(char letter, bool newProtocol)
{
    static constexpr std::array<int, 27> table = {1, 6, 2, 1, 1, 1, 2, 1, 2, 2, 1, 1, 3, 1,
                                                  4, 1, 2, 1, 3, 6, 3, 7, 4, 1, 1, 1, 1};
    const int index = (static_cast<unsigned char>(letter) & 0xDF) - 64;
    if (index < 0 || index >= static_cast<int>(table.size()))
        return 0;
    if (index == 'T' - 64 && newProtocol)
        return 6;
    return table[static_cast<std::size_t>(index)];
}

QByteArray int16ToBytes(std::int32_t value)
{
    const auto v = static_cast<std::uint16_t>(value);
    QByteArray b(2, '\0');
    b[0] = static_cast<char>(v & 0xFF);
    b[1] = static_cast<char>(v >> 8);
    return b;
}

QByteArray int32ToBytes(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

double moveStepCount(const MoveDeltas &d)
{
    const long double a = static_cast<long double>(d.x1) * d.x1 + static_cast<long double>(d.y1) * d.y1;
    const long double b = static_cast<long double>(d.x2) * d.x2 + static_cast<long double>(d.y2) * d.y2;
    long double best = 0;
    for (std::int32_t e : {d.s, d.w, d.z}) {
        const long double e2 = static_cast<long double>(e) * e;
        best = std::max(best, std::nearbyint(std::sqrt(a + e2 + 0.5L)));
        best = std::max(best, std::nearbyint(std::sqrt(b + e2 + 0.5L)));
    }
    return static_cast<double>(best);
}

MoveCommand buildMoveCommand(char letter, std::int32_t multiplier, const MoveDeltas &d)
{
    MoveCommand move;
    move.ticks = static_cast<std::int64_t>(std::nearbyint(static_cast<long double>(moveStepCount(d)))) * multiplier;
    if (move.ticks < 1)
        return move;
    auto record = [&](std::uint8_t tag, std::int32_t value) {
        move.bytes.append(letter);
        move.bytes.append(static_cast<char>(tag));
        move.bytes.append(int32ToBytes(value));
    };
    record(0xFF, 0);
    const std::pair<std::uint8_t, std::int32_t> axes[] = {{0x00, d.x1}, {0x04, d.x2}, {0x01, d.y1}, {0x05, d.y2},
                                                          {0x02, d.s},  {0x06, d.w},  {0x03, d.z},  {0x07, d.third}};
    for (const auto &[tag, value] : axes) {
        if (value != 0)
            record(tag, value);
    }
    record(0xFE, static_cast<std::int32_t>(std::min<std::int64_t>(move.ticks, INT32_MAX)));
    return move;
}

} // namespace jobbytes
