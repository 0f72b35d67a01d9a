#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the running test case again in a child process, for cases that need a machine of their own
// (a small disk, private namespaces). The child is this test executable, started through a
// command that sets the machine up, with a filter that names this one case.
namespace ChildTestRun {

// Whether this machine runs command: command followed by "true" ends with exit code 0.
bool commandWorks(const QStringList &command);

struct Outcome {
    bool started = false;
    bool ended = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray output;
};

// Starts command followed by this executable and the case's filter, with environment added to
// this process's own, and waits up to timeoutMs for it to end (killing it when it does not).
// executable, when given, is run in place of this one (a copy of it elsewhere); command may then be
// empty.
Outcome run(const QStringList &command, const QMap<QString, QString> &environment, int timeoutMs = 120'000,
            const QString &executable = QString());

// Fails the running case unless the child ended normally and ran and passed the case: a case that
// did not run at all, or was skipped there, would end with exit code 0 as well.
void expectPassed(const Outcome &outcome, const char *what);

} // namespace ChildTestRun
