#include "file_list_pager.h"

#include "file_item.h"
#include "folder_listing.h"
#include "folder_listing_cache.h"
#include "util_system.h"

#include <algorithm>
#include <optional>

PageSlice PageSlice::of(qint64 total, qint64 pageIndex, qint64 pageSize)
{
    PageSlice slice;
    if (total <= 0 || pageSize < 1)
        return slice;
    slice.pageCount = total / pageSize + (total % pageSize != 0 ? 1 : 0);
    if (pageIndex < 1 || pageIndex > slice.pageCount)
        return slice;
    // pageIndex <= pageCount, so start < total and the product cannot overflow.
    slice.start = (pageIndex - 1) * pageSize;
    slice.count = std::min(pageSize, total - slice.start);
    return slice;
}

namespace {

using LeaveOut = std::function<QSet<QString>(const FolderListing &)>;

// The rows a request selects from one reading of the folder.
struct Selection
{
    FolderListingCache::Reading reading;
    std::shared_ptr<const ListingView> view;
};

Selection select(const QString &dir, FolderListingCache::Use use, ListingRequest request, const LeaveOut &leaveOut)
{
    FolderListingCache &cache = FolderListingCache::shared();
    Selection selection{cache.reading(dir, use), nullptr};
    // Decided on this very reading, so an entry that appears later cannot slip past.
    if (leaveOut)
        request.leftOut = leaveOut(*selection.reading.listing);
    selection.view = cache.view(selection.reading.listing, request);
    return selection;
}

// The entries of the page as the reading has them.
std::vector<FolderEntry> entriesAsRead(const Selection &selection, const PageSlice &slice)
{
    std::vector<FolderEntry> entries;
    entries.reserve(size_t(slice.count));
    for (qint64 i = slice.start; i < slice.start + slice.count; ++i)
        entries.push_back(selection.reading.listing->entries[selection.view->rows[size_t(i)].entry]);
    return entries;
}

// The entries of the page as the disk has them now; nullopt when one of them no longer belongs
// where the reading put it, so the order has to be made anew.
std::optional<std::vector<FolderEntry>> entriesNow(const Selection &selection, const PageSlice &slice, SortOrder order)
{
    const FolderListing &listing = *selection.reading.listing;
    std::vector<FolderEntry> entries = entriesAsRead(selection, slice);
    for (FolderEntry &entry : entries) {
        FolderEntry now = FolderReader::entryAt(UtilSystem::pathJoin(listing.dir, entry.name));
        if (!ListingViews::keepsPlace(entry, now, order))
            return std::nullopt;
        entry.size = now.size;
        entry.createdTime = now.createdTime;
    }
    return entries;
}

} // namespace

void FileItem::buildFileList(const QString &dir, const QString &filter, const QString &orderBy, qint64 pageIndex,
                             qint64 pageSize, qint64 probeCount, bool includeDirs, bool includeFiles,
                             const std::function<void(const FileListResult &)> &completion, const LeaveOut &leaveOut)
{
    using Use = FolderListingCache::Use;
    FileListResult result;
    ListingRequest request;
    request.filter = filter;
    request.includeDirs = includeDirs;
    request.includeFiles = includeFiles;
    request.order = SortOrder::fromSpec(orderBy);

    // A count reads the folder anew; the order does not change it, and the sorted rows it leaves
    // serve the pages of the visit that follow where their order lets them reuse a reading.
    if (probeCount == 1) {
        const Selection selection = select(dir, Use::ReadAnew, request, leaveOut);
        result.index = QString::number(selection.view->rows.size());
        completion(result);
        return;
    }

    // A page shows nothing older than itself. In an order by size or time any entry of the folder
    // may have moved since the last reading without the folder changing, so such a page reads it
    // anew. In other orders a page may take its names and their order from an earlier reading;
    // its own entries are looked at again for the facts it shows, and the folder is read anew
    // when one of them is no longer of its kind (the cache sees to the links off the page).
    const Use use = request.order.keyChangesInPlace() ? Use::ReadAnew : Use::ReuseWhileSameNames;
    Selection selection = select(dir, use, request, leaveOut);
    PageSlice slice = PageSlice::of(qint64(selection.view->rows.size()), pageIndex, pageSize);
    std::optional<std::vector<FolderEntry>> entries;
    if (selection.reading.takenNow)
        entries = entriesAsRead(selection, slice);
    else
        entries = entriesNow(selection, slice, request.order);
    if (!entries) {
        selection = select(dir, Use::ReadAnew, request, leaveOut);
        slice = PageSlice::of(qint64(selection.view->rows.size()), pageIndex, pageSize);
        entries = entriesAsRead(selection, slice);
    }

    const qint64 total = qint64(selection.view->rows.size());
    result.pageInfo = QString::number(total) + u'|' + QString::number(slice.pageCount);
    result.items.reserve(entries->size());
    for (size_t i = 0; i < entries->size(); ++i) {
        const ListingView::Row &row = selection.view->rows[size_t(slice.start) + i];
        result.items.push_back(listedItem(dir, (*entries)[i], row.assetIndex));
    }
    completion(result);
}
