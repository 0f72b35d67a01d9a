#pragma once

// Finds and kills bridges among this user's processes by reading /proc: no shell and no ps or
// killall, which a fresh machine may lack.

#include <QList>
#include <QString>

#include <sys/types.h>

namespace BridgeProcessList {

struct Entry {
    pid_t pid = 0;
    // The arguments joined with blanks, as a process list shows them.
    QString commandLine;
};

// Processes of this user, other than this one, that carry argument among their arguments.
// A non-empty folder keeps only those whose executable lies in that folder.
QList<Entry> find(const QString &argument, const QString &folder = QString());

// Sends SIGKILL to each and waits up to waitMs for them to be gone.
void killAll(const QList<Entry> &entries, int waitMs);

} // namespace BridgeProcessList
