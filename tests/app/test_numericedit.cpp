#include "app/ui/numericedit.h"
#include "app/ui/numpadform.h"
#include "app/units.h"
#include "support/recordingmessageboxes.h"
#include "support/textfit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class UnitScope
{
public:
    explicit UnitScope(int unit) { Units::setCurrentLengthUnit(unit); }
    ~UnitScope() { Units::setCurrentLengthUnit(0); }
};

void typeInto(NumericEdit &edit, const QString &text)
{
    edit.findChild<QLineEdit *>()->setText(text);
}

void typeKeys(QWidget &widget, const QString &keys)
{
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &release);
    }
}

} // namespace

TEST(NumericEdit, LengthShownInInchesStepsByTheLeadingDigit)
{
    UnitScope unit(1);
    TFltEditU edit;
    edit.setLocale(QLocale::c());
    edit.setRange(0, 4000);
    edit.setValue(254);
    EXPECT_EQ(edit.text(), "10");
    edit.stepBy(1); // 10 in: steps of 1 inch
    EXPECT_NEAR(double(edit.Value()), 279.4, 1e-9);
    EXPECT_EQ(edit.text(), "11");
    edit.stepBy(-2);
    EXPECT_NEAR(double(edit.Value()), 228.6, 1e-9);
}

TEST(NumericEdit, UnchangedTextKeepsTheStoredMillimetres)
{
    // Broke before: 1000 mm shown in inches read back as 999.998 mm.
    UnitScope unit(1);
    TFltEditU edit;
    edit.setLocale(QLocale::c());
    edit.setRange(0, 4000);
    edit.setDisplayFormat({NumericInput::FloatFormat::Fixed, 15, 3});
    edit.setUnit(1);
    edit.setValue(1000);
    EXPECT_EQ(edit.text(), "39.370");
    EXPECT_EQ(edit.Value(), 1000.0L);
    edit.commitText();
    EXPECT_EQ(edit.Value(), 1000.0L);
    typeInto(edit, "39.37");
    EXPECT_NEAR(double(edit.Value()), 999.998, 1e-9); // a typed text is what the user meant
}

TEST(NumericEdit, ReadingAndWritingClampOrFallBackToTheMinimum)
{
    TFltEdit edit;
    edit.setLocale(QLocale::c());
    edit.setRange(20, 5000);
    edit.setValue(9000);
    EXPECT_EQ(edit.Value(), 5000.0L);
    typeInto(edit, "");
    EXPECT_EQ(edit.Value(), 20.0L);
    typeInto(edit, "7,5");
    EXPECT_EQ(edit.Value(), 7.5L); // read as typed; clamped when taken in
    edit.commitText();
    EXPECT_EQ(edit.Value(), 20.0L);

    TFltEdit free;
    free.setRange(0, 0); // no range
    free.setValue(-123456);
    EXPECT_EQ(free.Value(), -123456.0L);
}

TEST(NumericEdit, UnitChangeKeepsTheMillimetres)
{
    TFltEditU edit;
    edit.setLocale(QLocale::c());
    edit.setRange(0, 4000);
    edit.setValue(304.8L);
    edit.setUnit(2);
    EXPECT_EQ(edit.text(), "1");
    EXPECT_EQ(edit.Value(), 304.8L);
    edit.setUnit(0);
    EXPECT_EQ(edit.text(), "304.8");
}

// A narrow field showed only the tail of a long converted value: 1000 mm/min
// in inches read "00787401575" instead of starting with "39.37".
TEST(NumericEdit, AConvertedValueShowsFromItsFirstDigit)
{
    TFltEditU edit;
    edit.setLocale(QLocale::c());
    edit.setRange(20, 5000);
    edit.setValue(1000);
    edit.resize(60, edit.sizeHint().height());
    edit.show();
    edit.setUnit(1);
    const QLineEdit *line = edit.findChild<QLineEdit *>();
    ASSERT_TRUE(line->text().startsWith("39.37")) << line->text().toStdString();
    EXPECT_EQ(line->cursorPosition(), 0);
}

TEST(NumericEdit, ReadOnlyFieldDoesNotStep)
{
    TFltEdit edit;
    edit.setRange(0, 100);
    edit.setValue(5);
    edit.setReadOnly(true);
    edit.stepBy(1);
    EXPECT_EQ(edit.Value(), 5.0L);
}

TEST(NumericEdit, LettersCannotBeTyped)
{
    TFltEdit edit;
    edit.setLocale(QLocale::c());
    edit.setRange(0, 0);
    typeInto(edit, "");
    edit.setFocus();
    typeKeys(edit, "a1b2,5c");
    EXPECT_EQ(edit.text(), "12,5");
}

