#include "clock_alarm.h"

#include "clock.h"

#include <algorithm>

namespace {

// The timer only wakes the alarm up; capped so that a clock set by a test never arms an absurd
// interval.
constexpr qint64 maxWakeIntervalMs = 60 * 1000;

} // namespace

ClockAlarm::ClockAlarm(std::function<void()> callback, QObject *parent)
    : QObject(parent), m_callback(std::move(callback))
{
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &ClockAlarm::runIfDue);
}

void ClockAlarm::setIn(qint64 ms)
{
    m_dueMs = Clock::nowMs() + std::max<qint64>(0, ms);
    arm();
}

void ClockAlarm::cancel()
{
    m_dueMs.reset();
    m_wake.stop();
}

void ClockAlarm::runIfDue()
{
    if (!m_dueMs)
        return;
    if (Clock::nowMs() < *m_dueMs) {
        arm();
        return;
    }
    cancel();
    if (m_callback)
        m_callback();
}

void ClockAlarm::arm()
{
    const qint64 wait = std::clamp<qint64>(*m_dueMs - Clock::nowMs(), 0, maxWakeIntervalMs);
    m_wake.start(int(wait));
}
