// The whole road in the program's own classes: a sample drawing of data/
// (HPGL and DXF) is loaded and planned in a project window, Start writes "out.cn" through the job driver,
// the machine session on its own thread moves the wire and streams the job
// to the simulated controller, and the panel's poll sees the job end.

#include "drawing/jobdecoder.h"
#include "job/programrig.h"
#include "support/scopedlanguage.h"
#include "support/textfit.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cmath>
#include <ostream>
#include <string>

// Each sample is opened from the source tree's data/ folder, as an operator
// would open it from the samples shipped with the program.
class JobControlHostSample : public testing::TestWithParam<const char *>
{
};

TEST_P(JobControlHostSample, StartStreamsTheWrittenJobToTheControllerUntilThePanelSeesItEnd)
{
    ProgramRig run(QuickStart(0));
    TMDIChild *window = run.open(QString::fromLatin1(GetParam()));
    ASSERT_GT(window->document().Figures.size(), 3u) << "every sample holds several figures";

    // The simulated controller stands at X 100, Y 100 mm, far enough from the
    // corners for every sample (the largest is 300 x 200 mm on 1200 x 800).
    run.placeWire(10000, 10000);
    run.startAndRunToTheEnd();
    run.expectTheWholeJobReceived();

    // The start commands ("Q", "C", the job origin) come before the job.
    const std::vector<QByteArray> received = run.received();
    EXPECT_EQ(run.onMachine([&] { return run.controller->jobOriginX(); }), 10000);
    const auto origin
        = std::find(received.begin(), received.end(), QByteArray("U\x10\x27\x00\x00\x10\x27\x00\x00", 9));
    EXPECT_NE(origin, received.end()) << "the job origin before the job";
    EXPECT_NE(std::find(received.begin(), origin, QByteArray("Q")), origin);
    EXPECT_NE(std::find(received.begin(), origin, QByteArray("C")), origin);
    EXPECT_TRUE(run.boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Samples, JobControlHostSample,
                         testing::Values("sign.plt", "nested.plt", "flange.dxf", "nested.dxf", "badge.eps"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

namespace {

// A start on a machine that turns the material.
struct RotarySample
{
    const char *name;
    int mode;
    int mounting; // StolikSwitch
    const char *machineName;
    std::vector<const char *> files; // one per pass, numbered from 1
    double approachX; // mm, where the wire waits before the job
    double approachY;
    int turnedAxis; // the controller's axis the job turns
};

void PrintTo(const RotarySample &sample, std::ostream *os)
{
    *os << sample.name;
}

} // namespace

class JobControlHostRotarySample : public testing::TestWithParam<RotarySample>
{
};

TEST_P(JobControlHostRotarySample, PlannedDrawingCutsOnTheRotaryMachineFromTheApproachPoint)
{
    const RotarySample &c = GetParam();
    Settings settings = QuickStart(c.mode);
    settings.StolikSwitch = c.mounting;
    settings.Ywrzeciona = 400;
    settings.Srednicamaterialu = 200;
    settings.il_obr_rys = 2;
    settings.ilosckrokow = 3;
    // The lamp base stands 810 mm above the table's axis line: taller than
    // the simulated machine's own 800 mm of travel.
    SimulatedMachineConfig tall;
    tall.limitY = 1200;
    ProgramRig run(settings, {QStringLiteral("MachineName'%1'").arg(QLatin1String(c.machineName))},
                   ProgramRig::Time::Fast, tall);
    int pass = 1;
    for (const char *file : c.files) {
        TMDIChild *window = run.open(QString::fromLatin1(file), pass++);
        ASSERT_EQ(window->document().Figures.size(), 2u) << "the axis and one profile";
        EXPECT_FALSE(window->document().Figures[static_cast<std::size_t>(window->document().AxisFigure)].cut);
    }
    // The wire waits at the spindle's height, as the rotary start asks.
    run.placeWire(10000, 40000);
    run.startAndRunToTheEnd();
    run.expectTheWholeJobReceived();

    const std::vector<QByteArray> received = run.received();
    const auto firstJob = std::find_if(received.begin(), received.end(), IsJobCommand);
    const auto letter = [](char l) { return [l](const QByteArray &cmd) { return cmd[0] == l; }; };
    EXPECT_EQ(std::count_if(received.begin(), received.end(), letter('U')), 0)
        << "no job origin when the material turns";
    const auto approach = std::find_if(received.begin(), firstJob, letter('A'));
    EXPECT_NE(approach, firstJob) << "the wire is driven to the approach point";
    if (c.mode == 1) {
        EXPECT_LT(std::find(received.begin(), firstJob, QByteArray("F\x00", 2)), approach)
            << "travel speed first";
    }
    if (c.mode == 2) {
        EXPECT_FALSE(QFile::exists(run.dir.filePath("out.cntmp"))) << "the joined passes became the job";
    }

    // The job's moves are relative: the wire entered the job at the approach
    // point when it ends where the job's moves take it from there, and the
    // material turned by all the job's turns.
    const QByteArray written = run.written();
    const DecodedJob job
        = DecodeJob(std::string_view(written.constData(), static_cast<std::size_t>(written.size())));
    ASSERT_TRUE(job.ok) << job.error;
    EXPECT_EQ(std::count_if(job.lines.begin(), job.lines.end(),
                            [](const std::string &line) { return line.rfind("v 0 ", 0) == 0; }),
              static_cast<std::ptrdiff_t>(c.files.size()))
        << "one job opening per pass";
    EXPECT_EQ(run.position(Axis::X1) - job.totals[0], std::llround(c.approachX * 100));
    EXPECT_EQ(run.position(Axis::Y1) - job.totals[2], std::llround(c.approachY * 100));
    const std::int64_t turns = c.turnedAxis == Axis::W ? job.totals[5] : job.totals[4];
    EXPECT_NE(turns, 0);
    EXPECT_EQ(job.totals[c.turnedAxis == Axis::W ? 4 : 5], 0) << "one rotary axis turns";
    EXPECT_EQ(run.position(c.turnedAxis), turns);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, JobControlHostRotarySample,
    testing::Values(RotarySample {"rotarySpindle", 1, 0, "R 45", {"column.plt"}, 12, 500, Axis::W},
                    RotarySample {"rotaryTable", 1, 1, "GZ 120", {"lampbase.plt"}, 900, 250, Axis::S},
                    RotarySample {"turningSpindle", 3, 0, "R 45", {"vase.dxf"}, 27, 500, Axis::W},
                    RotarySample {"turningTable", 3, 1, "GZ 120", {"lampbase.plt"}, 900, 260, Axis::S},
                    RotarySample {"serialSpindle",
                                  2,
                                  0,
                                  "R 45",
                                  {"baluster/1_baluster.plt", "baluster/2_baluster.plt"},
                                  12,
                                  500,
                                  Axis::W}),
    [](const testing::TestParamInfo<RotarySample> &info) { return std::string(info.param.name); });

// Regression: a paused job kept "Sent 9%" in the status bar, so it looked
// like a running one, and Continue and the drive away said they were
// starting the job.
TEST(JobControlHostStatus, PausedJobSaysSoUntilContinueAndEachActionShowsItsOwnText)
{
    ScopedLanguage language(ShippedLanguage());
    SimulatedMachineConfig shortQueue;
    shortQueue.queueCapacity = 120; // the job goes out as the machine cuts it
    shortQueue.fullMargin = 60;
    ProgramRig run(QuickStart(0), {}, ProgramRig::Time::Fast, shortQueue);
    run.open(QStringLiteral("nested.plt"));
    run.placeWire(10000, 10000);
    const QString sent = GetText(QStringLiteral("Transmission"), QStringLiteral("przeslano"));
    const QString paused = GetText(QStringLiteral("Transmission"), QStringLiteral("wstrzymano"));
    auto busyText = [] {
        const QWidget *dialog = QApplication::activeModalWidget();
        const QLabel *label = dialog ? dialog->findChild<QLabel *>(QStringLiteral("busyText")) : nullptr;
        return label ? label->text() : QString();
    };
    auto shows = [&run](const QString &start) { return run.mainStatus.last().startsWith(start); };

    run.host->start();
    EXPECT_EQ(busyText(), GetText(QStringLiteral("Main_window"), QStringLiteral("startTrwa")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.host->busy() && shows(sent); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.progress.empty() && run.progress.back() >= 0; }, 5000))
        << "the bar appears while the job goes out";

    run.host->pause();
    EXPECT_EQ(busyText(), GetText(QStringLiteral("Main_window"), QStringLiteral("wstrzymywanieTrwa")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.host->busy(); }, 10000));
    EXPECT_TRUE(shows(paused)) << run.mainStatus.last().toStdString();
    QTest::qWait(200); // transmission ticks go on meanwhile
    EXPECT_TRUE(shows(paused)) << run.mainStatus.last().toStdString();
    EXPECT_GE(run.progress.back(), 0);

    run.host->continueJob();
    EXPECT_EQ(busyText(), GetText(QStringLiteral("Main_window"), QStringLiteral("kontynuacjaTrwa")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.host->busy() && shows(sent); }, 10000))
        << run.mainStatus.last().toStdString();

    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.machine->running(); }, 20000));
    EXPECT_EQ(run.progress.back(), -1) << "the bar goes with the job";
    EXPECT_TRUE(shows(GetText(QStringLiteral("Transmission"), QStringLiteral("koniecTransmisji"))));

    run.host->driveAwayRight();
    EXPECT_EQ(busyText(), GetText(QStringLiteral("Main_window"), QStringLiteral("odjazdTrwa")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.host->busy(); }, 20000));
}

