#include "drawing/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <thread>
#include <utility>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double VerticalSlope = 2147483647.0;

std::int32_t roundToInt32(long double v)
{
    return static_cast<std::int32_t>(std::nearbyint(v));
}

bool withinClosed(double v, std::int32_t e0, std::int32_t e1)
{
    return v >= std::min(e0, e1) && v <= std::max(e0, e1);
}

bool withinOpen(double v, std::int32_t e0, std::int32_t e1)
{
    return v > std::min(e0, e1) && v < std::max(e0, e1);
}

// The crossing of two segments as SegmentsIntersect defines it.
bool segmentCrossing(TSegment s1, TSegment s2, TPointF &crossing)
{
    OrderSegmentByX(s1);
    OrderSegmentByX(s2);
    const TLineEq l1 = LineThrough(s1.a, s1.b);
    const TLineEq l2 = LineThrough(s2.a, s2.b);
    if (l1.degenerate || l2.degenerate)
        return false;

    if (l1.vertical && l2.vertical) {
        if (s1.a.x != s2.a.x)
            return false;
        const double low = std::max(std::min(s1.a.y, s1.b.y), std::min(s2.a.y, s2.b.y));
        const double high = std::min(std::max(s1.a.y, s1.b.y), std::max(s2.a.y, s2.b.y));
        const double middle = (low + high) / 2.0;
        if (!withinOpen(middle, s1.a.y, s1.b.y) || !withinOpen(middle, s2.a.y, s2.b.y))
            return false;
        crossing = {double(s1.a.x), middle};
        return true;
    }

    double x = 0.0;
    double y = 0.0;
    if (l1.vertical || l2.vertical) {
        const TSegment &upright = l1.vertical ? s1 : s2;
        const TSegment &other = l1.vertical ? s2 : s1;
        const TLineEq &otherLine = l1.vertical ? l2 : l1;
        x = upright.a.x;
        if (!withinOpen(x, other.a.x, other.b.x))
            return false;
        y = otherLine.slope * x + otherLine.intercept;
        if (!withinOpen(y, upright.a.y, upright.b.y))
            return false;
    } else if (l1.slope == l2.slope) {
        if (l1.intercept != l2.intercept)
            return false;
        x = (double(std::max(s1.a.x, s2.a.x)) + double(std::min(s1.b.x, s2.b.x))) / 2.0;
        y = l1.slope * x + l1.intercept;
    } else {
        x = (l1.intercept - l2.intercept) / (l2.slope - l1.slope);
        y = l1.slope * x + l1.intercept;
    }
    if (!withinClosed(x, s1.a.x, s1.b.x) || !withinClosed(x, s2.a.x, s2.b.x))
        return false;
    const bool endOfFirst = x == s1.a.x || x == s1.b.x;
    const bool endOfSecond = x == s2.a.x || x == s2.b.x;
    if (endOfFirst && endOfSecond)
        return false;
    crossing = {x, y};
    return true;
}

double pointDistanceLong(long double dx, long double dy)
{
    return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}

} // namespace

double FloatMin(double a, double b)
{
    return b < a ? b : a;
}

double FloatMax(double a, double b)
{
    return a >= b ? a : b;
}

std::int32_t IntMin(std::int32_t a, std::int32_t b)
{
    return a < b ? a : b;
}

std::int32_t IntMax(std::int32_t a, std::int32_t b)
{
    return a < b ? b : a;
}

bool SamePoint(TPlotPoint p, TPlotPoint q)
{
    return p.x == q.x && p.y == q.y;
}

bool SamePointF(TPointF p, TPointF q)
{
    return p.x == q.x && p.y == q.y;
}

bool PointsWithinTolerance(TPlotPoint p, TPlotPoint q, double tol)
{
    return std::abs(double(std::int64_t(p.x) - q.x)) < tol && std::abs(double(std::int64_t(p.y) - q.y)) < tol;
}

