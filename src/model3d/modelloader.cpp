#include "model3d/modelloader.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

TModelLoader::TModelLoader(QObject *parent)
    : QObject(parent)
{ }

TModelLoader::~TModelLoader()
{
    cancel();
}

bool TModelLoader::start(const QString &path, int unit)
{
    if (isRunning())
        return false;
    m_watcher = std::make_unique<QFutureWatcher<TModelReadResult>>();
    QFutureWatcher<TModelReadResult> *watcher = m_watcher.get();
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] { handOver(watcher); });
    // The path and the unit are copied into the task; the worker reads nothing else.
    watcher->setFuture(QtConcurrent::run(
        [](QPromise<TModelReadResult> &promise, const QString &path, int unit) {
            promise.addResult(ReadModel(path, unit, [&promise] { return promise.isCanceled(); }));
        },
        path, unit));
    return true;
}

void TModelLoader::cancel()
{
    if (!m_watcher)
        return;
    QFuture<TModelReadResult> future = m_watcher->future();
    future.cancel();
    future.waitForFinished();
    m_watcher.reset();
}

void TModelLoader::handOver(QFutureWatcher<TModelReadResult> *watcher)
{
    if (watcher != m_watcher.get())
        return;
    const QFuture<TModelReadResult> future = watcher->future();
    // The watcher is inside its own signal: it goes once that has returned.
    m_watcher.release()->deleteLater();
    if (future.isCanceled() || future.resultCount() == 0)
        return;
    emit finished(future.result());
}
