#include "app/ui/startup.h"

#include "app/commandline.h"
#include "app/common.h"
#include "app/definicje.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "app/ui/dlgdir.h"
#include "app/ui/qmessageboxes.h"
#include "app/ui/smallwindows.h"
#include "app/units.h"
#include "job/barcodesets.h"
#include "job/companion.h"
#include "job/ui/barcodedlg.h"
#include "job/ui/jobcontrolhost.h"
#include "machine/ui/machinehost.h"
#include "model3d/ui/genser.h"
#include "project/programsettings.h"
#include "project/ui/archbendingdialog.h"
#include "project/ui/duplicationdialog.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QPointer>

#include <optional>

namespace {

void InstallProjectCommands(ProgramWindows &windows, std::shared_ptr<TMachineIdentity> identity)
{
    TMainForm *form = windows.mainForm.get();
    TDlgkonfig *dialog = windows.dlgkonfig.get();
    windows.infoForm = std::make_unique<Tinfoform>(form);
    Tinfoform *info = windows.infoForm.get();
    TProjectWindowHost::Hooks hooks;
    hooks.openFolder = [dialog] { return dialog->konfig().globalConfig().openFolder; };
    hooks.rememberOpenFolder = [dialog](const QString &folder) { dialog->konfig().setOpenFolder(folder); };
    hooks.openFilterIndex = [dialog] { return dialog->konfig().globalConfig().filterIndex; };
    hooks.rememberOpenFilterIndex = [dialog](int index) { dialog->konfig().setFilterIndex(index); };
    TProjectWindowContext context = TProjectWindowContext::program(
        // A drawing loads on the GUI thread: its "Open file" text is shown first.
        [form](const QString &text) { form->showStatusNow(0, text); },
        // Projects are checked against the identified machine's travel.
        [identity] { return std::pair(identity->state().limitX, identity->state().limitY); });
    context.showJobInfo = [info, dialog](TMDIChild &window) {
        info->showModal(JobInfoProjectOf(window), dialog->konfig().caption(), CurrentJobInfoSettings());
    };
    auto showJobInfo = context.showJobInfo;
    windows.projects
        = std::make_unique<TProjectWindowHost>(form->mdiArea(), std::move(context), std::move(hooks));
    windows.drawingOpener = std::make_unique<TDrawingOpener>(*windows.projects);
    TDrawingOpener *opener = windows.drawingOpener.get();
    form->setCommand(TMainForm::Command::OpenDrawing, [opener] { opener->FileOpenItemClick(); });
    form->setCommand(TMainForm::Command::Samples,
                     [opener] { OpenSamples(DocumentPlace::current(), *opener); });
    form->setCommand(TMainForm::Command::Manual,
                     [] { OpenManual(DocumentPlace::current(), OpenWithDesktop); });
    form->setCommand(TMainForm::Command::Catalogue,
                     [] { OpenCatalogue(DocumentPlace::current(), OpenWithDesktop); });
    TProjectWindowHost *projects = windows.projects.get();
    form->setCommand(TMainForm::Command::SaveAsHpgl, [projects] { projects->FileSaveAsHPGLClick(); });
    form->setCommand(TMainForm::Command::SaveAsDxf, [projects] { projects->FileSaveAsDXFClick(); });
    form->showItem(QStringLiteral("FileSaveAsHPGL"));
    form->showItem(QStringLiteral("FileSaveAsDXF"));
    form->setCommand(TMainForm::Command::JobInformation, [projects, showJobInfo] {
        if (TMDIChild *active = projects->activeWindow())
            showJobInfo(*active);
    });
    form->setCommand(TMainForm::Command::SaveSerial, [projects] {
        const auto &modelFileName = Globals().modelFileName;
        projects->SaveSerialClick(modelFileName ? modelFileName() : QString(), SelectFolder);
    });
    form->showItem(QStringLiteral("miSaveSerial"));
    windows.companionSize = std::make_unique<TCompanionProjectSize>();
    form->setSharedProjectSize(windows.companionSize.get());
}

// The serial-cut window with what it reads of the program: the project
// settings with the identified machine's travel, the table height, the length
// unit, the open folder; the model's name stays for the serial save.
void InstallSerialCutFrom3D(ProgramWindows &windows, std::shared_ptr<TMachineIdentity> identity)
{
    TMainForm *form = windows.mainForm.get();
    TProjectWindowHost *projects = windows.projects.get();
    TDlgkonfig *dialog = windows.dlgkonfig.get();
    form->setCommand(TMainForm::Command::SerialFrom3D, [=] {
        TGenSerHooks hooks;
        hooks.context.projectSettings = [identity] {
            return ProjectSettingsFrom(Settings::current(), ProgramValues::current(),
                                       identity->state().limitX, identity->state().limitY);
        };
        hooks.context.tableHeight = [] { return Settings::current().Ystolika; };
        hooks.context.lengthUnit = [] { return Units::currentLengthUnit(); };
        hooks.context.openFolder = [dialog] {
            const QString folder = dialog->konfig().globalConfig().openFolder;
            return folder.isEmpty() ? ProgramFolders::current().programDir() : folder;
        };
        hooks.context.rememberOpenFolder
            = [dialog](const QString &folder) { dialog->konfig().setOpenFolder(folder); };
        hooks.context.modelNamed
            = [](const QString &fileName) { Globals().modelFileName = [fileName] { return fileName; }; };
        hooks.serialCutReady = [form, dialog](bool cutOffAtEnd) {
            dialog->konfig().setSerialCutting(cutOffAtEnd);
            form->UpdateMenuItems();
        };
        const QRect frame = form->frameGeometry();
        ShowSerialCutFrom3D(frame.left() + form->width(), frame.top() + form->height(), *projects,
                            std::move(hooks), form);
    });
    form->showItem(QStringLiteral("miGenSeryjnego3D"));
}

// Projects no drawing holds: copies in rows and columns, a notched strip for
// bending, and the hole the companion program computed.
void InstallGenerators(ProgramWindows &windows)
{
    TMainForm *form = windows.mainForm.get();
    TProjectWindowHost *projects = windows.projects.get();
    TDrawingOpener *opener = windows.drawingOpener.get();
    auto active = [form] { return qobject_cast<TMDIChild *>(form->mdiArea()->currentSubWindow()); };
    form->setCommand(TMainForm::Command::Duplicate, [=] {
        if (TMDIChild *source = active())
            ShowDuplicationDialog(*source, *projects, form);
    });
    form->setCommand(TMainForm::Command::ArchBending, [=] {
        if (TMDIChild *source = active())
            ShowProfileBenderDialog(*source, *projects, form);
    });
    form->showItem(QStringLiteral("miDuplikujPlt"));
    form->showItem(QStringLiteral("miZaginaczProfili"));
    form->setCommand(TMainForm::Command::HoleDrilling, [form, opener] {
        sbGenKrzyzToPunktClick(TCompanionLink(),
                               ProgramFolders::current().writablePath(QStringLiteral("tmp.dxf")),
                               Units::currentLengthUnit(), [form, opener](const QString &path) {
                                   // Only the hole's own window is maximised: when the file
                                   // cannot be opened another project stays as it was.
                                   QMdiSubWindow *before = form->mdiArea()->currentSubWindow();
                                   opener->OpenFile(QString(), path, false);
                                   QMdiSubWindow *project = form->mdiArea()->currentSubWindow();
                                   if (project && project != before)
                                       project->showMaximized();
                               });
    });
    form->setCommand(TMainForm::Command::Companion, [form] {
        TCompanionHooks hooks;
        hooks.minimiseMainWindow = [form] { form->showMinimized(); };
        hooks.openDocument = OpenWithDesktop;
        sbMorvantelloClick(Settings::current().eMorvantello_path, hooks);
    });
}

// The device link, the transmitter and the manual control panel: the
// machine session runs on its own thread behind them.
TMachineHost *InstallMachine(ProgramWindows &windows, std::shared_ptr<TMachineIdentity> identity)
{
    TMainForm *form = windows.mainForm.get();
    // The panel is a window of its own owned by the main window: it stays
    // in front of it and goes with it between desktops.
    auto host = std::make_unique<TMachineHost>(
        MachineSession::programBackend(), std::move(identity),
        [form](const QString &text) { form->setStatusText(0, text); }, form);
    TMachineHost *machine = host.get();
    machine->setProgressHandler([form](int percent) { form->setProgress(percent); });
    form->setTransmitter(machine);
    form->setMachineSettingsLink(machine);
    form->setCommand(TMainForm::Command::ManualControl, [machine] { machine->showPanel(); });
    form->adoptDeviceLink(std::move(host));
    return machine;
}

// Start, Pause, Continue and drive-away-right; the close guard watches the
// job's transmitter and whether it was paused.
void InstallJobControl(ProgramWindows &windows, TMachineHost &machine)
{
    TMainForm *form = windows.mainForm.get();
    job::JobControlHooks hooks;
    hooks.statusText = [form](int panel, const QString &text) { form->setStatusText(panel, text); };
    hooks.refreshMenus = [form] { form->UpdateMenuItems(); };
    windows.jobControl = std::make_unique<job::JobControlHost>(*form->mdiArea(), machine, std::move(hooks));
    job::JobControlHost *jobs = windows.jobControl.get();
    form->setCommand(TMainForm::Command::Start, [jobs, form] { jobs->start(form->commandSender()); });
    form->setCommand(TMainForm::Command::Pause, [jobs] { jobs->pause(); });
    form->setCommand(TMainForm::Command::Continue, [jobs] { jobs->continueJob(); });
    form->setCommand(TMainForm::Command::DriveAwayRight, [jobs] { jobs->driveAwayRight(); });
    form->setTransmitter(&jobs->closeGuard());
}

// Sets of a configuration and its projects under an EAN-13 code: saved and
// browsed from the menu, opened again by scanning the code.
void InstallBarcodeSets(ProgramWindows &windows)
{
    TMainForm *form = windows.mainForm.get();
    const QPointer<TDlgkonfig> dialog = windows.dlgkonfig.get();
    TProgramBarcodeHost::Hooks hooks;
    hooks.loadKonfig = [dialog](const QString &path) {
        if (!dialog->LoadKonfig(path))
            return false;
        dialog->konfig().setMachineConfigPath(path);
        dialog->setWindowTitle(dialog->konfig().caption());
        return true;
    };
    hooks.machineConfigPath = [dialog] { return dialog->konfig().caption(); };
    const ProgramFolders &folders = ProgramFolders::current();
    windows.barcodeSets = std::make_unique<TProgramBarcodeHost>(
        *form->mdiArea(), *windows.projects, *windows.drawingOpener, folders.writableDir(), std::move(hooks));
    TProgramBarcodeHost *sets = windows.barcodeSets.get();
    auto browse = [form, dialog, folders](const QString &code) {
        TBarcodeBrowserContext context;
        context.setFolder = folders.writableDir();
        context.portSettings = folders.writablePath(QStringLiteral("Prentavik.ini"));
        context.openFolder = dialog->konfig().globalConfig().openFolder;
        ShowBarcodeBrowser(code, context, form);
    };
    form->setCommand(TMainForm::Command::BarcodeBrowse, [browse] { browse(QString()); });
    form->setCommand(TMainForm::Command::BarcodeSave,
                     [sets, browse] { KodyKreskoweZapisClick(*sets, browse); });
    form->showItem(QStringLiteral("Kodykreskowe"));
    // Digits typed into the configuration or the browser are no scan; nor
    // are those typed into any other modal dialog, which may be working on a
    // project that opening a set would close under it.
    form->scanner().setBlocked([dialog] {
        return (dialog && dialog->isVisible()) || TfBarCodDlg::isOpen()
            || QApplication::activeModalWidget() != nullptr;
    });
    // Opened once the key press has been delivered: a project that starts
    // planning installs its own event filter, and one installed while the
    // application's filters run makes them see the same key press again.
    form->scanner().setOpenSet([form, sets](const QString &code) {
        QMetaObject::invokeMethod(
            form, [sets, code] { OpenScannedSet(code, *sets); }, Qt::QueuedConnection);
    });
}

// The About box and the support-request page: what the program and the
// machine say about themselves.
void InstallProgramInformation(ProgramWindows &windows, TMachineHost &machine)
{
    TMainForm *form = windows.mainForm.get();
    TDlgkonfig *dialog = windows.dlgkonfig.get();
    windows.aboutBox = std::make_unique<TAboutBox>(
        [&machine] {
            MachineState state;
            const bool connected = machine.readIdentity(state);
            return MachineReportOf(connected, state);
        },
        dialog->konfig().executableDateText(), form);
    windows.aboutBox->FormCreate(Globals().dealerCode, ProgramFolders::current().programDir(),
                                 DeploymentLinks::current());
    TAboutBox *about = windows.aboutBox.get();
    form->setCommand(TMainForm::Command::About, [about] { about->showModal(); });

    TProjectWindowHost *projects = windows.projects.get();
    form->setCommand(TMainForm::Command::SupportRequest, [dialog, projects, &machine] {
        const TSupportRequest request = SupportRequestOf(dialog->konfig(), projects->windows(),
                                                         machine.connected(), machine.lastState());
        WriteSupportRequest(request,
                            ProgramFolders::current().writablePath(QStringLiteral("SupportRequest.html")),
                            OpenWithDesktop);
    });
    form->showItem(QStringLiteral("miProgram"));
}

// Qt's translations of its own texts for the language, when installed
// (Debian's qt6-translations-l10n); English needs none.
std::unique_ptr<QTranslator> LoadQtTexts(const QString &lang)
{
    const QLocale locale = QtLocaleFor(lang);
    if (locale.language() == QLocale::English)
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

} // namespace

ProgramWindows::~ProgramWindows()
{
    if (mainForm) {
        mainForm->scanner().setOpenSet({});
        mainForm->scanner().setBlocked({});
    }
}

std::unique_ptr<ProgramWindows> CreateProgramWindows(int systemCountry)
{
    Globals().powerLimit = !ParamPresent(QStringLiteral("fullPower"));

    tInterfejs language
        = tInterfejs::Create(LanguageFileCheck::current(), systemCountry, CommandLine::current());
    if (!language.loaded()) {
        if (language.failure())
            ShowMsg(*language.failure());
        return nullptr;
    }
    tInterfejs::setInstance(std::move(language));

    auto windows = std::make_unique<ProgramWindows>();
    windows->qtTexts = LoadQtTexts(tInterfejs::instance().LANG());
    windows->mainForm = std::make_unique<TMainForm>();
    windows->mainForm->Translate();
    // The configuration keeps the machine's identity from its creation on;
    // the machine link fills it once it has identified the machine.
    auto identity = std::make_shared<TMachineIdentity>();
    setMachineIdentity(identity);
    // Owned by the main window for the window system, so that it stays in front of it while
    // one of its message boxes is up; destroyed before it.
    windows->dlgkonfig = std::make_unique<TDlgkonfig>(windows->mainForm.get());
    // The machine's limits apply to the settings once it is known.
    identity->setChangeHandler([dialog = QPointer<TDlgkonfig>(windows->dlgkonfig.get())] {
        if (dialog)
            dialog->konfig().machineIdentified();
    });
    windows->dlgkonfigCommand = std::make_unique<DlgkonfigAdapter>(*windows->dlgkonfig);
    windows->mainForm->setConfigurationDialog(windows->dlgkonfigCommand.get());
    InstallProjectCommands(*windows, identity);
    InstallGenerators(*windows);
    InstallSerialCutFrom3D(*windows, identity);
    TMachineHost *machine = InstallMachine(*windows, identity);
    InstallJobControl(*windows, *machine);
    InstallBarcodeSets(*windows);
    InstallProgramInformation(*windows, *machine);
    return windows;
}

int RunPrentavik()
{
    // Boxes installed before (a test's recorder) stay in place.
    QMessageBoxes boxes;
    const bool ownBoxes = MessageBoxes::current() == nullptr;
    std::optional<ScopedMessageBoxes> installed;
    if (ownBoxes)
        installed.emplace(&boxes);
    std::unique_ptr<ProgramWindows> windows = CreateProgramWindows(SystemCountry());
    if (!windows)
        return ExitNoLanguageFile;
    boxes.setOwner(windows->mainForm.get());
    windows->mainForm->show();
    const int exitCode = QApplication::exec();
    boxes.setOwner(nullptr);
    return exitCode;
}
