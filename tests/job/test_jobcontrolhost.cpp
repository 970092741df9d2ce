// The whole road in the program's own classes: a sample drawing of data/
// (HPGL and DXF) is loaded and planned in a project window, Start writes "out.cn" through the job driver,
// the machine session on its own thread moves the wire and streams the job
// to the simulated controller, and the panel's poll sees the job end.

#include "app/programfolders.h"
#include "app/settings.h"
#include "drawing/drawingreader.h"
#include "job/threadhop.h"
#include "job/ui/jobcontrolhost.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/machinehost.h"
#include "project/openfile.h"
#include "project/ui/mdichild.h"
#include "support/recordingmessageboxes.h"

#include <QFile>
#include <QMdiArea>
#include <QSignalSpy>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

// Job commands in a job file, one entry per command (lengths by letter).
std::vector<QByteArray> splitJob(const QByteArray &bytes, bool newProtocol)
{
    std::vector<QByteArray> commands;
    int i = 0;
    while (i < bytes.size()) {
        const std::optional<int> length = commandLength(static_cast<std::uint8_t>(bytes[i]), newProtocol);
        if (!length || i + *length > bytes.size())
            break;
        commands.push_back(bytes.mid(i, *length));
        i += *length;
    }
    return commands;
}

} // namespace

// Each sample is opened from the source tree's data/ folder, as an operator
// would open it from the samples shipped with the program.
class JobControlHostSample : public testing::TestWithParam<const char *>
{
};

