#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>
#include <utility>

// Runs f on the thread of context and returns its result, waiting for it;
// directly when the caller is on that thread already (or there is no
// context). For short calls to an object that lives on another thread (the
// machine session), never for long work from the GUI thread.
template<typename F> auto callOn(QObject *context, F &&f) -> decltype(f())
{
    using R = decltype(f());
    if (!context || context->thread() == QThread::currentThread())
        return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        R result {};
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}