bool PointsWithinQuarterStep(TPlotPoint p, TPlotPoint q)
{
    constexpr double quarterStep = 0.2 / 4;
    return std::abs(double(std::int64_t(p.x) - q.x)) < quarterStep
        && std::abs(double(std::int64_t(p.y) - q.y)) < quarterStep;
}

bool Divides(std::int32_t a, std::int32_t b)
{
    if (b == 0)
        return false;
    return (std::int64_t(a) / b) * b == a;
}

void OrderSegmentByX(TSegment &s)
{
    if (s.a.x > s.b.x)
        std::swap(s.a, s.b);
}

void OrderSegmentByY(TSegment &s)
{
    if (s.a.y > s.b.y)
        std::swap(s.a, s.b);
}

TLineEq LineThrough(TPlotPoint p0, TPlotPoint p1)
{
    TLineEq line;
    if (p0 == p1) {
        line.degenerate = true;
        return line;
    }
    if (p0.x == p1.x) {
        line.vertical = true;
        line.slope = p0.y < p1.y ? VerticalSlope : -VerticalSlope;
        line.intercept = p0.x;
        return line;
    }
    line.slope = double(std::int64_t(p1.y) - p0.y) / double(std::int64_t(p1.x) - p0.x);
    line.intercept = p0.y - p0.x * line.slope;
    return line;
}

double SegmentAngle(TPlotPoint p0, TPlotPoint p1)
{
    const TLineEq line = LineThrough(p0, p1);
    if (line.degenerate)
        return 0.0;
    if (line.vertical)
        return p0.y < p1.y ? Pi / 2 : 3 * Pi / 2;
    if (line.slope == 0.0)
        return p0.x < p1.x ? 0.0 : Pi;
    if (line.slope > 0.0)
        return p0.x < p1.x ? std::atan(line.slope) : std::atan(line.slope) + Pi;
    return p0.x > p1.x ? std::atan(line.slope) + Pi : std::atan(line.slope) + 2 * Pi;
}

double SegmentAngleF(TPointF p0, TPointF p1)
{
    const double dx = p1.x - p0.x;
    const double dy = p1.y - p0.y;
    if (p0.x == p1.x)
        return p0.y < p1.y ? Pi / 2 : 3 * Pi / 2;
    if (p0.y == p1.y)
        return p0.x < p1.x ? 0.0 : Pi;
    double angle = std::atan(dy / dx);
    if (dx < 0)
        angle += Pi;
    else if (dy < 0)
        angle += 2 * Pi;
    return angle;
}

double VertexAngle(TPlotPoint p0, TPlotPoint p1, TPlotPoint p2)
{
    return TurnBetween(SegmentAngle(p0, p1), SegmentAngle(p1, p2));
}

double TurnBetween(double in, double out)
{
    double turn = in - out;
    if (turn > Pi)
        turn -= 2 * Pi;
    else if (turn < -Pi)
        turn += 2 * Pi;
    return turn;
}

TLineCoef LineCoefficients(TPointF p0, TPointF p1)
{
    TLineCoef line;
    if (std::abs(p0.x - p1.x) < 1e-18) {
        line.vertical = true;
        line.x0 = p0.x;
        return line;
    }
    line.a = (p0.y - p1.y) / (p1.x - p0.x);
    line.b = 1.0;
    line.c = -line.a * p0.x - p0.y;
    return line;
}

double DistancePointLine(TPointF p, const TLineCoef &line)
{
    if (line.vertical)
        return std::abs(p.x - line.x0);
    return std::abs(line.a * p.x + line.b * p.y + line.c) / std::sqrt(line.a * line.a + line.b * line.b);
}

bool SegmentsIntersect(TSegment s1, TSegment s2)
{
    TPointF crossing;
    return segmentCrossing(s1, s2, crossing);
}

