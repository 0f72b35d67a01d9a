#include "clock.h"

#include <QDateTime>

namespace {

class SystemClock final : public Clock
{
public:
    qint64 msecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
};

std::shared_ptr<Clock> &installed()
{
    static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    return clock;
}

} // namespace

const Clock &Clock::current()
{
    return *installed();
}

void Clock::set(std::shared_ptr<Clock> clock)
{
    installed() = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

quint64 Clock::nowSecs()
{
    const qint64 ms = nowMs();
    return ms > 0 ? quint64(ms / 1000) : 0;
}
