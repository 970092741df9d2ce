#pragma once

#include "drawing/figure.h"

#include <cstdint>
#include <vector>

// The walk along a planned cutting tree, shared by everything that follows
// the wire's path: the job writer, the painter's simulation and the path
// recording. The walk decides the order, the direction and the pauses; a
// sink turns them into bytes, pixels or records.

struct TreeWalkOptions
{
    std::int32_t root = -1; // the figure where the wire enters
    bool pairedProfiles = false; // figures 0 and 1 carry the two wire ends' profiles
    bool singleOpenFigure = false; // the project is one open figure, cut once
    bool cutFrame = false; // the root's own edges are cut too
    int mode = 0; // cutting mode; 2 (serial) leaves closing edges out
};

// One move of the wire to a vertex of a figure.
struct TreeStep
{
    std::int32_t figure = -1;
    std::int32_t vertex = -1;
    TPlotPoint front; // the target (figure 0's paired point with paired profiles)
    TPlotPoint back; // figure 1's paired point with paired profiles, else the target
    bool paired = false;
};

class CuttingTreeSink
{
public:
    virtual ~CuttingTreeSink() = default;
    // The wire stands at the root's entry vertex before the first move.
    virtual void start(std::int32_t /*figure*/, std::int32_t /*vertex*/, TPlotPoint /*point*/) { }
    virtual void moveTo(const TreeStep &step) = 0;
    // A corner pause, or the pause at the start of every figure.
    virtual void pause() = 0;
    // Asked between steps; true ends the walk at once.
    virtual bool stopRequested() { return false; }
};

// A vertex whose turn is sharper than this (in either direction) is a corner.
inline constexpr double TreeCornerAngle = 0.6283185307179586; // pi / 5

// Walks the tree from the root. An open figure entered at its last vertex is
// reversed in place (its vertex records and its children's vertices on it
// with it) and the reversal stays in the project. Returns false when the
// sink stopped the walk, or when the root names no figure with points.
bool WalkCuttingTree(std::vector<tfigura> &figures, const TreeWalkOptions &options, CuttingTreeSink &sink);

// The points a figure is walked along: with paired profiles the second list
// when it holds points.
const std::vector<TPlotPoint> &WalkedPoints(const tfigura &figure, bool pairedProfiles);