bool SegmentIntersection(TSegment s1, TSegment s2, TPlotPoint &crossing)
{
    TPointF c;
    if (!segmentCrossing(s1, s2, c))
        return false;
    if (!std::isfinite(c.x) || !std::isfinite(c.y))
        return false;
    long double x = c.x;
    long double y = c.y;
    // Brings a far crossing into the int32 range; finite values always get
    // there, so the loop ends.
    while (std::abs(x) >= 21474836.0L || std::abs(y) >= 21474836.0L) {
        x /= 10;
        y /= 10;
    }
    crossing = {roundToInt32(x), roundToInt32(y)};
    return true;
}

bool SegmentsCrossPoint(TSegment s1, TSegment s2, TPlotPoint &crossing)
{
    OrderSegmentByX(s1);
    OrderSegmentByX(s2);
    const TLineEq l1 = LineThrough(s1.a, s1.b);
    const TLineEq l2 = LineThrough(s2.a, s2.b);
    TPointF c;
    if (!LinesIntersection(l1, l2, c))
        return false;
    if (!withinClosed(c.x, s1.a.x, s1.b.x) || !withinClosed(c.x, s2.a.x, s2.b.x))
        return false;
    if ((l1.vertical && !withinClosed(c.y, s1.a.y, s1.b.y))
        || (l2.vertical && !withinClosed(c.y, s2.a.y, s2.b.y)))
        return false;
    if (!std::isfinite(c.y) || std::abs(c.y) > 2147483647.0)
        return false;
    crossing = {roundToInt32(c.x), roundToInt32(c.y)};
    return true;
}

bool LinesIntersection(const TLineEq &l1, const TLineEq &l2, TPointF &crossing)
{
    if (l1.degenerate || l2.degenerate || (l1.vertical && l2.vertical))
        return false;
    if (l1.vertical) {
        crossing = {l1.intercept, l2.slope * l1.intercept + l2.intercept};
        return true;
    }
    if (l2.vertical) {
        crossing = {l2.intercept, l1.slope * l2.intercept + l1.intercept};
        return true;
    }
    if (l1.slope == l2.slope)
        return false;
    const double x = (l1.intercept - l2.intercept) / (l2.slope - l1.slope);
    crossing = {x, l1.slope * x + l1.intercept};
    return true;
}

bool LinesIntersectionPoint(const TLineEq &l1, const TLineEq &l2, TPointF &crossing)
{
    return LinesIntersection(l1, l2, crossing);
}

bool VerticalOffsetToSegment(TSegment s, TPlotPoint p, double &offset)
{
    OrderSegmentByX(s);
    offset = 0.0;
    const TLineEq line = LineThrough(s.a, s.b);
    if (line.vertical || line.degenerate || !(s.a.x <= p.x && p.x < s.b.x))
        return false;
    offset = line.slope * p.x + line.intercept - p.y;
    return true;
}

double PointDistanceF(TPointF p, TPointF q)
{
    return std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y));
}

std::int64_t DistanceSquared(TPlotPoint p, TPlotPoint q)
{
    const std::int64_t dx = std::int64_t(q.x) - p.x;
    const std::int64_t dy = std::int64_t(q.y) - p.y;
    return dx * dx + dy * dy;
}

double PointDistance32(TPlotPoint p, TPlotPoint q)
{
    // Meant for neighbouring points; taken in 64 bits so that a far pair
    // still gives its true distance instead of overflowing.
    return std::sqrt(double(DistanceSquared(p, q)));
}

double Distance3D(TPoint3F p, TPoint3F q)
{
    return Length3D(double(q.x) - p.x, double(q.y) - p.y, double(q.z) - p.z);
}

double Length3D(double a, double b, double c)
{
    return std::sqrt(a * a + b * b + c * c);
}

