#include "drawing/dxfreader.h"

#include "drawing/jobbytes.h"
#include "drawing/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr TPlotPoint NoPoint {2147483647, 2147483647};

// Files of one known writer mark inch drawings with this line-type scale.
bool isInchScale(double ltScale)
{
    return std::abs(ltScale - 0.000394) < 1e-6;
}

double lengthUnitFactor(int unit)
{
    switch (unit) {
    case 1:
        return 25.4;
    case 2:
        return 304.8;
    default:
        return 1.0;
    }
}

bool parseCode(std::string_view line, int &code)
{
    std::int32_t value = 0;
    if (!ParseInt(line, value))
        return false;
    code = value;
    return true;
}

} // namespace

int DxfColourToPen(std::int32_t colour)
{
    switch (colour) {
    case 1:
        return 3;
    case 2:
        return 6;
    case 3:
        return 4;
    default:
        return 0;
    }
}

TDxfReader::TDxfReader(std::string_view text, TReaderOptions options)
    : m_options(options)
{
    m_lines.reset(text);
    m_lines.setParity(true); // the first line is a group code
    m_eof = m_lines.atEnd();
    updateUnit();
}

void TDxfReader::fail(std::string_view text, const char *what)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error->kind = TReadError::Kind::Conversion;
    m_error->line = m_lines.lineCount();
    m_error->offset = static_cast<std::int64_t>(m_lines.lineOffset());
    m_error->quote(TrimBlanks(text));
    m_error->what = what ? what : "";
}

bool TDxfReader::readCode(int &code)
{
    if (m_failed || m_lines.atEnd())
        return false;
    const std::string_view line = m_lines.ReadTextLine();
    if (!parseCode(line, code))
        code = -1; // an unknown code: its value is passed over
    m_lastCode = code;
    return true;
}

// An empty value leaves the number as it was; one that does not parse fails
// the reading.
template<typename T> bool TDxfReader::readNumber(T &value, bool (*parse)(std::string_view, T &))
{
    // A group code with no value line after it (the file cut off there) is
    // a value missing, never a zero.
    if (m_lines.atEnd()) {
        readValue();
        fail({}, "plikBezWartosci");
        return false;
    }
    const std::string_view line = readValue();
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty())
        return true;
    if (!parse(trimmed, value)) {
        fail(line);
        return false;
    }
    return true;
}

bool TDxfReader::readReal(double &value)
{
    return readNumber(value, ParseReal);
}

bool TDxfReader::readInt(std::int32_t &value)
{
    return readNumber(value, ParseInt);
}

bool TDxfReader::readColour()
{
    std::int32_t colour = 0;
    if (!readInt(colour))
        return false;
    m_pen = DxfColourToPen(colour);
    m_figure->pen = static_cast<std::uint8_t>(m_pen);
    return true;
}

bool TDxfReader::seekCode(std::initializer_list<int> wanted, int &found)
{
    int code = 0;
    while (readCode(code)) {
        if (code == 0)
            return false;
        for (int w : wanted) {
            if (code == w) {
                found = code;
                return true;
            }
        }
        if (code == 62) {
            if (!readColour())
                return false;
        } else {
            readValue();
        }
    }
    return false;
}

bool TDxfReader::seekReal(int code, double &value)
{
    int found = 0;
    return seekCode({code}, found) && readReal(value);
}

bool TDxfReader::readPoint(int xCode, int yCode, TCurvePoint &point)
{
    double x = 0.0;
    double y = 0.0;
    if (!seekReal(xCode, x) || !seekReal(yCode, y))
        return false;
    point = {x, y};
    return true;
}

void TDxfReader::skipToCodeZero()
{
    int found = 0;
    seekCode({}, found);
}

bool TDxfReader::nextValueIs(std::string_view name)
{
    const TTextLines::Mark before = m_lines.mark();
    if (TrimBlanks(readValue()) == name)
        return true;
    m_lines.restore(before);
    return false;
}

double TDxfReader::mmPerUnit() const
{
    return m_mmPerUnit;
}

void TDxfReader::updateUnit()
{
    m_mmPerUnit = (isInchScale(m_ltScale) ? 25.4 : 1.0) * lengthUnitFactor(m_options.lengthUnit);
}

