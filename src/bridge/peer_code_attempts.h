#pragma once

// Access codes cannot be guessed at speed. Wrong codes are counted per peer session and share, and
// per share over all sessions. From a session's fifth wrong code for a share on, its checks of that
// share's code are refused for a while, right codes too: 1 s, twice as long with each further wrong
// code, at most five minutes. As session texts cost a guesser nothing, wrong codes for one share
// from many sessions count too: from the share's twentieth on, each one closes the share's code
// check for such a while to every session that has not given the right code before. Refusals are
// made at once by the caller, answered as a wrong code; nothing waits. Times come from Clock. A
// count is forgotten an hour after its last wrong code once its pause is over (the sessions' counts
// once there are many of them). GUI thread.

#include <QHash>
#include <QString>

class PeerCodeAttempts final
{
public:
    PeerCodeAttempts() = default;
    Q_DISABLE_COPY_MOVE(PeerCodeAttempts)

    // Whether a code of session for share (a key naming one share) may be checked now.
    // passedBefore: the session gave that share's right code earlier.
    bool mayCheck(const QString &session, const QString &share, bool passedBefore);
    void noteWrong(const QString &session, const QString &share);
    void noteRight(const QString &session, const QString &share);

    void clear();

private:
    struct Count {
        int wrong = 0;
        qint64 pausedUntilMs = 0;
        qint64 lastWrongMs = 0;
    };
    static void countWrong(Count &count, int freeWrongCodes, qint64 nowMs);
    static bool isForgotten(const Count &count, qint64 nowMs);
    void forgetOld(qint64 nowMs);

    QHash<QString, QHash<QString, Count>> m_bySession; // session -> share -> its wrong codes
    QHash<QString, Count> m_byShare;
};
