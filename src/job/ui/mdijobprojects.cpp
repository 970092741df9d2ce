#include "job/ui/mdijobprojects.h"

#include "project/ui/mdichild.h"

#include <QMdiArea>

#include <algorithm>

namespace job {

MdiJobProjects::MdiJobProjects(QMdiArea &area, DocumentJobProject::Writer writer,
                               DocumentJobProject::DirectionSetter setDirection)
    : m_area(area)
    , m_writer(std::move(writer))
    , m_setDirection(std::move(setDirection))
{
}

JobProject *MdiJobProjects::wrap(TMDIChild *child) const
{
    if (!child || child->closing())
        return nullptr;
    auto found = m_projects.find(child);
    if (found == m_projects.end()) {
        // A generated window holds no drawing: its caption names it.
        auto caption = [child] { return child->windowTitle(); };
        found = m_projects
                    .emplace(child,
                             std::make_unique<DocumentJobProject>(child->document(), m_writer, m_setDirection,
                                                                  caption))
                    .first;
        // A closed window's view goes with it.
        connect(child, &QObject::destroyed, this, [this, child] { m_projects.erase(child); });
    }
    return found->second.get();
}

std::vector<JobProject *> MdiJobProjects::windows() const
{
    std::vector<JobProject *> list;
    JobProject *current = active();
    if (current)
        list.push_back(current);
    QList<QMdiSubWindow *> stack = m_area.subWindowList(QMdiArea::StackingOrder);
    std::reverse(stack.begin(), stack.end());
    for (QMdiSubWindow *sub : stack) {
        JobProject *project = wrap(qobject_cast<TMDIChild *>(sub));
        if (project && project != current)
            list.push_back(project);
    }
    return list;
}

JobProject *MdiJobProjects::active() const
{
    return wrap(qobject_cast<TMDIChild *>(m_area.currentSubWindow()));
}

void MdiJobProjects::activate(JobProject *window)
{
    for (const auto &[child, project] : m_projects) {
        if (project.get() == window) {
            m_area.setActiveSubWindow(child);
            child->repaintProject();
            return;
        }
    }
}

} // namespace job
