#pragma once

#include "app/frameinterfaces.h"
#include "app/messages.h"

#include <QString>

#include <optional>
#include <span>
#include <utility>
#include <vector>

class CommandLine;
class tInterfejs;
struct DocumentPlace;

// The main window's decisions, kept apart from its widgets.

// "Prentavik   version 1.0.0.1", with the notes of the "REPEAT" and
// OnlyMachine'name' switches. singleMachineName receives the OnlyMachine
// value (empty without the switch).
QString MainTitle(const QString &applicationTitle, const tInterfejs &language, const CommandLine &commandLine,
                  QString &singleMachineName);

// Which property of a main-window component a language key fills.
enum class TextTarget { Caption, Hint, CaptionAndHint };

struct ComponentText
{
    const char *component; // object name
    const char *key; // key in section "Main_window"
    TextTarget target;
};

// Every text of the main window that comes straight from "Main_window".
std::span<const ComponentText> MainWindowTexts();

// The catalogue item names the dealer whose catalogue is found, else the maker.
QString CatalogueCaption(const tInterfejs &language, const DocumentPlace &place);

// Enabling of the menu items that need a project.
struct MenuEnabling
{
    bool perProject = false; // close, export, simulation, start, window arrangement...
    bool duplicate = false; // duplication generator
    bool saveSerial = false; // saving the passes of a serial cut
    bool operator==(const MenuEnabling &) const = default;
};

// projectCount windows are open; activeCaption is the active one's caption;
// mode is the cutting mode. A duplication project (".dpl") is never
// duplicated again, and only flat projects are.
MenuEnabling MenuEnablingFor(int projectCount, const QString &activeCaption, int mode);

// The close guard: a job that streams unpaused keeps the program open; a
// paused one is stopped and the program closes.
struct CloseDecision
{
    bool allowed = true;
    std::optional<Message> message;
};
CloseDecision CloseQuery(ITransmitter *transmitter);

// Status panel 0 takes all but an eighth of the bar (rounded), panel 1 the rest.
std::pair<int, int> StatusPanelWidths(int statusBarWidth);

// The open project windows as the frame manages them.
class IProjectWindowList
{
public:
    virtual ~IProjectWindowList() = default;
    virtual std::vector<IProjectWindow *> projectWindows() const = 0;
    virtual void CloseAllClick() = 0;
};

// Shows the configuration dialog and applies what changed: closes every
// project when the cutting mode changed, tells a connected, idle machine the
// new power output (or keeps that for a later close of the dialog), sends the
// length unit after the rotation settings were touched, and plans and paints
// the projects again.
void KonfiguracjaFollowUp(IConfigurationDialog &dialog, IMachineSettingsLink *machine,
                          IProjectWindowList &windows);

// The simulation command on one project window.
void SimulateProject(IProjectWindow &window, int mode, int catDir);
