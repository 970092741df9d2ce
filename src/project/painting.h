#pragma once

#include "drawing/figure.h"

#include <cstdint>
#include <string>
#include <vector>

struct Settings;
class TProjectDocument;

// The settings the project view reads when it paints, picks and simulates.
struct TPaintSettings
{
    int Mode = 0; // cutting mode, 0 .. 5
    int StolikSwitch = 0; // 0 spindle, 1 rotary table, 2 none
    int CatDir = 2; // X feed: 0 right, 1 left, 2 both ways
    bool cbKrzyzToPunkt = false; // cross-to-point cutting
    double Srednicamaterialu = 500; // material diameter of turning, mm
    double Pauza_w_kacie = 200; // corner pause, ms
    int sbWspSymulacji = 0; // simulation speed: delays are divided by this + 1

    // Turning on a spindle or a rotary table.
    bool turningWithMounting() const { return Mode == 3 && StolikSwitch != 2; }
};

TPaintSettings PaintSettingsFrom(const Settings &settings);

// A screen position in pixels, y growing downwards.
struct TPixel
{
    int x = 0;
    int y = 0;
    friend bool operator==(const TPixel &, const TPixel &) = default;
};

// How one view maps plotter units onto its client area. Every view computes
// its own from its own size at each paint, so a click is always measured in
// the picture the user sees.
struct TViewTransform
{
    int X0 = 0; // left margin, pixels
    int Y0 = 0; // baseline, pixels
    double scale = 0.0; // pixels per plotter unit
    TPlotPoint origin; // the project's minimum corner
    bool valid = false; // false: nothing is drawn (empty project, no room)

    // sx = Round((x - origin.x) * scale) + X0, sy = Y0 - Round((y - origin.y) * scale).
    TPixel map(TPlotPoint p) const;
};

// The transform for a client area of the given size, the status bar's
// height included in the client height. Invalid for an empty project and for
// an area with no room left inside its margins.
TViewTransform ComputeViewTransform(const TProjectDocument &document, const TPaintSettings &settings,
                                    int clientWidth, int clientHeight, int statusBarHeight);

enum class TFigureColour { Black, Blue, Red, Green, Yellow, White };

// The colour of every figure by cutting mode and state, the selected one
// white. In independent cutting a figure of an unlisted pen keeps the colour
// of the figure before it (black for the first).
std::vector<TFigureColour> FigureColours(const TProjectDocument &document, const TPaintSettings &settings);

// One figure as it is drawn: its pixels in drawing order with repeated
// pixels left out, and a circle of radius 10 pixels for a cross point.
struct TPaintItem
{
    TFigureColour colour = TFigureColour::Black;
    std::vector<TPixel> pixels; // empty: the figure is not drawn as lines
    bool circle = false;
    TPixel circleCentre;
};

struct TPaintPlan
{
    TViewTransform transform;
    std::vector<TPaintItem> items; // project order
};

TPaintPlan BuildPaintPlan(const TProjectDocument &document, const TPaintSettings &settings, int clientWidth,
                          int clientHeight, int statusBarHeight);

// The figure under a click at (x, y) pixels: the last figure in project order
// with a segment less than 3 pixels from the click; -1 when none.
std::int32_t PickFigure(const std::vector<tfigura> &figures, const TViewTransform &transform, double x,
                        double y);

// Distance in pixels from (x, y) to the segment a-b: to the perpendicular foot
// when it falls on the segment, else to the nearer end.
double PixelDistanceToSegment(double x, double y, TPixel a, TPixel b);

// The point listing of a figure in millimetres:
// "[mm]\r\n" then "\r\np<j>:(<x> ; <y>)" per point, two decimals.
std::string PointListingText(const tfigura &figure);

// Pixel i (1..n) of an animated step of n pixels from p0 to p1. The last
// pixel is p1 itself.
TPixel AnimatedStepPixel(TPixel p0, TPixel p1, int n, int i);
// The number of pixel steps from p0 to p1: Round of their distance.
int AnimatedStepCount(TPixel p0, TPixel p1);
