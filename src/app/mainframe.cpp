#include "app/mainframe.h"

#include "app/commandline.h"
#include "app/common.h"
#include "app/language.h"
#include "app/settings.h"

#include <QFileInfo>

#include <cmath>

namespace {

const QString mainWindow = QStringLiteral("Main_window");

constexpr ComponentText mainWindowTexts[] = {
    {"File1", "File1.Caption", TextTarget::Caption},
    {"FileOpenItem", "FileOpenItem.Caption", TextTarget::Caption},
    {"FileSaveAsHPGL", "FileSaveAsHPGL.Caption", TextTarget::Caption},
    {"FileSaveAsDXF", "FileSaveAsDXF.Caption", TextTarget::Caption},
    {"FileCloseItem", "FileCloseItem.Caption", TextTarget::Caption},
    {"miDuplikujPlt", "miDuplikujPlt.Caption", TextTarget::Caption},
    {"miGenSeryjnego3D", "miGenSeryjnego3D.caption", TextTarget::Caption},
    {"miSaveSerial", "miSaveSerial.Caption", TextTarget::Caption},
    {"miZaginaczProfili", "miZaginaczProfili.caption", TextTarget::Caption},
    {"info", "info.Caption", TextTarget::Caption},
    {"Symulacja", "Symulacja.Caption", TextTarget::Caption},
    {"About1", "About1.Caption", TextTarget::Caption},
    {"miInstrObslugi", "miInstrObslugi.Caption", TextTarget::Caption},
    {"miPrzyklady", "miPrzyklady.Caption", TextTarget::Caption},
    {"FileExitItem", "FileExitItem.Caption", TextTarget::Caption},
    {"Cicie1", "Cicie1.Caption", TextTarget::Caption},
    {"Start1", "Start1.Caption", TextTarget::Caption},
    {"Wstrzymaj1", "Wstrzymaj1.Caption", TextTarget::Caption},
    {"Kontynuacja1", "Kontynuacja1.Caption", TextTarget::Caption},
    {"sterowanie", "sterowanie.Caption", TextTarget::Caption},
    {"Konfiguracja", "Konfiguracja.Caption", TextTarget::Caption},
    {"Kodykreskowe", "Kodykreskowe.Caption", TextTarget::Caption},
    {"KodyKreskowePrzeglad", "KodyKreskowePrzeglad.Caption", TextTarget::Caption},
    {"KodyKreskoweZapis", "KodyKreskoweZapis.Caption", TextTarget::Caption},
    {"Window1", "Window1.Caption", TextTarget::Caption},
    {"WindowCascadeItem", "WindowCascadeItem.Caption", TextTarget::Caption},
    {"WindowTileItem", "WindowTileItem.Caption", TextTarget::Caption},
    {"CloseAll", "CloseAll.Caption", TextTarget::Caption},
    {"miProgram", "miProgram.Caption", TextTarget::Caption},
    {"miZgloszenieBledu", "miZgloszenieBledu.Caption", TextTarget::Caption},
    {"SpeedSymulacja", "SpeedSymulacja.Caption", TextTarget::Caption},
    {"SpeedStart", "SpeedStart.Caption", TextTarget::Caption},
    {"SpeedStop", "SpeedStop.Caption", TextTarget::Caption},
    {"Skont", "Skont.Caption", TextTarget::Caption},
    // Buttons whose hint repeats a menu item's caption.
    {"sbSterowanie", "sterowanie.Caption", TextTarget::Hint},
    {"sbKonfiguracja", "Konfiguracja.Caption", TextTarget::Hint},
    {"sbWyjscie", "FileExitItem.Caption", TextTarget::Hint},
    {"sbStart", "Start1.Caption", TextTarget::Hint},
    {"miGenKrzyzToPunkt", "miGenKrzyzToPunkt.caption", TextTarget::Caption},
    {"sbGenKrzyzToPunkt", "miGenKrzyzToPunkt.caption", TextTarget::Hint},
    {"sbOdjazdWprawo", "sbOdjazdWprawo.hint", TextTarget::Hint},
    {"sbMorvantello", "sbMorvantello.hint", TextTarget::Hint},
};

} // namespace

