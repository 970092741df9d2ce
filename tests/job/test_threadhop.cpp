#include "recordingrig.h"

#include "job/threadhop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace jobtest;

namespace {

// Records on which thread each machine call ran.
class ThreadCheckingMachine : public FakeMachine
{
public:
    explicit ThreadCheckingMachine(Trace &trace) : FakeMachine(trace) {}
    void readStatus() override
    {
        threads.push_back(QThread::currentThread());
        FakeMachine::readStatus();
    }
    bool sendCommand(const QByteArray &command) override
    {
        threads.push_back(QThread::currentThread());
        return FakeMachine::sendCommand(command);
    }
    std::vector<QThread *> threads;
};

// A thread with an object living on it, as the machine session is.
struct MachineThread
{
    MachineThread()
    {
        thread.start();
        object->moveToThread(&thread);
    }
    ~MachineThread()
    {
        QMetaObject::invokeMethod(object.get(), [this] { object->moveToThread(QCoreApplication::instance()->thread()); },
                                  Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    QThread thread;
    std::unique_ptr<QObject> object = std::make_unique<QObject>();
};

} // namespace

TEST(ThreadHop, AStartRunsEveryMachineCallOnTheMachineThreadInOrder)
{
    MachineThread machineThread;
    Rig rig;
    ThreadCheckingMachine inner(rig.trace);
    inner.state = rig.machine.state;
    job::HoppingJobMachine machine(inner, machineThread.object.get());
    job::HoppingJobPanel panel(rig.panel, machineThread.object.get());
    job::HoppingJobTransmitter transmitter(rig.transmitter, machineThread.object.get());
    rig.projects.add("A");
    job::JobSettings settings;
    settings.powerOutput = 1;
    job::JobControl control(job::JobEnvironment{machine, panel, transmitter, rig.projects, rig.prompts, rig.dialogs,
                                                [settings] { return settings; }, false, rig.jobFile()});

    EXPECT_TRUE(control.start(job::StartSender::Menu));
    EXPECT_EQ(rig.trace, (Trace{"ReadStatus", "ReadMachineInfo", "V 00 3c 00", "ReadPositions",
                                "write A flat type=32 turns=0.0000 dir=1 frame", "Q", "pause 10", "WaitWhileBusy",
                                "C", "pause 10", "ReadStatus", "ReadPositions", "U 10 27 00 00 88 13 00 00",
                                "transmitter.start"}));
    ASSERT_FALSE(inner.threads.empty());
    for (QThread *thread : inner.threads)
        EXPECT_EQ(thread, &machineThread.thread);
    EXPECT_TRUE(transmitter.isRunning());
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
    explicit ThreadCheckingPrompts(job::JobPrompts &inner) : m_inner(inner) {}
    void show(const job::JobMessage &message) override { m_inner.show(message); }
    job::BrokenWireAnswer askBrokenWire() override
    {
        threads.push_back(QThread::currentThread());
        return m_inner.askBrokenWire();
    }
    void setBusy(bool busy) override { m_inner.setBusy(busy); }
    void showPassCounter(int count) override { m_inner.showPassCounter(count); }
    std::vector<QThread *> threads;

private:
    job::JobPrompts &m_inner;
};

void scriptBrokenWireTwice(Rig &rig)
{
    const job::StatusBytes homed{0, 0, 0x04};
    const job::StatusBytes broken{0, 0, 0x0C};
    rig.projects.add("A");
    rig.machine.statusScript = {homed, homed, broken, homed, broken, homed, homed};
    rig.prompts.answers = {job::BrokenWireAnswer::Ok, job::BrokenWireAnswer::Retry};
}

} // namespace

// The program runs a start on a worker thread so the window never freezes:
// the machine calls go to the machine thread, the questions and the windows
// to the GUI thread, and the sequence stays exactly what it is when run
// directly. The question asked mid-start must not dead-lock.
TEST(ThreadHop, AStartOnAWorkerThreadAsksOnTheGuiThreadAndKeepsTheTrace)
{
    Rig direct;
    scriptBrokenWireTwice(direct);
    ASSERT_TRUE(direct.control().start(job::StartSender::Menu));

    MachineThread machineThread;
    Rig rig;
    scriptBrokenWireTwice(rig);
    QObject guiObject;
    job::GuiGate gui(&guiObject);
    job::HoppingJobMachine machine(rig.machine, machineThread.object.get());
    job::HoppingJobPanel panel(rig.panel, machineThread.object.get());
    job::HoppingJobTransmitter transmitter(rig.transmitter, &guiObject);
    job::HoppingJobProjects projects(rig.projects, gui);
    ThreadCheckingPrompts checking(rig.prompts);
    job::HoppingJobPrompts prompts(checking, gui);
    job::JobControl control(job::JobEnvironment{machine, panel, transmitter, projects, prompts, rig.dialogs,
                                                [&rig] { return rig.settings; }, false, rig.jobFile()});

    QEventLoop loop;
    bool started = false;
    std::thread worker([&] {
        started = control.start(job::StartSender::Menu);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    EXPECT_TRUE(started);
    EXPECT_EQ(rig.trace, direct.trace);
    EXPECT_EQ(rig.jobFileBytes(), direct.jobFileBytes());
    ASSERT_EQ(checking.threads.size(), 2u);
    for (QThread *thread : checking.threads)
        EXPECT_EQ(thread, QThread::currentThread());
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
