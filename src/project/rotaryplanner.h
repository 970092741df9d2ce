#pragma once

// Planners of the cutting modes that turn the material: rotary cutting,
// serial cutting on the spindle and turning. The drawing holds the rotation
// axis as one straight two-point line beside the profiles; the planner finds
// it, takes it out of the cut, moves the project so that the axis starts at
// the origin and makes the profiles run along increasing x. They read the
// mounting (StolikSwitch) from the document's settings and are linear in the
// number of points.
//
// A planner that finds no axis or no profile returns a failed outcome with
// its message; the window shows it and closes.

#include "project/planningdispatch.h"

// Rotary cutting and serial cutting on the spindle: a horizontal axis line
// on the spindle (the lowest wins), a vertical one on the rotary table (the
// rightmost wins).
TPlanOutcome ciecie_obrotowe(TProjectDocument &document);

// Turning: on the rotary table with any mounting but the spindle, else on
// the spindle.
TPlanOutcome toczenie(TProjectDocument &document);
TPlanOutcome toczenie_wrzeciono(TProjectDocument &document);
TPlanOutcome toczenie_stolik(TProjectDocument &document);

// Numbers the figures of a turning project (nesting depth 1 first, then depth
// 0, in project order; others -1) and orders the list by number, equal
// numbers in their former order. AxisFigure follows its figure.
void sortuj_toczenie(TProjectDocument &document);

// A straight two-point line of non-zero length along x (horizontal) or along
// y (vertical): what can be a rotation axis.
bool IsHorizontalAxisLine(const tfigura &figure);
bool IsVerticalAxisLine(const tfigura &figure);
