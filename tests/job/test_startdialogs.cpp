// The logic of the start dialogs and what job control does around them.

#include "job/independentstart.h"
#include "job/mergeprofiles.h"
#include "job/perpendicularstart.h"
#include "job/serialcut.h"
#include "project/flatplanproject.h"
#include "project/painting.h"
#include "project/projectdocument.h"
#include "recordingrig.h"

#include <gtest/gtest.h>

using namespace jobtest;
using job::IndependentStartAnswer;
using job::JobPoint;
using job::StartSender;

namespace {

std::vector<std::string> keys(const job::JobMessage &m)
{
    std::vector<std::string> k;
    for (const job::TextPiece &p : m.text)
        k.push_back(p.key.isEmpty() ? p.literal.toStdString() : p.key.toStdString());
    return k;
}

} // namespace

TEST(IndependentStart, ProjectsAlongTheWireAndChecksTheMaterialInOrder)
{
    // Front (0, 0) and back (10, 0) mm on faces 100 and 300 mm from the
    // front carriage: the wire meets the carriage planes at -5 and +20 mm.
    const job::ProjectedPaths paths = job::ProjectProfiles({{0, 0}}, {{400, 0}}, {500, 200, 100});
    EXPECT_EQ(paths.front, (std::vector<JobPoint> {{-200, 0}}));
    EXPECT_EQ(paths.back, (std::vector<JobPoint> {{800, 0}}));
    EXPECT_DOUBLE_EQ(paths.minX, -5);
    EXPECT_DOUBLE_EQ(paths.maxX, 20);

    const struct
    {
        job::IndependentInputs in;
        const char *key;
    } cases[] = {
        {{500, 0, 2000}, "PodajSzerMat"}, // before the machine's width
        {{500, 500, 100}, ""},
        {{500, 500.01, 0}, "MaterialZaSzeroki"},
        {{1000, 700, 500}, ""}, // 1200: the machine's width exactly
        {{1000, 700.01, 500}, "MaterialPozaMaszyna"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in.materialWidth);
        EXPECT_EQ(job::CheckIndependentInputs(c.in, 1200).value_or(QString()).toStdString(), c.key);
    }
}

TEST(IndependentStart, PathsTooLargeOrOutsideTheWorkArea)
{
    job::IndependentStartContext c;
    c.limitX = 1000;
    c.limitY = 500;
    c.x1 = c.x2 = 0;
    c.y1 = c.y2 = 0;
    c.referenceCorner = {40, 80}; // 1 and 2 mm
    job::ProjectedPaths p;
    p.minX = 1;
    p.maxX = 1001;
    p.minY = 2;
    p.maxY = 3;
    EXPECT_EQ(job::CheckProjectedPaths(p, c).kind, job::PathFit::Kind::Fits) << "the area's edges pass";

    p.maxX = 1001.01;
    for (const auto &[unit, size] :
         {std::pair {0, "x = 1000.01 [mm]"}, {1, "x = 39.37 [inch]"}, {2, "x = 39.37 [inch]"}}) {
        c.lengthUnit = unit;
        const job::PathFit fit = job::CheckProjectedPaths(p, c);
        EXPECT_EQ(fit.kind, job::PathFit::Kind::TooLarge);
        EXPECT_EQ(keys(fit.message)[0], "ruchRamionPozaObszRob");
        EXPECT_NE(keys(fit.message)[3].find(size), std::string::npos) << keys(fit.message)[3];
    }

    c.lengthUnit = 0;
    p.minX = -7.5; // 8.5 mm left of the reference corner
    p.maxX = 100;
    p.minY = 1.99;
    const job::PathFit fit = job::CheckProjectedPaths(p, c);
    EXPECT_EQ(fit.kind, job::PathFit::Kind::Outside);
    EXPECT_DOUBLE_EQ(fit.moveX, 9);
    EXPECT_DOUBLE_EQ(fit.moveY, 1);
    EXPECT_EQ(keys(fit.message),
              (std::vector<std::string> {"CiecieNiemozliweRamionaPozaObsz", "\r\n", "MinLewaPozMat",
                                         "\r\nx = 9.00 [mm]\r\ny = 1.00 [mm]", "\r\n", "CzyPrzesunacDrut"}));
}

