#pragma once

#include "app/configfiles.h"
#include "app/konfigrules.h"
#include "app/programfolders.h"
#include "app/settings.h"

#include <QString>

#include <vector>

class MachineIdentity;

// Switches of the command line that change what the configuration offers.
struct KonfigOptions
{
    bool showAll = false; // keep the independent cutting mode selectable
    bool rotaryCutExt = false; // show the rotary-cutting page
};

// What happened while the configuration was last edited; the main window acts
// on these when the dialog closes (close projects, send the power output ...).
struct KonfigFlags
{
    bool calibrationChanged = false;
    bool rotationSettingsClicked = false;
    bool loading = false;
    bool powerOutputChanged = false;
    bool modeChanged = false;
    bool operator==(const KonfigFlags &) const = default;
};

// A message for the widget layer to show: texts come from the language file
// by section and key; `detail` is shown as given (a file name, a reason).
struct KonfigMessage
{
    bool error = false;
    QString section;
    QString key;
    QString detail;
    // Where the key names the caption and `detail` is the whole text.
    bool keyIsCaption = false;
};

// What loading a machine configuration file did.
struct KonfigLoad
{
    // The file's settings were read, or the missing file was made from the
    // current ones. False when the file was refused: nothing changed.
    bool taken = false;
    std::vector<KonfigMessage> messages;
};

// The configuration store behind the configuration dialog: loads and saves
// its files, keeps the snapshot that Cancel restores and the working copy the
// dialog edits, and applies the mode and machine rules. No widgets.
class Konfig
{
public:
    Konfig(ProgramFolders folders, KonfigOptions options, MachineIdentity &machine);
    // Follows the program's machine (`machineIdentity()`), whichever is set
    // at the time of each call.
    Konfig(ProgramFolders folders, KonfigOptions options);

    MachineIdentity &machine() const;

    const ProgramFolders &folders() const { return m_folders; }
    QString globalConfigPath() const;
    QString defaultMachineConfigPath() const;

    // Start-up: global record, then the machine configuration it names (or
    // the default file when that one no longer exists).
    std::vector<KonfigMessage> create();
    // Exit: the global record is written.
    std::vector<KonfigMessage> destroy();

    // The dialog opens: machine limits, modes offered, forced values and the
    // snapshot for Cancel.
    KonfigRules::Activation activate();
    // The dialog closes with OK: the working copy, clamped, becomes the
    // program's settings; the record and the program folder's machine file
    // are saved (and the current machine file with AutoSave).
    std::vector<KonfigMessage> accept();
    // The dialog closes with Cancel: the snapshot is restored.
    void cancel();
    // The machine was identified (or changed): its speed and power limits
    // apply to the settings from now on.
    void machineIdentified();

    // The copy the dialog edits while it is open.
    const Settings &working() const { return m_working; }
    // Changes one setting of the working copy (clamped); returns the
    // activation to apply when the change refreshes the enabling.
    std::optional<KonfigRules::Activation> setWorkingNumber(const SettingInfo &info, double value);
    void setWorkingText(const SettingInfo &info, const QString &value);

    // "zapis" and "Odczyt": the chosen file becomes the current machine file
    // (a file refused by the load does not).
    std::vector<KonfigMessage> saveAs(const QString &path);
    KonfigLoad loadFrom(const QString &path);
    // Loads a machine file into the program's settings while the dialog is
    // closed (barcode sets).
    KonfigLoad loadKonfig(const QString &path);
    std::vector<KonfigMessage> saveKonfig(const QString &path);

    // Serial cutting, as the serial-cut generator leaves it: the cutting mode
    // changes without the closing of projects that a change in the dialog
    // brings, since the generated passes are the projects to cut; the job is
    // to cut the model off its base after the last pass or not.
    void setSerialCutting(bool cutOffAtEnd);

    const ConfigFiles::GlobalConfig &globalConfig() const { return m_global; }
    void setOpenFolder(const QString &folder);
    void setFilterIndex(int index);
    void setMachineConfigPath(const QString &path);
    // The dialog's caption: the current machine configuration file.
    QString caption() const { return m_global.machineConfigPath; }

    const KonfigFlags &flags() const { return m_flags; }
    // The main window clears these once it has acted on them.
    void clearPowerOutputChanged() { m_flags.powerOutputChanged = false; }
    void clearRotationSettingsClicked() { m_flags.rotationSettingsClicked = false; }
    int modeItemCount() const { return m_modeItemCount; }
    const KonfigOptions &options() const { return m_options; }
    const Settings &snapshot() const { return m_snapshot; }
    bool editing() const { return m_editing; }
    // Date and time of the executable, or "Nieznana".
    const QString &executableDateText() const { return m_executableDate; }

private:
    // Makes the settings the program's and hands them to the machine.
    void publish(const Settings &settings);
    void noteChanges(const Settings &before, const Settings &after);
    KonfigRules::Activation refresh(Settings &settings);
    KonfigLoad loadInto(const QString &path, Settings &settings);
    void applyKnownMachineLimits(Settings &settings) const;
    static KonfigMessage writeFailure(const QString &path, const QString &reason);
    static KonfigMessage missingFile(const QString &path);

    ProgramFolders m_folders;
    KonfigOptions m_options;
    MachineIdentity *m_machine = nullptr; // nullptr: the program's machine
    ConfigFiles::GlobalConfig m_global;
    Settings m_working;
    Settings m_snapshot;
    KonfigFlags m_flags;
    int m_modeItemCount = 6;
    bool m_editing = false;
    QString m_executableDate;
};
