#include "recordingrig.h"

#include "job/ploteradapter.h"
#include "machine/simfixture.h"

#include <gtest/gtest.h>

using namespace jobtest;

namespace {

// Job control over the real machine access layer and a simulated controller;
// the panel, transmitter and projects stay recorded.
struct SimulatedStart
{
    SimulatedStart()
    {
        sim.machine->setHomed(true);
        sim.machine->setRawPosition(Axis::X1, 10001);
        sim.machine->setRawPosition(Axis::Y1, 5003);
        sim.ploter->ReadStatus();
        rig.projects.add("A");
    }

    job::JobControl control(const job::JobSettings &settings)
    {
        return job::JobControl(job::JobEnvironment{machine, rig.panel, rig.transmitter, rig.projects, rig.prompts,
                                                   rig.dialogs, [settings] { return settings; }, false,
                                                   rig.jobFile()});
    }

    SimRig sim;
    job::PloterJobMachine machine{*sim.ploter};
    Rig rig;
};

} // namespace

TEST(PloterAdapter, FlatStartReachesTheControllerByteForByte)
{
    SimulatedStart s;
    s.sim.takeCommands();
    job::JobSettings settings;
    job::JobControl control = s.control(settings);

    ASSERT_TRUE(control.start(job::StartSender::Menu));
    // 1000 mm/min times the speed factor 2 at one step per 0.01 mm: period 375.
    const std::vector<QByteArray> expected{bytes({'V', 0, 0x77, 0x01}), bytes({'T', 1, 10}),
                                           bytes({'R', 1, 1}),          bytes({'R', 0, 1}),
                                           QByteArray("Q"),             QByteArray("C"),
                                           bytes({'U', 0x11, 0x27, 0, 0, 0x8b, 0x13, 0, 0})};
    EXPECT_EQ(s.sim.takeCommands(), expected);
    EXPECT_EQ(s.sim.machine->jobOriginX(), 10001);
    EXPECT_EQ(s.sim.machine->jobOriginY(), 5003);
    EXPECT_EQ(s.sim.state.plot.jobOriginX, 10001);
    EXPECT_TRUE(s.rig.prompts.messages.empty());
}

TEST(PloterAdapter, BrokenWireOnTheControllerIsAskedAbout)
{
    SimulatedStart s;
    s.sim.machine->setBrokenWire(true);
    s.rig.prompts.answers = {job::BrokenWireAnswer::Cancel};
    job::JobSettings settings;
    job::JobControl control = s.control(settings);

    EXPECT_FALSE(control.start(job::StartSender::Menu));
    EXPECT_EQ(std::count(s.rig.trace.begin(), s.rig.trace.end(), "ask zerwanyDrut"), 1);
    EXPECT_FALSE(s.sim.machine->heatingOn(1)) << "the heating is off after the test";
}

TEST(PloterAdapter, SnapshotMirrorsTheMachineState)
{
    SimulatedStart s;
    s.sim.ploter->ReadMachineInfo();
    s.sim.ploter->ReadPositions();
    const job::MachineSnapshot &snap = s.machine.snapshot();
    EXPECT_TRUE(snap.connected);
    EXPECT_TRUE(snap.status.homed());
    EXPECT_FALSE(snap.status.jobRunning());
    EXPECT_EQ(snap.x1, 10001);
    EXPECT_EQ(snap.y1, 5003);
    EXPECT_EQ(snap.limitX, 1200);
    EXPECT_EQ(snap.limitY, 800);
    EXPECT_EQ(snap.family, s.sim.state.plot.family);
}
