#pragma once

#include <QtGlobal>

#include <memory>

// The time that the watchdog, the connection cycle and request deadlines read. Tests put a
// ManualClock in place and advance it instead of sleeping.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 msecsSinceEpoch() const = 0;

    // The clock in use: the system clock unless one was set.
    static const Clock &current();
    // nullptr restores the system clock.
    static void set(std::shared_ptr<Clock> clock);

    static qint64 nowMs() { return current().msecsSinceEpoch(); }
    // Whole seconds since 1970; a time before 1970 reads as 0.
    static quint64 nowSecs();
};

class ManualClock final : public Clock
{
public:
    explicit ManualClock(qint64 startMs = 1'700'000'000'000) : m_now(startMs) {}
    qint64 msecsSinceEpoch() const override { return m_now; }
    void advanceMs(qint64 ms) { m_now += ms; }
    void setMs(qint64 ms) { m_now = ms; }

private:
    qint64 m_now;
};
