#include "app/common.h"
#include "app/language.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/machinehost.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

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

TEST(MachineHost, MessagesReadInTheProgramsLanguage)
{
    tInterfejs::setInstance(tInterfejs::Create(
        {QStringLiteral(PRENTAVIK_SOURCE_DIR "/lang"), "Prentavik", VersionString(false, false)}, 1, {}));
    MachineMessage m = MachineMessage::of("Control", "ploterBrakLacznosci", "1167");
    m.detailSection = "Transmission";
    m.detailKey = "przerwanoPo";
    m.detailArgs = {"120", "35"};
    EXPECT_EQ(TMachineHost::messageText(m),
              "No connection with the machine.1167\nStopped after 120 commands (35 % of the job). The job file is kept.");
    EXPECT_EQ(TMachineHost::transmitText({"przeslano", 42, "|"}), "Sent 42% |");
    EXPECT_EQ(TMachineHost::transmitText({"przeslano", 42, {}}), "Sent 42% ");
    tInterfejs::setInstance(tInterfejs());
}

} // namespace