QString MainTitle(const QString &applicationTitle, const tInterfejs &language, const CommandLine &commandLine,
                  QString &singleMachineName)
{
    QString title = applicationTitle + QStringLiteral("   ")
        + language.GetText(QStringLiteral("Universal"), QStringLiteral("txtWer")) + QLatin1Char(' ')
        + VersionString(true, true);
    if (commandLine.ParamPresent(QStringLiteral("REPEAT")))
        title += QStringLiteral("   >> UWAGA! Aktywna opcja REPEAT <<");
    singleMachineName.clear();
    commandLine.ParamValue(QStringLiteral("OnlyMachine"), singleMachineName);
    if (!singleMachineName.isEmpty())
        title += QStringLiteral("      ")
            + language.GetText(mainWindow, QStringLiteral("pracujeTylkoZploterem")) + QLatin1Char(' ')
            + singleMachineName;
    return title;
}

std::span<const ComponentText> MainWindowTexts()
{
    return mainWindowTexts;
}

QString CatalogueCaption(const tInterfejs &language, const DocumentPlace &place)
{
    const QString text = language.GetText(mainWindow, QStringLiteral("miKatalog.Caption"));
    QString path;
    if (DealerCataloguePath(place, path))
        return place.dealer + QLatin1Char(' ') + text;
    return QStringLiteral("Korvanel ") + text;
}

MenuEnabling MenuEnablingFor(int projectCount, const QString &activeCaption, int mode)
{
    MenuEnabling enabling;
    if (projectCount < 1)
        return enabling;
    enabling.perProject = true;
    const QString extension = QLatin1Char('.') + QFileInfo(activeCaption).suffix().toUpper();
    enabling.duplicate = extension != QLatin1String(".DPL") && mode == 0;
    enabling.saveSerial = mode == 2;
    return enabling;
}

CloseDecision CloseQuery(ITransmitter *transmitter)
{
    if (transmitter == nullptr || !transmitter->running())
        return {};
    if (!transmitter->paused()) {
        return {false,
                Message {GetText(mainWindow, QStringLiteral("wyjscieNiemozliwe")),
                         GetText(QStringLiteral("Universal"), QStringLiteral("uwaga")),
                         MessageKind::Information}};
    }
    transmitter->stop();
    return {};
}

std::pair<int, int> StatusPanelWidths(int statusBarWidth)
{
    const int eighth = static_cast<int>(std::nearbyint(static_cast<long double>(statusBarWidth) / 8));
    const int first = statusBarWidth - eighth;
    return {first, statusBarWidth - first};
}

void KonfiguracjaFollowUp(IConfigurationDialog &dialog, IMachineSettingsLink *machine,
                          IProjectWindowList &windows)
{
    dialog.clearRotationSettingsClicked();
    dialog.execModal();
    const Settings &settings = Settings::current();

    if (dialog.modeChanged())
        windows.CloseAllClick();

    if (dialog.powerOutputChanged() && machine != nullptr) {
        const IMachineSettingsLink::Status status = machine->readStatus();
        // A busy or absent machine hears of it after a later close of the dialog.
        if (status.connected && !status.jobRunning) {
            machine->sendPowerOutput(settings.PowerOutput);
            machine->reapplyHeatingPower();
            dialog.clearPowerOutputChanged();
        }
    }

    const std::vector<IProjectWindow *> projects = windows.projectWindows();
    if (dialog.rotationSettingsClicked() && !projects.empty() && machine != nullptr && machine->connected())
        machine->SendLengthUnit(settings.radiounit);

    // "Left" feeds toward -x; "right" and "both ways" start toward +x. A
    // window keeps the signs of its load otherwise, and a changed direction
    // would only show on drawings opened afterwards.
    const int feedSign = settings.CatDir == 1 ? -1 : 1;
    for (IProjectWindow *project : projects)
        project->setFeedSigns(feedSign);

    for (auto it = projects.rbegin(); it != projects.rend(); ++it) {
        IProjectWindow *project = *it;
        project->JakiKierunek(-1);
        if (settings.Mode == 0 && !project->planned())
            project->ciecie();
        else if (settings.Mode == 1)
            project->ciecie_obrotowe();
    }
    for (auto it = projects.rbegin(); it != projects.rend(); ++it)
        (*it)->repaintProject();
}

void SimulateProject(IProjectWindow &window, int mode, int catDir)
{
    if (mode == 2)
        window.setXFeedSign(window.passNumber() % 2 != 0 ? 1 : -1);
    window.simulate();
    if (!window.holdsPairedProfiles())
        window.invalidate();
    // Both directions: the next run goes the other way.
    if (catDir == 2)
        window.setXFeedSign(-window.xFeedSign());
}
