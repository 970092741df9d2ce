// The walk along the cutting tree: order, direction, pauses, the return
// along open figures, reversals and what the sink sees.

#include "plannedfigure.h"
#include "project/treewalker.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Events = std::vector<std::string>;

// "s x,y" for the start, "m x,y" for a move (with "|x,y" for the back wire
// end of paired profiles), "p" for a pause.
class RecordingSink : public CuttingTreeSink
{
public:
    void start(std::int32_t, std::int32_t, TPlotPoint p) override { events.push_back("s " + xy(p)); }
    void moveTo(const TreeStep &step) override
    {
        ++moves;
        std::string event = std::string("m ").append(xy(step.front));
        if (step.paired)
            event.append("|").append(xy(step.back));
        events.push_back(std::move(event));
    }
    void pause() override { events.push_back("p"); }
    bool stopRequested() override { return stopAfter >= 0 && moves >= stopAfter; }

    static std::string xy(TPlotPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

    Events events;
    int moves = 0;
    int stopAfter = -1;
};

using testsupport::PlannedFigure;

Events Walk(std::vector<tfigura> &figures, TreeWalkOptions options, RecordingSink &sink)
{
    EXPECT_TRUE(WalkCuttingTree(figures, options, sink) || sink.stopAfter >= 0);
    return sink.events;
}

Events Walk(std::vector<tfigura> &figures, TreeWalkOptions options)
{
    RecordingSink sink;
    return Walk(figures, options, sink);
}

Events Join(std::initializer_list<Events> parts)
{
    Events out;
    for (const Events &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The three nested squares as the planner joins them: the outer square is the
// frame and the root; the inner pair's connector is made first.
std::vector<tfigura> NestedSquares()
{
    return {
        PlannedFigure({{0, 0}, {600, 0}, {600, 600}, {0, 600}, {0, 0}}),
        PlannedFigure({{100, 100}, {500, 100}, {500, 500}, {100, 500}, {100, 100}}, 4, 1, 0),
        PlannedFigure({{200, 200}, {400, 200}, {400, 400}, {200, 400}, {200, 200}}, 3, 1, 0),
        PlannedFigure({{100, 100}, {200, 200}}, 1, 0, 0),
        PlannedFigure({{0, 0}, {100, 100}}, 0, 0, 0),
    };
}

TEST(TreeWalker, NestedSquaresInTheWriterOrder)
{
    auto figures = NestedSquares();
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    // Each square leaves its entry corner towards the neighbour with the
    // larger y, so all three run clockwise; every corner gets a pause, every
    // figure starts with one.
    EXPECT_EQ(
        Walk(figures, options),
        Join({{"s 0,0", "p"}, // the frame
              {"p", "m 100,100", "p"}, // connector out
              {"p"}, // middle square
              {"p", "m 200,200", "p"}, // connector in
              {"p", "m 200,200", "p", "m 200,400", "p", "m 400,400", "p", "m 400,200", "p", "m 200,200", "p"},
              {"m 100,100", "p"}, // back along the inner connector
              {"m 100,100", "p", "m 100,500", "p", "m 500,500", "p", "m 500,100", "p", "m 100,100", "p"},
              {"m 0,0", "p"}, // back along the outer connector
              {"m 0,0", "p", "m 0,600", "p", "m 600,600", "p", "m 600,0", "p", "m 0,0", "p"}}));
}

TEST(TreeWalker, ChildrenAtOneVertexInListOrder)
{
    // Two connectors leave the frame's vertex 2; the one earlier in the list
    // is cut first, whatever order the links were made in.
    std::vector<tfigura> figures = {
        PlannedFigure({{0, 0}, {600, 0}, {600, 600}, {0, 600}, {0, 0}}),
        PlannedFigure({{600, 600}, {500, 500}}, 0, 2, 0),
        PlannedFigure({{600, 600}, {550, 400}}, 0, 2, 0),
    };
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    const Events events = Walk(figures, options);
    const Events expected
        = {"s 0,0",     "p",         "m 0,0",   "p",         "m 0,600", "p", "m 600,600", "p",
           "p",         "m 500,500", "p",       "m 600,600", "p",       "p", "m 550,400", "p",
           "m 600,600", "p",         "m 600,0", "p",         "m 0,0",   "p"};
    EXPECT_EQ(events, expected);
}

TEST(TreeWalker, RootEdgesOnlyWithTheFrameCut)
{
    auto figures = NestedSquares();
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = false;
    const Events events = Walk(figures, options);
    // The frame's own corners are never targets; its children still are.
    for (const char *target : {"m 0,600", "m 600,600", "m 600,0"})
        EXPECT_EQ(std::count(events.begin(), events.end(), target), 0) << target;
    EXPECT_EQ(std::count(events.begin(), events.end(), "m 400,400"), 1);
}

TEST(TreeWalker, SerialCuttingLeavesTheClosingEdgeOutButNoFigure)
{
    // Serial cutting stops one vertex short of the entry. The figures hanging
    // on that last vertex (the inner square on its connector's end) used to
    // be left out of the job altogether.
    auto figures = NestedSquares();
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    options.mode = 2;
    const Events events = Walk(figures, options);
    // The inner square runs 4, 3, 2, 1 and stops short of its entry again.
    const Events expectedInner
        = {"m 200,200", "p", "m 200,400", "p", "m 400,400", "p", "m 400,200", "p", "m 100,100"};
    auto it = std::search(events.begin(), events.end(), expectedInner.begin(), expectedInner.end());
    EXPECT_NE(it, events.end());
}

TEST(TreeWalker, SingleOpenFigureIsCutOnceEndToEnd)
{
    std::vector<tfigura> figures = {PlannedFigure({{0, 0}, {100, 0}, {100, 100}, {200, 100}})};
    TreeWalkOptions options;
    options.root = 0;
    options.singleOpenFigure = true;
    options.cutFrame = true;
    EXPECT_EQ(Walk(figures, options),
              Events({"s 0,0", "p", "m 100,0", "p", "m 100,100", "p", "m 200,100", "p"}));

    // A single line entered at its last point (the start checks pick the
    // end by the feed direction) is cut towards its first.
    std::vector<tfigura> line = {PlannedFigure({{0, 0}, {100, 0}}, -1, -1, 1)};
    EXPECT_EQ(Walk(line, options), Events({"s 100,0", "p", "m 0,0", "p"}));
}

TEST(TreeWalker, OpenFigureInAProjectIsCutToItsEndAndBack)
{
    std::vector<tfigura> figures = {
        PlannedFigure({{0, 0}, {0, 0}}),
        PlannedFigure({{0, 0}, {100, 0}, {200, 10}, {300, 0}}, 0, 1, 0),
    };
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    const Events events = Walk(figures, options);
    // The gentle bend at (200,10) is no corner; the ends are. The way back
    // starts with a move to the end it stands on.
    const Events open = {"p",        "m 100,0", "m 200,10", "m 300,0", "p",     "m 300,0", "p",
                         "m 200,10", "m 100,0", "m 0,0",    "p",       "m 0,0", "p"};
    EXPECT_NE(std::search(events.begin(), events.end(), open.begin(), open.end()), events.end())
        << testing::PrintToString(events);
}

TEST(TreeWalker, OpenFigureEnteredAtItsLastVertexIsTurnedRoundForGood)
{
    std::vector<tfigura> figures = {
        PlannedFigure({{0, 0}, {0, 0}}), PlannedFigure({{300, 0}, {200, 50}, {100, 0}, {0, 0}}, 0, 1, 3),
        PlannedFigure({{200, 50}, {200, 100}}, 1, 1, 0), // hangs on vertex 1 of the open figure
    };
    figures[1].vertexInfo[1].angle = 2.0; // mark the record to see it move
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    const Events events = Walk(figures, options);
    EXPECT_EQ(figures[1].points.front(), (TPlotPoint {0, 0}));
    EXPECT_EQ(figures[1].entryVertex, 0);
    EXPECT_DOUBLE_EQ(figures[1].vertexInfo[2].angle, 2.0) << "the vertex records turn with the points";
    EXPECT_EQ(figures[2].vertexOnParent, 2);
    // The child is cut when the wire reaches (200,50) on the way out.
    const Events out = {"m 100,0", "m 200,50", "p", "p", "m 200,100"};
    EXPECT_NE(std::search(events.begin(), events.end(), out.begin(), out.end()), events.end())
        << testing::PrintToString(events);
}

TEST(TreeWalker, OpenFigureEnteredInTheMiddleCutsNoChord)
{
    // Entered at (100,0): out to the far end, back to the first end, and on
    // to the entry; a child at vertex 0 is cut when the wire first gets there.
    // (Turning the figure round put the wire's first move from (100,0)
    // straight to (200,0) of the reversed list, through the material.)
    std::vector<tfigura> figures = {
        PlannedFigure({{100, 0}, {100, 0}}),
        PlannedFigure({{0, 0}, {100, 0}, {200, 0}, {300, 0}}, 0, 1, 1),
        PlannedFigure({{0, 0}, {0, -50}}, 1, 0, 0),
    };
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    const Events events = Walk(figures, options);
    const Events open = {"p", "m 200,0", "m 300,0", "p", "m 200,0", "m 100,0", "m 0,0",
                         "p", "p",       "m 0,-50", "p", "m 0,0",   "p",       "m 100,0"};
    EXPECT_NE(std::search(events.begin(), events.end(), open.begin(), open.end()), events.end())
        << testing::PrintToString(events);
    EXPECT_EQ(figures[1].points.front(), (TPlotPoint {0, 0})) << "the figure keeps its order";
}

TEST(TreeWalker, CornerIsATurnSharperThanAFifthOfPi)
{
    for (const auto &[angle, paused] :
         std::vector<std::pair<double, bool>> {{TreeCornerAngle, false},
                                               {std::nextafter(TreeCornerAngle, 1.0), true},
                                               {-0.7, true},
                                               {0.1, false}}) {
        SCOPED_TRACE(angle);
        std::vector<tfigura> figures = {PlannedFigure({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}})};
        for (auto &info : figures[0].vertexInfo)
            info.angle = 0.0;
        figures[0].vertexInfo[2].angle = angle;
        TreeWalkOptions options;
        options.root = 0;
        options.cutFrame = true;
        const Events events = Walk(figures, options);
        const auto at = std::find(events.begin(), events.end(), "m 100,100");
        ASSERT_NE(at, events.end());
        EXPECT_EQ(*(at + 1) == "p", paused);
    }
}

TEST(TreeWalker, PairedProfilesMoveBothWireEnds)
{
    std::vector<tfigura> figures = {
        PlannedFigure({{0, 0}, {100, 0}, {100, 100}, {0, 0}}),
        PlannedFigure({{0, 0}, {200, 0}, {200, 50}, {0, 0}}),
    };
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    options.pairedProfiles = true;
    const Events events = Walk(figures, options);
    EXPECT_EQ(events.front(), "s 0,0");
    EXPECT_NE(std::find(events.begin(), events.end(), "m 100,0|200,0"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "m 100,100|200,50"), events.end());
}

TEST(TreeWalker, TheSinkCanStopTheWalk)
{
    auto figures = NestedSquares();
    RecordingSink sink;
    sink.stopAfter = 3;
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    EXPECT_FALSE(WalkCuttingTree(figures, options, sink));
    EXPECT_EQ(sink.moves, 3);
}

TEST(TreeWalker, NoRootNoWalk)
{
    auto figures = NestedSquares();
    RecordingSink sink;
    TreeWalkOptions options;
    options.root = -1;
    EXPECT_FALSE(WalkCuttingTree(figures, options, sink));
    EXPECT_TRUE(sink.events.empty());
}

TEST(TreeWalker, LongChainsDoNotExhaustTheStack)
{
    // Touching figures chain one after the other; a recursive walk would
    // need one stack frame per figure.
    const int count = 60000;
    std::vector<tfigura> figures;
    figures.reserve(count);
    figures.push_back(PlannedFigure({{0, 0}, {10, 0}}));
    for (int i = 1; i < count; ++i)
        figures.push_back(PlannedFigure({{10 * i, 0}, {10 * i + 10, 0}}, i - 1, 1, 0));
    RecordingSink sink;
    TreeWalkOptions options;
    options.root = 0;
    options.cutFrame = true;
    EXPECT_TRUE(WalkCuttingTree(figures, options, sink));
    EXPECT_EQ(sink.moves, 2 * count);
}

} // namespace
