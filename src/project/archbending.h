#pragma once

#include "project/projectdocument.h"

#include <cstdint>
#include <optional>
#include <vector>

// The arch-bending generator: a project of one open curve becomes a flat
// strip with V notches cut from one face. A board of the notch depth's
// thickness cut so bends along the curve as the notches close.

// Simplifies a curve before its notches are laid out: points that deviate
// less from the chord of their neighbours than `ratio` times the least
// deviation found are removed. Works on the list it is given.
class TCurveTransformer
{
public:
    explicit TCurveTransformer(std::vector<TPlotPoint> &points, int ratio = 1)
        : m_points(points)
        , m_ratio(ratio)
    { }

    // Least and greatest segment length (rounded) and deviation of a middle
    // point from the chord of its neighbours (the least only above 0).
    void Analyse();
    void Reduce();

    std::int32_t leastLength() const { return m_leastLength; }
    std::int32_t greatestLength() const { return m_greatestLength; }
    double leastDeviation() const { return m_leastDeviation; }
    double greatestDeviation() const { return m_greatestDeviation; }

private:
    std::vector<TPlotPoint> &m_points;
    int m_ratio;
    std::int32_t m_leastLength = 2147483647;
    std::int32_t m_greatestLength = 0;
    double m_leastDeviation = 2147483647.0;
    double m_greatestDeviation = 0.0;
};

// The points of the source's first figure with repeated consecutive points
// left out: a zero-length segment turns nowhere, yet would count as a turn.
std::vector<TPlotPoint> CurvePoints(const TProjectDocument &source);

// The checks before a strip is built, with their messages: a depth above 0
// and at least 3 points (else refused silently), one open figure, and a curve
// that turns one way only, the way its direction sets.
bool CheckCurve(const TProjectDocument &source, const std::vector<TPlotPoint> &curve, double depthMm);

struct TNotchPath
{
    tfigura figure;
    bool overlap = false; // a notch opens beyond the one before it
};

// The strip for the reduced curve and the depth in plotter units. Nothing
// when a notch or the strip would reach beyond the plotter's coordinates (a
// hairpin turn opens an endless notch).
std::optional<TNotchPath> BuildNotchPath(const std::vector<TPlotPoint> &points, std::int32_t depth);

struct TBentProject
{
    TProjectDocument document;
    bool overlap = false;
};

// Checks the source, reduces a copy of its curve with the ratio and lays out
// the strip as a new project (the source is left as it is). Nothing, after
// the message if there is one, when the curve is refused.
std::optional<TBentProject> BuildBentProject(const TProjectDocument &source, double depthMm,
                                             int reductionRatio);
