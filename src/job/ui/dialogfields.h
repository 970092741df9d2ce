#pragma once

// What the start dialogs share: their length fields, unit labels, captions
// and message boxes.

#include "job/jobinterfaces.h"

#include <QString>

#include <functional>

class NumericEdit;
class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace job {

// A length field with two decimals in the unit, from min to max mm.
NumericEdit *NewLengthField(QWidget *parent, const char *name, int unit, double min, double max,
                            double value);
// A button with its caption from the language file.
QPushButton *NewButton(QWidget *parent, const char *name, const QString &section, const char *key);
// Start (the default button, "btnDalej") and Cancel ("btnAnuluj", like
// Escape) at the right of a start dialog.
QHBoxLayout *StartCancelButtons(QDialog &dialog, std::function<void()> confirm);
// A text of the language file.
QString Text(const QString &section, const char *key);

} // namespace job
