#include "app/commandline.h"
#include "app/common.h"
#include "app/definicje.h"
#include "app/language.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "app/ui/mainwindow.h"
#include "app/ui/qmessageboxes.h"
#include "app/ui/startup.h"
#include "framefakes.h"
#include "machine/ui/machinehost.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"
#include "support/textfit.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <fstream>
#include <gtest/gtest.h>

namespace {

// Program folder, command line, language and settings for one test; all put
// back afterwards.
class FrameEnvironment
{
public:
    FrameEnvironment(const QString &programDir, QStringList params = {})
        : m_folders(ProgramFolders::current())
        , m_commandLine(CommandLine::current())
        , m_language(tInterfejs::instance())
        , m_settings(Settings::current())
        , m_globals(Globals())
    {
        // The configuration files of a test go to a folder of its own.
        ProgramFolders::setCurrent(ProgramFolders(programDir, m_writable.path()));
        CommandLine::setCurrent(CommandLine(std::move(params)));
    }
    ~FrameEnvironment()
    {
        ProgramFolders::setCurrent(m_folders);
        CommandLine::setCurrent(m_commandLine);
        tInterfejs::setInstance(m_language);
        Settings::setCurrent(m_settings);
        Globals() = m_globals;
        QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    }

private:
    QTemporaryDir m_writable;
    ProgramFolders m_folders;
    CommandLine m_commandLine;
    tInterfejs m_language;
    Settings m_settings;
    ProgramGlobals m_globals;
};

const QString shippedDir = QStringLiteral(PRENTAVIK_PROGRAM_DIR);

QMdiSubWindow *openProject(TMainForm &form, const QString &caption, QStringList *log = nullptr)
{
    QMdiSubWindow *sub = form.mdiArea()->addSubWindow(new StubProjectWindow(caption, log));
    sub->show();
    form.mdiArea()->setActiveSubWindow(sub);
    return sub;
}

bool enabled(const TMainForm &form, const char *name)
{
    if (!form.findChild<QObject *>(QString::fromLatin1(name)))
        ADD_FAILURE() << "no component " << name;
    return form.isItemEnabled(QString::fromLatin1(name));
}

const char *const perProject[] = {
    "FileCloseItem", "FileSaveAsHPGL",    "FileSaveAsDXF",  "miZaginaczProfili", "info",       "Symulacja",
    "Window1",       "WindowCascadeItem", "WindowTileItem", "SpeedSymulacja",    "SpeedStart", "sbStart",
    "Start1",
};

} // namespace

