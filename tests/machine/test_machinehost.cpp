#include "app/common.h"
#include "app/konfig.h"
#include "app/language.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/machinehost.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <gtest/gtest.h>

namespace {

TEST(MachineHost, FindsTheSimulatedMachineOnItsOwnThreadAndLetsGo)
{
    tInterfejs::setInstance(tInterfejs::Create(
        {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), "Prentavik", VersionString(false, false)}, 1, {}));
    qputenv("PRENTAVIK_SIMULATED_MACHINE", "1");
    QStringList statusTexts;
    auto identity = std::make_shared<TMachineIdentity>();
    {
        TMachineHost host(MachineSession::programBackend(), identity,
                          [&statusTexts](const QString &text) { statusTexts << text; });
        const QDeadlineTimer deadline(5000);
        while (!statusTexts.contains("Machine connected") && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        EXPECT_TRUE(statusTexts.contains("Machine connected"));
        const IMachineSettingsLink::Status status = host.readStatus();
        EXPECT_TRUE(status.connected);
        EXPECT_FALSE(status.jobRunning);
        EXPECT_FALSE(host.running());

        // A machine thread held by a homing does not hold the caller (closing the configuration
        // dialog): the status then reads as busy.
        std::atomic<bool> busy {false}, release {false}, released {false};
        QMetaObject::invokeMethod(
            host.session(),
            [&] {
                busy = true;
                const QDeadlineTimer hold(5000);
                while (!release && !hold.hasExpired())
                    QThread::msleep(1);
                released = true;
            },
            Qt::QueuedConnection);
        while (!busy)
            QThread::msleep(1);
        const IMachineSettingsLink::Status held = host.readStatus();
        EXPECT_FALSE(released) << "the status read waited for the machine's thread";
        EXPECT_TRUE(held.connected);
        EXPECT_TRUE(held.jobRunning);
        release = true;
        while (!released)
            QThread::msleep(1);
        EXPECT_FALSE(host.readStatus().jobRunning);

        while (identity->machineName().isEmpty() && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        EXPECT_EQ(identity->machineName(), "bn45");
        EXPECT_EQ(identity->maxV(), 2000);
    }
    qunsetenv("PRENTAVIK_SIMULATED_MACHINE");
    tInterfejs::setInstance(tInterfejs());
}

// The machine's thread works on a copy of the settings: what the
// configuration accepts must reach it, before the resolutions are read again
// with the new calibration.
TEST(MachineHost, SettingsAcceptedInTheConfigurationReachTheMachine)
{
    qputenv("PRENTAVIK_SIMULATED_MACHINE", "1");
    Settings::setCurrent(Settings());
    QTemporaryDir dir;
    auto identity = std::make_shared<TMachineIdentity>();
    {
        TMachineHost host(MachineSession::programBackend(), identity, {});
        auto waitFor = [](const auto &done) {
            const QDeadlineTimer deadline(5000);
            while (!done() && !deadline.hasExpired()) {
                QCoreApplication::processEvents();
                QThread::msleep(5);
            }
            return done();
        };
        ASSERT_TRUE(waitFor([&] { return !identity->machineName().isEmpty(); }));
        const double read = host.lastState().readResX;
        ASSERT_DOUBLE_EQ(host.lastState().resX, read);

        Konfig konfig(ProgramFolders(dir.path()), {}, *identity);
        konfig.activate();
        konfig.setWorkingNumber(*Settings::find(u"feKalibracjaX"), 5);
        konfig.accept();
        EXPECT_TRUE(waitFor([&] { return host.lastState().resX != read; }));
        EXPECT_DOUBLE_EQ(host.lastState().resX, read + 0.05);
    }
    Settings::setCurrent(Settings());
    qunsetenv("PRENTAVIK_SIMULATED_MACHINE");
}

TEST(MachineHost, MessagesReadInTheProgramsLanguage)
{
    tInterfejs::setInstance(tInterfejs::Create(
        {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), "Prentavik", VersionString(false, false)}, 1, {}));
    MachineMessage m = MachineMessage::of("Control", "ploterBrakLacznosci", "1167");
    m.detailSection = "Transmission";
    m.detailKey = "przerwanoPo";
    m.detailArgs = {"120", "35"};
    EXPECT_EQ(TMachineHost::messageText(m),
              "No connection with the machine.1167\nStopped after 120 commands (35 % of the job). The job "
              "file is kept.");
    EXPECT_EQ(TMachineHost::transmitText({"przeslano", 42, "|"}), "Sent 42% |");
    EXPECT_EQ(TMachineHost::transmitText({"przeslano", 42, {}}), "Sent 42% ");
    tInterfejs::setInstance(tInterfejs());
}

} // namespace
