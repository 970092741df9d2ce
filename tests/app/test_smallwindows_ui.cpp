// The small windows on an offscreen screen: the folder dialog on a temporary
// tree, the serial save through it into DXF files read back, the job
// information of the window clicked, and the About box and support page over
// the simulated machine.
#include "app/common.h"
#include "app/language.h"
#include "app/programfolders.h"
#include "app/ui/aboutform.h"
#include "app/ui/dlgdir.h"
#include "app/ui/infoform.h"
#include "app/ui/mainwindow.h"
#include "app/ui/smallwindows.h"
#include "machine/ui/machinehost.h"
#include "project/ui/projectview.h"
#include "project/ui/projectwindowhost.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class FolderDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dialog.setNameQuery([this](const QString &initial) {
            initials << initial;
            std::optional<QString> answer = answers.front();
            answers.pop_front();
            return answer;
        });
        dialog.setBeep([this] { ++beeps; });
        dialog.setUp(QStringLiteral("Save passes"), QStringLiteral("Here"), dir.path(),
                     QStringLiteral("horse"));
        dialog.show();
    }

    QPushButton *confirm() const { return dialog.findChild<QPushButton *>(QStringLiteral("btnZapisz")); }

    ScopedLanguage language {ShippedLanguage()};
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    TfDlgDir dialog;
    std::deque<std::optional<QString>> answers;
    QStringList initials;
    int beeps = 0;
};

} // namespace

TEST_F(FolderDialogTest, StartsOnTheInitialFolderWithTheCallersTexts)
{
    EXPECT_EQ(dialog.selectedFolder(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(dialog.windowTitle() + "|" + confirm()->text(), "Save passes|Here");
    EXPECT_TRUE(confirm()->isEnabled());

    // Nothing selected: nothing to confirm (it used to give "" and true).
    TfDlgDir bare;
    bare.show();
    EXPECT_TRUE(bare.selectedFolder().isEmpty());
    EXPECT_FALSE(bare.findChild<QPushButton *>(QStringLiteral("btnZapisz"))->isEnabled());
}

TEST_F(FolderDialogTest, ABadNameIsExplainedAndAskedAgainThenTheNewFolderIsSelected)
{
    answers = {QStringLiteral("a:b"), QStringLiteral("horse")};
    dialog.btnNewFolderClick();
    EXPECT_EQ(initials, (QStringList {"horse", "a:b"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(boxes.shown[0].text.endsWith(" :  \\/:*?\"<>|")) << boxes.shown[0].text.toStdString();
    const QString created = QDir(dir.path()).absoluteFilePath(QStringLiteral("horse"));
    EXPECT_TRUE(QFileInfo(created).isDir());
    EXPECT_EQ(dialog.selectedFolder(), created);
    EXPECT_EQ(dialog.focusWidget(), confirm());
    EXPECT_EQ(beeps, 0);
}

TEST_F(FolderDialogTest, AnExistingFolderBeepsAndIsReportedWithoutAChange)
{
    QDir(dir.path()).mkdir(QStringLiteral("horse"));
    answers = {QStringLiteral("horse")};
    dialog.btnNewFolderClick();
    EXPECT_EQ(beeps, 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("A folder of this name already exists:\r\n"));
    EXPECT_EQ(dialog.selectedFolder(), QDir(dir.path()).absolutePath());

    answers = {std::nullopt}; // Cancel in the name box changes nothing
    dialog.btnNewFolderClick();
    EXPECT_EQ(boxes.shown.size(), 1u);
}

// A path typed into the box and confirmed without Enter used to be ignored:
// the passes went to the folder still selected in the tree.
TEST_F(FolderDialogTest, ConfirmTakesThePathTypedIntoTheBox)
{
    QDir(dir.path()).mkdir(QStringLiteral("typed"));
    auto *path = dialog.findChild<QComboBox *>(QStringLiteral("ShellComboBox1"));
    const QString missing = QDir(dir.path()).absoluteFilePath(QStringLiteral("nowhere"));
    path->setEditText(missing);
    dialog.btnZapiszClick();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "There is no such folder:\r\n" + missing);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.isVisible());

    const QString typed = QDir(dir.path()).absoluteFilePath(QStringLiteral("typed"));
    path->setEditText(typed);
    dialog.btnZapiszClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenFolder(), typed);
}

TEST(FolderDialog, TheWindowsCloseButtonReturnsFalse)
{
    QTemporaryDir dir;
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QString folder = QStringLiteral("untouched");
    EXPECT_FALSE(SelectFolder(QStringLiteral("t"), QStringLiteral("ok"), dir.path(), {}, folder));
    EXPECT_EQ(folder, "untouched");
}

namespace {

// Project windows of distinct drawings in one main window.
class ProjectWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        context.settings = [] { return TProjectSettings(); };
        context.makeReader = [] { return std::make_unique<THpglSource>(); };
        context.showJobInfo = [this](TMDIChild &window) {
            info.showValues(JobInfoProjectOf(window), QStringLiteral("test.mcc"), TJobInfoSettings());
        };
        host = std::make_unique<TProjectWindowHost>(form.mdiArea(), context, TProjectWindowHost::Hooks());
        form.show();
    }

    TMDIChild *open(int pass, int size)
    {
        const QString file = dir.filePath(QStringLiteral("p%1.plt").arg(pass));
        std::ofstream(file.toStdString())
            << "IN;SP1;PU0,0;PD" << size << ",0," << size << ",200,0,200,0,0;PU;";
        const TOpenedProject opened = host->OpenProject(file, 1, pass, 255);
        TMDIChild *window = host->window(opened.window);
        // The window takes no clicks while its plan runs.
        EXPECT_TRUE(QTest::qWaitFor([window] { return !window->planning(); }, 5000));
        return window;
    }

    ScopedLanguage language {ShippedLanguage()};
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    TMainForm form;
    Tinfoform info;
    TProjectWindowContext context;
    std::unique_ptr<TProjectWindowHost> host;
};

std::vector<std::vector<TPlotPoint>> ReadBack(const QString &file)
{
    THpglSource reader;
    std::vector<std::vector<TPlotPoint>> figures;
    if (reader.Open(file.toStdString(), 2) != 0)
        return figures;
    while (!reader.EndOfFile()) {
        tfigura figure;
        if (!reader.ReadFigure(figure))
            break;
        if (!figure.points.empty())
            figures.push_back(figure.points);
    }
    reader.Close();
    return figures;
}

} // namespace

