#include "test_wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <memory>

bool waitFor(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Outside a running event loop nothing else deletes what was handed to deleteLater().
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

void spin(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

bool runQueued(int timeoutMs)
{
    // Shared: the call may still run after a wait that gave up.
    const auto ran = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [ran] { *ran = true; }, Qt::QueuedConnection);
    return waitFor([&ran] { return *ran; }, timeoutMs);
}
