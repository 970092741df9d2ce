#include "drawing/curves.h"

#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

// A chord count from a real estimate: Round(v) in extended precision; false
// when the estimate is no usable count (non-finite or absurdly large; the
// reader refuses such curves before they get here).
bool roundedCount(long double v, long long &count)
{
    const long double r = RoundHalfEven(v);
    if (!std::isfinite(r) || std::abs(r) > 1e9L)
        return false;
    count = static_cast<long long>(r);
    return true;
}

// Flags a curve that needs more chords than any curve within the plotter
// range; true when the count is acceptable.
bool withinChordLimit(long long count, bool *tooLong)
{
    if (count <= MaxCurveChords)
        return true;
    if (tooLong)
        *tooLong = true;
    return false;
}

// roundedCount for a chord count that must also stay within the limit.
bool chordCount(long double v, long long &count, bool *tooLong)
{
    if (!roundedCount(v, count)) {
        if (tooLong)
            *tooLong = true;
        return false;
    }
    return withinChordLimit(std::llabs(count), tooLong);
}

double distance(TCurvePoint a, TCurvePoint b)
{
    return static_cast<double>(std::hypot(b.x - a.x, b.y - a.y));
}

double angleOf(TCurvePoint from, TCurvePoint to)
{
    return SegmentAngleF({double(from.x), double(from.y)}, {double(to.x), double(to.y)});
}

} // namespace

double ChordLength(double curveMm, double minimumChordMm)
{
    return FloatMax(FloatMin(curveMm / 192.0, MaximumChordMm), minimumChordMm);
}

bool ArcChordCount(double r, double sweep, double mmPerUnit, double minimumChordMm, long long &n,
                   bool *tooLong)
{
    const double circumference = 2 * Pi * r * mmPerUnit;
    const double chord = ChordLength(circumference, minimumChordMm);
    if (!chordCount(static_cast<long double>(sweep) / (2 * Pi) * circumference / chord + 0.5L, n, tooLong))
        return false;
    n = std::llabs(n);
    if (n < 16)
        n = 16;
    return true;
}

std::vector<TCurvePoint> FlattenArc(TCurvePoint centre, double r, double start, double sweep,
                                    double mmPerUnit, double minimumChordMm, bool *tooLong)
{
    std::vector<TCurvePoint> points;
    EmitArc(centre, r, start, sweep, mmPerUnit, minimumChordMm, tooLong,
            [&points](TCurvePoint c, double radius, double angle) {
                points.push_back(OnCircle(c, radius, angle));
            });
    return points;
}

TBulgeArc BulgeArc(TCurvePoint p0, TCurvePoint p1, double bulge)
{
    const double theta = 4 * std::atan(bulge);
    const double beta = theta > 0 ? (Pi - theta) / 2 : -(Pi + theta) / 2;
    const double phi = angleOf(p0, p1);
    const double h = distance(p0, p1) / 2;
    const double d = beta == Pi / 2 ? 2147483647.0 : std::tan(beta) * h;
    const double r = std::sqrt(d * d + h * h);
    const double alpha = phi + beta;
    // The arc starts at p0 (seen from the centre at alpha - pi) and sweeps
    // theta to p1.
    return {OnCircle(p0, r, alpha), r, alpha - Pi, theta};
}

std::vector<TCurvePoint> FlattenBulge(TCurvePoint p0, TCurvePoint p1, double bulge, double mmPerUnit,
                                      double minimumChordMm, bool *tooLong)
{
    std::vector<TCurvePoint> points;
    EmitBulge(p0, p1, bulge, mmPerUnit, minimumChordMm, tooLong,
              [&points](TCurvePoint c, double radius, double angle) {
                  points.push_back(radius == 0.0 ? c : OnCircle(c, radius, angle));
              });
    return points;
}

