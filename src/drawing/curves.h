#pragma once

#include "drawing/geometry.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

// Curve flattening: the machine follows straight moves only, so every curve
// becomes a chain of points when it is read. Points here are in the
// drawing's own unit; mmPerUnit converts lengths to millimetres for the
// chord rule.

inline constexpr double MaximumChordMm = 5.0;

// The most chords one curve may be cut into: a full turn round the plotter
// range (about 1,073,700 mm wide) at the longest chord is some 950,000. No
// curve a drawing within the range holds needs more; a hostile one (a
// radius or a parameter sweep far beyond the range) would exhaust memory.
// A flattener that would need more returns nothing and sets *tooLong.
inline constexpr long long MaxCurveChords = 1'000'000;

// A point of a curve in drawing units. Extended precision, since every
// coordinate is then scaled and rounded to plotter units.
struct TCurvePoint
{
    long double x = 0.0L;
    long double y = 0.0L;

    friend bool operator==(const TCurvePoint &, const TCurvePoint &) = default;
};

// Chord length for a curve of length estimate curveMm: 192 chords between
// the bounds, never longer than 5 mm nor shorter than the minimum chord.
double ChordLength(double curveMm, double minimumChordMm);

// Circular arc counter-clockwise from start through sweep (radians):
// n = |Round(sweep / 2pi * C / chord + 0.5)| chords, at least 16, n + 1
// points from the start point to the end point.
std::vector<TCurvePoint> FlattenArc(TCurvePoint centre, double r, double start, double sweep,
                                    double mmPerUnit, double minimumChordMm, bool *tooLong = nullptr);

// The chord count of FlattenArc; false (and *tooLong) when the arc needs
// more chords than any curve may have.
bool ArcChordCount(double r, double sweep, double mmPerUnit, double minimumChordMm, long long &n,
                   bool *tooLong = nullptr);

// The angle of point i of n chords: the start, start + i sweep / n, and the
// end exactly at start + sweep.
inline double ArcAngle(double start, double sweep, long long n, long long i)
{
    if (i == 0)
        return start;
    if (i == n)
        return start + sweep;
    return start + static_cast<double>(i) * sweep / static_cast<double>(n);
}

// A point of a circle: the trigonometry in double, the sums (which are then
// scaled and rounded) in extended precision.
inline TCurvePoint OnCircle(TCurvePoint centre, double r, double angle)
{
    return {centre.x + static_cast<long double>(r) * std::cos(angle),
            centre.y + static_cast<long double>(r) * std::sin(angle)};
}

// FlattenArc's points handed one by one to emitPoint as (centre, r, angle), the
// point being OnCircle(centre, r, angle), without a list: readers flatten
// millions of arcs and may turn a point into plotter units faster than
// through its extended sums. False (nothing emitted) when FlattenArc would
// give nothing.
template<typename Emit>
bool EmitArc(TCurvePoint centre, double r, double start, double sweep, double mmPerUnit,
             double minimumChordMm, bool *tooLong, Emit &&emitPoint)
{
    long long n = 0;
    if (!ArcChordCount(r, sweep, mmPerUnit, minimumChordMm, n, tooLong))
        return false;
    for (long long i = 0; i <= n; ++i)
        emitPoint(centre, r, ArcAngle(start, sweep, n, i));
    return true;
}

// Centre, radius, start angle and sweep of the arc of a bulged segment.
struct TBulgeArc
{
    TCurvePoint centre;
    double r = 0.0;
    double start = 0.0;
    double sweep = 0.0;
};
TBulgeArc BulgeArc(TCurvePoint p0, TCurvePoint p1, double bulge);

// FlattenBulge's points handed one by one to emitPoint, as EmitArc does (a
// straight segment's ends as points of radius 0).
template<typename Emit>
bool EmitBulge(TCurvePoint p0, TCurvePoint p1, double bulge, double mmPerUnit, double minimumChordMm,
               bool *tooLong, Emit &&emitPoint)
{
    if (bulge == 0.0) {
        emitPoint(p0, 0.0, 0.0);
        emitPoint(p1, 0.0, 0.0);
        return true;
    }
    const TBulgeArc arc = BulgeArc(p0, p1, bulge);
    return EmitArc(arc.centre, arc.r, arc.start, arc.sweep, mmPerUnit, minimumChordMm, tooLong, emitPoint);
}

// The arc of a polyline segment from p0 to p1 with a DXF bulge (tan of a
// quarter of the included angle, positive counter-clockwise). A bulge of
// exactly 0 is the straight segment: both ends.
std::vector<TCurvePoint> FlattenBulge(TCurvePoint p0, TCurvePoint p1, double bulge, double mmPerUnit,
                                      double minimumChordMm, bool *tooLong = nullptr);

