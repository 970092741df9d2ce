#include "project/archbending.h"

#include "app/language.h"
#include "app/messages.h"
#include "drawing/geometry.h"
#include "drawing/jobbytes.h"

#include <cmath>

namespace {

QString Text(const char *key)
{
    return GetText(QStringLiteral("Arch_cutting"), QString::fromLatin1(key));
}

void ShowRefusal(const char *key)
{
    ShowMsg(Text(key) + QStringLiteral("\n\n") + Text("wymaganaKrzywa"), true);
}

double Deviation(TPlotPoint middle, TPlotPoint before, TPlotPoint after)
{
    return DistanceToSegment(middle, TSegment {before, after}).distance;
}

bool WithinCoordinates(long double x)
{
    return x >= -(long double)MaxPlotCoordinate && x <= (long double)MaxPlotCoordinate;
}

std::int64_t RoundedLength(TPlotPoint p, TPlotPoint q)
{
    return RoundToInt64(PointDistance32(p, q));
}

} // namespace

void TCurveTransformer::Analyse()
{
    const std::vector<TPlotPoint> &p = m_points;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        const auto length = std::int32_t(RoundedLength(p[i], p[i + 1]));
        m_leastLength = std::min(m_leastLength, length);
        m_greatestLength = std::max(m_greatestLength, length);
    }
    for (std::size_t i = 0; i + 2 < p.size(); ++i) {
        const double d = Deviation(p[i + 1], p[i], p[i + 2]);
        if (d > 0 && d < m_leastDeviation)
            m_leastDeviation = d;
        if (d > m_greatestDeviation)
            m_greatestDeviation = d;
    }
}

void TCurveTransformer::Reduce()
{
    // A removed point makes its successor the middle point of the same
    // triple; collecting the kept points in one pass does that without
    // shifting the list at every removal.
    std::vector<TPlotPoint> &p = m_points;
    if (p.size() < 3)
        return;
    const double limit = m_ratio * m_leastDeviation;
    std::size_t kept = 1; // p[0 .. kept) are final, p[kept - 1] the chord's start
    TPlotPoint middle = p[1];
    for (std::size_t j = 2; j < p.size(); ++j) {
        if (!(Deviation(middle, p[kept - 1], p[j]) < limit))
            p[kept++] = middle;
        middle = p[j];
    }
    p[kept++] = middle;
    p.resize(kept);
}

std::vector<TPlotPoint> CurvePoints(const TProjectDocument &source)
{
    std::vector<TPlotPoint> curve;
    if (source.Figures.empty())
        return curve;
    for (const TPlotPoint p : source.Figures.front().points) {
        if (curve.empty() || !(curve.back() == p))
            curve.push_back(p);
    }
    return curve;
}

bool CheckCurve(const TProjectDocument &source, const std::vector<TPlotPoint> &curve, double depthMm)
{
    if (!(depthMm > 0) || curve.size() < 3)
        return false;
    if (!source.SingleOpenFigure) {
        ShowRefusal("projWieloelementNiedozwolony");
        return false;
    }
    const int direction = curve.front().x >= curve.back().x ? -1 : 1;
    for (std::size_t i = 0; i + 2 < curve.size(); ++i) {
        const double a = VertexAngle(curve[i + 2], curve[i + 1], curve[i]);
        if ((direction < 0 && a < 0) || (direction > 0 && a > 0)) {
            ShowRefusal("niedozwolonaWypuklosc");
            return false;
        }
    }
    return true;
}

std::optional<TNotchPath> BuildNotchPath(const std::vector<TPlotPoint> &p, std::int32_t depth)
{
    TNotchPath path;
    std::vector<TPlotPoint> &out = path.figure.points;
    out.push_back({0, depth});
    const std::size_t n = p.size();
    if (n < 3) {
        // No bend left: the straight strip of the curve's length.
        std::int64_t length = 0;
        for (std::size_t i = 0; i + 1 < n; ++i)
            length += RoundedLength(p[i], p[i + 1]);
        if (!WithinCoordinates(length))
            return std::nullopt;
        out.push_back({std::int32_t(length), depth});
        return path;
    }
    std::int64_t s = 0; // the strip position: unrolled length so far
    std::int64_t previousB = 0;
    for (std::size_t i = 0; i + 2 < n; ++i) {
        const long double a = VertexAngle(p[i + 2], p[i + 1], p[i]);
        const long double h = std::fabs(std::tan(a / 2) * depth);
        const std::int64_t m = s + RoundedLength(p[i], p[i + 1]);
        if (!std::isfinite(h) || !WithinCoordinates(m - h) || !WithinCoordinates(m + h))
            return std::nullopt;
        const std::int64_t half = RoundToInt64(h);
        if (i > 0 && m - half < previousB)
            path.overlap = true;
        out.push_back({std::int32_t(m - half), depth});
        out.push_back({std::int32_t(m), 0});
        out.push_back({std::int32_t(m + half), depth});
        previousB = m + half;
        s = m;
    }
    const std::int64_t end = s + RoundedLength(p[n - 2], p[n - 1]);
    if (!WithinCoordinates(end))
        return std::nullopt;
    out.push_back({std::int32_t(end), depth});
    return path;
}

std::optional<TBentProject> BuildBentProject(const TProjectDocument &source, double depthMm,
                                             int reductionRatio)
{
    std::vector<TPlotPoint> curve = CurvePoints(source);
    if (!CheckCurve(source, curve, depthMm))
        return std::nullopt;
    TCurveTransformer transformer(curve, reductionRatio);
    transformer.Analyse();
    transformer.Reduce();
    std::optional<TNotchPath> path = BuildNotchPath(curve, MmToUnits(depthMm));
    if (!path) {
        ShowRefusal("niedozwolonaWypuklosc");
        return std::nullopt;
    }
    TBentProject bent;
    TProjectDocument &doc = bent.document;
    doc.setSettings(source.settings());
    doc.ReaderKind = source.ReaderKind;
    path->figure.pen = source.Figures.front().pen;
    path->figure.penWidth = source.Figures.front().penWidth;
    doc.AddFigure(std::move(path->figure));
    doc.Ustaw_PPiPK();
    doc.ProjectWidth = doc.PK.x - doc.PP.x;
    doc.ProjectHeight = doc.PK.y - doc.PP.y;
    doc.MaxDepth = 0;
    doc.SelectedFigure = -1;
    bent.overlap = path->overlap;
    return bent;
}
