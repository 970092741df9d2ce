#pragma once

// The flat planner written out step by step, every loop over every figure
// and vertex as the planning rules state them. Slow (cubic and worse), kept
// to check that the fast planner builds the identical cutting tree.

#include "drawing/figure.h"
#include "project/flatplan.h"

#include <vector>

namespace reference {

FlatPlanResult ciecie(std::vector<tfigura> &figures, const FlatPlanSettings &settings, FlatPlanState &state,
                      const FlatPlanControl &control = {});

void co_w_czym(std::vector<tfigura> &figures, std::int32_t &maxDepth);

void OrderByDistance(std::vector<tfigura> &figures);

void JoinTouchingFigures(std::vector<tfigura> &figures, double tolerance);

} // namespace reference
