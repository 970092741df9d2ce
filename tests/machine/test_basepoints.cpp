#include "app/units.h"
#include "machine/basepoints.h"
#include "machine/sterowanie.h"
#include "simfixture.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <map>

namespace {

TEST(BasePoints, LinesInTheUnitAndLocaleReadBackToTheSamePlace)
{
    const QLocale c = QLocale::c();
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    EXPECT_EQ(FormatBasePointLine(1250, 0, Units::Millimetre, c), "X=   12.500   Y=    0.000 mm");
    EXPECT_EQ(FormatBasePointLine(1250, 0, Units::Millimetre, polish), "X=   12,500   Y=    0,000 mm");
    EXPECT_EQ(
        FormatBasePointLine(480000, -127, Units::Inch, QLocale(QLocale::English, QLocale::UnitedStates)),
        "X=  188.976   Y=   -0.050 in")
        << "no group separator, sign kept";

    struct Case
    {
        const char *line;
        int currentUnit;
        std::optional<BasePoint> point;
    };
    const Case cases[] = {
        {"X=   12,500   Y=    0,000 mm", Units::Inch, BasePoint {12.5, 0}},
        {"X=    1.000   Y=    2.000 in", Units::Millimetre, BasePoint {25.4, 50.8}},
        {"X=   12.500   Y=    1.000", Units::Inch, BasePoint {317.5, 25.4}}, // older files: the current unit
        {"X=   12.500   Y=    1.000", Units::Millimetre, BasePoint {12.5, 1}},
        {"X=   12.5x0   Y=    1.000 mm", Units::Millimetre, std::nullopt},
        {"X=   12.500   Y=", Units::Millimetre, std::nullopt},
        {"X=   12.500", Units::Millimetre, std::nullopt},
        {"   Y=    1.000", Units::Millimetre, std::nullopt},
        {"X=      nan   Y=    1.000", Units::Millimetre, std::nullopt},
        {"X=   12.500   Y=    1.000 yd", Units::Millimetre, std::nullopt},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.line);
        const std::optional<BasePoint> p = ParseBasePointLine(QString::fromLatin1(k.line), k.currentUnit);
        ASSERT_EQ(p.has_value(), k.point.has_value());
        if (p) {
            EXPECT_NEAR(p->x, k.point->x, 1e-9);
            EXPECT_NEAR(p->y, k.point->y, 1e-9);
        }
    }
}

TEST(BasePoints, ListIsSavedWholeOnEveryChangeAndComesBackInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/base.txt");
    {
        TPunkty_bazowe points(path, Units::Millimetre, QLocale::c());
        EXPECT_FALSE(points.actionsEnabled());
        for (std::int32_t x : {100, 200, 300})
            EXPECT_FALSE(points.DodajClick(x, 50));
        EXPECT_EQ(points.selected(), 2);
        points.listaClick(1);
        EXPECT_FALSE(points.usunClick());
        EXPECT_EQ(points.selected(), 1) << "the line now at the same place";
    }
    EXPECT_EQ(ReadAll(path), "X=    1.000   Y=    0.500 mm\r\nX=    3.000   Y=    0.500 mm\r\n");

    TPunkty_bazowe again(path, Units::Millimetre, QLocale::c());
    EXPECT_EQ(again.lines(), (QStringList {"X=    1.000   Y=    0.500 mm", "X=    3.000   Y=    0.500 mm"}));
    again.listaClick(0);
    EXPECT_TRUE(again.actionsEnabled());
    again.usunClick();
    EXPECT_TRUE(again.actionsEnabled());
    again.usunClick();
    EXPECT_FALSE(again.actionsEnabled()) << "usun and ustaw disabled with the list empty";
    EXPECT_FALSE(again.ustawClick().point);
}

