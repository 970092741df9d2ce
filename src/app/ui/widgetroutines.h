#pragma once

#include <QString>

#include <initializer_list>

class QDialog;
class QFont;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

// Width in pixels of the text with two blanks on each side in the font;
// capped at maximum when maximum is above 0.
int MeasureText(const QString &text, int maximum, const QFont &font);

// Widens the columns first..last of the grid to fit their cell in the given
// row (with the grid's font); a column is never narrowed.
void AutoSizeGridColumns(QTableWidget &grid, int firstColumn, int lastColumn, int row);

// The row at the foot of a dialog: the leading buttons at the left, then the
// action (the default button, which Enter presses) and Cancel (rejects the
// dialog) at the right. Neither Cancel nor a leading button takes Enter for
// itself when it has the focus.
QHBoxLayout *DialogButtonRow(QDialog &dialog, QPushButton *action, QPushButton *cancel,
                             std::initializer_list<QPushButton *> leading = {});

// A value to read, not to edit: right-aligned in a sunken panel.
QLabel *NewValuePanel(QWidget *parent, const char *name);
