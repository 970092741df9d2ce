#include "app/commandline.h"
#include "app/common.h"
#include "app/language.h"
#include "app/mainframe.h"
#include "app/settings.h"
#include "framefakes.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QByteArray frameTexts = "<Universal><txtWer str=\"version\"/><uwaga str=\"Attention\"/></Universal>"
                              "<Main_window><pracujeTylkoZploterem str=\"only with\"/>"
                              "<wyjscieNiemozliwe str=\"Cannot close now\"/>"
                              "<miKatalog.Caption str=\"catalogue\"/></Main_window>";

tInterfejs frameLanguage(const LanguageFolder &folder)
{
    folder.writeValid("US", frameTexts);
    tInterfejs language;
    language.LoadFile("US", folder.check());
    return language;
}

// Sets the cutting mode (and X-feed direction) for one test.
class ScopedSettings
{
public:
    ScopedSettings(int mode, int catDir = 2)
        : m_saved(Settings::current())
    {
        Settings settings = m_saved;
        settings.Mode = mode;
        settings.CatDir = catDir;
        settings.PowerOutput = 1;
        settings.radiounit = 2;
        Settings::setCurrent(settings);
    }
    ~ScopedSettings() { Settings::setCurrent(m_saved); }

private:
    Settings m_saved;
};

} // namespace

TEST(MainTitle, NamesVersionAndTheSwitchNotes)
{
    LanguageFolder folder;
    const tInterfejs language = frameLanguage(folder);
    const QString base = "Prentavik   version " + VersionString(true, true);
    struct Case
    {
        QStringList params;
        QString title;
        QString machine;
    };
    const Case cases[] = {
        {{}, base, ""},
        {{"repeat"}, base + "   >> UWAGA! Aktywna opcja REPEAT <<", ""},
        {{"OnlyMachine'Vq1200'"}, base + "      only with Vq1200", "Vq1200"},
        {{"REPEAT", "OnlyMachine'K2'"},
         base + "   >> UWAGA! Aktywna opcja REPEAT <<      only with K2",
         "K2"},
        {{"OnlyMachine''"}, base, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.params.join(' ').toStdString());
        QString machine = QStringLiteral("stale");
        EXPECT_EQ(MainTitle("Prentavik", language, CommandLine(c.params), machine), c.title);
        EXPECT_EQ(machine, c.machine);
    }
}

TEST(MainTitle, MissingVersionTextShowsError)
{
    QString machine;
    EXPECT_EQ(MainTitle("Prentavik", tInterfejs(), CommandLine(), machine),
              "Prentavik   error " + VersionString(true, true));
}

