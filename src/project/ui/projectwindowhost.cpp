#include "project/ui/projectwindowhost.h"

#include "app/language.h"
#include "app/messages.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "job/ipcslave.h"
#include "job/mergeprofiles.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMdiArea>
#include <QUrl>

#include <utility>

void TCompanionProjectSize::WriteProjectSize(int width, int height)
{
    ::WriteProjectSize(width, height);
}

bool OpenWithDesktop(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

TProjectWindowHost::TProjectWindowHost(QMdiArea *area, TProjectWindowContext context, Hooks hooks)
    : m_area(area)
    , m_context(std::move(context))
    , m_hooks(std::move(hooks))
{ }

std::vector<TMDIChild *> TProjectWindowHost::windows() const
{
    std::vector<TMDIChild *> open;
    for (QMdiSubWindow *sub : m_area->subWindowList(QMdiArea::CreationOrder)) {
        auto *child = qobject_cast<TMDIChild *>(sub);
        if (child != nullptr && !child->closing())
            open.push_back(child);
    }
    return open;
}

TMDIChild *TProjectWindowHost::window(int handle) const
{
    if (handle < 0 || handle >= static_cast<int>(m_created.size()))
        return nullptr;
    TMDIChild *child = m_created[handle];
    return child != nullptr && !child->closing() ? child : nullptr;
}

int TProjectWindowHost::ProjectCount() const
{
    return static_cast<int>(windows().size());
}

void TProjectWindowHost::CloseAllClick()
{
    const std::vector<TMDIChild *> open = windows();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        (*it)->close();
}

int TProjectWindowHost::Add(TMDIChild *child)
{
    m_area->addSubWindow(child);
    child->show();
    m_created.emplace_back(child);
    return static_cast<int>(m_created.size()) - 1;
}

TOpenedProject TProjectWindowHost::OpenProject(const QString &fileName, int drawingKind, int passNumber,
                                               std::uint8_t penFilter)
{
    auto *child = new TMDIChild(m_context);
    child->document().ReaderKind = drawingKind;
    child->document().PassNumber = passNumber;
    const int handle = Add(child);
    child->Load(fileName, penFilter);
    if (child->closing())
        return {};
    return {handle, static_cast<int>(child->document().Figures.size())};
}

void TProjectWindowHost::SetCaption(int handle, const QString &caption)
{
    if (TMDIChild *child = window(handle))
        child->setWindowTitle(caption);
}

int TProjectWindowHost::CreateEmptyProject(const QString &caption, const QString &fileName)
{
    auto *child = new TMDIChild(m_context);
    child->setWindowTitle(caption);
    child->document().FileName = fileName.toStdString();
    return Add(child);
}

int TProjectWindowHost::CreateGeneratedProject(const QString &caption, int readerKind,
                                               TProjectDocument document, bool plan)
{
    auto *child = new TMDIChild(m_context);
    child->setWindowTitle(caption);
    document.ReaderKind = readerKind;
    const int handle = Add(child);
    child->Adopt(std::move(document), plan);
    return handle;
}

TProjectWindowHost::~TProjectWindowHost()
{
    for (const QMetaObject::Connection &connection : m_pendingMerges)
        QObject::disconnect(connection);
}

void TProjectWindowHost::BuildMixedProject(int front, int back, int mix)
{
    TMDIChild *frontWindow = window(front);
    TMDIChild *backWindow = window(back);
    if (!frontWindow || !backWindow || !window(mix))
        return;
    if (!frontWindow->planning() && !backWindow->planning()) {
        MergeWindows(front, back, mix);
        return;
    }
    // The profiles are merged along their planned paths, once both plans
    // have ended.
    auto connections = std::make_shared<std::vector<QMetaObject::Connection>>();
    auto whenPlanned = [this, front, back, mix, connections] {
        const TMDIChild *f = window(front);
        const TMDIChild *b = window(back);
        if ((f && f->planning()) || (b && b->planning()))
            return;
        for (const QMetaObject::Connection &connection : *connections)
            QObject::disconnect(connection);
        MergeWindows(front, back, mix);
    };
    for (TMDIChild *profile : {frontWindow, backWindow}) {
        connections->push_back(QObject::connect(profile, &TMDIChild::planFinished, profile, whenPlanned));
        m_pendingMerges.push_back(connections->back());
    }
}

void TProjectWindowHost::MergeWindows(int front, int back, int mix)
{
    // A window whose plan failed has said why and closed itself.
    TMDIChild *frontWindow = window(front);
    TMDIChild *backWindow = window(back);
    TMDIChild *mixWindow = window(mix);
    if (!frontWindow || !backWindow || !mixWindow)
        return;
    TProjectDocument &merged = mixWindow->document();
    const QString caption = QString::fromStdString(merged.FileName);
    if (!frontWindow->document().Planned || !backWindow->document().Planned) {
        ShowMsg(GetText(QStringLiteral("Main_window"), QStringLiteral("projektNiezaplanowany")), false,
                caption);
        return;
    }
    const job::MergeOutcome outcome
        = job::MergeProfiles(frontWindow->document(), backWindow->document(), frontWindow->PaintSettings());
    if (!outcome.merged) {
        // The drawing's name says which file to correct.
        ShowMsg(GetText(QStringLiteral("Main_window"), QString::fromStdString(outcome.refusalKey)), false,
                caption);
        return;
    }
    merged.setSettings(frontWindow->document().settings());
    merged.ReaderKind = frontWindow->document().ReaderKind;
    job::PlaceMergedProfiles(merged, *outcome.merged);
    mixWindow->repaintProject();
    frontWindow->close();
    backWindow->close();
}

void TProjectWindowHost::ShowProject(int handle)
{
    if (TMDIChild *child = window(handle)) {
        child->show();
        m_area->setActiveSubWindow(child);
    }
}

void TProjectWindowHost::TileWindows()
{
    m_area->tileSubWindows();
}

namespace {

// Qt's filter list; the dialog reads its patterns from the last parentheses,
// and "*.*" stands for every file, also those without an extension.
QString QtFilters(const QList<TFileFilter> &filters)
{
    QStringList qtFilters;
    for (const TFileFilter &filter : filters) {
        QString description = filter.description;
        if (const int open = description.lastIndexOf(QStringLiteral(" (")); open > 0)
            description.truncate(open);
        QStringList patterns = filter.patterns;
        for (QString &pattern : patterns) {
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        qtFilters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return qtFilters.join(QStringLiteral(";;"));
}

} // namespace

QString TProjectWindowHost::AskForDrawing(const QString &folder, const QString &title,
                                          const QList<TFileFilter> &filters, int &filterIndex)
{
    if (m_hooks.askForDrawing)
        return m_hooks.askForDrawing(folder, title, filters, filterIndex);
    const QString joined = QtFilters(filters);
    const QStringList qtFilters = joined.split(QStringLiteral(";;"));
    QString selected = qtFilters.value(filterIndex - 1, qtFilters.value(0));
    const QString file = QFileDialog::getOpenFileName(m_area, title, folder, joined, &selected);
    if (!file.isEmpty() && qtFilters.contains(selected))
        filterIndex = static_cast<int>(qtFilters.indexOf(selected)) + 1;
    return file;
}

QString TProjectWindowHost::AskForSaveName(const TSaveDialogRequest &request)
{
    if (m_hooks.askForSaveName)
        return m_hooks.askForSaveName(request);
    QFileDialog dialog(m_area, request.title, request.folder, QtFilters(request.filters));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

TMDIChild *TProjectWindowHost::activeWindow() const
{
    auto *child = qobject_cast<TMDIChild *>(m_area->currentSubWindow());
    return child != nullptr && !child->closing() ? child : nullptr;
}

void TProjectWindowHost::FileSaveAsHPGLClick()
{
    ExportActive(HpglSaveDialog, &TMDIChild::SaveAsHPGL);
}

void TProjectWindowHost::FileSaveAsDXFClick()
{
    ExportActive(DxfSaveDialog, &TMDIChild::SaveAsDXF);
}

TSerialSaveResult TProjectWindowHost::SaveSerialClick(const QString &modelFileName,
                                                      const TSelectFolder &selectFolder)
{
    std::vector<TSerialPassWindow> passes;
    for (TMDIChild *child : windows()) {
        passes.push_back({child->passNumber(),
                          [this, child] {
                              child->show();
                              child->raise();
                              m_area->setActiveSubWindow(child);
                          },
                          [child](const QString &fileName) { return child->SaveAsDXF(fileName); }});
    }
    return SaveSerialCut(modelFileName, ProgramFolders::current().programDir(), selectFolder, passes);
}

void TProjectWindowHost::ExportActive(TSaveDialogRequest (*dialog)(const QString &),
                                      TSaveResult (TMDIChild::*save)(const QString &) const)
{
    TMDIChild *child = activeWindow();
    if (child == nullptr || child->document().Figures.empty())
        return;
    const QString name = AskForSaveName(dialog(QString::fromStdString(child->document().FileName)));
    if (name.isEmpty())
        return;
    if (const TSaveResult saved = (child->*save)(name); !saved.ok)
        ShowMsg(saved.message, true);
}

QString TProjectWindowHost::OpenFolder() const
{
    return m_hooks.openFolder ? m_hooks.openFolder() : m_openFolder;
}

void TProjectWindowHost::RememberOpenFolder(const QString &folder)
{
    if (m_hooks.rememberOpenFolder)
        m_hooks.rememberOpenFolder(folder);
    else
        m_openFolder = folder;
}

int TProjectWindowHost::OpenFilterIndex() const
{
    return m_hooks.openFilterIndex ? m_hooks.openFilterIndex() : m_openFilterIndex;
}

void TProjectWindowHost::RememberOpenFilterIndex(int filterIndex)
{
    if (m_hooks.rememberOpenFilterIndex)
        m_hooks.rememberOpenFilterIndex(filterIndex);
    else
        m_openFilterIndex = filterIndex;
}

QString TProjectWindowHost::ArmCaption(bool side) const
{
    if (m_hooks.armCaption)
        return m_hooks.armCaption(side);
    // The control panel's arm check boxes as a perpendicular-cutting machine
    // captions them.
    return side ? GetText(QStringLiteral("Control"), QStringLiteral("Q7KeyBack.caption"))
                : GetText(QStringLiteral("Control"), QStringLiteral("KeyFront.caption"));
}

int TProjectWindowHost::CuttingMode() const
{
    return m_hooks.cuttingMode ? m_hooks.cuttingMode() : Settings::current().Mode;
}
