#pragma once

#include "drawing/curves.h"
#include "drawing/readerror.h"
#include "drawing/reduction.h"
#include "drawing/textlines.h"

#include <string_view>

// The stroke colour line (the whole line, compared exactly) to a pen:
// "0 0 0 1 K" 0, "0 1 1 0 K" 3, "1 0 1 0 K" 4, "0 0 1 0 K" 6, any other 0.
int AiColourToPen(std::string_view line);

// PostScript points to millimetres: a * 127 / 360 (a point is 25.4/72 mm).
long double PointsToMm(long double points);

// Samples a cubic Bezier segment as the EPS reader does: t from 0.01 by 0.01
// while below 1, added up in double (99 values, the last 0.9900000000000007),
// then p3 itself; 100 points, p0 not among them.
template<typename Sink>
void SampleEpsCurve(TCurvePoint p0, TCurvePoint p1, TCurvePoint p2, TCurvePoint p3, Sink &&sink)
{
    for (double t = 0.01; t < 1.0; t += 0.01)
        sink(BezierCubicPoint(p0, p1, p2, p3, t));
    sink(p3);
}

// Reader of the path operators of an Illustrator-style EPS file: one path per
// call, from the line "%%EndSetup" on, up to "%%EOF" or the end of the text.
// Coordinates are PostScript points; curves are sampled and the figure is
// thinned at 0.1 mm after each of them.
//
// A path line holds its operator as its last word and exactly that
// operator's count of numbers before it (m, l, L two; c, C six; v, V, y, Y
// four); anything else on such a line is a conversion error, never a point
// made of missing numbers. A lower-case closing operator (b, s, f, n) closes
// the path back to its last "m".
class TEpsReader
{
public:
    explicit TEpsReader(std::string_view text);

    bool ReadFigure(tfigura &figure, TReadError &error);
    bool atEnd() const { return m_eof; }
    int pen() const { return m_pen; }

private:
    // False on a conversion error; complete is set at the end of the path.
    bool processLine(std::string_view line, tfigura &figure, bool &complete);
    // False when the point lies outside the plotter range.
    bool addMmPoint(TCurvePoint mm, tfigura &figure);
    // Drops a point equal to the last one.
    void addPoint(TPlotPoint point, tfigura &figure);
    bool addCurve(char op, const long double *values, tfigura &figure);

    TTextLines m_lines;
    TResumableReduction m_reduction;
    bool m_eof = false;
    bool m_section = false; // "%%EndSetup" has been read
    int m_pen = 1;
    TPlotPoint m_last; // the last point added to the figure
    TPlotPoint m_subpathStart; // the point of the last "m"
    bool m_hasSubpath = false;
};
