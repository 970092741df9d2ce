#pragma once

#include <QDialog>

class MachineServices;
class NumericEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The move-wire dialog (Tprzesun's window): the fields and buttons; the
// moves and the two test loops run in the machine services. While a loop
// runs, a key press or left click anywhere in the program ends it after its
// cycle; nothing else in the dialog reacts meanwhile.
class TprzesunForm : public QDialog
{
    Q_OBJECT
public:
    // `frontCaption` and `backCaption` are the panel's arm check boxes'.
    TprzesunForm(MachineServices *services, QString frontCaption, QString backCaption,
                 QWidget *parent = nullptr);
    ~TprzesunForm() override;

    void Translate();
    // The panel's arm selection as it shows it, for the caption (the moves
    // take the selection where they run).
    void setArmSelection(bool front, bool back)
    {
        m_armFront = front;
        m_armBack = back;
    }
    bool testRunning() const { return m_testRunning; }

    void WykonajClick();
    void testClick();
    void TestGrzalkiClick();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startTest(const char *slot);
    void testFinished();
    void setControlsEnabled(bool enabled);

    MachineServices *m_services;
    QString m_frontCaption;
    QString m_backCaption;
    bool m_armFront = true;
    bool m_armBack = true;
    QGroupBox *m_przesun = nullptr;
    QRadioButton *m_absolute = nullptr;
    QRadioButton *m_relative = nullptr;
    NumericEdit *m_dx = nullptr;
    NumericEdit *m_dy = nullptr;
    NumericEdit *m_dz = nullptr;
    NumericEdit *m_angle = nullptr;
    QLabel *m_angleLabel = nullptr;
    QList<QLabel *> m_unitLabels;
    QPushButton *m_wykonaj = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_test = nullptr;
    QPushButton *m_testGrzalki = nullptr;
    bool m_testRunning = false;
};
