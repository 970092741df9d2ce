// The whole program with the simulated controller: it finds the machine,
// shows the link state and opens the manual control panel.
#include "app/commandline.h"
#include "app/language.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "app/ui/startup.h"
#include "machine/ui/sterowanieform.h"
#include "support/recordingmessageboxes.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

TEST(ProgramWithSimulatedMachine, FindsItAndOpensThePanel)
{
    QTemporaryDir writable;
    const ProgramFolders folders = ProgramFolders::current();
    const Settings settings = Settings::current();
    ProgramFolders::setCurrent(ProgramFolders(QStringLiteral(PRENTAVIK_PROGRAM_DIR), writable.path()));
    CommandLine::setCurrent(CommandLine());
    qputenv("PRENTAVIK_SIMULATED_MACHINE", "1");
    {
        RecordingMessageBoxes boxes;
        std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(1);
        ASSERT_TRUE(windows);
        TMainForm &form = *windows->mainForm;
        const QDeadlineTimer deadline(10000);
        while (form.statusText(0) != "Machine connected" && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        EXPECT_EQ(form.statusText(0), "Machine connected");
        form.findChild<QAction *>("sterowanie")->trigger();
        TsterForm *ster = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *f = qobject_cast<TsterForm *>(w))
                ster = f;
        }
        ASSERT_NE(ster, nullptr);
        EXPECT_TRUE(ster->isVisible());
        EXPECT_EQ(ster->size(), QSize(800, 570));
    }
    qunsetenv("PRENTAVIK_SIMULATED_MACHINE");
    ProgramFolders::setCurrent(folders);
    Settings::setCurrent(settings);
    tInterfejs::setInstance(tInterfejs());
}

} // namespace