std::vector<TCurvePoint> FlattenCircle(TCurvePoint centre, double r, double mmPerUnit, double minimumChordMm,
                                       bool *tooLong)
{
    const double circumference = 2 * Pi * r * mmPerUnit;
    const double chord = ChordLength(circumference, minimumChordMm);
    long long n = 0;
    if (!chordCount(static_cast<long double>(circumference) / chord + 0.5L, n, tooLong))
        return {};
    n = (n / 4) * 4;
    if (n < 16)
        n = 16;
    std::vector<TCurvePoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (long long i = 0; i <= n; ++i)
        points.push_back(OnCircle(centre, r, 2 * Pi * static_cast<double>(i) / static_cast<double>(n)));
    return points;
}

std::vector<TCurvePoint> FlattenEllipse(TCurvePoint centre, TCurvePoint majorEnd, double ratio, double t0,
                                        double t1, double mmPerUnit, double minimumChordMm, bool *tooLong)
{
    const double a = static_cast<double>(std::hypot(majorEnd.x, majorEnd.y));
    const double b = ratio * a;
    const double phi = angleOf(centre, {centre.x + majorEnd.x, centre.y + majorEnd.y});
    if (t1 < t0)
        t1 += 2 * Pi;
    const double length = a * (t1 - t0) * mmPerUnit;
    const double chord = ChordLength(length, minimumChordMm);
    long long n = 0;
    if (!chordCount(static_cast<long double>(length) / chord + 0.5L, n, tooLong))
        return {};
    if (n < 16)
        n = 16;
    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);
    std::vector<TCurvePoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (long long i = 0; i <= n; ++i) {
        const double t = t0 + static_cast<double>(i) * (t1 - t0) / static_cast<double>(n);
        const long double u = a * std::cos(t);
        const long double v = b * std::sin(t);
        points.push_back({centre.x + u * cosPhi - v * sinPhi, centre.y + u * sinPhi + v * cosPhi});
    }
    return points;
}

namespace {

// One span of a curve-fit polyline: the cubic through vertices i .. i + 3
// (wrapping) from the parameter of its vertex a to that of vertex b; the
// vertex a is added first.
void fitSpan(const std::vector<TCurvePoint> &v, std::size_t i, int a, int b, double mmPerUnit,
             double minimumChordMm, std::vector<TCurvePoint> &out)
{
    const std::size_t n = v.size();
    const std::array<TCurvePoint, 4> quad {v[i % n], v[(i + 1) % n], v[(i + 2) % n], v[(i + 3) % n]};
    out.push_back(quad[static_cast<std::size_t>(a)]);
    const double total
        = (distance(quad[0], quad[1]) + distance(quad[1], quad[2]) + distance(quad[2], quad[3])) * mmPerUnit;
    if (!(total > 0))
        return;
    const double chord = FloatMax(FloatMin(4 * total / 192, MaximumChordMm), minimumChordMm);
    double step = chord / total;
    if (step >= 1.0)
        step = 0.25;
    TCubic cubic(quad, 0.0, step, 1.0);
    const auto &params = cubic.parameters();
    cubic.restart(params[static_cast<std::size_t>(a)], step, params[static_cast<std::size_t>(b)]);
    TCurvePoint p;
    while (cubic.Next(p))
        out.push_back(p);
}

} // namespace

std::vector<TCurvePoint> FlattenFitPolyline(const std::vector<TCurvePoint> &vertices, bool closed,
                                            double mmPerUnit, double minimumChordMm, bool *tooLong)
{
    const std::size_t n = vertices.size();
    std::vector<TCurvePoint> out;
    if (n < 4) {
        out = vertices;
        if (closed && n > 0)
            out.push_back(vertices.front());
        return out;
    }
    bool exceeded = false;
    const auto span = [&](std::size_t i, int a, int b) {
        if (exceeded)
            return;
        fitSpan(vertices, i, a, b, mmPerUnit, minimumChordMm, out);
        // One span alone is bounded by the range its vertices lie in.
        exceeded = !withinChordLimit(static_cast<long long>(out.size()), tooLong);
    };
    if (closed) {
        span(0, 0, 2);
        for (std::size_t i = 1; i + 4 <= n; ++i)
            span(i, 1, 2);
        span(n - 3, 1, 3);
        out.push_back(vertices.front());
    } else if (n == 4) {
        span(0, 0, 3);
        out.push_back(vertices.back());
    } else {
        span(0, 0, 2);
        for (std::size_t i = 1; i + 5 <= n; ++i)
            span(i, 1, 2);
        span(n - 4, 1, 3);
        out.push_back(vertices.back());
    }
    if (exceeded)
        return {};
    return out;
}

