#include "app/konfig.h"
#include "app/machineidentity.h"
#include "app/units.h"
#include "support/testfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class KonfigTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Settings::setCurrent(Settings());
    }
    void TearDown() override { Settings::setCurrent(Settings()); }

    Konfig make(KonfigOptions options = {})
    {
        return Konfig(ProgramFolders(m_dir.path()), options, m_machine);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    StubMachineIdentity m_machine;
};

// A copy of the settings with every value moved away from the defaults.
Settings changedSettings()
{
    Settings s;
    for (const SettingInfo &info : Settings::table()) {
        if (info.kind == SettingKind::Text)
            s.setText(info, QStringLiteral("/x y"));
        else
            s.setNumber(info, s.number(info) == s.maximum(info) ? s.minimum(info) : s.maximum(info));
    }
    return s;
}

} // namespace

TEST_F(KonfigTest, FirstStartCreatesBothFilesFromTheDefaults)
{
    Konfig konfig = make();
    const auto messages = konfig.create();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].error);
    EXPECT_EQ(messages[0].key, "brakKonfiga");
    EXPECT_TRUE(messages[0].keyIsCaption);
    EXPECT_EQ(messages[0].detail, path("Prentavik.mcc"));
    EXPECT_EQ(ReadAll(path("Prentavik.mcc")), ConfigFiles::machineConfigText(Settings()));
    EXPECT_EQ(QFileInfo(path("Prentavik.gcf")).size(), 864);
    EXPECT_EQ(konfig.caption(), path("Prentavik.mcc"));
    EXPECT_TRUE(konfig.flags().powerOutputChanged);
}

TEST_F(KonfigTest, StartUpReadsTheFileTheRecordNamesAndDerivesTheGlobals)
{
    // Broke before: the stop position was derived only on OK, so a job
    // started before the dialog was ever confirmed used the default.
    write("machine.mcc", "radiounit := 1\r\nfeuZderzakX := 300\r\nfuPlt_accuracy := 0.1\r\n");
    ConfigFiles::GlobalConfig record = ConfigFiles::defaultGlobalConfig(path("machine.mcc"));
    ASSERT_TRUE(ConfigFiles::SaveGlobalConfig(path("Prentavik.gcf"), record).ok);
    Konfig konfig = make();
    EXPECT_TRUE(konfig.create().empty());
    EXPECT_EQ(Settings::current().radiounit, 1);
    EXPECT_EQ(Units::currentLengthUnit(), 1);
    // The stop position is derived at start-up too, not only on OK.
    EXPECT_DOUBLE_EQ(ProgramValues::current().stopX, 300.0);
    EXPECT_EQ(ProgramValues::current().joiningTolerance, 4);
    EXPECT_EQ(konfig.caption(), path("machine.mcc"));
}

TEST_F(KonfigTest, AMachineFileThatNoLongerExistsFallsBackToTheDefaultFile)
{
    // Broke before: a moved or deleted machine file was recreated from the
    // defaults at its old path, hiding the user's real configuration; then
    // it was replaced by the default without a word.
    write("Prentavik.mcc", "Mode := 3\r\n");
    ConfigFiles::GlobalConfig record = ConfigFiles::defaultGlobalConfig(path("gone/old.mcc"));
    ASSERT_TRUE(ConfigFiles::SaveGlobalConfig(path("Prentavik.gcf"), record).ok);
    Konfig konfig = make();
    const auto messages = konfig.create();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].key, "brakKonfiga");
    EXPECT_TRUE(messages[0].keyIsCaption);
    EXPECT_EQ(messages[0].detail, path("gone/old.mcc"));
    EXPECT_EQ(Settings::current().Mode, 3);
    EXPECT_EQ(konfig.caption(), path("Prentavik.mcc"));
    EXPECT_FALSE(QFileInfo::exists(path("gone/old.mcc")));
}

TEST_F(KonfigTest, OpeningTheDialogNeverRewritesTheDefaultFile)
{
    // Broke before: each opening saved the snapshot over "Prentavik.mcc".
    Konfig konfig = make();
    konfig.create();
    write("Prentavik.mcc", "Mode := 1\r\n");
    konfig.activate();
    konfig.cancel();
    EXPECT_EQ(ReadAll(path("Prentavik.mcc")), QByteArray("Mode := 1\r\n"));
}

