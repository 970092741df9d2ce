#include "project/jobdrivers.h"

#include "app/machinefamily.h"
#include "drawing/geometry.h"
#include "drawing/jobbytes.h"
#include "project/projectdocument.h"
#include "project/treewalker.h"

#include <algorithm>
#include <cmath>

namespace {

bool isChecked(CheckState state)
{
    return state == CheckState::Checked;
}

// Writes what the walk of the cutting tree asks for: moves relative to the
// project's corner, scaled, and pauses.
class WriterSink : public CuttingTreeSink
{
public:
    WriterSink(TProjectDocument &project, const JobContext &context, TJobWriter &writer)
        : m_project(project)
        , m_context(context)
        , m_writer(writer)
    { }

    void start(std::int32_t, std::int32_t, TPlotPoint p) override
    {
        // The job origin is the root's entry point, in controller steps.
        const Settings &s = m_context.settings;
        const long double x
            = (static_cast<long double>(p.x) - m_project.PP.x) * s.skala / 100.0L * m_context.machine.resX;
        const long double y
            = (static_cast<long double>(p.y) - m_project.PP.y) * s.skala / 100.0L * m_context.machine.resY;
        m_writer.SetPosition(RoundToInt32(x), RoundToInt32(y), 0);
    }

    void moveTo(const TreeStep &step) override
    {
        const TPlotPoint pp = m_project.PP;
        auto rel = [](std::int32_t v, std::int32_t origin) {
            return ClampToInt32(static_cast<std::int64_t>(v) - origin);
        };
        if (step.paired) {
            m_writer.MoveWireEndsScaled(rel(step.front.x, pp.x), rel(step.back.x, pp.x),
                                        rel(step.front.y, pp.y), rel(step.back.y, pp.y));
        } else {
            m_writer.MoveArmsScaled(rel(step.front.x, pp.x), rel(step.front.y, pp.y), m_writer.FrontArm,
                                    m_writer.BackArm);
        }
    }

    void pause() override { m_writer.WritePause(RoundToInt64(m_context.settings.Pauza_w_kacie)); }

    bool stopRequested() override { return m_project.AbortWalk || m_writer.failed(); }

private:
    TProjectDocument &m_project;
    const JobContext &m_context;
    TJobWriter &m_writer;
};

// The frame every driver shares: status text, writer, opening; the walk;
// closing and the outcome.
template<typename Walk>
JobWriteStatus runDriver(TProjectDocument &project, JobContext &context, const QString &fileName,
                         bool showStatus, Walk &&walk)
{
    JobStartState start = context.start;
    start.firstEntryMm = project.DajPoz1szegoWjazduWmat();
    start.PassNumber = project.PassNumber;
    start.ProjectWidth = project.ProjectWidth;
    if (showStatus && context.effects)
        context.effects->showStatus(QStringLiteral("Write file ") + fileName);

    TJobWriter writer(context.settings, context.machine, start, context.effects, context.carry);
    std::unique_ptr<JobOutput> output
        = context.output ? context.output() : std::make_unique<SaveFileJobOutput>(fileName);
    if (writer.BeginJob(std::move(output)))
        walk(writer);
    if (context.effects)
        context.effects->showStatus(QString());
    return writer.EndJob();
}

// Figure indexes first .. last that exist.
std::pair<int, int> figureRange(const TProjectDocument &project, int first, int last)
{
    const int count = static_cast<int>(project.Figures.size());
    return {std::max(first, 0), std::min(last, count - 1)};
}

void reverseFigure(tfigura &figure)
{
    std::reverse(figure.points.begin(), figure.points.end());
    if (!figure.vertexInfo.empty())
        std::reverse(figure.vertexInfo.begin(), figure.vertexInfo.end());
}

// The passes of rotary cutting and turning: each figure in one or more
// passes, forwards, backwards or alternating as the feed direction asks.
class RotaryPasses
{
public:
    RotaryPasses(const Settings &settings, TJobWriter &writer, bool holds)
        : m_s(settings)
        , m_writer(writer)
        , m_holds(holds)
    { }

