#include <gtest/gtest.h>

#ifdef PRENTAVIK_GUI_TEST
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// Qt classes such as QSaveFile, timers and QStandardPaths want an
// application object, so every test binary has one for its whole run.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("Prentavik"));
    return RUN_ALL_TESTS();
}