// "Move the wire" sends the heating, the pauses and one move of both ends,
// then shows the dialog again with what was confirmed; Start puts the paths
// on the two figures. A repeated job confirms itself from pass 2 on.
TEST(IndependentStart, MoveWireThenStartAndRepeat)
{
    Rig rig;
    FakeProject &merged = rig.projects.add("Mix");
    merged.figures = {{{0, 0}, {400, 0}}, {{40, 0}, {440, 0}}};
    rig.settings.mode = job::ModeIndependent;
    rig.settings.powerOutput = 1;
    rig.settings.cornerPause = 200;
    rig.machine.state.family = QStringLiteral("Vq");
    rig.machine.state.workingWidth = 900;
    rig.machine.state.x2 = 9990; // wire end 2 0.1 mm left of end 1
    rig.repeatSwitch = true;
    IndependentStartAnswer move;
    move.kind = IndependentStartAnswer::Kind::MoveWire;
    move.armSpacing = 800;
    move.materialWidth = 300;
    move.frontDistance = 50;
    move.moveX = 100;
    move.moveY = 60;
    IndependentStartAnswer start;
    start.kind = IndependentStartAnswer::Kind::Start;
    start.frontPath = {{1, 2}};
    start.backPath = {{3, 4}};
    rig.dialogs.independent = {move, start};

    ASSERT_TRUE(rig.control().start(StartSender::Menu));
    const auto dialog = std::find(rig.trace.begin(), rig.trace.end(), "dialog independent");
    // One "A" move: end 2 10 steps in X, both ends 1000 steps in Y, 2000
    // ticks at the model's multiplier 2.
    EXPECT_EQ(
        Trace(dialog, dialog + 9),
        (Trace {"dialog independent", "ReadStatus", "R 01 02", "pause 200", "pause 1000",
                "A ff 00 00 00 00 41 04 0a 00 00 00 41 01 e8 03 00 00 41 05 e8 03 00 00 41 fe d0 07 00 00",
                "WaitWhileBusy", "ReadPositions", "dialog independent"}));
    ASSERT_EQ(rig.dialogs.independentShown.size(), 2u);
    EXPECT_DOUBLE_EQ(rig.dialogs.independentShown[0].armSpacing, 900) << "the machine's until confirmed";
    EXPECT_DOUBLE_EQ(rig.dialogs.independentShown[1].armSpacing, 800);
    EXPECT_DOUBLE_EQ(rig.dialogs.independentShown[1].materialWidth, 300);
    EXPECT_DOUBLE_EQ(rig.dialogs.independentShown[1].frontDistance, 50);
    EXPECT_EQ(rig.dialogs.independentShown[1].back, (std::vector<JobPoint> {{40, 0}, {440, 0}}));
    EXPECT_EQ(merged.secondPoints[0], start.frontPath);
    EXPECT_EQ(merged.secondPoints[1], start.backPath);
    EXPECT_FALSE(rig.dialogs.independentShown[1].confirmItself);

    rig.transmitter.running = false;
    rig.dialogs.independent = {start};
    rig.control().startJob(StartSender::Repeat);
    EXPECT_TRUE(rig.dialogs.independentShown.back().confirmItself);
}

TEST(PerpendicularStart, EachProfileFitsItsAreaFromItsStartPoint)
{
    job::PerpendicularStartContext c;
    c.limitX = 1000;
    c.limitY = 800;
    c.limitZ = 300;
    c.front = {400, 800, 1200, 0}; // 10 mm left, 20 right, 30 up, 0 down
    c.side = {0, 2000, 2001, 40}; // 50 right, 50.025 up, 1 down
    const struct
    {
        job::PerpendicularStart p;
        const char *key;
    } cases[] = {
        {{980, 770, 250, 739.975}, ""},
        {{980.01, 770, 250, 739.975}, "ZmienPktStartFrontu"},
        {{980, 770, 250, 739.985}, "ZmienPktStartBocznego"},
        {{10, 0, 250.01, 1}, "ZmienPktStartBocznego"},
        {{9.99, 0, 250, 1}, "ZmienPktStartFrontu"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.key);
        const auto refusal = job::CheckPerpendicularStart(k.p, c);
        EXPECT_EQ(refusal ? keys(refusal->message).back() : std::string(), k.key);
        EXPECT_EQ(refusal && refusal->front, std::string(k.key) == "ZmienPktStartFrontu");
    }
    EXPECT_TRUE(job::SideWireGoesFirst({0, 100, 0, 90}));
    EXPECT_FALSE(job::SideWireGoesFirst({0, 100, 0, 89.99}));
}