TEST_F(ProjectWindows, SerialSaveWritesEachPassAsNumberedDxfReadBackToItsFigures)
{
    const std::vector<TMDIChild *> windows = {open(123, 400), open(0, 800), open(7, 1200)};
    QTemporaryDir target;
    QStringList asked;
    auto select = [&](const QString &caption, const QString &confirm, const QString &initial,
                      const QString &proposed, QString &folder) {
        asked << caption + "|" + confirm + "|" + initial + "|" + proposed;
        folder = target.path();
        return true;
    };
    EXPECT_EQ(host->SaveSerialClick(QStringLiteral("/models/horse.v2.raw"), select),
              TSerialSaveResult::Saved);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], "Save the passes of the serial cut|Save into this folder|/models|horse.v2");
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files), (QStringList {"000.dxf", "007.dxf", "123.dxf"}));
    for (TMDIChild *window : windows) {
        SCOPED_TRACE(window->passNumber());
        const auto figures = ReadBack(
            QDir(target.path()).filePath(SerialPassName(window->passNumber()) + QStringLiteral(".dxf")));
        std::vector<std::vector<TPlotPoint>> expected;
        for (const tfigura &figure : window->document().Figures)
            expected.push_back(figure.points);
        EXPECT_EQ(figures, expected);
    }

    // Without a model: the program folder, no name; the folder now holds DXF
    // files, so the user is asked first, and Cancel keeps them.
    boxes.answer = DlgButton::Cancel;
    EXPECT_EQ(host->SaveSerialClick({}, select), TSerialSaveResult::Cancelled);
    EXPECT_EQ(asked.value(1),
              "Save the passes of the serial cut|Save into this folder|"
                  + ProgramFolders::current().programDir() + "|");
    EXPECT_EQ(boxes.questions.size(), 1u);
}

