#pragma once

#include "app/numericinput.h"

#include <QAbstractSpinBox>

// The spin edit behind every real-valued input of the program: range,
// display format, up/down steps, the typing filter and the on-screen keypad.
// The four field kinds differ in whether they hold a length (kept in
// millimetres, shown in the field's unit) and whether they check their input
// with messages.
class NumericEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    enum class Kind { FltEdit, FltEditU, FloatEdit, FloatEditU };

    NumericEdit(Kind kind, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    bool isLength() const { return m_kind == Kind::FltEditU || m_kind == Kind::FloatEditU; }

    // The value: for lengths in millimetres. Reading an empty or unreadable
    // text gives MinValue; writing clamps and shows it again.
    long double Value() const;
    void setValue(long double value);

    long double MinValue() const { return m_min; }
    long double MaxValue() const { return m_max; }
    void setRange(long double min, long double max);
    long double Increment() const { return m_increment; }
    void setIncrement(long double increment) { m_increment = increment; }

    NumericInput::DisplayFormat displayFormat() const { return m_format; }
    void setDisplayFormat(const NumericInput::DisplayFormat &format);
    int Digit() const { return m_format.digits; }
    void setDigitsPerUnit(int mm, int inch, int feet);

    // Field name used in the check messages.
    QString NzwPola;
    bool BigNumPad = false;
    bool JedenKlikKalkulator = false;
    bool typingEnabled() const { return m_typingEnabled; }
    void setTypingEnabled(bool enabled);

    // Unit of a length field; its millimetre value is kept.
    int sunit() const { return m_unit; }
    void setUnit(int unit);

    // Validation with the built-in messages; a failed check focuses the
    // field and shows its message.
    bool CheckRange();
    bool CheckInteger();

    // Takes the typed text in as leaving the field does.
    void commitText();

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Opens the keypad (modal) and takes its number on OK.
    void openKeypad();

signals:
    void valueEdited();

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString &input, int &pos) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Clicks on the text (not on the up/down buttons) open the keypad.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    long double textValueInMm(bool *ok) const;
    long double checkedValue() const;
    void showValue(long double valueInMm);
    bool reportCheck(const std::optional<QString> &message);

    Kind m_kind;
    long double m_min = 0;
    long double m_max = 0;
    long double m_increment = 1;
    long double m_mm = 0; // lengths: the value in millimetres
    QString m_shownText;  // the text last written by the field itself
    NumericInput::DisplayFormat m_format;
    int m_digitMm = 0;
    int m_digitInch = 0;
    int m_digitFeet = 0;
    int m_unit = 0;
    bool m_typingEnabled = true;
};

class TFltEdit : public NumericEdit
{
    Q_OBJECT
public:
    explicit TFltEdit(QWidget *parent = nullptr)
        : NumericEdit(Kind::FltEdit, parent)
    {
    }
};

class TFltEditU : public NumericEdit
{
    Q_OBJECT
public:
    explicit TFltEditU(QWidget *parent = nullptr)
        : NumericEdit(Kind::FltEditU, parent)
    {
    }
};

class TFloatEdit : public NumericEdit
{
    Q_OBJECT
public:
    explicit TFloatEdit(QWidget *parent = nullptr)
        : NumericEdit(Kind::FloatEdit, parent)
    {
    }
};

class TFloatEditU : public NumericEdit
{
    Q_OBJECT
public:
    explicit TFloatEditU(QWidget *parent = nullptr)
        : NumericEdit(Kind::FloatEditU, parent)
    {
    }
    // Switches to the program's current length unit.
    void ApplyCurrentUnit();
};

// Every length field of the form switches to the current length unit.
void SetFormLengthUnit(QWidget *form);
// Every numeric field of the form opens the large keypad on one click.
void EnableNumPadOnForm(QWidget *form);
