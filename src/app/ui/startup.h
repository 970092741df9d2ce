#pragma once

#include "app/ui/aboutform.h"
#include "app/ui/dlgkonfig.h"
#include "app/ui/dlgkonfigadapter.h"
#include "app/ui/infoform.h"
#include "app/ui/mainwindow.h"
#include "job/ui/barcodehost.h"
#include "job/ui/jobcontrolhost.h"
#include "project/openfile.h"
#include "project/ui/projectwindowhost.h"

#include <QTranslator>

#include <memory>

// The windows that live for the whole run, created in a fixed order so that
// the language file is loaded before any window translates itself and the
// configuration is read before the device link looks for the machine.
// Destroyed in reverse order; the main window goes last.
struct ProgramWindows
{
    ProgramWindows() = default;
    // The scanner lets go of the windows below before they go.
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

    // Qt's own texts (file dialogs, box buttons, key names) in the
    // program's language while the windows live.
    std::unique_ptr<QTranslator> qtTexts;
    std::unique_ptr<TMainForm> mainForm;
    // Loads the configuration files while it is created.
    std::unique_ptr<TDlgkonfig> dlgkonfig;
    std::unique_ptr<DlgkonfigAdapter> dlgkonfigCommand;
    // Job information, for the active project window or the one clicked
    // with the right button.
    std::unique_ptr<Tinfoform> infoForm;
    // The project windows of the MDI area, the commands that open drawings
    // into them, and the companion's shared memory.
    std::unique_ptr<TProjectWindowHost> projects;
    std::unique_ptr<TDrawingOpener> drawingOpener;
    std::unique_ptr<TCompanionProjectSize> companionSize;
    // Start, Pause and Continue over the project windows and the machine.
    std::unique_ptr<job::JobControlHost> jobControl;
    // Barcode sets: saved from and opened into the project windows.
    std::unique_ptr<TProgramBarcodeHost> barcodeSets;
    // The About box reads the machine through its host, so it comes after it.
    std::unique_ptr<TAboutBox> aboutBox;
    // The panel and its smaller windows live with the machine's host; the
    // keypad, the generators and the start dialogs are made by what shows them.
};

// Reads the program switches, loads the language file and creates the
// windows. Without a usable language file it shows the English reason and
// creates nothing (nullptr). systemCountry is the telephone country code of
// the system's locale.
std::unique_ptr<ProgramWindows> CreateProgramWindows(int systemCountry);

// Exit code of a start without a usable language file.
inline constexpr int ExitNoLanguageFile = 1;

// The whole run inside an existing QApplication whose name, program folder
// and command line are set: creates the windows, shows the main window and
// runs the event loop until it closes. Returns the exit code. Shows its
// messages in QMessageBox boxes unless other boxes are installed.
int RunPrentavik();
