#pragma once

// Which shares a peer session may reach: the enabled shares of the signed-in account, those with
// an access code only once this session has given that code ("getShareInfo" from an app peer or
// "checkAccessCode"). A code given is remembered with the share's tag and is good only while the
// share's code stays what was given. GUI thread (the share store lives there).

#include "peer_confinement.h"

#include <QHash>
#include <QString>

#include <vector>

class PeerAccess final
{
public:
    PeerAccess() = default;
    Q_DISABLE_COPY_MOVE(PeerAccess)

    // The session gave code for the share that tag names (the empty tag and "index.php" name the
    // default share); call only once the store has accepted that code.
    void notePassedCode(const QString &session, const QString &tag, const QString &code);

    // The shares the session may reach now.
    std::vector<PeerShareGrant> grantsFor(const QString &session);

    void clear() { m_passed.clear(); }

private:
    struct Passed {
        QHash<QString, QString> codeByTag; // lower-case tag -> code given
        quint64 lastUsedSecs = 0;
    };
    void forgetIdleSessions(quint64 nowSecs);

    QHash<QString, Passed> m_passed;
};
