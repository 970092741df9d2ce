#pragma once

#include "machine/sterowanie.h"
#include "machine/transmitter.h"

#include <QWidget>

#include <functional>
#include <map>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QToolButton;
class MachineSession;

// The manual control panel's window (Tster): shows the machine as the
// panel's poll reports it and forwards the user's actions. It never talks
// to the device itself; its signals reach the machine session, which may
// run on another thread.
class TsterForm : public QWidget
{
    Q_OBJECT
public:
    explicit TsterForm(QWidget *parent = nullptr);

    // Captions and hints from the language file.
    void Translate();
    // Wires the form to a session (queued when the session runs elsewhere).
    void connectSession(MachineSession *session);
    // Called on a key press or click while a homing or move runs, from the
    // GUI thread, without waiting for the session.
    void setStopRequest(std::function<void()> stopRequest) { m_stopRequest = std::move(stopRequest); }

    // Shows what the poll read.
    void showView(const PanelView &view);
    const PanelView &lastView() const { return m_view; }
    QString labelText(const char *name) const;
    // The speed as the speed label shows it, in the display unit per minute.
    static QString speedText(int mmPerMinute);

signals:
    void jogPressed(int jogKey, bool ctrl);
    // A jog button pressed with the mouse.
    void jogButtonPressed(int jogKey);
    void jogReleased(int jogKey, bool ctrl);
    void focusLost();
    void heatingToggled();
    void speedChanged(int mmPerMinute);
    void speedStepped(int sign);
    void powerChanged(int position);
    void tensionChanged(int position);
    void homeRequested();
    void stopRequested();
    void keyFrontChanged(bool ticked);
    void keyBackChanged(bool ticked);
    void alignRequested();
    void activated();
    void deactivated();
    void displayWanted(bool wanted);
    // Buttons whose windows come with a later part of the program.
    void basePointsRequested();
    void moveWireRequested();
    void upgradeRequested();
    void restoreEepromRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QToolButton *jogButton(const char *name, int jogKey, QWidget *parent);
    void loadIcons();
    static QString positionTitle(int unit);
    static QString speedTitle(const QString &key, int unit);
    // The position, speed and power titles for the last view, in the
    // current language and length unit.
    void showGroupTitles();
    // Groups and labels whose texts change keep the room of the widest one.
    void reserveTextWidths();
    QString positionText(std::int32_t hundredths) const;

    QFrame *m_main = nullptr;
    QFrame *m_upgrade = nullptr;
    QFrame *m_service = nullptr;
    QGroupBox *m_positions = nullptr;
    QGroupBox *m_speedGroup = nullptr;
    QGroupBox *m_powerGroup = nullptr;
    QGroupBox *m_tensionGroup = nullptr;
    QCheckBox *m_keyFront = nullptr;
    QCheckBox *m_keyBack = nullptr;
    std::map<QString, QLabel *> m_labels;
    std::map<QString, QToolButton *> m_buttons;
    QScrollBar *m_speed = nullptr;
    QScrollBar *m_current = nullptr;
    QScrollBar *m_power = nullptr;
    QScrollBar *m_tension = nullptr;
    QProgressBar *m_realPower = nullptr;
    QToolButton *m_heating = nullptr;
    QPushButton *m_home = nullptr;
    QPushButton *m_base = nullptr;
    QPushButton *m_moveWire = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_btnUpgrade = nullptr;
    QPushButton *m_btnRestore = nullptr;
    QPushButton *m_align = nullptr;
    QLabel *m_backLabel = nullptr;
    PanelView m_view;
    bool m_viewShown = false;
    bool m_updating = false;
    std::function<void()> m_stopRequest;
};
