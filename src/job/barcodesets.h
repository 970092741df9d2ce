#pragma once

#include "app/configfiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// Saving the current configuration and projects as a barcode set, and
// opening a set again, over what the main window provides.

struct TSetProjectWindow
{
    QString caption;
    QString fileName; // the drawing it was loaded from; empty for a generated project
    int passNumber = 0; // 0 for a front profile, 1 for its side, the pass of a serial cut
};

class IBarcodeSetHost
{
public:
    virtual ~IBarcodeSetHost() = default;

    // The folder of the set files.
    virtual QString setFolder() const = 0;
    // Loads a machine configuration file into the settings and makes it the
    // current one (global record, the configuration dialog's caption). False
    // when the file was refused (it holds no setting): nothing changed.
    virtual bool loadKonfig(const QString &path) = 0;
    virtual QString machineConfigPath() const = 0;
    // Opens a drawing by name the way the cutting mode asks.
    virtual void openProject(const QString &fileName) = 0;
    virtual int projectCount() const = 0;
    virtual void closeAllProjects() = 0;
    virtual void tileWindows() = 0;
    // The open project windows in MDI order, the active one first.
    virtual std::vector<TSetProjectWindow> projectWindows() const = 0;
};

// The global record holds at most this many characters of a configuration path.
inline constexpr qsizetype MaxConfigPathLength = 254;

// A path as written in a set, which may be edited by hand: blanks around it
// are dropped and a relative one is taken from the set's folder.
QString SetEntryPath(const QString &setFolder, const QString &path);

// Opens the set of a code: loads its configuration file when it names one
// that exists (a path too long for the record is refused with a message;
// paths are trimmed and taken from the set's folder when relative),
// then opens its projects from "Prj1" up to the first gap, and tiles the
// windows when two or more opened. A project already open, brought along by
// an earlier one (the side profile beside its front, the other passes of a
// serial cut's folder), is not opened again. False when the set file does not exist
// (then nothing is done) or no configuration was loaded.
bool OpenBarcodeSet(const QString &code, IBarcodeSetHost &host);

// A scanned code: only when its set exists are the open projects closed and
// the set opened, so a run of digits typed anywhere never throws work away.
// True when the set file existed.
bool OpenScannedSet(const QString &code, IBarcodeSetHost &host);

struct TBarcodeSet;
// Writes a set into its file, keeping other sections of an existing one;
// the reason of a failure is ready to be shown with the file name.
ConfigFiles::FileResult WriteBarcodeSetFile(const QString &fileName, const TBarcodeSet &set, bool withLabel);

struct TSavedSet
{
    bool saved = false;
    QString fileName;
    QString code;
};

// Saves the machine configuration path and the drawings of the open windows
// under the next free code, by pass number and else in window order, so a
// front profile comes before its side. Refused (with a message) past the last running
// number or when the code's file exists; windows without a drawing file are
// left out and named in one information box; a failed write is shown.
TSavedSet SaveBarcodeSet(IBarcodeSetHost &host);

// The "save as barcode set" command: saves, then offers to fill in the
// label, which opens the browser on the new code.
void KodyKreskoweZapisClick(IBarcodeSetHost &host,
                            const std::function<void(const QString &code)> &showBrowser);

// The five summary lines of a machine configuration file for the label and
// the sheet: cutting mode, speed, power, heat-up time and corner pause, each
// as "<caption>: <value> <unit>". All empty when the file cannot be read.
std::array<QString, 5> ConfigurationSummary(const QString &configFileName);
std::array<QString, 5> ConfigurationSummaryOf(const QByteArray &configText);
