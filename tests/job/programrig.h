#pragma once

// The running program's classes around a start, on the simulated controller:
// the settings and command line it runs with, the machine session on its own
// thread, job control and the project windows over one MDI area, and a
// temporary program folder that receives "out.cn".

#include "app/callon.h"
#include "app/commandline.h"
#include "app/programfolders.h"
#include "app/settings.h"
#include "drawing/drawingreader.h"
#include "job/recordingrig.h"
#include "job/ui/jobcontrolhost.h"
#include "machine/simulatedmachine.h"
#include "machine/ui/machinehost.h"
#include "project/openfile.h"
#include "project/ui/mdichild.h"
#include "project/ui/projectwindowhost.h"
#include "support/fastclock.h"
#include "support/recordingmessageboxes.h"
#include "support/testfiles.h"

#include <QMdiArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <vector>

// Commands of the job file are lower-case letters; the live commands upper-case.
inline bool IsJobCommand(const QByteArray &command)
{
    return !command.isEmpty() && command[0] >= 'a' && command[0] <= 'z';
}

// A start without waiting: no warm-up, no corner pauses, and no broken-wire
// test (the simulated wire is whole anyway).
inline Settings QuickStart(int mode)
{
    Settings settings;
    settings.Mode = mode;
    settings.CzasRozgrzewania = 0;
    settings.Pauza_w_kacie = 0;
    settings.PowerOutput = 1;
    return settings;
}

class ProgramRig
{
public:
    // Whether the machine's time runs at the wall clock's pace.
    enum class Time { Fast, WallClock };

    explicit ProgramRig(const Settings &settings, const QStringList &commandLine = {}, Time time = Time::Fast,
                        const SimulatedMachineConfig &config = {})
        : m_folders(ProgramFolders::current())
        , m_commandLine(CommandLine::current())
        , m_settings(Settings::current())
    {
        ProgramFolders::setCurrent(ProgramFolders(dir.path(), dir.path()));
        CommandLine::setCurrent(CommandLine(commandLine));
        Settings::setCurrent(settings);
        auto factory = [this, config](MachineClock &clock) {
            auto backend = std::make_unique<SimulatedHidBackend>(clock);
            controller = backend->plugMachine(FastClockMachine(config));
            return backend;
        };
        machine = std::make_unique<TMachineHost>(
            factory, std::make_shared<TMachineIdentity>(),
            [this](const QString &text) { mainStatus << text; }, nullptr,
            time == Time::Fast ? std::unique_ptr<MachineClock>(std::make_unique<FastClock>()) : nullptr);
        machine->setProgressHandler([this](int percent) { progress.push_back(percent); });
        host = std::make_unique<job::JobControlHost>(
            area, *machine,
            job::JobControlHooks {[this](int panel, const QString &text) {
                                      if (panel == 0)
                                          mainStatus << text;
                                      else
                                          status.push_back(text);
                                  },
                                  {}});
        windows = std::make_unique<TProjectWindowHost>(
            &area, TProjectWindowContext::program([](const QString &) {}), TProjectWindowHost::Hooks {});
    }
    ~ProgramRig()
    {
        windows.reset();
        host.reset();
        machine.reset();
        Settings::setCurrent(m_settings);
        CommandLine::setCurrent(m_commandLine);
        ProgramFolders::setCurrent(m_folders);
    }
    ProgramRig(const ProgramRig &) = delete;
    ProgramRig &operator=(const ProgramRig &) = delete;

    static QString sample(const QString &name)
    {
        return QStringLiteral(PRENTAVIK_SOURCE_DIR "/data/samples/") + name;
    }

    // Opens a sample in a new project window, as the opener does (the reader
    // by the extension), and waits for its plan.
    TMDIChild *open(const QString &name, int passNumber = 0)
    {
        const QString drawing = sample(name);
        EXPECT_TRUE(QFile::exists(drawing)) << drawing.toStdString();
        auto *window = new TMDIChild(TProjectWindowContext::program([](const QString &) {}));
        area.addSubWindow(window);
        window->show();
        area.setActiveSubWindow(window);
        window->document().ReaderKind = DrawingKindOf(drawing);
        window->document().PassNumber = passNumber;
        EXPECT_TRUE(window->Load(drawing, 255).opened());
        EXPECT_TRUE(QTest::qWaitFor([window] { return window->document().Planned; }, 5000)) << "not planned";
        return window;
    }

