#include "machine/upgradeprogram.h"
#include "simfixture.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <random>

namespace {

RomImage makeImage(FirmwareVersion version, unsigned seed)
{
    RomImage image;
    image.version = version;
    std::mt19937 random(seed);
    for (int i = 0; i < kProgramWords; ++i)
        image.words.push_back(static_cast<std::uint16_t>(random()));
    return image;
}

QByteArray S(int sub, std::initializer_list<int> data = {})
{
    QByteArray c = bytes({'S', sub});
    for (int b : data)
        c.append(static_cast<char>(b));
    return c;
}

const QByteArray kSetStart = S(8, {0, 0, 0, 2});

// A controller "bn45" at 3.5 (its ROM file "ROM/Vq/Dervilon162.rom") and
// the upgrade logic over it, in virtual time.
struct UpgradeRig : SimRig
{
    explicit UpgradeRig(SimulatedMachineConfig config = {}, QString record = {})
        : SimRig(config)
        , upgrade(*ploter, folder.path(), record.isEmpty() ? recordPath() : record)
    {
        ploter->ReadMachineInfo();
        upgrade.setViewHandler([this](const UpgradeView &v) { views.push_back(v); });
        QDir(folder.path()).mkpath(QStringLiteral("ROM/Vq"));
    }

    QString romPath() const { return folder.path() + QStringLiteral("/ROM/Vq/Dervilon162.rom"); }
    QString recordPath() const { return folder.path() + QStringLiteral("/firmware.ini"); }
    // The cable is pulled while the image is written, then plugged in again:
    // the controller starts in its loader.
    void pullMidUpgradeAndReplug(const RomImage &image)
    {
        writeRom(RomImageBytes(image));
        upgrade.activate();
        machine->unplugAfterWrites(4 + 30000);
        ASSERT_FALSE(upgrade.run(UpgradeOperation::Upgrade));
        backend.replug(machine);
        ploter->ReadMachineInfo();
    }
    void writeRom(const QByteArray &bytes) const { WriteAll(romPath(), bytes); }
    std::vector<std::uint16_t> memory() { return machine->programMemory().words(clock.nowMs()); }
    int countSub(const std::vector<QByteArray> &commands, int sub) const
    {
        return static_cast<int>(std::count_if(commands.begin(), commands.end(), [sub](const QByteArray &c) {
            return c.size() >= 2 && c[0] == 'S' && c[1] == sub;
        }));
    }

    QTemporaryDir folder;
    TUpgradeProgram upgrade;
    std::vector<UpgradeView> views;
};

TEST(Upgrade, VersionsRomFilesAndImageSizes)
{
    EXPECT_TRUE(IsUpgradable({1, 2}));
    for (FirmwareVersion v : {FirmwareVersion {1, 1}, FirmwareVersion {0, 5}, FirmwareVersion {10, 0},
                              FirmwareVersion {2, 0}, FirmwareVersion {10, 1}}) {
        SCOPED_TRACE(v.text().toStdString());
        EXPECT_FALSE(IsUpgradable(v));
    }
    // Part by part: joined digits would make 1.10 (110) newer than 2.0 (20).
    EXPECT_LT((FirmwareVersion {1, 10}), (FirmwareVersion {2, 0}));
    EXPECT_LT((FirmwareVersion {2, 9}), (FirmwareVersion {2, 10}));

    EXPECT_EQ(RomFileName("Q7", 1), "ROM/Q7/Dervilon.rom");
    EXPECT_EQ(RomFileName("Vq", 2), "ROM/Vq/Dervilon162.rom");
    EXPECT_EQ(RomFileName("bn", 1), "ROM/Vq/Dervilon81.rom");
    EXPECT_EQ(RomFileName("q7", 3), "ROM/Vq/Dervilon162.rom") << "the family is case-sensitive";

    const QByteArray whole = RomImageBytes(makeImage({3, 6}, 1));
    ASSERT_EQ(whole.size(), 131078);
    const std::optional<RomImage> image = ParseRomImage(whole);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->version, (FirmwareVersion {3, 6}));
    EXPECT_EQ(image->words, makeImage({3, 6}, 1).words);
    EXPECT_FALSE(ParseRomImage(whole.left(131077)));
    EXPECT_FALSE(ParseRomImage(whole + '\0'));
}

