#include <gtest/gtest.h>

#ifdef PRENTAVIK_GUI_TEST
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#ifdef PRENTAVIK_GL_TEST
#include <dlfcn.h>
#include <link.h>

namespace {

// The OpenGL driver is loaded and unloaded by the GL libraries themselves. Kept loaded to the
// end, LeakSanitizer can name the library of what the driver never frees, and the suppressions
// can then name those libraries and nothing of ours.
void KeepLoadedLibrariesToTheEnd()
{
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0')
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace
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
    const int result = RUN_ALL_TESTS();
#ifdef PRENTAVIK_GL_TEST
    KeepLoadedLibrariesToTheEnd();
#endif
    return result;
}