TEST(Startup, ShippedFilesGiveATranslatedMainWindowThatClosesCleanly)
{
    FrameEnvironment environment(shippedDir);
    RecordingMessageBoxes boxes;
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(1);
    ASSERT_TRUE(windows);
    TMainForm &form = *windows->mainForm;
    // A new installation only hears that its configuration file was created.
    for (const Message &message : boxes.shown) {
        EXPECT_EQ(message.kind, MessageKind::Information);
        EXPECT_FALSE(message.text.contains("error")) << message.text.toStdString();
        EXPECT_NE(message.caption, "error");
    }
    EXPECT_TRUE(windows->dlgkonfig);
    EXPECT_EQ(form.windowTitle(), "Prentavik   version " + VersionString(true, true));
    EXPECT_EQ(form.findChild<QMenu *>("File1")->title(), "&File");
    EXPECT_EQ(form.findChild<QAction *>("FileOpenItem")->text(), "&Open...");
    EXPECT_EQ(form.findChild<QAction *>("FileOpenItem")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(form.findChild<QAction *>("Konfiguracja")->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(form.findChild<QAction *>("miKatalog")->text(), "Korvanel catalogue");
    // Regression: hints that reuse a caption showed its mnemonic ("E&xit").
    EXPECT_EQ(form.findChild<QToolButton *>("sbWyjscie")->toolTip(), "Exit");
    EXPECT_EQ(form.findChild<QToolButton *>("sbWyjscie")->statusTip(), "Exit");
    EXPECT_EQ(form.findChild<QToolButton *>("sbSterowanie")->toolTip(), "Manual control");
    EXPECT_EQ(form.findChild<QToolButton *>("sbGenKrzyzToPunkt")->toolTip(), "Hole-drilling project");

    // No component shows the text of a missing key.
    for (const QAction *action : form.findChildren<QAction *>())
        EXPECT_NE(action->text(), "error") << action->objectName().toStdString();
    for (const QMenu *menu : form.findChildren<QMenu *>())
        EXPECT_NE(menu->title(), "error") << menu->objectName().toStdString();
    for (const QToolButton *button : form.findChildren<QToolButton *>()) {
        EXPECT_NE(button->text(), "error") << button->objectName().toStdString();
        EXPECT_NE(button->toolTip(), "error") << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().contains('&')) << button->objectName().toStdString();
        EXPECT_FALSE(button->statusTip().contains('&')) << button->objectName().toStdString();
    }
    for (const QAction *action : form.findChildren<QAction *>())
        EXPECT_FALSE(action->statusTip().contains('&')) << action->objectName().toStdString();

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    windows.reset();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(Startup, PolishSystemGetsThePolishFile)
{
    FrameEnvironment environment(shippedDir);
    RecordingMessageBoxes boxes;
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(48);
    ASSERT_TRUE(windows);
    EXPECT_EQ(tInterfejs::instance().LANG(), "PL");
    EXPECT_EQ(windows->mainForm->windowTitle(), "Prentavik   wersja " + VersionString(true, true));
    EXPECT_EQ(windows->mainForm->findChild<QMenu *>("File1")->title(), "&Plik");
}

// The tool bars' captions show whole in both languages, and Qt's own texts
// (box buttons, key names) speak the program's language while it runs.
TEST(Startup, ToolBarTextsShowWholeAndQtSpeaksTheProgramsLanguage)
{
    const struct
    {
        int country;
        const char *cancel, *space;
    } cases[] = {{1, "Cancel", "Space"}, {48, "Anuluj", "Spacja"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.country);
        FrameEnvironment environment(shippedDir);
        RecordingMessageBoxes boxes;
        std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(c.country);
        ASSERT_TRUE(windows);
        TMainForm &form = *windows->mainForm;
        form.show();
        form.resize(1024, 700);
        for (const char *name : {"OpenBtn", "SpeedSymulacja", "SpeedStart", "SpeedStop", "Skont",
                                 "sbSterowanie", "sbKonfiguracja", "sbWyjscie", "sbOdjazdWprawo", "sbStart"})
            EXPECT_TRUE(form.findChild<QToolButton *>(name)->isVisibleTo(&form)) << name;
        const QStringList clipped = ClippedTexts(form);
        EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);

        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        EXPECT_EQ(WithoutMnemonic(buttons.button(QDialogButtonBox::Cancel)->text()), c.cancel);
        EXPECT_EQ(QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText), c.space);
    }
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    EXPECT_EQ(WithoutMnemonic(buttons.button(QDialogButtonBox::Cancel)->text()), "Cancel")
        << "Qt's texts go back with the windows";
}

// Regression: the first start's notice carries its sentence in the caption
// and only the file name as text; the box was as narrow as the name and the
// window manager cut the caption to "Brak pliku konfi...anie utworzony".
TEST(Startup, MessageBoxIsWideEnoughForItsCaption)
{
    const QString caption = QStringLiteral("Brak pliku konfiguracji - zostanie utworzony");
    QMessageBox box(QMessageBox::Information, caption, QStringLiteral("/a/Prentavik.mcc"), QMessageBox::Ok);
    WidenForCaption(box);
    box.show();
    QApplication::processEvents();
    QFont bold = box.font();
    bold.setBold(true);
    // Room for the caption in the title bar's bold face and the frame's
    // icon and buttons beside it (Qt's own rule allows 50 pixels).
    const QFontMetrics metrics(bold);
    EXPECT_GE(box.width(), metrics.horizontalAdvance(caption) + 5 * metrics.height());
}

