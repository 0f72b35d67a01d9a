#pragma once

// Which shares a peer session may reach: the enabled shares of the signed-in account, those with
// an access code only once this session has given that code ("getShareInfo" from an app peer or
// "checkAccessCode"). A code given is remembered with the share's tag and is good only while the
// share's code stays what was given. Codes are tested here, and guessing them is slowed down (see
// PeerCodeAttempts). GUI thread (the share store lives there).

#include "peer_code_attempts.h"
#include "peer_confinement.h"

#include <QHash>
#include <QString>

#include <vector>

class PeerAccess final
{
public:
    PeerAccess() = default;
    Q_DISABLE_COPY_MOVE(PeerAccess)

    // Whether code is the access code of the share that tag names (the empty tag and "index.php"
    // name the default share); a right code opens that share to the session. While the session,
    // or the share as a whole, has to wait after wrong codes, the code is not looked at and the
    // answer is false, printed with asker (the request's Code).
    bool tryCode(const QString &session, const QString &tag, const QString &code, const QString &asker);

    // Every share of the account as the session stands with it now.
    std::vector<PeerShare> sharesFor(const QString &session);

    void clear();

private:
    struct Passed {
        QHash<QString, QString> codeByTag; // lower-case tag -> code given
        quint64 lastUsedSecs = 0;
    };
    void notePassedCode(const QString &session, const QString &lowerTag, const QString &code);
    bool hasPassed(const QString &session, const QString &lowerTag) const;
    void forgetIdleSessions(quint64 nowSecs);

    QHash<QString, Passed> m_passed;
    PeerCodeAttempts m_attempts;
};
