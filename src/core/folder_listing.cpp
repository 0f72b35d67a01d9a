#include "folder_listing.h"

#include "console.h"
#include "util_system.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr unsigned statxMask = STATX_TYPE | STATX_SIZE | STATX_BTIME | STATX_MTIME;

bool isHiddenName(const char *name)
{
    return name[0] == '.';
}

qint64 currentOffsetSeconds()
{
    return QDateTime::currentDateTime().offsetFromUtc();
}

// Creation time as UtilSystem::getFileTime gives it: the birth time when the file system keeps
// one, else the last modification.
qint64 createdMilliseconds(const struct statx &st, qint64 offsetSeconds)
{
    const statx_timestamp &t = (st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_mtime;
    return FolderReader::shiftedMilliseconds(t.tv_sec, t.tv_nsec, offsetSeconds);
}

// An entry whose attributes cannot be read (a dangling link, a name that just went away).
FolderEntry unreadableEntry(QString name, const QString &path)
{
    FolderEntry entry;
    entry.name = std::move(name);
    // Prints why and gives the current time, as for any file whose attributes cannot be read.
    entry.createdTime = UtilSystem::getFileTime(path).toMSecsSinceEpoch();
    return entry;
}

FolderEntry entryFromStat(QString name, const struct statx &st, qint64 offsetSeconds)
{
    FolderEntry entry;
    entry.name = std::move(name);
    entry.isDir = S_ISDIR(st.stx_mode);
    entry.size = entry.isDir ? 0 : qint64(st.stx_size);
    entry.createdTime = createdMilliseconds(st, offsetSeconds);
    return entry;
}

// Whether the entry d names is itself a link. The type comes with the name on most file systems;
// where it does not, the entry is looked at without following it.
bool isLinkEntry(int dirFd, const dirent *d)
{
    if (d->d_type != DT_UNKNOWN)
        return d->d_type == DT_LNK;
    struct statx st;
    return statx(dirFd, d->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE, &st) == 0 && S_ISLNK(st.stx_mode);
}

struct DirCloser
{
    void operator()(DIR *d) const { closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Why a folder cannot be listed, alone on a line, in the system's own words.
void printReason(int error)
{
    Console::printLine(QString::fromLocal8Bit(std::generic_category().message(error)));
}

// A folder that exists but cannot be read says why; a path that is no folder fails quietly.
DirHandle openFolder(const QString &dir)
{
    if (dir.isEmpty())
        return nullptr;
    const QByteArray name = QFile::encodeName(dir);
    DirHandle folder(opendir(name.constData()));
    if (!folder) {
        const int error = errno;
        struct stat st;
        if (stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            printReason(error);
    }
    return folder;
}

// The next entry, or null at the end; a read that fails says why and sets failed.
const dirent *nextEntry(DIR *folder, bool &failed)
{
    errno = 0;
    const dirent *d = readdir(folder);
    if (!d && errno != 0) {
        printReason(errno);
        failed = true;
    }
    return d;
}

} // namespace

qint64 FolderReader::shiftedMilliseconds(qint64 seconds, qint64 nanoseconds, qint64 offsetSeconds)
{
    qint64 wholeSeconds = 0;
    qint64 milliseconds = 0;
    // A time this far out has no millisecond value; no real file has one.
    if (__builtin_add_overflow(seconds, offsetSeconds, &wholeSeconds)
        || __builtin_mul_overflow(wholeSeconds, qint64(1000), &milliseconds))
        return 0;
    // The total is whole seconds (in milliseconds) plus a fraction below one second, so it is
    // negative exactly when milliseconds is. Halves go away from zero: up for a positive total,
    // down for a negative one.
    nanoseconds = std::clamp<qint64>(nanoseconds, 0, 999999999);
    const qint64 fraction = (nanoseconds + (milliseconds < 0 ? 499999 : 500000)) / 1000000;
    qint64 result = 0;
    if (__builtin_add_overflow(milliseconds, fraction, &result))
        return 0;
    return result;
}

FolderListing FolderReader::read(const QString &dir)
{
    FolderListing listing;
    listing.dir = dir;
    DirHandle folder = openFolder(dir);
    if (!folder)
        return listing;
    listing.readable = true;
    const int fd = dirfd(folder.get());
    const qint64 offsetSeconds = currentOffsetSeconds();
    bool failed = false;
    while (const dirent *d = nextEntry(folder.get(), failed)) {
        if (isHiddenName(d->d_name))
            continue;
        QString name = QFile::decodeName(d->d_name);
        struct statx st;
        if (statx(fd, d->d_name, AT_NO_AUTOMOUNT, statxMask, &st) == 0)
            listing.entries.push_back(entryFromStat(std::move(name), st, offsetSeconds));
        else
            listing.entries.push_back(unreadableEntry(name, UtilSystem::pathJoin(dir, name)));
        listing.entries.back().isLink = isLinkEntry(fd, d);
    }
    // Part of a folder is no listing of it.
    if (failed) {
        listing.readable = false;
        listing.entries.clear();
    }
    return listing;
}

FolderEntry FolderReader::entryAt(const QString &path)
{
    const QString name = UtilSystem::getFileName(path);
    struct statx st;
    if (path.isEmpty()
        || statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_NO_AUTOMOUNT, statxMask, &st) != 0)
        return unreadableEntry(name, path);
    return entryFromStat(name, st, currentOffsetSeconds());
}

bool FolderReader::listsAsFolder(const QString &path)
{
    struct statx st;
    return !path.isEmpty()
           && statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_NO_AUTOMOUNT, STATX_TYPE, &st) == 0
           && S_ISDIR(st.stx_mode);
}

bool FolderReader::hasVisibleEntries(const QString &dir)
{
    DirHandle folder = openFolder(dir);
    if (!folder)
        return false;
    bool failed = false;
    while (const dirent *d = nextEntry(folder.get(), failed)) {
        if (!isHiddenName(d->d_name))
            return true;
    }
    return false;
}

QString FolderReader::extensionOf(const QString &dir, const QString &name)
{
    // Below a "/" folder the joined path's file name is the name itself (a local name holds no
    // "/"), so the extension can be taken from the name without building the path.
    if (!dir.startsWith(u'/') || name.isEmpty())
        return UtilSystem::getFileExt(UtilSystem::pathJoin(dir, name));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}