// Regression: the manual control panel went behind the main window at the
// first click there.
TEST(Startup, ManualControlPanelStaysInFrontOfTheMainWindow)
{
    FrameEnvironment environment(shippedDir);
    RecordingMessageBoxes boxes;
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(1);
    ASSERT_TRUE(windows);
    TMainForm &form = *windows->mainForm;
    form.show();
    auto *machine = dynamic_cast<TMachineHost *>(form.deviceLink());
    ASSERT_NE(machine, nullptr);
    machine->showPanel();
    QWidget &panel = machine->panel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    form.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.isWindow());
    EXPECT_EQ(panel.parentWidget(), &form);
    EXPECT_EQ(panel.windowFlags() & Qt::WindowType_Mask, Qt::Tool) << "a tool window is kept above its owner";
    ASSERT_NE(panel.windowHandle(), nullptr);
    EXPECT_EQ(panel.windowHandle()->transientParent(), form.windowHandle())
        << "the window manager keeps it above the main window";
}

TEST(Startup, SwitchesSetTheProgramWideState)
{
    FrameEnvironment environment(shippedDir, {"fullPower", "D:acme", "OnlyMachine'Vq9'", "REPEAT", "GB"});
    RecordingMessageBoxes boxes;
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(48);
    ASSERT_TRUE(windows);
    EXPECT_FALSE(Globals().powerLimit);
    EXPECT_EQ(Globals().dealerCode, "ACME");
    EXPECT_EQ(Globals().singleMachineName, "Vq9");
    EXPECT_EQ(tInterfejs::instance().LANG(), "US");
    EXPECT_EQ(windows->mainForm->windowTitle(),
              "Prentavik   version " + VersionString(true, true)
                  + "   >> UWAGA! Aktywna opcja REPEAT <<      works only with the machine Vq9");
}

TEST(Startup, MissingLanguageFileEndsWithOneEnglishMessageAndExitCode1)
{
    QTemporaryDir empty;
    FrameEnvironment environment(empty.path());
    RecordingMessageBoxes boxes;

    EXPECT_EQ(CreateProgramWindows(48), nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    const Message expected {"Application could't work without file: \r\n" + QDir::cleanPath(empty.path())
                                + "/Prentavik_US.xml",
                            "Configuration error", MessageKind::Error};
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], expected);

    boxes.shown.clear();
    EXPECT_EQ(RunPrentavik(), 1);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(Startup, UnusableLanguageFileEndsTheSameWay)
{
    QTemporaryDir dir;
    WriteAll(dir.path() + "/Prentavik_US.xml", "<interface name=\"Prentavik\" version=\"0.9\"/>");
    FrameEnvironment environment(dir.path());
    RecordingMessageBoxes boxes;

    EXPECT_EQ(RunPrentavik(), ExitNoLanguageFile);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Incompatibile file version: \r\n" + QDir::cleanPath(dir.path()) + "/Prentavik_US.xml");
    EXPECT_EQ(boxes.shown[0].caption, "Configuration error");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(Startup, ArabicCountryReadsRightToLeft)
{
    FrameEnvironment environment(shippedDir, {"SA"});
    RecordingMessageBoxes boxes;
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(1);
    ASSERT_TRUE(windows);
    TMainForm &form = *windows->mainForm;
    EXPECT_TRUE(tInterfejs::instance().rightToLeft());
    EXPECT_EQ(tInterfejs::instance().LANG(), "SA");
    EXPECT_EQ(form.layoutDirection(), Qt::RightToLeft);
    form.resize(900, 600);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // The button panel moves to the right of the exit button.
    const QWidget *buttons = form.findChild<QWidget *>("pPrzyciski");
    const QWidget *exit = form.findChild<QWidget *>("Panel2");
    EXPECT_GT(buttons->mapTo(&form, QPoint()).x(), exit->mapTo(&form, QPoint()).x());
    // And the first menu stands rightmost.
    QMenuBar *bar = form.menuBar();
    const QAction *file = form.findChild<QMenu *>("File1")->menuAction();
    const QAction *window = form.findChild<QMenu *>("Window1")->menuAction();
    EXPECT_GT(bar->actionGeometry(const_cast<QAction *>(file)).x(),
              bar->actionGeometry(const_cast<QAction *>(window)).x());
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        windows = CreateProgramWindows(1);
        ASSERT_TRUE(windows);
        form = windows->mainForm.get();
        form->setSharedProjectSize(&shared);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
        boxes.shown.clear(); // the notice of a new installation's configuration
    }

    void setMode(int mode)
    {
        Settings settings = Settings::current();
        settings.Mode = mode;
        Settings::setCurrent(settings);
    }

    QTemporaryDir documents;
    FrameEnvironment environment {shippedDir};
    RecordingMessageBoxes boxes;
    FakeSharedProjectSize shared;
    std::unique_ptr<ProgramWindows> windows;
    TMainForm *form = nullptr;
};

