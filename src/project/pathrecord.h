#pragma once

#include <cstdint>

// One vertex of a recorded wire path: the path exactly as the job cuts it,
// connectors included, for building the merged window of an independent cut.
// 16 bytes: four signed 32-bit values.
struct TPathRecord
{
    std::int32_t key = 0; // the figure's index plus PathRecordFigureBase; PathRecordStartKey for the start
    std::int32_t vertex = 0; // the vertex index on that figure
    std::int32_t x = 0; // plotter units
    std::int32_t y = 0;

    friend bool operator==(const TPathRecord &, const TPathRecord &) = default;
};
static_assert(sizeof(TPathRecord) == 16);

// The key of the record where the wire enters (the root's entry point).
inline constexpr std::int32_t PathRecordStartKey = 10001;
// Added to a figure's index, so that no figure's key meets the start key.
inline constexpr std::int32_t PathRecordFigureBase = 20000;
