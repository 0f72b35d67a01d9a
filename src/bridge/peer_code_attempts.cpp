#include "peer_code_attempts.h"

#include "clock.h"

#include <algorithm>

namespace {

constexpr int freeWrongCodesPerSession = 4; // the fifth starts the first pause
constexpr int freeWrongCodesPerShare = 19;  // the twentieth, from whichever sessions
constexpr qint64 firstPauseMs = 1000;
constexpr qint64 longestPauseMs = 5 * 60 * 1000;
constexpr qint64 forgetAfterMs = 60 * 60 * 1000;
// Session texts are the peer's to choose: their counts are swept once there are this many, and
// dropped altogether past the hard limit (the per-share count still holds then).
constexpr qsizetype sessionsKeptFreely = 256;
constexpr qsizetype sessionsAtMost = 16384;

qint64 pauseAfter(int wrongBeyondFree)
{
    // 1 s, 2 s, 4 s ... and no shift past the cap.
    return wrongBeyondFree >= 20 ? longestPauseMs : std::min(longestPauseMs, firstPauseMs << wrongBeyondFree);
}

} // namespace

void PeerCodeAttempts::countWrong(Count &count, int freeWrongCodes, qint64 nowMs)
{
    count.wrong += 1;
    count.lastWrongMs = nowMs;
    if (count.wrong > freeWrongCodes)
        count.pausedUntilMs = nowMs + pauseAfter(count.wrong - freeWrongCodes - 1);
}

bool PeerCodeAttempts::isForgotten(const Count &count, qint64 nowMs)
{
    return nowMs >= count.pausedUntilMs && nowMs - count.lastWrongMs >= forgetAfterMs;
}

bool PeerCodeAttempts::mayCheck(const QString &session, const QString &share, bool passedBefore)
{
    const qint64 now = Clock::nowMs();
    forgetOld(now);
    const auto sessionCounts = m_bySession.constFind(session);
    if (sessionCounts != m_bySession.constEnd()) {
        const auto count = sessionCounts->constFind(share);
        if (count != sessionCounts->constEnd() && now < count->pausedUntilMs)
            return false;
    }
    const auto shareCount = m_byShare.constFind(share);
    return passedBefore || shareCount == m_byShare.constEnd() || now >= shareCount->pausedUntilMs;
}

void PeerCodeAttempts::noteWrong(const QString &session, const QString &share)
{
    const qint64 now = Clock::nowMs();
    countWrong(m_bySession[session][share], freeWrongCodesPerSession, now);
    countWrong(m_byShare[share], freeWrongCodesPerShare, now);
}

void PeerCodeAttempts::noteRight(const QString &session, const QString &share)
{
    // The session's own slips are forgiven; the share's count stays, a guesser may be at work.
    const auto sessionCounts = m_bySession.find(session);
    if (sessionCounts == m_bySession.end())
        return;
    sessionCounts->remove(share);
    if (sessionCounts->isEmpty())
        m_bySession.erase(sessionCounts);
}

void PeerCodeAttempts::clear()
{
    m_bySession.clear();
    m_byShare.clear();
}

void PeerCodeAttempts::forgetOld(qint64 nowMs)
{
    using Counts = QHash<QString, Count>;
    const auto forgotten = [nowMs](Counts::iterator count) { return isForgotten(count.value(), nowMs); };
    m_byShare.removeIf(forgotten);
    if (m_bySession.size() < sessionsKeptFreely)
        return;
    m_bySession.removeIf([&](QHash<QString, Counts>::iterator session) {
        session.value().removeIf(forgotten);
        return session.value().isEmpty();
    });
    if (m_bySession.size() >= sessionsAtMost)
        m_bySession.clear();
}
