#pragma once

// Job control runs on a worker thread of its own; the machine lives on its
// own thread and the windows on the GUI thread. Each call is carried over to
// the thread that owns what it reaches and waited for, so the start sequence
// keeps its order while neither the GUI thread waits on the machine nor a
// USB call runs on the GUI thread.

#include "job/jobinterfaces.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <map>
#include <memory>
#include <mutex>
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

namespace job {

// A project window reached on the GUI thread: the documents are painted
// there, so a start running elsewhere reads and writes them only in turn.
class HoppingJobProject : public JobProject
{
public:
    HoppingJobProject(JobProject &inner, QObject *guiObject);

    JobProject &inner() const { return m_inner; }

    int passNumber() const override;
    double passAngle() const override;
    void setPassAngle(double degrees) override;
    std::int32_t projectWidth() const override;
    std::int32_t projectHeight() const override;
    std::int32_t crossWidth() const override;
    std::int32_t crossHeight() const override;
    JobPoint minCorner() const override;
    JobPoint maxCorner() const override;
    JobPoint crossMax() const override;
    bool tooLarge() const override;
    bool planComplete() const override;
    int serialFeedSign() const override;
    void setSerialFeedSign(int sign) override;
    void setCutFrame(bool cut) override;
    bool axisHorizontal() const override;
    bool cutFromBelow() const override;
    double firstEntryIntoMaterial() const override;
    int figureCount() const override;
    int rootFigure() const override;
    std::vector<JobPoint> figurePoints(int figure) const override;
    int entryVertex(int figure) const override;
    void setEntryVertex(int figure, int vertex) override;
    double pointTolerance() const override;
    void setSingleOpenFigure(bool single) override;
    StartMargins startMargins() const override;
    void setStartMargins(const StartMargins &margins) override;
    void setDirection(int direction) override;
    JobWriteResult writeJob(const JobWriteRequest &request) override;

private:
    JobProject &m_inner;
    QPointer<QObject> m_context;
};

// The project windows reached on the GUI thread. Each window keeps one
// wrapper, so job control may compare the windows it is given.
class HoppingJobProjects : public JobProjects
{
public:
    HoppingJobProjects(JobProjects &inner, QObject *guiObject);

    std::vector<JobProject *> windows() const override;
    JobProject *active() const override;
    void activate(JobProject *window) override;

private:
    JobProject *wrap(JobProject *inner) const;

    JobProjects &m_inner;
    QPointer<QObject> m_context;
    mutable std::mutex m_mutex;
    mutable std::map<JobProject *, std::unique_ptr<HoppingJobProject>> m_wrappers;
};

// Message boxes, the cursor and the status bar, reached on the GUI thread.
class HoppingJobPrompts : public JobPrompts
{
public:
    HoppingJobPrompts(JobPrompts &inner, QObject *guiObject);

    void show(const JobMessage &message) override;
    BrokenWireAnswer askBrokenWire() override;
    void setBusy(bool busy) override;
    void showPassCounter(int count) override;

private:
    JobPrompts &m_inner;
    QPointer<QObject> m_context;
};

} // namespace job