TEST_F(MainWindowTest, StartsWithPerProjectItemsDisabledAndHiddenItemsHidden)
{
    form->UpdateMenuItems();
    for (const char *name : perProject) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(enabled(*form, name));
    }
    EXPECT_FALSE(enabled(*form, "miDuplikujPlt"));
    EXPECT_FALSE(enabled(*form, "miSaveSerial"));
    EXPECT_TRUE(enabled(*form, "FileOpenItem"));
    EXPECT_TRUE(enabled(*form, "Konfiguracja"));
    // Shown once their commands exist; F6 stays with the configuration.
    EXPECT_TRUE(form->findChild<QAction *>("miGenSeryjnego3D")->shortcut().isEmpty());
    for (const char *name : {"FileSaveAsHPGL", "FileSaveAsDXF", "miDuplikujPlt", "miZaginaczProfili",
                             "miSaveSerial", "miGenSeryjnego3D"})
        EXPECT_TRUE(form->findChild<QAction *>(name)->isVisible()) << name;
    EXPECT_TRUE(form->findChild<QMenu *>("Kodykreskowe")->menuAction()->isVisible());
    EXPECT_TRUE(form->findChild<QMenu *>("miProgram")->menuAction()->isVisible());
    ASSERT_FALSE(shared.written.empty());
    EXPECT_EQ(shared.written.back(), std::make_pair(-1, -1));
}

TEST_F(MainWindowTest, UpdateMenuItemsFollowsTheProjectWindows)
{
    setMode(0);
    QMdiSubWindow *wing = openProject(*form, "/data/wing.plt");
    form->UpdateMenuItems();
    for (const char *name : perProject) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(enabled(*form, name));
    }
    EXPECT_TRUE(enabled(*form, "miDuplikujPlt"));
    EXPECT_FALSE(enabled(*form, "miSaveSerial"));

    openProject(*form, "/data/row.dpl");
    form->UpdateMenuItems();
    EXPECT_FALSE(enabled(*form, "miDuplikujPlt"));

    form->mdiArea()->setActiveSubWindow(wing);
    form->UpdateMenuItems();
    EXPECT_TRUE(enabled(*form, "miDuplikujPlt"));

    setMode(2);
    form->UpdateMenuItems();
    EXPECT_FALSE(enabled(*form, "miDuplikujPlt"));
    EXPECT_TRUE(enabled(*form, "miSaveSerial"));

    shared.written.clear();
    form->CloseAllClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form->projectWindows().empty());
    form->UpdateMenuItems();
    for (const char *name : perProject) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(enabled(*form, name));
    }
    EXPECT_FALSE(enabled(*form, "miSaveSerial"));
    ASSERT_FALSE(shared.written.empty());
    EXPECT_EQ(shared.written.back(), std::make_pair(-1, -1));
}

