#pragma once

#include "drawing/figure.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>

// Small shared numeric routines: tests, lines, angles, intersections,
// distances, pauses and the curve helpers. Plotter-unit points are int32;
// differences and squares are taken in 64 bits.

struct TPointF
{
    double x = 0.0;
    double y = 0.0;
};

struct TPoint3F
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    friend bool operator==(const TPoint3F &, const TPoint3F &) = default;
};

struct TSegment
{
    TPlotPoint a;
    TPlotPoint b;
};

// Slope form of a line. A vertical line has slope +2147483647.0 when its
// first end lies below its second, -2147483647.0 otherwise, and holds its x
// in the intercept. A degenerate line (equal ends) has only that flag set.
struct TLineEq
{
    double slope = 0.0;
    double intercept = 0.0;
    bool vertical = false;
    bool degenerate = false;
};

// General form a*x + b*y + c = 0; a vertical line keeps its x in c's place
// (x0) with the vertical flag.
struct TLineCoef
{
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    bool vertical = false;
    double x0 = 0.0;
};

double FloatMin(double a, double b);
double FloatMax(double a, double b);
std::int32_t IntMin(std::int32_t a, std::int32_t b);
std::int32_t IntMax(std::int32_t a, std::int32_t b);
bool SamePoint(TPlotPoint p, TPlotPoint q);
bool SamePointF(TPointF p, TPointF q);
// Both coordinate differences strictly below tol, the drawing tolerance in
// plotter units (the configured accuracy through MmToUnits).
bool PointsWithinTolerance(TPlotPoint p, TPlotPoint q, double tol);
bool PointsWithinQuarterStep(TPlotPoint p, TPlotPoint q);
// (a div b) * b == a; false for b == 0.
bool Divides(std::int32_t a, std::int32_t b);

void OrderSegmentByX(TSegment &s);
void OrderSegmentByY(TSegment &s);
TLineEq LineThrough(TPlotPoint p0, TPlotPoint p1);
// Direction from p0 to p1 in [0, 2pi); equal points give 0.
double SegmentAngle(TPlotPoint p0, TPlotPoint p1);
// The same for double points; equal points give 3pi/2.
double SegmentAngleF(TPointF p0, TPointF p1);
// Turn at p1 in (-pi, pi]: 0 straight on, positive for a right-hand turn.
double VertexAngle(TPlotPoint p0, TPlotPoint p1, TPlotPoint p2);
// The same turn from the directions in and out of the vertex (SegmentAngle
// of the edge before and of the edge after), for callers that walk a
// polyline and have each edge's direction once.
double TurnBetween(double in, double out);
TLineCoef LineCoefficients(TPointF p0, TPointF p1);
double DistancePointLine(TPointF p, const TLineCoef &line);

bool SegmentsIntersect(TSegment s1, TSegment s2);
bool SegmentIntersection(TSegment s1, TSegment s2, TPlotPoint &crossing);
bool SegmentsCrossPoint(TSegment s1, TSegment s2, TPlotPoint &crossing);
bool LinesIntersection(const TLineEq &l1, const TLineEq &l2, TPointF &crossing);
bool LinesIntersectionPoint(const TLineEq &l1, const TLineEq &l2, TPointF &crossing);
// Offset of the segment's line above p, for x0 <= px < x1 (half-open) of a
// segment that is neither vertical nor degenerate; counted by containment.
bool VerticalOffsetToSegment(TSegment s, TPlotPoint p, double &offset);

// In extended precision, rounded once to a double; here where the compiler
// can keep it in the loops that take it millions of times.
inline double PointDistance(TPlotPoint p, TPlotPoint q)
{
    const long double dx = static_cast<long double>(std::int64_t(q.x) - p.x);
    const long double dy = static_cast<long double>(std::int64_t(q.y) - p.y);
    return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}
double PointDistanceF(TPointF p, TPointF q);
std::int64_t DistanceSquared(TPlotPoint p, TPlotPoint q);
// For neighbouring points (less than about 1.16 m apart).
double PointDistance32(TPlotPoint p, TPlotPoint q);
double Distance3D(TPoint3F p, TPoint3F q);
double Length3D(double a, double b, double c);

enum class TSegmentFoot : std::int32_t {
    Inside = 0, // the perpendicular foot lies on the segment
    FirstEnd = 1,
    SecondEnd = 2,
};

struct TSegmentDistance
{
    double distance = 0.0;
    TPlotPoint nearest; // the foot (rounded) or the nearer end
    double angle = 0.0; // direction from the point to nearest
    TSegmentFoot code = TSegmentFoot::Inside;
};

// Distance from p to the segment: the perpendicular foot when it lies within
// the segment, else the nearer end (the second on a tie). The margin callers
// pass does not change the result.
TSegmentDistance DistanceToSegment(TPlotPoint p, TSegment s, double margin = 0.0);
double DistanceToLine(TPlotPoint p, const TLineEq &line);

// Suspend the calling thread for Round(ms) milliseconds.
void SleepMs(double ms);
void PauseMs(double ms);

// The busy wait of the animated path simulation: delays finer than the
// system timer. The clock (milliseconds, monotonic) is injected; it is
// calibrated on the first wait by counting clock reads in 100 ms.
class TSimulationDelay
{
public:
    using Clock = std::function<double()>;
    TSimulationDelay();
    explicit TSimulationDelay(Clock clock);

    // Waits ms / (speedPosition + 1), speedPosition being the simulation
    // speed scroll bar's position.
    void Wait(double ms, int speedPosition);

    double pollsPerMs() const { return m_pollsPerMs; }

private:
    void calibrate();

    Clock m_clock;
    bool m_calibrated = false;
    double m_pollsPerMs = 0.0;
};

// n! for 0 <= n <= 20 (1 for n <= 1); saturates beyond.
std::int64_t Factorial(int n);
double IntPower(double x, int n);
// n! / (k! (n - k)!), computed multiplicatively so it cannot overflow.
double Binomial(int n, int k);