// Regression: a start while a job stood paused left that job queued and
// paused on the controller, so the new job never went out ("Job paused -
// Sent 0%"), and Continue ran the rest of the old job before it.
TEST(JobControlHostStart, StartWhileAJobIsPausedRunsOnlyTheNewJob)
{
    SimulatedMachineConfig shortQueue;
    // Part of the first job is still queued at the pause; a tick's batch of
    // 100 commands still fits once the queue says it is not full.
    shortQueue.queueCapacity = 160;
    shortQueue.fullMargin = 110;
    // The first job cuts slowly enough that it is still running when the
    // pause comes, however late a loaded machine lets it come.
    Settings slow = QuickStart(0);
    slow.szybkoscObrobki = 20;
    ProgramRig run(slow, {}, ProgramRig::Time::Fast, shortQueue);
    run.open(QStringLiteral("sign.plt"));
    run.placeWire(10000, 10000);
    run.host->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.host->busy() && !run.progress.empty(); }, 10000));
    run.host->pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.host->busy(); }, 10000));
    ASSERT_GT(run.onMachine([&] { return run.controller->queued(); }), 0);

    Settings::setCurrent(QuickStart(0));
    run.open(QStringLiteral("badge.eps"));
    run.onMachine([&] { run.controller->clearCommands(); });
    run.host->start();
    // The new job goes out whole and runs to its end; nothing stays queued or paused.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !run.host->busy() && !run.machine->running() && run.onMachine([&] {
                return run.controller->queued() == 0
                    && !(run.controller->flags() & (StatusFlag::JobRunning | StatusFlag::JobPaused));
            });
        },
        20000));
    const QByteArray written = run.written();
    EXPECT_TRUE(run.onMachine([&] { return run.controller->jobBytes(); }).endsWith(written));
    // Its moves are relative: the wire ends where they take it from the new
    // job's origin (where the first job was paused), not from the first job's end.
    const DecodedJob job
        = DecodeJob(std::string_view(written.constData(), static_cast<std::size_t>(written.size())));
    EXPECT_EQ(run.position(Axis::X1) - job.totals[0],
              run.onMachine([&] { return run.controller->jobOriginX(); }));
    EXPECT_EQ(run.position(Axis::Y1) - job.totals[2],
              run.onMachine([&] { return run.controller->jobOriginY(); }));
    EXPECT_TRUE(run.boxes.shown.empty());
}

