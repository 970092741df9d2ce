#include "drawing/jobformat.h"
#include "machine/transmitter.h"

#include "simfixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

QByteArray toQ(const TBytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}

// A job of `count` commands of every kind the writer emits, seeded.
QByteArray makeJob(int count, unsigned seed = 1)
{
    std::mt19937 random(seed);
    QByteArray job;
    int made = 0;
    while (made < count) {
        switch (random() % 5) {
        case 0: job += toQ(SpeedModeCommand(random() % 2)); ++made; break;
        case 1: job += toQ(PauseCommand(static_cast<std::int32_t>(random() % 250))); ++made; break;
        case 2: job += toQ(SpeedCommand(1, static_cast<std::int16_t>(random() % 30000))); ++made; break;
        case 3: job += toQ(HeatingOnCommand(1)); ++made; break;
        default: {
            if (count - made < 4) {
                job += toQ(HeatingOffCommand());
                ++made;
                break;
            }
            TAxisDeltas d;
            d.x1 = d.x2 = static_cast<std::int32_t>(random() % 2000) - 1000;
            const TBytes move = BuildMoveCommand('a', 2, d).bytes;
            job += toQ(move);
            made += static_cast<int>(move.size() / 6);
        }
        }
    }
    return job;
}

struct TransmitRig : SimRig
{
    explicit TransmitRig(SimulatedMachineConfig config = {})
        : SimRig(std::move(config))
        , transmitter(*ploter, clock)
    {
        transmitter.setStatusHandler([this](const TransmitStatus &s) { statuses.push_back(s); });
        takeCommands();
    }

    QString writeJob(const QByteArray &bytes)
    {
        const QString path = dir.filePath("out.cn");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Runs ticks in virtual time until the transmitter stops; returns the
    // longest tick in ms.
    std::int64_t runToEnd(int maxTicks = 10000000)
    {
        std::int64_t longest = 0;
        for (int i = 0; i < maxTicks && transmitter.running(); ++i) {
            const std::int64_t before = clock.nowMs();
            const int next = transmitter.tick();
            longest = std::max(longest, clock.nowMs() - before);
            clock.advance(next);
        }
        return longest;
    }

    QTemporaryDir dir;
    TTransArm transmitter;
    std::vector<TransmitStatus> statuses;
};

int indexOfGo(const std::vector<QByteArray> &commands)
{
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i] == "G")
            return static_cast<int>(i);
    }
    return -1;
}

TEST(Transmission, GoFollowsTheSeventeenthCommandInTheFirstTick)
{
    for (const int count : {40, 17, 16}) {
        SCOPED_TRACE(count);
        TransmitRig rig;
        ASSERT_TRUE(rig.transmitter.start(rig.writeJob(makeJob(count))));
        rig.transmitter.tick();
        const auto sent = rig.takeCommands();
        ASSERT_EQ(static_cast<int>(sent.size()), count + (count >= 17 ? 1 : 0));
        EXPECT_EQ(indexOfGo(sent), count >= 17 ? 17 : -1);
        EXPECT_EQ(rig.state.jobStarted, count >= 17);
        EXPECT_EQ(rig.statuses.back().key, "przeslano");
        EXPECT_EQ(rig.statuses.back().percent, 100);
        EXPECT_EQ(rig.statuses.back().spinner, "\\");
        rig.transmitter.tick();
        EXPECT_FALSE(rig.transmitter.running());
        EXPECT_EQ(rig.statuses.back().key, "koniecTransmisji");
    }
}

TEST(Transmission, FullBufferSendsNothingAndWaits)
{
    SimulatedMachineConfig config;
    config.queueCapacity = 400;
    config.fullMargin = 350; // full with more than 50 queued
    config.drainPerSecond = 100;
    TransmitRig rig(config);
    ASSERT_TRUE(rig.transmitter.start(rig.writeJob(makeJob(300))));
    EXPECT_EQ(rig.transmitter.tick(), 1);
    EXPECT_EQ(rig.takeCommands().size(), 101u);
    EXPECT_EQ(rig.transmitter.tick(), 50);
    EXPECT_TRUE(rig.takeCommands().empty());
    EXPECT_EQ(rig.statuses.back().key, "przeslano");
    EXPECT_TRUE(rig.statuses.back().spinner.isEmpty());
    EXPECT_EQ(rig.statuses.back().percent, rig.transmitter.percent());
    EXPECT_GT(rig.statuses.back().percent, 0);
}

TEST(Transmission, WholeJobArrivesInOrderByteExact)
{
    SimulatedMachineConfig config;
    config.drainPerSecond = 3000;
    TransmitRig rig(config);
    rig.backend.setWriteCostMs(1);
    const QByteArray job = makeJob(50000, 7);
    ASSERT_TRUE(rig.transmitter.start(rig.writeJob(job)));
    const std::int64_t start = rig.clock.nowMs();
    const std::int64_t longest = rig.runToEnd();
    EXPECT_EQ(rig.machine->jobBytes(), job);
    EXPECT_EQ(rig.machine->jobCommandsReceived(), 50000);
    EXPECT_EQ(rig.machine->queueOverflows(), 0);
    EXPECT_EQ(rig.transmitter.sentCount(), 50000);
    EXPECT_TRUE(rig.messages.empty());
    EXPECT_LE(longest, 25) << "no tick holds everything else up";
    // 50,000 writes of 1 ms with a 1 ms pause per batch.
    EXPECT_LT(rig.clock.nowMs() - start, 50000 * 100 / 90);
    const auto sent = rig.takeCommands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), QByteArray("G")), 1);
}