TEST_F(KonfigTest, CancelRestoresEveryValue)
{
    Konfig konfig = make();
    konfig.create();
    m_machine.name = QStringLiteral("Q7-1");
    const Settings before = Settings::current();
    konfig.activate();
    const Settings opened = Settings::current();
    const Settings changed = changedSettings();
    for (const SettingInfo &info : Settings::table()) {
        if (info.kind == SettingKind::Text)
            konfig.setWorkingText(info, changed.text(info));
        else
            konfig.setWorkingNumber(info, changed.number(info));
    }
    EXPECT_NE(konfig.working(), opened);
    EXPECT_TRUE(konfig.flags().modeChanged);
    konfig.cancel();
    EXPECT_EQ(Settings::current(), opened);
    EXPECT_EQ(konfig.working(), opened);
    EXPECT_FALSE(konfig.flags().modeChanged);
    EXPECT_FALSE(konfig.flags().powerOutputChanged);
    // Opening with the defaults forces nothing but the flat mode's rotary axis.
    Settings expected = before;
    expected.StolikSwitch = 2;
    expected.limits = opened.limits;
    EXPECT_EQ(opened, expected);
}

TEST_F(KonfigTest, OpeningInSerialModeForcesTheTableAndBothDirections)
{
    write("Prentavik.mcc", "Mode := 2\r\nStolikSwitch := 0\r\nCatDir := 0\r\n");
    Konfig konfig = make();
    konfig.create();
    EXPECT_EQ(Settings::current().StolikSwitch, 0); // as the file said
    for (int i = 0; i < 2; ++i) {
        const auto activation = konfig.activate();
        EXPECT_EQ(activation.serialTab, KonfigRules::Enable::On);
        EXPECT_EQ(konfig.working().StolikSwitch, 1);
        EXPECT_EQ(konfig.working().CatDir, 2);
        konfig.cancel();
        EXPECT_EQ(Settings::current().StolikSwitch, 1);
    }
}

TEST_F(KonfigTest, OkClampsValuesStillOutOfRange)
{
    Konfig konfig = make();
    konfig.create();
    konfig.activate();
    konfig.setWorkingNumber(*Settings::find(u"work_power"), 25);
    EXPECT_EQ(konfig.working().work_power, 25.0);
    konfig.setWorkingNumber(*Settings::find(u"PowerOutput"), 1);
    EXPECT_EQ(konfig.working().work_power, 12.0);
    EXPECT_TRUE(konfig.flags().powerOutputChanged);
    // Broke before: OK's clamp could go unnoticed. A travel speed within the
    // range of no machine; the machine identified while the dialog is open
    // takes 2000 mm/min at most.
    konfig.setWorkingNumber(*Settings::find(u"PrzeSpeed"), 4000);
    EXPECT_EQ(konfig.working().PrzeSpeed, 4000.0);
    m_machine.name = QStringLiteral("bn45");
    m_machine.maxVValue = 2000;
    konfig.accept();
    EXPECT_EQ(Settings::current().work_power, 12.0);
    EXPECT_EQ(Settings::current().PowerOutput, 1);
    EXPECT_EQ(Settings::current().PrzeSpeed, 2000.0);
}

TEST_F(KonfigTest, OkSavesTheRecordAndWithAutoSaveTheMachineFile)
{
    write("other.mcc", "skala := 42\r\n");
    Konfig konfig = make();
    konfig.create();
    EXPECT_TRUE(konfig.loadFrom(path("other.mcc")).messages.empty());
    konfig.activate();
    konfig.setWorkingNumber(*Settings::find(u"skala"), 55);
    konfig.setWorkingNumber(*Settings::find(u"feKalibracjaX"), 2);
    EXPECT_TRUE(konfig.accept().empty());
    EXPECT_EQ(m_machine.resolutionReloads, 1);
    EXPECT_EQ(ReadAll(path("other.mcc")), QByteArray("skala := 42\r\n")); // no AutoSave
    EXPECT_TRUE(ReadAll(path("Prentavik.mcc")).contains("skala := 55\r\n"));

    konfig.activate();
    konfig.setWorkingNumber(*Settings::find(u"AutoSave"), 1);
    konfig.setWorkingNumber(*Settings::find(u"feuZderzakY"), 20);
    EXPECT_TRUE(konfig.accept().empty());
    EXPECT_EQ(m_machine.resolutionReloads, 1); // calibration unchanged this time
    EXPECT_TRUE(ReadAll(path("other.mcc")).contains("skala := 55\r\n"));
    EXPECT_DOUBLE_EQ(ProgramValues::current().stopY, 20.0);
    EXPECT_EQ(ConfigFiles::LoadGlobalConfig(path("Prentavik.gcf"), {}).machineConfigPath, path("other.mcc"));
}

