#include "bridge_process_list.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for any real command line; a longer one is cut, never read without bound.
constexpr qint64 maxCommandLineBytes = 64 * 1024;

bool ownedByThisUser(const QString &procDir)
{
    struct stat info {};
    return ::stat(QFile::encodeName(procDir).constData(), &info) == 0 && info.st_uid == ::geteuid();
}

QList<QByteArray> readArguments(const QString &procDir)
{
    QFile file(procDir + QStringLiteral("/cmdline"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(maxCommandLineBytes);
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    // A zombie has an empty command line: it is gone already.
    if (bytes.isEmpty())
        return {};
    return bytes.split('\0');
}

bool executableIn(const QString &procDir, const QString &folder)
{
    const QString exe = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    if (exe.isEmpty())
        return false;
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    return !canonicalFolder.isEmpty() && QFileInfo(exe).absolutePath() == canonicalFolder;
}

bool stillThere(pid_t pid)
{
    const QString procDir = QStringLiteral("/proc/") + QString::number(pid);
    if (!QFileInfo::exists(procDir))
        return false;
    return !readArguments(procDir).isEmpty();
}

} // namespace

namespace BridgeProcessList {

QList<Entry> find(const QString &argument, const QString &folder)
{
    const QByteArray wanted = argument.toUtf8();
    const pid_t self = ::getpid();
    QList<Entry> found;
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool isPid = false;
        const pid_t pid = pid_t(name.toInt(&isPid));
        if (!isPid || pid <= 0 || pid == self)
            continue;
        const QString procDir = QStringLiteral("/proc/") + name;
        if (!ownedByThisUser(procDir))
            continue;
        const QList<QByteArray> arguments = readArguments(procDir);
        if (arguments.size() < 2 || !arguments.mid(1).contains(wanted))
            continue;
        if (!folder.isEmpty() && !executableIn(procDir, folder))
            continue;
        QStringList words;
        for (const QByteArray &word : arguments)
            words << QString::fromUtf8(word);
        found.append(Entry{pid, words.join(u' ')});
    }
    return found;
}

void killAll(const QList<Entry> &entries, int waitMs)
{
    for (const Entry &entry : entries)
        ::kill(entry.pid, SIGKILL);
    QElapsedTimer waited;
    waited.start();
    for (const Entry &entry : entries) {
        while (stillThere(entry.pid) && waited.elapsed() < waitMs)
            QThread::msleep(5);
    }
}

} // namespace BridgeProcessList
