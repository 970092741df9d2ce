#pragma once

// Job control runs on a worker thread of its own; the machine lives on its
// own thread and the windows on the GUI thread. Each call is carried over to
// the thread that owns what it reaches and waited for, so the start sequence
// keeps its order while neither the GUI thread waits on the machine nor a
// USB call runs on the GUI thread. The machine side is reached through the
// session adapters (sessionadapters.h), which carry their calls with callOn;
// the windows and the questions through the GUI gate below.

#include "app/callon.h"
#include "job/jobinterfaces.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace job {

using ::callOn;

// The way from a worker thread to the GUI thread. Each call is queued to the
// GUI thread's object and waited for; once closed (the owner is going away
// while the worker still runs) no call is carried any more and a waiting one
// returns at once with an empty result, so the owner may join its worker
// without the two waiting on each other.
class GuiGate
{
public:
    explicit GuiGate(QObject *guiObject) : m_context(guiObject) {}

    void close()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
        }
        m_done.notify_all();
    }

    template<typename F>
    auto call(F &&f) -> decltype(f())
    {
        using R = decltype(f());
        if (isClosed()) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        if (m_context->thread() == QThread::currentThread())
            return f();
        struct Outcome
        {
            bool finished = false;
            std::conditional_t<std::is_void_v<R>, bool, R> value{};
        };
        auto outcome = std::make_shared<Outcome>();
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_closed) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        QMetaObject::invokeMethod(
            m_context,
            [this, outcome, &f] {
                if constexpr (std::is_void_v<R>) {
                    f();
                } else {
                    auto value = f();
                    std::lock_guard<std::mutex> inner(m_mutex);
                    outcome->value = std::move(value);
                }
                {
                    std::lock_guard<std::mutex> inner(m_mutex);
                    outcome->finished = true;
                }
                m_done.notify_all();
            },
            Qt::QueuedConnection);
        m_done.wait(lock, [&] { return outcome->finished || m_closed; });
        if constexpr (std::is_void_v<R>)
            return;
        else
            return outcome->finished ? outcome->value : R{};
    }

private:
    bool isClosed()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_closed;
    }

    QObject *m_context;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_closed = false;
};

// A project window reached on the GUI thread: the documents are painted
// there, so a start running elsewhere reads and writes them only in turn.
class HoppingJobProject : public JobProject
{
public:
    HoppingJobProject(JobProject &inner, GuiGate &gui);

    JobProject &inner() const { return m_inner; }

    QString caption() const override;
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
    JobPoint referenceCorner(int figure) const override;
    void setSecondPoints(int figure, const std::vector<JobPoint> &points) override;
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
    GuiGate &m_gui;
};

// The project windows reached on the GUI thread. Each window keeps one
// wrapper, so job control may compare the windows it is given.
class HoppingJobProjects : public JobProjects
{
public:
    HoppingJobProjects(JobProjects &inner, GuiGate &gui);

    std::vector<JobProject *> windows() const override;
    JobProject *active() const override;
    void activate(JobProject *window) override;

private:
    JobProject *wrap(JobProject *inner) const;

    JobProjects &m_inner;
    GuiGate &m_gui;
    mutable std::mutex m_mutex;
    mutable std::map<JobProject *, std::unique_ptr<HoppingJobProject>> m_wrappers;
};

// Message boxes, the cursor and the status bar, reached on the GUI thread.
class HoppingJobPrompts : public JobPrompts
{
public:
    HoppingJobPrompts(JobPrompts &inner, GuiGate &gui);

    void show(const JobMessage &message) override;
    BrokenWireAnswer askBrokenWire() override;
    void setBusy(bool busy) override;
    void showPassCounter(int count) override;

private:
    JobPrompts &m_inner;
    GuiGate &m_gui;
};

} // namespace job