TEST_F(MainWindowTest, DocumentItemsShowOnlyWhenTheirFilesExist)
{
    FrameEnvironment here(documents.path());
    tInterfejs::setInstance(
        tInterfejs::Create({shippedDir, "Prentavik", VersionString(false, false)}, 1, {}));
    form->UpdateMenuItems();
    EXPECT_FALSE(form->findChild<QAction *>("miInstrObslugi")->isVisible());
    EXPECT_FALSE(form->findChild<QAction *>("miPrzyklady")->isVisible());
    EXPECT_FALSE(form->findChild<QAction *>("miKatalog")->isVisible());

    for (const char *name : {"/Dervilon_manual_US.pdf", "/Catalogue_US.pdf"}) {
        QFile file(documents.path() + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(documents.path()).mkdir("Samples"));
    form->UpdateMenuItems();
    EXPECT_TRUE(form->findChild<QAction *>("miInstrObslugi")->isVisible());
    EXPECT_TRUE(form->findChild<QAction *>("miPrzyklady")->isVisible());
    EXPECT_TRUE(form->findChild<QAction *>("miKatalog")->isVisible());
}

TEST_F(MainWindowTest, CloseIsRefusedWhileAJobStreamsUnpaused)
{
    FakeTransmitter transmitter;
    transmitter.isRunning = true;
    form->setTransmitter(&transmitter);
    bool linkFreed = false;
    form->adoptDeviceLink(std::make_unique<StubDeviceLink>(&linkFreed));

    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(linkFreed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0],
              (Message {GetText("Main_window", "wyjscieNiemozliwe"), GetText("Universal", "uwaga"),
                        MessageKind::Information}));
    EXPECT_EQ(transmitter.stops, 0);

    transmitter.isPaused = true;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(transmitter.stops, 1);
    EXPECT_TRUE(linkFreed);
    EXPECT_EQ(form->deviceLink(), nullptr);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(MainWindowTest, ExitItemClosesWithoutARunningJob)
{
    FakeTransmitter transmitter;
    form->setTransmitter(&transmitter);
    form->findChild<QAction *>("FileExitItem")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, CloseItemClosesTheActiveProjectAndCloseAllTheRest)
{
    QPointer<QMdiSubWindow> a = openProject(*form, "a.plt");
    QPointer<QMdiSubWindow> b = openProject(*form, "b.plt");
    QPointer<QMdiSubWindow> c = openProject(*form, "c.plt");
    form->mdiArea()->setActiveSubWindow(b);
    form->UpdateMenuItems();
    form->findChild<QAction *>("FileCloseItem")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(a);
    EXPECT_FALSE(b);
    EXPECT_TRUE(c);
    form->findChild<QAction *>("CloseAll")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(a);
    EXPECT_FALSE(c);
}

TEST_F(MainWindowTest, ConfigurationCommandRunsTheFollowUpOnTheOpenProjects)
{
    setMode(0);
    QStringList log;
    openProject(*form, "a.plt", &log);
    FakeConfigurationDialog dialog;
    form->setConfigurationDialog(&dialog);
    form->findChild<QToolButton *>("sbKonfiguracja")->click();
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(log, (QStringList {"a.plt JakiKierunek(-1)", "a.plt ciecie", "a.plt repaint"}));

    dialog.modeChangedFlag = true;
    form->findChild<QAction *>("Konfiguracja")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialog.shown, 2);
    EXPECT_TRUE(form->projectWindows().empty());
    // Closed projects are neither planned nor painted again.
    EXPECT_EQ(log.size(), 3);
}

TEST_F(MainWindowTest, SimulationRunsOnTheActiveProject)
{
    QStringList log;
    openProject(*form, "a.plt", &log);
    form->UpdateMenuItems();
    form->findChild<QToolButton *>("SpeedSymulacja")->click();
    EXPECT_EQ(log, (QStringList {"a.plt simulate 1", "a.plt invalidate"}));
}

TEST_F(MainWindowTest, CommandsOfOtherSubsystemsRunThroughTheirHandlers)
{
    std::vector<QString> ran;
    const std::pair<TMainForm::Command, const char *> handlers[] = {
        {TMainForm::Command::Start, "start"},
        {TMainForm::Command::OpenDrawing, "open"},
        {TMainForm::Command::HoleDrilling, "holes"},
        {TMainForm::Command::Companion, "companion"},
    };
    for (const auto &handler : handlers) {
        const char *name = handler.second;
        form->setCommand(handler.first, [&ran, name] { ran.push_back(QString::fromLatin1(name)); });
    }
    openProject(*form, "a.plt");
    form->UpdateMenuItems();
    form->findChild<QAction *>("Start1")->trigger();
    form->findChild<QToolButton *>("SpeedStart")->click();
    form->findChild<QToolButton *>("sbStart")->click();
    form->findChild<QToolButton *>("OpenBtn")->click();
    form->findChild<QAction *>("FileOpenItem")->trigger();
    form->findChild<QToolButton *>("sbMorvantello")->click();
    form->findChild<QToolButton *>("sbGenKrzyzToPunkt")->click();
    // A command nobody provides yet does nothing.
    form->findChild<QAction *>("Wstrzymaj1")->trigger();
    EXPECT_EQ(ran, (std::vector<QString> {"start", "start", "start", "open", "open", "companion", "holes"}));
}