void TDxfReader::addPoint(TCurvePoint p)
{
    if (beginPoint())
        placePoint(circleFrame(p, 0.0), 0.0, 1.0, 0.0, 0.0);
}

TDxfReader::TCircleFrame TDxfReader::circleFrame(TCurvePoint centre, double r) const
{
    const double scale = m_mmPerUnit * 40.0;
    TCircleFrame frame;
    frame.x = static_cast<double>(centre.x) * scale;
    frame.y = static_cast<double>(centre.y) * scale;
    frame.r = r * scale;
    frame.radius = r;
    frame.centre = centre;
    frame.boundX = (std::fabs(static_cast<double>(centre.x)) + std::fabs(r)) * scale * 0x1p-48;
    frame.boundY = (std::fabs(static_cast<double>(centre.y)) + std::fabs(r)) * scale * 0x1p-48;
    return frame;
}

bool TDxfReader::beginPoint()
{
    if (m_failed)
        return false;
    if (m_figure->points.size() >= MaxFigurePoints) {
        fail({}, "figuraZaDuzoPunktow");
        return false;
    }
    return true;
}

namespace {

// Round(40000 * ((X + R) * f) / 1000) as the extended type evaluates it, with
// R = r * t (the extended product), decided in double where that provably
// gives the same integer. With s = 40 f rounded once, x = X s takes three
// correctly rounded steps (X to double, s, the product), rs = r s two, and
// v = x + rs * t two more; so v lies within 6 * 2^-53 (|X| + |r|) s of the
// exact value, the extended evaluation within 2^-61 (|X| + |r|) s. Beyond
// bound = 2^-48 (|X| + |r|) s from a half both round alike. False when v is that close to a half (the
// extended expression then decides) or out of the range.
inline bool unitsClearOfHalf(double x, double rs, double t, double bound, std::int64_t &units)

{
    const double v = x + rs * t;
    if (!(std::fabs(v) <= MaxPlotCoordinate))
        return false;
    constexpr double shift = 0x1.8p52; // leaves no fraction bits: rounds half to even
    const double whole = (v + shift) - shift;
    if (!(0.5 - std::fabs(v - whole) > bound))
        return false;
    units = static_cast<std::int64_t>(whole);
    return true;
}

} // namespace

[[gnu::always_inline]] inline bool TDxfReader::fastUnits(const TCircleFrame &frame, double cosine,
                                                         double sine, double trigError, TPlotPoint &point)
{
    const double extra = std::fabs(frame.r) * trigError;
    std::int64_t ux = 0;
    std::int64_t uy = 0;
    if (!unitsClearOfHalf(frame.x, frame.r, cosine, frame.boundX + extra, ux)
        || !unitsClearOfHalf(frame.y, frame.r, sine, frame.boundY + extra, uy))
        return false;
    point = {static_cast<std::int32_t>(ux), static_cast<std::int32_t>(uy)};
    return true;
}

inline void TDxfReader::emitPoint(TPlotPoint point)
{
    if (point == m_last)
        return;
    m_figure->AddPoint(point);
    m_last = point;
}

// The few points too near a half unit for the double evaluation, in the
// extended type; out of the line of the arc loop.
[[gnu::noinline]] void TDxfReader::placeExact(const TCircleFrame &frame, double angle)
{
    const TCurvePoint p = frame.radius == 0.0 ? frame.centre : OnCircle(frame.centre, frame.radius, angle);
    std::int64_t ux = 0;
    std::int64_t uy = 0;
    if (!toUnits(p.x, ux) || !toUnits(p.y, uy)) {
        fail(std::to_string(static_cast<double>(p.x)) + " " + std::to_string(static_cast<double>(p.y)));
        return;
    }
    emitPoint({static_cast<std::int32_t>(ux), static_cast<std::int32_t>(uy)});
}

// The point OnCircle(centre, r, angle) in plotter units (r 0: the centre),
// given the cosine and sine of the angle within trigError of those OnCircle
// takes.
void TDxfReader::placePoint(const TCircleFrame &frame, double angle, double cosine, double sine,
                            double trigError)
{
    TPlotPoint point;
    if (fastUnits(frame, cosine, sine, trigError, point))
        emitPoint(point);
    else
        placeExact(frame, angle);
}

