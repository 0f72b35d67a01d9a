#include "peer_confinement.h"

#include <QFile>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path toFs(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString fromFs(const fs::path &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

QString joined(const QString &base, const QString &name)
{
    return base.endsWith(u'/') ? base + name : base + u'/' + name;
}

QString parentOf(const QString &resolved)
{
    const qsizetype slash = resolved.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : resolved.left(slash);
}

bool isLocalAbsolute(const QString &path)
{
    return path.startsWith(u'/') && !path.contains(QChar(u'\0'));
}

} // namespace

namespace PeerConfinement {

std::optional<QString> resolve(const QString &path)
{
    if (!isLocalAbsolute(path))
        return std::nullopt;
    QString resolved = QStringLiteral("/");
    QStringList missing; // components below the last one that exists
    const QStringList components = path.split(u'/', Qt::SkipEmptyParts);
    for (const QString &component : components) {
        if (component == u".")
            continue;
        if (component == u"..") {
            if (!missing.isEmpty())
                missing.removeLast();
            else
                resolved = parentOf(resolved);
            continue;
        }
        if (!missing.isEmpty()) {
            missing.append(component);
            continue;
        }
        const QString candidate = joined(resolved, component);
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(toFs(candidate), ec);
        if (ec || !fs::exists(status)) {
            missing.append(component);
        } else if (fs::is_symlink(status)) {
            const fs::path target = fs::canonical(toFs(candidate), ec);
            if (ec)
                return std::nullopt;
            resolved = fromFs(target);
        } else {
            // resolved has no links and this component is none: the candidate is canonical.
            resolved = candidate;
        }
    }
    for (const QString &component : std::as_const(missing))
        resolved = joined(resolved, component);
    return resolved;
}

std::optional<QString> resolveEntry(const QString &path)
{
    if (!isLocalAbsolute(path))
        return std::nullopt;
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    const QString name = trimmed.mid(slash + 1);
    if (name.isEmpty() || name == u"." || name == u"..")
        return std::nullopt;
    const std::optional<QString> parent = resolve(slash == 0 ? QStringLiteral("/") : trimmed.left(slash));
    if (!parent)
        return std::nullopt;
    return joined(*parent, name);
}

bool isInside(const QString &resolvedPath, const QString &resolvedRoot)
{
    if (resolvedRoot == u"/")
        return resolvedPath.startsWith(u'/');
    return resolvedPath == resolvedRoot
           || (resolvedPath.startsWith(resolvedRoot) && resolvedPath.at(resolvedRoot.size()) == u'/');
}

bool hasParentStep(const QString &path)
{
    return path.split(u'/').contains(QStringLiteral(".."));
}

} // namespace PeerConfinement

PeerReach::PeerReach(const std::vector<PeerShareGrant> &grants)
{
    for (const PeerShareGrant &grant : grants) {
        const std::optional<QString> root = PeerConfinement::resolve(grant.path);
        std::error_code ec;
        // A share whose folder is gone reaches nothing; a peer must not bring it back.
        if (!root || !fs::exists(toFs(*root), ec))
            continue;
        m_roots.push_back(Root{*root, grant.isDir, grant.canUpload, grant.canDelete});
    }
}

std::optional<QString> PeerReach::allow(const QString &path, Need need) const
{
    if (need == Need::Delete) {
        const std::optional<QString> entry = PeerConfinement::resolveEntry(path);
        if (!entry)
            return std::nullopt;
        for (const Root &root : m_roots) {
            // The share's own folder is never removed, only what lies in it.
            if (root.isDir && root.canDelete && *entry != root.path && PeerConfinement::isInside(*entry, root.path))
                return entry;
        }
        return std::nullopt;
    }

    const std::optional<QString> resolved = PeerConfinement::resolve(path);
    if (!resolved)
        return std::nullopt;
    for (const Root &root : m_roots) {
        const bool inside = root.isDir ? PeerConfinement::isInside(*resolved, root.path) : *resolved == root.path;
        if (!inside)
            continue;
        if (need == Need::Read)
            return PeerConfinement::hasParentStep(path) ? resolved : std::optional<QString>(path);
        if (root.isDir && root.canUpload)
            return resolved;
    }
    return std::nullopt;
}