TEST(NumericEdit, ChecksShowTheirMessagesInABox)
{
    RecordingMessageBoxes boxes;
    TFltEdit edit;
    edit.setLocale(QLocale::c());
    edit.NzwPola = QStringLiteral("Ilość");
    edit.setRange(1, 180);
    typeInto(edit, "2.5");
    EXPECT_FALSE(edit.CheckInteger());
    typeInto(edit, "");
    EXPECT_FALSE(edit.CheckRange());
    typeInto(edit, "18");
    EXPECT_TRUE(edit.CheckInteger());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("W polu  »Ilość« wymagana jest liczba całkowita\r\n"
                                                  "Dopuszczalny zakres (min= 1; max= 180 )"));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("Proszę wypełnić pole  »Ilość«"));
}

TEST(NumPadForm, ButtonsBuildTheNumber)
{
    TNumPadForm pad;
    pad.setLocale(QLocale::c());
    pad.show();
    EXPECT_EQ(pad.number(), "");
    for (const char *name : {"Button1", "Button2", "Buttonp", "Button5", "ButtonMinus", "ButtonMinus"})
        pad.button(QString::fromLatin1(name))->click();
    EXPECT_EQ(pad.number(), "-12.5");
    pad.button("ButtonCE")->click();
    EXPECT_EQ(pad.number(), "-12.");
    pad.button("ButtonC")->click();
    EXPECT_EQ(pad.number(), "");
    pad.button("ButtonMinus")->click();
    EXPECT_EQ(pad.number(), "-");
    pad.button("ButtonOK")->click();
    EXPECT_EQ(pad.result(), QDialog::Accepted);
}

TEST(NumPadForm, LargeLayoutPlacesTheButtonsOnTheGrid)
{
    TNumPadForm pad;
    pad.setBigLayout(true);
    EXPECT_EQ(pad.size(), QSize(298, 318));
    EXPECT_EQ(pad.button("Button7")->geometry(), QRect(8, 8, 57, 57));
    EXPECT_EQ(pad.button("ButtonCE")->geometry(), QRect(224, 80, 57, 57));
    EXPECT_EQ(pad.button("ButtonOK")->geometry(), QRect(224, 224, 57, 57));
    EXPECT_EQ(pad.button("Button0")->font().pointSize(), 14);
    EXPECT_EQ(pad.button("ButtonCancel")->font().pointSize(), 10);
}

// Regression: "Cancel" was cut off in the keypad's small layout.
TEST(NumPadForm, EveryKeyShowsItsWholeTextInBothLayouts)
{
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big ? "large" : "small");
        TNumPadForm pad;
        pad.setBigLayout(big);
        pad.show();
        const QStringList clipped = ClippedTexts(pad);
        EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
    }
}

namespace {

// Presses keypad buttons once the keypad runs modally.
void answerKeypad(QStringList buttons)
{
    QTimer::singleShot(0, [buttons] {
        auto *pad = qobject_cast<TNumPadForm *>(QApplication::activeModalWidget());
        ASSERT_NE(pad, nullptr);
        for (const QString &name : buttons)
            pad->button(name)->click();
    });
}

void clickText(NumericEdit &edit, QEvent::Type type)
{
    QLineEdit *line = edit.findChild<QLineEdit *>();
    QMouseEvent event(type, QPointF(2, 2), line->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(line, &event);
}

} // namespace

TEST(NumericEdit, KeypadNumberBecomesTheValue)
{
    UnitScope unit(1);
    TFltEditU edit;
    edit.setLocale(QLocale::c());
    edit.setRange(0, 4000);
    edit.setValue(100);
    int edits = 0;
    QObject::connect(&edit, &NumericEdit::valueEdited, [&] { ++edits; });
    // A double click opens it unless one click is enough.
    answerKeypad({"Button1", "Button2", "ButtonOK"});
    clickText(edit, QEvent::MouseButtonDblClick);
    EXPECT_NEAR(double(edit.Value()), 12 * 25.4, 1e-9);
    EXPECT_EQ(edits, 1);

    edit.JedenKlikKalkulator = true;
    answerKeypad({"Button5", "ButtonCancel"});
    clickText(edit, QEvent::MouseButtonPress);
    EXPECT_NEAR(double(edit.Value()), 12 * 25.4, 1e-9); // Cancel changes nothing

    // A length field whose typing is disabled opens no keypad.
    edit.setTypingEnabled(false);
    clickText(edit, QEvent::MouseButtonPress);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(NumericEdit, LeavingAnEmptyFieldTakesTheMinimum)
{
    TFltEditU edit;
    edit.setLocale(QLocale::c());
    edit.setRange(20, 5000);
    edit.setValue(1000);
    int edits = 0;
    QObject::connect(&edit, &NumericEdit::valueEdited, [&] { ++edits; });
    typeInto(edit, "");
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.Value(), 20.0L);
    EXPECT_EQ(edit.text(), "20");
    EXPECT_EQ(edits, 1);
}
