#include "project/flatplanproject.h"

#include "project/parallelchunks.h"

FlatPlanJob FlatPlanJob::From(const TProjectDocument &document)
{
    FlatPlanJob job;
    // Planning adds a start figure and a connector for each figure at most:
    // room for them made with the copy spares moving every figure of a
    // large drawing again when planning starts.
    const std::vector<tfigura> &from = document.Figures;
    job.figures.reserve(2 * from.size() + 1);
    // The points of a large drawing are copied on a few threads: one thread
    // alone spends most of the copy waiting on fresh memory.
    job.figures.resize(from.size());
    ParallelChunksByWeight(
        from.size(), [&](std::size_t k) { return from[k].points.size() + 1; }, 1U << 18,
        [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end; ++k)
                job.figures[k] = from[k];
        });
    const TProjectSettings &settings = document.settings();
    job.settings.tolerance = settings.tolerance;
    job.settings.mode = settings.Mode;
    job.settings.crossToPoint = settings.cbKrzyzToPunkt;
    FlatPlanState &s = job.state;
    s.pp = document.PP;
    s.pk = document.PK;
    s.crossMax = document.CrossCorner();
    s.maxDepth = document.MaxDepth;
    s.rootFigure = document.RootFigure;
    s.framePresent = document.FramePresent;
    s.singleOpenFigure = document.SingleOpenFigure;
    s.planned = document.Planned;
    s.projectWidth = document.ProjectWidth;
    s.projectHeight = document.ProjectHeight;
    s.startToLeft = document.StartToLeft;
    s.startToRight = document.StartToRight;
    s.startToTop = document.StartToTop;
    s.startToBottom = document.StartToBottom;
    s.pathLength = document.PathLength;
    return job;
}

void FlatPlanJob::Run(const TPlanControl &control)
{
    FlatPlanControl flatControl;
    flatControl.progress = control.progress;
    flatControl.cancel = control.cancel;
    result = PlanFlatCut(figures, settings, state, flatControl);
}

TPlanOutcome FlatPlanJob::Apply(TProjectDocument &document)
{
    // The list the plan replaces goes beside: on a large drawing, freeing it
    // would hold the window for a moment before it shows the plan.
    ReleaseBeside(std::exchange(document.Figures, std::move(figures)));
    figures.clear();
    document.MaxDepth = state.maxDepth;
    document.RootFigure = state.rootFigure;
    document.FramePresent = state.framePresent;
    document.SingleOpenFigure = state.singleOpenFigure;
    document.Planned = state.planned;
    document.ProjectWidth = state.projectWidth;
    document.ProjectHeight = state.projectHeight;
    document.StartToLeft = state.startToLeft;
    document.StartToRight = state.startToRight;
    document.StartToTop = state.startToTop;
    document.StartToBottom = state.startToBottom;
    document.PathLength = state.pathLength;

    TPlanOutcome outcome;
    outcome.unjoinedFigures = result.unjoinedFigures;
    switch (result.outcome) {
    case FlatPlanOutcome::Planned:
        outcome.status = TPlanStatus::Planned;
        break;
    case FlatPlanOutcome::Cancelled:
        outcome.status = TPlanStatus::Cancelled;
        break;
    case FlatPlanOutcome::Stuck:
        // The window tells how many figures stay off the path.
        outcome.status = TPlanStatus::Stuck;
        outcome.message = TMessageKey {"Project_window", "figuryNiepolaczone"};
        break;
    }
    return outcome;
}

TPlanOutcome ciecie(TProjectDocument &document, const TPlanControl &control)
{
    FlatPlanJob job = FlatPlanJob::From(document);
    job.Run(control);
    return job.Apply(document);
}
