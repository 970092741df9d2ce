#include "project/planningdispatch.h"

TPlannerKind PlannerForMode(int mode, int stolikSwitch)
{
    switch (mode) {
    case 1:
        return TPlannerKind::Rotary;
    case 2: // serial cutting turns on the spindle, else is cut flat pass by pass
        return stolikSwitch == 0 ? TPlannerKind::Rotary : TPlannerKind::Flat;
    case 3:
        return stolikSwitch == 2 ? TPlannerKind::Flat : TPlannerKind::Turning;
    default:
        return TPlannerKind::Flat;
    }
}

TPlanOutcome PlanProject(TProjectDocument &document, const TPlanControl &control)
{
    (void)control;
    const TProjectSettings &settings = document.settings();
    switch (PlannerForMode(settings.Mode, settings.StolikSwitch)) {
    case TPlannerKind::Flat:
    case TPlannerKind::Rotary:
    case TPlannerKind::Turning:
        break;
    }
    // No planner is built in yet: the project stays unplanned.
    document.Planned = false;
    return {};
}

void OrderLoadedFigures(TProjectDocument &document)
{
    (void)document;
}
