#pragma once

#include "app/messages.h"

class QMessageBox;
class QWidget;

// Some messages are whole sentences in the caption with only a file name
// below ("Configuration file not found - it is created now"), and a box sized
// for its text alone leaves the window manager to cut the caption short.
// Widens the box so its caption fits, up to two thirds of the screen.
void WidenForCaption(QMessageBox &box);

// The program's message boxes as QMessageBox, owned by the main window when
// there is one. Right-to-left languages get mirrored boxes through the
// application's layout direction.
class QMessageBoxes : public MessageBoxes
{
public:
    explicit QMessageBoxes(QWidget *owner = nullptr);
    void setOwner(QWidget *owner) { m_owner = owner; }

    void show(const Message &message) override;
    DlgButton confirm(const QString &text, DlgButtons buttons) override;

private:
    QWidget *m_owner;
};
