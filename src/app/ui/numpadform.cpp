#include "app/ui/numpadform.h"

#include "app/common.h"
#include "app/numericinput.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

namespace {

// Rows of the keypad, top to bottom.
const char *const kGrid[4][4] = {
    {"Button7", "Button8", "Button9", "ButtonC"},
    {"Button4", "Button5", "Button6", "ButtonCE"},
    {"Button1", "Button2", "Button3", "ButtonCancel"},
    {"Button0", "ButtonMinus", "Buttonp", "ButtonOK"},
};

} // namespace

TNumPadForm::TNumPadForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NumPadForm"));
    for (const auto &row : kGrid) {
        for (const char *name : row) {
            auto *b = new QPushButton(this);
            b->setObjectName(QString::fromLatin1(name));
            b->setFocusPolicy(Qt::NoFocus);
            const QString n = b->objectName();
            if (n.size() == 7 && n.at(6).isDigit())
                b->setText(n.right(1));
            connect(b, &QPushButton::clicked, this, [this, n] { press(n); });
        }
    }
    button(QStringLiteral("ButtonC"))->setText(QStringLiteral("C"));
    button(QStringLiteral("ButtonCE"))->setText(QStringLiteral("CE"));
    // Qt's own word for Cancel, in the program's language.
    QDialogButtonBox standard(QDialogButtonBox::Cancel);
    button(QStringLiteral("ButtonCancel"))
        ->setText(WithoutMnemonic(standard.button(QDialogButtonBox::Cancel)->text()));
    button(QStringLiteral("ButtonOK"))->setText(QStringLiteral("OK"));
    button(QStringLiteral("ButtonMinus"))->setText(QStringLiteral("-"));
    button(QStringLiteral("Buttonp"))->setText(locale().decimalPoint());
    layoutButtons();
}

QPushButton *TNumPadForm::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void TNumPadForm::setNumber(const QString &number)
{
    setWindowTitle(number);
}

void TNumPadForm::setBigLayout(bool big)
{
    m_big = big;
    layoutButtons();
}

void TNumPadForm::layoutButtons()
{
    // Large layout: 298 × 318 with 57-pixel buttons every 72 pixels; the small
    // one keeps the same grid at two thirds of the size. The last column, C,
    // CE, Cancel and OK in a smaller font, widens where its words need it.
    const int size = m_big ? 57 : 38;
    const int pitch = m_big ? 72 : 48;
    const int fontSize = m_big ? 14 : 10;
    QFont big = font();
    big.setPointSize(fontSize);
    QFont small = font();
    small.setPointSize(10);
    int wordsWidth = size;
    for (const auto &row : kGrid) {
        const QString text = button(QString::fromLatin1(row[3]))->text();
        wordsWidth = std::max(wordsWidth, QFontMetrics(small).horizontalAdvance(text) + 8);
    }
    const QSize window = m_big ? QSize(298, 318) : QSize(202, 214);
    setFixedSize(window.width() + wordsWidth - size, window.height());
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            QPushButton *b = button(QString::fromLatin1(kGrid[row][col]));
            b->setGeometry(8 + col * pitch, 8 + row * pitch, col == 3 ? wordsWidth : size, size);
            b->setFont(col == 3 ? small : big);
        }
    }
}

void TNumPadForm::showEvent(QShowEvent *event)
{
    setNumber(QString());
    button(QStringLiteral("Buttonp"))->setText(locale().decimalPoint());
    QDialog::showEvent(event);
}

void TNumPadForm::placeAt(const QPoint &globalPos)
{
    QPoint pos = globalPos;
    const QScreen *screen = QGuiApplication::screenAt(globalPos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        if (pos.x() + width() > area.right())
            pos.setX(area.width() - width() - 5);
        if (pos.y() + height() > area.bottom())
            pos.setY(area.height() - height() + 5);
    }
    move(pos);
}

void TNumPadForm::press(const QString &name)
{
    using namespace NumericInput;
    if (name == u"ButtonOK") {
        accept();
    } else if (name == u"ButtonCancel") {
        reject();
    } else if (name == u"ButtonC") {
        setNumber(QString());
    } else if (name == u"ButtonCE") {
        setNumber(keypadBackspace(number()));
    } else if (name == u"ButtonMinus") {
        setNumber(keypadMinus(number()));
    } else if (name == u"Buttonp") {
        setNumber(keypadAppend(number(), locale().decimalPoint().front()));
    } else {
        setNumber(keypadAppend(number(), name.back()));
    }
}