// Fault mended: without AutoSave nothing wrote what OK accepted, so every
// change was gone at the next start.
TEST_F(KonfigTest, SettingsAcceptedWithOkAreThereAfterARestart)
{
    {
        Konfig konfig = make();
        konfig.create();
        konfig.activate();
        konfig.setWorkingNumber(*Settings::find(u"skala"), 55);
        konfig.setWorkingNumber(*Settings::find(u"Heavy"), 1);
        EXPECT_TRUE(konfig.accept().empty());
        EXPECT_TRUE(konfig.destroy().empty());
    }
    const Settings accepted = Settings::current();
    Settings::setCurrent(Settings());
    Konfig restarted = make();
    EXPECT_TRUE(restarted.create().empty());
    EXPECT_EQ(Settings::current().skala, 55.0);
    EXPECT_EQ(Settings::current().Heavy, CheckState::Checked);
    Settings restored = Settings::current();
    restored.limits = accepted.limits; // the machine's, not the file's
    EXPECT_EQ(restored, accepted);
}

// Fault mended: the shaped wire's 12 A limit held only inside the dialog; a
// machine file with 20 A kept it after start-up and a job heated at 20.
TEST_F(KonfigTest, ThePowerLimitHoldsAfterEveryLoad)
{
    const QByteArray file("work_power := 20\r\nPowerOutput := 1\r\n");
    write("Prentavik.mcc", file);
    write("other.mcc", file);
    m_machine.name = QStringLiteral("bn45");
    Konfig konfig = make();
    konfig.create();
    EXPECT_EQ(Settings::current().work_power, 12.0) << "start-up";
    Settings::setCurrent(Settings());
    konfig.loadKonfig(path("other.mcc"));
    EXPECT_EQ(Settings::current().work_power, 12.0) << "a machine file loaded with the dialog closed";
    konfig.activate();
    konfig.loadFrom(path("other.mcc"));
    EXPECT_EQ(konfig.working().work_power, 12.0) << "Odczyt";
    konfig.cancel();

    // Before the machine is known the file keeps its power (it may be a
    // percentage); the limit follows once the machine is identified.
    m_machine.name.clear();
    Settings::setCurrent(Settings());
    Konfig early = make();
    early.create();
    EXPECT_EQ(Settings::current().work_power, 20.0);
    m_machine.name = QStringLiteral("bn45");
    early.machineIdentified();
    EXPECT_EQ(Settings::current().work_power, 12.0);
}

TEST_F(KonfigTest, ALoadedFileStaysTheCurrentPathAfterCancel)
{
    write("other.mcc", "skala := 42\r\nMode := 1\r\n");
    Konfig konfig = make();
    konfig.create();
    konfig.activate();
    EXPECT_TRUE(konfig.loadFrom(path("other.mcc")).messages.empty());
    EXPECT_EQ(konfig.working().skala, 42.0);
    EXPECT_TRUE(konfig.flags().modeChanged);
    konfig.cancel();
    EXPECT_EQ(Settings::current().skala, 100.0);
    EXPECT_EQ(konfig.caption(), path("other.mcc"));
    konfig.destroy();
    const auto record = ConfigFiles::decodeGlobalConfig(ReadAll(path("Prentavik.gcf")));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->machineConfigPath, path("other.mcc"));
}

// Fault mended: a file that is no machine configuration (notes named by a
// barcode set, or chosen with Odczyt) was taken silently as the current file,
// and OK with AutoSave wrote the configuration over it.
TEST_F(KonfigTest, AFileWithoutSettingsIsRefusedAndNeverWritten)
{
    // Lines that only look like settings: no separator, or no such setting.
    const QByteArray notes("skala 42\r\nMode: 2\r\nnotes := keep\r\n");
    write("notes.txt", notes);
    write("other.mcc", "skala := 42\r\n");
    ConfigFiles::GlobalConfig record = ConfigFiles::defaultGlobalConfig(path("notes.txt"));
    ASSERT_TRUE(ConfigFiles::SaveGlobalConfig(path("Prentavik.gcf"), record).ok);
    Konfig konfig = make();
    const auto started = konfig.create(); // a record naming such a file falls back
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].key + " " + started[0].detail, "plikNieJestKonfiguracja " + path("notes.txt"));
    EXPECT_TRUE(started[0].error);
    EXPECT_EQ(started[1].key, "brakKonfiga");
    EXPECT_EQ(konfig.caption(), path("Prentavik.mcc"));

    EXPECT_TRUE(konfig.loadFrom(path("other.mcc")).taken);
    for (bool editing : {false, true}) {
        SCOPED_TRACE(editing);
        if (editing)
            konfig.activate();
        const KonfigLoad load
            = editing ? konfig.loadFrom(path("notes.txt")) : konfig.loadKonfig(path("notes.txt"));
        EXPECT_FALSE(load.taken);
        ASSERT_EQ(load.messages.size(), 1u);
        EXPECT_EQ(load.messages[0].key + " " + load.messages[0].detail,
                  "plikNieJestKonfiguracja " + path("notes.txt"));
        EXPECT_EQ(konfig.caption(), path("other.mcc"));
        EXPECT_EQ((editing ? konfig.working() : Settings::current()).skala, 42.0);
    }
    konfig.setWorkingNumber(*Settings::find(u"AutoSave"), 1);
    EXPECT_TRUE(konfig.accept().empty());
    konfig.destroy();
    EXPECT_EQ(ReadAll(path("notes.txt")), notes);
    EXPECT_TRUE(ReadAll(path("other.mcc")).contains("AutoSave := cbChecked\r\n"));
}

