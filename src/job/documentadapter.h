#pragma once

#include "job/jobinterfaces.h"

#include <functional>

class TProjectDocument;

namespace job {

// Job control's view of one project document. Writing the job and setting
// the cutting direction are operations of other parts of the program, handed
// in as functions.
class DocumentJobProject : public JobProject
{
public:
    using Writer = std::function<JobWriteResult(TProjectDocument &, const JobWriteRequest &)>;
    using DirectionSetter = std::function<void(TProjectDocument &, int)>;
    using CaptionReader = std::function<QString()>;

    // Without a caption reader the caption is the drawing's path.
    DocumentJobProject(TProjectDocument &document, Writer writer, DirectionSetter setDirection,
                       CaptionReader caption = nullptr);

    TProjectDocument &document() { return m_document; }

    QString caption() const override;
    int passNumber() const override;
    double passAngle() const override;
    void setPassAngle(double degrees) override;
    std::int32_t projectWidth() const override;
    std::int32_t projectHeight() const override;
    std::int32_t crossWidth() const override;
    std::int32_t crossHeight() const override;
    JobPoint minCorner() const override;
    JobPoint maxCorner() const override;
    JobPoint crossMax() const override;
    bool tooLarge() const override;
    bool planComplete() const override;
    int serialFeedSign() const override;
    void setSerialFeedSign(int sign) override;
    void setCutFrame(bool cut) override;
    bool axisHorizontal() const override;
    bool cutFromBelow() const override;
    double firstEntryIntoMaterial() const override;
    int figureCount() const override;
    int rootFigure() const override;
    std::vector<JobPoint> figurePoints(int figure) const override;
    JobPoint referenceCorner(int figure) const override;
    void setSecondPoints(int figure, const std::vector<JobPoint> &points) override;
    int entryVertex(int figure) const override;
    void setEntryVertex(int figure, int vertex) override;
    double pointTolerance() const override;
    void setSingleOpenFigure(bool single) override;
    StartMargins startMargins() const override;
    void setStartMargins(const StartMargins &margins) override;
    void setDirection(int direction) override;
    JobWriteResult writeJob(const JobWriteRequest &request) override;

private:
    bool validFigure(int figure) const;

    TProjectDocument &m_document;
    Writer m_writer;
    DirectionSetter m_setDirection;
    CaptionReader m_caption;
};

} // namespace job
