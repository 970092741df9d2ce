#include "job/sessionadapters.h"
#include "job/threadhop.h"
#include "machine/machinesession.h"
#include "machine/simulatedmachine.h"
#include "recordingrig.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace jobtest;

namespace {

// A channel of the simulated controller that notes the thread of every
// report written and every reply read.
class ThreadNotingChannel : public HidChannel
{
public:
    ThreadNotingChannel(std::unique_ptr<HidChannel> inner, std::vector<QThread *> &threads)
        : m_inner(std::move(inner))
        , m_threads(threads)
    { }
    int writeReport(const HidReport &report) override
    {
        m_threads.push_back(QThread::currentThread());
        return m_inner->writeReport(report);
    }
    int readIndexedString(int index, HidReply &reply, int &length) override
    {
        m_threads.push_back(QThread::currentThread());
        return m_inner->readIndexedString(index, reply, length);
    }

private:
    std::unique_ptr<HidChannel> m_inner;
    std::vector<QThread *> &m_threads;
};

class ThreadNotingBackend : public HidBackend
{
public:
    explicit ThreadNotingBackend(MachineClock &clock)
        : m_bus(clock)
    {
        machine = m_bus.plugMachine();
    }
    std::vector<HidDeviceInfo> enumerate() override { return m_bus.enumerate(); }
    std::unique_ptr<HidChannel> open(const HidDeviceInfo &device, int &error) override
    {
        std::unique_ptr<HidChannel> channel = m_bus.open(device, error);
        if (!channel)
            return channel;
        return std::make_unique<ThreadNotingChannel>(std::move(channel), threads);
    }
    void setChangeHandler(std::function<void()> handler) override
    {
        m_bus.setChangeHandler(std::move(handler));
    }