namespace {

// Second derivatives of one coordinate of the C2 cubic spline at the knots
// u (Thomas algorithm over the tridiagonal system); an end with a slope
// takes that first derivative, one without is natural.
std::vector<long double> splineMoments(const std::vector<long double> &u, const std::vector<long double> &q,
                                       const std::optional<long double> &startSlope,
                                       const std::optional<long double> &endSlope)
{
    const std::size_t n = u.size() - 1; // spans
    std::vector<long double> sub(n + 1), diag(n + 1), sup(n + 1), rhs(n + 1);
    const auto h = [&](std::size_t i) { return u[i + 1] - u[i]; };
    const auto slope = [&](std::size_t i) { return (q[i + 1] - q[i]) / h(i); };
    if (startSlope) {
        diag[0] = 2 * h(0);
        sup[0] = h(0);
        rhs[0] = 6 * (slope(0) - *startSlope);
    } else {
        diag[0] = 1;
    }
    for (std::size_t i = 1; i < n; ++i) {
        sub[i] = h(i - 1);
        diag[i] = 2 * (h(i - 1) + h(i));
        sup[i] = h(i);
        rhs[i] = 6 * (slope(i) - slope(i - 1));
    }
    if (endSlope) {
        sub[n] = h(n - 1);
        diag[n] = 2 * h(n - 1);
        rhs[n] = 6 * (*endSlope - slope(n - 1));
    } else {
        diag[n] = 1;
    }
    for (std::size_t i = 1; i <= n; ++i) {
        const long double m = sub[i] / diag[i - 1];
        diag[i] -= m * sup[i - 1];
        rhs[i] -= m * rhs[i - 1];
    }
    std::vector<long double> moments(n + 1);
    moments[n] = rhs[n] / diag[n];
    for (std::size_t i = n; i-- > 0;)
        moments[i] = (rhs[i] - sup[i] * moments[i + 1]) / diag[i];
    return moments;
}

// The unit vector of a tangent; nothing for a zero or unusable one.
std::optional<TCurvePoint> unitTangent(const std::optional<TCurvePoint> &t)
{
    if (!t)
        return std::nullopt;
    const long double length = std::hypot(t->x, t->y);
    if (!(length > 0) || !std::isfinite(length))
        return std::nullopt;
    return TCurvePoint {t->x / length, t->y / length};
}

} // namespace

