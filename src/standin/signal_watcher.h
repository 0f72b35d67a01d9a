#pragma once

#include <QObject>
#include <QSocketNotifier>

// Turns SIGTERM and SIGINT into a normal quit of the event loop, so that running transfers are
// cancelled and their half-written files removed before the process ends.
class SignalWatcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignalWatcher)

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

private:
    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
