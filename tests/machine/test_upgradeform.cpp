// The upgrade window over a machine session on its own thread, as in the
// program, with the simulated controller in virtual time.
#include "app/common.h"
#include "app/language.h"
#include "machine/machineservices.h"
#include "machine/machinesession.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/basepointsform.h"
#include "machine/ui/przesunform.h"
#include "machine/ui/upgradeform.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"
#include "support/testfiles.h"
#include "support/textfit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <gtest/gtest.h>

namespace {

struct ThreadedSession
{
    explicit ThreadedSession(SimulatedMachineConfig config)
    {
        tInterfejs::setInstance(tInterfejs::Create(
            {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), "Prentavik", VersionString(false, false)}, 1, {}));
        auto virtualClock = std::make_unique<VirtualMachineClock>();
        clock = virtualClock.get();
        session = new MachineSession(
            [this, config](MachineClock &c) {
                auto backend = std::make_unique<SimulatedHidBackend>(c);
                machine = backend->plugMachine(config);
                return backend;
            },
            std::move(virtualClock), CommandLine(), Settings());
        session->services()->setResourceFolder(folder.path());
        session->services()->setFirmwareRecord(folder.filePath(QStringLiteral("firmware.ini")));
        QDir(folder.path()).mkpath(QStringLiteral("ROM/Vq"));
        session->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(session, &MachineSession::open, Qt::BlockingQueuedConnection);
    }
    ~ThreadedSession()
    {
        QMetaObject::invokeMethod(
            session, [s = session] { delete s; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
        tInterfejs::setInstance(tInterfejs());
    }

    void writeRom(FirmwareVersion version) const
    {
        RomImage image {version, std::vector<std::uint16_t>(kProgramWords)};
        for (int i = 0; i < kProgramWords; ++i)
            image.words[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 31 + 7);
        WriteAll(romPath(), RomImageBytes(image));
    }
    QString romPath() const { return folder.path() + QStringLiteral("/ROM/Vq/Dervilon162.rom"); }
    // Everything the controller received, read on the machine's thread.
    std::vector<QByteArray> commands()
    {
        std::vector<QByteArray> c;
        QMetaObject::invokeMethod(
            session, [&] { c = machine->commands(); }, Qt::BlockingQueuedConnection);
        return c;
    }
    template<typename Done> static bool waitFor(Done done, int ms = 60000)
    {
        const QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        return done();
    }

    QTemporaryDir folder;
    QThread thread;
    VirtualMachineClock *clock = nullptr;
    MachineSession *session = nullptr;
    std::shared_ptr<SimulatedMachine> machine;
};

int countSub(const std::vector<QByteArray> &commands, int sub)
{
    return static_cast<int>(std::count_if(commands.begin(), commands.end(), [sub](const QByteArray &c) {
        return c.size() >= 2 && c[0] == 'S' && c[1] == sub;
    }));
}

TEST(UpgradeForm, TheWindowKeepsRunningDuringTheUpgradeAndClosesOnSuccess)
{
    RecordingMessageBoxes boxes;
    ThreadedSession rig({});
    rig.writeRom({3, 6});
    TUpgradeProgramForm form(rig.session->services());
    form.show();
    ASSERT_TRUE(ThreadedSession::waitFor([&] { return form.upgradeButton()->isEnabled(); }, 10000));
    EXPECT_EQ(form.view().controllerVersion, "3.5");

    // The machine thread waits, mid-upgrade, for a GUI timer to fire: only
    // a window that does not wait for the upgrade lets it.
    std::atomic<int> ticks {0};
    std::atomic<int> ticksSeenByUpgrade {-1};
    rig.clock->setSleepHook([&](std::int64_t) {
        if (ticksSeenByUpgrade >= 0)
            return;
        const QDeadlineTimer deadline(10000);
        while (ticks == 0 && !deadline.hasExpired())
            QThread::msleep(1);
        ticksSeenByUpgrade = ticks.load();
    });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    form.upgradeButton()->click();

    ASSERT_TRUE(ThreadedSession::waitFor([&] { return !form.isVisible(); }));
    EXPECT_GT(ticksSeenByUpgrade, 0);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The firmware was upgraded.\n\nSwitch the machine off, wait a few seconds and "
              "switch it on again.\nThen home the machine before cutting.");
    EXPECT_EQ(countSub(rig.commands(), 10), kProgramWords);
}

TEST(UpgradeForm, AnOlderImageAndAReplacedFileAreAskedForFirst)
{
    RecordingMessageBoxes boxes;
    boxes.answer = DlgButton::No;
    SimulatedMachineConfig config;
    config.firmwareMajor = 2;
    config.firmwareMinor = 1;
    ThreadedSession rig(config);
    rig.writeRom({1, 10}); // joined digits would call 110 newer than 21
    TUpgradeProgramForm form(rig.session->services());
    form.show();
    ASSERT_TRUE(ThreadedSession::waitFor([&] { return form.upgradeButton()->isEnabled(); }, 10000));
    EXPECT_TRUE(form.view().askDowngrade);
    const std::size_t before = rig.commands().size();

    form.ButtonUpgradeClick();
    form.ReadProgramClick();
    ThreadedSession::waitFor([] { return false; }, 200);
    EXPECT_EQ(boxes.questions.size(), 2u);
    EXPECT_TRUE(boxes.questions[1].endsWith(rig.romPath()));
    EXPECT_EQ(rig.commands().size(), before) << "No sends nothing";
    QFile file(rig.romPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(ParseRomImage(file.readAll())->version, (FirmwareVersion {1, 10})) << "No keeps the file";
    EXPECT_TRUE(form.upgradeButton()->isEnabled());
}

} // namespace

namespace {

// A homing holds the machine's thread for minutes; meanwhile the windows
// must answer (the panel's STOP with them), so none of them waits for it.
TEST(PanelWindows, NeitherOpeningNorAddingWaitsForABusyMachine)
{
    std::atomic<bool> busy {false}, release {false}, released {false};
    RecordingMessageBoxes boxes;
    ThreadedSession rig({});
    QMetaObject::invokeMethod(
        rig.session,
        [&] {
            busy = true;
            const QDeadlineTimer deadline(5000);
            while (!release && !deadline.hasExpired())
                QThread::msleep(1);
            released = true;
        },
        Qt::QueuedConnection);
    ASSERT_TRUE(ThreadedSession::waitFor([&] { return busy.load(); }));

    TprzesunForm moveWire(rig.session->services(), QStringLiteral("Front"), QStringLiteral("Back"));
    moveWire.setArmSelection(false, true);
    moveWire.show();
    EXPECT_FALSE(released) << "the move-wire window waited for the machine";
    EXPECT_TRUE(moveWire.windowTitle().endsWith(QStringLiteral(" - Back")));

    TPunkty_bazoweForm basePoints(rig.session->services(),
                                  TPunkty_bazowe(rig.folder.filePath(QStringLiteral("base.txt")), 0));
    basePoints.DodajClick();
    basePoints.DodajClick();
    EXPECT_FALSE(released) << "Add waited for the machine";
    EXPECT_TRUE(basePoints.logic().lines().isEmpty());
    release = true;
    ASSERT_TRUE(ThreadedSession::waitFor([&] { return !basePoints.logic().lines().isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(basePoints.logic().lines(), QStringList {QStringLiteral("X=    0.000   Y=    0.000 mm")})
        << "a second click while the first read is out adds nothing";
    EXPECT_TRUE(boxes.shown.empty());
}

// Regression: a line of megabytes in the file was laid out whole in the
// list, and the dialog took minutes to open.
TEST(BasePointsWindow, ListShowsTheStartOfALongLineAndTheFileKeepsItWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("base.txt"));
    const QByteArray shortLine = "X=   12.500   Y=    3.000 mm";
    const QByteArray longLine = "X=" + QByteArray(2 * 1024 * 1024, '7');
    WriteAll(path, shortLine + "\r\n" + longLine + "\r\n");
    TPunkty_bazoweForm form(nullptr, TPunkty_bazowe(path, 0));
    const auto *lista = form.findChild<QListWidget *>(QStringLiteral("lista"));
    ASSERT_EQ(lista->count(), 2);
    EXPECT_EQ(lista->item(0)->text(), QString::fromLatin1(shortLine));
    EXPECT_EQ(lista->item(1)->text(), QString::fromLatin1(longLine.left(60)) + QStringLiteral("..."));

    // Deleting the short line saves the list: the long one goes back whole.
    form.findChild<QListWidget *>(QStringLiteral("lista"))->setCurrentRow(0);
    form.usunClick();
    EXPECT_EQ(ReadAll(path), longLine + "\r\n");
    EXPECT_EQ(lista->item(0)->text(), QString::fromLatin1(longLine.left(60)) + QStringLiteral("..."));
}

// The panel's smaller windows show every text whole in both languages.
TEST(PanelWindows, EveryTextShowsWholeInEnglishAndPolish)
{
    RecordingMessageBoxes boxes;
    ThreadedSession rig({});
    // The upgrade window with its longest text: the notice of an unfinished upgrade.
    WriteAll(rig.folder.filePath(QStringLiteral("firmware.ini")),
             "[SIM0001]\r\nUnfinishedUpgrade=ROM/Vq/Dervilon162.rom\r\n");
    for (const char *code : {"US", "PL"}) {
        SCOPED_TRACE(code);
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        TUpgradeProgramForm upgrade(rig.session->services());
        TPunkty_bazoweForm basePoints(rig.session->services(),
                                      TPunkty_bazowe(rig.folder.filePath(QStringLiteral("base.txt")), 0));
        TprzesunForm moveWire(rig.session->services(),
                              GetText(QStringLiteral("Control"), QStringLiteral("KeyFront.caption")),
                              GetText(QStringLiteral("Control"), QStringLiteral("VqKeyBack.caption")));
        for (QWidget *window : std::initializer_list<QWidget *> {&upgrade, &basePoints, &moveWire}) {
            SCOPED_TRACE(window->objectName().toStdString());
            window->show();
            if (window == &upgrade) {
                ASSERT_TRUE(ThreadedSession::waitFor([&] { return upgrade.view().incomplete; }, 10000));
            }
            const QStringList clipped = ClippedTexts(*window);
            EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
        }
    }
}

} // namespace
