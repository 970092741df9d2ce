#include "project/planningdispatch.h"

#include "project/direction.h"
#include "project/flatplanproject.h"
#include "project/rotaryplanner.h"

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

TPlanOutcome RunPlanner(TProjectDocument &document, TPlannerKind kind, const TPlanControl &control)
{
    switch (kind) {
    case TPlannerKind::Flat:
        return ciecie(document, control);
    case TPlannerKind::Rotary:
        return ciecie_obrotowe(document);
    case TPlannerKind::Turning:
        return toczenie(document);
    }
    document.Planned = false;
    return {};
}

TPlanOutcome PlanProject(TProjectDocument &document, const TPlanControl &control)
{
    const TProjectSettings &settings = document.settings();
    return RunPlanner(document, PlannerForMode(settings.Mode, settings.StolikSwitch), control);
}

void OrderLoadedFigures(TProjectDocument &document)
{
    UstawKolejnosc(document.Figures);
}