    // Connected, with the sample opened by the open command of the mode into
    // `count` planned windows.
    bool openPlanned(const QString &name, std::size_t count)
    {
        if (!QTest::qWaitFor([this] { return machine->connected(); }, 5000))
            return false;
        TDrawingOpener(*windows).OpenFile(QString(), sample(name), false);
        return QTest::qWaitFor(
            [&] {
                const std::vector<TMDIChild *> open = windows->windows();
                return open.size() == count
                    && std::all_of(open.begin(), open.end(), [](TMDIChild *w) { return w->planned(); });
            },
            10000);
    }

    MachineSession *session() const { return machine->session(); }
    template<typename F> auto onMachine(F f) const { return callOn(session(), f); }

    // A connected, homed controller with wire end 1 at (x1, y1) and end 2 at
    // (x2, y2), in 0.01 mm, that has received nothing yet.
    void placeWire(std::int32_t x1, std::int32_t y1) { placeWires(x1, y1, std::nullopt); }
    void placeWires(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
    {
        placeWires(x1, y1, std::pair(x2, y2));
    }

    // Start, as the menu does; true once the start has ended and the job has
    // gone out.
    bool startAndStream()
    {
        QSignalSpy finished(session(), &MachineSession::transmissionFinished);
        host->start();
        return QTest::qWaitFor([this] { return !host->busy(); }, 20000)
            && QTest::qWaitFor([&finished] { return !finished.isEmpty(); }, 30000);
    }

    // Start with no question or message; then waits until the controller has
    // run the whole job and the panel's poll has seen it end.
    void startAndRunToTheEnd()
    {
        QSignalSpy finished(session(), &MachineSession::transmissionFinished);
        host->start();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !host->busy(); }, 20000));
        EXPECT_EQ(status, std::vector<QString> {"1"}) << "the pass counter";
        ASSERT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
        // A short job may have gone out before the start returned.
        ASSERT_TRUE(QTest::qWaitFor([&finished] { return finished.count() > 0; }, 20000));
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !onMachine([this] { return controller->flags() & StatusFlag::JobRunning; }); },
            10000));
    }

    QByteArray written() const { return ReadAll(dir.filePath(QStringLiteral("out.cn"))); }
    std::vector<QByteArray> received() const
    {
        return onMachine([this] { return controller->commands(); });
    }
    std::int32_t position(int axis) const
    {
        return onMachine([this, axis] { return controller->rawPosition(axis); });
    }

    // Every command of the file reached the controller in order, "G" once,
    // and the controller holds the job's bytes.
    void expectTheWholeJobReceived() const
    {
        const QByteArray job = written();
        ASSERT_FALSE(job.isEmpty());
        const std::vector<QByteArray> expected = jobtest::splitJobCommands(job);
        const std::vector<QByteArray> all = received();
        std::vector<QByteArray> jobCommands;
        std::copy_if(all.begin(), all.end(), std::back_inserter(jobCommands), IsJobCommand);
        EXPECT_GT(expected.size(), 17u);
        EXPECT_EQ(jobCommands, expected);
        EXPECT_EQ(std::count(all.begin(), all.end(), QByteArray("G")), 1);
        EXPECT_EQ(onMachine([this] { return controller->jobBytes(); }), job);
    }

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    QMdiArea area;
    std::shared_ptr<SimulatedMachine> controller;
    std::unique_ptr<TMachineHost> machine;
    std::unique_ptr<job::JobControlHost> host;
    std::unique_ptr<TProjectWindowHost> windows;
    // The pass counter (status panel 1), and what status panel 0 and its
    // progress bar showed, in turn.
    std::vector<QString> status;
    QStringList mainStatus;
    std::vector<int> progress;

private:
    void placeWires(std::int32_t x1, std::int32_t y1,
                    std::optional<std::pair<std::int32_t, std::int32_t>> end2)
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return machine->connected(); }, 5000));
        onMachine([&] {
            controller->setHomed(true);
            controller->setRawPosition(Axis::X1, x1);
            controller->setRawPosition(Axis::Y1, y1);
            if (end2) {
                controller->setRawPosition(Axis::X2, end2->first);
                controller->setRawPosition(Axis::Y2, end2->second);
            }
            controller->clearCommands();
        });
    }

    ProgramFolders m_folders;
    CommandLine m_commandLine;
    Settings m_settings;
};
