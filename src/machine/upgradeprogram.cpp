#include "machine/upgradeprogram.h"

#include "app/configfiles.h"

#include <QFile>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Upgrade_firmware");
const QString kControl = QStringLiteral("Control");
const QString kUniversal = QStringLiteral("Universal");
// The program memory's start address, as "S" 8 takes it.
constexpr std::int32_t kProgramStart = 0x02000000;
constexpr int kReplyFirmware = 17;

QByteArray subCommand(int sub)
{
    QByteArray c("S");
    c.append(static_cast<char>(sub));
    return c;
}

std::uint16_t wordAt(const QByteArray &bytes, qsizetype index)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[2 * index])
                                      | static_cast<std::uint8_t>(bytes[2 * index + 1]) << 8);
}

} // namespace

bool IsUpgradable(FirmwareVersion v)
{
    return v.major != 0 && v.minor != 0 && v.major < 10 && !(v.major == 1 && v.minor < 2);
}

QString RomFileName(const QString &family, int firmwareMajor)
{
    if (family == QLatin1String("Q7"))
        return QStringLiteral("ROM/Q7/Dervilon.rom");
    return firmwareMajor >= 2 ? QStringLiteral("ROM/Vq/Dervilon162.rom")
                              : QStringLiteral("ROM/Vq/Dervilon81.rom");
}

bool IsRomFileName(const QString &name)
{
    return name == RomFileName(QStringLiteral("Q7"), 0) || name == RomFileName({}, 2)
        || name == RomFileName({}, 1);
}

std::optional<RomImage> ParseRomImage(const QByteArray &bytes)
{
    if (bytes.size() != kRomFileSize)
        return std::nullopt;
    RomImage image;
    image.version = {wordAt(bytes, 0), wordAt(bytes, 1)};
    image.words.resize(kProgramWords);
    for (int i = 0; i < kProgramWords; ++i)
        image.words[static_cast<std::size_t>(i)] = wordAt(bytes, 2 + i);
    return image;
}

QByteArray RomImageBytes(const RomImage &image)
{
    QByteArray bytes;
    bytes.reserve(kRomFileSize);
    auto put = [&bytes](int word) {
        bytes.append(static_cast<char>(word & 0xFF));
        bytes.append(static_cast<char>((word >> 8) & 0xFF));
    };
    put(image.version.major);
    put(image.version.minor);
    for (std::uint16_t word : image.words)
        put(word);
    return bytes;
}

// --- What is kept of each controller ------------------------------------------------

namespace {

const QString kLastVersionKey = QStringLiteral("LastVersion");
const QString kUnfinishedKey = QStringLiteral("UnfinishedUpgrade");

// A controller without a serial number cannot be told from another: what
// is known of it is kept for the run only, under a name no serial number
// gives (percent-encoding never ends in a lone "%").
const QString kNoSerial = QStringLiteral("%");

// A serial number as a section name that reads back as itself: any
// character a header line cannot hold is percent-encoded.
QString sectionOf(const QString &serial)
{
    return serial.isEmpty() ? kNoSerial : QString::fromLatin1(serial.toUtf8().toPercentEncoding());
}

} // namespace

FirmwareRecord::FirmwareRecord(QString path)
    : m_path(std::move(path))
    , m_ini(m_path.isEmpty() ? TIniFile() : TIniFile(m_path))
{ }

std::optional<FirmwareVersion> FirmwareRecord::lastVersion(const QString &serial) const
{
    const QStringList parts = m_ini.readString(sectionOf(serial), kLastVersionKey).split(QLatin1Char('.'));
    bool majorOk = false, minorOk = false;
    const int major = parts.size() == 2 ? parts[0].toInt(&majorOk) : 0;
    const int minor = parts.size() == 2 ? parts[1].toInt(&minorOk) : 0;
    // The controller reports each part in one byte.
    if (!majorOk || !minorOk || major < 0 || minor < 0 || major > 255 || minor > 255)
        return std::nullopt;
    return FirmwareVersion {major, minor};
}

std::optional<QString> FirmwareRecord::unfinishedUpgrade(const QString &serial) const
{
    // Only the program's own image names: the file may have been edited, and
    // the name is written to the controller and read into by the service.
    const QString name = m_ini.readString(sectionOf(serial), kUnfinishedKey);
    if (!IsRomFileName(name))
        return std::nullopt;
    return name;
}

std::optional<MachineMessage> FirmwareRecord::setLastVersion(const QString &serial, FirmwareVersion version)
{
    if (lastVersion(serial) == version)
        return std::nullopt;
    return write(serial, kLastVersionKey, version.text());
}

