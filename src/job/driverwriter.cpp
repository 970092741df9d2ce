#include "job/driverwriter.h"

#include "project/jobdrivers.h"
#include "project/projectdocument.h"

#include <utility>

namespace job {
namespace {

JobWriteResult write(TProjectDocument &document, const JobWriteRequest &request, JobContext context)
{
    const StartState &start = request.start;
    context.start.jobType = request.jobType;
    context.start.StartEdgeX = start.startEdgeX;
    context.start.StartEdgeY = start.startEdgeY;
    context.start.ZderzakX = start.stopX;
    context.start.ZderzakY = start.stopY;
    context.start.FrontStartX = start.frontStartX;
    context.start.FrontStartY = start.frontStartY;
    context.start.firstEntryMm = document.DajPoz1szegoWjazduWmat();
    context.start.PassNumber = document.PassNumber;
    context.start.windowCount = request.windowCount;
    context.start.ProjectWidth = document.ProjectWidth;
    context.PassStartPosition = start.passStartPosition;
    // The turning passes start from the approach point, measured from the
    // rotation axis as the project's coordinates are.
    const Settings &s = context.settings;
    context.startHeight = request.driver == JobDriver::TurningTable
        ? s.Xstolika - start.startApproachX - s.Xnarzedzia
        : start.startApproachY - s.Ywrzeciona + s.Ynarzedzia;

    const int last = static_cast<int>(document.Figures.size()) - 1;
    JobWriteStatus status;
    switch (request.driver) {
    case JobDriver::Flat:
        status = save_ciecie(document, context, request.fileName, 0, last, request.turns);
        break;
    case JobDriver::Rotary:
        status = Save_ciecie_obrotowe(document, context, request.fileName, 0, last);
        break;
    case JobDriver::SerialSpindle:
        status = save_ciecie_seryjne_wrzeciono(document, context, request.fileName, 0, last, request.turns,
                                               request.direction);
        break;
    case JobDriver::TurningSpindle:
        status = Save_toczenie_wrzeciono(document, context, request.fileName, 0, last);
        break;
    case JobDriver::TurningTable:
        status = Save_toczenie_stolik(document, context, request.fileName, 0, last);
        break;
    }
    JobWriteResult result{status.ok, QString::fromLatin1(status.section), QString::fromLatin1(status.key), {}};
    if (request.driver == JobDriver::SerialSpindle)
        result.passStartPosition = context.PassStartPosition;
    return result;
}

} // namespace

DocumentJobProject::Writer driverWriter(std::function<JobContext()> base)
{
    return [base = std::move(base)](TProjectDocument &document, const JobWriteRequest &request) {
        return write(document, request, base ? base() : JobContext{});
    };
}

} // namespace job

namespace job {

MachineLiveEffects::MachineLiveEffects(JobMachine &machine, std::function<void()> showPanel)
    : m_machine(machine)
    , m_showPanel(std::move(showPanel))
{
}

void MachineLiveEffects::sendArmSelection(std::int32_t value)
{
    QByteArray command("S");
    command.append(char(4));
    for (int shift = 0; shift < 32; shift += 8)
        command.append(char((static_cast<std::uint32_t>(value) >> shift) & 0xFF));
    m_machine.sendCommand(command);
}

void MachineLiveEffects::queryStatus()
{
    m_machine.readStatus();
}

void MachineLiveEffects::showManualPanel()
{
    if (m_showPanel)
        m_showPanel();
}

} // namespace job