TEST(BasePoints, BadLinesAndFailedSavesAreToldAndLoseNothing)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/base.txt");
    WriteAll(path, "X=   12.500   Y=    1.000\nX=  garbage   Y=    1.000\n");
    TPunkty_bazowe points(path, Units::Millimetre, QLocale::c());
    points.listaClick(1);
    const TPunkty_bazowe::Target bad = points.ustawClick();
    EXPECT_FALSE(bad.point);
    ASSERT_TRUE(bad.message);
    EXPECT_EQ(bad.message->key, "bladLinii");
    EXPECT_EQ(points.lines().size(), 2);

    // A folder that does not exist cannot be written, even by root.
    const QString missing = dir.path() + QStringLiteral("/gone/base.txt");
    TPunkty_bazowe unsaved(missing, Units::Millimetre, QLocale::c());
    const std::optional<MachineMessage> failed = unsaved.DodajClick(100, 100);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->key, "bladZapisuPliku");
    EXPECT_TRUE(failed->suffix.contains(missing));
    EXPECT_EQ(unsaved.lines().size(), 1) << "the point stays in the list";
}

TEST(BasePoints, GoHeatsWaitsAndDrivesBothEndsWithinTheTravel)
{
    struct Case
    {
        const char *line;
        int unit;
        std::int32_t x, y; // the target in steps (1 step per 0.01 mm)
    };
    const Case cases[] = {
        {"X=  100.000   Y=   50.000 mm", Units::Inch, 10000, 5000}, // stored in mm, used in inches
        {"X=  200.000   Y=   10.000 in", Units::Millimetre, 120000, 25400}, // past the 1200 mm travel
        {"X=  -20.000   Y=    5.000 mm", Units::Millimetre, 0, 500},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        SimRig rig;
        Settings settings = rig.ploter->settings();
        settings.CzasRozgrzewania = 700;
        settings.radiounit = c.unit;
        rig.ploter->setSettings(settings);
        NoJobControl jobs;
        Tster panel(*rig.ploter, jobs);
        rig.ploter->ReadMachineInfo();
        const std::int32_t from = 50000;
        for (int axis : {Axis::X1, Axis::X2, Axis::Y1, Axis::Y2})
            rig.machine->setRawPosition(axis, from);
        rig.takeCommands();
        // Every write sleeps its cost first: the latest time seen with n
        // commands received is when command n + 1 went out.
        std::map<std::size_t, std::int64_t> sentAt;
        rig.clock.setSleepHook([&](std::int64_t now) { sentAt[rig.machine->commands().size()] = now; });

        const std::optional<BasePoint> point = ParseBasePointLine(QString::fromLatin1(c.line), c.unit);
        ASSERT_TRUE(point);
        ASSERT_TRUE(GoToBasePoint(panel, *rig.ploter, *point));
        const std::vector<QByteArray> sent = rig.takeCommands();
        ASSERT_GE(sent.size(), 8u);
        EXPECT_EQ(sent[0], bytes({'R', 1, 2}));
        EXPECT_EQ(sent[1], bytes({'F', 2}));
        EXPECT_EQ(sent[3], record('A', 0xFF, 0));
        EXPECT_EQ(sent[4], record('A', 0x00, c.x - from));
        EXPECT_EQ(sent[5], record('A', 0x04, c.x - from));
        EXPECT_EQ(sent[6], record('A', 0x01, c.y - from));
        EXPECT_EQ(sent[7], record('A', 0x05, c.y - from));
        EXPECT_GE(sentAt[1] - sentAt[0], 700) << "the heat-up time between heating and the move";
    }

    SimRig busy;
    NoJobControl jobs;
    Tster panel(*busy.ploter, jobs);
    busy.ploter->sendMove({.x1 = 100000});
    busy.takeCommands();
    EXPECT_FALSE(GoToBasePoint(panel, *busy.ploter, BasePoint {10, 10}));
    EXPECT_TRUE(busy.takeCommands().empty()) << "no heating for a move that is refused";
    ASSERT_EQ(busy.messages.size(), 1u);
    EXPECT_EQ(busy.messages[0].key, "nieMoznaPrzesuwac");
}

// Without a machine "Go to" said that a job ran or the axes moved.
TEST(BasePoints, GoWithoutAMachineSaysItIsNotConnected)
{
    SimRig none({}, {}, false);
    NoJobControl jobs;
    Tster panel(*none.ploter, jobs);
    EXPECT_FALSE(GoToBasePoint(panel, *none.ploter, BasePoint {10, 10}));
    ASSERT_EQ(none.messages.size(), 1u);
    EXPECT_EQ(none.messages[0].key, "ploterBrakLacznosci");
}

} // namespace
