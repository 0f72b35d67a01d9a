// Path texts of this machine ("/a/b") and of peers ("C:\dir\f"), without touching the disk.
#include "util_system.h"

namespace {

const QChar kSlash = u'/';
const QChar kBackslash = u'\\';

QChar separatorOf(const QString &path)
{
    return path.startsWith(kSlash) ? kSlash : kBackslash;
}

} // namespace

QString UtilSystem::pathJoin(const QString &base, const QString &name, const QString &sep)
{
    // Nothing to join onto: no separator can be derived, and "\name" would be a new relative path.
    if (base.isEmpty())
        return name;
    if (!sep.isEmpty()) {
        if (base.back() == sep.front())
            return base + name;
        return base + sep + name;
    }
    return base + separatorOf(base) + name;
}

QString UtilSystem::trimEndSeparator(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QChar sep = separatorOf(path);
    if (path.back() != sep)
        return path;
    const QString t = path.chopped(1);
    if (sep == kBackslash)
        return t.size() == 2 ? t + kBackslash : t;
    return t.isEmpty() ? QString(kSlash) : t;
}

QString UtilSystem::appendEndSeparator(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QChar sep = separatorOf(path);
    return path.back() == sep ? path : path + sep;
}

QString UtilSystem::getFileName(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString t = trimEndSeparator(path);
    return t.split(separatorOf(t)).constLast();
}

QString UtilSystem::getFileExt(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QStringList pieces = getFileName(path).split(u'.');
    return pieces.size() >= 2 ? pieces.constLast() : QString();
}

QString UtilSystem::getParentPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString t = trimEndSeparator(path);
    const QChar sep = separatorOf(t);
    QStringList pieces = t.split(sep);
    pieces.removeLast();
    if (pieces.isEmpty())
        return QString(sep);
    QString parent = pieces.join(sep);
    if (parent.isEmpty())
        parent = sep;
    if (sep == kBackslash && parent.size() == 2)
        parent += kBackslash;
    return parent;
}

QString UtilSystem::convertPath(const QString &toRoot, const QString &fromRoot, const QString &path)
{
    const QChar sepTo = separatorOf(toRoot);
    const QChar sepFrom = separatorOf(fromRoot);
    const QString toE = appendEndSeparator(toRoot);
    const QString fromE = appendEndSeparator(fromRoot);
    QString r = trimEndSeparator(path);
    // Replacing an empty text would insert at every position.
    if (!fromE.isEmpty())
        r.remove(fromE, Qt::CaseSensitive);
    r.replace(sepFrom, sepTo);
    return toE + r;
}

QString lastComponent(const QString &sep, const QString &s)
{
    if (sep.isEmpty())
        return s;
    return s.split(sep).constLast();
}