TEST_F(KonfigTest, SaveAsWritesTheWorkingCopyAndFailureKeepsThePath)
{
    Konfig konfig = make();
    konfig.create();
    konfig.activate();
    konfig.setWorkingNumber(*Settings::find(u"skala"), 77);
    EXPECT_TRUE(konfig.saveAs(path("saved.mcc")).empty());
    EXPECT_TRUE(ReadAll(path("saved.mcc")).contains("skala := 77\r\n"));
    EXPECT_EQ(konfig.caption(), path("saved.mcc"));
    const auto failed = konfig.saveAs(path("no/such/dir.mcc"));
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_TRUE(failed[0].error);
    EXPECT_EQ(failed[0].key, "bladZapisu");
    EXPECT_EQ(konfig.caption(), path("saved.mcc"));
}

TEST_F(KonfigTest, LoadingWhileClosedRecomputesTheDerivedValues)
{
    write("set.mcc", "feuZderzakX := 99\r\nsbRozdzKrzywychDXF := 4\r\n");
    Konfig konfig = make();
    konfig.create();
    EXPECT_TRUE(konfig.loadKonfig(path("set.mcc")).messages.empty());
    EXPECT_DOUBLE_EQ(ProgramValues::current().stopX, 99.0);
    EXPECT_DOUBLE_EQ(ProgramValues::current().dxfCurveStep, 1.25);
}

TEST_F(KonfigTest, ModesAreTrimmedForTheMachineOnActivation)
{
    Konfig plain = make();
    plain.create();
    plain.activate();
    EXPECT_EQ(plain.modeItemCount(), 4);
    Konfig all = make({true, false});
    all.activate();
    EXPECT_EQ(all.modeItemCount(), 5);
}

TEST_F(KonfigTest, AForcedHeatingOutputAlsoLimitsThePower)
{
    write("Prentavik.mcc", "Mode := 4\r\nPowerOutput := 1\r\nwork_power := 11\r\n");
    Konfig konfig = make();
    konfig.create();
    m_machine.wide = true;
    konfig.activate(); // mode 4 forces the straight wire, whose maximum here is 8
    EXPECT_EQ(konfig.working().PowerOutput, 0);
    EXPECT_EQ(konfig.working().work_power, 8.0);
    EXPECT_TRUE(konfig.flags().powerOutputChanged);
}

TEST_F(KonfigTest, ALookAtTheDialogBeforeTheMachineIsKnownKeepsThePower)
{
    // Broke before: opening the dialog with the machine unplugged cut a file's 80 % (a machine
    // heated in percent) to the 30 A of the others, Cancel included.
    write("Prentavik.mcc", "PowerOutput := 0\r\nwork_power := 80\r\n");
    Konfig konfig = make();
    konfig.create();
    konfig.activate();
    konfig.cancel();
    EXPECT_EQ(Settings::current().work_power, 80.0);
    m_machine.name = QStringLiteral("bn45");
    konfig.machineIdentified();
    EXPECT_EQ(Settings::current().work_power, 30.0) << "the known machine's limit holds";
}

TEST_F(KonfigTest, FollowsTheProgramsMachineWhenNoneIsGiven)
{
    // Broke before: the store kept a reference to the machine set at its
    // creation, which dangled once the machine link installed its own.
    Konfig konfig(ProgramFolders(m_dir.path()), {});
    konfig.create();
    auto lj = std::make_shared<StubMachineIdentity>();
    lj->lj = true;
    lj->name = QStringLiteral("LJ100");
    setMachineIdentity(lj);
    konfig.activate();
    EXPECT_EQ(&konfig.machine(), lj.get());
    EXPECT_EQ(konfig.working().limits.workPowerMax, 100.0);
    setMachineIdentity(nullptr);
    EXPECT_NE(&konfig.machine(), lj.get());
}
