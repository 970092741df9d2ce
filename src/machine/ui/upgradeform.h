#pragma once

#include "machine/upgradeprogram.h"

#include <QDialog>

class MachineServices;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// The firmware upgrade window (TUpgradeProgramForm): follows the view the
// upgrade logic reports from the machine's thread and forwards the buttons.
// The window stays responsive during the whole upgrade; it cannot be closed
// while an operation runs.
class TUpgradeProgramForm : public QDialog
{
    Q_OBJECT
public:
    explicit TUpgradeProgramForm(MachineServices *services, QWidget *parent = nullptr);

    void Translate();
    const UpgradeView &view() const { return m_view; }
    QPushButton *upgradeButton() const { return m_buttonUpgrade; }
    bool serviceVisible() const;

    void ButtonUpgradeClick();
    void ReadProgramClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void showView(const UpgradeView &view);
    void finished(int operation, bool success);
    void run(UpgradeOperation operation);

    MachineServices *m_services;
    UpgradeView m_view;
    QFrame *m_client = nullptr;
    QFrame *m_service = nullptr;
    QPushButton *m_buttonUpgrade = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_gauge = nullptr;
    QListWidget *m_steps = nullptr;
    QLabel *m_verify = nullptr;
    QLabel *m_actualLabel = nullptr;
    QLabel *m_actual = nullptr;
    QLabel *m_newLabel = nullptr;
    QLabel *m_new = nullptr;
    QList<QPushButton *> m_serviceButtons;
};
