#include "project/serialsave.h"

#include "app/filereplace.h"
#include "app/language.h"
#include "app/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

QString SerialPassName(int passNumber)
{
    return QStringLiteral("%1").arg(passNumber, 3, 10, QLatin1Char('0'));
}

namespace {

QString Text(const char *key)
{
    return GetText(QStringLiteral("Main_window"), QString::fromLatin1(key));
}

bool ConfirmOverwrite()
{
    const QString text = Text("msgZapisSeryjnego3D_plikiIstnieja_1") + QStringLiteral("\r\n\r\n")
        + Text("msgZapisSeryjnego3D_plikiIstnieja_2") + QStringLiteral("\r\n\r\n")
        + Text("msgZapisSeryjnego3D_plikiIstnieja_3") + QStringLiteral("\r\n")
        + Text("msgZapisSeryjnego3D_plikiIstnieja_4");
    return ConfirmDlg(text, DlgButton::Ok | DlgButton::Cancel) == DlgButton::Ok;
}

QString PassFileName(int passNumber)
{
    return SerialPassName(passNumber) + QStringLiteral(".dxf");
}

// A serial cut is saved whole or not at all: the passes are written into a
// hidden folder beside the chosen one, which also gets a link to every other
// file of the chosen folder, and the two folders then swap their names in one
// step. Killed at any moment, the chosen folder holds the old passes or the
// whole new set; at worst the hidden folder stays until the next save there.
class TStagedFolder
{
public:
    explicit TStagedFolder(const QString &folder)
        : m_folder(QDir::cleanPath(QDir(folder).absolutePath()))
    {
        const QFileInfo info(m_folder);
        // A link to a folder would be swapped for a folder of its own; the
        // root has no place beside it.
        if (info.isSymLink() || info.fileName().isEmpty())
            return;
        const QString staging
            = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".serial-save");
        // What a save killed earlier left there is no one's any more.
        QDir(staging).removeRecursively();
        if (QDir().mkdir(staging))
            m_staging = staging;
    }
    ~TStagedFolder()
    {
        if (!m_staging.isEmpty())
            QDir(m_staging).removeRecursively();
    }
    TStagedFolder(const TStagedFolder &) = delete;
    TStagedFolder &operator=(const TStagedFolder &) = delete;

    // Where the passes are written.
    QString writeFolder() const { return m_staging.isEmpty() ? m_folder : m_staging; }
    bool staged() const { return !m_staging.isEmpty(); }

    const QString &folder() const { return m_folder; }

    // Puts the written passes in place with the chosen folder's other files;
    // false when that cannot be done in one step (a subfolder, a file system
    // without links or without the swap), the chosen folder untouched.
    bool swapIn(const QStringList &passFiles)
    {
        const QFileInfoList entries = QDir(m_folder).entryInfoList(QDir::AllEntries | QDir::Hidden
                                                                   | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (passFiles.contains(entry.fileName()))
                continue;
            if ((entry.isDir() && !entry.isSymLink())
                || !LinkFile(entry.absoluteFilePath(), m_staging + QLatin1Char('/') + entry.fileName()))
                return false;
        }
        QFile::setPermissions(m_staging, QFileInfo(m_folder).permissions());
        if (!ExchangeFolders(m_staging, m_folder))
            return false;
        // The old passes are now in the hidden folder; the destructor removes it.
        return true;
    }

private:
    QString m_folder;
    QString m_staging;
};

// Writes every window's pass into the folder, in the given order; the first
// failure is shown, naming the file in the folder the operator chose, and
// ends it.
bool WritePasses(const QString &folder, const QString &chosenFolder,
                 const std::vector<const TSerialPassWindow *> &ordered)
{
    const QDir dir(folder);
    for (const TSerialPassWindow *window : ordered) {
        if (window->activate)
            window->activate();
        // A failed file must not pass for a saved serial cut.
        const TSaveResult saved = window->saveAsDxf(dir.filePath(PassFileName(window->passNumber)));
        if (!saved.ok) {
            ShowMsg(QString(saved.message).replace(folder, chosenFolder), true);
            return false;
        }
    }
    return true;
}

} // namespace

TSerialSaveResult SaveSerialPasses(const QString &folder, const std::vector<TSerialPassWindow> &windows)
{
    const QDir dir(folder);
    if (!dir.entryList({QStringLiteral("*.dxf")}, QDir::Files).isEmpty() && !ConfirmOverwrite())
        return TSerialSaveResult::Cancelled;
    // Pass order; windows of one pass keep their order.
    std::vector<const TSerialPassWindow *> ordered;
    QStringList passFiles;
    for (const TSerialPassWindow &window : windows) {
        if (window.passNumber >= 0 && window.passNumber <= 9999) {
            ordered.push_back(&window);
            passFiles << PassFileName(window.passNumber);
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto *a, const auto *b) { return a->passNumber < b->passNumber; });
    TStagedFolder staged(folder);
    if (!WritePasses(staged.writeFolder(), staged.folder(), ordered))
        return TSerialSaveResult::Failed;
    // Where the folder cannot be swapped the passes replace their files one
    // by one, as they always did.
    if (staged.staged() && !staged.swapIn(passFiles)
        && !WritePasses(staged.folder(), staged.folder(), ordered))
        return TSerialSaveResult::Failed;
    return TSerialSaveResult::Saved;
}

TSerialSaveResult SaveSerialCut(const QString &modelFileName, const QString &defaultFolder,
                                const TSelectFolder &selectFolder,
                                const std::vector<TSerialPassWindow> &windows)
{
    QString initialFolder = defaultFolder;
    QString proposedName;
    if (!modelFileName.isEmpty()) {
        const QFileInfo model(modelFileName);
        initialFolder = model.absolutePath();
        proposedName = model.completeBaseName();
    }
    QString folder;
    if (!selectFolder(Text("btnZapisPrzebiegowSeryjnych"), Text("msgWskazKatalog"), initialFolder,
                      proposedName, folder))
        return TSerialSaveResult::Cancelled;
    return SaveSerialPasses(folder, windows);
}
