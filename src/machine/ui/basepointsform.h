#pragma once

#include "machine/basepoints.h"

#include <QDialog>

class MachineServices;
class QListWidget;
class QPushButton;

// The base points dialog (TPunkty_bazowe's window): shows the list and
// forwards the buttons; reading the position and driving the wire go to
// the machine services on their own thread.
class TPunkty_bazoweForm : public QDialog
{
    Q_OBJECT
public:
    TPunkty_bazoweForm(MachineServices *services, TPunkty_bazowe logic, QWidget *parent = nullptr);

    void Translate();
    const TPunkty_bazowe &logic() const { return m_logic; }

    // Asks the machine for the position; the point is added when it comes.
    void DodajClick();
    void usunClick();
    void ustawClick();

private:
    void positionRead(bool ok, int x1, int y1);
    void refresh();
    void report(const std::optional<MachineMessage> &message);

    MachineServices *m_services;
    TPunkty_bazowe m_logic;
    QListWidget *m_lista = nullptr;
    QPushButton *m_ustaw = nullptr;
    QPushButton *m_anuluj = nullptr;
    QPushButton *m_dodaj = nullptr;
    QPushButton *m_usun = nullptr;
    bool m_refreshing = false;
    bool m_reading = false; // a position asked for has not come yet
};