    std::shared_ptr<SimulatedMachine> machine;
    std::vector<QThread *> threads;

private:
    SimulatedHidBackend m_bus;
};

// The program's machine side: a machine session on a thread of its own over
// a simulated controller, reached by job control through the session
// adapters, as the running program reaches it.
struct SessionThread
{
    SessionThread()
    {
        Settings settings;
        settings.Pauza_w_kacie = 0;
        settings.CzasRozgrzewania = 0;
        session = new MachineSession(
            [this](MachineClock &clock) {
                auto b = std::make_unique<ThreadNotingBackend>(clock);
                backend = b.get();
                return b;
            },
            std::make_unique<VirtualMachineClock>(), CommandLine(), settings);
        session->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(session, &MachineSession::open, Qt::BlockingQueuedConnection);
        onMachineThread([this] {
            backend->machine->clearCommands();
            backend->threads.clear();
        });
    }
    ~SessionThread()
    {
        QMetaObject::invokeMethod(
            session, [this] { delete session; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    template<typename F> void onMachineThread(F f)
    {
        QMetaObject::invokeMethod(session, std::move(f), Qt::BlockingQueuedConnection);
    }
    std::vector<QByteArray> commands()
    {
        std::vector<QByteArray> c;
        onMachineThread([this, &c] { c = backend->machine->commands(); });
        return c;
    }

    QThread thread;
    MachineSession *session = nullptr;
    ThreadNotingBackend *backend = nullptr;
};

} // namespace

TEST(ThreadHop, AStartRunsEveryMachineCallOnTheMachineThreadInOrder)
{
    SessionThread machineThread;
    Rig rig;
    job::SessionJobMachine machine(*machineThread.session);
    job::SessionJobPanel panel(*machineThread.session);
    rig.projects.add("A");
    job::JobSettings settings;
    settings.powerOutput = 1;
    job::JobControl control(job::JobEnvironment {machine, panel, rig.transmitter, rig.projects, rig.prompts,
                                                 rig.dialogs, [settings] { return settings; }, false,
                                                 rig.jobFile()});

    EXPECT_TRUE(control.start(job::StartSender::Menu));
    std::vector<QByteArray> sent = machineThread.commands();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].left(2), QByteArray("V\0", 2)) << "the travel speed first";
    EXPECT_EQ(sent[1], "Q");
    EXPECT_EQ(sent[2], "C");
    EXPECT_EQ(sent[3].front(), 'U') << "the job origin last";
    EXPECT_EQ(rig.trace, (Trace {"write A flat type=32 turns=0.0000 dir=1 frame", "transmitter.start"}));
    ASSERT_FALSE(machineThread.backend->threads.empty());
    for (QThread *thread : machineThread.backend->threads)
        EXPECT_EQ(thread, &machineThread.thread);
}

TEST(ThreadHop, CallsOnTheSameThreadRunDirectly)
{
    QObject here;
    EXPECT_EQ(job::callOn(&here, [] { return QThread::currentThread(); }), QThread::currentThread());
    EXPECT_EQ(job::callOn(nullptr, [] { return 7; }), 7);
}

namespace {

// Records on which thread each question is asked.
class ThreadCheckingPrompts : public job::JobPrompts
{
public:
    ThreadCheckingPrompts(job::JobPrompts &inner, std::function<void()> asked)
        : m_inner(inner)
        , m_asked(std::move(asked))
    { }
    void show(const job::JobMessage &message) override { m_inner.show(message); }
    job::BrokenWireAnswer askBrokenWire() override
    {
        threads.push_back(QThread::currentThread());
        m_asked();
        return m_inner.askBrokenWire();
    }
    void setBusy(bool busy) override { m_inner.setBusy(busy); }
    void showPassCounter(int count) override { m_inner.showPassCounter(count); }
    std::vector<QThread *> threads;

private:
    job::JobPrompts &m_inner;
    std::function<void()> m_asked;
};

// The controller reports a broken wire until the second question is
// answered (with Retry), as a wire mended meanwhile would.
void breakTheWire(SessionThread &machine)
{
    machine.onMachineThread([&machine] { machine.backend->machine->setBrokenWire(true); });
}

} // namespace

// The program runs a start on a worker thread so the window never freezes:
// the machine calls go to the machine thread, the questions and the windows
// to the GUI thread, and the controller gets exactly what a start run on the
// machine's own thread gives it. The question asked mid-start must not
// dead-lock.
TEST(ThreadHop, AStartOnAWorkerThreadAsksOnTheGuiThreadAndKeepsTheTrace)
{
    SessionThread directMachine;
    Rig direct;
    direct.projects.add("A");
    direct.prompts.answers = {job::BrokenWireAnswer::Ok, job::BrokenWireAnswer::Retry};
    breakTheWire(directMachine);
    job::SessionJobMachine directAccess(*directMachine.session);
    job::SessionJobPanel directPanel(*directMachine.session);
    int directAsked = 0;
    ThreadCheckingPrompts directPrompts(direct.prompts, [&] {
        // On the machine's thread here: mend the wire there directly.
        if (++directAsked == 2)
            directMachine.backend->machine->setBrokenWire(false);
    });
    job::JobControl directControl(
        job::JobEnvironment {directAccess, directPanel, direct.transmitter, direct.projects, directPrompts,
                             direct.dialogs, [&direct] { return direct.settings; }, false, direct.jobFile()});
    bool directStarted = false;
    directMachine.onMachineThread([&] { directStarted = directControl.start(job::StartSender::Menu); });
    ASSERT_TRUE(directStarted);

    SessionThread machineThread;
    Rig rig;
    rig.projects.add("A");
    rig.prompts.answers = {job::BrokenWireAnswer::Ok, job::BrokenWireAnswer::Retry};
    breakTheWire(machineThread);
    QObject guiObject;
    job::GuiGate gui(&guiObject);
    job::SessionJobMachine machine(*machineThread.session);
    job::SessionJobPanel panel(*machineThread.session);
    job::HoppingJobProjects projects(rig.projects, gui);
    int asked = 0;
    ThreadCheckingPrompts checking(rig.prompts, [&] {
        if (++asked == 2)
            machineThread.onMachineThread(
                [&machineThread] { machineThread.backend->machine->setBrokenWire(false); });
    });
    job::HoppingJobPrompts prompts(checking, gui);
    job::JobControl control(job::JobEnvironment {machine, panel, rig.transmitter, projects, prompts,
                                                 rig.dialogs, [&rig] { return rig.settings; }, false,
                                                 rig.jobFile()});

    QEventLoop loop;
    bool started = false;
    std::thread worker([&] {
        started = control.start(job::StartSender::Menu);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    EXPECT_TRUE(started);
    EXPECT_EQ(machineThread.commands(), directMachine.commands());
    EXPECT_EQ(rig.trace, direct.trace);
    EXPECT_EQ(rig.jobFileBytes(), direct.jobFileBytes());
    ASSERT_EQ(checking.threads.size(), 2u);
    for (QThread *thread : checking.threads)
        EXPECT_EQ(thread, QThread::currentThread());
    for (QThread *thread : machineThread.backend->threads)
        EXPECT_EQ(thread, &machineThread.thread);
    EXPECT_TRUE(rig.transmitter.running);

    // The windows keep their wrappers, and activating one reaches the window.
    const std::vector<job::JobProject *> windows = projects.windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(projects.active(), windows.front());
    EXPECT_EQ(projects.windows(), windows);
}

// The host closes its gate when it goes away during a start: a worker that
// waits on the GUI thread then must not keep the GUI thread's join waiting
// (it did dead-lock when the main window closed during a Pause).
TEST(ThreadHop, AClosedGuiGateReleasesAWaitingWorkerAndCarriesNothingMore)
{
    auto guiObject = std::make_unique<QObject>();
    job::GuiGate gate(guiObject.get());
    std::atomic<int> ran{0};
    int first = -1;
    std::thread worker([&] { first = gate.call([&ran] { return ++ran; }); });
    // This thread serves no events: the call stays queued until the gate closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate.close();
    worker.join();
    guiObject.reset(); // the owner's object goes with it, and the queued call too
    EXPECT_EQ(first, 0);

    int second = -1;
    std::thread late([&] { second = gate.call([&ran] { return ++ran; }); });
    late.join();
    EXPECT_EQ(second, 0);
    EXPECT_EQ(ran.load(), 0);
}
