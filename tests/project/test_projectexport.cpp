// The export commands on real project windows: the save dialog they ask
// for, the file they write, and a write that fails.
#include "app/language.h"
#include "app/settings.h"
#include "app/ui/mainwindow.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"
#include "support/testfiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace {

class ProjectExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        context.settings = [] { return TProjectSettings(); };
        context.makeReader = [] { return std::make_unique<THpglSource>(); };
        TProjectWindowHost::Hooks hooks;
        hooks.askForSaveName = [this](const TSaveDialogRequest &request) {
            requests.push_back(request);
            return answer;
        };
        host = std::make_unique<TProjectWindowHost>(form.mdiArea(), context, hooks);
        form.setCommand(TMainForm::Command::SaveAsHpgl, [this] { host->FileSaveAsHPGLClick(); });
        form.setCommand(TMainForm::Command::SaveAsDxf, [this] { host->FileSaveAsDXFClick(); });
        form.show();
    }

    void TearDown() override { Settings::setCurrent(saved); }

    QString drawing(const char *name)
    {
        const QString file = dir.filePath(QString::fromLatin1(name));
        std::ofstream(file.toStdString()) << "IN;SP1;PU0,0;PD400,0,400,200,0,200,0,0;PU;";
        return file;
    }

    void trigger(const char *item) { form.findChild<QAction *>(QString::fromLatin1(item))->trigger(); }

    const Settings saved = Settings::current();
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    TMainForm form;
    TProjectWindowContext context;
    std::unique_ptr<TProjectWindowHost> host;
    std::vector<TSaveDialogRequest> requests;
    QString answer;
};

} // namespace

TEST_F(ProjectExport, CommandsAskOnlyForAProjectWithFiguresAndWriteWhatTheDialogNames)
{
    // No project, then a project without figures: nothing is asked or written.
    trigger("FileSaveAsHPGL");
    host->ShowProject(
        host->CreateEmptyProject(QStringLiteral("empty"), dir.filePath(QStringLiteral("e.plt"))));
    trigger("FileSaveAsHPGL");
    trigger("FileSaveAsDXF");
    EXPECT_TRUE(requests.empty());

    ASSERT_TRUE(host->OpenProject(drawing("wing.v2.plt"), 1, 0, 255).loaded());
    answer = dir.filePath(QStringLiteral("out.plt"));
    trigger("FileSaveAsHPGL");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Save output file as HPGL.plt");
    ASSERT_EQ(requests[0].filters.size(), 2);
    EXPECT_EQ(requests[0].filters[0].description + requests[0].filters[1].patterns.join(' '),
              "HPGL.plt (*.plt)*.*");
    EXPECT_EQ(requests[0].defaultSuffix + " " + requests[0].proposedName, "plt wing.v2.plt");
    EXPECT_EQ(requests[0].folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(ReadAll(answer), "PA 0,0;\r\nPD 400,0;\r\nPD 400,200;\r\nPD 0,200;\r\nPD 0,0;\r\nPU;\r\n");

    // The DXF values are millimetres whatever unit the program shows.
    Settings inch = Settings::current();
    inch.radiounit = 1;
    Settings::setCurrent(inch);
    answer = dir.filePath(QStringLiteral("out.dxf"));
    trigger("FileSaveAsDXF");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].title + requests[1].filters[0].description, "Save output file as DXFDXF (*.dxf)");
    EXPECT_EQ(requests[1].defaultSuffix + " " + requests[1].proposedName, "dxf ");
    const QByteArray dxf = ReadAll(answer);
    EXPECT_TRUE(dxf.contains("  10\r\n10.000\r\n  20\r\n5.000\r\n")) << dxf.constData();
    EXPECT_EQ(dxf.count("VERTEX"), 5);

    // A cancelled dialog writes nothing.
    answer.clear();
    trigger("FileSaveAsDXF");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(boxes.shown.empty());
}

// A failed export used to escape as an I/O error and leave half a file.
TEST_F(ProjectExport, AFailedWriteIsShownAndLeavesNoFile)
{
    ASSERT_TRUE(host->OpenProject(drawing("a.plt"), 1, 0, 255).loaded());
    answer = dir.filePath(QStringLiteral("no such folder/a.plt"));
    trigger("FileSaveAsHPGL");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    const QString head = GetText(QStringLiteral("Universal"), QStringLiteral("bladZapisuPliku")) + "\n"
        + QDir::toNativeSeparators(answer) + "\n";
    EXPECT_TRUE(boxes.shown[0].text.startsWith(head)) << boxes.shown[0].text.toStdString();
    EXPECT_GT(boxes.shown[0].text.size(), head.size()); // the system's reason follows
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList {"a.plt"});
}