TEST_F(MainWindowTest, StartKnowsWhichControlSentIt)
{
    QStringList senders;
    form->setCommand(TMainForm::Command::Start, [&] { senders << form->commandSender(); });
    openProject(*form, "a.plt");
    form->UpdateMenuItems();
    form->findChild<QAction *>("Start1")->trigger();
    form->findChild<QToolButton *>("SpeedStart")->click();
    form->findChild<QToolButton *>("sbStart")->click();
    EXPECT_EQ(senders, (QStringList {"Start1", "SpeedStart", "sbStart"}));
    EXPECT_TRUE(form->commandSender().isEmpty());
}

TEST_F(MainWindowTest, HiddenItemsKeepTheirShortcuts)
{
    setMode(0);
    int duplicates = 0;
    form->setCommand(TMainForm::Command::Duplicate, [&duplicates] { ++duplicates; });
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));

    QTest::keyClick(form, Qt::Key_F4); // disabled without a project
    EXPECT_EQ(duplicates, 0);
    openProject(*form, "a.plt");
    form->UpdateMenuItems();
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_EQ(duplicates, 1);
}

TEST_F(MainWindowTest, StatusBarPanelsFollowTheWidthAndShowHints)
{
    form->resize(800, 600);
    QCoreApplication::processEvents();
    const auto [first, second] = form->statusPanelWidths();
    EXPECT_EQ(first + second, form->width());
    EXPECT_EQ(second, static_cast<int>(std::nearbyint(form->width() / 8.0L)));

    QStatusTipEvent tip(QStringLiteral("Drive the wire away to the right"));
    QApplication::sendEvent(form, &tip);
    EXPECT_EQ(form->statusText(0), "Drive the wire away to the right");
    form->setStatusText(1, "3");
    EXPECT_EQ(form->statusText(1), "3");

    // The bar beside panel 0 shows only while a job goes out.
    form->show();
    EXPECT_FALSE(form->progressBar()->isVisible());
    form->setProgress(40);
    EXPECT_TRUE(form->progressBar()->isVisible());
    EXPECT_EQ(form->progressBar()->value(), 40);
    // Regression: the bar took the pass counter's share of the width.
    const QStringList clipped = ClippedTexts(*form);
    EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
    EXPECT_GT(form->findChild<QLabel *>("StatusPanel1")->width(), second / 2);
    form->setProgress(-1);
    EXPECT_FALSE(form->progressBar()->isVisible());
}

// Broke: the "Open file" text was set, but the drawing loads on the GUI
// thread, so the panel was painted only after the load had emptied it.
TEST_F(MainWindowTest, OpeningADrawingShowsItsNameWhileItLoads)
{
    struct PaintedTexts : QObject
    {
        QStringList texts;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                texts << static_cast<QLabel *>(watched)->text();
            return false;
        }
    } painted;
    QLabel *panel = form->findChild<QLabel *>(QStringLiteral("StatusPanel0"));
    ASSERT_NE(panel, nullptr);
    QCoreApplication::processEvents();
    panel->installEventFilter(&painted);
    const QString file = documents.filePath(QStringLiteral("square.plt"));
    std::ofstream(file.toStdString()) << "IN;SP1;PU0,0;PD400,0,400,200,0,200,0,0;PU;";
    windows->projects->OpenProject(file, 1, 0, 255);
    panel->removeEventFilter(&painted);
    EXPECT_TRUE(painted.texts.contains(QStringLiteral("Open file ") + file))
        << painted.texts.join('|').toStdString();
}

