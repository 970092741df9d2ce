#include <gtest/gtest.h>

#ifdef PRENTAVIK_GUI_TEST
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#ifdef PRENTAVIK_GL_TEST
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <cstdio>
#include <dlfcn.h>
#include <link.h>

namespace {

// Widgets quietly draw nothing when no OpenGL context can be made, and a picture
// test may still pass on what happens to be in an empty frame. So a GL test
// binary refuses to run at all without a working context.
bool CanMakeOpenGLContext()
{
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    const bool current = context.makeCurrent(&surface);
    if (current)
        context.doneCurrent();
    return current;
}

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
#ifdef PRENTAVIK_GL_TEST
    if (!::testing::GTEST_FLAG(list_tests) && !CanMakeOpenGLContext()) {
        std::fprintf(stderr, "No OpenGL context can be made (is there an X display?): the GL tests fail.\n");
        return 1;
    }
#endif
    const int result = RUN_ALL_TESTS();
#ifdef PRENTAVIK_GL_TEST
    KeepLoadedLibrariesToTheEnd();
#endif
    return result;
}