TEST_F(ProjectWindows, RightClickShowsTheJobInformationOfTheWindowClicked)
{
    TMDIChild *first = open(1, 400);
    TMDIChild *second = open(2, 800);
    form.mdiArea()->setActiveSubWindow(second);
    QTest::mouseClick(first->view(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(info.valueText("fname"), first->caption());
    EXPECT_EQ(info.valueText("ramkaSzerokosc"), "10.00 mm");
    QTest::mouseClick(second->view(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(info.valueText("ramkaSzerokosc"), "20.00 mm");
}

TEST(SimulatedMachine, AboutAndSupportPageShowWhatTheMachineReports)
{
    ScopedLanguage language(ShippedLanguage());
    qputenv("PRENTAVIK_SIMULATED_MACHINE", "1");
    {
        TMachineHost machine(MachineSession::programBackend(), std::make_shared<TMachineIdentity>(), {});
        MachineState state;
        EXPECT_TRUE(QTest::qWaitFor([&] { return machine.readIdentity(state); }, 5000));
        int waitMs = 3000;
        TAboutBox about(
            [&machine, &waitMs] {
                MachineState read;
                const bool connected = machine.readIdentity(read, waitMs);
                return MachineReportOf(connected, read);
            },
            QStringLiteral("1 Mar 2024"));
        about.FormCreate({}, QDir::tempPath(), DeploymentLinks());
        about.FormActivate();
        EXPECT_EQ(about.valueLabel("model")->text(), "bn45");
        EXPECT_EQ(about.valueLabel("labelSzerokosc")->text(), "Z :");
        // The simulated controller's own figures.
        EXPECT_EQ(about.valueLabel("obszar")->text() + " " + about.valueLabel("przebieg")->text(),
                  "1200.0x800.0 mm 20 h 34 min.");
        EXPECT_EQ(about.valueLabel("ARMwersja")->text(), "3.5");
        about.show();

        // A machine thread held by a long operation (a homing) does not
        // freeze the box: it shows the last report.
        QSemaphore gate;
        QMetaObject::invokeMethod(
            machine.session(), [&gate] { gate.acquire(); }, Qt::QueuedConnection);
        waitMs = 20;
        about.FormActivate();
        gate.release();
        EXPECT_EQ(about.valueLabel("model")->text(), "bn45");

        QTest::mouseClick(about.findChild<QGroupBox *>(QStringLiteral("GroupBox1")), Qt::LeftButton);
        EXPECT_FALSE(about.isVisible());

        TSupportRequest request;
        request.machine = MachineReportOf(machine.connected(), machine.lastState());
        const QString page = MakeSupportRequest(request);
        EXPECT_TRUE(
            page.contains(QStringLiteral("NAME=\"ploterModel\" SIZE=\"30\" READONLY VALUE=\"bn45\"")));
        EXPECT_FALSE(page.contains(QStringLiteral("No communication")));
        EXPECT_EQ(page.count(QStringLiteral("!!! no data !!!")), 1); // only where it was designed
    }
    qunsetenv("PRENTAVIK_SIMULATED_MACHINE");
}

TEST(SmallWindows, EveryTextShowsWholeInEnglishAndPolish)
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TMachineReport report;
        report.connected = true;
        report.manufacturer = QStringLiteral("Korvanel");
        report.machineName = QStringLiteral("GZ 2400 W");
        report.family = QStringLiteral("GZ");
        report.limitX = 4800;
        report.limitY = 2400;
        report.limitZ = 360;
        report.workingTime = 999999;
        report.jobCount = 99999;
        report.firmwareMajor = 10;
        report.firmwareMinor = 15;
        TAboutBox about([report] { return report; }, QStringLiteral("31 Dec 2024"));
        about.FormCreate({}, dir.path(), DeploymentLinks());
        about.FormActivate();
        Tinfoform info;
        info.FormCreate();
        TJobInfoProject project;
        project.caption = QStringLiteral("/home/operator/projects/sign.plt");
        project.ProjectWidth = 192000;
        project.ProjectHeight = 96000;
        project.PathLength = 4.0e7;
        project.figureCount = 9999;
        info.showValues(project, QStringLiteral("/home/operator/Prentavik.mcc"), TJobInfoSettings());
        TfDlgDir folders;
        folders.setUp(QStringLiteral("Save passes"), QStringLiteral("Here"), dir.path(),
                      QStringLiteral("horse"));
        for (QDialog *window : std::initializer_list<QDialog *> {&about, &info, &folders}) {
            SCOPED_TRACE(window->objectName().toStdString());
            window->show();
            const QStringList clipped = ClippedTexts(*window);
            EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
        }
    }
}
