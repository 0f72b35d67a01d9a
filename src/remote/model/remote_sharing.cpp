#include "remote_sharing.h"

#include "console.h"
#include "env.h"
#include "localization.h"
#include "util_db.h"
#include "util_system.h"

#include <QTextBoundaryFinder>

namespace {

// The column widths of the table; SQLite does not enforce them, so the editor does.
constexpr int maxHostName = 50;
constexpr int maxPassword = 50;
constexpr int maxAlias = 30;

bool hasSpace(const QString &text)
{
    for (const QChar c : text) {
        if (c.isSpace())
            return true;
    }
    return false;
}

// User-perceived characters: an emoji or an accented letter counts once.
int characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

bool execPrinted(const QString &sql, const QVariantList &params, qsizetype *changed = nullptr)
{
    if (!UtilDB::execPrinted(sql, params))
        return false;
    if (changed) {
        const DbResult count = UtilDB::query(QStringLiteral("select changes()"));
        *changed = count && !count.rows.isEmpty() ? count.rows.first().value(0).toLongLong() : 0;
    }
    return true;
}

} // namespace

QString RemoteSharing::displayName() const
{
    return aliasname.isEmpty() ? hostname : aliasname;
}

RemoteHostProblem checkRemoteHost(const RemoteSharing &host)
{
    if (host.hostname.isEmpty())
        return RemoteHostProblem::HostNameMissing;
    if (host.hostname.size() > maxHostName || hasSpace(host.hostname) || host.hostname.contains(u'|'))
        return RemoteHostProblem::HostNameInvalid;
    // An empty tag asks for the host's default share.
    if (!host.hosttag.isEmpty() && !UtilSystem::isValidTag(host.hosttag))
        return RemoteHostProblem::TagInvalid;
    if (host.password.size() > maxPassword || hasSpace(host.password))
        return RemoteHostProblem::PasswordInvalid;
    if (characterCount(host.aliasname) > maxAlias)
        return RemoteHostProblem::AliasTooLong;
    return RemoteHostProblem::None;
}

QString remoteHostProblemText(RemoteHostProblem problem)
{
    switch (problem) {
    case RemoteHostProblem::None:
        return {};
    case RemoteHostProblem::HostNameMissing:
        return localizedString(LocalizedStringKey("RS_HostNameMissing").stringKey());
    case RemoteHostProblem::HostNameInvalid:
        return localizedString(LocalizedStringKey("RS_HostNameInvalid").stringKey());
    case RemoteHostProblem::TagInvalid:
        return localizedString(LocalizedStringKey("RS_TagInvalid").stringKey());
    case RemoteHostProblem::PasswordInvalid:
        return localizedString(LocalizedStringKey("RS_PasswordInvalid").stringKey());
    case RemoteHostProblem::AliasTooLong:
        return localizedString(LocalizedStringKey("RS_AliasTooLong").stringKey());
    }
    return {};
}

QList<RemoteSharing> RemoteSharing_List()
{
    const DbResult result = UtilDB::query(
        QStringLiteral("select hostid, hostname, hosttag, password, aliasname from remotesharing where id_acc=?"
                       " order by rowid"),
        {Env::userInfo.id_acc});
    if (!result) {
        Console::printLine(result.error);
        return {};
    }
    QList<RemoteSharing> hosts;
    hosts.reserve(result.rows.size());
    for (const QStringList &row : result.rows) {
        RemoteSharing host;
        host.hostid = row.value(0);
        host.hostname = row.value(1);
        host.hosttag = row.value(2);
        host.password = row.value(3);
        host.aliasname = row.value(4);
        hosts.append(host);
    }
    return hosts;
}

bool RemoteSharing_Add(RemoteSharing &host)
{
    host.hostid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return execPrinted(QStringLiteral("insert into remotesharing (id_acc, hostid, hostname, hosttag, password, aliasname)"
                                      " values (?, ?, ?, ?, ?, ?)"),
                       {Env::userInfo.id_acc, host.hostid, host.hostname, host.hosttag, host.password, host.aliasname});
}

bool RemoteSharing_Update(const RemoteSharing &host)
{
    if (host.hostid.isEmpty())
        return false;
    qsizetype changed = 0;
    return execPrinted(QStringLiteral("update remotesharing set hostname=?, hosttag=?, password=?, aliasname=?"
                                      " where hostid=?"),
                       {host.hostname, host.hosttag, host.password, host.aliasname, host.hostid}, &changed)
        && changed > 0;
}

bool RemoteSharing_Delete(const QString &hostid)
{
    if (hostid.isEmpty())
        return false;
    qsizetype changed = 0;
    return execPrinted(QStringLiteral("delete from remotesharing where hostid=?"), {hostid}, &changed) && changed > 0;
}
