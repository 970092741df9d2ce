#pragma once

#include <string>

// The few numbers exchanged with the companion program through a named
// shared-memory block that only the companion creates.
//
// Layout of the block (48 bytes, little-endian IEEE-754 doubles):
//   0  point x        (companion)
//   8  point y        (companion)
//  16  first value    (companion)
//  24  second value   (companion)
//  32  project width in mm  (this program)
//  40  project height in mm (this program)
// -1.0 in a field means "no data".
//
// Each call opens, maps, copies, unmaps and closes: nothing stays open between
// calls, so the companion may come and go at any time. A missing, too short or
// forbidden block is not an error: reads give -1 in every field and writes are
// dropped, silently.
struct TCompanionPoint
{
    double x = -1.0;
    double y = -1.0;
};

struct TCompanionData
{
    TCompanionPoint point;
    double firstValue = -1.0;
    double secondValue = -1.0;
};

class TCompanionLink
{
public:
    // The POSIX name of the companion's block.
    static constexpr const char *DefaultBlockName = "/KorvanelApp";
    static constexpr int BlockSize = 48;

    explicit TCompanionLink(std::string blockName = DefaultBlockName);

    const std::string &blockName() const { return m_blockName; }

    TCompanionData ReadCompanionData() const;
    // Returns whether the block was there to take the values.
    bool WriteProjectSize(double widthMm, double heightMm) const;

private:
    std::string m_blockName;
};

// The program's link, on the default block name.
void ReadCompanionData(TCompanionPoint &point, double &firstValue, double &secondValue);
void WriteProjectSize(double widthMm, double heightMm);