std::optional<MachineMessage> FirmwareRecord::setUnfinishedUpgrade(const QString &serial,
                                                                   const QString &romName)
{
    if (unfinishedUpgrade(serial) == romName)
        return std::nullopt;
    return write(serial, kUnfinishedKey, romName);
}

std::optional<MachineMessage> FirmwareRecord::clearUnfinishedUpgrade(const QString &serial)
{
    if (m_ini.readString(sectionOf(serial), kUnfinishedKey).isEmpty())
        return std::nullopt;
    return write(serial, kUnfinishedKey, {});
}

std::optional<MachineMessage> FirmwareRecord::write(const QString &serial, const QString &key,
                                                    const QString &value)
{
    if (!m_ini.writeString(sectionOf(serial), key, value) || m_path.isEmpty() || serial.isEmpty())
        return std::nullopt;
    TIniFile kept = m_ini;
    kept.eraseSection(kNoSerial);
    const ConfigFiles::FileResult saved = kept.save();
    if (!saved.ok)
        return MachineMessage::fileWriteFailed(m_path, saved.error);
    return std::nullopt;
}

// --- The window's logic ----------------------------------------------------------

TUpgradeProgram::TUpgradeProgram(Ploter &ploter, QString romFolder, QString recordPath)
    : m_ploter(ploter)
    , m_romFolder(std::move(romFolder))
    , m_record(std::move(recordPath))
{ }

void TUpgradeProgram::setTimings(std::int64_t eraseMs, std::int64_t restartMs)
{
    m_eraseMs = eraseMs;
    m_restartMs = restartMs;
}

void TUpgradeProgram::waitShowingProgress(std::int64_t totalMs)
{
    for (int step = 1; step <= 100; ++step) {
        m_ploter.clock().sleepMs(totalMs / 100);
        progress(step, 100);
    }
}

QString TUpgradeProgram::machineKey() const
{
    const HidDevice *device = m_ploter.link().selectedDevice();
    return device ? device->info().serialNumber : m_ploter.plot().serialNumber;
}

bool TUpgradeProgram::incomplete() const
{
    return m_record.unfinishedUpgrade(m_machine).has_value();
}

void TUpgradeProgram::markUnfinished()
{
    recordSaved(m_record.setUnfinishedUpgrade(m_machine, m_romName));
}

void TUpgradeProgram::recordSaved(const std::optional<MachineMessage> &message)
{
    if (!message || m_recordMessageShown)
        return;
    m_recordMessageShown = true;
    m_ploter.showMessage(*message);
}

void TUpgradeProgram::publish()
{
    if (m_viewHandler)
        m_viewHandler(m_view);
}

void TUpgradeProgram::start(const char *operationKey, int step)
{
    m_view.operationKey = QLatin1String(operationKey);
    if (step >= 0)
        m_view.steps[static_cast<std::size_t>(step)] = true;
    m_view.progress = 0;
    publish();
}

void TUpgradeProgram::progress(long long done, long long total)
{
    const int percent = total > 0 ? static_cast<int>(std::clamp(done * 100 / total, 0LL, 100LL)) : 100;
    if (percent != m_view.progress) {
        m_view.progress = percent;
        publish();
    }
}

void TUpgradeProgram::fail(MachineMessage message)
{
    m_success = false;
    if (m_messageShown)
        return;
    m_messageShown = true;
    if (incomplete()) {
        message.detailSection = kSection;
        message.detailKey = QStringLiteral("programNiekompletny");
    }
    m_ploter.showMessage(message);
}

bool TUpgradeProgram::send(const QByteArray &command)
{
    const int result = m_ploter.link().Write(command);
    if (result != 0)
        fail(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci"), QString::number(result)));
    return result == 0;
}

bool TUpgradeProgram::readWord(std::uint16_t &word)
{
    TfUsb &link = m_ploter.link();
    const int result = link.ReadString(kReplyFirmware);
    if (result != 0 || link.replyLength() < 8) {
        fail(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci"),
                                QString::number(result != 0 ? result : -1)));
        return false;
    }
    word = static_cast<std::uint16_t>(link.reply()[6] | link.reply()[7] << 8);
    return true;
}

bool TUpgradeProgram::setStartAddress()
{
    QByteArray c = subCommand(8);
    c.append(int32Bytes(kProgramStart));
    return send(c);
}

