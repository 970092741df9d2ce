#include "project/openfile.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int LastFileNumber = 9999;

QString Universal(const char *key)
{
    return GetText(QStringLiteral("Universal"), QString::fromLatin1(key));
}

QString MainWindowText(const char *key)
{
    return GetText(QStringLiteral("Main_window"), QString::fromLatin1(key));
}

} // namespace

int DrawingKindOf(const QString &fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toUpper();
    if (extension == QLatin1String("PLT"))
        return 1;
    if (extension == QLatin1String("DXF"))
        return 2;
    if (extension == QLatin1String("AI") || extension == QLatin1String("EPS"))
        return 3;
    return 0;
}

int LeadingFileNumber(const QString &fileName)
{
    int number = 0;
    int digits = 0;
    for (const QChar c : fileName) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        number = number * 10 + (c.unicode() - '0');
        ++digits;
        // Longer runs would overflow into a small number; they are no
        // pass number at all.
        if (number > LastFileNumber)
            return -1;
    }
    return digits > 0 ? number : -1;
}

std::map<int, QString> NumberedFiles(const QString &folder, const QString &extension)
{
    std::map<int, QString> files;
    // The mask "*" + extension, matched without regard to case as the
    // drawings' home system does.
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!name.endsWith(extension, Qt::CaseInsensitive))
            continue;
        const int number = LeadingFileNumber(name);
        if (number >= 0)
            files[number] = name;
    }
    return files;
}

QList<TFileFilter> OpenDialogFilters()
{
    return {
        {Universal("wszystkiePliki") + QStringLiteral(" (*.plt, *.dxf, *.ai, *.eps)"),
         {QStringLiteral("*.plt"), QStringLiteral("*.dxf"), QStringLiteral("*.ai"), QStringLiteral("*.eps")}},
        {Universal("plikPLT") + QStringLiteral(" (*.plt)"), {QStringLiteral("*.plt")}},
        {Universal("plikDXF2D") + QStringLiteral(" (*.dxf)"), {QStringLiteral("*.dxf")}},
        {Universal("plikEPS") + QStringLiteral(" (*.ai, *.eps)"),
         {QStringLiteral("*.ai"), QStringLiteral("*.eps")}},
    };
}

void TDrawingOpener::FileOpenItemClick()
{
    OpenFile(m_host.OpenFolder(), QString(), true);
}

void TDrawingOpener::OpenFile(const QString &initialFolder, const QString &fileName, bool rememberFolder)
{
    const int mode = m_host.CuttingMode();
    QString file = fileName;
    if (file.isEmpty()) {
        if (mode == 5 && m_host.ProjectCount() == 2)
            m_host.CloseAllClick();
        const char *title = "otworz";
        if (mode == 5)
            title = m_host.ProjectCount() == 1 ? "Q7OtworzBoczny" : "Q7OtworzPrzedni";
        // The dialog opens on the filter chosen last time, in any folder.
        int filter = m_host.OpenFilterIndex();
        file = m_host.AskForDrawing(initialFolder, MainWindowText(title), OpenDialogFilters(), filter);
        if (file.isEmpty())
            return;
        m_host.RememberOpenFilterIndex(filter);
    }
    const int kind = DrawingKindOf(file);
    // A file of no known kind cannot be read any better than a missing one.
    if (!QFileInfo(file).isFile() || kind == 0) {
        ShowMsg(Universal("zbioruNieMoznaOtworzyc") + file, true);
        return;
    }
    switch (mode) {
    case 2:
        OpenSerial(file, kind, rememberFolder);
        break;
    case 4:
        OpenIndependent(file, kind, rememberFolder);
        break;
    case 5:
        OpenPerpendicular(file, kind, rememberFolder);
        break;
    default:
        OpenOne(file, kind, rememberFolder);
        break;
    }
}

void TDrawingOpener::Remember(const QString &fileName, bool rememberFolder)
{
    if (rememberFolder)
        m_host.RememberOpenFolder(QFileInfo(fileName).absolutePath());
}

void TDrawingOpener::OpenOne(const QString &fileName, int kind, bool rememberFolder)
{
    m_host.OpenProject(fileName, kind, 0, 255);
    Remember(fileName, rememberFolder);
}

