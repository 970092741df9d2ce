#include "recordingrig.h"

#include "job/threadhop.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

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