// Full circle: the chord count rounded down to a multiple of 4, at least
// 16; the last point repeats the first.
std::vector<TCurvePoint> FlattenCircle(TCurvePoint centre, double r, double mmPerUnit, double minimumChordMm,
                                       bool *tooLong = nullptr);

// Ellipse from parameter t0 to t1 (t1 < t0 wraps once), major axis end
// (mx, my) relative to the centre, minor/major ratio.
std::vector<TCurvePoint> FlattenEllipse(TCurvePoint centre, TCurvePoint majorEnd, double ratio, double t0,
                                        double t1, double mmPerUnit, double minimumChordMm,
                                        bool *tooLong = nullptr);

// Polyline taken through its fitted vertices: cubic spans through four
// consecutive vertices with chord-length parameters.
std::vector<TCurvePoint> FlattenFitPolyline(const std::vector<TCurvePoint> &vertices, bool closed,
                                            double mmPerUnit, double minimumChordMm, bool *tooLong = nullptr);

// The cubic spline through fit points: C2, with the points at their
// cumulative chord lengths, so its speed is near one unit per unit. An end
// with a tangent leaves in that direction (at unit speed); an end without
// one is natural (no curvature there). Each span gets the chords the chord
// rule gives the whole curve's length, in proportion to the span's length.
std::vector<TCurvePoint> FlattenFitSpline(const std::vector<TCurvePoint> &fitPoints,
                                          const std::optional<TCurvePoint> &startTangent,
                                          const std::optional<TCurvePoint> &endTangent, double mmPerUnit,
                                          double minimumChordMm, bool *tooLong = nullptr);

// SPLINE entity by degree, knots and control points, or by fit points and
// end tangents when it has no usable control points.
struct TSplineData
{
    int degree = 0;
    std::vector<double> knots;
    std::vector<TCurvePoint> controlPoints;
    std::vector<TCurvePoint> fitPoints;
    std::optional<TCurvePoint> startTangent;
    std::optional<TCurvePoint> endTangent;
};
std::vector<TCurvePoint> FlattenSplineEntity(const TSplineData &spline, double mmPerUnit,
                                             double minimumChordMm, bool *tooLong = nullptr);

// Curve evaluators.
using TColumn = std::array<double, 3>;
double Det3(const TColumn &c1, const TColumn &c2, const TColumn &c3);
// Solves A x = b for A given by its three columns (Cramer's rule); an
// exactly zero determinant gives (0, 0, 0).
TColumn Solve3(const TColumn &c1, const TColumn &c2, const TColumn &c3, const TColumn &b);

// The cubic x(t), y(t) through four points at the chord-length parameters
// 0, d1/D, (d1 + d2)/D, 1, walked from tStart by step up to tEnd.
class TCubic
{
public:
    TCubic(const std::array<TCurvePoint, 4> &p, double tStart, double step, double tEnd);
    // The parameter of each of the four points.
    const std::array<double, 4> &parameters() const { return m_params; }
    // Advances t by the step; false once t passes the end parameter.
    bool Next(TCurvePoint &p);
    TCurvePoint at(double t) const;
    void restart(double tStart, double step, double tEnd);

private:
    TCurvePoint m_p0;
    TColumn m_cx {};
    TColumn m_cy {};
    std::array<double, 4> m_params {};
    double m_t = 0.0;
    double m_step = 0.0;
    double m_end = 0.0;
};

double Bernstein(int n, int i, double t);

// Bezier curve of degree n (n + 1 points), t from 0 by step while t <= 1.
class TBezier
{
public:
    TBezier(std::vector<TCurvePoint> points, double step);
    bool Next(TCurvePoint &p);

private:
    std::vector<TCurvePoint> m_points;
    double m_step;
    double m_t = 0.0;
};

// B-spline of the given degree over a knot vector with
// control points + degree + 1 knots; t runs from knot[degree] to
// knot[n + 1] in Round(1 / step) steps.
class TBSpline
{
public:
    TBSpline(std::vector<TCurvePoint> points, std::vector<double> knots, int degree, double step);
    bool Next(TCurvePoint &p);
    // The Cox-de Boor sum at t, over the non-zero basis functions only.
    TCurvePoint at(double t) const;

private:
    std::vector<TCurvePoint> m_points;
    std::vector<double> m_knots;
    int m_degree;
    double m_t = 0.0;
    double m_step = 0.0;
    double m_end = 0.0;
};

// Cox-de Boor recursion N(i, k, t) over a knot vector (k the order); a term
// with a zero denominator counts 0.
double CoxDeBoor(const std::vector<double> &knots, int i, int k, double t);

TCurvePoint BezierCubicPoint(TCurvePoint p0, TCurvePoint p1, TCurvePoint p2, TCurvePoint p3, double t);
