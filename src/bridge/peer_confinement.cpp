#include "peer_confinement.h"

#include "folder_listing.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
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

// The components of a path as written, without empty and "." ones.
QStringList plainSteps(const QString &path)
{
    QStringList steps = path.split(u'/', Qt::SkipEmptyParts);
    steps.removeAll(QStringLiteral("."));
    return steps;
}

bool hasHiddenStep(const QStringList &steps)
{
    return std::any_of(steps.begin(), steps.end(),
                       [](const QString &step) { return step.startsWith(u'.') && step != u".."; });
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

PeerReach::PeerReach(const std::vector<PeerShare> &shares)
{
    for (const PeerShare &share : shares) {
        const std::optional<QString> root = PeerConfinement::resolve(share.path);
        // A share whose path cannot be placed holds nothing a peer could name.
        if (!root)
            continue;
        std::error_code ec;
        const bool exists = fs::exists(toFs(*root), ec);
        m_roots.push_back(Root{*root, root->split(u'/', Qt::SkipEmptyParts), plainSteps(share.path), exists,
                               share.isDir, share.isOpen, share.canUpload, share.canDelete});
    }
}

std::optional<PeerReach::Verdict> PeerReach::innermost(const QString &resolved) const
{
    std::optional<Verdict> verdict;
    for (const Root &root : m_roots) {
        const bool holds = root.isDir ? PeerConfinement::isInside(resolved, root.path) : resolved == root.path;
        if (!holds || (verdict && root.path.size() < verdict->root.size()))
            continue;
        if (!verdict || root.path.size() > verdict->root.size())
            verdict = Verdict{root.path};
        if (!root.isOpen || !root.exists)
            continue;
        verdict->isOpen = true;
        verdict->canUpload = verdict->canUpload || (root.isDir && root.canUpload);
        verdict->canDelete = verdict->canDelete || (root.isDir && root.canDelete);
    }
    return verdict;
}

bool PeerReach::namesHiddenEntry(const QString &given, const QString &resolved, const QString &deciding) const
{
    // Where the path really leads, below the share that decides.
    if (resolved != deciding) {
        const QString below = resolved.mid(deciding == u"/" ? 1 : deciding.size() + 1);
        if (hasHiddenStep(below.split(u'/', Qt::SkipEmptyParts)))
            return true;
    }
    // The names as the peer gave them, below the innermost share they name: a hidden link that
    // leads somewhere visible is a hidden entry all the same.
    const QStringList steps = plainSteps(given);
    qsizetype longest = -1;
    for (const Root &root : m_roots) {
        for (const QStringList *rootSteps : {&root.steps, &root.resolvedSteps}) {
            if (rootSteps->size() > longest && rootSteps->size() <= steps.size()
                && std::equal(rootSteps->begin(), rootSteps->end(), steps.begin()))
                longest = rootSteps->size();
        }
    }
    return longest >= 0 && hasHiddenStep(steps.mid(longest));
}

std::optional<QString> PeerReach::allow(const QString &path, Need need) const
{
    if (need == Need::Delete) {
        const std::optional<QString> entry = PeerConfinement::resolveEntry(path);
        if (!entry)
            return std::nullopt;
        // No share's own folder or file goes, nor anything holding one.
        for (const Root &root : m_roots) {
            if (PeerConfinement::isInside(root.path, *entry))
                return std::nullopt;
        }
        const std::optional<Verdict> verdict = innermost(*entry);
        if (!verdict || !verdict->isOpen || !verdict->canDelete || namesHiddenEntry(path, *entry, verdict->root))
            return std::nullopt;
        return entry;
    }

    const std::optional<QString> resolved = PeerConfinement::resolve(path);
    if (!resolved)
        return std::nullopt;
    const std::optional<Verdict> verdict = innermost(*resolved);
    if (!verdict || !verdict->isOpen || namesHiddenEntry(path, *resolved, verdict->root))
        return std::nullopt;
    if (need == Need::Read)
        return PeerConfinement::hasParentStep(path) ? resolved : std::optional<QString>(path);
    if (verdict->canUpload)
        return resolved;
    return std::nullopt;
}

QSet<QString> PeerReach::notShown(const QString &dir, const FolderListing &listing) const
{
    QSet<QString> names;
    const std::optional<QString> resolvedDir = PeerConfinement::resolve(dir);
    if (!resolvedDir)
        return names;
    // Shares right inside this folder; any other entry that is no link is judged as the folder is.
    QSet<QString> shareNames;
    for (const Root &root : m_roots) {
        if (root.path != *resolvedDir && parentOf(root.path) == *resolvedDir)
            shareNames.insert(root.path.mid(resolvedDir->size() == 1 ? 1 : resolvedDir->size() + 1));
    }
    for (const FolderEntry &entry : listing.entries) {
        if ((entry.isLink || shareNames.contains(entry.name)) && !allow(joined(dir, entry.name), Need::Read))
            names.insert(entry.name);
    }
    return names;
}

bool PeerReach::reachesNothing() const
{
    return std::none_of(m_roots.begin(), m_roots.end(), [](const Root &root) { return root.isOpen && root.exists; });
}