TEST_F(MainWindowTest, ConfigurationCommandOpensTheConfigurationDialog)
{
    ASSERT_TRUE(windows->dlgkonfig);
    TDlgkonfig &dialog = *windows->dlgkonfig;
    QWidget *shownModal = nullptr;
    QTimer::singleShot(0, [&shownModal] {
        shownModal = QApplication::activeModalWidget();
        if (shownModal)
            shownModal->close();
    });
    form->findChild<QAction *>("Konfiguracja")->trigger();
    EXPECT_EQ(shownModal, &dialog);
    EXPECT_FALSE(dialog.isVisible());

    // What the follow-up reads comes from the dialog's own flags.
    DlgkonfigAdapter &command = *windows->dlgkonfigCommand;
    EXPECT_FALSE(command.modeChanged());
    EXPECT_EQ(command.rotationSettingsClicked(), dialog.konfig().flags().rotationSettingsClicked);
    command.clearRotationSettingsClicked();
    EXPECT_FALSE(dialog.konfig().flags().rotationSettingsClicked);
    command.clearPowerOutputChanged();
    EXPECT_FALSE(command.powerOutputChanged());
}

TEST_F(MainWindowTest, ScannedCodeOfAnExistingSetReplacesTheProjectsOnce)
{
    setMode(0);
    const QString samples = QStringLiteral(PRENTAVIK_SOURCE_DIR "/data/samples/");
    const QString config = windows->dlgkonfig->konfig().caption();
    WriteAll(ProgramFolders::current().writablePath("5900000000015.cod"),
             "[Configuration]\r\nConfigFileName=" + config.toUtf8() + "\r\n[Projects]\r\nPrj1="
                 + samples.toUtf8() + "sign.plt\r\nPrj2=" + samples.toUtf8() + "nested.plt\r\n");
    TProjectWindowHost &projects = *windows->projects;
    windows->drawingOpener->OpenFile(QString(), samples + "flange.dxf", false);
    ASSERT_EQ(projects.ProjectCount(), 1);
    // Keys pressed while a project plans stop the planning instead.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !projects.windows()[0]->planning(); }));

    QWindow *window = form->windowHandle();
    const TScannerFilter &scanner = form->scanner();
    auto type = [window](const char *keys, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (const char *c = keys; *c != 0; ++c) {
            if (*c >= '0' && *c <= '9')
                QTest::keyClick(window, Qt::Key(Qt::Key_0 + (*c - '0')), modifiers);
            else if (*c == 'F')
                QTest::keyClick(window, Qt::Key_F9, modifiers);
            else
                QTest::keyClick(window, Qt::Key(Qt::Key_A + (*c - 'a')), modifiers);
        }
    };

    // Broken runs: a letter starts the count again, keypad digits are no
    // scan, a function key passes.
    type("590000a0000015");
    EXPECT_EQ(scanner.BarcodeBuffer(), "0000015");
    type("59", Qt::KeypadModifier);
    EXPECT_EQ(scanner.BarcodeBuffer(), "");
    type("5900F00");
    EXPECT_EQ(scanner.BarcodeBuffer(), "590000");
    // Digits typed into the configuration are neither kept nor a break.
    windows->dlgkonfig->show();
    type("12x34");
    windows->dlgkonfig->hide();
    EXPECT_EQ(scanner.BarcodeBuffer(), "590000");
    // Nor into another modal dialog, whose project a set would close.
    {
        QDialog modal(form);
        modal.setModal(true);
        modal.show();
        type("1234567");
    }
    EXPECT_EQ(scanner.BarcodeBuffer(), "590000");
    // A code without a set keeps the projects.
    type("0000039");
    EXPECT_EQ(scanner.BarcodeBuffer(), "");
    EXPECT_EQ(projects.ProjectCount(), 1);

    type("5900000000015");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(scanner.BarcodeBuffer(), "");
    ASSERT_EQ(projects.ProjectCount(), 2);
    EXPECT_EQ(projects.windows()[0]->windowTitle(), samples + "sign.plt");
    EXPECT_EQ(projects.windows()[1]->windowTitle(), samples + "nested.plt");
    EXPECT_EQ(windows->dlgkonfig->windowTitle(), config);
}
