#include "folder_listing_cache.h"

#include "util_system.h"

#include <QFile>
#include <QMutexLocker>

#include <algorithm>
#include <ctime>
#include <sys/stat.h>

namespace {

// Bounds on what is kept: a few folders, and not more entries than a few large ones hold.
constexpr size_t maxFolders = 8;
constexpr size_t maxEntries = 1'000'000;
constexpr size_t maxViewsPerFolder = 8;

// File times come from a clock that may lag the real one by a tick. A folder changed this close
// to the start of a reading may change again without its time moving, so such a reading is not
// kept.
constexpr qint64 racyWindowNanoseconds = 50'000'000;

qint64 realtimeNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

FolderListingCache &FolderListingCache::shared()
{
    static FolderListingCache cache;
    return cache;
}

bool FolderListingCache::stampOf(const QString &dir, FolderStamp &stamp)
{
    struct stat st;
    if (dir.isEmpty() || stat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    stamp = {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)};
    return true;
}

std::vector<quint32> FolderListingCache::linksOf(const FolderListing &listing)
{
    std::vector<quint32> links;
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        if (listing.entries[i].isLink)
            links.push_back(quint32(i));
    }
    return links;
}

bool FolderListingCache::linksKeepTheirKind(const FolderListing &listing, const std::vector<quint32> &links)
{
    return std::all_of(links.begin(), links.end(), [&](quint32 index) {
        const FolderEntry &entry = listing.entries[index];
        return FolderReader::listsAsFolder(UtilSystem::pathJoin(listing.dir, entry.name)) == entry.isDir;
    });
}

FolderListingCache::Reading FolderListingCache::reading(const QString &dir, Use use)
{
    const auto now = std::chrono::steady_clock::now();
    FolderStamp before;
    const bool stamped = stampOf(dir, before);
    std::chrono::milliseconds maxAge{};
    std::shared_ptr<const FolderListing> kept;
    std::shared_ptr<const std::vector<quint32>> keptLinks;
    {
        QMutexLocker lock(&m_mutex);
        dropStale(now);
        maxAge = m_maxAge;
        if (stamped && use == Use::ReuseWhileSameNames) {
            for (const Slot &slot : m_slots) {
                if (slot.dir == dir && slot.stamp == before) {
                    kept = slot.listing;
                    keptLinks = slot.links;
                    break;
                }
            }
        }
    }
    // Looked at without the lock: a folder may hold many links.
    if (kept && linksKeepTheirKind(*kept, *keptLinks))
        return {kept, false};

    const qint64 readStart = realtimeNanoseconds();
    auto listing = std::make_shared<const FolderListing>(FolderReader::read(dir));
    FolderStamp after;
    const qint64 changedAt = before.ctimeSeconds * 1'000'000'000 + before.ctimeNanoseconds;
    const bool reusable = stamped && listing->readable && maxAge.count() > 0 && stampOf(dir, after)
                          && after == before && changedAt < readStart - racyWindowNanoseconds;
    if (reusable) {
        Slot slot;
        slot.dir = dir;
        slot.stamp = before;
        slot.readAt = now;
        slot.listing = listing;
        slot.links = std::make_shared<const std::vector<quint32>>(linksOf(*listing));
        QMutexLocker lock(&m_mutex);
        store(std::move(slot));
    }
    return {listing, true};
}

std::shared_ptr<const ListingView> FolderListingCache::view(const std::shared_ptr<const FolderListing> &listing,
                                                            const ListingRequest &request)
{
    const QString key = request.cacheKey();
    auto slotOf = [&]() -> Slot * {
        for (Slot &slot : m_slots) {
            if (slot.listing == listing)
                return &slot;
        }
        return nullptr;
    };
    {
        QMutexLocker lock(&m_mutex);
        if (Slot *slot = slotOf()) {
            const auto found = slot->views.find(key);
            if (found != slot->views.end())
                return found->second;
        }
    }
    auto view = std::make_shared<const ListingView>(ListingViews::make(*listing, request));
    QMutexLocker lock(&m_mutex);
    if (Slot *slot = slotOf()) {
        if (slot->views.size() >= maxViewsPerFolder)
            slot->views.clear();
        slot->views[key] = view;
    }
    return view;
}

void FolderListingCache::setMaxAge(std::chrono::milliseconds maxAge)
{
    QMutexLocker lock(&m_mutex);
    m_maxAge = maxAge;
    m_slots.clear();
}

void FolderListingCache::clear()
{
    QMutexLocker lock(&m_mutex);
    m_slots.clear();
}

void FolderListingCache::dropStale(std::chrono::steady_clock::time_point now)
{
    std::erase_if(m_slots, [&](const Slot &slot) { return now - slot.readAt >= m_maxAge; });
}

void FolderListingCache::store(Slot slot)
{
    std::erase_if(m_slots, [&](const Slot &kept) { return kept.dir == slot.dir; });
    m_slots.push_back(std::move(slot));
    // The newest reading always stays; older ones go first when the bounds are passed.
    auto entriesKept = [this] {
        size_t total = 0;
        for (const Slot &kept : m_slots)
            total += kept.listing->entries.size();
        return total;
    };
    while (m_slots.size() > 1 && (m_slots.size() > maxFolders || entriesKept() > maxEntries)) {
        const auto oldest = std::min_element(m_slots.begin(), m_slots.end() - 1,
                                             [](const Slot &a, const Slot &b) { return a.readAt < b.readAt; });
        m_slots.erase(oldest);
    }
}
