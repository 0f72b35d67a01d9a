#include "remote_folder_path.h"

#include "util_system.h"

#include <QStringList>

namespace {

QChar separatorOf(const QString &path)
{
    return path.startsWith(u'/') ? u'/' : u'\\';
}

} // namespace

void RemoteFolderPath::setRoot(const QString &root)
{
    m_root = UtilSystem::trimEndSeparator(root);
    m_current = m_root;
}

bool RemoteFolderPath::contains(const QString &path) const
{
    if (m_root.isEmpty())
        return false;
    const QString candidate = UtilSystem::trimEndSeparator(path);
    if (candidate == m_root)
        return true;
    const QString prefix = UtilSystem::appendEndSeparator(m_root);
    if (!candidate.startsWith(prefix))
        return false;
    // No step out of the root on the way down ("..").
    const QStringList below = candidate.mid(prefix.size()).split(separatorOf(m_root));
    return !below.contains(QStringLiteral("..")) && !below.contains(QStringLiteral("."));
}

bool RemoteFolderPath::enter(const QString &folder)
{
    if (!contains(folder))
        return false;
    m_current = UtilSystem::trimEndSeparator(folder);
    return true;
}

bool RemoteFolderPath::up()
{
    if (isAtRoot() || m_current.isEmpty())
        return false;
    const QString parent = UtilSystem::trimEndSeparator(UtilSystem::getParentPath(m_current));
    m_current = contains(parent) ? parent : m_root;
    return true;
}

QString RemoteFolderPath::displayText() const
{
    if (isAtRoot() || !contains(m_current))
        return QStringLiteral("/");
    const QString below = m_current.mid(UtilSystem::appendEndSeparator(m_root).size());
    return QStringLiteral("/ ") + below.split(separatorOf(m_root), Qt::SkipEmptyParts).join(QStringLiteral(" / "));
}