TSegmentDistance DistanceToSegment(TPlotPoint p, TSegment s, double /*margin*/)
{
    TSegmentDistance result;
    const long double dx = std::int64_t(s.b.x) - s.a.x;
    const long double dy = std::int64_t(s.b.y) - s.a.y;
    if (dx != 0 || dy != 0) {
        const long double t
            = ((std::int64_t(p.x) - s.a.x) * dx + (std::int64_t(p.y) - s.a.y) * dy) / (dx * dx + dy * dy);
        const long double fx = s.a.x + t * dx;
        const long double fy = s.a.y + t * dy;
        if (withinClosed(double(fx), s.a.x, s.b.x) && withinClosed(double(fy), s.a.y, s.b.y)) {
            result.nearest = {roundToInt32(fx), roundToInt32(fy)};
            result.distance = pointDistanceLong(fx - p.x, fy - p.y);
            result.angle = SegmentAngle(p, result.nearest);
            result.code = TSegmentFoot::Inside;
            return result;
        }
    }
    const double toFirst = PointDistance(p, s.a);
    const double toSecond = PointDistance(p, s.b);
    const bool second = toSecond <= toFirst && !(s.a == s.b);
    result.nearest = second ? s.b : s.a;
    result.distance = second ? toSecond : toFirst;
    result.angle = SegmentAngle(p, result.nearest);
    result.code = second ? TSegmentFoot::SecondEnd : TSegmentFoot::FirstEnd;
    return result;
}

double DistanceToLine(TPlotPoint p, const TLineEq &line)
{
    if (line.degenerate)
        return 0.0;
    TLineEq perpendicular;
    if (line.vertical) {
        perpendicular.slope = 0.0;
        perpendicular.intercept = p.y;
    } else if (line.slope == 0.0) {
        perpendicular.vertical = true;
        perpendicular.slope = VerticalSlope;
        perpendicular.intercept = p.x;
    } else {
        perpendicular.slope = -1.0 / line.slope;
        perpendicular.intercept = p.y - p.x * perpendicular.slope;
    }
    TPointF foot;
    if (!LinesIntersectionPoint(line, perpendicular, foot))
        return 0.0;
    return PointDistanceF({double(p.x), double(p.y)}, foot);
}

void SleepMs(double ms)
{
    const long double rounded = std::nearbyint(static_cast<long double>(ms));
    if (rounded > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<std::int64_t>(rounded)));
}

void PauseMs(double ms)
{
    SleepMs(ms);
}

TSimulationDelay::TSimulationDelay()
    : TSimulationDelay([] {
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
    })
{ }

TSimulationDelay::TSimulationDelay(Clock clock)
    : m_clock(std::move(clock))
{ }

void TSimulationDelay::calibrate()
{
    const double start = m_clock();
    std::int64_t count = 0;
    do {
        ++count;
    } while (m_clock() - start <= 100.0);
    m_pollsPerMs = double(count) / 100.0;
    m_calibrated = true;
}

void TSimulationDelay::Wait(double ms, int speedPosition)
{
    if (!m_calibrated)
        calibrate();
    const double d = ms / (std::max(speedPosition, 0) + 1);
    if (!(d > 100.0)) {
        const long double n = std::nearbyint(static_cast<long double>(d) * m_pollsPerMs);
        for (long double i = 0; n >= 0 && i <= n; ++i)
            m_clock();
        return;
    }
    // Elapsed time on a monotonic clock: a wait across midnight still ends.
    const double start = m_clock();
    while (m_clock() <= start + d) { }
}

std::int64_t Factorial(int n)
{
    std::int64_t result = 1;
    for (int i = 2; i <= n; ++i) {
        if (result > std::numeric_limits<std::int64_t>::max() / i)
            return std::numeric_limits<std::int64_t>::max();
        result *= i;
    }
    return result;
}

double IntPower(double x, int n)
{
    if (n == 0)
        return 1.0;
    double result = x;
    for (int i = 1; i < n; ++i)
        result *= x;
    return result;
}

double Binomial(int n, int k)
{
    if (k < 0 || k > n)
        return 0.0;
    k = std::min(k, n - k);
    // Each partial product is itself a binomial coefficient, so every step
    // is exact as long as the result is.
    long double result = 1.0L;
    for (int i = 1; i <= k; ++i)
        result = result * (n - k + i) / i;
    return static_cast<double>(result);
}
