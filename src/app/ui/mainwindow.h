#pragma once

#include <QMainWindow>

class QMdiArea;

// The MDI main window frame.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);

private:
    QMdiArea *m_mdiArea = nullptr;
};