TEST(MainWindowTexts, CatalogueNamesTheDealerOnlyWhenItsCatalogueExists)
{
    LanguageFolder folder;
    const tInterfejs language = frameLanguage(folder);
    QTemporaryDir dir;
    const DocumentPlace place {dir.path(), "US", "ACME"};
    EXPECT_EQ(CatalogueCaption(language, place), "Korvanel catalogue");
    QFile file(dir.path() + "/Catalogue_US_ACME.pdf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(CatalogueCaption(language, place), "ACME catalogue");
    EXPECT_EQ(CatalogueCaption(language, {dir.path(), "US", ""}), "Korvanel catalogue");
}

TEST(MenuEnabling, FollowsProjectCountCaptionAndMode)
{
    struct Case
    {
        int count;
        const char *caption;
        int mode;
        MenuEnabling expected;
    };
    const Case cases[] = {
        {0, "", 0, {false, false, false}},
        {0, "", 2, {false, false, false}},
        {1, "/data/wing.plt", 0, {true, true, false}},
        {3, "C:/data/wing.PLT", 0, {true, true, false}},
        {1, "/data/row.dpl", 0, {true, false, false}},
        {1, "/data/row.DPL", 0, {true, false, false}},
        {1, "/data/wing.plt", 1, {true, false, false}},
        {2, "/data/pass 1.plt", 2, {true, false, true}},
        {1, "/data/wing.plt", 5, {true, false, false}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " " + c.caption + " mode " + std::to_string(c.mode));
        EXPECT_EQ(MenuEnablingFor(c.count, QString::fromUtf8(c.caption), c.mode), c.expected);
    }
}

TEST(CloseGuard, RefusesWhileAJobStreamsUnpausedAndStopsAPausedOne)
{
    LanguageFolder folder;
    ScopedLanguage language(frameLanguage(folder));

    EXPECT_TRUE(CloseQuery(nullptr).allowed);

    FakeTransmitter idle;
    EXPECT_TRUE(CloseQuery(&idle).allowed);
    EXPECT_EQ(idle.stops, 0);

    FakeTransmitter streaming;
    streaming.isRunning = true;
    const CloseDecision refused = CloseQuery(&streaming);
    EXPECT_FALSE(refused.allowed);
    ASSERT_TRUE(refused.message.has_value());
    EXPECT_EQ(*refused.message, (Message {"Cannot close now", "Attention", MessageKind::Information}));
    EXPECT_EQ(streaming.stops, 0);

    FakeTransmitter paused;
    paused.isRunning = true;
    paused.isPaused = true;
    const CloseDecision allowed = CloseQuery(&paused);
    EXPECT_TRUE(allowed.allowed);
    EXPECT_FALSE(allowed.message.has_value());
    EXPECT_EQ(paused.stops, 1);
}

TEST(StatusBar, FirstPanelTakesAllButARoundedEighth)
{
    EXPECT_EQ(StatusPanelWidths(800), std::make_pair(700, 100));
    EXPECT_EQ(StatusPanelWidths(350), std::make_pair(306, 44)); // 43.75 -> 44
    EXPECT_EQ(StatusPanelWidths(20), std::make_pair(18, 2)); // 2.5 -> 2 (to even)
    EXPECT_EQ(StatusPanelWidths(28), std::make_pair(24, 4)); // 3.5 -> 4 (to even)
    EXPECT_EQ(StatusPanelWidths(0), std::make_pair(0, 0));
}

TEST(ConfigurationFollowUp, ModeChangeClosesEveryProject)
{
    ScopedSettings settings(0);
    QStringList log;
    StubProjectWindow a("a.plt", &log);
    FakeProjectList list;
    list.windows = {&a};
    FakeConfigurationDialog dialog;
    dialog.modeChangedFlag = true;

    KonfiguracjaFollowUp(dialog, nullptr, list);
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(list.closeAlls, 1);
    EXPECT_TRUE(log.isEmpty());
}

TEST(ConfigurationFollowUp, OtherChangesReplanFlatAndRotaryProjectsLastToFirst)
{
    struct Case
    {
        int mode;
        QStringList expected;
    };
    const Case cases[] = {
        {0, {"b JakiKierunek(-1)", "b ciecie", "a JakiKierunek(-1)", "b repaint", "a repaint"}},
        {1,
         {"b JakiKierunek(-1)", "b ciecie_obrotowe", "a JakiKierunek(-1)", "a ciecie_obrotowe", "b repaint",
          "a repaint"}},
        {2, {"b JakiKierunek(-1)", "a JakiKierunek(-1)", "b repaint", "a repaint"}},
        {3, {"b JakiKierunek(-1)", "a JakiKierunek(-1)", "b repaint", "a repaint"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        ScopedSettings settings(c.mode);
        QStringList log;
        StubProjectWindow a("a", &log);
        StubProjectWindow b("b", &log);
        a.isPlanned = true; // a planned flat project is left as it is
        FakeProjectList list;
        list.windows = {&a, &b};
        FakeConfigurationDialog dialog;
        KonfiguracjaFollowUp(dialog, nullptr, list);
        EXPECT_EQ(list.closeAlls, 0);
        EXPECT_EQ(log, c.expected);
    }
}

// Open windows kept the feed signs of their load: a direction changed to
// "left" in the dialog still cut the next job toward +x.
TEST(ConfigurationFollowUp, EveryOpenProjectTakesTheFeedSignsOfTheDirection)
{
    for (const auto &[catDir, sign] : {std::pair {0, 1}, {1, -1}, {2, 1}}) {
        SCOPED_TRACE(catDir);
        ScopedSettings settings(2, catDir);
        StubProjectWindow a("a");
        StubProjectWindow b("b");
        a.feedSign = a.serialFeedSign = -sign;
        b.feedSign = b.serialFeedSign = -sign;
        FakeProjectList list;
        list.windows = {&a, &b};
        FakeConfigurationDialog dialog;
        KonfiguracjaFollowUp(dialog, nullptr, list);
        for (const StubProjectWindow *w : {&a, &b}) {
            EXPECT_EQ(w->feedSign, sign);
            EXPECT_EQ(w->serialFeedSign, sign);
        }
    }
}

TEST(ConfigurationFollowUp, PowerOutputWaitsForAConnectedIdleMachine)
{
    ScopedSettings settings(0);
    FakeProjectList list;
    FakeConfigurationDialog dialog;
    FakeMachineSettingsLink machine;
    dialog.onExec = [](FakeConfigurationDialog &d) { d.powerChangedFlag = true; };

    // Disconnected: nothing sent, the change is remembered.
    KonfiguracjaFollowUp(dialog, &machine, list);
    EXPECT_TRUE(machine.sent.empty());
    EXPECT_TRUE(dialog.powerChangedFlag);

    // Connected but cutting: still waiting.
    dialog.onExec = nullptr;
    machine.isConnected = true;
    machine.jobRunning = true;
    KonfiguracjaFollowUp(dialog, &machine, list);
    EXPECT_TRUE(machine.sent.empty());
    EXPECT_TRUE(dialog.powerChangedFlag);

    // Connected and idle: the next close of the dialog tells it.
    machine.jobRunning = false;
    KonfiguracjaFollowUp(dialog, &machine, list);
    EXPECT_EQ(machine.sent, (std::vector<QString> {"S4 1", "heating"}));
    EXPECT_FALSE(dialog.powerChangedFlag);
    EXPECT_EQ(machine.statusReads, 3);
}

TEST(ConfigurationFollowUp, LengthUnitGoesOnlyAfterRotationClicksWithProjectsAndMachine)
{
    ScopedSettings settings(1);
    StubProjectWindow a("a");
    struct Case
    {
        bool clicked;
        bool withProject;
        bool connected;
        bool sends;
    };
    const Case cases[] = {
        {true, true, true, true},
        {false, true, true, false},
        {true, false, true, false},
        {true, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.clicked << c.withProject << c.connected);
        FakeProjectList list;
        if (c.withProject)
            list.windows = {&a};
        FakeConfigurationDialog dialog;
        dialog.rotationClicked = true; // cleared before the dialog opens
        const bool clicked = c.clicked;
        dialog.onExec = [clicked](FakeConfigurationDialog &d) { d.rotationClicked = clicked; };
        FakeMachineSettingsLink machine;
        machine.isConnected = c.connected;
        KonfiguracjaFollowUp(dialog, &machine, list);
        EXPECT_FALSE(dialog.rotationClickedWhenShown);
        EXPECT_EQ(machine.sent, c.sends ? std::vector<QString> {"S6 2"} : std::vector<QString> {});
    }
}

TEST(Simulation, FeedSignFollowsPassAndAlternatesInBothDirections)
{
    struct Case
    {
        int mode;
        int catDir;
        int pass;
        int signBefore;
        bool paired;
        QStringList expected;
        int signAfter;
    };
    const Case cases[] = {
        {0, 0, 1, 1, false, {"w simulate 1", "w invalidate"}, 1},
        {0, 2, 1, 1, false, {"w simulate 1", "w invalidate"}, -1},
        {0, 2, 1, -1, true, {"w simulate -1"}, 1},
        {2, 0, 3, -1, false, {"w simulate 1", "w invalidate"}, 1},
        {2, 1, 2, 1, false, {"w simulate -1", "w invalidate"}, -1},
        {2, 2, 2, 1, false, {"w simulate -1", "w invalidate"}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " catDir " << c.catDir << " pass " << c.pass);
        QStringList log;
        StubProjectWindow window("w", &log);
        window.pass = c.pass;
        window.feedSign = c.signBefore;
        window.paired = c.paired;
        SimulateProject(window, c.mode, c.catDir);
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(window.feedSign, c.signAfter);
    }
}