TEST(JobBusyDialog, EveryTextShowsWholeInEnglishAndPolish)
{
    for (const char *code : {"US", "PL"}) {
        ScopedLanguage language(ShippedLanguage(QString::fromLatin1(code)));
        for (const char *key : {"startTrwa", "wstrzymywanieTrwa", "kontynuacjaTrwa", "odjazdTrwa"}) {
            SCOPED_TRACE(std::string(code) + " " + key);
            job::JobBusyDialog dialog(nullptr,
                                      GetText(QStringLiteral("Main_window"), QString::fromLatin1(key)));
            dialog.show();
            const QStringList clipped = ClippedTexts(dialog);
            EXPECT_TRUE(clipped.isEmpty()) << Listed(clipped);
        }
    }
}

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
    EXPECT_EQ(passes(), (std::vector<int> {2, 1, 0})) << "the last opened window is on top";
    ASSERT_NE(projects.active(), nullptr);
    EXPECT_EQ(projects.active()->passNumber(), 2);
    // A pass made from a 3D model holds no drawing: its caption names it.
    children[0]->setWindowTitle(QStringLiteral("pawn [10.00 st]"));
    EXPECT_EQ(projects.windows()[2]->caption(), "pawn [10.00 st]");

    projects.activate(projects.windows()[2]);
    EXPECT_EQ(area.currentSubWindow(), children[0]);
    EXPECT_EQ(passes(), (std::vector<int> {0, 2, 1}));

    // A closed window drops out of the list.
    delete children[1];
    EXPECT_EQ(passes(), (std::vector<int> {0, 2}));
}

// The start waits on the machine (here the broken-wire test's heating pause
// and the question after it); the GUI thread must keep running its events
// meanwhile under a modal dialog, and the question asked from the start must
// not dead-lock against it.
TEST(JobControlHostStart, KeepsTheGuiRunningWhileTheMachineIsWaitedForAndAsksMidStart)
{
    Settings settings = QuickStart(0);
    settings.PowerOutput = 0; // the broken-wire test runs
    ProgramRig run(settings, {}, ProgramRig::Time::WallClock);
    run.boxes.answer = DlgButton::Cancel;
    run.open(QStringLiteral("sign.plt"));
    run.placeWire(10000, 10000);
    run.onMachine([&] { run.controller->setBrokenWire(true); });
    job::JobControlHost &host = *run.host;

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
    ASSERT_EQ(run.boxes.questions.size(), 1u) << "the broken-wire question, answered Cancel";
    EXPECT_FALSE(run.machine->running());
    EXPECT_FALSE(QFile::exists(run.dir.filePath("out.cn"))) << "a cancelled start writes no job";

    // A second start after the first has ended runs again (nothing stays queued).
    run.boxes.questions.clear();
    host.start();
    QTRY_VERIFY_WITH_TIMEOUT(!host.busy(), 10000);
    EXPECT_EQ(run.boxes.questions.size(), 1u);
}
