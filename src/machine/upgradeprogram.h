#pragma once

#include "app/inifile.h"
#include "machine/ploter.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// A firmware version as the controller reports it (reply 17, r0 and r1).
// Versions compare part by part: 1.10 is below 2.0.
struct FirmwareVersion
{
    int major = 0;
    int minor = 0;
    auto operator<=>(const FirmwareVersion &) const = default;
    QString text() const { return QString::number(major) + QLatin1Char('.') + QString::number(minor); }
};

// Whether a controller at this version takes an upgrade: both parts set,
// the major below 10, and not below 1.2.
bool IsUpgradable(FirmwareVersion version);

// The ROM file of a machine, relative to the program folder.
QString RomFileName(const QString &family, int firmwareMajor);
// Whether a name is one that RomFileName gives.
bool IsRomFileName(const QString &name);

// A ROM file: the image's version in two little-endian header words, then
// the program words in address order.
inline constexpr int kProgramWords = 65537;
inline constexpr qsizetype kRomFileSize = 2 * (2 + kProgramWords);
struct RomImage
{
    FirmwareVersion version;
    std::vector<std::uint16_t> words;
};
// Nothing unless the bytes are exactly one image: a short or long file is
// never sent, so a truncated copy cannot leave half a program behind.
std::optional<RomImage> ParseRomImage(const QByteArray &bytes);
QByteArray RomImageBytes(const RomImage &image);

// What the program keeps about each controller between runs, by serial
// number, in a small INI file of its own: the last version the
// controller's program reported, and the ROM file of an upgrade that began
// to change the program memory and did not end in a good verify. A
// controller left in its loader (version 0.0) by such an upgrade is thus
// offered the same image at the next start. Without a file, or when it
// cannot be written, it remembers for the run.
class FirmwareRecord
{
public:
    explicit FirmwareRecord(QString path = {});

    std::optional<FirmwareVersion> lastVersion(const QString &serial) const;
    // The ROM file (relative to the program folder) of the unfinished upgrade.
    std::optional<QString> unfinishedUpgrade(const QString &serial) const;

    // Each gives the message of a failed save.
    std::optional<MachineMessage> setLastVersion(const QString &serial, FirmwareVersion version);
    std::optional<MachineMessage> setUnfinishedUpgrade(const QString &serial, const QString &romName);
    std::optional<MachineMessage> clearUnfinishedUpgrade(const QString &serial);

private:
    std::optional<MachineMessage> write(const QString &serial, const QString &key, const QString &value);

    QString m_path;
    TIniFile m_ini;
};

// The operations of the upgrade window: the upgrade itself and the service
// panel's steps.
enum class UpgradeOperation { Upgrade, Erase, Write, Verify, Read, GetVersion, Reset };

// What the upgrade window shows.
struct UpgradeView
{
    QString controllerVersion; // empty while unknown
    QString fileVersion; // empty when the ROM file is missing
    QString romPath;
    bool upgradeEnabled = false;
    // The image is older than the controller's program: ask first.
    bool askDowngrade = false;
    bool busy = false;
    // The running operation's "Upgrade_firmware" key ("Kasuje", "Zapisuje"
    // ...) and the result of the last erase or verify ("KasowanieOK" ...).
    QString operationKey;
    QString resultKey;
    std::array<bool, 3> steps {}; // erase, write, verify started
    int progress = 0; // 0 .. 100
    // The last upgrade of this controller did not finish: its program is
    // incomplete.
    bool incomplete = false;
};

// The firmware upgrade window's logic (TUpgradeProgramForm): replaces the
// controller's program with a ROM file's image, verifies it, and offers the
// service steps. It runs where the link runs and blocks there for the whole
// operation; the window follows the view it reports.
//
// Every step stops at the first failed command or read with one message.
// Once the program memory was touched (an erase sent, or words about to be
// written), a machine whose upgrade did not end in a good verify is kept in
// the record as incomplete, also for later runs: the window and its
// messages say so, and the upgrade stays offered for it with the same ROM
// file even when its loader reports a version that is not upgradable.
class TUpgradeProgram
{
public:
    // `romFolder` holds "ROM/..."; `recordPath` is the record's file (none:
    // remembered for the run).
    TUpgradeProgram(Ploter &ploter, QString romFolder, QString recordPath = {});

    void setViewHandler(std::function<void(const UpgradeView &)> handler)
    {
        m_viewHandler = std::move(handler);
    }
    const UpgradeView &view() const { return m_view; }
    // How long the controller takes to erase its memory and to restart.
    void setTimings(std::int64_t eraseMs, std::int64_t restartMs);

    // The window is shown: version, ROM file and whether to offer the upgrade.
    void activate();
    // True when the operation ended well (for the upgrade: the window closes).
    bool run(UpgradeOperation operation);

    bool ButtonUpgradeClick();
    bool GetVersionClick();
    bool IsBlanc(bool &blank);
    bool EraseProgramClick();
    bool WrtieProgramClick();
    bool VerifyProgramClick();
    bool ReadProgramClick();
    bool ButtonResetClick();

private:
    QString machineKey() const;
    bool incomplete() const;
    void chooseRomFile();
    std::optional<RomImage> loadImage();
    bool writeImage(const RomImage &image);
    bool verifyImage(const RomImage &image);
    bool machineIdle();
    bool send(const QByteArray &command);
    bool readWord(std::uint16_t &word);
    bool setStartAddress();
    void fail(MachineMessage message);
    void markUnfinished();
    // A record that could not be saved is told once; the upgrade goes on.
    void recordSaved(const std::optional<MachineMessage> &message);
    void start(const char *operationKey, int step);
    void progress(long long done, long long total);
    void waitShowingProgress(std::int64_t totalMs);
    void publish();

    Ploter &m_ploter;
    QString m_romFolder;
    std::int64_t m_eraseMs = 15000;
    std::int64_t m_restartMs = 9000;
    bool m_success = true;
    bool m_messageShown = false;
    std::optional<FirmwareVersion> m_controller;
    QString m_romName;
    QString m_machine; // serial number of the machine the window works on
    UpgradeView m_view;
    std::function<void(const UpgradeView &)> m_viewHandler;
    FirmwareRecord m_record;
    bool m_recordMessageShown = false;
};

// The control panel's restore of the factory parameters: every byte of the
// image as "S" 13 (address counted modulo 256, value), then the controller's
// time to store them. True only when every byte went through; a missing or
// empty file sends nothing and says why.
bool RestoreFactoryParameters(Ploter &ploter, const QString &path, std::int64_t storeMs = 5000);