TEST(Upgrade, WholeUpgradeLeavesTheImageInMemoryAndARestartBootsIt)
{
    UpgradeRig rig;
    const RomImage image = makeImage({3, 6}, 7);
    rig.writeRom(RomImageBytes(image));
    rig.machine->setImageVersion(image.words, 3, 6);
    rig.upgrade.activate();
    EXPECT_EQ(rig.upgrade.view().controllerVersion, "3.5");
    EXPECT_EQ(rig.upgrade.view().fileVersion, "3.6");
    EXPECT_TRUE(rig.upgrade.view().upgradeEnabled);
    EXPECT_FALSE(rig.upgrade.view().askDowngrade);
    rig.takeCommands();

    ASSERT_TRUE(rig.upgrade.run(UpgradeOperation::Upgrade));
    const std::vector<QByteArray> sent = rig.takeCommands();
    std::vector<QByteArray> expected = {kSetStart, S(9), kSetStart, kSetStart};
    for (std::uint16_t word : image.words)
        expected.push_back(S(10, {word & 0xFF, word >> 8, 0, 0}));
    expected.insert(expected.end(), {kSetStart, kSetStart});
    EXPECT_EQ(sent, expected) << "blank check, erase, blank check, write, verify, version";
    EXPECT_EQ(rig.memory(), image.words);
    EXPECT_EQ(rig.upgrade.view().resultKey, "WeryfikacjaOk");
    EXPECT_EQ(rig.upgrade.view().steps, (std::array<bool, 3> {true, true, true}));
    EXPECT_TRUE(rig.messages.empty());
    // Progress runs in whole percents, each reported once.
    int reports = 0;
    for (std::size_t i = 1; i < rig.views.size(); ++i)
        reports += rig.views[i].progress != rig.views[i - 1].progress;
    EXPECT_LT(reports, 400);

    ASSERT_TRUE(rig.upgrade.run(UpgradeOperation::Reset));
    EXPECT_EQ(rig.takeCommands().front(), S(11));
    EXPECT_EQ(rig.upgrade.view().controllerVersion, "3.6");
    EXPECT_TRUE(rig.link->connected());
}

TEST(Upgrade, FailuresStopWithOneMessageAndKeepTheUpgradeOffered)
{
    const RomImage image = makeImage({3, 6}, 3);
    struct Case
    {
        const char *name;
        std::function<void(UpgradeRig &)> fault;
        const char *resultKey;
        int wordsWritten;
        const char *messageKey;
    };
    const Case cases[] = {
        {"erase leaves words", [](UpgradeRig &r) { r.machine->programMemory().leaveOnErase(10); },
         "KasowanieBlad", 0, "KasowanieBlad"},
        {"wrong word at 40000", [](UpgradeRig &r) { r.machine->programMemory().corruptWord(40000, 0x0100); },
         "WeryfikacjaBledy", kProgramWords, "WeryfikacjaBledy"},
        // Blank check, erase, blank check and the start address come first.
        {"unplugged after 30000 words", [](UpgradeRig &r) { r.machine->unplugAfterWrites(4 + 30000); },
         "KasowanieOK", 30000, "ploterBrakLacznosci"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UpgradeRig rig;
        rig.writeRom(RomImageBytes(image));
        rig.upgrade.activate();
        c.fault(rig);
        rig.takeCommands();

        EXPECT_FALSE(rig.upgrade.run(UpgradeOperation::Upgrade));
        const std::vector<QByteArray> sent = rig.takeCommands();
        EXPECT_EQ(rig.countSub(sent, 10), c.wordsWritten);
        EXPECT_EQ(rig.countSub(sent, 11), 0) << "never restarted into a broken program";
        EXPECT_EQ(rig.upgrade.view().resultKey, c.resultKey);
        ASSERT_EQ(rig.messages.size(), 1u);
        EXPECT_EQ(rig.messages[0].key, c.messageKey);
        EXPECT_EQ(rig.messages[0].detailKey, "programNiekompletny");
        EXPECT_TRUE(rig.upgrade.view().upgradeEnabled) << "offered again for a retry";
    }
}

TEST(Upgrade, MachinePulledMidUpgradeIsUpgradedAgainFromItsLoader)
{
    UpgradeRig rig;
    const RomImage image = makeImage({3, 6}, 5);
    rig.pullMidUpgradeAndReplug(image);
    rig.upgrade.activate();
    EXPECT_EQ(rig.upgrade.view().controllerVersion, "0.0") << "the loader of a half-written program";
    EXPECT_TRUE(rig.upgrade.view().upgradeEnabled);
    EXPECT_EQ(rig.upgrade.view().romPath, rig.romPath()) << "the same image, not the one for version 0";
    rig.messages.clear();
    rig.takeCommands();

    ASSERT_TRUE(rig.upgrade.run(UpgradeOperation::Upgrade));
    EXPECT_EQ(rig.countSub(rig.takeCommands(), 9), 1) << "erased first";
    EXPECT_EQ(rig.memory(), image.words);
    EXPECT_TRUE(rig.messages.empty());
}

// After a failed upgrade and a restart of the program the controller sat in
// its loader at 0.0: the window chose the image for version 0 and nothing
// said that the program was incomplete. An erase that was never sent was
// reported as an incomplete program.
TEST(Upgrade, AnUnfinishedUpgradeAndTheLastVersionAreKeptByTheMachineAcrossRuns)
{
    UpgradeRig rig;
    const RomImage image = makeImage({3, 6}, 11);
    rig.pullMidUpgradeAndReplug(image);

    TUpgradeProgram nextRun(*rig.ploter, rig.folder.path(), rig.recordPath());
    nextRun.activate();
    EXPECT_EQ(nextRun.view().controllerVersion, "0.0");
    EXPECT_EQ(nextRun.view().romPath, rig.romPath());
    EXPECT_TRUE(nextRun.view().incomplete) << "the window says the last upgrade did not finish";
    EXPECT_TRUE(nextRun.view().upgradeEnabled);
    ASSERT_TRUE(nextRun.run(UpgradeOperation::Upgrade));
    EXPECT_FALSE(nextRun.view().incomplete);
    TUpgradeProgram thirdRun(*rig.ploter, rig.folder.path(), rig.recordPath());
    thirdRun.activate();
    EXPECT_FALSE(thirdRun.view().incomplete);

    // A loader with nothing unfinished on record still gets the image of the
    // version the machine last ran (3.5 above).
    SimulatedMachineConfig loader;
    loader.firmwareMajor = 0;
    loader.firmwareMinor = 0;
    UpgradeRig bare(loader, rig.recordPath());
    bare.upgrade.activate();
    EXPECT_TRUE(bare.upgrade.view().romPath.endsWith("ROM/Vq/Dervilon162.rom"));

    // "S" 9 never sent: the program is as it was.
    UpgradeRig refused;
    refused.writeRom(RomImageBytes(image));
    refused.upgrade.activate();
    refused.machine->failWrites(1, HidError::IoError, 1);
    EXPECT_FALSE(refused.upgrade.run(UpgradeOperation::Upgrade));
    EXPECT_EQ(refused.countSub(refused.takeCommands(), 9), 0);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].key, "ploterBrakLacznosci");
    EXPECT_TRUE(refused.messages[0].detailKey.isEmpty());
    EXPECT_FALSE(refused.upgrade.view().incomplete);
}

