#pragma once

#include <QString>

class QFont;
class QTableWidget;

// Width in pixels of the text with two blanks on each side in the font;
// capped at maximum when maximum is above 0.
int MeasureText(const QString &text, int maximum, const QFont &font);

// Widens the columns first..last of the grid to fit their cell in the given
// row (with the grid's font); a column is never narrowed.
void AutoSizeGridColumns(QTableWidget &grid, int firstColumn, int lastColumn, int row);
