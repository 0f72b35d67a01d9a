#include "working_items.h"

#include "util_system.h"

#include <QDirIterator>
#include <QFileInfo>

namespace {

qint64 folderSize(const QString &folder, const std::atomic_bool *stop)
{
    qint64 size = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (stop && *stop)
            break;
        it.next();
        size += it.fileInfo().size();
    }
    return size;
}

// The peer's own separator, so that a name is joined once whether or not the root ends with it.
QString separatorOf(const QString &root)
{
    return root.startsWith(u'/') ? QStringLiteral("/") : QStringLiteral("\\");
}

} // namespace

std::vector<WorkingItem> workingItemsFor(const QStringList &localPaths, const QString &remoteRoot,
                                         const std::atomic_bool *stop)
{
    std::vector<WorkingItem> items;
    for (const QString &path : localPaths) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            continue;
        WorkingItem item;
        item.Path = path;
        item.IsDir = info.isDir() && !info.isSymLink();
        item.Size = item.IsDir ? folderSize(path, stop) : info.size();
        item.PathSave = UtilSystem::pathJoin(remoteRoot, info.fileName(), separatorOf(remoteRoot));
        items.push_back(item);
    }
    return items;
}

qint64 totalSize(const std::vector<WorkingItem> &items)
{
    qint64 total = 0;
    for (const WorkingItem &item : items)
        total += item.Size;
    return total;
}