TEST(Upgrade, NothingIsErasedForAWrongFileOrABusyMachine)
{
    UpgradeRig rig;
    rig.writeRom(RomImageBytes(makeImage({3, 6}, 2)).left(131077));
    rig.upgrade.activate();
    rig.takeCommands();
    const std::vector<std::uint16_t> before = rig.memory();
    EXPECT_FALSE(rig.upgrade.run(UpgradeOperation::Upgrade));
    EXPECT_TRUE(rig.takeCommands().empty());
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "zlyRozmiarPliku");
    EXPECT_TRUE(rig.messages[0].suffix.endsWith(rig.romPath()));
    EXPECT_EQ(rig.messages[0].detailArgs, (QStringList {"131078", "131077"}));
    EXPECT_EQ(rig.memory(), before);

    rig.messages.clear();
    rig.writeRom(RomImageBytes(makeImage({3, 6}, 2)));
    rig.ploter->sendMove({.x1 = 100000});
    rig.takeCommands();
    EXPECT_FALSE(rig.upgrade.run(UpgradeOperation::Upgrade));
    EXPECT_TRUE(rig.takeCommands().empty());
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "nieMoznaPrzesuwac");
}

TEST(Upgrade, ReadingTheProgramWritesTheFileWhole)
{
    UpgradeRig rig;
    rig.upgrade.activate();
    ASSERT_TRUE(rig.upgrade.run(UpgradeOperation::Read));
    const std::optional<RomImage> read = ParseRomImage(ReadAll(rig.romPath()));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->version, (FirmwareVersion {3, 5}));
    EXPECT_EQ(read->words, rig.memory());
}

TEST(FactoryParameters, RestoreSendsEveryByteAndClaimsOnlyWhenAllWent)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/eprom.bin");
    QByteArray image;
    for (int i = 0; i < 300; ++i)
        image.append(static_cast<char>(i * 7 + 1));
    WriteAll(path, image);
    SimRig rig;
    rig.takeCommands();
    const std::int64_t start = rig.clock.nowMs();
    ASSERT_TRUE(RestoreFactoryParameters(*rig.ploter, path));
    std::vector<QByteArray> expected;
    for (int i = 0; i < 300; ++i)
        expected.push_back(bytes({'S', 13, i % 256, static_cast<std::uint8_t>(image[i])}));
    EXPECT_EQ(rig.takeCommands(), expected);
    EXPECT_EQ(rig.machine->eeprom(43), static_cast<std::uint8_t>(image[299]));
    EXPECT_GE(rig.clock.nowMs() - start, 5000) << "time for the controller to store them";

    rig.machine->failWrites(1, HidError::IoError, 100);
    EXPECT_FALSE(RestoreFactoryParameters(*rig.ploter, path));
    EXPECT_EQ(rig.takeCommands().size(), 100u);
    EXPECT_EQ(rig.messages.size(), 1u);

    rig.messages.clear();
    EXPECT_FALSE(RestoreFactoryParameters(*rig.ploter, folder.path() + QStringLiteral("/none.bin")));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "zbioruNieMoznaOtworzyc");
    EXPECT_TRUE(rig.messages[0].suffix.endsWith("none.bin"));

    QFile(path).resize(0);
    rig.messages.clear();
    EXPECT_FALSE(RestoreFactoryParameters(*rig.ploter, path));
    EXPECT_TRUE(rig.takeCommands().empty());
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0].key, "eepromPusty");
}

} // namespace
