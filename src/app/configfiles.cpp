#include "app/configfiles.h"

#include "app/common.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ConfigFiles {

namespace {

// Byte layout of the global record (little-endian, UTF-16 texts).
constexpr qsizetype OpenFolderAt = 0;
constexpr qsizetype ReservedFolderAt = 160;
constexpr qsizetype FolderChars = 80;
constexpr qsizetype Reserved1At = 320;
constexpr qsizetype Reserved2At = 324;
constexpr qsizetype ReservedFlagsAt = 328;
constexpr qsizetype MachinePathAt = 334;
constexpr qsizetype MachinePathChars = 255;
constexpr qsizetype FilterIndexAt = 844;
constexpr qsizetype ReservedDoubleAt = 848;
constexpr qsizetype Reserved3At = 856;

void putWide(QByteArray &record, qsizetype at, qsizetype chars, const QString &text)
{
    // At most chars - 1 code units, so the array always ends with a 0.
    const qsizetype n = std::min(text.size(), chars - 1);
    for (qsizetype i = 0; i < n; ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), record.data() + at + 2 * i);
}

QString getWide(const QByteArray &record, qsizetype at, qsizetype chars)
{
    QString text;
    for (qsizetype i = 0; i < chars; ++i) {
        const quint16 unit = qFromLittleEndian<quint16>(record.constData() + at + 2 * i);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

void putInt32(QByteArray &record, qsizetype at, qint32 value)
{
    qToLittleEndian<qint32>(value, record.data() + at);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

std::optional<int> readInteger(QStringView value)
{
    bool ok = false;
    const int n = QLocale::c().toInt(value.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return n;
}

} // namespace

GlobalConfig defaultGlobalConfig(const QString &defaultMachineConfigPath)
{
    GlobalConfig config;
    config.machineConfigPath = defaultMachineConfigPath.left(MachinePathChars - 1);
    return config;
}

QByteArray encodeGlobalConfig(const GlobalConfig &config)
{
    QByteArray record(GlobalConfigSize, '\0');
    putWide(record, OpenFolderAt, FolderChars, config.openFolder);
    putWide(record, ReservedFolderAt, FolderChars, config.reservedFolder);
    putInt32(record, Reserved1At, 1);
    putInt32(record, Reserved2At, 1);
    record[ReservedFlagsAt] = 1;
    putWide(record, MachinePathAt, MachinePathChars, config.machineConfigPath);
    putInt32(record, FilterIndexAt, config.filterIndex);
    const double one = 1.0;
    quint64 bits = 0;
    std::memcpy(&bits, &one, sizeof bits);
    qToLittleEndian<quint64>(bits, record.data() + ReservedDoubleAt);
    putInt32(record, Reserved3At, 0);
    return record;
}

std::optional<GlobalConfig> decodeGlobalConfig(const QByteArray &bytes)
{
    if (bytes.size() < GlobalConfigSize)
        return std::nullopt;
    GlobalConfig config;
    config.openFolder = getWide(bytes, OpenFolderAt, FolderChars);
    config.reservedFolder = getWide(bytes, ReservedFolderAt, FolderChars);
    config.machineConfigPath = getWide(bytes, MachinePathAt, MachinePathChars);
    config.filterIndex = qFromLittleEndian<qint32>(bytes.constData() + FilterIndexAt);
    if (config.filterIndex < 1 || config.filterIndex > FilterCount)
        config.filterIndex = 1;
    // Texts read up to their field's end may be one character longer than
    // the program writes; keep them to what fits again.
    config.openFolder.truncate(FolderChars - 1);
    config.reservedFolder.truncate(FolderChars - 1);
    config.machineConfigPath.truncate(MachinePathChars - 1);
    return config;
}

FileResult writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {};
}

FileResult SaveGlobalConfig(const QString &path, const GlobalConfig &config)
{
    return writeWholeFile(path, encodeGlobalConfig(config));
}

GlobalConfig LoadGlobalConfig(const QString &path, const QString &defaultMachineConfigPath,
                              FileResult *written)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.read(GlobalConfigSize);
        if (auto config = decodeGlobalConfig(bytes)) {
            if (written)
                *written = {};
            return *config;
        }
    }
    const GlobalConfig defaults = defaultGlobalConfig(defaultMachineConfigPath);
    const FileResult result = SaveGlobalConfig(path, defaults);
    if (written)
        *written = result;
    return defaults;
}

KonfigLine ReadKonfigLine(QStringView line)
{
    KonfigLine out;
    qsizetype i = 0;
    while (i < line.size() && !isBlank(line[i]) && line[i] != u':' && line[i] != u'=')
        ++i;
    out.name = line.left(i).toString();
    qsizetype j = i;
    while (j < line.size() && isBlank(line[j]))
        ++j;
    if (line.mid(j, 2) != u":=")
        return out; // no separator: empty value
    j += 2;
    out.separated = true;
    while (j < line.size() && isBlank(line[j]))
        ++j;
    out.value = line.mid(j).toString();
    return out;
}

