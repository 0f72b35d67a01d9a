#pragma once

// Peers reach only what is shared. A path a peer names is judged by where it really leads: ".."
// collapsed and symbolic links resolved on the disk, so neither "share/../x" nor a link inside a
// share that points out of it gets past, and "/data/share-old" is not inside "/data/share". Only
// absolute paths of this machine are local: a Windows-style path names nothing here.
// Shares may lie inside each other: the innermost share that holds a path decides for it, with its
// own switch, access code and rights. Hidden entries (names beginning with ".") below a share's
// own folder are out of reach, whatever the peer knows of their names.
// Everything here reads the disk and is meant for the peer workers; any thread.

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct FolderListing;

// One share of the account as a session stands with it, before its path is resolved.
struct PeerShare {
    QString tag;
    QString path;
    bool isDir = true;
    bool isOpen = false; // enabled and, when it has an access code, that code given by the session
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

// What one session may reach, judged against every share of the account.
class PeerReach final
{
public:
    explicit PeerReach(const std::vector<PeerShare> &shares);

    enum class Need { Read, Create, Delete };

    // The path to act on when a request that needs need may act on path; nullopt when refused.
    // Read and Create act on the path itself, Delete on the entry (see resolveEntry); an entry
    // that is, or holds, the folder or file of any share is never deleted. The result is the path
    // as given unless it has a ".." step, then its resolved form.
    std::optional<QString> allow(const QString &path, Need need) const;

    // The names of listing (a reading of dir, which the session may read) that it must not be
    // shown: links that lead where it may not read, and shares in dir that it may not open.
    QSet<QString> notShown(const QString &dir, const FolderListing &listing) const;

    // No share is open to the session.
    bool reachesNothing() const;

private:
    struct Root {
        QString path;              // resolved
        QStringList resolvedSteps; // its components
        QStringList steps;         // the stored path's components, without "." steps
        bool exists = false; // a share whose folder is gone opens nothing; a peer must not bring it back
        bool isDir = true;
        bool isOpen = false;
        bool canUpload = false;
        bool canDelete = false;
    };
    // What the innermost share holding a resolved path allows there (a folder can be shared more
    // than once: the shares of that one folder that are open to the session count together).
    struct Verdict {
        QString root;
        bool isOpen = false;
        bool canUpload = false; // folder shares only
        bool canDelete = false;
    };
    std::optional<Verdict> innermost(const QString &resolved) const;
    bool namesHiddenEntry(const QString &given, const QString &resolved, const QString &deciding) const;

    std::vector<Root> m_roots;
};
