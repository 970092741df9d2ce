#include "job/ui/barcodehost.h"

#include "app/programfolders.h"
#include "project/openfile.h"
#include "project/ui/projectwindowhost.h"

#include <QMdiArea>

#include <algorithm>
#include <utility>

TProgramBarcodeHost::TProgramBarcodeHost(QMdiArea &area, TProjectWindowHost &projects, TDrawingOpener &opener,
                                         QString setFolder, Hooks hooks)
    : m_area(area)
    , m_projects(projects)
    , m_opener(opener)
    , m_setFolder(std::move(setFolder))
    , m_hooks(std::move(hooks))
{ }

bool TProgramBarcodeHost::loadKonfig(const QString &path)
{
    return m_hooks.loadKonfig && m_hooks.loadKonfig(path);
}

QString TProgramBarcodeHost::machineConfigPath() const
{
    return m_hooks.machineConfigPath ? m_hooks.machineConfigPath() : QString();
}

void TProgramBarcodeHost::openProject(const QString &fileName)
{
    m_opener.OpenFile(ProgramFolders::current().programDir(), fileName, false);
}

int TProgramBarcodeHost::projectCount() const
{
    return m_projects.ProjectCount();
}

void TProgramBarcodeHost::closeAllProjects()
{
    m_projects.CloseAllClick();
}

void TProgramBarcodeHost::tileWindows()
{
    m_projects.TileWindows();
}

std::vector<TSetProjectWindow> TProgramBarcodeHost::projectWindows() const
{
    // Top of the stack first, which is the active window.
    const std::vector<TMDIChild *> open = m_projects.windows();
    QList<QMdiSubWindow *> stacked = m_area.subWindowList(QMdiArea::StackingOrder);
    std::reverse(stacked.begin(), stacked.end());
    if (QMdiSubWindow *active = m_area.currentSubWindow(); stacked.removeOne(active))
        stacked.prepend(active);
    std::vector<TSetProjectWindow> windows;
    for (QMdiSubWindow *sub : stacked) {
        const auto found = std::find(open.begin(), open.end(), sub);
        if (found == open.end())
            continue;
        const TMDIChild *child = *found;
        windows.push_back({child->windowTitle(), QString::fromStdString(child->document().FileName),
                           child->document().PassNumber});
    }
    return windows;
}
