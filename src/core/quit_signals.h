#pragma once

#include <QList>
#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns the given signals (SIGTERM, SIGINT ...) into a call of onSignal on the thread that made
// this object, from its event loop, so that the program ends the way a normal quit does. Only
// one object may watch at a time; the signals go back to their default when it goes.
class QuitSignals final : public QObject
{
    Q_DISABLE_COPY_MOVE(QuitSignals)

public:
    QuitSignals(QList<int> signalNumbers, std::function<void()> onSignal, QObject *parent = nullptr);
    ~QuitSignals() override;

private:
    QList<int> m_signals;
    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
