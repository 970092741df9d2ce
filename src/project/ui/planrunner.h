#pragma once

#include "project/flatplanproject.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

// Runs the flat planner on a worker thread over a copy of the project, so
// that the project window keeps painting its progress. While it runs, the
// program's keyboard and mouse input is swallowed; a key press or a left
// button press stops the planning.
class TFlatPlanRunner : public QObject
{
    Q_OBJECT
public:
    explicit TFlatPlanRunner(QObject *parent = nullptr);
    // Stops a running plan and waits for the worker.
    ~TFlatPlanRunner() override;

    bool running() const { return m_running; }
    void start(FlatPlanJob job);
    // The finished run; valid once finished() was emitted.
    FlatPlanJob takeJob();

signals:
    void progress(int percent);
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Shared
    {
        FlatPlanJob job;
        std::atomic<int> percent {-1};
        std::atomic<bool> cancel {false};
    };

    void reportProgress();
    void done();

    std::shared_ptr<Shared> m_shared;
    QFutureWatcher<void> m_watcher;
    QTimer m_poll;
    int m_shownPercent = -1;
    bool m_running = false;
};
