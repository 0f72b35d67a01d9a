#include "test_wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

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

bool waitForPostedEvents()
{
    // Posted events run in the order they were posted, so this one runs after all earlier ones.
    QObject marker;
    bool ran = false;
    QMetaObject::invokeMethod(&marker, [&ran] { ran = true; }, Qt::QueuedConnection);
    return waitFor([&ran] { return ran; });
}
