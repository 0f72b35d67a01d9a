#include "peer_access.h"

#include "bridge_interfaces.h"
#include "clock.h"
#include "console.h"
#include "env.h"
#include "lenient_json.h"

namespace {

// Sessions of peers that left are forgotten after an hour once there are more than a few.
constexpr qsizetype sessionsKeptFreely = 256;
constexpr quint64 idleSessionSecs = 3600;

} // namespace

bool PeerAccess::tryCode(const QString &session, const QString &tag, const QString &code, const QString &asker)
{
    if (!Env::shareStore)
        return false;
    // Counted under the share's stored tag, so that "index.php", "" and the tag in any letter case
    // are one share; a tag that names no share has no code to find.
    const QString share = Env::shareStore->LocalShare_GetTag(tag).toLower();
    if (share.isEmpty())
        return false;
    if (!m_attempts.mayCheck(session, share, hasPassed(session, share))) {
        Console::printLine(QStringLiteral("Peer Request Refused, Too Many Wrong Codes - ") + asker + QStringLiteral(" - ") + tag);
        return false;
    }
    if (!Env::shareStore->LocalShare_CheckPassword(tag, code)) {
        m_attempts.noteWrong(session, share);
        return false;
    }
    m_attempts.noteRight(session, share);
    notePassedCode(session, share, code);
    return true;
}

void PeerAccess::notePassedCode(const QString &session, const QString &lowerTag, const QString &code)
{
    const quint64 now = Clock::nowSecs();
    forgetIdleSessions(now);
    Passed &passed = m_passed[session];
    passed.codeByTag.insert(lowerTag, code);
    passed.lastUsedSecs = now;
}

bool PeerAccess::hasPassed(const QString &session, const QString &lowerTag) const
{
    const auto passed = m_passed.constFind(session);
    return passed != m_passed.constEnd() && passed->codeByTag.contains(lowerTag);
}

std::vector<PeerShare> PeerAccess::sharesFor(const QString &session)
{
    std::vector<PeerShare> shares;
    if (!Env::shareStore)
        return shares;
    const QHash<QString, QString> *given = nullptr;
    if (const auto passed = m_passed.find(session); passed != m_passed.end()) {
        passed->lastUsedSecs = Clock::nowSecs();
        given = &passed->codeByTag;
    }
    // Disabled and closed shares too: a path inside one of them is theirs to refuse, also where
    // it lies inside another share.
    for (const nlohmann::json &record : Env::shareStore->LocalShare_List(QString(), false, false)) {
        const LenientJson share = LenientJson::fromJson(record);
        const QString tag = share["tag"].stringValue();
        const QString code = share["password"].stringValue();
        bool isOpen = share["isenabled"].intValue() == 1;
        // A code not given reads as "", which no code is.
        if (isOpen && !code.isEmpty())
            isOpen = given && given->value(tag.toLower()).compare(code, Qt::CaseInsensitive) == 0;
        shares.push_back(PeerShare{tag, share["path"].stringValue(), share["isdir"].intValue() == 1, isOpen,
                                   share["isupload"].intValue() == 1, share["isfiledel"].intValue() == 1});
    }
    return shares;
}

void PeerAccess::clear()
{
    m_passed.clear();
    m_attempts.clear();
}

void PeerAccess::forgetIdleSessions(quint64 nowSecs)
{
    if (m_passed.size() < sessionsKeptFreely)
        return;
    for (auto it = m_passed.begin(); it != m_passed.end();) {
        if (nowSecs > it->lastUsedSecs + idleSessionSecs)
            it = m_passed.erase(it);
        else
            ++it;
    }
}
