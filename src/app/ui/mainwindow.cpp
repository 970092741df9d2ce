#include "app/ui/mainwindow.h"

#include <QMdiArea>

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
    , m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Prentavik"));
    setCentralWidget(m_mdiArea);
}
