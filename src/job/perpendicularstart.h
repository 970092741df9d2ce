#pragma once

// The start points of a perpendicular cut on the two-wire machine: the front
// wire cuts the front profile in the front area, the side wire the side
// profile in the side area, each from its own start point.

#include "job/startdialogs.h"

#include <optional>

namespace job {

// Why the start points were refused: the message and the group (front or
// side wire) the operator must correct.
struct PerpendicularRefusal
{
    bool front = true;
    JobMessage message;
};

// Each profile must fit its area from its start point (equality passes); the
// side wire keeps 10 mm below the top of the side area.
std::optional<PerpendicularRefusal> CheckPerpendicularStart(const PerpendicularStart &points,
                                                            const PerpendicularStartContext &context);

// The side wire starts less than 10 mm below the front wire, exactly 10 mm
// below it, or above it: it must be placed first, below the front profile.
bool SideWireGoesFirst(const PerpendicularStart &points);

} // namespace job
