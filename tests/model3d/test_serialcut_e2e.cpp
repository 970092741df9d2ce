// A model becomes a serial cut and the cut reaches the machine: the serial-cut window makes
// one planned pass per step from a RAW file, Start joins the passes into "out.cn" on a
// simulated machine with a rotary table, and the controller receives all of it.

#include "app/definicje.h"
#include "app/konfig.h"
#include "app/machineidentity.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "drawing/jobdecoder.h"
#include "job/threadhop.h"
#include "job/ui/jobcontrolhost.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/machinehost.h"
#include "model3d/ui/genser.h"
#include "modelbuilders.h"
#include "project/programsettings.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/fastclock.h"
#include "support/recordingmessageboxes.h"
#include "support/scopedlanguage.h"

#include <QFile>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <gtest/gtest.h>

TEST(SerialCutFromModel, GeneratedPassesAreJoinedAndStreamedToATableMachine)
{
    RecordingMessageBoxes boxes;
    ScopedLanguage language(ShippedLanguage());
    QTemporaryDir dir;
    const ProgramFolders previousFolders = ProgramFolders::current();
    ProgramFolders::setCurrent(ProgramFolders(dir.path(), dir.path()));
    Settings settings;
    settings.StolikSwitch = 1; // the rotary table turns the material between passes
    settings.CzasRozgrzewania = 0;
    settings.Pauza_w_kacie = 0;
    settings.PowerOutput = 1;
    Settings::setCurrent(settings);

    std::shared_ptr<SimulatedMachine> controller;
    auto factory = [&controller](MachineClock &clock) {
        auto backend = std::make_unique<SimulatedHidBackend>(clock);
        controller = backend->plugMachine(FastClockMachine());
        return backend;
    };
    QMdiArea area;
    auto identity = std::make_shared<TMachineIdentity>();
    // The wire moves and cuts at its speeds, on a clock that runs faster.
    TMachineHost machine(
        factory, identity, [](const QString &) {}, nullptr, std::make_unique<FastClock>());
    job::JobControlHost jobs(area, machine, {});
    TProjectWindowHost projects(&area, TProjectWindowContext::program([](const QString &) {}), {});
    StubMachineIdentity stub;
    Konfig konfig(ProgramFolders(dir.path()), {}, stub);

    TGenSerHooks hooks;
    hooks.context.projectSettings
        = [] { return ProjectSettingsFrom(Settings::current(), ProgramValues::current(), 1200, 800); };
    hooks.context.tableHeight = [] { return Settings::current().Ystolika; };
    hooks.serialCutReady = [&konfig](bool cutOffAtEnd) { konfig.setSerialCutting(cutOffAtEnd); };
    TfGenSer window(projects, hooks);
    const QString model = dir.filePath("block.raw");
    {
        QFile file(model);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(modeltest::RawText(modeltest::Box(0, 0, 0, 40, 60, 20)->triangles));
    }
    window.generator().LoadModel(model);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.generator().loading(); }, 10000));
    window.generator().setStepCount(4);
    window.generator().btnGenerujClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.generator().generating(); }, 30000));
    ASSERT_EQ(projects.windows().size(), 4u);
    ASSERT_EQ(Settings::current().Mode, 2);
    ASSERT_TRUE(Globals().CutOffAtEnd);
    area.setActiveSubWindow(projects.windows().front());

    ASSERT_TRUE(QTest::qWaitFor([&] { return machine.connected(); }, 5000));
    MachineSession *session = machine.session();
    job::callOn(session, [&] {
        controller->setHomed(true);
        controller->setRawPosition(Axis::X1, 10000);
        controller->setRawPosition(Axis::Y1, 30000);
        controller->clearCommands();
    });
    QSignalSpy finished(session, &MachineSession::transmissionFinished);
    jobs.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !jobs.busy(); }, 20000));
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 30000));

    QFile job(dir.filePath("out.cn"));
    ASSERT_TRUE(job.open(QIODevice::ReadOnly));
    const QByteArray written = job.readAll();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.cntmp")));
    EXPECT_EQ(job::callOn(session, [&] { return controller->jobBytes(); }), written);
    const std::vector<QByteArray> received = job::callOn(session, [&] { return controller->commands(); });
    EXPECT_EQ(std::count(received.begin(), received.end(), QByteArray("G")), 1);
    // Four passes, each ending with an eighth of a turn of the table (8000 steps a turn);
    // after the last turn the wire drives through the base and cuts the model off.
    const DecodedJob decoded = DecodeJob(std::string_view(written.constData(), std::size_t(written.size())));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    const std::vector<std::string> &lines = decoded.lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "move s=1000 n=2000"), 4) << Joined(lines);
    const auto lastTurn = std::find(lines.rbegin(), lines.rend(), "move s=1000 n=2000");
    const auto cutOff = std::find_if(lines.rbegin(), lastTurn,
                                     [](const std::string &l) { return l.rfind("move x1=", 0) == 0; });
    EXPECT_NE(cutOff, lastTurn) << Joined(lines);

    Settings::setCurrent(Settings());
    Globals().CutOffAtEnd = false;
    ProgramFolders::setCurrent(previousFolders);
}