// FlattenArc's points. The cosines and sines of its angles come from a
// rotation by the chord's angle, taken afresh from the library every
// kReseed points: far cheaper than a sincos per point. Each rotation adds at
// most 16 units of the last place (2^-53) to their error (a rotation keeps
// the error's size; the step's own sine and cosine, its angle and the four
// products and sums add the rest), a fresh pair starts within 2, and the
// angles of the points differ from start + i * step by at most 40 (the
// rounding of the angle formula, angles below 6 pi). fastUnits takes that
// bound into its test and anything closer to a half is decided exactly, so
// the angle itself is worked out only there and at the fresh pairs.
void TDxfReader::addArc(TCurvePoint centre, double r, double start, double sweep)
{
    constexpr long long kReseed = 64;
    bool tooLong = false;
    long long n = 0;
    if (!ArcChordCount(r, sweep, mmPerUnit(), m_options.minimumChordMm, n, &tooLong)) {
        addCurve({}, tooLong);
        return;
    }
    const TCircleFrame frame = circleFrame(centre, r);
    const double step = sweep / static_cast<double>(n);
    const double stepCos = std::cos(step);
    const double stepSin = std::sin(step);
    const bool rotate = std::fabs(start) + std::fabs(sweep) < 6 * Pi;
    // Room for the whole arc at once (growing still doubles, for polylines
    // of many arcs), and no check per point while the figure cannot reach
    // its limit within the arc.
    std::vector<TPlotPoint> &points = m_figure->points;
    const std::size_t count = static_cast<std::size_t>(n) + 1;
    const std::size_t wanted = std::min(points.size() + count, MaxFigurePoints);
    if (points.capacity() < wanted)
        points.reserve(std::max(wanted, std::min(2 * points.capacity(), MaxFigurePoints)));
    const bool roomForAll = points.size() + count <= MaxFigurePoints;
    double c = 1.0;
    double s = 0.0;
    for (long long i = 0; i <= n; ++i) {
        if (roomForAll ? m_failed : !beginPoint())
            break;
        const long long since = i % kReseed;
        const bool fresh = since == 0 || !rotate;
        if (fresh) {
            const double angle = ArcAngle(start, sweep, n, i);
            c = std::cos(angle);
            s = std::sin(angle);
        } else {
            const double nc = c * stepCos - s * stepSin;
            s = s * stepCos + c * stepSin;
            c = nc;
        }
        const double error = fresh ? 0.0 : static_cast<double>(64 + 16 * since) * 0x1p-53;
        TPlotPoint point;
        if (fastUnits(frame, c, s, error, point))
            emitPoint(point);
        else
            placeExact(frame, ArcAngle(start, sweep, n, i));
    }
}

// Millimetres to plotter units: Round(40000 * (v * mmPerUnit) / 1000) in
// the extended type, rounded by its mantissa (RoundToInt64) rather than by a
// conversion that switches the x87 rounding mode for every coordinate.
bool TDxfReader::toUnits(long double v, std::int64_t &units) const
{
    const long double factor = m_mmPerUnit;
    const long double u = 40000.0L * (v * factor) / 1000.0L;
    if (!(std::abs(u) <= MaxPlotCoordinate + 0.5L))
        return false; // beyond the range, or not a number
    units = RoundToInt64(u);
    return units >= -MaxPlotCoordinate && units <= MaxPlotCoordinate;
}

void TDxfReader::addPoints(const std::vector<TCurvePoint> &points)
{
    for (const TCurvePoint &p : points)
        addPoint(p);
}

void TDxfReader::addCurve(const std::vector<TCurvePoint> &points, bool tooLong)
{
    if (tooLong) {
        fail({}, "krzywaZaDuza");
        return;
    }
    addPoints(points);
}

