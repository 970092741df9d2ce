#pragma once

#include "app/messages.h"

class QWidget;

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