TEST(Transmission, UnpluggingMidJobStopsOnceWithTheJobPosition)
{
    for (const int ticks : {1, 5, 40}) {
        SCOPED_TRACE(ticks);
        TransmitRig rig;
        const QByteArray job = makeJob(5000, 3);
        ASSERT_TRUE(rig.transmitter.start(rig.writeJob(job)));
        for (int i = 0; i < ticks; ++i)
            rig.clock.advance(rig.transmitter.tick());
        const std::int64_t sent = rig.transmitter.sentCount();
        rig.backend.unplug(rig.machine);
        rig.runToEnd(100);
        EXPECT_FALSE(rig.transmitter.running());
        ASSERT_EQ(rig.messages.size(), 1u);
        EXPECT_EQ(rig.messages[0].key, "ploterBrakLacznosci");
        EXPECT_EQ(rig.messages[0].detailKey, "przerwanoPo");
        EXPECT_EQ(rig.messages[0].detailArgs.at(0), QString::number(sent));
        EXPECT_EQ(rig.machine->jobBytes(), job.left(rig.machine->jobBytes().size()));
    }
}

// Fault mended: a cable pulled and plugged back between two ticks went
// unnoticed, and the job streamed on into the re-plugged controller (which
// may have restarted) without a word.
TEST(Transmission, ACableRepluggedBetweenTicksStopsTheJobOnce)
{
    for (const int ticks : {1, 7, 20}) {
        for (const int gapMs : {5, 20, 40, 60}) {
            SCOPED_TRACE(testing::Message() << "after tick " << ticks << ", pulled for " << gapMs << " ms");
            TransmitRig rig;
            const QByteArray job = makeJob(3000, 5);
            ASSERT_TRUE(rig.transmitter.start(rig.writeJob(job)));
            for (int i = 0; i < ticks && rig.transmitter.running(); ++i)
                rig.clock.advance(rig.transmitter.tick());
            const std::int64_t sent = rig.transmitter.sentCount();
            rig.backend.unplug(rig.machine);
            rig.clock.advance(gapMs);
            rig.backend.replug(rig.machine);
            ASSERT_TRUE(rig.link->connected());
            rig.takeCommands();
            rig.runToEnd(100);
            EXPECT_FALSE(rig.transmitter.running());
            ASSERT_EQ(rig.messages.size(), 1u);
            EXPECT_EQ(rig.messages[0].key, "ploterBrakLacznosci");
            EXPECT_EQ(rig.messages[0].detailArgs.at(0), QString::number(sent));
            for (const QByteArray &c : rig.takeCommands())
                EXPECT_TRUE(std::islower(static_cast<unsigned char>(c.front())) == 0)
                    << "job command sent after the gap";
            // Nothing resumes by itself.
            rig.runToEnd(100);
            EXPECT_EQ(rig.messages.size(), 1u);
        }
    }
}

TEST(Transmission, FailedWriteStopsAtThatCommand)
{
    // Regression: a failed write showed a message and went on with the next
    // command, so every later relative move was shifted.
    TransmitRig rig;
    const QByteArray job = makeJob(300, 5);
    ASSERT_TRUE(rig.transmitter.start(rig.writeJob(job)));
    rig.machine->failWrites(1, HidError::IoError, 30);
    rig.runToEnd(100);
    EXPECT_FALSE(rig.transmitter.running());
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].suffix, QString::number(HidError::IoError));
    EXPECT_EQ(rig.transmitter.sentCount(), 29) << "30 writes: 17 commands, G, 12 commands";
    EXPECT_EQ(rig.machine->jobCommandsReceived(), 29);
}

TEST(Transmission, CorruptJobStopsBeforeTheBadCommand)
{
    // Regression: a byte that is no command letter, or a command cut short
    // by the end of the file, was sent as far as it went.
    for (const QByteArray &tail : {QByteArray("\x01zz", 3), QByteArray("a\xFF\x01", 3)}) {
        TransmitRig rig;
        const QByteArray good = makeJob(20, 9);
        ASSERT_TRUE(rig.transmitter.start(rig.writeJob(good + tail)));
        rig.runToEnd(100);
        EXPECT_EQ(rig.machine->jobBytes(), good);
        ASSERT_EQ(rig.messages.size(), 1u);
        EXPECT_EQ(rig.messages[0].key, "uszkodzonyPlikZadania");
        EXPECT_EQ(rig.messages[0].detailArgs.at(0), "20");
    }
}

TEST(Transmission, MissingJobFileSendsNothing)
{
    TransmitRig rig;
    EXPECT_FALSE(rig.transmitter.start(rig.dir.filePath("missing.cn")));
    EXPECT_FALSE(rig.transmitter.running());
    EXPECT_TRUE(rig.takeCommands().empty());
}

TEST(Transmission, NewProtocolPowerCommandsAreSixBytes)
{
    SimulatedMachineConfig config;
    config.firmwareMajor = 5;
    TransmitRig rig(config);
    rig.ploter->ReadFirmwareVersion();
    QByteArray job;
    for (int i = 0; i < 3; ++i)
        job += toQ(PowerCommand(1, 70000 + i, true));
    ASSERT_TRUE(rig.transmitter.start(rig.writeJob(job)));
    rig.runToEnd(10);
    EXPECT_EQ(rig.machine->jobBytes(), job);
    EXPECT_EQ(rig.machine->jobCommandsReceived(), 3);
}

} // namespace
