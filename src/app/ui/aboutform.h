#pragma once

#include "app/aboutbox.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QWidget;

// The About box: the program's version and date and what the machine
// reports about itself, read afresh each time the box is shown. A click
// anywhere on it or Esc closes it.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    // machine reads the machine's data when the box is shown (it may wait
    // for the machine's thread, never talks to the device itself);
    // executableDate is the executable's date text.
    TAboutBox(std::function<TMachineReport()> machine, QString executableDate, QWidget *parent = nullptr);

    // Texts, link and logo for the dealer of this run.
    void FormCreate(const QString &dealerCode, const QString &programDir, const DeploymentLinks &links);
    // The machine's data afresh.
    void FormActivate();
    // Fills the box and shows it modally.
    void showModal();

    QLabel *valueLabel(const char *name) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addLabel(QWidget *parent, const char *name);
    void openLink() const;

    std::function<TMachineReport()> m_machine;
    QString m_executableDate;
    QString m_link;
    QGroupBox *m_group = nullptr;
    QWidget *m_logoPanel = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_linkLabel = nullptr;
};
