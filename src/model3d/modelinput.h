#pragma once

// What the RAW and the 3D DXF readers share: the lines of a file held in memory, numbers
// written with "." only, the length unit, and how a long read is asked to stop.

#include <cstddef>
#include <functional>
#include <string_view>

// How a model reader ended. Failed: the file is broken; TooManyTriangles: it holds, or its
// inserts expand to, more triangles than the cap.
enum class TModelReadEnd { Complete, Cancelled, Failed, TooManyTriangles };

// Asked every few thousand lines or pairs; true ends the read as Cancelled. Empty: never.
using TStopRequest = std::function<bool()>;

// Asks a stop request only every 4096 calls (and on the first), so polling costs nothing
// measurable in a reader's inner loop. The request must outlive the poll.
class TStopPoll
{
public:
    explicit TStopPoll(const TStopRequest &stop)
        : m_stop(&stop)
    { }
    bool operator()()
    {
        if (--m_countdown > 0)
            return false;
        m_countdown = Interval;
        return *m_stop && (*m_stop)();
    }

private:
    static constexpr int Interval = 4096;
    const TStopRequest *m_stop;
    int m_countdown = 1;
};

// Editors on other systems may start a text file with this byte-order mark; it is no text.
inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// Lines of a text in memory. A line ends at CR, LF or CR LF; a text that ends with a line
// end has no empty line after it. Each lone CR or LF is looked for once, so a file with
// only one kind of line end is still read in one pass.
class TModelLines
{
public:
    explicit TModelLines(std::string_view text);
    bool next(std::string_view &line);
    // Where the next line starts, from the start of the text.
    std::size_t position() const { return std::size_t(m_pos - m_begin); }

private:
    const char *m_begin;
    const char *m_pos;
    const char *m_end;
    const char *m_lf = nullptr; // the next LF or CR at or after m_pos, once looked for
    const char *m_cr = nullptr;
};

// A decimal real in the whole of `text`: optional sign ("+" too), digits, optional "." and
// exponent. "," is no decimal point here; NaN, infinities and values beyond double fail.
bool ParseModelReal(std::string_view text, double &value);
// A decimal integer in the whole of `text`, with an optional sign.
bool ParseModelInt(std::string_view text, long long &value);

// Millimetres per unit of the configured length unit: 1, 25.4, 304.8; 0 for any other index.
double ModelUnitFactor(int unit);

// The value narrowed to a float; beyond the float range it becomes an infinity of its sign,
// so a reader can check the result instead of converting out of range.
float NarrowToFloat(double value);