std::vector<TCurvePoint> FlattenFitSpline(const std::vector<TCurvePoint> &fitPoints,
                                          const std::optional<TCurvePoint> &startTangent,
                                          const std::optional<TCurvePoint> &endTangent, double mmPerUnit,
                                          double minimumChordMm, bool *tooLong)
{
    // Repeated fit points would make a span of zero length.
    std::vector<TCurvePoint> q;
    for (const TCurvePoint &p : fitPoints) {
        if (q.empty() || !(q.back() == p))
            q.push_back(p);
    }
    if (q.size() < 2)
        return q;
    const std::size_t spans = q.size() - 1;
    std::vector<long double> u(q.size(), 0.0L);
    for (std::size_t i = 1; i < q.size(); ++i)
        u[i] = u[i - 1] + std::hypot(q[i].x - q[i - 1].x, q[i].y - q[i - 1].y);
    const long double length = u.back();

    const std::optional<TCurvePoint> t0 = unitTangent(startTangent);
    const std::optional<TCurvePoint> t1 = unitTangent(endTangent);
    const auto along = [](const std::optional<TCurvePoint> &t, bool x) -> std::optional<long double> {
        if (!t)
            return std::nullopt;
        return x ? t->x : t->y;
    };
    std::vector<long double> qx(q.size()), qy(q.size());
    for (std::size_t i = 0; i < q.size(); ++i) {
        qx[i] = q[i].x;
        qy[i] = q[i].y;
    }
    const std::vector<long double> mx = splineMoments(u, qx, along(t0, true), along(t1, true));
    const std::vector<long double> my = splineMoments(u, qy, along(t0, false), along(t1, false));

    const double lengthMm = static_cast<double>(length) * mmPerUnit;
    const double chord = ChordLength(lengthMm, minimumChordMm);
    long long total = 0;
    if (!chordCount(static_cast<long double>(lengthMm) / chord + 0.5L + static_cast<long double>(spans),
                    total, tooLong))
        return {};

    std::vector<TCurvePoint> out;
    out.push_back(q.front());
    for (std::size_t i = 0; i < spans; ++i) {
        const long double h = u[i + 1] - u[i];
        long long steps = 1;
        roundedCount(h * mmPerUnit / chord + 0.5L, steps);
        steps = std::max(steps, 1LL);
        for (long long k = 1; k < steps; ++k) {
            const long double a = h * static_cast<long double>(k) / static_cast<long double>(steps);
            const long double b = h - a;
            const auto coordinate
                = [&](const std::vector<long double> &m, const std::vector<long double> &c) {
                      return (m[i] * b * b * b + m[i + 1] * a * a * a) / (6 * h)
                          + (c[i] / h - m[i] * h / 6) * b + (c[i + 1] / h - m[i + 1] * h / 6) * a;
                  };
            out.push_back({coordinate(mx, qx), coordinate(my, qy)});
        }
        out.push_back(q[i + 1]);
    }
    return out;
}

namespace {

bool validKnots(const TSplineData &s)
{
    const std::size_t count = s.controlPoints.size();
    if (s.degree < 1 || s.degree > 10 || count < std::size_t(s.degree) + 1)
        return false;
    if (s.knots.size() != count + std::size_t(s.degree) + 1)
        return false;
    for (std::size_t i = 0; i < s.knots.size(); ++i) {
        if (!std::isfinite(s.knots[i]) || (i > 0 && s.knots[i] < s.knots[i - 1]))
            return false;
    }
    return s.knots[count] > s.knots[std::size_t(s.degree)];
}

// Groups of four control points are separate cubic Bezier curves only when
// every group's four knots are equal (0000 1111 ...).
bool bezierKnots(const TSplineData &s)
{
    const std::size_t knots = s.knots.size();
    const std::size_t count = s.controlPoints.size();
    if (s.degree != 3 || knots % 4 != 0 || count % 4 != 0 || knots != count + 4 || knots == 12)
        return false;
    for (std::size_t g = 0; g < knots; g += 4) {
        if (s.knots[g] != s.knots[g + 3])
            return false;
    }
    return true;
}

} // namespace

