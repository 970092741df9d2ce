#pragma once

#include "job/documentadapter.h"

#include <QObject>

#include <map>
#include <memory>

class QMdiArea;
class TMDIChild;

namespace job {

// The project windows of the main window's MDI area as job control sees
// them: topmost first, like the MDI list, the active one at the front.
class MdiJobProjects : public QObject, public JobProjects
{
    Q_OBJECT
public:
    MdiJobProjects(QMdiArea &area, DocumentJobProject::Writer writer, DocumentJobProject::DirectionSetter setDirection);

    std::vector<JobProject *> windows() const override;
    JobProject *active() const override;
    void activate(JobProject *window) override;

private:
    JobProject *wrap(TMDIChild *child) const;

    QMdiArea &m_area;
    DocumentJobProject::Writer m_writer;
    DocumentJobProject::DirectionSetter m_setDirection;
    mutable std::map<TMDIChild *, std::unique_ptr<DocumentJobProject>> m_projects;
};

} // namespace job
