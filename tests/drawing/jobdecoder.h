#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads a job file back the way the transmitter does: one letter, its length
// from the command length table, its arguments. Moves are checked record by
// record (header, axes in the controller's order, step count) and summed.
// Tests compare jobs through it in a readable form, one line per command:
//   "v 0 375", "t 1 10", "r 1 3", "p 250", "f 1", "s 4 5",
//   "move x1=1000 x2=1000 n=2000" (non-zero axes and the tick count).

// Axis order of the sums: X1, X2, Y1, Y2, S, W, Z, third.
using AxisSums = std::array<std::int64_t, 8>;

struct DecodedJob
{
    bool ok = true;
    std::string error; // why reading stopped
    std::size_t offset = 0; // where
    std::vector<std::string> lines;
    AxisSums totals {}; // every move's deltas added up
    std::size_t moves = 0;
    std::size_t commands = 0; // letters read, move records included
};

DecodedJob DecodeJob(std::string_view bytes, bool newProtocol = false);
DecodedJob DecodeJobFile(const std::string &path, bool newProtocol = false);

// The lines joined with "; " (handy in failure messages).
std::string Joined(const std::vector<std::string> &lines);