TEST_P(JobControlHostSample, StartStreamsTheWrittenJobToTheControllerUntilThePanelSeesItEnd)
{
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    const ProgramFolders previous = ProgramFolders::current();
    ProgramFolders::setCurrent(ProgramFolders(dir.path(), dir.path()));
    const QString drawing = QStringLiteral(PRENTAVIK_SOURCE_DIR "/data/samples/") + QString::fromLatin1(GetParam());
    ASSERT_TRUE(QFile::exists(drawing)) << drawing.toStdString();

    Settings settings;
    settings.Mode = 0;
    settings.CzasRozgrzewania = 0;
    settings.Pauza_w_kacie = 0;
    settings.PowerOutput = 1; // no broken-wire test: the simulated wire is whole anyway
    Settings::setCurrent(settings);

    std::shared_ptr<SimulatedMachine> controller;
    auto factory = [&controller](MachineClock &clock) {
        auto backend = std::make_unique<SimulatedHidBackend>(clock);
        SimulatedMachineConfig config;
        controller = backend->plugMachine(config);
        return backend;
    };
    QMdiArea area;
    auto identity = std::make_shared<TMachineIdentity>();
    TMachineHost machine(factory, identity, [](const QString &) {});
    std::vector<QString> status;
    job::JobControlHost host(area, machine, {[&status](int, const QString &text) { status.push_back(text); }, {}});

    auto *window = new TMDIChild(TProjectWindowContext::program([](const QString &) {}));
    area.addSubWindow(window);
    window->show();
    area.setActiveSubWindow(window);
    // The opener picks the reader by the drawing's extension.
    window->document().ReaderKind = DrawingKindOf(drawing);
    ASSERT_TRUE(window->Load(drawing, 255).opened());
    QTRY_VERIFY_WITH_TIMEOUT(window->document().Planned, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(machine.connected(), 5000);

    ASSERT_GT(window->document().Figures.size(), 3u) << "every sample holds several figures";

    // The simulated controller stands at X 100, Y 100 mm, far enough from the
    // corners for every sample (the largest is 300 x 200 mm on 1200 x 800).
    MachineSession *session = machine.session();
    job::callOn(session, [&] {
        controller->setHomed(true);
        controller->setRawPosition(Axis::X1, 10000);
        controller->setRawPosition(Axis::Y1, 10000);
        controller->clearCommands();
    });

    QSignalSpy finished(session, &MachineSession::transmissionFinished);
    host.start();
    QTRY_VERIFY_WITH_TIMEOUT(!host.busy(), 20000);
    EXPECT_EQ(status, std::vector<QString>{"1"}) << "the pass counter";
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
    ASSERT_TRUE(finished.wait(20000));
    // The panel's poll notices the end of the job on the controller.
    QTRY_VERIFY_WITH_TIMEOUT(!job::callOn(session, [&] { return controller->flags() & StatusFlag::JobRunning; }),
                             10000);

    QFile job(dir.filePath("out.cn"));
    ASSERT_TRUE(job.open(QIODevice::ReadOnly));
    const QByteArray written = job.readAll();
    ASSERT_FALSE(written.isEmpty());
    const std::vector<QByteArray> expected = splitJob(written, false);
    const std::vector<QByteArray> received = job::callOn(session, [&] { return controller->commands(); });

    // Everything of the file reached the controller in order, after the start
    // commands ("Q", "C", the job origin), with "G" after the 17th command.
    std::vector<QByteArray> jobCommands;
    for (const QByteArray &c : received) {
        if (!c.isEmpty() && c[0] >= 'a' && c[0] <= 'z')
            jobCommands.push_back(c);
    }
    EXPECT_GT(expected.size(), 17u);
    EXPECT_EQ(jobCommands, expected);
    EXPECT_EQ(std::count(received.begin(), received.end(), QByteArray("G")), 1);
    EXPECT_EQ(job::callOn(session, [&] { return controller->jobBytes(); }), written);
    EXPECT_EQ(job::callOn(session, [&] { return controller->jobOriginX(); }), 10000);
    const auto origin = std::find(received.begin(), received.end(),
                                  QByteArray("U\x10\x27\x00\x00\x10\x27\x00\x00", 9));
    EXPECT_NE(origin, received.end()) << "the job origin before the job";
    EXPECT_NE(std::find(received.begin(), origin, QByteArray("Q")), origin);
    EXPECT_NE(std::find(received.begin(), origin, QByteArray("C")), origin);
    EXPECT_TRUE(boxes.shown.empty());

    ProgramFolders::setCurrent(previous);
}

INSTANTIATE_TEST_SUITE_P(Samples, JobControlHostSample,
                         testing::Values("sign.plt", "nested.plt", "flange.dxf", "nested.dxf", "badge.eps"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(MdiJobProjects, ActiveWindowFirstThenTheStackAndActivationBringsForward)
{
    QMdiArea area;
    area.resize(600, 400);
    area.show();
    std::vector<TMDIChild *> children;
    for (int pass = 0; pass < 3; ++pass) {
        auto *child = new TMDIChild(TProjectWindowContext::program([](const QString &) {}));
        child->document().PassNumber = pass;
        area.addSubWindow(child);
        child->show();
        area.setActiveSubWindow(child);
        children.push_back(child);
    }
    job::MdiJobProjects projects(area, nullptr, nullptr);
    auto passes = [&projects] {
        std::vector<int> numbers;
        for (job::JobProject *p : projects.windows())
            numbers.push_back(p->passNumber());
        return numbers;
    };
    EXPECT_EQ(passes(), (std::vector<int>{2, 1, 0})) << "the last opened window is on top";
    ASSERT_NE(projects.active(), nullptr);
    EXPECT_EQ(projects.active()->passNumber(), 2);

    projects.activate(projects.windows()[2]);
    EXPECT_EQ(area.currentSubWindow(), children[0]);
    EXPECT_EQ(passes(), (std::vector<int>{0, 2, 1}));

    // A closed window drops out of the list.
    delete children[1];
    EXPECT_EQ(passes(), (std::vector<int>{0, 2}));
}

// The start waits on the machine (here the broken-wire test's heating pause
// and the question after it); the GUI thread must keep running its events
// meanwhile under a modal dialog, and the question asked from the start must
// not dead-lock against it.
TEST(JobControlHostStart, KeepsTheGuiRunningWhileTheMachineIsWaitedForAndAsksMidStart)
{
    RecordingMessageBoxes boxes;
    boxes.answer = DlgButton::Cancel;
    QTemporaryDir dir;
    const ProgramFolders previous = ProgramFolders::current();
    ProgramFolders::setCurrent(ProgramFolders(dir.path(), dir.path()));

    Settings settings;
    settings.Mode = 0;
    settings.CzasRozgrzewania = 0;
    settings.Pauza_w_kacie = 0;
    settings.PowerOutput = 0; // the broken-wire test runs
    Settings::setCurrent(settings);

    std::shared_ptr<SimulatedMachine> controller;
    auto factory = [&controller](MachineClock &clock) {
        auto backend = std::make_unique<SimulatedHidBackend>(clock);
        controller = backend->plugMachine(SimulatedMachineConfig{});
        return backend;
    };
    QMdiArea area;
    auto identity = std::make_shared<TMachineIdentity>();
    TMachineHost machine(factory, identity, [](const QString &) {});
    job::JobControlHost host(area, machine, {});

    auto *window = new TMDIChild(TProjectWindowContext::program([](const QString &) {}));
    area.addSubWindow(window);
    window->show();
    area.setActiveSubWindow(window);
    window->document().ReaderKind = static_cast<std::int32_t>(TDrawingKind::Hpgl);
    ASSERT_TRUE(window->Load(QStringLiteral(PRENTAVIK_SOURCE_DIR "/data/samples/sign.plt"), 255).opened());
    QTRY_VERIFY_WITH_TIMEOUT(window->document().Planned, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(machine.connected(), 5000);
    MachineSession *session = machine.session();
    job::callOn(session, [&] {
        controller->setHomed(true);
        controller->setRawPosition(Axis::X1, 10000);
        controller->setRawPosition(Axis::Y1, 10000);
        controller->setBrokenWire(true);
        controller->clearCommands();
    });

    int ticks = 0;
    int ticksWhenIdle = -1;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    QObject::connect(&host, &job::JobControlHost::idle, [&] { ticksWhenIdle = ticks; });
    timer.start(5);

    host.start();
    EXPECT_TRUE(host.busy()) << "Start returned before the machine was waited for";
    EXPECT_NE(QApplication::activeModalWidget(), nullptr) << "the starting dialog blocks input";
    QTRY_VERIFY_WITH_TIMEOUT(!host.busy(), 10000);
    // The heating pause alone is 300 ms.
    EXPECT_GE(ticksWhenIdle, 5);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(boxes.questions.size(), 1u) << "the broken-wire question, answered Cancel";
    EXPECT_FALSE(job::callOn(session, [&] { return machine.running(); }));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.cn"))) << "a cancelled start writes no job";

    // A second start after the first has ended runs again (nothing stays queued).
    boxes.questions.clear();
    host.start();
    QTRY_VERIFY_WITH_TIMEOUT(!host.busy(), 10000);
    EXPECT_EQ(boxes.questions.size(), 1u);

    ProgramFolders::setCurrent(previous);
}
