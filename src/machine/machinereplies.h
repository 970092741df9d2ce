#pragma once

#include "machine/hidbackend.h"
#include "machine/machinestate.h"

#include <cstdint>
#include <optional>

// Reply layouts of the controller, as pure functions over the reply bytes.
// Each parser checks that the reply is long enough and plausible; a reply
// that is not leaves the state untouched and returns false.

// Query numbers.
namespace Reply {
constexpr int Status = 10;
constexpr int Speeds = 12;
constexpr int Power = 13;
constexpr int MachineInfo = 14;
constexpr int Resolutions = 15;
constexpr int WireTension = 16;
constexpr int Firmware = 17;
} // namespace Reply

std::int16_t replyInt16(const HidReply &r, int at);
std::uint16_t replyUInt16(const HidReply &r, int at);
std::int32_t replyInt32(const HidReply &r, int at);
std::int64_t replyInt64(const HidReply &r, int at);

// Bytes a reply must carry to be parsed.
int replyMinimumLength(int query);

bool parseStatus(const HidReply &r, int length, tplotstate &plot);
// Raw positions and the derived positions and angles.
bool parsePositions(const HidReply &r, int length, MachineState &state);
bool parseSpeeds(const HidReply &r, int length, MachineState &state);
bool parsePowerInfo(const HidReply &r, int length, tplotstate &plot);

struct MachineInfoReply
{
    std::int32_t limitX = 0;
    std::int32_t limitY = 0;
    std::int32_t limitZ = 0;
    std::uint32_t workingTime = 0;
    std::uint32_t count = 0;
};
std::optional<MachineInfoReply> parseMachineInfo(const HidReply &r, int length);

struct ResolutionsReply
{
    double resX = 0;
    double resY = 0;
    double resZ = 0;
    std::int32_t resW = 0;
    std::int32_t resS = 0;
    std::int32_t res3 = 0;
    double fcWidth = 0;
};
// Fails on a zero or negative resolution: nothing could move with it and
// every conversion would divide by it.
std::optional<ResolutionsReply> parseResolutions(const HidReply &r, int length);
bool parseWireTension(const HidReply &r, int length, tplotstate &plot);

// Position within a turn, with the sign of the raw value; 0 without a
// resolution.
std::int32_t stepsWithinTurn(std::int32_t raw, std::int32_t stepsPerTurn);
