#include "app/programfolders.h"
#include "app/ui/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prentavik"));
    ProgramFolders::setCurrent(ProgramFolders::fromApplication());

    TMainForm mainForm;
    mainForm.show();
    return app.exec();
}
