#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

#include <optional>

// Rules of the numeric entry fields and the on-screen keypad that need no
// widget: how values are shown and read, which characters may be typed, and
// the validation messages. The messages are Polish and built in, as every
// installation has always shown them.
namespace NumericInput {

// Display format of a field (the float formats of the fields' properties).
enum class FloatFormat { General, Exponent, Fixed, Number, Currency };

struct DisplayFormat
{
    FloatFormat format = FloatFormat::General;
    int precision = 0;
    int digits = 0;
};

// Formatted with `format` when precision and digits are both non-zero, else
// in the shortest general form (up to 15 significant digits).
QString formatValue(long double value, const DisplayFormat &format, const QLocale &locale);
// A typed number: either "." or "," is taken as the decimal separator.
std::optional<long double> parseValue(const QString &text);

// Characters a field takes: "+", "-", digits and a decimal separator.
bool isAcceptedChar(QChar c);

// "#,##0.00" in the given locale.
QString formatRangeBound(long double value, const QLocale &locale);

// Messages of the range and integer checks; nothing when the value passes.
// `text` is the field's text, `value` what it reads as.
std::optional<QString> checkRange(const QString &text, long double value, long double min, long double max,
                                  const QString &fieldName, const QLocale &locale = QLocale::c());
std::optional<QString> checkInteger(const QString &text, long double value, long double min, long double max,
                                    const QString &fieldName, const QLocale &locale = QLocale::c());
// Caption of those messages.
QString checkCaption();

// Decimals of a length field after a unit change.
int fltEditUDigits(int unit, int digitMm, int digitInch, int digitFeet);
int floatEditUDigits(int unit);

// The number typed on the keypad.
QString keypadAppend(const QString &number, QChar c);
QString keypadMinus(const QString &number);
QString keypadBackspace(const QString &number);

} // namespace NumericInput