    void run(TProjectDocument &project, int first, int last, TPlotPoint current)
    {
        m_current = current;
        m_fraction = 0.0;
        const auto [from, to] = figureRange(project, first, last);
        for (int i = from; i <= to; ++i) {
            tfigura &figure = project.Figures[i];
            if (!figure.cut)
                continue;
            if (m_s.ilosckrokow <= 1.0)
                onePass(figure);
            else
                severalPasses(figure);
        }
    }

private:
    int sign() const { return m_s.KierunekObrotow == 1 ? -1 : 1; }

    void write(tfigura &figure, double passAngle, int direction)
    {
        m_writer.WriteFigure(figure, passAngle, m_fraction, direction);
    }

    // The figure runs backwards for this pass; with dopasujKierunek the
    // turning sense follows the reversed direction.
    void writeReversed(tfigura &figure, double passAngle)
    {
        reverseFigure(figure);
        write(figure, passAngle, isChecked(m_s.dopasujKierunek) ? -sign() : sign());
        reverseFigure(figure);
    }

    void onePass(tfigura &figure)
    {
        if (m_s.CatDir == 1) {
            writeReversed(figure, 1.0);
        } else if (m_s.CatDir == 2 && !figure.points.empty()) {
            const TPlotPoint firstPoint = figure.points.front();
            const TPlotPoint lastPoint = figure.points.back();
            if (PointDistance(lastPoint, m_current) >= PointDistance(firstPoint, m_current)) {
                write(figure, 1.0, sign());
                m_current = lastPoint;
            } else {
                writeReversed(figure, 1.0);
                m_current = firstPoint;
            }
        } else {
            write(figure, 1.0, sign());
        }
    }

    void severalPasses(tfigura &figure)
    {
        bool forward = m_s.CatDir != 1;
        const std::int64_t steps = RoundToInt64(m_s.ilosckrokow);
        for (std::int64_t s = 1; s <= steps; ++s) {
            const double start = static_cast<double>(s - 1) / static_cast<double>(steps);
            if (m_s.CatDir == 1) {
                m_fraction = start;
                writeReversed(figure, m_fraction);
            } else if (m_s.CatDir == 2 && !forward) {
                m_fraction = m_fraction + 1.0 / static_cast<double>(steps);
                writeReversed(figure, m_fraction);
            } else {
                m_fraction = start;
                write(figure, m_fraction, sign());
            }
            forward = m_s.CatDir == 0 ? true : m_s.CatDir == 1 ? false : !forward;
            if (m_holds && s < steps)
                m_writer.WriteHoldCommands();
        }
    }

    const Settings &m_s;
    TJobWriter &m_writer;
    bool m_holds;
    TPlotPoint m_current;
    double m_fraction = 0.0;
};

} // namespace

void WriteFlatJob(TProjectDocument &project, const JobContext &context, TJobWriter &writer,
                  double endRotation)
{
    project.AbortWalk = false;
    TreeWalkOptions options;
    options.root = project.RootFigure;
    options.pairedProfiles = project.PairedProfiles;
    options.singleOpenFigure = project.SingleOpenFigure;
    options.cutFrame = project.CutFrame;
    options.mode = context.settings.Mode;

    const auto count = static_cast<std::int32_t>(project.Figures.size());
    // The merged window of paired profiles is built, not planned: its walk
    // starts at the first of the two figures.
    if (options.pairedProfiles && (options.root < 0 || options.root >= count) && count >= 2)
        options.root = 0;
    if (options.root < 0 || options.root >= count
        || WalkedPoints(project.Figures[options.root], options.pairedProfiles).empty()) {
        // No cutting tree to follow: a job without its cut must not reach the machine.
        writer.fail("Main_window", "projektNiezaplanowany");
        return;
    }
    WriterSink sink(project, context, writer);
    WalkCuttingTree(project.Figures, options, sink);
    if (context.settings.StolikSwitch == 1)
        writer.RotateTo(endRotation, 0.0);
    else
        writer.RotateTo(0.0, endRotation);
}

