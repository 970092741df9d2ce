#pragma once

#include "drawing/curves.h"
#include "drawing/drawingreader.h"
#include "drawing/textlines.h"

#include <initializer_list>
#include <string_view>

// The most points one figure may hold: a few of the longest curves the range
// allows. Past it the drawing is refused, so no drawing, however hostile,
// makes the reader hold more than this per figure.
inline constexpr std::size_t MaxFigurePoints = 4 * MaxCurveChords;

// DXF colour to pen: 1 gives pen 3, 2 gives 6, 3 gives 4, every other 0.
int DxfColourToPen(std::int32_t colour);

// Reader of the two-dimensional entities of a DXF drawing: one entity per
// call (LINE, CIRCLE, ARC, ELLIPSE, POLYLINE, LWPOLYLINE, SPLINE), in
// plotter units. Coordinates are taken in the program's length unit (and in
// inches when $LTSCALE marks an inch drawing); curves are flattened by the
// chord rule.
//
// Entity names count only as the value after a group code 0, section names
// after a code 2 and header variables after a code 9, so a layer or a text
// called "LINE" or "OBJECTS" does nothing. Every loop ends at the end of
// the file and at the next code 0, so a truncated file ends with the
// figures read so far.
class TDxfReader
{
public:
    TDxfReader(std::string_view text, TReaderOptions options);

    bool ReadFigure(tfigura &figure, TReadError &error);
    bool atEnd() const { return m_eof; }
    int pen() const { return m_pen; }

private:
    // Group-code pairs inside an entity.
    bool readCode(int &code);
    std::string_view readValue() { return m_lines.ReadTextLine(); }
    bool readReal(double &value);
    bool readInt(std::int32_t &value);
    template<typename T> bool readNumber(T &value, bool (*parse)(std::string_view, T &));
    // Reads pairs up to one with a wanted code (its value not yet read),
    // taking colours on the way; false at a code 0 or the end of the file.
    bool seekCode(std::initializer_list<int> wanted, int &found);
    bool seekReal(int code, double &value);
    bool readPoint(int xCode, int yCode, TCurvePoint &point);
    void skipToCodeZero();
    // After a code 0: true when its value is the given name (consumed);
    // otherwise the value line is left for the next read.
    bool nextValueIs(std::string_view name);
    bool readColour();

    // Reads the entity of that name; false when the name is no entity.
    bool dispatch(std::string_view name);
    void readLine();
    void readCircle();
    void readArc();
    void readEllipse();
    void readPolyline(bool light);
    bool readNextVertex(bool atZero, TCurvePoint &p);
    void readVertices(std::int32_t flags, bool light, bool headerAtTen);
    void readFitVertices(std::int32_t flags);
    void readSpline();
    void readLtScale();

    double mmPerUnit() const;
    void updateUnit();
    void addPoint(TCurvePoint p);
    // A circle (or, with radius 0, a point) whose points are placed: centre
    // and radius scaled to plotter units in double with the bounds of that
    // fast evaluation, and as read for the exact one.
    struct TCircleFrame
    {
        double x = 0.0;
        double y = 0.0;
        double r = 0.0;
        double boundX = 0.0;
        double boundY = 0.0;
        double radius = 0.0;
        TCurvePoint centre;
    };
    TCircleFrame circleFrame(TCurvePoint centre, double r) const;
    bool beginPoint();
    void placePoint(const TCircleFrame &frame, double angle, double cosine, double sine, double trigError);
    // The point in double when that provably rounds as the exact evaluation
    // does; false when it lies too near a half unit or out of the range.
    static bool fastUnits(const TCircleFrame &frame, double cosine, double sine, double trigError,
                          TPlotPoint &point);
    void placeExact(const TCircleFrame &frame, double angle);
    void emitPoint(TPlotPoint point);
    void addArc(TCurvePoint centre, double r, double start, double sweep);
    bool toUnits(long double v, std::int64_t &units) const;
    void addPoints(const std::vector<TCurvePoint> &points);
    // A flattened curve, or a conversion error when it needed too many chords.
    void addCurve(const std::vector<TCurvePoint> &points, bool tooLong);
    void addBulge(TCurvePoint from, TCurvePoint to, double bulge);
    bool checkExtent(TCurvePoint centre, double radius);
    bool checkPoint(TCurvePoint p);
    void fail(std::string_view text, const char *what = nullptr);

    TTextLines m_lines;
    TReaderOptions m_options;
    bool m_eof = false;
    bool m_section = false;
    bool m_failed = false;
    int m_pen = 1;
    int m_lastCode = -1;
    double m_ltScale = 1.0;
    double m_mmPerUnit = 1.0; // drawing unit to millimetres
    TPlotPoint m_last;
    tfigura *m_figure = nullptr;
    TReadError *m_error = nullptr;
};
