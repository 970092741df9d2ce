#pragma once

// The angles and repetitions of a serial cut given per pass: one row per
// project window with the angle the material turns after that pass, and how
// often the whole series is repeated further down.

#include "job/startdialogs.h"

#include <QString>

#include <vector>

namespace job {

// 180 / the number of windows, as the grid shows it (a general number of up
// to 15 significant digits).
QString DefaultSerialAngleText(int windowCount);

// The angles of the rows; on a cell that is no number or lies outside
// -360 .. 360 the row (1 for the first) and nothing else.
struct SerialAngles
{
    std::vector<double> angles;
    int badRow = 0; // 0 when every row passed
};
SerialAngles ReadSerialAngles(const std::vector<QString> &cells);

// The repetitions go down by the shift each; the lowest may not come below
// 5 mm, or 239 mm on the "R 45" machine.
bool SerialRepetitionsFit(double tableY, std::int32_t repetitions, double shift, const QString &machineName);

JobMessage BadAngleMessage(int row);
JobMessage TooManyRepetitionsMessage();

} // namespace job