// After OK: the travel speed, the side wire first when it starts near the
// front one (or parked when there is no room below the front profile), then
// the front wire alone, the notice to place the material, and the job.
TEST(PerpendicularStart, MovesTheWiresInOrder)
{
    const struct
    {
        double sideY;
        std::int32_t frontBottom;
        Trace moves;
    } cases[] = {
        {195, 400, {"KeyBack 1", "MoveArms B 30.00 180.00", "WaitWhileBusy"}},
        {185, 400, {}},
        {200, 7600, {"KeyBack 1", "ParkBackArm"}}, // 200 - 190 - 10 = 0
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sideY);
        Rig rig;
        rig.projects.add("Side", 1).margins = {0, 0, 0, 0};
        rig.projects.add("Front", 0).margins = {0, 0, 0, c.frontBottom};
        rig.settings.mode = job::ModePerpendicular;
        rig.settings.powerOutput = 1;
        rig.machine.state.family = QStringLiteral("Q7");
        rig.dialogs.perpendicular = job::PerpendicularStart {100, 200, 30, c.sideY};
        ASSERT_TRUE(rig.control().start(StartSender::Menu));
        Trace expected {"dialog perpendicular", "V 00 3c 00", "F 00"};
        expected.insert(expected.end(), c.moves.begin(), c.moves.end());
        expected.insert(expected.end(),
                        {"KeyFront 1", "MoveArms F 100.00 200.00", "WaitWhileBusy",
                         "msg Main_window/Q7UmiescMaterial",
                         "write Front flat type=32 turns=0.0000 dir=1 frame"});
        const auto dialog = std::find(rig.trace.begin(), rig.trace.end(), "dialog perpendicular");
        EXPECT_EQ(
            Trace(dialog, std::min(rig.trace.end(), dialog + static_cast<std::ptrdiff_t>(expected.size()))),
            expected);
        EXPECT_DOUBLE_EQ(rig.control().state().sideStartY, c.sideY);
    }
}

TEST(SerialCut, DefaultAnglesRowsAndRepetitions)
{
    EXPECT_EQ(job::DefaultSerialAngleText(4), "45");
    EXPECT_EQ(job::DefaultSerialAngleText(7), "25.7142857142857");

    const job::SerialAngles ends = job::ReadSerialAngles({"360", "-360", "12,5"});
    EXPECT_EQ(ends.badRow, 0);
    EXPECT_EQ(ends.angles, (std::vector<double> {360, -360, 12.5}));
    for (const auto &[cells, row] : {std::pair {std::vector<QString> {"10", "360.5", "x"}, 2},
                                     {std::vector<QString> {"1", "2", "abc"}, 3}}) {
        const job::SerialAngles bad = job::ReadSerialAngles(cells);
        EXPECT_EQ(bad.badRow, row);
        EXPECT_TRUE(bad.angles.empty()) << "nothing is taken from a refused grid";
    }
    EXPECT_EQ(keys(job::BadAngleMessage(2)), (std::vector<std::string> {"poprawKat", "2"}));

    EXPECT_FALSE(job::SerialRepetitionsFit(300, 6, 50, QStringLiteral("bn45")));
    EXPECT_TRUE(job::SerialRepetitionsFit(300, 5, 50, QStringLiteral("bn45")));
    EXPECT_FALSE(job::SerialRepetitionsFit(300, 5, 50, QStringLiteral("R 45")));
    EXPECT_TRUE(job::SerialRepetitionsFit(300, 1, 61, QStringLiteral("R 45")));
}

