#pragma once

// Seeded drawings of open figures as a shop brings them to the flat planner,
// at any size: the benchmarks plan them at a million points and more, the
// equivalence tests small enough for the step-by-step reference.

#include "planner_fixtures.h"

#include <random>

namespace fixtures {

// Strokes of `points` points, each heading one way with a little wander, on
// a jittered grid 1,200 units apart; one in ten starts on a vertex of the
// stroke drawn before it, so that some touch and have a free end.
Project Strokes(std::mt19937 &rng, int strokes, int points);

// Random walks of `points` points with steps up to `step` units in x and y
// from random starts, in a square that keeps about a dozen over each other at
// every count: each crosses itself and the others all over.
Project Scribbles(std::mt19937 &rng, int count, int points, int step);

// An exploded drawing: straight lines from anywhere to anywhere, arcs, and
// closed outlines of a few arcs each that hold some of the rest, all over
// one square; lines and outlines span far more than their share of it.
Project MixedLines(std::mt19937 &rng, int lines, int arcs, int outlines);

} // namespace fixtures
