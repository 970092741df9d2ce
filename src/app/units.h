#pragma once

#include <QString>

// Length units. Lengths are always held and exchanged in millimetres; only the
// text a numeric field shows is in the display unit.
namespace Units {

enum LengthUnit : int { Millimetre = 0, Inch = 1, Foot = 2 };

// Millimetres per unit: 1, 25.4 and 304.8; 0 for an index that is no unit.
long double factor(int unit);
// "mm", "in", "ft"; empty for an index that is no unit.
QString unitName(int unit);
bool isValidUnit(int unit);

// Divide or multiply by the unit's factor; an index other than 0, 1, 2 gives 0.
long double MmToUnit(int unit, long double mm);
long double UnitToMm(int unit, long double value);

// A length in millimetres shown in the unit in fixed notation with the given
// decimals, a blank and the unit's name: "50.00 in".
QString lengthText(long double mm, int unit, int decimals);
// The unit's label beside a field: "[mm]", "[in]" or "[ft]" ("[mm]" for an
// index that is no unit).
QString unitLabel(int unit);

// Step of the up/down buttons of a length field: one tenth of the place of the
// leading digit of |value| (5.2 -> 0.1, 37 -> 1, 250 -> 10, 0.5 -> 0.01), in
// the field's unit; 0.1 for a value of 0.
long double stepForValue(long double valueInUnit);

// The program-wide display unit (initially millimetres), set from the
// configuration's `radiounit`.
int currentLengthUnit();
void setCurrentLengthUnit(int unit);

} // namespace Units
