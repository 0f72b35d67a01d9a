#include "file_item.h"

#include "folder_listing.h"
#include "listing_view.h"
#include "text_order.h"
#include "util_system.h"

#include <QTextBoundaryFinder>

namespace {

// One user-perceived character: a letter, one ideograph, or a base letter with its marks.
QString firstCharacter(const QString &name)
{
    if (name.isEmpty())
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    const qsizetype end = finder.toNextBoundary();
    return end > 0 ? name.left(end) : name.left(1);
}

int compareNumbers(qint64 a, qint64 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

bool FileItem::sortPredicate(const FileItem &a, const FileItem &b, const QString &orderBy, const QString &direction)
{
    const SortOrder order = SortOrder::from(orderBy, direction);
    int key = 0;
    switch (order.key) {
    case SortOrder::Key::None:
        return false;
    case SortOrder::Key::Name:
        key = TextOrder::compareCanonical(a.name, b.name);
        break;
    case SortOrder::Key::CreatedTime:
        key = compareNumbers(a.createdTime, b.createdTime);
        break;
    case SortOrder::Key::Ext:
        key = TextOrder::compareCanonical(a.ext, b.ext);
        break;
    case SortOrder::Key::Size:
        key = compareNumbers(a.size, b.size);
        break;
    }
    return order.ascending ? key < 0 : key > 0;
}

FileItem FileItem::listedItem(const QString &dir, const FolderEntry &entry, qint64 assetIndex)
{
    FileItem item;
    item.fullPath = UtilSystem::pathJoin(dir, entry.name);
    item.assetIndex = assetIndex;
    item.name = UtilSystem::getFileName(item.fullPath);
    item.isDir = entry.isDir;
    if (entry.isDir) {
        item.size = 0;
        // Asked now, for the entries of a page only: a listing can hold many folders.
        item.isEmpty = !FolderReader::hasVisibleEntries(item.fullPath);
        item.iconData = QStringLiteral("/resource/folder.png");
        item.iconDefault = item.iconData;
        item.iconDefaultSmall = QStringLiteral("/resource/folder16.png");
    } else {
        item.size = entry.size;
        item.isEmpty = entry.size == 0;
        item.iconData = QStringLiteral("/resource/file.png");
        item.iconDefault = item.iconData;
        item.iconDefaultSmall = QStringLiteral("/resource/file16.png");
        item.ext = UtilSystem::getFileExt(item.fullPath);
        item.typeDesection = item.ext;
        item.iPreview = 2;
    }
    item.createdTime = entry.createdTime;
    item.isHidden = false;
    item.isReadonly = false;
    item.isSystem = false;
    item.iChildDirCount = -1;
    item.iChildFileCount = -1;
    item.viewCount = 0;
    item.iValid = 1;
    item.tagPY = firstCharacter(item.name);
    return item;
}

std::vector<FileItem> FileItem::listLocalDirectory(const QString &dir, const QStringList &names)
{
    std::vector<FileItem> items;
    items.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        FolderEntry entry = FolderReader::entryAt(UtilSystem::pathJoin(dir, names[i]));
        entry.name = names[i];
        items.push_back(listedItem(dir, entry, i));
    }
    return items;
}
