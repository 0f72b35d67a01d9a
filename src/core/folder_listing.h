#pragma once

#include <QString>

#include <vector>

// The facts a file list needs of one folder entry. Links are followed, as a user browsing the
// folder expects: a link to a folder is a folder.
struct FolderEntry
{
    QString name;
    qint64 size = 0;        // bytes; 0 for folders and for entries that cannot be read
    qint64 createdTime = 0; // milliseconds: creation as local wall-clock time labelled UTC
    bool isDir = false;
    bool isLink = false;    // read() only: the entry itself is a symbolic link (the facts above are its target's)
};

// One read of a local folder: its visible (not hidden) entries, in the order the file system
// gives them. An unreadable folder, a file or a missing path reads as readable == false, empty;
// a folder that is there but cannot be read prints why, alone on a line.
struct FolderListing
{
    QString dir;
    bool readable = false;
    std::vector<FolderEntry> entries;
};

// Reads folders with one directory pass and one attribute read per entry (no per-entry path
// building), because a peer may list folders of a hundred thousand entries. Any thread.
namespace FolderReader {

FolderListing read(const QString &dir);

// The facts of the item at path; a path that cannot be read is a file of size 0 created now.
FolderEntry entryAt(const QString &path);

// Whether the item at path lists as a folder, as read() and entryAt() decide it: links followed,
// a path that cannot be looked at is no folder. Cheaper than entryAt() when only the kind counts.
bool listsAsFolder(const QString &path);

// Whether the folder has at least one entry that is not hidden (false when it cannot be read,
// printed as read() prints it).
bool hasVisibleEntries(const QString &dir);

// The name's extension as UtilSystem::getFileExt gives it for the name joined to dir.
QString extensionOf(const QString &dir, const QString &name);

// Creation time in milliseconds from its seconds and nanoseconds, shifted by offsetSeconds,
// rounded to the nearest millisecond with halves away from zero.
qint64 shiftedMilliseconds(qint64 seconds, qint64 nanoseconds, qint64 offsetSeconds);

} // namespace FolderReader
