#include "project/serialsave.h"

#include "app/language.h"
#include "app/messages.h"

#include <QDir>
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

} // namespace

TSerialSaveResult SaveSerialPasses(const QString &folder, const std::vector<TSerialPassWindow> &windows)
{
    const QDir dir(folder);
    if (!dir.entryList({QStringLiteral("*.dxf")}, QDir::Files).isEmpty() && !ConfirmOverwrite())
        return TSerialSaveResult::Cancelled;
    // Pass order; windows of one pass keep their order.
    std::vector<const TSerialPassWindow *> ordered;
    for (const TSerialPassWindow &window : windows) {
        if (window.passNumber >= 0 && window.passNumber <= 9999)
            ordered.push_back(&window);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto *a, const auto *b) { return a->passNumber < b->passNumber; });
    for (const TSerialPassWindow *window : ordered) {
        if (window->activate)
            window->activate();
        // A failed file must not pass for a saved serial cut.
        const TSaveResult saved
            = window->saveAsDxf(dir.filePath(SerialPassName(window->passNumber) + QStringLiteral(".dxf")));
        if (!saved.ok) {
            ShowMsg(saved.message, true);
            return TSerialSaveResult::Failed;
        }
    }
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
