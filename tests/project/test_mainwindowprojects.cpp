// The main window with real project windows: what the companion is told
// about the active project as windows open, activate and close.
#include "app/ui/mainwindow.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"

#include <QApplication>
#include <QMdiArea>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace {

class RecordingSharedSize : public ISharedProjectSize
{
public:
    void WriteProjectSize(int width, int height) override { writes.emplace_back(width, height); }
    std::vector<std::pair<int, int>> writes;
};

} // namespace

TEST(MainWindowProjects, CompanionHearsMinusOneWhenTheLastProjectCloses)
{
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.plt"));
    std::ofstream(file.toStdString()) << "IN;SP1;PU0,0;PD400,0,400,200,0,200,0,0;PU;";

    TMainForm form;
    RecordingSharedSize shared;
    form.setSharedProjectSize(&shared);
    form.show();
    std::vector<std::pair<double, double>> projectSizes;
    TProjectWindowContext context;
    context.settings = [] { return TProjectSettings(); };
    context.makeReader = [] { return std::make_unique<THpglSource>(); };
    context.writeProjectSize = [&](double w, double h) { projectSizes.emplace_back(w, h); };
    TProjectWindowHost host(form.mdiArea(), context, {});

    ASSERT_TRUE(host.OpenProject(file, 1, 0, 255).loaded());
    ASSERT_FALSE(projectSizes.empty());
    EXPECT_EQ(projectSizes.back(), (std::pair<double, double>(10.0, 5.0)));
    shared.writes.clear();

    host.CloseAllClick();
    QApplication::processEvents();
    ASSERT_FALSE(shared.writes.empty());
    EXPECT_EQ(shared.writes.back(), (std::pair<int, int>(-1, -1)));
    EXPECT_FALSE(form.isItemEnabled(QStringLiteral("Start1")));
}

TEST(MainWindowProjects, AFailedLoadLeavesNoProjectForTheMenus)
{
    RecordingMessageBoxes boxes;
    TMainForm form;
    form.show();
    TProjectWindowContext context;
    context.settings = [] { return TProjectSettings(); };
    context.makeReader = [] { return std::make_unique<THpglSource>(); };
    TProjectWindowHost host(form.mdiArea(), context, {});
    EXPECT_FALSE(host.OpenProject(QStringLiteral("/nonexistent/a.plt"), 1, 0, 255).loaded());
    QApplication::processEvents();
    EXPECT_TRUE(form.projectWindows().empty());
    EXPECT_FALSE(form.isItemEnabled(QStringLiteral("Start1")));
    EXPECT_EQ(boxes.shown.size(), 1u);
}