TEST(MergeProfiles, IdenticalPathsPairPointForPoint)
{
    // The start record, a connector run, the figure's run back to the start.
    const std::vector<TPathRecord> path {{10001, 0, 0, 0},      {20001, 1, 100, 0},    {20000, 0, 100, 100},
                                         {20000, 1, 1100, 100}, {20000, 2, 1110, 105}, {20000, 3, 1100, 900},
                                         {20000, 4, 100, 100}};
    const auto pair = job::PairWirePaths(path, path);
    ASSERT_TRUE(pair);
    // The doubled run end (100, 0) and (1110, 105), 0.28 mm after its
    // predecessor, are gone.
    const std::vector<TPlotPoint> expected {{0, 0},      {100, 0},    {100, 100},
                                            {1100, 100}, {1100, 900}, {100, 100}};
    EXPECT_EQ(pair->first.points, expected);
    EXPECT_EQ(pair->second.points, expected);
    EXPECT_EQ(pair->first.pen, 4);
    EXPECT_EQ(pair->second.pen, 3);
    EXPECT_TRUE(pair->first.closed);
    EXPECT_EQ(pair->first.vertexInfo.size(), expected.size());

    std::vector<TPathRecord> shorter(path.begin(), path.begin() + 2);
    EXPECT_FALSE(job::PairWirePaths(path, shorter)) << "different numbers of runs";
    EXPECT_FALSE(job::PairWirePaths({}, {}));
}

TEST(MergeProfiles, RunsOfDifferentLengthMeetAtEqualFractions)
{
    // Front: 3 points over 800 units, its inner point at 1/4; back: 5 points
    // over 1400 units, its inner points at 3/14, 1/2 and 11/14.
    const std::vector<TPathRecord> front {{10001, 0, 0, 0}, {20000, 0, 200, 0}, {20000, 1, 800, 0}};
    const std::vector<TPathRecord> back {
        {10001, 0, 0, 0}, {20000, 0, 0, 300}, {20000, 1, 400, 300}, {20000, 2, 800, 300}, {20000, 3, 800, 0}};
    const auto pair = job::PairWirePaths(front, back);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->first.points,
              (std::vector<TPlotPoint> {{0, 0}, {171, 0}, {200, 0}, {400, 0}, {629, 0}, {800, 0}}));
    EXPECT_EQ(pair->second.points,
              (std::vector<TPlotPoint> {{0, 0}, {0, 300}, {50, 300}, {400, 300}, {800, 300}, {800, 0}}));
}

// Fault mended: a profile entered at its box corner has a connector of no
// length, which left no run in its recorded path; paired with a profile whose
// connector has a length, the two paths counted different runs and the merge
// refused them.
TEST(MergeProfiles, AConnectorOfNoLengthStillPairsWithOneOfSomeLength)
{
    const auto planned = [](std::vector<TPlotPoint> points) {
        TProjectDocument d;
        tfigura f;
        f.points = std::move(points);
        d.AddFigure(std::move(f));
        d.Ustaw_PPiPK();
        EXPECT_EQ(ciecie(d, TPlanControl {}).status, TPlanStatus::Planned);
        return d;
    };
    const std::vector<TPlotPoint> onCorner {{2000, 1000}, {6000, 1000}, {4000, 5000}, {2000, 1000}};
    const std::vector<TPlotPoint> offCorner {{2000, 1500}, {6000, 1000}, {4000, 5000}, {2000, 1500}};
    for (const bool frontOnCorner : {true, false}) {
        SCOPED_TRACE(frontOnCorner);
        TProjectDocument front = planned(frontOnCorner ? onCorner : offCorner);
        TProjectDocument back = planned(frontOnCorner ? offCorner : onCorner);
        const job::MergeOutcome merge = job::MergeProfiles(front, back, TPaintSettings {});
        ASSERT_TRUE(merge.merged) << merge.refusalKey;
        const std::vector<TPlotPoint> &f = merge.merged->front.points;
        const std::vector<TPlotPoint> &b = merge.merged->back.points;
        ASSERT_EQ(f.size(), b.size());
        // Both wires enter at the shared corner, run their connector together
        // (the one of no length stands still) and go round their triangles.
        EXPECT_EQ(f.front(), (TPlotPoint {2000, 1000}));
        EXPECT_EQ(b.front(), (TPlotPoint {2000, 1000}));
        const std::vector<TPlotPoint> &cornerSide = frontOnCorner ? f : b;
        const std::vector<TPlotPoint> &otherSide = frontOnCorner ? b : f;
        EXPECT_NE(std::find(cornerSide.begin(), cornerSide.end(), TPlotPoint {6000, 1000}), cornerSide.end());
        EXPECT_NE(std::find(otherSide.begin(), otherSide.end(), TPlotPoint {2000, 1500}), otherSide.end());
        EXPECT_NE(std::find(otherSide.begin(), otherSide.end(), TPlotPoint {4000, 5000}), otherSide.end());
    }
}
