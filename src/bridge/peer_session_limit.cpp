#include "peer_session_limit.h"

void PeerSessionTable::ping(const QString &session, quint64 nowSecs)
{
    // Sessions that stopped pinging are dropped here, at most once a second, so a stream of new
    // ids neither grows the table past what one window holds nor costs a sweep per ping.
    if (nowSecs != m_lastSweepSecs) {
        forgetInactive(nowSecs);
        m_lastSweepSecs = nowSecs;
    }
    m_sessions.insert(session, SessionInfo{nowSecs});
}

int PeerSessionTable::activeCount(quint64 nowSecs, const QString &asking) const
{
    int count = 0;
    for (auto it = m_sessions.cbegin(); it != m_sessions.cend(); ++it) {
        if (it.key() != asking && isActive(it.value(), nowSecs))
            ++count;
    }
    return count;
}

const SessionInfo *PeerSessionTable::find(const QString &session) const
{
    const auto it = m_sessions.constFind(session);
    return it == m_sessions.cend() ? nullptr : &it.value();
}

void PeerSessionTable::clear()
{
    m_sessions.clear();
    m_lastSweepSecs = 0;
}

bool PeerSessionTable::isActive(const SessionInfo &info, quint64 nowSecs) const
{
    // A clock set back leaves later pings in the future: they still count.
    return info.LastActive + activeWindowSecs >= nowSecs;
}

void PeerSessionTable::forgetInactive(quint64 nowSecs)
{
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (isActive(it.value(), nowSecs))
            ++it;
        else
            it = m_sessions.erase(it);
    }
}

namespace Env {

PeerSessionTable &peerSessions()
{
    static PeerSessionTable table;
    return table;
}

} // namespace Env