bool TDxfReader::checkPoint(TCurvePoint p)
{
    if (checkExtent(p, 0.0))
        return true;
    // A point out of the range is shown as its coordinates alone.
    m_error->text = std::to_string(static_cast<double>(p.x)) + " " + std::to_string(static_cast<double>(p.y));
    m_error->what.clear();
    return false;
}

// A curve whose extent lies outside the plotter range is refused before it
// is flattened (a huge radius would otherwise make millions of points).
bool TDxfReader::checkExtent(TCurvePoint centre, double radius)
{
    const long double reach
        = (std::abs(centre.x) + std::abs(centre.y) + std::abs(radius)) * mmPerUnit() * 40.0L;
    if (!(reach <= 2.0L * MaxPlotCoordinate)) {
        fail(std::to_string(radius), "krzywaZaDuza");
        return false;
    }
    return true;
}

bool TDxfReader::ReadFigure(tfigura &figure, TReadError &error)
{
    m_figure = &figure;
    m_error = &error;
    figure.pen = static_cast<std::uint8_t>(m_pen);
    m_last = NoPoint;
    bool complete = false;
    while (!complete && !m_eof && !m_failed) {
        const std::string_view line = m_lines.ReadTextLine();
        m_eof = m_lines.atEnd();
        if (!m_lines.parity()) {
            if (!parseCode(line, m_lastCode))
                m_lastCode = -1;
            continue;
        }
        const std::string_view value = TrimBlanks(line);
        if (m_lastCode == 2 && value == "ENTITIES") {
            m_section = true;
        } else if (m_lastCode == 2 && value == "OBJECTS") {
            m_eof = true; // the reader never goes past the entities
        } else if (m_lastCode == 9 && value == "$LTSCALE") {
            readLtScale();
        } else if (m_section && !m_eof && m_lastCode == 0) {
            // Names compare exactly, as the value line stands.
            complete = dispatch(line);
            if (complete)
                m_eof = m_lines.atEnd();
        }
    }
    if (m_failed)
        return false;
    figure.FinishReading();
    return true;
}

bool TDxfReader::dispatch(std::string_view name)
{
    if (name == "LINE")
        readLine();
    else if (name == "CIRCLE")
        readCircle();
    else if (name == "ARC")
        readArc();
    else if (name == "ELLIPSE")
        readEllipse();
    else if (name == "POLYLINE")
        readPolyline(false);
    else if (name == "LWPOLYLINE")
        readPolyline(true);
    else if (name == "SPLINE")
        readSpline();
    else
        return false;
    return true;
}

void TDxfReader::readLtScale()
{
    int code = 0;
    if (!readCode(code))
        return;
    if (code == 0) {
        // No value: the next line is a section or entity name again.
        return;
    }
    readReal(m_ltScale);
    updateUnit();
}

void TDxfReader::readLine()
{
    double x10 = 0, y20 = 0, x11 = 0, y21 = 0;
    int seen = 0;
    int code = 0;
    while (readCode(code) && code != 0) {
        double *target = nullptr;
        int bit = 0;
        switch (code) {
        case 10:
            target = &x10;
            bit = 1;
            break;
        case 20:
            target = &y20;
            bit = 2;
            break;
        case 11:
            target = &x11;
            bit = 4;
            break;
        case 21:
            target = &y21;
            bit = 8;
            break;
        case 62:
            if (!readColour())
                return;
            continue;
        default:
            readValue();
            continue;
        }
        if (!readReal(*target))
            return;
        seen |= bit;
    }
    if (seen != 15)
        return; // a LINE cut short gives no figure
    m_figure->points.reserve(2);
    addPoint({x10, y20});
    addPoint({x11, y21});
}

void TDxfReader::readCircle()
{
    TCurvePoint centre;
    double r = 0.0;
    if (!readPoint(10, 20, centre) || !seekReal(40, r))
        return;
    if (!checkExtent(centre, r))
        return;
    bool tooLong = false;
    const auto points = FlattenCircle(centre, r, mmPerUnit(), m_options.minimumChordMm, &tooLong);
    addCurve(points, tooLong);
}

