#include "peer_access.h"

#include "bridge_interfaces.h"
#include "clock.h"
#include "env.h"
#include "lenient_json.h"

namespace {

// Sessions of peers that left are forgotten after an hour once there are more than a few.
constexpr qsizetype sessionsKeptFreely = 256;
constexpr quint64 idleSessionSecs = 3600;

} // namespace

void PeerAccess::notePassedCode(const QString &session, const QString &tag, const QString &code)
{
    if (!Env::shareStore)
        return;
    // The empty tag and "index.php" stand for the default share: remember the code under the tag
    // that the store took them for.
    const QList<nlohmann::json> shares = Env::shareStore->LocalShare_List(tag, false, true);
    if (shares.isEmpty())
        return;
    const QString realTag = LenientJson::fromJson(shares.first())["tag"].stringValue();
    const quint64 now = Clock::nowSecs();
    forgetIdleSessions(now);
    Passed &passed = m_passed[session];
    passed.codeByTag.insert(realTag.toLower(), code);
    passed.lastUsedSecs = now;
}

std::vector<PeerShareGrant> PeerAccess::grantsFor(const QString &session)
{
    std::vector<PeerShareGrant> grants;
    if (!Env::shareStore)
        return grants;
    const auto passed = m_passed.find(session);
    if (passed != m_passed.end())
        passed->lastUsedSecs = Clock::nowSecs();
    for (const nlohmann::json &record : Env::shareStore->LocalShare_List(QString(), false, false)) {
        const LenientJson share = LenientJson::fromJson(record);
        if (share["isenabled"].intValue() != 1)
            continue;
        const QString tag = share["tag"].stringValue();
        const QString code = share["password"].stringValue();
        if (!code.isEmpty()) {
            if (passed == m_passed.end())
                continue;
            const auto given = passed->codeByTag.constFind(tag.toLower());
            if (given == passed->codeByTag.constEnd() || given->compare(code, Qt::CaseInsensitive) != 0)
                continue;
        }
        grants.push_back(PeerShareGrant{tag, share["path"].stringValue(), share["isdir"].intValue() == 1,
                                        share["isupload"].intValue() == 1, share["isfiledel"].intValue() == 1});
    }
    return grants;
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
