#pragma once
#include "core/UserMessages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>
#include <utility>

// Runs work on the thread of `owner` and returns its result: at once when the caller is on that
// thread, else by a queued call the caller waits for. The logging threads never wait for the
// user-interface thread, so the wait always ends. What the work told the user on the way is shown
// before this returns, so a caller's boxes keep the order in which things happened.
template <typename Work>
auto CallOnThread(QObject* owner, Work&& work) -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    if (QThread::currentThread() == owner->thread())
        return work();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(owner, std::forward<Work>(work), Qt::BlockingQueuedConnection);
        DeliverPostedMessages();
    } else {
        Result result{};
        QMetaObject::invokeMethod(owner, [&result, &work] { result = work(); }, Qt::BlockingQueuedConnection);
        DeliverPostedMessages();
        return result;
    }
}