std::vector<TCurvePoint> FlattenSplineEntity(const TSplineData &spline, double mmPerUnit,
                                             double minimumChordMm, bool *tooLong)
{
    const std::vector<TCurvePoint> &ctrl = spline.controlPoints;
    const std::size_t count = ctrl.size();
    if (count == 4 && ctrl[0] == ctrl[1] && ctrl[2] == ctrl[3])
        return {ctrl[0], ctrl[3]};
    if (!validKnots(spline)) {
        // Converters often give a spline by its fit points alone: the curve
        // runs through them, not along the chords between them.
        if (!spline.fitPoints.empty())
            return FlattenFitSpline(spline.fitPoints, spline.startTangent, spline.endTangent, mmPerUnit,
                                    minimumChordMm, tooLong);
        return ctrl;
    }

    double polygon = 0.0;
    for (std::size_t i = 1; i < count; ++i)
        polygon += distance(ctrl[i - 1], ctrl[i]);
    polygon *= mmPerUnit;
    const double chord
        = FloatMax(FloatMin(polygon / (192.0 * double(count)), MaximumChordMm), minimumChordMm);
    double s = polygon / chord;
    if (s < 4)
        s = 4;
    double dt = 1 / s;
    if (dt > 0.25)
        dt = 0.25;
    long long m = 4;
    if (!chordCount(1.0L / dt, m, tooLong))
        return {};
    if (m < 4)
        m = 4;
    dt = 1.0 / static_cast<double>(m);

    std::vector<TCurvePoint> out;
    out.push_back(ctrl.front());
    TCurvePoint p;
    if (bezierKnots(spline)) {
        const double step = dt * double(count);
        for (std::size_t g = 0; g + 4 <= count; g += 4) {
            TBezier bezier({ctrl.begin() + std::ptrdiff_t(g), ctrl.begin() + std::ptrdiff_t(g + 4)}, step);
            while (bezier.Next(p))
                out.push_back(p);
        }
    } else {
        TBSpline curve(ctrl, spline.knots, spline.degree, dt);
        while (curve.Next(p))
            out.push_back(p);
    }
    out.push_back(ctrl.back());
    return out;
}

double Det3(const TColumn &c1, const TColumn &c2, const TColumn &c3)
{
    return c1[0] * c2[1] * c3[2] + c2[0] * c3[1] * c1[2] + c3[0] * c1[1] * c2[2] - c3[0] * c2[1] * c1[2]
        - c1[0] * c3[1] * c2[2] - c2[0] * c1[1] * c3[2];
}

TColumn Solve3(const TColumn &c1, const TColumn &c2, const TColumn &c3, const TColumn &b)
{
    const double det = Det3(c1, c2, c3);
    if (det == 0.0)
        return {0.0, 0.0, 0.0};
    return {Det3(b, c2, c3) / det, Det3(c1, b, c3) / det, Det3(c1, c2, b) / det};
}

TCubic::TCubic(const std::array<TCurvePoint, 4> &p, double tStart, double step, double tEnd)
    : m_p0(p[0])
{
    const double d1 = distance(p[0], p[1]);
    const double d2 = distance(p[1], p[2]);
    const double d3 = distance(p[2], p[3]);
    const double total = d1 + d2 + d3;
    m_params = {0.0, total > 0 ? d1 / total : 0.0, total > 0 ? (d1 + d2) / total : 0.0, 1.0};
    const double t1 = m_params[1];
    const double t2 = m_params[2];
    const TColumn c1 {t1, t2, 1.0};
    const TColumn c2 {t1 * t1, t2 * t2, 1.0};
    const TColumn c3 {t1 * t1 * t1, t2 * t2 * t2, 1.0};
    const auto d = [](long double v) { return static_cast<double>(v); };
    m_cx = Solve3(c1, c2, c3, {d(p[1].x - p[0].x), d(p[2].x - p[0].x), d(p[3].x - p[0].x)});
    m_cy = Solve3(c1, c2, c3, {d(p[1].y - p[0].y), d(p[2].y - p[0].y), d(p[3].y - p[0].y)});
    restart(tStart, step, tEnd);
}

void TCubic::restart(double tStart, double step, double tEnd)
{
    m_t = tStart;
    m_step = step;
    m_end = tEnd;
}

TCurvePoint TCubic::at(double t) const
{
    const long double lt = t;
    return {m_p0.x + lt * (m_cx[0] + lt * (m_cx[1] + lt * m_cx[2])),
            m_p0.y + lt * (m_cy[0] + lt * (m_cy[1] + lt * m_cy[2]))};
}

bool TCubic::Next(TCurvePoint &p)
{
    if (!(m_step > 0))
        return false;
    m_t += m_step;
    if (m_t > m_end)
        return false;
    p = at(m_t);
    return true;
}

double Bernstein(int n, int i, double t)
{
    return Binomial(n, i) * IntPower(t, i) * IntPower(1 - t, n - i);
}

