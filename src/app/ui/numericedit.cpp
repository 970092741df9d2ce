#include "app/ui/numericedit.h"

#include "app/messages.h"
#include "app/ui/numpadform.h"
#include "app/units.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>
#include <cmath>

using namespace NumericInput;

NumericEdit::NumericEdit(Kind kind, QWidget *parent)
    : QAbstractSpinBox(parent)
    , m_kind(kind)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->installEventFilter(this);
    if (isLength())
        setUnit(Units::currentLengthUnit());
    showValue(0);
}

void NumericEdit::setRange(long double min, long double max)
{
    m_min = min;
    m_max = max;
}

void NumericEdit::setDisplayFormat(const DisplayFormat &format)
{
    const long double v = Value();
    m_format = format;
    showValue(v);
}

void NumericEdit::setDigitsPerUnit(int mm, int inch, int feet)
{
    m_digitMm = mm;
    m_digitInch = inch;
    m_digitFeet = feet;
}

void NumericEdit::setTypingEnabled(bool enabled)
{
    m_typingEnabled = enabled;
}

long double NumericEdit::textValueInMm(bool *ok) const
{
    const auto parsed = parseValue(text());
    *ok = parsed.has_value();
    if (!parsed)
        return m_min;
    return isLength() ? Units::UnitToMm(m_unit, *parsed) : *parsed;
}

long double NumericEdit::Value() const
{
    // Converting the shown text back would turn 1000 mm shown as 39.37 in
    // into 999.998 mm; while the text is the field's own, the stored
    // millimetres are the value.
    if (isLength() && (text() == m_shownText || m_kind == Kind::FloatEditU))
        return m_mm;
    bool ok = false;
    return textValueInMm(&ok);
}

void NumericEdit::setValue(long double value)
{
    if (!std::isfinite(value))
        value = m_min;
    if (m_min != m_max)
        value = std::clamp(value, m_min, m_max);
    showValue(value);
}

void NumericEdit::showValue(long double value)
{
    m_mm = value;
    const long double shown = isLength() ? Units::MmToUnit(m_unit, value) : value;
    m_shownText = formatValue(shown, m_format, locale());
    if (lineEdit()->text() != m_shownText) {
        lineEdit()->setText(m_shownText);
        // A long value (1000 mm/min is 39.3700787401575 in/min) would show
        // only its tail, "00787401575", in a narrow field: show its start.
        if (!hasFocus())
            lineEdit()->setCursorPosition(0);
    }
}

void NumericEdit::setUnit(int unit)
{
    if (!isLength())
        return;
    const long double mm = m_mm;
    m_unit = Units::isValidUnit(unit) ? unit : Units::Millimetre;
    if (m_kind == Kind::FltEditU) {
        if (m_format.digits != 0)
            m_format.digits = fltEditUDigits(m_unit, m_digitMm, m_digitInch, m_digitFeet);
    } else {
        m_format.digits = floatEditUDigits(m_unit);
    }
    showValue(mm);
}

void TFloatEditU::ApplyCurrentUnit()
{
    setUnit(Units::currentLengthUnit());
}

void NumericEdit::commitText()
{
    if (isLength() && text() == m_shownText)
        return; // nothing typed: keep the stored millimetres
    bool ok = false;
    const long double v = textValueInMm(&ok);
    setValue(v);
    emit valueEdited();
}

void NumericEdit::stepBy(int steps)
{
    if (isReadOnly()) {
        QApplication::beep();
        return;
    }
    if (isLength()) {
        const long double shown = Units::MmToUnit(m_unit, Value());
        m_increment = Units::UnitToMm(m_unit, Units::stepForValue(shown));
    }
    setValue(Value() + steps * m_increment);
    emit valueEdited();
}

QSize NumericEdit::sizeHint() const
{
    // Room for the longest text the field shows in any unit, whatever is
    // shown now, so that the dialog does not move when the unit changes: a
    // formatted number, or the general form's 15 significant digits after
    // "-0.000" (a tenth of a millimetre in feet).
    QSize size = QAbstractSpinBox::sizeHint();
    const bool formatted = m_format.precision != 0 && m_format.digits != 0;
    const int text = fontMetrics().horizontalAdvance(formatted ? QStringLiteral("-00000.0000")
                                                               : QStringLiteral("-0.000888888888888888"));
    size.setWidth(std::max(size.width(), text + 2 * style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth) + 24));
    return size;
}

QSize NumericEdit::minimumSizeHint() const
{
    return sizeHint();
}

QAbstractSpinBox::StepEnabled NumericEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State NumericEdit::validate(QString &input, int &) const
{
    for (QChar c : input) {
        if (!isAcceptedChar(c) && !c.isSpace())
            return QValidator::Invalid;
    }
    return QValidator::Intermediate;
}

void NumericEdit::keyPressEvent(QKeyEvent *event)
{
    const QString t = event->text();
    const bool printable = !t.isEmpty() && t.front().isPrint();
    if (!m_typingEnabled && (printable || event->key() == Qt::Key_Backspace)) {
        QApplication::beep();
        return;
    }
    if (printable && !isAcceptedChar(t.front())) {
        QApplication::beep();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        commitText();
        event->ignore(); // the dialog's default button still sees Enter
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void NumericEdit::focusOutEvent(QFocusEvent *event)
{
    QAbstractSpinBox::focusOutEvent(event);
    if (text().trimmed().isEmpty()) {
        setValue(m_min);
        emit valueEdited();
        return;
    }
    commitText();
}

bool NumericEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        const auto type = event->type();
        const bool opens = JedenKlikKalkulator ? type == QEvent::MouseButtonPress : type == QEvent::MouseButtonDblClick;
        if (opens && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            openKeypad();
            return true;
        }
    }
    return QAbstractSpinBox::eventFilter(watched, event);
}

void NumericEdit::openKeypad()
{
    if (m_kind == Kind::FltEditU && !m_typingEnabled)
        return;
    TNumPadForm pad(this);
    pad.setBigLayout(BigNumPad);
    pad.placeAt(mapToGlobal(QPoint(0, 0)));
    if (pad.exec() != QDialog::Accepted)
        return;
    lineEdit()->setText(pad.number());
    commitText();
}

bool NumericEdit::reportCheck(const std::optional<QString> &message)
{
    if (!message)
        return true;
    setFocus();
    ShowMsg(*message, true, checkCaption());
    return false;
}

long double NumericEdit::checkedValue() const
{
    bool ok = false;
    return isLength() ? Value() : textValueInMm(&ok);
}

bool NumericEdit::CheckRange()
{
    return reportCheck(checkRange(text(), checkedValue(), m_min, m_max, NzwPola, locale()));
}

bool NumericEdit::CheckInteger()
{
    return reportCheck(checkInteger(text(), checkedValue(), m_min, m_max, NzwPola, locale()));
}

void SetFormLengthUnit(QWidget *form)
{
    for (NumericEdit *edit : form->findChildren<NumericEdit *>()) {
        if (edit->kind() == NumericEdit::Kind::FltEditU)
            edit->setUnit(Units::currentLengthUnit());
    }
}

void EnableNumPadOnForm(QWidget *form)
{
    for (NumericEdit *edit : form->findChildren<NumericEdit *>()) {
        edit->BigNumPad = true;
        edit->JedenKlikKalkulator = true;
    }
}