void TUpgradeProgram::chooseRomFile()
{
    if (const std::optional<QString> unfinished = m_record.unfinishedUpgrade(m_machine)) {
        m_romName = *unfinished;
    } else {
        // A controller in its loader (0.0) takes the image of the program it
        // ran last, not the one for version 0.
        int major = m_controller ? m_controller->major : 0;
        const std::optional<FirmwareVersion> last = m_record.lastVersion(m_machine);
        if ((!m_controller || *m_controller == FirmwareVersion {}) && last)
            major = last->major;
        m_romName = RomFileName(m_ploter.plot().family, major);
    }
    m_view.incomplete = incomplete();
    m_view.romPath = m_romFolder + QLatin1Char('/') + m_romName;
    m_view.fileVersion.clear();
    m_view.askDowngrade = false;
    QFile file(m_view.romPath);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray header = file.read(4);
        if (header.size() == 4) {
            const FirmwareVersion image {wordAt(header, 0), wordAt(header, 1)};
            m_view.fileVersion = image.text();
            m_view.askDowngrade = m_controller && image < *m_controller;
        }
    }
    m_view.upgradeEnabled = m_success && !m_view.fileVersion.isEmpty() && m_controller
        && (IsUpgradable(*m_controller) || incomplete());
}

void TUpgradeProgram::activate()
{
    m_success = true;
    m_recordMessageShown = false;
    m_view = UpgradeView {};
    m_messageShown = true; // the version read at activation stays quiet
    m_machine = machineKey();
    GetVersionClick();
    m_messageShown = false;
    chooseRomFile();
    publish();
}

std::optional<RomImage> TUpgradeProgram::loadImage()
{
    QFile file(m_view.romPath);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(MachineMessage::of(kUniversal, QStringLiteral("zbioruNieMoznaOtworzyc"), m_view.romPath));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kRomFileSize + 1);
    std::optional<RomImage> image = ParseRomImage(bytes);
    if (!image) {
        MachineMessage m = MachineMessage::of(kSection, QStringLiteral("zlyRozmiarPliku"),
                                              QLatin1Char(' ') + m_view.romPath);
        m.detailSection = kSection;
        m.detailKey = QStringLiteral("rozmiarPliku");
        m.detailArgs = {QString::number(kRomFileSize), QString::number(std::max(file.size(), bytes.size()))};
        fail(m);
    }
    return image;
}

bool TUpgradeProgram::machineIdle()
{
    if (!m_ploter.ReadStatus()) {
        fail(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci")));
        return false;
    }
    if (m_ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving)) {
        fail(MachineMessage::of(kControl, QStringLiteral("nieMoznaPrzesuwac")));
        return false;
    }
    return true;
}

bool TUpgradeProgram::run(UpgradeOperation operation)
{
    m_success = true;
    m_messageShown = false;
    m_recordMessageShown = false;
    m_machine = machineKey();
    m_view.busy = true;
    m_view.upgradeEnabled = false;
    publish();
    bool ok = false;
    if (operation == UpgradeOperation::GetVersion) {
        ok = GetVersionClick();
    } else if (machineIdle()) {
        switch (operation) {
        case UpgradeOperation::Upgrade:
            ok = ButtonUpgradeClick();
            break;
        case UpgradeOperation::Erase:
            ok = EraseProgramClick();
            break;
        case UpgradeOperation::Write:
            ok = WrtieProgramClick();
            break;
        case UpgradeOperation::Verify:
            ok = VerifyProgramClick();
            break;
        case UpgradeOperation::Read:
            ok = ReadProgramClick();
            break;
        case UpgradeOperation::Reset:
            ok = ButtonResetClick();
            break;
        case UpgradeOperation::GetVersion:
            break;
        }
    }
    m_view.busy = false;
    m_success = true;
    chooseRomFile();
    publish();
    return ok;
}

