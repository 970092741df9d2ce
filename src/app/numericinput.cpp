#include "app/numericinput.h"

#include "app/common.h"

#include <cmath>

namespace NumericInput {

namespace {

QString shortestGeneral(long double value)
{
    if (value == 0.0L || !std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(double(value), 'g', 15);
    if (text.contains(u'e')) {
        text = FixedText(double(value), 17);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

QString withLocaleSeparator(QString text, const QLocale &locale)
{
    return text.replace(u'.', locale.decimalPoint());
}

QString grouped(long double value, int decimals, const QLocale &locale)
{
    // Build the digits in the C locale and then put in the locale's
    // separators, so grouping never depends on the locale's options.
    QString text = FixedText(double(value), decimals);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(u'.');
    QString integer = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    const QString group = locale.groupSeparator().isEmpty() ? QStringLiteral(",") : locale.groupSeparator();
    for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
        integer.insert(i, group);
    QString out = (negative ? QStringLiteral("-") : QString()) + integer;
    if (!fraction.isEmpty())
        out += locale.decimalPoint() + fraction;
    return out;
}

QString emptyMessage(const QString &fieldName)
{
    return QStringLiteral("Proszę wypełnić pole  »") + fieldName + QStringLiteral("«");
}

} // namespace

QString formatValue(long double value, const DisplayFormat &f, const QLocale &locale)
{
    if (f.precision == 0 || f.digits == 0)
        return withLocaleSeparator(shortestGeneral(value), locale);
    switch (f.format) {
    case FloatFormat::Exponent:
        return withLocaleSeparator(QString::number(double(value), 'e', std::max(0, f.precision - 1)), locale);
    case FloatFormat::Fixed:
        return withLocaleSeparator(FixedText(double(value), f.digits), locale);
    case FloatFormat::Number:
    case FloatFormat::Currency:
        return grouped(value, f.digits, locale);
    case FloatFormat::General:
        break;
    }
    return withLocaleSeparator(QString::number(double(value), 'g', f.precision), locale);
}

std::optional<long double> parseValue(const QString &text)
{
    QString t = text.trimmed();
    t.replace(u',', u'.');
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool isAcceptedChar(QChar c)
{
    return c == u'+' || c == u'-' || c == u'.' || c == u',' || (c >= u'0' && c <= u'9');
}

QString formatRangeBound(long double value, const QLocale &locale)
{
    return grouped(value, 2, locale);
}

std::optional<QString> checkRange(const QString &text, long double value, long double min, long double max,
                                  const QString &fieldName, const QLocale &locale)
{
    if (text.trimmed().isEmpty())
        return emptyMessage(fieldName);
    if (min != max && (value < min || value > max)) {
        return QStringLiteral("W polu  »") + fieldName
            + QStringLiteral("«  wartość poza dopuszczalnym zakresem.\r\n( min= ")
            + formatRangeBound(min, locale) + QStringLiteral("; max= ") + formatRangeBound(max, locale)
            + QStringLiteral(" )");
    }
    return std::nullopt;
}

std::optional<QString> checkInteger(const QString &text, long double value, long double min, long double max,
                                    const QString &fieldName, const QLocale &locale)
{
    if (text.trimmed().isEmpty())
        return emptyMessage(fieldName);
    if (value != std::trunc(value)) {
        QString message
            = QStringLiteral("W polu  »") + fieldName + QStringLiteral("« wymagana jest liczba całkowita");
        if (min != max) {
            message += QStringLiteral("\r\nDopuszczalny zakres (min= ") + formatValue(min, {}, locale)
                + QStringLiteral("; max= ") + formatValue(max, {}, locale) + QStringLiteral(" )");
        }
        return message;
    }
    return checkRange(text, value, min, max, fieldName, locale);
}

QString checkCaption()
{
    return QStringLiteral("Błąd");
}

int fltEditUDigits(int unit, int digitMm, int digitInch, int digitFeet)
{
    if (digitMm != 0 && digitInch != 0 && digitFeet != 0) {
        switch (unit) {
        case 1:
            return digitInch;
        case 2:
            return digitFeet;
        default:
            return digitMm;
        }
    }
    return unit == 2 ? 4 : 3;
}

int floatEditUDigits(int unit)
{
    return UnitDecimals(unit);
}

QString keypadAppend(const QString &number, QChar c)
{
    return number + c;
}

QString keypadMinus(const QString &number)
{
    return number.startsWith(u'-') ? number : QStringLiteral("-") + number;
}

QString keypadBackspace(const QString &number)
{
    return number.left(number.size() - 1);
}

} // namespace NumericInput
