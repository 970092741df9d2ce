#pragma once

#include "drawing/figure.h"
#include "project/planstop.h"

#include <cstdint>
#include <vector>

// The sort key of figure b in figure a's neighbour list: the rounded centre
// distance, plus 500000000 when a is deeper than b and again when b lies
// directly in a, so that shallower figures and a's own children come last.
std::int64_t NeighbourKey(const std::vector<tfigura> &figures, int a, int b);

// Fills every figure's 22 neighbour slots with the nearest figures by key,
// ties in list order; slots without a figure hold -1.
void OrderByDistance(std::vector<tfigura> &figures, const PlanStop &stop = {});
