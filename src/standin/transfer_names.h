#pragma once

#include <QString>
#include <QStringList>

// Names and file-system steps that keep a transfer inside its destination folder and away from
// files that are already there.
namespace TransferNames {

// name with " (n)" added before its extensions for a file ("a.tar.gz" gives "a (2).tar.gz")
// or at the end for a folder; n 0 gives the name itself.
QString numbered(const QString &name, int n, bool isDir);

// A single path component that may be created: not empty, not "." or "..", no separator, no NUL,
// at most 255 bytes.
bool isSafeComponent(const QString &name);

// Splits a path below a destination into components, at "/" and "\"; empty pieces are dropped.
// Nothing when a piece is not a safe component.
bool splitRelative(const QString &relative, QStringList *components);

// Something is at path, a dangling symbolic link included.
bool occupied(const QString &path);

// Renames without ever replacing; *taken tells that the failure was an existing target.
bool renameNoReplace(const QString &from, const QString &to, bool *taken);

// Makes one folder; fails (with *taken) when anything is already there.
bool makeFolder(const QString &path, bool *taken);

} // namespace TransferNames
