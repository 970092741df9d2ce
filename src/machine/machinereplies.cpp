#include "machine/machinereplies.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::uint64_t littleEndian(const HidReply &r, int at, int size)
{
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | r[static_cast<std::size_t>(at + i)];
    return v;
}

std::int32_t roundToInt32(long double v)
{
    const long double rounded = std::nearbyint(v);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (rounded > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

double angleOf(std::int32_t steps, std::int32_t stepsPerTurn)
{
    if (stepsPerTurn == 0)
        return 0;
    return static_cast<double>(static_cast<long double>(steps) * 360 / stepsPerTurn);
}

// Fixed point with 24 fraction bits.
double fixed24(std::int64_t v)
{
    return static_cast<double>(static_cast<long double>(v) / 16777216.0L);
}

} // namespace

std::int16_t replyInt16(const HidReply &r, int at)
{
    return static_cast<std::int16_t>(littleEndian(r, at, 2));
}

std::uint16_t replyUInt16(const HidReply &r, int at)
{
    return static_cast<std::uint16_t>(littleEndian(r, at, 2));
}

std::int32_t replyInt32(const HidReply &r, int at)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(littleEndian(r, at, 4)));
}

std::int64_t replyInt64(const HidReply &r, int at)
{
    return static_cast<std::int64_t>(littleEndian(r, at, 8));
}

int replyMinimumLength(int query)
{
    switch (query) {
    case Reply::Status: return 38;
    case Reply::Speeds: return 12;
    case Reply::Power: return 36;
    case Reply::MachineInfo: return 22;
    case Reply::Resolutions: return 62;
    case Reply::WireTension: return 10;
    case Reply::Firmware: return 2;
    default: return 0;
    }
}

bool parseStatus(const HidReply &r, int length, tplotstate &plot)
{
    if (length < replyMinimumLength(Reply::Status))
        return false;
    plot.stateByte = r[1];
    plot.flags = static_cast<std::uint32_t>(littleEndian(r, 2, 4));
    return true;
}

std::int32_t stepsWithinTurn(std::int32_t raw, std::int32_t stepsPerTurn)
{
    if (stepsPerTurn == 0)
        return 0;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(raw) % stepsPerTurn);
}

bool parsePositions(const HidReply &r, int length, MachineState &state)
{
    if (length < replyMinimumLength(Reply::Status))
        return false;
    tplotstate &p = state.plot;
    // Reply order: X1, Y1, S, Z, X2, Y2, W, third.
    static constexpr int order[8] = {Axis::X1, Axis::Y1, Axis::S, Axis::Z, Axis::X2, Axis::Y2, Axis::W, Axis::Third};
    for (int i = 0; i < 8; ++i)
        p.raw[static_cast<std::size_t>(order[i])] = replyInt32(r, 6 + 4 * i);

    auto linear = [](std::int32_t raw, double res) {
        return res != 0 ? roundToInt32(static_cast<long double>(raw) / res) : 0;
    };
    p.X1 = linear(p.raw[Axis::X1], state.resX);
    p.Y1 = linear(p.raw[Axis::Y1], state.resY);
    p.Z = linear(p.raw[Axis::Z], state.resZ);
    p.X2 = linear(p.raw[Axis::X2], state.resX);
    p.Y2 = linear(p.raw[Axis::Y2], state.resY);
    p.S = stepsWithinTurn(p.raw[Axis::S], state.resS);
    p.third = stepsWithinTurn(p.raw[Axis::Third], state.res3);
    p.W = stepsWithinTurn(p.raw[Axis::W], state.resW);
    p.Sangle = angleOf(p.S, state.resS);
    p.thirdAngle = angleOf(p.third, state.res3);
    p.Wangle = angleOf(p.W, state.resW);
    return true;
}

bool parseSpeeds(const HidReply &r, int length, MachineState &state)
{
    if (length < replyMinimumLength(Reply::Speeds) || r[0] > 4)
        return false;
    tplotstate &p = state.plot;
    p.speedMode = r[0];
    for (int i = 0; i < 5; ++i) {
        const long long v = static_cast<long long>(replyInt16(r, 2 + 2 * i)) * state.wspV;
        p.speeds[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(std::clamp<long long>(v, 0, 65535));
    }
    if (p.speedMode <= 3)
        p.currentSpeed = p.speeds[p.speedMode];
    return true;
}

bool parsePowerInfo(const HidReply &r, int length, tplotstate &plot)
{
    if (length < replyMinimumLength(Reply::Power) || r[0] >= 8)
        return false;
    plot.powerChannel = r[0];
    plot.powerSetting = static_cast<std::uint16_t>(replyInt32(r, 2 + 4 * r[0]) & 0xFFFF);
    plot.measuredPower = replyUInt16(r, 34);
    return true;
}

std::optional<MachineInfoReply> parseMachineInfo(const HidReply &r, int length)
{
    if (length < replyMinimumLength(Reply::MachineInfo))
        return std::nullopt;
    MachineInfoReply info;
    info.limitX = replyInt32(r, 2);
    info.limitY = replyInt32(r, 6);
    info.limitZ = replyInt32(r, 10);
    info.workingTime = static_cast<std::uint32_t>(replyInt32(r, 14));
    info.count = static_cast<std::uint32_t>(replyInt32(r, 18));
    return info;
}

std::optional<ResolutionsReply> parseResolutions(const HidReply &r, int length)
{
    if (length < replyMinimumLength(Reply::Resolutions))
        return std::nullopt;
    ResolutionsReply res;
    res.resX = fixed24(replyInt64(r, 6));
    res.resY = fixed24(replyInt64(r, 14));
    res.resZ = fixed24(replyInt64(r, 22));
    res.resW = replyInt32(r, 30);
    res.resS = replyInt32(r, 38);
    res.res3 = replyInt32(r, 46);
    res.fcWidth = static_cast<double>(replyInt64(r, 54));
    const bool linearOk = std::isfinite(res.resX) && std::isfinite(res.resY) && std::isfinite(res.resZ)
                          && res.resX > 0 && res.resY > 0 && res.resZ > 0;
    if (!linearOk || res.resW <= 0 || res.resS <= 0 || res.res3 <= 0)
        return std::nullopt;
    return res;
}

bool parseWireTension(const HidReply &r, int length, tplotstate &plot)
{
    if (length < replyMinimumLength(Reply::WireTension))
        return false;
    plot.tensionSetting = replyInt32(r, 2);
    plot.tensionMeasured = replyInt32(r, 6);
    return true;
}
