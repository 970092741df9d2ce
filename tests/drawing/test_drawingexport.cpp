#include "drawing/drawingexport.h"
#include "drawingtesthelpers.h"

#include <gtest/gtest.h>

namespace {

using Points = std::vector<TPlotPoint>;

tfigura figure(Points points, bool drawing = true)
{
    tfigura f;
    f.points = std::move(points);
    f.drawingFigure = drawing;
    return f;
}

const std::string dxfStart = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
const std::string dxfEnd = "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

std::string vertex(const char *x, const char *y)
{
    return std::string("  0\r\nVERTEX\r\n  10\r\n") + x + "\r\n  20\r\n" + y + "\r\n  30\r\n0.000\r\n";
}

} // namespace

TEST(DrawingExport, WritesExactBytes)
{
    struct Case
    {
        const char *name;
        std::vector<tfigura> figures;
        std::string hpgl;
        std::string dxf;
    };
    const Case cases[] = {
        {"no figures", {}, "", dxfStart + dxfEnd},
        {"a figure without points writes nothing", {figure({})}, "", dxfStart + dxfEnd},
        {"two points",
         {figure({{40, 60}, {80, 60}})},
         "PA 40,60;\r\nPD 80,60;\r\nPU;\r\n",
         dxfStart + "  0\r\nPOLYLINE\r\n" + vertex("1.000", "1.500") + vertex("2.000", "1.500")
             + "  0\r\nSEQEND\r\n" + dxfEnd},
        {"one point, negative, every unit exact",
         {figure({{-400, 1}})},
         "PA -400,1;\r\nPU;\r\n",
         dxfStart + "  0\r\nPOLYLINE\r\n" + vertex("-10.000", "0.025") + "  0\r\nSEQEND\r\n" + dxfEnd},
        {"a closed figure's repeated point twice, then a connector",
         {figure({{0, 0}, {-1, 0}, {0, 0}}), figure({{0, 0}, {21474835, -21474835}}, false)},
         "PA 0,0;\r\nPD -1,0;\r\nPD 0,0;\r\nPU;\r\nPA 0,0;\r\nPD 21474835,-21474835;\r\nPU;\r\n",
         dxfStart + "  0\r\nPOLYLINE\r\n" + vertex("0.000", "0.000") + vertex("-0.025", "0.000")
             + vertex("0.000", "0.000") + "  0\r\nSEQEND\r\n  0\r\nPOLYLINE\r\n" + vertex("0.000", "0.000")
             + vertex("536870.875", "-536870.875") + "  0\r\nSEQEND\r\n" + dxfEnd},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExportHpgl(c.figures), c.hpgl);
        EXPECT_EQ(ExportDxf(c.figures), c.dxf);
    }
}

// Our own readers take the export back: the same points through HPGL, and
// through DXF in the millimetre unit, since three decimals hold every unit.
TEST(DrawingExport, ReadsBackThroughOurReaders)
{
    constexpr std::int32_t M = MaxPlotCoordinate;
    const std::vector<tfigura> figures {
        figure({{-M, -M}, {M, -M}, {M, M}, {-M, M}, {-M, -M}}),
        figure({{-M, -M}, {-12345, 67891}}, false), // a connector
        figure({{1, 1}, {2, 3}, {-5, 7}, {40, -41}, {39, -41}}),
        figure({{7, 7}}), // one point: HPGL has no stroke for it
        figure({{100, 0}, {100, 0}, {200, 0}}), // the readers drop the repeated point
    };
    const std::vector<Points> expectedHpgl {figures[0].points, figures[1].points, figures[2].points,
                                            Points {{100, 0}, {200, 0}}};
    const TReadResult hpgl = readDrawing(ExportHpgl(figures), TDrawingKind::Hpgl);
    ASSERT_TRUE(hpgl.ok);
    const std::vector<tfigura> fromHpgl = hpgl.validFigures();
    ASSERT_EQ(fromHpgl.size(), expectedHpgl.size());
    for (std::size_t i = 0; i < fromHpgl.size(); ++i)
        EXPECT_EQ(fromHpgl[i].points, expectedHpgl[i]) << "HPGL figure " << i;

    // The DXF reader keeps a one-point polyline as a figure of one point.
    const std::vector<Points> expectedDxf {figures[0].points, figures[1].points, figures[2].points,
                                           figures[3].points, Points {{100, 0}, {200, 0}}};
    const TReadResult dxf = readDrawing(ExportDxf(figures), TDrawingKind::Dxf);
    ASSERT_TRUE(dxf.ok) << dxf.error.text;
    const std::vector<tfigura> fromDxf = dxf.validFigures();
    ASSERT_EQ(fromDxf.size(), expectedDxf.size());
    for (std::size_t i = 0; i < fromDxf.size(); ++i)
        EXPECT_EQ(fromDxf[i].points, expectedDxf[i]) << "DXF figure " << i;
}
