#pragma once

// Seeded drawings of the shapes a shop brings to the flat planner, at any
// size: the benchmarks plan them at a million points and more, the
// equivalence tests small enough for the step-by-step reference.

#include "planner_fixtures.h"

#include <random>

namespace fixtures {

// Square parts of 2,000 units on a grid, each with four round holes of
// `holeSides` sides (5 + 4 x (holeSides + 1) points a part), listed part by
// part, the part before its holes. No frame: the wire enters at a start figure.
Project PartsSheet(std::mt19937 &rng, int parts, int holeSides);

// Rings of `points` points around one centre, 100 units apart from a radius
// of 20,000 on: each ring holds all the smaller ones. Listed from the
// outermost in, or in a shuffled order.
Project ConcentricRings(std::mt19937 &rng, int rings, int points, bool shuffled);

// A sheet of `letters` letters of 5 by 8 mm in rows of 60: rounded outlines
// of 40 to 80 points, each with a hole of 24 points, every fourth with two;
// the whole sheet laid `tiles` times side by side.
Project TextSheet(std::mt19937 &rng, int letters, int tiles);

// Closed figures of `points` points (the last repeats the first), radius
// about 100 units, one in each cell of a grid of 300 units.
Project SmallFigures(std::mt19937 &rng, int figures, int points);

} // namespace fixtures
