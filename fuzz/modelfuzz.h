#pragma once

// The check both model readers' fuzzers make: the reader must end, never fault, give only
// finite triangles inside the box it reports, and never more than the cap. The cap is small
// here so that fan-outs reach it quickly; the program's own cap works the same way.

#include "model3d/model.h"
#include "model3d/modelinput.h"

#include <cmath>
#include <cstdlib>
#include <vector>

inline constexpr std::size_t FuzzTriangleCap = 10'000;

inline void CheckModelRead(TModelReadEnd end, const std::vector<TRawTriangle> &triangles,
                           const TModelBox &box)
{
    if (end == TModelReadEnd::Cancelled || triangles.size() > FuzzTriangleCap)
        std::abort();
    if (triangles.empty() != box.isEmpty())
        std::abort();
    for (const TRawTriangle &t : triangles) {
        const float xs[3] = {t.x1, t.x2, t.x3}, ys[3] = {t.y1, t.y2, t.y3}, zs[3] = {t.z1, t.z2, t.z3};
        for (int i = 0; i < 3; ++i) {
            if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]) || !std::isfinite(zs[i]))
                std::abort();
            if (xs[i] < box.minX || xs[i] > box.maxX || ys[i] < box.minY || ys[i] > box.maxY
                || zs[i] < box.minZ || zs[i] > box.maxZ)
                std::abort();
        }
    }
}
