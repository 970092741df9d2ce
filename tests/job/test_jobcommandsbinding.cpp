#include "recordingrig.h"

#include "app/ui/mainwindow.h"
#include "job/ui/jobcommandsbinding.h"
#include "support/recordingmessageboxes.h"

#include <QAction>
#include <QApplication>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace jobtest;

TEST(JobCommandsBinding, MenuAndButtonsRunJobControl)
{
    Rig rig;
    rig.projects.add("A");
    rig.settings.powerOutput = 1;
    TMainForm form;
    job::JobCloseGuard guard(rig.transmitter, rig.control().state());
    job::ConnectJobCommands(form, rig.control(), guard);

    QToolButton *start = form.findChild<QToolButton *>("SpeedStart");
    ASSERT_NE(start, nullptr);
    start->setEnabled(true); // the frame enables it once a project window is open
    start->click();
    EXPECT_TRUE(rig.transmitter.running);
    EXPECT_EQ(rig.control().state().passCounter, 1);

    rig.trace.clear();
    form.findChild<QAction *>("Wstrzymaj1")->trigger();
    EXPECT_TRUE(rig.control().state().jobPaused);
    form.findChild<QAction *>("Kontynuacja1")->trigger();
    EXPECT_FALSE(rig.control().state().jobPaused);
    EXPECT_EQ(rig.trace, (Trace{"wstrzymaj", "kontynuuj"}));
}

TEST(JobCommandsBinding, ClosingStopsAPausedJobAndRefusesAStreamingOne)
{
    RecordingMessageBoxes boxes;
    Rig rig;
    TMainForm form;
    job::JobCloseGuard guard(rig.transmitter, rig.control().state());
    job::ConnectJobCommands(form, rig.control(), guard);
    form.show();

    rig.transmitter.running = true;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(rig.transmitter.running);
    EXPECT_EQ(boxes.shown.size(), 1u) << "the streaming job keeps the program open, with a notice";

    rig.control().pause();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(rig.transmitter.running);
}

TEST(JobCommandsBinding, PromptsShowTheHourglassOnceAndThePassCounter)
{
    TMainForm form;
    std::unique_ptr<job::JobPrompts> prompts = job::MakeMainWindowPrompts(form);
    prompts->setBusy(true);
    prompts->setBusy(true);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    prompts->setBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "one restore for the one hourglass";
    prompts->setBusy(false);
    prompts->showPassCounter(3);
    EXPECT_EQ(form.statusText(1), "3");
}
