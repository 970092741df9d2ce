#include "job/barcodesets.h"

#include "app/common.h"
#include "app/configfiles.h"
#include "app/inifile.h"
#include "app/konfigrules.h"
#include "app/language.h"
#include "app/messages.h"
#include "job/barcode.h"
#include "project/openfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("Barcode_sets");

QString Text(const char *key)
{
    return GetText(Section, QString::fromLatin1(key));
}

// A file as the windows name it, for telling whether it is open already.
QString SameFile(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool IsOpen(IBarcodeSetHost &host, const QString &path)
{
    const QString wanted = SameFile(path);
    const std::vector<TSetProjectWindow> windows = host.projectWindows();
    return std::any_of(windows.begin(), windows.end(), [&](const TSetProjectWindow &window) {
        return !window.fileName.isEmpty() && SameFile(window.fileName) == wanted;
    });
}

bool IsDrawing(const TSetProjectWindow &window)
{
    return !window.fileName.isEmpty() && DrawingKindOf(window.fileName) != 0;
}

} // namespace

QString SetEntryPath(const QString &setFolder, const QString &path)
{
    return QDir(setFolder).absoluteFilePath(path.trimmed());
}

ConfigFiles::FileResult WriteBarcodeSetFile(const QString &fileName, const TBarcodeSet &set, bool withLabel)
{
    TIniFile ini(fileName);
    if (!WriteBarcodeSet(ini, set, withLabel))
        return {false, Text("podzialLiniiWNazwie")};
    return ini.save();
}

bool OpenBarcodeSet(const QString &code, IBarcodeSetHost &host)
{
    const QString folder = host.setFolder();
    const QString fileName = BarcodeSetPath(folder, code);
    if (!QFileInfo(fileName).isFile())
        return false;
    const TBarcodeSet set = ReadBarcodeSet(TIniFile(fileName));

    bool loaded = false;
    // An empty name is the set's folder, no file.
    const QString config = SetEntryPath(folder, set.configFileName);
    if (QFileInfo(config).isFile()) {
        // The record keeps 254 characters; a cut path would name another file.
        if (config.size() > MaxConfigPathLength)
            ShowMsg(Text("sciezkaKonfiguracjiZaDluga") + QLatin1Char('\n') + QuotedExcerpt(config), true);
        else
            loaded = host.loadKonfig(config);
    }

    const int before = host.projectCount();
    for (const QString &project : set.projects) {
        // Opening a serial cut's pass opens its whole folder, a front profile
        // its side: opening those again would load the folder once per pass
        // or add a third window.
        const QString path = SetEntryPath(folder, project);
        if (!IsOpen(host, path))
            host.openProject(path);
    }
    if (host.projectCount() - before >= 2)
        host.tileWindows();
    return loaded;
}

bool OpenScannedSet(const QString &code, IBarcodeSetHost &host)
{
    if (!QFileInfo(BarcodeSetPath(host.setFolder(), code)).isFile())
        return false;
    host.closeAllProjects();
    OpenBarcodeSet(code, host);
    return true;
}

TSavedSet SaveBarcodeSet(IBarcodeSetHost &host)
{
    const QString folder = host.setFolder();
    const int highest = HighestBarcodeNumber(folder);
    if (highest >= MaxBarcodeNumber) {
        ShowMsg(Text("brakWolnychKodow"), true);
        return {};
    }
    TSavedSet result;
    result.code = MakeEan13(highest + 1);
    result.fileName = BarcodeSetPath(folder, result.code);
    if (QFileInfo::exists(result.fileName)) {
        ShowMsg(QStringLiteral("Taki kod kreskowy już istnieje"), true);
        return {};
    }

    TBarcodeSet set;
    set.configFileName = host.machineConfigPath();
    QStringList leftOut;
    // Opened first, a front profile brings its side along; the side first
    // would open as a front and ask for another side.
    std::vector<TSetProjectWindow> windows = host.projectWindows();
    std::stable_sort(
        windows.begin(), windows.end(),
        [](const TSetProjectWindow &a, const TSetProjectWindow &b) { return a.passNumber < b.passNumber; });
    for (const TSetProjectWindow &window : windows) {
        // The front, back and merged windows of one drawing open from it once.
        if (IsDrawing(window) && !set.projects.contains(window.fileName))
            set.projects << window.fileName;
        else if (!IsDrawing(window))
            leftOut << window.caption;
    }
    if (const ConfigFiles::FileResult written = WriteBarcodeSetFile(result.fileName, set, false);
        !written.ok) {
        ShowMsg(FileWriteFailedText(result.fileName, written.error), true);
        return {};
    }
    if (!leftOut.isEmpty())
        ShowMsg(Text("pominieteProjekty") + QLatin1Char('\n') + leftOut.join(QLatin1Char('\n')), false);
    result.saved = true;
    return result;
}

void KodyKreskoweZapisClick(IBarcodeSetHost &host,
                            const std::function<void(const QString &code)> &showBrowser)
{
    const TSavedSet saved = SaveBarcodeSet(host);
    if (!saved.saved)
        return;
    const QString question = QStringLiteral("Obecne ustawienia zapisano do pliku :\r\n") + saved.fileName
        + QStringLiteral("\r\n\r\nCzy chcesz uzupełnić etykietę kodu kreskowego?");
    if (ConfirmDlg(question, DlgButton::Ok | DlgButton::Cancel) == DlgButton::Ok && showBrowser)
        showBrowser(saved.code);
}

std::array<QString, 5> ConfigurationSummaryOf(const QByteArray &configText)
{
    // The settings the label names, and the unit each value is shown in.
    struct Entry
    {
        const char *setting;
        const char *captionKey;
        const char *unit;
    };
    static constexpr Entry entries[5] = {
        {"Mode", "Mode.caption", nullptr},
        {"szybkoscObrobki", "Labelspeed.caption", " [mm/min]"},
        {"work_power", "Labelpower.caption", " [A]"},
        {"CzasRozgrzewania", "Labelstarttime.caption", " [ms]"},
        {"Pauza_w_kacie", "Labelpauza.caption", " [ms]"},
    };
    std::array<QString, 5> values;
    for (const ConfigFiles::KonfigLine &parsed : ConfigFiles::ReadKonfigLines(configText)) {
        for (int i = 0; i < 5; ++i) {
            if (parsed.name == QLatin1String(entries[i].setting))
                values[i] = parsed.value; // the last line of a name counts, as on loading
        }
    }

    const QString configuration = QStringLiteral("Configuration");
    std::array<QString, 5> lines;
    for (int i = 0; i < 5; ++i) {
        QString value = values[i];
        QString caption
            = RemoveChar(u'&', GetText(configuration, QString::fromLatin1(entries[i].captionKey)));
        if (entries[i].unit == nullptr) {
            bool ok = false;
            const int mode = value.trimmed().toInt(&ok);
            const QStringList &keys = KonfigRules::ModeItemKeys();
            value = ok && mode >= 0 && mode < keys.size() ? GetText(configuration, keys[mode]) : QString();
        } else {
            // The dialog's captions of the millisecond fields carry their unit; here it follows
            // the value, and once is enough.
            const QLatin1String unit(entries[i].unit);
            if (caption.endsWith(unit))
                caption.chop(unit.size());
            value += unit;
        }
        lines[i] = caption + QStringLiteral(": ") + value;
    }
    return lines;
}

std::array<QString, 5> ConfigurationSummary(const QString &configFileName)
{
    QFile file(configFileName);
    if (configFileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return ConfigurationSummaryOf(file.readAll());
}
