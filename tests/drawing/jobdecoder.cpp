#include "drawing/jobdecoder.h"

#include "drawing/jobformat.h"

#include <fstream>
#include <iterator>

namespace {

std::int32_t int32At(const std::uint8_t *p)
{
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8
                                     | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
}

// Position of a tag in the record order X1, X2, Y1, Y2, S, W, Z, third.
int axisSlot(std::uint8_t tag)
{
    switch (tag) {
    case AxisTag::X1:
        return 0;
    case AxisTag::X2:
        return 1;
    case AxisTag::Y1:
        return 2;
    case AxisTag::Y2:
        return 3;
    case AxisTag::S:
        return 4;
    case AxisTag::W:
        return 5;
    case AxisTag::Z:
        return 6;
    case AxisTag::Third:
        return 7;
    default:
        return -1;
    }
}

constexpr const char *AxisNames[8] = {"x1", "x2", "y1", "y2", "s", "w", "z", "t3"};

} // namespace

DecodedJob DecodeJob(std::string_view bytes, bool newProtocol)
{
    DecodedJob job;
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    const std::size_t size = bytes.size();
    auto fail = [&](std::size_t at, std::string why) {
        job.ok = false;
        job.offset = at;
        job.error = std::move(why);
        return job;
    };

    bool inMove = false;
    int lastSlot = -1;
    std::array<std::int64_t, 8> move {};
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t letter = data[pos];
        const auto length = commandLength(letter, newProtocol);
        if (!length || letter < 'a' || letter > 'z')
            return fail(pos, "not a job command letter");
        if (pos + std::size_t(*length) > size)
            return fail(pos, "command cut short by the end of the file");
        const std::uint8_t *arg = data + pos + 1;
        ++job.commands;
        if (letter == 'a') {
            const std::uint8_t tag = arg[0];
            const std::int32_t value = int32At(arg + 1);
            if (tag == AxisTag::Header) {
                if (inMove || value != 0)
                    return fail(pos, "misplaced move header");
                inMove = true;
                lastSlot = -1;
                move.fill(0);
            } else if (tag == AxisTag::StepCount) {
                if (!inMove || value < 1)
                    return fail(pos, "misplaced step count");
                std::string line = "move";
                for (int i = 0; i < 8; ++i) {
                    if (move[i] != 0)
                        line += " " + std::string(AxisNames[i]) + "=" + std::to_string(move[i]);
                    job.totals[i] += move[i];
                }
                line += " n=" + std::to_string(value);
                job.lines.push_back(line);
                ++job.moves;
                inMove = false;
            } else {
                const int slot = axisSlot(tag);
                if (!inMove || slot <= lastSlot || value == 0)
                    return fail(pos, "misplaced axis record");
                lastSlot = slot;
                move[slot] = value;
            }
        } else {
            if (inMove)
                return fail(pos, "command inside a move");
            std::string line(1, char(letter));
            switch (letter) {
            case 'p':
            case 'f':
                line += " " + std::to_string(arg[0]);
                break;
            case 'r':
                line += " " + std::to_string(arg[0]) + " " + std::to_string(arg[1]);
                break;
            case 'v':
                line += " " + std::to_string(arg[0]) + " "
                    + std::to_string(unsigned(arg[1]) | unsigned(arg[2]) << 8);
                break;
            case 's':
                line += " " + std::to_string(arg[0]) + " " + std::to_string(int32At(arg + 1));
                break;
            case 't':
                line += " " + std::to_string(arg[0]) + " "
                    + std::to_string(newProtocol ? int32At(arg + 1) : std::int32_t(arg[1]));
                break;
            default:
                return fail(pos, "a command the job writer never writes");
            }
            job.lines.push_back(line);
        }
        pos += std::size_t(*length);
    }
    if (inMove)
        return fail(pos, "move without step count");
    return job;
}

DecodedJob DecodeJobFile(const std::string &path, bool newProtocol)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        DecodedJob job;
        job.ok = false;
        job.error = "no job file";
        return job;
    }
    const std::string bytes {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return DecodeJob(bytes, newProtocol);
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string out;
    for (const auto &line : lines) {
        if (!out.empty())
            out += "; ";
        out += line;
    }
    return out;
}
