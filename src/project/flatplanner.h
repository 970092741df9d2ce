#pragma once

// The flat cutting planner: turns the figures of a flat project into one
// continuous wire path, the cutting tree held on the figures by their parent
// links, rooted where the wire enters the material.

#include "drawing/figure.h"
#include "project/flatplan.h"

#include <vector>

// Plans the figures: containment, root, touching figures, candidate vertices,
// then connectors from the deepest nesting outwards and across the project.
// Cancelling keeps the connectors made so far and leaves the plan
// unfinished; a plan that joins nothing in a full round ends stuck.
FlatPlanResult PlanFlatCut(std::vector<tfigura> &figures, const FlatPlanSettings &settings,
                           FlatPlanState &state, const FlatPlanControl &control = {});
