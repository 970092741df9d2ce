#pragma once

// Job control runs on the GUI thread; the machine lives on its own thread.
// Each machine call is carried over to that thread and waited for, so the
// start sequence keeps its order while no USB call runs on the GUI thread.

#include "job/jobinterfaces.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <type_traits>
#include <utility>

namespace job {

// Runs f on the thread of context and returns its result; directly when the
// caller is on that thread already (or there is no context).
template<typename F>
auto callOn(QObject *context, F &&f) -> decltype(f())
{
    using R = decltype(f());
    if (!context || context->thread() == QThread::currentThread())
        return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

// The machine, reached on the machine's thread.
class HoppingJobMachine : public JobMachine
{
public:
    HoppingJobMachine(JobMachine &inner, QObject *machineThreadObject);

    void readStatus() override;
    void readPositions() override;
    void readMachineInfo() override;
    void readPowerInfo() override;
    const MachineSnapshot &snapshot() const override;
    bool sendCommand(const QByteArray &command) override;
    void waitWhileBusy() override;
    std::uint16_t speedPeriod(double mmPerMinute) const override;
    void setJobOrigin(std::int32_t x, std::int32_t y) override;
    void rampHeating(int channel, int percent) override;
    void toggleHeating() override;
    void moveTo(double x, double y) override;
    void pause(int milliseconds) override;

private:
    JobMachine &m_inner;
    QPointer<QObject> m_context;
    mutable MachineSnapshot m_snapshot;
};

class HoppingJobPanel : public JobPanel
{
public:
    HoppingJobPanel(JobPanel &inner, QObject *machineThreadObject);

    bool gotoPoint(bool wait, int speedMode, const GotoTarget &target) override;
    bool pauseJob() override;
    bool mayMove() override;
    void continueJob() override;
    bool keyFront() const override;
    bool keyBack() const override;
    void setKeyFront(bool ticked) override;
    std::int32_t tablePosition() const override;
    std::int32_t spindlePosition() const override;

private:
    JobPanel &m_inner;
    QPointer<QObject> m_context;
};

class HoppingJobTransmitter : public JobTransmitter
{
public:
    HoppingJobTransmitter(JobTransmitter &inner, QObject *machineThreadObject);

    bool start() override;
    void stop() override;
    bool isRunning() const override;

private:
    JobTransmitter &m_inner;
    QPointer<QObject> m_context;
};

} // namespace job
