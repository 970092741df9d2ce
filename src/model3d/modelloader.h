#pragma once

#include "model3d/modelreading.h"

#include <QFutureWatcher>
#include <QObject>

#include <memory>

// Reads one model file at a time on a worker thread and hands the result back on the thread
// that owns the loader. The model a window holds is never touched by a load: the result is
// a new model, delivered only when the load ends by itself.
class TModelLoader : public QObject
{
    Q_OBJECT

public:
    explicit TModelLoader(QObject *parent = nullptr);
    // Cancels a running load and waits for its worker.
    ~TModelLoader() override;

    // Starts reading `path` with `unit` the length unit (0 mm, 1 inch, 2 foot). Refused
    // (false) while a load runs.
    bool start(const QString &path, int unit);
    // Stops a running load and waits for its worker, which gives up within a few thousand
    // lines. No finished signal follows for it.
    void cancel();
    bool isRunning() const { return m_watcher != nullptr; }

signals:
    // Once for every load that was not cancelled: result.model on success, else the message
    // to show (result.message()).
    void finished(const TModelReadResult &result);

private:
    void handOver(QFutureWatcher<TModelReadResult> *watcher);

    // One watcher per load: dropping it drops any hand-over it still has queued.
    std::unique_ptr<QFutureWatcher<TModelReadResult>> m_watcher;
};
