#pragma once

#include <QDialog>

class QPushButton;

// The on-screen keypad for touch screens. The number being typed is the
// window's own title; OK accepts it.
class TNumPadForm : public QDialog
{
    Q_OBJECT
public:
    explicit TNumPadForm(QWidget *parent = nullptr);

    QString number() const { return windowTitle(); }
    void setNumber(const QString &number);

    bool bigLayout() const { return m_big; }
    void setBigLayout(bool big);

    // Shows the keypad at a screen position, kept on the screen.
    void placeAt(const QPoint &globalPos);

    QPushButton *button(const QString &name) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void layoutButtons();
    void press(const QString &name);

    bool m_big = false;
};