void TDxfReader::readArc()
{
    TCurvePoint centre;
    double r = 0.0;
    double a50 = 0.0;
    double a51 = 0.0;
    if (!readPoint(10, 20, centre) || !seekReal(40, r) || !seekReal(50, a50))
        return;
    // The code after the start angle carries the end angle.
    int code = 0;
    if (!readCode(code) || code == 0 || !readReal(a51))
        return;
    skipToCodeZero();
    if (m_failed || !checkExtent(centre, r))
        return;
    const double start = 2 * Pi * a50 / 360;
    const double end = 2 * Pi * a51 / 360;
    double sweep = end - start;
    if (sweep < 0)
        sweep += 2 * Pi;
    addArc(centre, r, start, sweep);
}

void TDxfReader::readEllipse()
{
    TCurvePoint centre;
    double mx = 0.0;
    double my = 0.0;
    double ratio = 1.0;
    if (!readPoint(10, 20, centre) || !seekReal(11, mx) || !seekReal(21, my) || !seekReal(40, ratio))
        return;
    // The parameters may be left out; they default to the whole ellipse.
    double t0 = 0.0;
    double t1 = 2 * Pi;
    if (seekReal(41, t0))
        seekReal(42, t1);
    if (m_failed || !checkExtent(centre, std::hypot(mx, my)) || !std::isfinite(ratio)
        || std::abs(ratio) > 1.0)
        return;
    bool tooLong = false;
    const auto points
        = FlattenEllipse(centre, {mx, my}, ratio, t0, t1, mmPerUnit(), m_options.minimumChordMm, &tooLong);
    addCurve(points, tooLong);
}

void TDxfReader::readPolyline(bool light)
{
    // Header: the flags (code 70), or a code 0 with flags 0. A light
    // polyline may give its first vertex before any flags.
    std::int32_t flags = 0;
    int found = 0;
    bool atTen = false;
    const bool header = light ? seekCode({70, 10}, found) : seekCode({70}, found);
    if (header && found == 70) {
        if (!readInt(flags))
            return;
    } else if (header && found == 10) {
        atTen = true;
    } else if (light || m_failed || m_lines.atEnd()) {
        return;
    }
    // Spline-fit vertices (4) are taken through the fitted ones; a 3D
    // polyline (8 without 4) runs straight through all of its vertices.
    if (!light && (flags & 4)) {
        readFitVertices(flags);
        return;
    }
    readVertices(flags, light, atTen);
}

// The point of the next VERTEX of a POLYLINE; SEQEND (or anything else)
// ends the polyline. atZero: the reader stands on the code 0 of the next
// entity already.
bool TDxfReader::readNextVertex(bool atZero, TCurvePoint &p)
{
    if (!atZero) {
        skipToCodeZero();
        if (m_failed || m_lines.atEnd())
            return false;
    }
    if (!nextValueIs("VERTEX")) {
        nextValueIs("SEQEND");
        return false;
    }
    return readPoint(10, 20, p);
}

void TDxfReader::readVertices(std::int32_t flags, bool light, bool headerAtTen)
{
    bool hasFirst = false;
    TCurvePoint first;
    TCurvePoint previous;
    double previousBulge = 0.0;
    bool atTen = headerAtTen;
    bool atZero = false; // the code 0 after the header (POLYLINE)
    if (!light && m_lastCode == 0)
        atZero = true;
    for (;;) {
        TCurvePoint p;
        if (light) {
            if (!atTen) {
                int found = 0;
                if (!seekCode({10}, found))
                    break;
            }
            double x = 0.0;
            double y = 0.0;
            if (!readReal(x) || !seekReal(20, y))
                break;
            p = {x, y};
        } else if (!readNextVertex(atZero, p)) {
            break;
        }
        if (!checkPoint(p))
            return;
        if (hasFirst && previousBulge != 0.0)
            addBulge(previous, p, previousBulge);
        double bulge = 0.0;
        atTen = false;
        atZero = false;
        int code = 0;
        while (readCode(code)) {
            if (code == 0) {
                atZero = true;
                break;
            }
            if (light && code == 10) {
                atTen = true;
                break;
            }
            if (code == 42) {
                if (!readReal(bulge))
                    break;
            } else if (code == 62) {
                if (!readColour())
                    break;
            } else {
                readValue();
            }
        }
        if (m_failed)
            return;
        addPoint(p);
        if (!hasFirst) {
            first = p;
            hasFirst = true;
        }
        previous = p;
        previousBulge = bulge;
        if ((light && !atTen) || (!light && !atZero))
            break;
    }
    if (m_failed || !hasFirst)
        return;
    if (flags & 1) {
        // The closing segment keeps the last vertex's bulge.
        if (previousBulge != 0.0)
            addBulge(previous, first, previousBulge);
        addPoint(first);
    }
}

