#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <vector>

class QThread;

// Work that must not hold up the event loop (a stalled loop would miss "PingBridge" and get the
// bridge restarted): each job runs on a thread of its own, and its completion runs back on this
// object's thread. Destroying the object raises the stop flag and waits for every job, so no
// worker outlives what it writes into.
class BackgroundJobs final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackgroundJobs)

public:
    explicit BackgroundJobs(QObject *parent = nullptr);
    ~BackgroundJobs() override;

    // work gets the stop flag; done (optional) runs on this object's thread after work, unless
    // this object has been destroyed by then.
    void run(std::function<void(const std::atomic_bool &stop)> work, std::function<void()> done = {});

private:
    std::atomic_bool m_stop{false};
    std::vector<QThread *> m_threads;
};
