#include "file_list_pager.h"

#include "file_item.h"
#include "folder_listing_cache.h"

#include <algorithm>

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

void FileItem::buildFileList(const QString &dir, const QString &filter, const QString &orderBy, qint64 pageIndex,
                             qint64 pageSize, qint64 probeCount, bool includeDirs, bool includeFiles,
                             const std::function<void(const FileListResult &)> &completion,
                             const std::function<QSet<QString>(const FolderListing &)> &leaveOut)
{
    FileListResult result;
    ListingRequest request;
    request.filter = filter;
    request.includeDirs = includeDirs;
    request.includeFiles = includeFiles;

    request.order = SortOrder::fromSpec(orderBy);
    // A count is taken from the same sorted rows that the page requests of the visit then reuse;
    // the order does not change it.
    const auto listing = FolderListingCache::shared().listing(dir);
    // Decided on this very reading, so an entry that appears later cannot slip past.
    if (leaveOut)
        request.leftOut = leaveOut(*listing);
    const auto view = FolderListingCache::shared().view(listing, request);
    const qint64 total = qint64(view->rows.size());
    if (probeCount == 1) {
        result.index = QString::number(total);
        completion(result);
        return;
    }

    const PageSlice slice = PageSlice::of(total, pageIndex, pageSize);
    result.pageInfo = QString::number(total) + u'|' + QString::number(slice.pageCount);
    result.items.reserve(size_t(slice.count));
    for (qint64 i = slice.start; i < slice.start + slice.count; ++i) {
        const ListingView::Row &row = view->rows[size_t(i)];
        result.items.push_back(listedItem(listing->dir, listing->entries[row.entry], row.assetIndex));
    }
    completion(result);
}
