#pragma once

#include "app/settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The two files that keep the configuration between runs: the global record
// "Prentavik.gcf" (one binary record of 864 bytes) and machine configuration
// files ".mcc" (one "name := value" line per setting, CR LF, in table order).
namespace ConfigFiles {

inline constexpr qsizetype GlobalConfigSize = 864;
// The drawing open dialog offers four filters, numbered from 1.
inline constexpr int FilterCount = 4;

struct GlobalConfig
{
    QString openFolder;        // folder of the drawing open dialog (at most 79 characters)
    QString reservedFolder;    // kept as read; the program does not use it
    QString machineConfigPath; // current machine configuration file (at most 254 characters)
    int filterIndex = 1;       // filter of the drawing open dialog, 1..FilterCount
    bool operator==(const GlobalConfig &) const = default;
};

GlobalConfig defaultGlobalConfig(const QString &defaultMachineConfigPath);
QByteArray encodeGlobalConfig(const GlobalConfig &config);
// Nothing when fewer than 864 bytes are given; longer data is read from its start.
std::optional<GlobalConfig> decodeGlobalConfig(const QByteArray &bytes);

// Outcome of writing or reading a file; `error` is the system's reason.
struct FileResult
{
    bool ok = true;
    QString error;
};

// Writes through a temporary file that replaces the target only once it is
// complete, so a failed save never leaves half a file behind.
FileResult writeWholeFile(const QString &path, const QByteArray &bytes);

FileResult SaveGlobalConfig(const QString &path, const GlobalConfig &config);
// Reads the record; a missing, unreadable or short file is replaced by the
// defaults (and written, when that is possible; `written` tells).
GlobalConfig LoadGlobalConfig(const QString &path, const QString &defaultMachineConfigPath,
                              FileResult *written = nullptr);

// One line of a machine configuration file.
struct KonfigLine
{
    QString name;
    QString value;
    bool separated = false; // the name is followed by ":="
};
KonfigLine ReadKonfigLine(QStringView line);
// Every non-empty line of a file's text (UTF-8, CR, LF or CR LF line ends).
std::vector<KonfigLine> ReadKonfigLines(const QByteArray &bytes);
// True when some line sets a known setting ("<name> := <value>"): what tells
// a machine configuration file from any other text file.
bool HoldsSettings(const std::vector<KonfigLine> &lines);
// The leading run of "+", "-", digits and decimal separators ("." or ",").
QStringView NumberPrefix(QStringView value);

// Value texts as written to and read from the file.
QString formatNumber(double value);
QString checkStateText(CheckState state);
// False when the value cannot be read for that setting (then it is left as it was).
bool applyValue(Settings &settings, const SettingInfo &info, QStringView value);

QByteArray machineConfigText(const Settings &settings);

struct ReadReport
{
    int applied = 0;
    QStringList rejected; // names whose value could not be read
    QStringList unknown;  // names that are no setting
};
ReadReport readMachineConfig(const QByteArray &bytes, Settings &settings);

FileResult SaveKonfig(const QString &path, const Settings &settings);

// NotConfiguration: the file holds no setting, so it is not read at all.
enum class LoadStatus { Loaded, Missing, Unreadable, NotConfiguration };
struct LoadResult
{
    LoadStatus status = LoadStatus::Loaded;
    ReadReport report;
    QString error;
};
LoadResult LoadKonfig(const QString &path, Settings &settings);

} // namespace ConfigFiles
