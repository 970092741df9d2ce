#include "app/numericinput.h"

#include <gtest/gtest.h>

using namespace NumericInput;

TEST(NumericInput, EmptyFieldMessageNamesTheField)
{
    EXPECT_EQ(checkRange("", 0, 0, 10, QStringLiteral("Ilość")), QStringLiteral("Proszę wypełnić pole  »Ilość«"));
    EXPECT_EQ(checkInteger("  ", 0, 0, 10, QStringLiteral("Ilość")),
              QStringLiteral("Proszę wypełnić pole  »Ilość«"));
}

TEST(NumericInput, RangeMessageGivesBothBoundsWithTwoDecimals)
{
    EXPECT_EQ(checkRange("12000", 12000, 0.5L, 10000, QStringLiteral("Szybkość")),
              QStringLiteral("W polu  »Szybkość«  wartość poza dopuszczalnym zakresem.\r\n"
                             "( min= 0.50; max= 10,000.00 )"));
    EXPECT_EQ(checkRange("5", 5, 0, 10, QStringLiteral("x")), std::nullopt);
    EXPECT_EQ(checkRange("10", 10, 0, 10, QStringLiteral("x")), std::nullopt);
    // Equal bounds: no range applies.
    EXPECT_EQ(checkRange("-99999", -99999, 0, 0, QStringLiteral("x")), std::nullopt);
    // The bounds follow the locale's separators.
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    const QString message = *checkRange("-1", -1, 0, 1500, QStringLiteral("x"), polish);
    EXPECT_TRUE(message.endsWith(QStringLiteral("( min= 0,00; max= 1") + polish.groupSeparator()
                                 + QStringLiteral("500,00 )")))
        << message.toStdString();
}

TEST(NumericInput, IntegerMessageNamesTheFieldAndTheRange)
{
    EXPECT_EQ(checkInteger("2.5", 2.5L, 0, 0, QStringLiteral("Ilość")),
              QStringLiteral("W polu  »Ilość« wymagana jest liczba całkowita"));
    EXPECT_EQ(checkInteger("2.5", 2.5L, 1, 180, QStringLiteral("Ilość")),
              QStringLiteral("W polu  »Ilość« wymagana jest liczba całkowita\r\nDopuszczalny zakres (min= 1; max= 180 )"));
    // A whole number still goes through the range test.
    EXPECT_EQ(checkInteger("200", 200, 1, 180, QStringLiteral("Ilość")),
              checkRange("200", 200, 1, 180, QStringLiteral("Ilość")));
    EXPECT_EQ(checkInteger("18", 18, 1, 180, QStringLiteral("Ilość")), std::nullopt);
    EXPECT_EQ(checkCaption(), QStringLiteral("Błąd"));
}

TEST(NumericInput, ValuesAreShownAndRead)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(formatValue(10, {}, c), "10");
    EXPECT_EQ(formatValue(0.25L, {}, c), "0.25");
    EXPECT_EQ(formatValue(10, {FloatFormat::Fixed, 15, 2}, c), "10.00");
    EXPECT_EQ(formatValue(1234.5L, {FloatFormat::Number, 15, 1}, c), "1,234.5");
    EXPECT_EQ(formatValue(10, {FloatFormat::Fixed, 0, 2}, c), "10"); // both must be non-zero
    EXPECT_EQ(formatValue(7.5L, {}, QLocale(QLocale::Polish, QLocale::Poland)), "7,5");

    EXPECT_EQ(parseValue("7,5"), 7.5L);
    EXPECT_EQ(parseValue("7.5"), 7.5L);
    EXPECT_EQ(parseValue("-3"), -3.0L);
    EXPECT_EQ(parseValue(""), std::nullopt);
    EXPECT_EQ(parseValue("abc"), std::nullopt);
    EXPECT_EQ(parseValue("1.2.3"), std::nullopt);
}

TEST(NumericInput, TypingTakesOnlyNumberCharacters)
{
    for (QChar c : QStringLiteral("+-0123456789.,"))
        EXPECT_TRUE(isAcceptedChar(c)) << QString(c).toStdString();
    for (QChar c : QStringLiteral("abcE e/"))
        EXPECT_FALSE(isAcceptedChar(c)) << QString(c).toStdString();
}

TEST(NumericInput, DecimalsPerUnit)
{
    EXPECT_EQ(fltEditUDigits(0, 1, 2, 3), 1);
    EXPECT_EQ(fltEditUDigits(1, 1, 2, 3), 2);
    EXPECT_EQ(fltEditUDigits(2, 1, 2, 3), 3);
    // Without all three per-unit decimals: 3, 3 and 4.
    EXPECT_EQ(fltEditUDigits(0, 1, 0, 3), 3);
    EXPECT_EQ(fltEditUDigits(1, 0, 0, 0), 3);
    EXPECT_EQ(fltEditUDigits(2, 0, 0, 0), 4);
    EXPECT_EQ(floatEditUDigits(0), 1);
    EXPECT_EQ(floatEditUDigits(1), 2);
    EXPECT_EQ(floatEditUDigits(2), 3);
}

TEST(NumericInput, KeypadMinusGoesInFrontOnce)
{
    struct Case
    {
        const char *before, *after;
    };
    const Case cases[] = {{"", "-"}, {"3", "-3"}, {"-3", "-3"}, {"-", "-"}, {"12.5", "-12.5"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(keypadMinus(c.before), c.after);
    }
    EXPECT_EQ(keypadBackspace("12"), "1");
    EXPECT_EQ(keypadBackspace(""), "");
    EXPECT_EQ(keypadAppend("1", u'.'), "1.");
}
