#pragma once

// Peers reach only what is shared. A path a peer names is judged by where it really leads: ".."
// collapsed and symbolic links resolved on the disk, so neither "share/../x" nor a link inside a
// share that points out of it gets past, and "/data/share-old" is not inside "/data/share". Only
// absolute paths of this machine are local: a Windows-style path names nothing here.
// Everything here reads the disk and is meant for the peer workers; any thread.

#include <QString>

#include <optional>
#include <vector>

// One share as the session may use it, before its folder is resolved.
struct PeerShareGrant {
    QString tag;
    QString path;
    bool isDir = true;
    bool canUpload = false;
    bool canDelete = false;
};

namespace PeerConfinement {

// Where path leads: absolute, without "." or "..", every existing component's links resolved.
// Components past the last existing one are kept as given (they cannot be links). nullopt for a
// path that is not absolute, holds a NUL, or runs into a link that leads nowhere (what it would
// make or read cannot be told in advance).
std::optional<QString> resolve(const QString &path);

// Where the entry named by path lies itself, its final link not followed: the parent resolved
// and the name kept. For removing an entry, which removes a link and never what it points to.
// nullopt as for resolve, and for a final "." or ".." or the root.
std::optional<QString> resolveEntry(const QString &path);

// Whether the resolved path is root itself or lies below it (root is resolved too).
bool isInside(const QString &resolvedPath, const QString &resolvedRoot);

// A path that has a ".." component: the system's own path handling may collapse it without
// looking at links, so such a path is acted on in its resolved form only.
bool hasParentStep(const QString &path);

} // namespace PeerConfinement

// What one session may reach: the resolved folders and files of the shares granted to it.
class PeerReach final
{
public:
    explicit PeerReach(const std::vector<PeerShareGrant> &grants);

    enum class Need { Read, Create, Delete };

    // The path to act on when a request that needs need may act on path; nullopt when refused.
    // Read and Create act on the path itself, Delete on the entry (see resolveEntry). The result
    // is the path as given unless it has a ".." step, then its resolved form.
    std::optional<QString> allow(const QString &path, Need need) const;

    bool isEmpty() const { return m_roots.empty(); }

private:
    struct Root {
        QString path;
        bool isDir = true;
        bool canUpload = false;
        bool canDelete = false;
    };
    std::vector<Root> m_roots;
};
