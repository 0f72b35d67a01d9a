#include "transfer_names.h"

#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString TransferNames::numbered(const QString &name, int n, bool isDir)
{
    if (n == 0)
        return name;
    const QString mark = QStringLiteral(" (%1)").arg(n);
    // A leading dot is part of the name (".profile"), not an extension.
    const qsizetype dot = isDir ? -1 : name.indexOf(QLatin1Char('.'), 1);
    if (dot < 0)
        return name + mark;
    return name.left(dot) + mark + name.mid(dot);
}

bool TransferNames::isSafeComponent(const QString &name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && !name.contains(QChar(0)) && QFile::encodeName(name).size() <= 255;
}

bool TransferNames::splitRelative(const QString &relative, QStringList *components)
{
    QStringList parts;
    for (const QString &piece : relative.split(QRegularExpression(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts)) {
        if (!isSafeComponent(piece))
            return false;
        parts << piece;
    }
    *components = parts;
    return true;
}

bool TransferNames::occupied(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool TransferNames::renameNoReplace(const QString &from, const QString &to, bool *taken)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    *taken = false;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST) {
        *taken = true;
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name just the same.
    if (::link(source.constData(), target.constData()) != 0) {
        *taken = errno == EEXIST;
        return false;
    }
    ::unlink(source.constData());
    return true;
}

bool TransferNames::makeFolder(const QString &path, bool *taken)
{
    *taken = false;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    *taken = errno == EEXIST;
    return false;
}
