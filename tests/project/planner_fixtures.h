#pragma once

#include "drawing/figure.h"
#include "project/flatplan.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fixtures {

inline constexpr double Tolerance = 4.0;

// The derived fields the project computes when a figure is added: box,
// centre, extreme vertices, open and closed with the tolerance, and the
// planning flags.
void Prepare(tfigura &figure, double tolerance = Tolerance);

tfigura Polyline(const std::vector<TPlotPoint> &points, double tolerance = Tolerance);
// A closed square of five points, counter-clockwise from its least corner.
tfigura Square(std::int32_t x, std::int32_t y, std::int32_t size);
// A closed regular polygon of n sides (n + 1 points).
tfigura Circle(std::int32_t cx, std::int32_t cy, std::int32_t radius, int sides);

struct Project
{
    std::vector<tfigura> figures;
    FlatPlanState state;
    FlatPlanSettings settings {Tolerance, 0, false};

    void add(tfigura f) { figures.push_back(std::move(f)); }
    // Sets pp and pk from the figures' boxes.
    void bounds();
};

// Seeded random projects of every kind the planner meets.
Project NestedSquares(std::mt19937 &rng, int figures);
Project TextClusters(std::mt19937 &rng, int figures);
Project StrokesOnOutlines(std::mt19937 &rng, int figures);
Project Mixed(std::mt19937 &rng, int figures);

// Seeded projects of figures with 500 to 20,000 points each, all figures
// together within `totalPoints`: rings, smooth and staircase-rounded, some
// nested, touching or in a frame; closed outlines with a jittered radius, so
// nearly every vertex is a corner, some with holes; open random-walk paths
// that cross themselves and each other, some ending on another path.
Project ManyPointRings(std::mt19937 &rng, int figures, int totalPoints);
Project JitteredOutlines(std::mt19937 &rng, int figures, int totalPoints);
Project CrossingOpenPaths(std::mt19937 &rng, int figures, int totalPoints);

// A description of the first difference of two planned projects, empty when
// they agree on every tree field, connector and result.
std::string Difference(const Project &expected, const Project &actual);

} // namespace fixtures
