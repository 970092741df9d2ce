#pragma once

#include "app/frameinterfaces.h"
#include "app/mainframe.h"
#include "app/scannerfilter.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QHBoxLayout;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class QShortcut;
class QToolButton;

// The MDI main window: menus, tool bars, the project windows and the status
// bar. The commands of other subsystems are connected through
// setCommand; the frame's own commands (closing, arranging, simulation,
// configuration) are here. Component object names are the names the
// language file uses for their texts.
class TMainForm : public QMainWindow, public IProjectWindowList
{
    Q_OBJECT
public:
    // Commands that other subsystems provide.
    enum class Command {
        OpenDrawing, // FileOpenItem, OpenBtn
        SaveAsHpgl, // FileSaveAsHPGL
        SaveAsDxf, // FileSaveAsDXF
        Duplicate, // miDuplikujPlt
        SerialFrom3D, // miGenSeryjnego3D
        SaveSerial, // miSaveSerial
        ArchBending, // miZaginaczProfili
        JobInformation, // info
        About, // About1
        Manual, // miInstrObslugi
        Samples, // miPrzyklady
        Catalogue, // miKatalog
        Start, // Start1, SpeedStart, sbStart
        Pause, // Wstrzymaj1, SpeedStop
        Continue, // Kontynuacja1, Skont
        ManualControl, // sterowanie, sbSterowanie
        BarcodeBrowse, // KodyKreskowePrzeglad
        BarcodeSave, // KodyKreskoweZapis
        SupportRequest, // miZgloszenieBledu
        HoleDrilling, // sbGenKrzyzToPunkt
        Companion, // sbMorvantello
        DriveAwayRight, // sbOdjazdWprawo
    };

    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Captions, hints and the title from the program's language object; sets
    // the dealer and single-machine globals and the reading direction.
    void Translate();
    // Enables the items that need a project; shows the document items whose
    // files exist.
    void UpdateMenuItems();

    // Whether an item or button is enabled. Hidden menu items count as
    // enabled when the frame enables them, as their shortcuts still work.
    bool isItemEnabled(const QString &name) const;

    void setCommand(Command command, std::function<void()> handler);
    // The object name of the item or button whose command runs now (empty
    // outside a command): some commands act by who sent them.
    const QString &commandSender() const { return m_commandSender; }
    // Shows a menu item or a menu that the window's design hides until its
    // command exists.
    void showItem(const QString &name);
    // Collects the barcode scanner's digits from every key press of the
    // program; the owner tells it how to open a set and when to keep still.
    TScannerFilter &scanner() { return m_scanner; }
    void setTransmitter(ITransmitter *transmitter) { m_transmitter = transmitter; }
    void setConfigurationDialog(IConfigurationDialog *dialog) { m_configuration = dialog; }
    void setMachineSettingsLink(IMachineSettingsLink *machine) { m_machine = machine; }
    void setSharedProjectSize(ISharedProjectSize *shared) { m_sharedSize = shared; }
    // The device link lives as long as the main window is open.
    void adoptDeviceLink(std::unique_ptr<IDeviceLink> link);
    IDeviceLink *deviceLink() const { return m_deviceLink.get(); }

    QMdiArea *mdiArea() const { return m_mdiArea; }
    std::vector<IProjectWindow *> projectWindows() const override;
    IProjectWindow *activeProjectWindow() const;

    void setStatusText(int panel, const QString &text);
    // The same, painted at once: for work that holds the GUI thread next.
    void showStatusNow(int panel, const QString &text);
    QString statusText(int panel) const;
    // The percentage of the work under way (a job going out) as a bar beside
    // status panel 0; -1 hides it.
    void setProgress(int percent);
    const QProgressBar *progressBar() const { return m_progress; }
    std::pair<int, int> statusPanelWidths() const { return m_panelWidths; }

    // Job type of the job being written; set by job control, read by the writer.
    int TJobType = 0;

    void CloseAllClick() override;
    void KonfiguracjaClick();
    void SymulacjaClick();
    void FileCloseItemClick();
    void FileExitItemClick();
    void WindowCascadeItemClick();
    void WindowTileItemClick();

protected:
    // Watches the key presses of the whole program for the scanner.
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QAction *addItem(QMenu *menu, const char *name, const QKeySequence &shortcut = {});
    QToolButton *addButton(QWidget *panel, const char *name);
    void buildMenus();
    void buildToolBars();
    void buildStatusBar();
    void runCommand(Command command, const QString &sender);
    void connectCommand(QObject *control, Command command);
    void keepShortcutWhileHidden(QAction *action);
    void setItemEnabled(const char *name, bool enabled);
    void applyText(const ComponentText &text, const QString &value);

    QMdiArea *m_mdiArea = nullptr;
    QWidget *m_buttonPanel = nullptr;
    QLabel *m_statusPanels[2] = {nullptr, nullptr};
    QProgressBar *m_progress = nullptr;
    QHBoxLayout *m_statusLayout = nullptr;
    std::pair<int, int> m_panelWidths {0, 0};
    std::map<Command, std::function<void()>> m_commands;
    QString m_commandSender;
    ITransmitter *m_transmitter = nullptr;
    IConfigurationDialog *m_configuration = nullptr;
    IMachineSettingsLink *m_machine = nullptr;
    ISharedProjectSize *m_sharedSize = nullptr;
    std::unique_ptr<IDeviceLink> m_deviceLink;
    TScannerFilter m_scanner;
    bool m_tearingDown = false;
};
