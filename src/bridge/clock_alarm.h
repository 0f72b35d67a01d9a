#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// Runs a callback once Clock reaches a due time. A QTimer wakes it up on time; the clock decides
// whether the time has come, so tests that advance a ManualClock call runIfDue() instead of
// sleeping. GUI thread only.
class ClockAlarm final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClockAlarm)

public:
    explicit ClockAlarm(std::function<void()> callback, QObject *parent = nullptr);

    // Due ms from now; replaces an earlier due time.
    void setIn(qint64 ms);
    void cancel();
    bool isSet() const { return m_dueMs.has_value(); }
    std::optional<qint64> dueMs() const { return m_dueMs; }
    // Clears the alarm and runs the callback when the clock has reached the due time.
    void runIfDue();

private:
    void arm();

    std::function<void()> m_callback;
    std::optional<qint64> m_dueMs;
    QTimer m_wake;
};
