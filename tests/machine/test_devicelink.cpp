#include "simfixture.h"

#include <gtest/gtest.h>

namespace {

HidReport report(std::initializer_list<int> head)
{
    HidReport r{};
    std::size_t i = 0;
    for (int v : head)
        r[i++] = static_cast<std::uint8_t>(v);
    return r;
}

TEST(DeviceLink, CreationGreetsTheMachineWithOneReport)
{
    SimRig rig;
    ASSERT_TRUE(rig.link->connected());
    ASSERT_EQ(rig.machine->reports().size(), 1u);
    EXPECT_EQ(rig.machine->reports()[0], report({0x00, 0x58, 0x00}));
    EXPECT_EQ(rig.statusKeys.front(), "brakLacznosci") << "the first notification runs before enumeration";
    // Regression: the status bar kept saying "no machine" although the
    // greeting had connected it.
    EXPECT_EQ(rig.statusKeys.back(), "polaczony");
}

TEST(DeviceLink, WriteFramesCommandsIntoReports)
{
    SimRig rig;
    rig.machine->clearCommands();
    const int before = static_cast<int>(rig.machine->reports().size());

    QByteArray sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen.append(static_cast<char>('a' + i));
    EXPECT_EQ(rig.link->Write(sixteen), 0);
    QByteArray seventeen = sixteen + "q";
    EXPECT_EQ(rig.link->Write(seventeen), 0);
    EXPECT_EQ(rig.link->bytesWritten(), 17);

    const auto &reports = rig.machine->reports();
    ASSERT_EQ(static_cast<int>(reports.size()), before + 3);
    HidReport full{};
    for (int i = 0; i < 16; ++i)
        full[static_cast<std::size_t>(i + 1)] = static_cast<std::uint8_t>('a' + i);
    EXPECT_EQ(reports[static_cast<std::size_t>(before)], full);
    EXPECT_EQ(reports[static_cast<std::size_t>(before + 1)], full);
    // Regression: the second report kept the first report's bytes after the
    // 17th byte; padding is zero now.
    EXPECT_EQ(reports[static_cast<std::size_t>(before + 2)], report({0x00, 'q'}));
}

TEST(DeviceLink, PaddingNeverCarriesStaleBytes)
{
    // Regression: a short command after a long one left the long one's tail
    // in the report.
    SimRig rig;
    rig.link->Write(QByteArrayLiteral("U\x01\x02\x03\x04\x05\x06\x07\x08"));
    rig.link->Write(QByteArrayLiteral("G"));
    EXPECT_EQ(rig.machine->reports().back(), report({0x00, 'G'}));
}

TEST(DeviceLink, TwoReportCommandStopsAtTheFirstFailure)
{
    // Regression: the result was that of the second write, so a lost first
    // half reported success.
    SimRig rig;
    const auto before = rig.machine->reports().size();
    rig.machine->failWrites(1, HidError::IoError);
    EXPECT_EQ(rig.link->Write(QByteArray(20, 'v')), HidError::IoError);
    EXPECT_EQ(rig.machine->reports().size(), before) << "the second half is not sent alone";
    EXPECT_EQ(rig.link->Write(QByteArray(33, 'v')), HidError::InvalidParameter);
}

TEST(DeviceLink, GeneralFailureCountsAsSentAfterAPause)
{
    SimRig rig;
    rig.machine->generalFailureWrites(1);
    const auto start = rig.clock.nowMs();
    EXPECT_EQ(rig.link->Write(QByteArrayLiteral("G")), 0);
    EXPECT_EQ(rig.clock.nowMs() - start, 500);
    EXPECT_EQ(rig.link->writeFailures(), 1);
    rig.machine->generalFailureWrites(1);
    EXPECT_EQ(rig.link->Write(QByteArray(18, 'v')), HidError::GeneralFailure) << "no special case for two reports";
}

TEST(DeviceLink, TenFailedReadsDisconnectWithZeroReply)
{
    SimRig rig;
    ASSERT_EQ(rig.link->ReadString(14), 0);
    rig.machine->failReads(10, HidError::Timeout);
    EXPECT_EQ(rig.link->ReadString(14), HidError::Timeout);
    EXPECT_FALSE(rig.link->connected());
    EXPECT_EQ(rig.link->readFailures(), 10);
    EXPECT_EQ(rig.link->reply(), HidReply{});
    // The next query selects the machine again.
    EXPECT_EQ(rig.link->ReadString(14), 0);
    EXPECT_TRUE(rig.link->connected());
}

TEST(DeviceLink, NineFailedReadsStillSucceed)
{
    SimRig rig;
    rig.machine->failReads(9);
    EXPECT_EQ(rig.link->ReadString(17), 0);
    EXPECT_TRUE(rig.link->connected());
    EXPECT_EQ(rig.link->readFailures(), 9);
}

TEST(DeviceLink, NoMachineWritesNothingAndReadsZeros)
{
    SimRig rig({}, {}, false);
    EXPECT_FALSE(rig.link->connected());
    EXPECT_EQ(rig.link->Write(QByteArrayLiteral("X")), -1);
    EXPECT_EQ(rig.link->ReadString(10), -1);
    EXPECT_EQ(rig.statusKeys.back(), "brakLacznosci");
}

struct SelectionCase
{
    const char *name;
    std::vector<std::pair<QString, QString>> devices; // manufacturer, product
    QStringList parameters;
    int expected; // index of the selected device, -1 for none
};

class Selection : public ::testing::TestWithParam<SelectionCase>
{
};

TEST_P(Selection, PicksTheMachine)
{
    const SelectionCase &c = GetParam();
    VirtualMachineClock clock;
    SimulatedHidBackend backend(clock);
    std::vector<std::shared_ptr<SimulatedMachine>> machines;
    for (const auto &[manufacturer, product] : c.devices) {
        SimulatedMachineConfig config;
        config.manufacturer = manufacturer;
        config.product = product;
        machines.push_back(backend.plugMachine(config));
    }
    TfUsb link(backend, clock, MachineSwitches(c.parameters));
    link.start();
    if (c.expected < 0) {
        EXPECT_FALSE(link.connected());
        return;
    }
    ASSERT_TRUE(link.connected());
    EXPECT_EQ(link.selectedDevice()->info().product, c.devices[static_cast<std::size_t>(c.expected)].second);
    EXPECT_EQ(machines[static_cast<std::size_t>(c.expected)]->greetings(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceLink, Selection,
    ::testing::Values(
        SelectionCase{"bnTaken", {{"Korvanel", "bn45"}}, {}, 0},
        SelectionCase{"otherProductNeedsMachineName", {{"Korvanel", "Vq4800"}}, {}, -1},
        SelectionCase{"otherProductWithMachineName", {{"Korvanel", "Vq4800"}}, {"MachineName'Vq4800'"}, 0},
        SelectionCase{"manufacturerIsCaseSensitive", {{"korvanel", "bn45"}}, {"MachineName'x'"}, -1},
        SelectionCase{"productPrefixIsCaseSensitive", {{"Korvanel", "BN45"}}, {}, -1},
        SelectionCase{"onlyMachineAfterTrimming", {{"Korvanel", "bn45 "}}, {"OnlyMachine'bn45'"}, 0},
        SelectionCase{"onlyMachineOtherName", {{"Korvanel", "bn46"}}, {"OnlyMachine'bn45'"}, -1},
        SelectionCase{"onlyMachineSkipsToTheRightOne", {{"Korvanel", "bn46"}, {"Korvanel", "bn45"}}, {"OnlyMachine'bn45'"}, 1},
        SelectionCase{"firstOfTwo", {{"Acme", "bn1"}, {"Korvanel", "bn45"}, {"Korvanel", "bn46"}}, {}, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DeviceLink, UnplugAndReplugFollowTheMachine)
{
    SimRig rig;
    rig.backend.unplug(rig.machine);
    EXPECT_FALSE(rig.link->connected());
    EXPECT_EQ(rig.statusKeys.back(), "brakLacznosci");
    EXPECT_NE(rig.link->Write(QByteArrayLiteral("G")), 0);

    rig.backend.replug(rig.machine);
    EXPECT_TRUE(rig.link->connected());
    EXPECT_EQ(rig.statusKeys.back(), "polaczony");
    EXPECT_EQ(rig.machine->greetings(), 2) << "greeted again after re-plugging";
}

TEST(DeviceLink, UnrelatedDeviceChangeDoesNotGreetAgain)
{
    // Regression: every device change sent "X", also when a mouse was
    // plugged in mid-job.
    SimRig rig;
    rig.backend.plugOther("Acme", "mouse");
    rig.backend.unplugOther("mouse");
    EXPECT_TRUE(rig.link->connected());
    EXPECT_EQ(rig.machine->greetings(), 1);
    EXPECT_EQ(rig.statusKeys.back(), "polaczony");
}

TEST(DeviceLink, AccessDeniedIsReported)
{
    VirtualMachineClock clock;
    SimulatedHidBackend backend(clock);
    backend.setOpenError(HidError::AccessDenied);
    TfUsb link(backend, clock, {});
    std::vector<QString> keys;
    link.start([&](const QString &k) { keys.push_back(k); });
    backend.plugMachine();
    EXPECT_EQ(keys.back(), "brakDostepu");
    EXPECT_EQ(link.lastOpenError(), HidError::AccessDenied);
    EXPECT_EQ(link.ReadString(10), HidError::AccessDenied);
}

} // namespace
