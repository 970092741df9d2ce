// The simulated controller's program memory, restart and pulled cable: the
// firmware upgrade is tested against them, so they must behave as a
// controller does.
#include "simfixture.h"

#include <gtest/gtest.h>

namespace {

QByteArray programWord(std::uint16_t word)
{
    return bytes({'S', 10, word & 0xFF, word >> 8, 0, 0});
}

const QByteArray kStartAddress = bytes({'S', 8, 0, 0, 0, 2});

std::uint16_t readWord(SimRig &rig)
{
    EXPECT_EQ(rig.link->ReadString(17), 0);
    return static_cast<std::uint16_t>(rig.link->reply()[6] | (rig.link->reply()[7] << 8));
}

TEST(SimulatedProgram, EraseTakesItsTimeAndProgrammingOnlyClearsBits)
{
    SimulatedMachineConfig config;
    config.eraseMs = 1000;
    SimRig rig(config);
    const std::uint16_t first = rig.machine->programMemory().words(0)[0];
    ASSERT_NE(first, 0xFFFF);

    rig.link->Write(bytes({'S', 9}));
    rig.link->Write(kStartAddress);
    EXPECT_EQ(readWord(rig), first) << "not erased before its time";
    rig.link->Write(kStartAddress);
    rig.link->Write(programWord(0x1234));
    rig.clock.advance(1000);
    rig.link->Write(kStartAddress);
    EXPECT_EQ(readWord(rig), 0xFFFF) << "a word written during the erase is lost";
    EXPECT_EQ(readWord(rig), 0xFFFF);

    rig.link->Write(kStartAddress);
    rig.link->Write(programWord(0x1234));
    rig.link->Write(programWord(0xABCD));
    rig.link->Write(kStartAddress);
    rig.link->Write(programWord(0x00FF)); // over a written word
    rig.link->Write(kStartAddress);
    EXPECT_EQ(readWord(rig), 0x0034);
    EXPECT_EQ(readWord(rig), 0xABCD);
    EXPECT_EQ(rig.link->reply()[8] | rig.link->reply()[9], 0);
}

TEST(SimulatedProgram, RestartLeavesTheBusAndBootsTheVersionOfItsImage)
{
    SimulatedMachineConfig config;
    config.restartMs = 2000;
    config.eraseMs = 0;
    SimRig rig(config);
    std::vector<std::uint16_t> image(SimulatedProgramMemory::kWords, 0x5A5A);
    rig.machine->setImageVersion(image, 4, 1);
    rig.link->Write(bytes({'S', 9}));
    rig.link->Write(kStartAddress);
    for (std::uint16_t word : image)
        rig.link->Write(programWord(word));
    const int greetings = rig.machine->greetings();

    ASSERT_EQ(rig.link->Write(bytes({'S', 11})), 0);
    EXPECT_NE(rig.link->ReadString(17), 0) << "off the bus while it restarts";
    rig.clock.advance(2000);
    rig.link->redetect();
    ASSERT_TRUE(rig.link->connected());
    EXPECT_EQ(rig.machine->greetings(), greetings + 1);
    ASSERT_EQ(rig.link->ReadString(17), 0);
    EXPECT_EQ(rig.link->reply()[0], 4);
    EXPECT_EQ(rig.link->reply()[1], 1);

    // Anything but a known image boots the loader.
    rig.link->Write(kStartAddress);
    rig.link->Write(programWord(0));
    rig.link->Write(bytes({'S', 11}));
    rig.clock.advance(2000);
    rig.link->redetect();
    ASSERT_EQ(rig.link->ReadString(17), 0);
    EXPECT_EQ(rig.link->reply()[0], 0);
}

TEST(SimulatedProgram, PulledCableFailsUntilPluggedBackIn)
{
    SimRig rig;
    rig.machine->unplugAfterWrites(2);
    EXPECT_EQ(rig.link->Write(bytes({'Y'})), 0);
    EXPECT_EQ(rig.link->Write(bytes({'Y'})), 0);
    EXPECT_EQ(rig.link->Write(bytes({'Y'})), HidError::DeviceGone);
    EXPECT_NE(rig.link->ReadString(10), 0);
    EXPECT_FALSE(rig.link->connected());

    rig.backend.replug(rig.machine);
    EXPECT_TRUE(rig.link->connected());
    ASSERT_EQ(rig.link->ReadString(17), 0);
    EXPECT_EQ(rig.link->reply()[0], 3) << "its own program still in memory";
}

} // namespace
