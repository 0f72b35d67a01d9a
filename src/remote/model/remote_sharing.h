#pragma once

#include <QList>
#include <QString>
#include <QUuid>

// One remote host in the account's list: the host the service knows by hostname, the share on it
// named by hosttag (empty for the host's default share) with its access code, and the name the
// user gave it. hostid identifies the row; it is made once, when the host is added.
struct RemoteSharing
{
    QUuid id = QUuid::createUuid(); // identity for views; never stored
    QString hostid;
    QString hostname;
    QString hosttag;
    QString password;
    QString aliasname;

    // The alias when there is one, else the host name.
    QString displayName() const;
};

// What is wrong with the fields a user typed for a host; None when it may be stored.
enum class RemoteHostProblem { None, HostNameMissing, HostNameInvalid, TagInvalid, PasswordInvalid, AliasTooLong };

RemoteHostProblem checkRemoteHost(const RemoteSharing &host);

// The interface text that explains problem ("" for None).
QString remoteHostProblemText(RemoteHostProblem problem);

// ---- The table remotesharing on UtilDB's connection -----------------------------------------
// Hosts are listed for the signed-in account and updated or deleted by their host id. Values are
// bound, never put into the SQL text. A failing statement is printed and reported as false or an
// empty list. GUI thread only.

// The account's hosts in the order they were added.
QList<RemoteSharing> RemoteSharing_List();

// Stores a new host for the signed-in account; gives it a fresh hostid first.
bool RemoteSharing_Add(RemoteSharing &host);

// Writes the host's fields over the row with its hostid; false when no row has it.
bool RemoteSharing_Update(const RemoteSharing &host);

// Removes the row with this hostid; false when there was none.
bool RemoteSharing_Delete(const QString &hostid);
