#pragma once

#include "folder_listing.h"
#include "listing_view.h"

#include <QMutex>
#include <QString>

#include <chrono>
#include <map>
#include <memory>
#include <vector>

// A peer's visit to a folder is a count, then a page, then more pages: each is a request of its
// own. Reading and sorting a large folder for each of them would cost the same work again and
// again, so one reading of an unchanged folder is reused for a few seconds. A folder counts as
// unchanged while its identity and modification time stay the same; a reading taken while the
// folder was being changed is never reused. Safe to use from any thread.
class FolderListingCache final
{
public:
    FolderListingCache() = default;
    Q_DISABLE_COPY_MOVE(FolderListingCache)

    // The one the file lists use.
    static FolderListingCache &shared();

    // The listing of dir: the reused one while it is fresh, else a new reading.
    std::shared_ptr<const FolderListing> listing(const QString &dir);

    // The rows that request selects from listing, sorted; reused with the listing.
    std::shared_ptr<const ListingView> view(const std::shared_ptr<const FolderListing> &listing,
                                            const ListingRequest &request);

    // How long a reading may be reused; zero turns reuse off.
    void setMaxAge(std::chrono::milliseconds maxAge);
    void clear();

private:
    struct FolderStamp
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 mtimeSeconds = 0;
        qint64 mtimeNanoseconds = 0;
        bool operator==(const FolderStamp &) const = default;
    };

    struct Slot
    {
        QString dir;
        FolderStamp stamp;
        std::chrono::steady_clock::time_point readAt;
        std::shared_ptr<const FolderListing> listing;
        std::map<QString, std::shared_ptr<const ListingView>> views;
    };

    static bool stampOf(const QString &dir, FolderStamp &stamp);
    void dropStale(std::chrono::steady_clock::time_point now);
    void store(Slot slot);

    QMutex m_mutex;
    std::vector<Slot> m_slots;
    std::chrono::milliseconds m_maxAge{5000};
};