void TDxfReader::addBulge(TCurvePoint from, TCurvePoint to, double bulge)
{
    // Both ends lie in the range. A bulge near zero has its centre far away
    // but an arc as short as its chord; one near a whole turn has an arc of
    // a huge circle, which the chord limit refuses before it is flattened.
    if (bulge == 0.0) {
        addPoint(from);
        addPoint(to);
        return;
    }
    const TBulgeArc arc = BulgeArc(from, to, bulge);
    addArc(arc.centre, arc.r, arc.start, arc.sweep);
}

void TDxfReader::readFitVertices(std::int32_t flags)
{
    std::vector<TCurvePoint> kept;
    bool atZero = m_lastCode == 0;
    for (;;) {
        TCurvePoint p;
        if (!readNextVertex(atZero, p))
            break;
        // Only the vertices the fitting made (8) and those of a 3D
        // polyline (32) lie on the curve; frame control points do not.
        int found = 0;
        atZero = false;
        if (seekCode({70}, found)) {
            std::int32_t vertexFlags = 0;
            if (!readInt(vertexFlags))
                return;
            if (vertexFlags == 8 || vertexFlags == 32) {
                // Checked before the curve is flattened: one vertex far
                // outside the range would make a span of millions of chords.
                if (!checkPoint(p))
                    return;
                kept.push_back(p);
            }
        } else {
            atZero = !m_failed && !m_lines.atEnd();
        }
        if (m_failed)
            return;
    }
    if (m_failed)
        return;
    bool tooLong = false;
    const auto points
        = FlattenFitPolyline(kept, (flags & 1) != 0, mmPerUnit(), m_options.minimumChordMm, &tooLong);
    addCurve(points, tooLong);
}

void TDxfReader::readSpline()
{
    std::int32_t degree = 0;
    std::int32_t knotCount = 0;
    std::int32_t controlCount = 0;
    int found = 0;
    if (!seekCode({71}, found) || !readInt(degree))
        return;
    if (!seekCode({72}, found) || !readInt(knotCount))
        return;
    if (!seekCode({73}, found) || !readInt(controlCount))
        return;
    // The counts announce what follows; the lists below hold what was read.
    TSplineData spline;
    spline.degree = degree;
    int code = 0;
    bool ended = false; // a code 0 or the end of the file came inside a point
    while (!ended && readCode(code) && code != 0) {
        double value = 0.0;
        switch (code) {
        case 40:
            if (!readReal(value))
                return;
            spline.knots.push_back(value);
            break;
        case 10:
        case 11:
        case 12:
        case 13: {
            // Control points (10/20), fit points (11/21), and the start
            // (12/22) and end (13/23) tangents of a fit-point spline.
            double x = 0.0;
            double y = 0.0;
            if (!readReal(x) || !seekReal(code + 10, y)) {
                ended = true;
                break;
            }
            const TCurvePoint point {x, y};
            if (code == 10)
                spline.controlPoints.push_back(point);
            else if (code == 11)
                spline.fitPoints.push_back(point);
            else
                (code == 12 ? spline.startTangent : spline.endTangent) = point;
            break;
        }
        case 62:
            if (!readColour())
                return;
            break;
        default:
            readValue();
            break;
        }
    }
    if (m_failed)
        return;
    for (const auto *list : {&spline.controlPoints, &spline.fitPoints}) {
        for (const TCurvePoint &p : *list) {
            if (!checkExtent(p, 0.0))
                return;
        }
    }
    bool tooLong = false;
    const auto points = FlattenSplineEntity(spline, mmPerUnit(), m_options.minimumChordMm, &tooLong);
    addCurve(points, tooLong);
}
