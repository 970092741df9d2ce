#include "project/ui/planrunner.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtConcurrent/QtConcurrentRun>

TFlatPlanRunner::TFlatPlanRunner(QObject *parent)
    : QObject(parent)
{
    // The worker only stores the percentage; the window shows it from here.
    m_poll.setInterval(40);
    connect(&m_poll, &QTimer::timeout, this, &TFlatPlanRunner::reportProgress);
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, &TFlatPlanRunner::done);
}

TFlatPlanRunner::~TFlatPlanRunner()
{
    if (m_running) {
        m_shared->cancel = true;
        m_watcher.waitForFinished();
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void TFlatPlanRunner::start(FlatPlanJob job)
{
    if (m_running)
        return;
    m_running = true;
    m_shownPercent = -1;
    m_shared = std::make_shared<Shared>();
    m_shared->job = std::move(job);
    QCoreApplication::instance()->installEventFilter(this);
    m_poll.start();
    m_watcher.setFuture(QtConcurrent::run([shared = m_shared] {
        TPlanControl control;
        control.progress
            = [raw = shared.get()](int percent) { raw->percent.store(percent, std::memory_order_relaxed); };
        control.cancel = &shared->cancel;
        shared->job.Run(control);
    }));
}

FlatPlanJob TFlatPlanRunner::takeJob()
{
    return m_shared ? std::move(m_shared->job) : FlatPlanJob {};
}

bool TFlatPlanRunner::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        m_shared->cancel = true;
        return true;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_shared->cancel = true;
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TFlatPlanRunner::reportProgress()
{
    const int percent = m_shared->percent.load(std::memory_order_relaxed);
    if (percent >= 0 && percent != m_shownPercent) {
        m_shownPercent = percent;
        emit progress(percent);
    }
}

void TFlatPlanRunner::done()
{
    m_poll.stop();
    reportProgress();
    QCoreApplication::instance()->removeEventFilter(this);
    m_running = false;
    emit finished();
}
