#include "job/documentadapter.h"

#include "project/projectdocument.h"

#include <utility>

namespace job {

DocumentJobProject::DocumentJobProject(TProjectDocument &document, Writer writer,
                                       DirectionSetter setDirection, CaptionReader caption)
    : m_document(document)
    , m_writer(std::move(writer))
    , m_setDirection(std::move(setDirection))
    , m_caption(std::move(caption))
{
}

bool DocumentJobProject::validFigure(int figure) const
{
    return figure >= 0 && figure < static_cast<int>(m_document.Figures.size());
}

QString DocumentJobProject::caption() const
{
    return m_caption ? m_caption() : QString::fromStdString(m_document.FileName);
}
int DocumentJobProject::passNumber() const { return m_document.PassNumber; }
double DocumentJobProject::passAngle() const { return m_document.PassAngle; }
void DocumentJobProject::setPassAngle(double degrees) { m_document.PassAngle = degrees; }
std::int32_t DocumentJobProject::projectWidth() const { return m_document.ProjectWidth; }
std::int32_t DocumentJobProject::projectHeight() const { return m_document.ProjectHeight; }
std::int32_t DocumentJobProject::crossWidth() const { return m_document.CrossWidth; }
std::int32_t DocumentJobProject::crossHeight() const { return m_document.CrossHeight; }
JobPoint DocumentJobProject::minCorner() const { return {m_document.PP.x, m_document.PP.y}; }
JobPoint DocumentJobProject::maxCorner() const { return {m_document.PK.x, m_document.PK.y}; }
JobPoint DocumentJobProject::crossMax() const { return {m_document.CrossCorner().x, m_document.CrossCorner().y}; }
bool DocumentJobProject::tooLarge() const { return m_document.projektZaDuzy(); }

bool DocumentJobProject::planComplete() const
{
    // Every planner marks what it planned: a rotary or turning project that
    // was never planned still holds its axis line as a profile.
    return m_document.Planned;
}

int DocumentJobProject::serialFeedSign() const { return m_document.SerialFeedSign; }
void DocumentJobProject::setSerialFeedSign(int sign) { m_document.SerialFeedSign = static_cast<std::int8_t>(sign < 0 ? -1 : 1); }
void DocumentJobProject::setCutFrame(bool cut) { m_document.CutFrame = cut; }
bool DocumentJobProject::axisHorizontal() const { return m_document.AxisHorizontal; }

bool DocumentJobProject::cutFromBelow() const
{
    // The planner put the spindle axis line at y 0: the profiles lie wholly
    // under it.
    return m_document.PP.y < 0 && m_document.PK.y <= 0;
}

double DocumentJobProject::firstEntryIntoMaterial() const { return m_document.DajPoz1szegoWjazduWmat(); }
int DocumentJobProject::figureCount() const { return static_cast<int>(m_document.Figures.size()); }
int DocumentJobProject::rootFigure() const { return m_document.RootFigure; }

std::vector<JobPoint> DocumentJobProject::figurePoints(int figure) const
{
    std::vector<JobPoint> points;
    if (!validFigure(figure))
        return points;
    for (const TPlotPoint &p : m_document.Figures[static_cast<std::size_t>(figure)].points)
        points.push_back({p.x, p.y});
    return points;
}

JobPoint DocumentJobProject::referenceCorner(int figure) const
{
    if (!validFigure(figure))
        return {};
    const TPlotPoint &corner = m_document.Figures[static_cast<std::size_t>(figure)].projectCorner;
    return {corner.x, corner.y};
}

void DocumentJobProject::setSecondPoints(int figure, const std::vector<JobPoint> &points)
{
    if (!validFigure(figure))
        return;
    std::vector<TPlotPoint> &second = m_document.Figures[static_cast<std::size_t>(figure)].secondPoints;
    second.clear();
    second.reserve(points.size());
    for (const JobPoint &p : points)
        second.push_back({p.x, p.y});
}

int DocumentJobProject::entryVertex(int figure) const
{
    return validFigure(figure) ? m_document.Figures[static_cast<std::size_t>(figure)].entryVertex : 0;
}

void DocumentJobProject::setEntryVertex(int figure, int vertex)
{
    if (validFigure(figure))
        m_document.Figures[static_cast<std::size_t>(figure)].entryVertex = vertex;
}

double DocumentJobProject::pointTolerance() const { return m_document.settings().tolerance; }
void DocumentJobProject::setSingleOpenFigure(bool single) { m_document.SingleOpenFigure = single; }

StartMargins DocumentJobProject::startMargins() const
{
    return {m_document.StartToLeft, m_document.StartToRight, m_document.StartToTop, m_document.StartToBottom};
}

void DocumentJobProject::setStartMargins(const StartMargins &margins)
{
    m_document.StartToLeft = margins.left;
    m_document.StartToRight = margins.right;
    m_document.StartToTop = margins.top;
    m_document.StartToBottom = margins.bottom;
}

void DocumentJobProject::setDirection(int direction)
{
    if (m_setDirection)
        m_setDirection(m_document, direction);
}

JobWriteResult DocumentJobProject::writeJob(const JobWriteRequest &request)
{
    if (!m_writer)
        return {false, {}, {}, {}};
    return m_writer(m_document, request);
}

} // namespace job
