#include "job/jobcommands.h"

#include "drawing/jobbytes.h"
#include "drawing/jobformat.h"

#include <cmath>

namespace job {
namespace {

void append(QByteArray &bytes, const TBytes &more)
{
    for (std::uint8_t b : more)
        bytes.append(static_cast<char>(b));
}

void appendInt16(QByteArray &bytes, std::uint16_t value)
{
    append(bytes, Int16ToBytes(static_cast<std::int16_t>(value)));
}

void appendInt32(QByteArray &bytes, std::int32_t value)
{
    append(bytes, Int32ToBytes(value));
}

} // namespace

QByteArray commandBytes(char letter)
{
    return QByteArray(1, letter);
}

QByteArray wireMoveCommand(std::int32_t multiplier, double resX, double resY, long long dx1, long long dy1,
                           long long dx2, long long dy2)
{
    TAxisDeltas d;
    d.x1 = RoundToInt32(static_cast<long double>(dx1) * resX);
    d.y1 = RoundToInt32(static_cast<long double>(dy1) * resY);
    d.x2 = RoundToInt32(static_cast<long double>(dx2) * resX);
    d.y2 = RoundToInt32(static_cast<long double>(dy2) * resY);
    QByteArray bytes;
    append(bytes, BuildMoveCommand('A', multiplier, d).bytes);
    return bytes;
}

QByteArray speedCommand(std::uint8_t mode, std::uint16_t period)
{
    QByteArray bytes("V");
    bytes.append(char(mode));
    appendInt16(bytes, period);
    return bytes;
}

QByteArray speedModeCommand(std::uint8_t mode)
{
    QByteArray bytes("F");
    bytes.append(char(mode));
    return bytes;
}

QByteArray heatingCommand(bool on, std::uint8_t channel)
{
    QByteArray bytes("R");
    bytes.append(char(on ? 1 : 0));
    bytes.append(char(channel));
    return bytes;
}

QByteArray heatingPowerCommand(std::uint8_t channel, double power, bool newProtocol)
{
    QByteArray bytes("T");
    bytes.append(char(channel));
    const std::int32_t value = RoundToInt32(static_cast<long double>(power) * 10);
    if (newProtocol)
        appendInt32(bytes, value);
    else
        bytes.append(char(value & 0xFF));
    return bytes;
}

QByteArray jobOriginCommand(std::int32_t x, std::int32_t y, double resX, double resY)
{
    QByteArray bytes("U");
    appendInt32(bytes, RoundToInt32(static_cast<long double>(x) * resX));
    appendInt32(bytes, RoundToInt32(static_cast<long double>(y) * resY));
    return bytes;
}

double scaledMm(std::int32_t units, double scale)
{
    const std::int32_t scaled = RoundToInt32(static_cast<long double>(units) * scale / 100);
    return static_cast<double>(static_cast<long double>(scaled) * 1000 / 40000);
}

} // namespace job
