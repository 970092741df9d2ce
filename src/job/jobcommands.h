#pragma once

// The live commands a start sends, as the controller expects their bytes
// (letter, then little-endian arguments), and the size conversions the start
// sequence shares with the checks.

#include <QByteArray>

#include <cstdint>

namespace job {

QByteArray commandBytes(char letter);
// "V" mode + period (int16): speed of a speed mode.
QByteArray speedCommand(std::uint8_t mode, std::uint16_t period);
// "F" mode: 0 travel, 1 working, 2 after a pause.
QByteArray speedModeCommand(std::uint8_t mode);
// "R" on/off channel.
QByteArray heatingCommand(bool on, std::uint8_t channel);
// "T" channel power: the power in tenths of the setting, one byte on the old
// protocol and int32 on the new one.
QByteArray heatingPowerCommand(std::uint8_t channel, double power, bool newProtocol);
// "U" X Y: the job origin in controller steps, 0.01 mm times the resolution,
// rounded half to even.
QByteArray jobOriginCommand(std::int32_t x, std::int32_t y, double resX, double resY);

// "A" move of the wire ends by the given deltas (0.01 mm) at the
// resolutions (steps per 0.01 mm), the tick count times the multiplier;
// empty when nothing moves.
QByteArray wireMoveCommand(std::int32_t multiplier, double resX, double resY, long long dx1, long long dy1,
                           long long dx2, long long dy2);

// A size in plotter units at `scale` percent, in mm: the scaled units are
// rounded to whole plotter units first (40 per mm).
double scaledMm(std::int32_t units, double scale);

} // namespace job
