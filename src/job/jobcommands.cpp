#include "job/jobcommands.h"

#include <cmath>

namespace job {
namespace {

void appendInt16(QByteArray &bytes, std::uint16_t value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

void appendInt32(QByteArray &bytes, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((u >> shift) & 0xFF));
}

} // namespace

std::int32_t roundEven(long double value)
{
    return static_cast<std::int32_t>(std::nearbyint(value));
}

QByteArray commandBytes(char letter)
{
    return QByteArray(1, letter);
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
    const std::int32_t value = roundEven(static_cast<long double>(power) * 10);
    if (newProtocol)
        appendInt32(bytes, value);
    else
        bytes.append(char(value & 0xFF));
    return bytes;
}

QByteArray jobOriginCommand(std::int32_t x, std::int32_t y, double resX, double resY)
{
    QByteArray bytes("U");
    appendInt32(bytes, roundEven(static_cast<long double>(x) * resX));
    appendInt32(bytes, roundEven(static_cast<long double>(y) * resY));
    return bytes;
}

double scaledMm(std::int32_t units, double scale)
{
    const std::int32_t scaled = roundEven(static_cast<long double>(units) * scale / 100);
    return static_cast<double>(static_cast<long double>(scaled) * 1000 / 40000);
}

} // namespace job
