#include "app/ui/qmessageboxes.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>

#include <algorithm>

void WidenForCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid || box.windowTitle().isEmpty())
        return;
    // The title bar's font is the window manager's; the application font in
    // bold is a close stand-in. The frame's buttons and icon need room too.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int frameButtons = 6 * QFontMetrics(titleFont).height();
    int wanted = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + frameButtons;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        wanted = std::min(wanted, screen->availableGeometry().width() * 2 / 3);
    // The grid owns the spacer; it only holds the width open.
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0,
                  1, grid->columnCount());
}

QMessageBoxes::QMessageBoxes(QWidget *owner)
    : m_owner(owner)
{ }

void QMessageBoxes::show(const Message &message)
{
    QMessageBox box(message.kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Information,
                    message.caption, message.text, QMessageBox::Ok, m_owner);
    WidenForCaption(box);
    box.exec();
}

DlgButton QMessageBoxes::confirm(const QString &text, DlgButtons buttons)
{
    struct Pair
    {
        DlgButton ours;
        QMessageBox::StandardButton theirs;
    };
    static constexpr Pair pairs[] = {
        {DlgButton::Ok, QMessageBox::Ok},       {DlgButton::Cancel, QMessageBox::Cancel},
        {DlgButton::Yes, QMessageBox::Yes},     {DlgButton::No, QMessageBox::No},
        {DlgButton::Retry, QMessageBox::Retry},
    };
    QMessageBox::StandardButtons standard;
    for (const Pair &pair : pairs) {
        if (buttons.testFlag(pair.ours))
            standard |= pair.theirs;
    }
    QMessageBox box(QMessageBox::Question, QString(), text, standard, m_owner);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Pair &pair : pairs) {
        if (pair.theirs == pressed)
            return pair.ours;
    }
    return DlgButton::Cancel;
}