JobWriteStatus save_ciecie(TProjectDocument &project, JobContext &context, const QString &fileName, int, int,
                           double endRotation)
{
    const bool front = context.start.KeyFront;
    const bool back = context.start.KeyBack;
    if (IsFamily(context.machine.familyCode, QLatin1String("Q7")) && context.effects) {
        if (front)
            context.effects->sendArmSelection(0);
        if (back)
            context.effects->sendArmSelection(5);
    }
    return runDriver(project, context, fileName, false, [&](TJobWriter &writer) {
        writer.FrontArm = front;
        writer.BackArm = back;
        if (isChecked(context.settings.cbKrzyzToPunkt)) {
            // Cross-to-point: one plunge per cross point, in project order.
            for (const tfigura &figure : project.Figures) {
                if (figure.crossPoint)
                    writer.WriteCrossPoint(figure, project.PP, context.settings.feuGlebokoscNaPrzestawczej,
                                           context.settings.feuGlebokoscNaRoboczej);
            }
        } else {
            WriteFlatJob(project, context, writer, endRotation);
        }
    });
}

JobWriteStatus Save_ciecie_obrotowe(TProjectDocument &project, JobContext &context, const QString &fileName,
                                    int first, int last)
{
    return runDriver(project, context, fileName, true, [&](TJobWriter &writer) {
        RotaryPasses passes(context.settings, writer, isChecked(context.settings.Wstrzymaj));
        passes.run(project, first, last, TPlotPoint {0, 0});
        writer.WriteRotaryExit();
    });
}

JobWriteStatus Save_toczenie_wrzeciono(TProjectDocument &project, JobContext &context,
                                       const QString &fileName, int first, int last)
{
    return runDriver(project, context, fileName, true, [&](TJobWriter &writer) {
        RotaryPasses passes(context.settings, writer, false);
        passes.run(project, first, last, TPlotPoint {0, MmToUnits(context.startHeight)});
    });
}

JobWriteStatus Save_toczenie_stolik(TProjectDocument &project, JobContext &context, const QString &fileName,
                                    int first, int last)
{
    return runDriver(project, context, fileName, true, [&](TJobWriter &writer) {
        RotaryPasses passes(context.settings, writer, false);
        passes.run(project, first, last, TPlotPoint {MmToUnits(context.startHeight), 0});
    });
}

JobWriteStatus save_ciecie_seryjne_wrzeciono(TProjectDocument &project, JobContext &context,
                                             const QString &fileName, int first, int last, double endRotation,
                                             int feedSign)
{
    return runDriver(project, context, fileName, true, [&](TJobWriter &writer) {
        // The pass starts where the previous one left the wire. The start
        // position is kept in 0.01 mm; the writer counts controller steps.
        const JobMachineParams &m = context.machine;
        auto &pass = context.PassStartPosition;
        writer.SetPosition(MmToUnits(static_cast<double>(pass[0] / 100.0L * m.resX)),
                           MmToUnits(static_cast<double>(pass[1] / 100.0L * m.resY)), 0);
        const auto [from, to] = figureRange(project, first, last);
        for (int i = from; i <= to; ++i) {
            const tfigura &figure = project.Figures[i];
            if (!figure.cut)
                continue;
            double fraction = 0.0;
            writer.WriteFigure(figure, 1.0, fraction, feedSign);
        }
        writer.RotateTo(endRotation, 0.0);
        // Back to 0.01 mm for the linear axes; the rotary axes stay in steps.
        const JobPositions &end = writer.JobPosition();
        pass = end;
        for (const auto &[axis, resolution] :
             {std::pair {0, m.resX}, {1, m.resY}, {2, m.resZ}, {4, m.resX}, {5, m.resY}})
            pass[axis] = resolution > 0.0 ? RoundToInt32(end[axis] / static_cast<long double>(resolution))
                                          : end[axis];
    });
}
