#include "app/units.h"
#include "machine/movewire.h"
#include "machine/sterowanie.h"
#include "simfixture.h"

#include <gtest/gtest.h>
#include <map>

namespace {

struct MoveWireRig : SimRig
{
    explicit MoveWireRig(int unit = Units::Millimetre, double heatUp = 0)
        : panel(*ploter, jobs)
        , dialog(*ploter, panel, stop)
    {
        Settings settings = ploter->settings();
        settings.radiounit = unit;
        settings.CzasRozgrzewania = heatUp;
        ploter->setSettings(settings);
        ploter->ReadMachineInfo();
        takeCommands();
    }

    NoJobControl jobs;
    Tster panel;
    std::atomic<bool> stop {false};
    Tprzesun dialog;
};

TEST(MoveWire, ExecuteMovesInTheDisplayUnitAndAZeroMoveSendsNothing)
{
    MoveWireRig rig(Units::Inch);
    EXPECT_TRUE(rig.dialog.WykonajClick(1, 0, 0, 0, 0));
    EXPECT_TRUE(rig.takeCommands().empty());

    // The fields hold mm: 254 mm is where MoveTo takes 10 inches.
    ASSERT_TRUE(rig.dialog.WykonajClick(0, 254, 127, 0, 0));
    MoveWireRig twin(Units::Inch);
    ASSERT_TRUE(twin.ploter->MoveTo(true, true, 10, 5, 0, 0));
    const std::vector<QByteArray> sent = rig.takeCommands();
    EXPECT_EQ(sent, twin.takeCommands());
    rig.clock.advance(60000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 25400);
    EXPECT_EQ(rig.machine->rawPosition(Axis::Y2), 12700);
}

TEST(MoveWire, HeaterTestStoppedMidCycleEndsWithHeatingOffAfterItsPause)
{
    MoveWireRig rig(Units::Millimetre, 500);
    std::map<std::size_t, std::int64_t> sentAt;
    rig.clock.setSleepHook([&](std::int64_t now) {
        sentAt[rig.machine->commands().size()] = now;
        if (now >= 1200) // in the second cycle, heating on
            rig.stop = true;
    });
    rig.dialog.TestGrzalkiClick();
    const std::vector<QByteArray> sent = rig.takeCommands();
    const std::vector<QByteArray> cycle = {bytes({'R', 1, 2}), bytes({'R', 0, 2})};
    EXPECT_EQ(sent, (std::vector<QByteArray> {cycle[0], cycle[1], cycle[0], cycle[1]}));
    EXPECT_GE(rig.clock.nowMs() - sentAt[3], 500) << "the pause after heating off";
    EXPECT_FALSE(rig.machine->heatingOn(2));
}

TEST(MoveWire, MotionTestStaysWithinTravelEndsWhereItBeganAndShowsLinkCounts)
{
    MoveWireRig rig;
    // 1190 mm of 1200 mm travel: a 50 mm test move goes 10 mm.
    rig.machine->setRawPosition(Axis::X1, 119000);
    rig.machine->setRawPosition(Axis::X2, 119000);
    rig.machine->failReads(3);
    rig.link->ReadString(10);
    std::vector<std::pair<int, int>> captions;
    rig.dialog.setCaptionHandler([&](int reads, int writes) {
        captions.emplace_back(reads, writes);
        rig.stop = true;
    });
    rig.dialog.testClick(50, 20, 90);

    const std::vector<QByteArray> sent = rig.takeCommands();
    const QByteArray idle = record('A', 0xFE, 200); // 100 steps at wspV 2
    EXPECT_EQ(std::count(sent.begin(), sent.end(), idle), 20);
    const std::vector<QByteArray> forward
        = {record('A', 0x00, 1000), record('A', 0x04, 1000), record('A', 0x01, 2000),
           record('A', 0x05, 2000), record('A', 0x02, 2000), record('A', 0x06, 2000)};
    auto at = std::search(sent.begin(), sent.end(), forward.begin(), forward.end());
    EXPECT_NE(at, sent.end()) << "X cut to the travel, Y whole, a quarter turn of table and spindle";
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 119000);
    EXPECT_EQ(rig.machine->rawPosition(Axis::S), 0);
    EXPECT_EQ(captions, (std::vector<std::pair<int, int>> {{3, 0}}));
}

// A key pressed while the test waited for the machine ended it before its
// first cycle.
TEST(MoveWire, MotionTestStoppedDuringItsFirstWaitStillRunsOneCycle)
{
    MoveWireRig rig;
    rig.clock.setSleepHook([&](std::int64_t) { rig.stop = true; });
    int cycles = 0;
    rig.dialog.setCaptionHandler([&](int, int) { ++cycles; });
    rig.dialog.testClick(10, 0, 0);
    const std::vector<QByteArray> sent = rig.takeCommands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), record('A', 0xFE, 200)), 20);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), record('A', 0x00, 1000)), 1);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), record('A', 0x00, -1000)), 1);
    EXPECT_EQ(cycles, 1);
    EXPECT_EQ(rig.machine->rawPosition(Axis::X1), 0);
}

} // namespace
