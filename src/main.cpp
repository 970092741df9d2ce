#include "app/commandline.h"
#include "app/programfolders.h"
#include "app/ui/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The title names the language files ("Prentavik_US.xml") and must match
    // their "name" attribute.
    QApplication::setApplicationName(QStringLiteral("Prentavik"));
    ProgramFolders::setCurrent(ProgramFolders::fromApplication());
    CommandLine::setCurrent(CommandLine::fromArguments(QApplication::arguments()));
    return RunPrentavik();
}