QStringView NumberPrefix(QStringView value)
{
    qsizetype i = 0;
    while (i < value.size()) {
        const QChar c = value[i];
        if (!(c.isDigit() && c.unicode() < 128) && c != u'+' && c != u'-' && c != u'.' && c != u',')
            break;
        ++i;
    }
    return value.left(i);
}

QString formatNumber(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0"); // also turns -0 into 0
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e')) {
        // The reader takes only signs, digits and separators, so never write
        // an exponent: spell the number out and drop trailing zeros.
        text = FixedText(value, 17);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

QString checkStateText(CheckState state)
{
    switch (state) {
    case CheckState::Checked:
        return QStringLiteral("cbChecked");
    case CheckState::Grayed:
        return QStringLiteral("cbGrayed");
    case CheckState::Unchecked:
        break;
    }
    return QStringLiteral("cbUnchecked");
}

bool applyValue(Settings &settings, const SettingInfo &info, QStringView value)
{
    switch (info.kind) {
    case SettingKind::Radio:
    case SettingKind::Scroll: {
        // An index outside the items (or the scroll range) would select
        // nothing or something that does not exist: keep the old value.
        const auto n = readInteger(value);
        if (!n || *n < settings.minimum(info) || *n > settings.maximum(info))
            return false;
        settings.setNumber(info, *n);
        return true;
    }
    case SettingKind::Real:
    case SettingKind::Length: {
        // Files written where the decimal separator is a comma carry one;
        // take either.
        QString number = NumberPrefix(value).toString();
        number.replace(u',', u'.');
        bool ok = false;
        const double v = QLocale::c().toDouble(number, &ok);
        if (!ok || !std::isfinite(v))
            return false;
        settings.setNumber(info, v);
        return true;
    }
    case SettingKind::Check: {
        CheckState state = CheckState::Unchecked;
        if (value == u"cbChecked")
            state = CheckState::Checked;
        else if (value == u"cbGrayed")
            state = CheckState::Grayed;
        settings.setNumber(info, int(state));
        return true;
    }
    case SettingKind::Text:
        settings.setText(info, value.toString());
        return true;
    }
    return false;
}

QByteArray machineConfigText(const Settings &settings)
{
    QString text;
    for (const SettingInfo &info : Settings::table()) {
        QString value;
        switch (info.kind) {
        case SettingKind::Radio:
        case SettingKind::Scroll:
            value = QString::number(int(settings.number(info)));
            break;
        case SettingKind::Real:
        case SettingKind::Length:
            value = formatNumber(settings.number(info));
            break;
        case SettingKind::Check:
            value = checkStateText(CheckState(int(settings.number(info))));
            break;
        case SettingKind::Text:
            value = settings.text(info);
            break;
        }
        text += info.key() + QStringLiteral(" := ") + value + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

std::vector<KonfigLine> ReadKonfigLines(const QByteArray &bytes)
{
    std::vector<KonfigLine> lines;
    auto decode = QStringDecoder(QStringDecoder::Utf8); // drops a byte-order mark
    const QString text = decode(bytes);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (!line.isEmpty())
            lines.push_back(ReadKonfigLine(line));
    }
    return lines;
}

bool HoldsSettings(const std::vector<KonfigLine> &lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const KonfigLine &line) {
        return line.separated && Settings::find(line.name) != nullptr;
    });
}

namespace {

ReadReport applyLines(const std::vector<KonfigLine> &lines, Settings &settings)
{
    ReadReport report;
    for (const KonfigLine &parsed : lines) {
        const SettingInfo *info = Settings::find(parsed.name);
        if (!info) {
            report.unknown.append(parsed.name);
            continue;
        }
        if (applyValue(settings, *info, parsed.value))
            ++report.applied;
        else
            report.rejected.append(parsed.name);
    }
    return report;
}

} // namespace

ReadReport readMachineConfig(const QByteArray &bytes, Settings &settings)
{
    return applyLines(ReadKonfigLines(bytes), settings);
}

FileResult SaveKonfig(const QString &path, const Settings &settings)
{
    return writeWholeFile(path, machineConfigText(settings));
}

LoadResult LoadKonfig(const QString &path, Settings &settings)
{
    LoadResult result;
    QFile file(path);
    if (!file.exists()) {
        result.status = LoadStatus::Missing;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = LoadStatus::Unreadable;
        result.error = file.errorString();
        return result;
    }
    // Any other file named as a configuration (notes, a drawing) changes no
    // setting; refused, it never becomes the file the configuration is saved to.
    const std::vector<KonfigLine> lines = ReadKonfigLines(file.readAll());
    if (!HoldsSettings(lines)) {
        result.status = LoadStatus::NotConfiguration;
        return result;
    }
    result.report = applyLines(lines, settings);
    return result;
}

} // namespace ConfigFiles
