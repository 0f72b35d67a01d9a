#pragma once

// The peer sessions this client serves, as "ClientTouch" counts them against the account's limit
// of download connections. Only "PING" registers a session. A session that has not pinged for
// activeWindowSecs no longer counts (peers that left are never told to us), so the limit frees up
// again without a restart. GUI thread only.

#include <QHash>
#include <QString>

// One session's last "PING", in whole seconds since 1970.
struct SessionInfo {
    quint64 LastActive = 0;
};

class PeerSessionTable final
{
public:
    // Ten minutes: a peer that keeps its link alive pings well within that.
    static constexpr quint64 activeWindowSecs = 600;

    PeerSessionTable() = default;
    Q_DISABLE_COPY_MOVE(PeerSessionTable)

    // Registers or refreshes the session; a session counts once however often it pings.
    void ping(const QString &session, quint64 nowSecs);

    // Sessions heard from within the window, leaving out asking: a peer that comes back does
    // not count against itself.
    int activeCount(quint64 nowSecs, const QString &asking = QString()) const;

    qsizetype size() const { return m_sessions.size(); }
    const SessionInfo *find(const QString &session) const;
    void clear();

private:
    bool isActive(const SessionInfo &info, quint64 nowSecs) const;
    void forgetInactive(quint64 nowSecs);

    QHash<QString, SessionInfo> m_sessions;
    quint64 m_lastSweepSecs = 0;
};

namespace Env {
// The run's peer session table.
PeerSessionTable &peerSessions();
} // namespace Env