void TDrawingOpener::OpenIndependent(const QString &fileName, int kind, bool rememberFolder)
{
    m_host.CloseAllClick();
    // The front profile is drawn with pen 4, the back profile with pen 3.
    const TOpenedProject front = m_host.OpenProject(fileName, kind, 0, 4);
    if (front.window >= 0)
        m_host.SetCaption(front.window, fileName + QStringLiteral(" FRONT"));
    if (!front.loaded()) {
        ShowMsg(MainWindowText("VquzyjZielonyDlaFrontu"), false, fileName);
        m_host.CloseAllClick();
        return;
    }
    const TOpenedProject back = m_host.OpenProject(fileName, kind, 0, 3);
    if (back.window >= 0)
        m_host.SetCaption(back.window, fileName + QStringLiteral(" BACK"));
    if (!back.loaded()) {
        ShowMsg(MainWindowText("VquzyjCzerwonyDlaTylu"), false, fileName);
        m_host.CloseAllClick();
        return;
    }
    const int mix = m_host.CreateEmptyProject(fileName + QStringLiteral(" Mix"), fileName);
    m_host.BuildMixedProject(front.window, back.window, mix);
    Remember(fileName, rememberFolder);
}

void TDrawingOpener::OpenPerpendicular(const QString &fileName, int kind, bool rememberFolder)
{
    const bool side = m_host.ProjectCount() > 0;
    const TOpenedProject opened = m_host.OpenProject(fileName, kind, m_host.ProjectCount(), 255);
    if (opened.window >= 0)
        m_host.SetCaption(opened.window, fileName + QStringLiteral("   ") + m_host.ArmCaption(side));
    Remember(fileName, rememberFolder);
    if (m_host.ProjectCount() == 1 && !side) {
        m_frontWindow = opened.window;
        QString sideFile;
        if (SideFileName(fileName, sideFile)) {
            const TOpenedProject sideWindow = m_host.OpenProject(sideFile, DrawingKindOf(sideFile), 1, 255);
            if (sideWindow.window >= 0)
                m_host.SetCaption(sideWindow.window,
                                  sideFile + QStringLiteral("   ") + m_host.ArmCaption(true));
        }
    }
    if (m_host.ProjectCount() == 2) {
        m_host.ShowProject(m_frontWindow);
        m_host.TileWindows();
    } else if (m_host.ProjectCount() == 1) {
        // No side file beside the front: ask for the side profile.
        FileOpenItemClick();
    }
}

void TDrawingOpener::OpenSerial(const QString &fileName, int kind, bool rememberFolder)
{
    const QFileInfo info(fileName);
    const QString folder = info.absolutePath();
    const std::map<int, QString> files = NumberedFiles(folder, QStringLiteral(".") + info.suffix());
    if (files.empty()) {
        // Without a pass number in any name nothing would open, not even the
        // chosen drawing: say which mode asks for what, and keep the windows.
        ShowMsg(GetText(QStringLiteral("Configuration"), QStringLiteral("mode.Seryjne"))
                    + QStringLiteral(": ") + MainWindowText("seryjneBrakNumerowanychPlikow")
                    + QStringLiteral("\r\n") + QDir::toNativeSeparators(folder),
                true);
        return;
    }
    m_host.CloseAllClick();
    Remember(fileName, rememberFolder);
    m_lastFolder = folder;
    // Highest number first, so the window of the lowest number is created
    // last and stays active.
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        // The window's caption becomes the loaded file's name.
        m_host.OpenProject(QDir(m_lastFolder).filePath(it->second), kind, it->first, 255);
    }
    m_host.TileWindows();
}

namespace {

void OpenDocument(bool found, const QString &path, const char *missingKey, const TShellOpen &shellOpen)
{
    if (!found) {
        ShowMsg(MainWindowText(missingKey) + QStringLiteral("\r\n") + path, true);
        return;
    }
    if (!shellOpen(path))
        ShowMsg(MainWindowText("brakAcrobatReadera"), true);
}

} // namespace

void OpenManual(const DocumentPlace &place, const TShellOpen &shellOpen)
{
    QString path;
    const bool found = ManualPath(place, path);
    OpenDocument(found, path, "brakPlikuInstrukcji", shellOpen);
}

void OpenCatalogue(const DocumentPlace &place, const TShellOpen &shellOpen)
{
    QString path;
    const bool found = CataloguePath(place, path);
    OpenDocument(found, path, "brakPlikuKatalogu", shellOpen);
}

void OpenSamples(const DocumentPlace &place, TDrawingOpener &opener)
{
    QString folder;
    if (SamplesDir(place, folder))
        opener.OpenFile(folder, QString(), false);
    else
        ShowMsg(MainWindowText("SampleNotInstaled"), false);
}
