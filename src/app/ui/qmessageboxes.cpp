#include "app/ui/qmessageboxes.h"

#include <QMessageBox>

QMessageBoxes::QMessageBoxes(QWidget *owner)
    : m_owner(owner)
{ }

void QMessageBoxes::show(const Message &message)
{
    QMessageBox box(message.kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Information,
                    message.caption, message.text, QMessageBox::Ok, m_owner);
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