TBezier::TBezier(std::vector<TCurvePoint> points, double step)
    : m_points(std::move(points))
    , m_step(step)
{ }

bool TBezier::Next(TCurvePoint &p)
{
    if (m_t > 1 || !(m_step > 0) || m_points.empty())
        return false;
    const int n = static_cast<int>(m_points.size()) - 1;
    p = {0.0L, 0.0L};
    for (int i = 0; i <= n; ++i) {
        const long double w = Bernstein(n, i, m_t);
        p.x += w * m_points[std::size_t(i)].x;
        p.y += w * m_points[std::size_t(i)].y;
    }
    m_t += m_step;
    return true;
}

TBSpline::TBSpline(std::vector<TCurvePoint> points, std::vector<double> knots, int degree, double step)
    : m_points(std::move(points))
    , m_knots(std::move(knots))
    , m_degree(degree)
{
    const std::size_t n = m_points.size() - 1;
    m_t = m_knots[std::size_t(degree)];
    m_end = m_knots[n + 1];
    long long steps = 0;
    roundedCount(1.0L / step, steps);
    m_step = steps > 0 ? (m_end - m_t) / static_cast<double>(steps) : 0.0;
}

bool TBSpline::Next(TCurvePoint &p)
{
    if (m_t >= m_end || !(m_step > 0))
        return false;
    p = at(m_t);
    m_t += m_step;
    return true;
}

TCurvePoint TBSpline::at(double t) const
{
    // The knot span holding t; only the degree + 1 basis functions of that
    // span are non-zero, so only they are computed (the triangular scheme
    // of the Cox-de Boor recursion).
    const std::size_t p = std::size_t(m_degree);
    const std::size_t last = m_points.size() - 1;
    const auto upper = std::upper_bound(m_knots.begin() + std::ptrdiff_t(p),
                                        m_knots.begin() + std::ptrdiff_t(last + 1), t);
    std::size_t span = std::size_t(upper - m_knots.begin()) - 1;
    span = std::clamp(span, p, last);
    std::array<double, 12> basis {};
    std::array<double, 12> left {};
    std::array<double, 12> right {};
    basis[0] = 1.0;
    for (std::size_t j = 1; j <= p; ++j) {
        left[j] = t - m_knots[span + 1 - j];
        right[j] = m_knots[span + j] - t;
        double saved = 0.0;
        for (std::size_t r = 0; r < j; ++r) {
            const double denominator = right[r + 1] + left[j - r];
            const double temp = denominator != 0.0 ? basis[r] / denominator : 0.0;
            basis[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        basis[j] = saved;
    }
    TCurvePoint point {0.0L, 0.0L};
    for (std::size_t r = 0; r <= p; ++r) {
        const TCurvePoint &c = m_points[span - p + r];
        point.x += basis[r] * c.x;
        point.y += basis[r] * c.y;
    }
    return point;
}

double CoxDeBoor(const std::vector<double> &knots, int i, int k, double t)
{
    const auto knot = [&](int index) { return knots[std::size_t(index)]; };
    if (k == 1)
        return knot(i) <= t && t < knot(i + 1) ? 1.0 : 0.0;
    double value = 0.0;
    const double d1 = knot(i + k - 1) - knot(i);
    if (d1 != 0.0)
        value += (t - knot(i)) / d1 * CoxDeBoor(knots, i, k - 1, t);
    const double d2 = knot(i + k) - knot(i + 1);
    if (d2 != 0.0)
        value += (knot(i + k) - t) / d2 * CoxDeBoor(knots, i + 1, k - 1, t);
    return value;
}

TCurvePoint BezierCubicPoint(TCurvePoint p0, TCurvePoint p1, TCurvePoint p2, TCurvePoint p3, double t)
{
    const long double u = 1.0L - t;
    const long double a = u * u * u;
    const long double b = 3 * u * u * t;
    const long double c = 3 * u * t * t;
    const long double d = static_cast<long double>(t) * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}