bool TUpgradeProgram::GetVersionClick()
{
    if (!setStartAddress())
        return false;
    const QString version = m_ploter.ReadFirmwareVersion();
    if (version.isEmpty()) {
        fail(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci")));
        return false;
    }
    m_controller = FirmwareVersion {m_ploter.state().firmwareMajor, m_ploter.state().firmwareMinor};
    // The version of a program that runs; not the loader's 0.0, and not the
    // old program's while an upgrade of it is unfinished.
    if (*m_controller != FirmwareVersion {} && !incomplete())
        recordSaved(m_record.setLastVersion(m_machine, *m_controller));
    m_view.controllerVersion = version;
    publish();
    return true;
}

bool TUpgradeProgram::IsBlanc(bool &blank)
{
    std::uint16_t word = 0;
    if (!setStartAddress() || !readWord(word))
        return false;
    const TfUsb &link = m_ploter.link();
    blank = word == 0xFFFF && link.reply()[8] == 0 && link.reply()[9] == 0;
    return true;
}

bool TUpgradeProgram::EraseProgramClick()
{
    start("Kasuje", 0);
    // An erase that was never sent left the program as it was.
    if (!send(subCommand(9)))
        return false;
    markUnfinished();
    // The controller gives no sign of the end of an erase: wait its time.
    waitShowingProgress(m_eraseMs);
    bool blank = false;
    if (!IsBlanc(blank))
        return false;
    m_view.resultKey = blank ? QStringLiteral("KasowanieOK") : QStringLiteral("KasowanieBlad");
    publish();
    if (!blank)
        fail(MachineMessage::of(kSection, QStringLiteral("KasowanieBlad")));
    return blank;
}

bool TUpgradeProgram::WrtieProgramClick()
{
    const std::optional<RomImage> image = loadImage();
    return image && writeImage(*image);
}

bool TUpgradeProgram::writeImage(const RomImage &image)
{
    bool blank = false;
    if (!IsBlanc(blank))
        return false;
    if (!blank && !EraseProgramClick())
        return false;
    start("Zapisuje", 1);
    markUnfinished();
    if (!setStartAddress())
        return false;
    QByteArray command = subCommand(10);
    command.append(int32Bytes(0));
    for (int i = 0; i < kProgramWords; ++i) {
        const std::uint16_t word = image.words[static_cast<std::size_t>(i)];
        command[2] = static_cast<char>(word & 0xFF);
        command[3] = static_cast<char>(word >> 8);
        if (!send(command))
            return false;
        progress(i, kProgramWords - 1);
    }
    return true;
}

bool TUpgradeProgram::VerifyProgramClick()
{
    const std::optional<RomImage> image = loadImage();
    return image && verifyImage(*image);
}

bool TUpgradeProgram::verifyImage(const RomImage &image)
{
    start("Weryfikuje", 2);
    if (!setStartAddress())
        return false;
    for (int i = 0; i < kProgramWords; ++i) {
        std::uint16_t word = 0;
        if (!readWord(word))
            return false;
        if (word != image.words[static_cast<std::size_t>(i)]) {
            m_view.resultKey = QStringLiteral("WeryfikacjaBledy");
            publish();
            fail(MachineMessage::of(kSection, QStringLiteral("WeryfikacjaBledy")));
            return false;
        }
        progress(i, kProgramWords - 1);
    }
    m_view.resultKey = QStringLiteral("WeryfikacjaOk");
    recordSaved(m_record.clearUnfinishedUpgrade(m_machine));
    m_view.incomplete = incomplete();
    publish();
    return true;
}

bool TUpgradeProgram::ReadProgramClick()
{
    start("Odczytuje", -1);
    if (!GetVersionClick())
        return false;
    RomImage image;
    image.version = *m_controller;
    image.words.resize(kProgramWords);
    if (!setStartAddress())
        return false;
    for (int i = 0; i < kProgramWords; ++i) {
        if (!readWord(image.words[static_cast<std::size_t>(i)]))
            return false;
        progress(i, kProgramWords - 1);
    }
    const ConfigFiles::FileResult written = ConfigFiles::writeWholeFile(m_view.romPath, RomImageBytes(image));
    if (!written.ok) {
        fail(MachineMessage::fileWriteFailed(m_view.romPath, written.error));
        return false;
    }
    return true;
}

bool TUpgradeProgram::ButtonResetClick()
{
    start("Restartuje", -1);
    if (!send(subCommand(11)))
        return false;
    // The controller leaves the bus while it starts its program again.
    waitShowingProgress(m_restartMs);
    m_ploter.link().redetect();
    return GetVersionClick();
}

bool TUpgradeProgram::ButtonUpgradeClick()
{
    m_view.operationKey.clear();
    m_view.resultKey.clear();
    m_view.steps = {};
    publish();
    // The image is read whole before anything is erased.
    const std::optional<RomImage> image = loadImage();
    return image && writeImage(*image) && verifyImage(*image) && GetVersionClick();
}

// --- Factory parameters ----------------------------------------------------------

bool RestoreFactoryParameters(Ploter &ploter, const QString &path, std::int64_t storeMs)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ploter.showMessage(MachineMessage::of(kUniversal, QStringLiteral("zbioruNieMoznaOtworzyc"), path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) {
        ploter.showMessage(
            MachineMessage::of(kControl, QStringLiteral("eepromPusty"), QLatin1Char(' ') + path));
        return false;
    }
    if (!ploter.ReadStatus() || ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving)) {
        ploter.showMessage(MachineMessage::of(kControl,
                                              ploter.link().connected()
                                                  ? QStringLiteral("nieMoznaPrzesuwac")
                                                  : QStringLiteral("ploterBrakLacznosci")));
        return false;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!ploter.WriteEepromParameter(static_cast<int>(i % 256), static_cast<std::uint8_t>(bytes[i])))
            return false;
    }
    // The controller stores the parameters after the last one came.
    ploter.clock().sleepMs(storeMs);
    return true;
}
