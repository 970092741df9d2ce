// The project view's logic without a screen: the fit into the window, the
// colours by cutting mode, picking, the point listing, the simulated path in
// the order the job cuts, its pacing, and the recorded wire path.

#include "paintsupport.h"
#include "project/flatplanproject.h"
#include "project/simulation.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using painttest::Figure;
using painttest::FramedSquare;
using painttest::UnitTransform;

TProjectDocument Rectangle1000x500()
{
    TProjectDocument doc;
    doc.Figures = {Figure({{200, 300}, {1200, 300}, {1200, 800}, {200, 800}, {200, 300}})};
    doc.Ustaw_PPiPK();
    doc.ProjectWidth = 1000;
    doc.ProjectHeight = 500;
    return doc;
}

TEST(ViewTransform, FitsTheProjectInsideTheMarginsAndTheFrame)
{
    const TProjectDocument doc = Rectangle1000x500();
    struct Case
    {
        const char *name;
        TPaintSettings settings;
        int width, height, bar;
        int x0, y0;
        double scale;
        TPixel topRight;
    };
    TPaintSettings turning;
    turning.Mode = 3;
    turning.StolikSwitch = 0;
    turning.Srednicamaterialu = 100; // radius 2000 units, above the project's 500
    TPaintSettings turningFree = turning;
    turningFree.StolikSwitch = 2;
    const Case cases[] = {
        // Usable 404 x 132: the height decides.
        {"flat", {}, 424, 182, 20, 7, 155, 132.0L / 501, {270, 23}},
        // Usable 980 x 2000: the width decides.
        {"tall", {}, 1000, 2050, 20, 7, 2023, 980.0L / 1001, {986, 1533}},
        {"turning with mounting", turning, 424, 182, 20, 7, 155, 132.0L / 2001, {73, 122}},
        {"turning without mounting", turningFree, 424, 182, 20, 7, 155, 132.0L / 501, {270, 23}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TViewTransform t = ComputeViewTransform(doc, c.settings, c.width, c.height, c.bar);
        ASSERT_TRUE(t.valid);
        EXPECT_EQ(t.X0, c.x0);
        EXPECT_EQ(t.Y0, c.y0);
        EXPECT_DOUBLE_EQ(t.scale, c.scale);
        EXPECT_EQ(t.map(doc.PP), (TPixel {c.x0, c.y0}));
        EXPECT_EQ(t.map(doc.PK), c.topRight);
    }
}

TEST(ViewTransform, NothingIsDrawnWithoutRoomOrWithoutAProject)
{
    // Broke: a window narrower than its margins got a negative scale and
    // mirrored the project; an empty project divided by its zero size.
    const TProjectDocument doc = Rectangle1000x500();
    EXPECT_FALSE(ComputeViewTransform(doc, {}, 19, 300, 20).valid);
    EXPECT_FALSE(ComputeViewTransform(doc, {}, 20, 300, 20).valid);
    EXPECT_FALSE(ComputeViewTransform(doc, {}, 300, 50, 20).valid);
    EXPECT_TRUE(ComputeViewTransform(doc, {}, 21, 300, 20).valid);
    EXPECT_TRUE(BuildPaintPlan(doc, {}, 19, 300, 20).items.empty());

    const TProjectDocument empty;
    EXPECT_FALSE(ComputeViewTransform(empty, {}, 400, 300, 20).valid);
    EXPECT_TRUE(BuildPaintPlan(empty, {}, 400, 300, 20).items.empty());
}

TEST(FigureColours, FollowTheCuttingModeAndTheFigureState)
{
    TProjectDocument doc;
    auto make = [](std::uint8_t pen, bool open, bool pending) {
        tfigura f = open ? Figure({{0, 0}, {10, 10}, {20, 0}}) : Figure({{0, 0}, {10, 0}, {10, 10}, {0, 0}});
        f.pen = pen;
        f.pending = pending;
        return f;
    };
    doc.Figures = {make(5, false, false), make(4, false, false), make(3, true, false),
                   make(5, false, true),  make(6, false, false), make(5, true, false)};
    doc.AxisFigure = 1;
    using C = TFigureColour;
    const C K = C::Black, B = C::Blue, R = C::Red, G = C::Green, Y = C::Yellow, W = C::White;
    struct Case
    {
        int mode, stolik, selected;
        std::vector<C> expected;
    };
    const Case cases[] = {
        {0, 0, -1, {K, K, B, R, K, B}},
        {2, 1, -1, {K, K, B, R, K, B}},
        {5, 0, 2, {K, K, W, R, K, B}},
        {1, 0, -1, {K, G, K, K, K, K}},
        {3, 2, -1, {K, K, B, K, K, B}},
        {3, 0, -1, {K, G, K, K, K, K}},
        {3, 1, 1, {K, W, K, K, K, K}},
        // Independent: pen 4 green, 3 red, 6 yellow, others as the figure
        // before; the first figure's unlisted pen black.
        {4, 0, -1, {K, G, R, R, Y, Y}},
        // The selection's white does not pass to the next unlisted pen.
        {4, 0, 2, {K, G, W, R, Y, Y}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " table " + std::to_string(c.stolik) + " selected "
                     + std::to_string(c.selected));
        TPaintSettings s;
        s.Mode = c.mode;
        s.StolikSwitch = c.stolik;
        doc.SelectedFigure = c.selected;
        EXPECT_EQ(FigureColours(doc, s), c.expected);
    }
}

TEST(PaintPlan, DrawsFiguresOncePerPixelAndCirclesCrossPoints)
{
    TProjectDocument doc;
    doc.Figures = {
        Figure({{0, 0}, {999, 0}, {999, 999}, {0, 999}, {0, 0}}),
        Figure({{10, 10}, {11, 10}, {12, 11}, {500, 500}}), // the first three fall on one pixel
        Figure({{700, 700}, {700, 700}}),
    };
    doc.Figures[1].depth = 1;
    doc.Figures[2].crossPoint = true;
    doc.Ustaw_PPiPK();
    doc.ProjectWidth = doc.ProjectHeight = 999;
    // 100 x 100 usable: a tenth of a pixel per unit.
    const TPaintPlan plan = BuildPaintPlan(doc, {}, 120, 130, 10);
    ASSERT_TRUE(plan.transform.valid);
    ASSERT_EQ(plan.items.size(), 3u);
    EXPECT_EQ(plan.items[0].pixels,
              (std::vector<TPixel> {{7, 113}, {107, 113}, {107, 13}, {7, 13}, {7, 113}}));
    EXPECT_EQ(plan.items[1].pixels, (std::vector<TPixel> {{8, 112}, {57, 63}}));
    EXPECT_FALSE(plan.items[1].circle);
    EXPECT_FALSE(plan.items[2].circle); // cross points are circled with cross-to-point only

    TPaintSettings cross;
    cross.cbKrzyzToPunkt = true;
    const TPaintPlan crossPlan = BuildPaintPlan(doc, cross, 120, 130, 10);
    EXPECT_TRUE(crossPlan.items[1].pixels.empty()); // nested figures are not drawn
    EXPECT_TRUE(crossPlan.items[2].circle);
    EXPECT_EQ(crossPlan.items[2].circleCentre, (TPixel {77, 43}));
}

TEST(Picking, SelectsWithinThreePixelsAndTheLastFigureWins)
{
    std::vector<tfigura> figures = {
        Figure({{0, 0}, {100, 0}}), Figure({{0, 50}, {100, 50}, {100, 100}}),
        Figure({{200, 200}}), // no segment
    };
    const TViewTransform t = UnitTransform();
    struct Case
    {
        double x, y;
        std::int32_t expected;
    };
    const Case cases[] = {
        {50, 1002.9, 0},  {50, 1003.0, -1},  {50, 997.1, 0}, // below and above the line at y 1000
        {102.9, 1000, 0}, {103.0, 1000, -1}, // beyond the end
        {50, 950, 1},     {102.9, 925, 1},   {103, 925, -1}, {200, 800, -1}, // a single point is never picked
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(PickFigure(figures, t, c.x, c.y), c.expected);
    }
    // Two figures on one line: the later one.
    figures.push_back(Figure({{0, 0}, {50, 0}}));
    EXPECT_EQ(PickFigure(figures, t, 20, 1001), 3);
    EXPECT_EQ(PickFigure(figures, TViewTransform {}, 20, 1001), -1);
}

TEST(Picking, MeasuresInTheRoundedPixelsOfTheView)
{
    // At a third of a pixel per unit the segment lands on rounded pixels:
    // (0,0)-(301,0) ends at pixel 100, so 102.9 still reaches it.
    const std::vector<tfigura> figures = {Figure({{0, 0}, {301, 0}})};
    TViewTransform t = UnitTransform();
    t.scale = 1.0 / 3.0;
    EXPECT_EQ(PickFigure(figures, t, 102.9, 1000), 0);
    EXPECT_EQ(PickFigure(figures, t, 103.0, 1000), -1);
}

TEST(PointListing, ListsEveryPointInMillimetres)
{
    const tfigura figure = Figure({{40, 80}, {-20, 5}, {4000000, 41}});
    // 5 units are 0.125 mm: the half goes to the even neighbour.
    EXPECT_EQ(PointListingText(figure),
              "[mm]\r\n\r\np0:(1.00 ; 2.00)\r\np1:(-0.50 ; 0.12)\r\np2:(100000.00 ; 1.02)");
    EXPECT_EQ(PointListingText(Figure({{4938272, 0}})), "[mm]\r\n\r\np0:(123456.80 ; 0.00)");
    EXPECT_EQ(PointListingText(tfigura {}), "[mm]\r\n");
}

TEST(AnimatedStep, VisitsTheRoundedPixelsAndEndsOnTheTarget)
{
    // Broke: the pixel formula overshot a one-pixel step by a pixel.
    EXPECT_EQ(AnimatedStepPixel({0, 0}, {1, 0}, 1, 1), (TPixel {1, 0}));
    EXPECT_EQ(AnimatedStepPixel({5, 5}, {4, 4}, 1, 1), (TPixel {4, 4}));

    EXPECT_EQ(AnimatedStepCount({0, 0}, {3, 4}), 5);
    EXPECT_EQ(AnimatedStepCount({0, 0}, {1, 1}), 1);
    EXPECT_EQ(AnimatedStepCount({2, 2}, {2, 2}), 0);
    std::vector<TPixel> path;
    for (int i = 1; i <= 5; ++i)
        path.push_back(AnimatedStepPixel({0, 0}, {-3, 4}, 5, i));
    EXPECT_EQ(path, (std::vector<TPixel> {{-1, 1}, {-1, 2}, {-2, 2}, {-2, 3}, {-3, 4}}));
}

// "J x,y" jump, "G x,y" go, "L x,y" line, "V x,y-x,y" wire, "C x,y" circle,
// "W ms", "P colour".
std::vector<std::string> Describe(const TSimulationPath &path)
{
    std::vector<std::string> out;
    auto xy = [](TPixel p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
    for (const TSimAction &a : path.actions) {
        switch (a.kind) {
        case TSimKind::Jump:
            out.push_back("J " + xy(a.a));
            break;
        case TSimKind::Go:
            out.push_back("G " + xy(a.a));
            break;
        case TSimKind::Line:
            out.push_back("L " + xy(a.a));
            break;
        case TSimKind::Wire:
            out.push_back("V " + xy(a.a) + "-" + xy(a.b));
            break;
        case TSimKind::Circle:
            out.push_back("C " + xy(a.a));
            break;
        case TSimKind::Wait:
            out.push_back("W " + std::to_string(static_cast<int>(a.delay)));
            break;
        case TSimKind::Pen:
            out.push_back(a.colour == TFigureColour::Yellow ? "P yellow" : "P red");
            break;
        }
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(FlatSimulation, FollowsTheCuttingTreeWithQuarterPauses)
{
    TProjectDocument doc;
    FramedSquare(doc);
    doc.AbortWalk = true;
    TPaintSettings s;
    s.Pauza_w_kacie = 202; // a quarter is 50.5: the half goes to 50
    const TSimulationPath path = BuildSimulation(doc, s, UnitTransform());
    EXPECT_FALSE(doc.AbortWalk);
    EXPECT_FALSE(path.merge);
    // The frame's own edges are left out; the connector is cut there and
    // back; the square runs from its entry towards the larger y.
    EXPECT_EQ(Describe(path),
              (Lines {"J 0,1000",  "P red",     "G 0,1000",  "W 50",      "W 50",     "L 100,900", "W 50",
                      "W 50",      "L 100,900", "W 50",      "L 100,500", "W 50",     "L 500,500", "W 50",
                      "L 500,900", "W 50",      "L 100,900", "W 50",      "L 0,1000", "W 50"}));

    doc.CutFrame = true;
    const Lines framed = Describe(BuildSimulation(doc, s, UnitTransform()));
    EXPECT_EQ(framed.size(), 30u);
    EXPECT_EQ(framed.back(), "W 50");
    EXPECT_EQ(framed[framed.size() - 2], "L 0,1000");
}

TEST(FlatSimulation, PlannedProjectMovesAsTheJobCuts)
{
    // Three nested squares planned by the flat planner: the points the job
    // writer moves the wire to for this project, in its order (less its
    // closing turn of the rotary axis, which stays in place).
    TProjectDocument doc;
    for (std::vector<TPlotPoint> square :
         {std::vector<TPlotPoint> {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}},
          {{100, 100}, {900, 100}, {900, 900}, {100, 900}, {100, 100}},
          {{200, 200}, {400, 200}, {400, 400}, {200, 400}, {200, 200}}}) {
        tfigura f;
        f.points = std::move(square);
        doc.AddFigure(std::move(f));
    }
    doc.Ustaw_PPiPK();
    doc.ProjectWidth = doc.ProjectHeight = 1000;
    ASSERT_EQ(ciecie(doc, TPlanControl {}).status, TPlanStatus::Planned);
    doc.CutFrame = true;
    const std::vector<TPlotPoint> job
        = {{100, 100}, {200, 200}, {200, 200},   {200, 400}, {400, 400}, {400, 200}, {200, 200},
           {100, 100}, {100, 100}, {100, 900},   {900, 900}, {900, 100}, {100, 100}, {0, 0},
           {0, 0},     {0, 1000},  {1000, 1000}, {1000, 0},  {0, 0}};
    std::vector<TPlotPoint> simulated;
    for (const TSimAction &a : BuildSimulation(doc, {}, UnitTransform()).actions)
        if (a.kind == TSimKind::Line)
            simulated.push_back({a.a.x, 1000 - a.a.y});
    EXPECT_EQ(simulated, job);
}

TEST(FlatSimulation, SingleOpenFigureStartsWhereTheFeedSignSays)
{
    struct Case
    {
        std::int8_t feed;
        Lines expected;
    };
    const Case cases[] = {
        {1, {"J 0,1000", "P red", "G 0,1000", "W 0", "L 250,900", "L 500,1000"}},
        {-1, {"J 0,1000", "P red", "G 500,1000", "W 0", "L 250,900", "L 0,1000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.feed));
        TProjectDocument doc;
        doc.Figures = {Figure({{500, 0}, {250, 100}, {0, 0}})};
        doc.Figures[0].vertexInfo.assign(3, TVertexInfo {}); // no corners
        doc.Ustaw_PPiPK();
        doc.RootFigure = 0;
        doc.SingleOpenFigure = true;
        doc.CutFrame = true;
        doc.FeedSign = c.feed;
        TPaintSettings s;
        s.Pauza_w_kacie = 0;
        EXPECT_EQ(Describe(BuildSimulation(doc, s, UnitTransform())), c.expected);
        EXPECT_EQ(doc.Figures[0].entryVertex, 0);
    }
}

TEST(FlatSimulation, CrossPointsAndPairedProfiles)
{
    TProjectDocument cross;
    cross.Figures = {Figure({{10, 10}, {10, 10}}), Figure({{0, 0}, {50, 50}}), Figure({{30, 40}, {30, 40}})};
    cross.Figures[0].crossPoint = cross.Figures[2].crossPoint = true;
    cross.Ustaw_PPiPK();
    TPaintSettings s;
    s.cbKrzyzToPunkt = true;
    s.Pauza_w_kacie = 120;
    EXPECT_EQ(
        Describe(BuildSimulation(cross, s, UnitTransform())),
        (Lines {"J 0,1000", "P red", "J 10,990", "C 10,990", "W 120", "J 30,960", "C 30,960", "W 120"}));

    // The wire between the front and the back profile, vertex by vertex
    // after the first, a pause of 50 units each.
    TProjectDocument paired;
    paired.Figures
        = {Figure({{0, 0}, {100, 0}, {100, 100}, {0, 0}}), Figure({{0, 10}, {80, 10}, {90, 90}, {0, 10}})};
    paired.Ustaw_PPiPK();
    paired.PairedProfiles = true;
    EXPECT_EQ(Describe(BuildSimulation(paired, {}, UnitTransform())),
              (Lines {"J 0,1000", "P red", "P yellow", "V 100,1000-80,990", "W 50", "V 100,900-90,910",
                      "W 50", "V 0,1000-0,990", "W 50"}));
}

TEST(RotarySimulation, CutsEachFigureOnceInTheFeedDirection)
{
    TProjectDocument doc;
    doc.Figures = {Figure({{0, 0}, {400, 0}}), Figure({{0, 0}, {100, 0}, {100, 100}}),
                   Figure({{300, 300}, {200, 300}})};
    doc.Figures[0].cut = false; // the axis
    doc.AxisFigure = 0;
    doc.Ustaw_PPiPK();
    struct Case
    {
        const char *name;
        int mode, stolik, catDir;
        Lines expected;
    };
    const Case cases[] = {
        {"rotary, both ways",
         1,
         0,
         2,
         {"J 0,1000", "P red", "G 0,1000", "L 100,1000", "L 100,900", "G 200,700", "L 300,700", "G 0,1000"}},
        {"rotary, right",
         1,
         0,
         0,
         {"J 0,1000", "P red", "G 0,1000", "L 100,1000", "L 100,900", "G 300,700", "L 200,700", "G 0,1000"}},
        {"rotary, left",
         1,
         1,
         1,
         {"J 0,1000", "P red", "G 100,900", "L 100,1000", "L 0,1000", "G 200,700", "L 300,700", "G 0,1000"}},
        // Turning starts high above the axis, so the first figure is entered
        // from its top.
        {"turning on the spindle",
         3,
         0,
         2,
         {"J 0,1000", "P red", "G 100,900", "L 100,1000", "L 0,1000", "G 200,700", "L 300,700", "G 0,1000"}},
        {"turning on the table",
         3,
         1,
         2,
         {"J 0,1000", "P red", "G 100,900", "L 100,1000", "L 0,1000", "G 200,700", "L 300,700", "G 0,1000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TPaintSettings s;
        s.Mode = c.mode;
        s.StolikSwitch = c.stolik;
        s.CatDir = c.catDir;
        const TSimulationPath path = BuildSimulation(doc, s, UnitTransform());
        EXPECT_TRUE(path.merge);
        EXPECT_EQ(Describe(path), c.expected);
    }
    // Turning without a mounting is cut flat.
    TPaintSettings free;
    free.Mode = 3;
    free.StolikSwitch = 2;
    EXPECT_FALSE(BuildSimulation(doc, free, UnitTransform()).merge);
}

TEST(PathRecording, RecordsEveryVertexOnceAsTheJobCutsIt)
{
    TProjectDocument doc;
    FramedSquare(doc);
    doc.PathRecords = {TPathRecord {1, 2, 3, 4}};
    RecordWirePath(doc, {});
    const std::int32_t square = PathRecordFigureBase + 1;
    const std::int32_t connector = PathRecordFigureBase + 2;
    // The square's first vertex equals the connector's end: not repeated.
    EXPECT_EQ(doc.PathRecords,
              (std::vector<TPathRecord> {{10001, 0, 0, 0},
                                         {connector, 1, 100, 100},
                                         {square, 3, 100, 500},
                                         {square, 2, 500, 500},
                                         {square, 1, 500, 100},
                                         {square, 0, 100, 100},
                                         {connector, 0, 0, 0}}));
}

TEST(SimulationPlayer, PacesPixelStepsAndWaitsBySpeed)
{
    TSimulationPath path;
    path.actions = {{TSimKind::Jump, {0, 0}, {}, 0, {}},
                    {TSimKind::Line, {10, 0}, {}, 0, {}},
                    {TSimKind::Wait, {}, {}, 50, {}},
                    {TSimKind::Go, {10, 5}, {}, 0, {}},
                    {TSimKind::Line, {0, 5}, {}, 0, {}}};
    auto ends = [](const std::vector<TSimDraw> &draws) {
        std::vector<std::string> out;
        for (const TSimDraw &d : draws)
            out.push_back(std::to_string(d.a.x) + "," + std::to_string(d.a.y) + "-" + std::to_string(d.b.x)
                          + "," + std::to_string(d.b.y));
        return out;
    };
    struct Step
    {
        double at; // in delay units
        std::vector<std::string> drawn;
        bool finished;
    };
    const std::vector<Step> steps = {
        {0, {}, false},  {4, {"0,0-4,0"}, false},     {10, {"4,0-10,0"}, false}, {59.9, {}, false},
        {64, {}, false}, // the wire moves without drawing
        {65, {}, false}, {67.5, {"10,5-8,5"}, false}, {1000, {"8,5-0,5"}, true},
    };
    for (int speed : {0, 3}) { // units of exactly 1 and 0.25 ms
        SCOPED_TRACE(speed);
        const double unit = 1.0 / (speed + 1);
        TSimulationPlayer player(path, speed);
        EXPECT_DOUBLE_EQ(player.totalMs(), 75 * unit);
        for (const Step &s : steps) {
            SCOPED_TRACE(s.at);
            EXPECT_EQ(ends(player.advance(s.at * unit)), s.drawn);
            EXPECT_EQ(player.finished(), s.finished);
        }
    }
    TSimulationPlayer stopped(path, 0);
    stopped.stop();
    EXPECT_TRUE(stopped.finished());
    EXPECT_TRUE(stopped.advance(1000).empty());
}

} // namespace
