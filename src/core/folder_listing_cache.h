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
// own. Reading and sorting a large folder for each page would cost the same work again and again,
// so a count reads the folder anew and the pages after it may reuse that reading for a few
// seconds, for which names there are and their order, while the folder's identity and status
// change time show that it holds the same names. An entry edited in place leaves the folder as
// it was, so the facts a page shows, and any order by them, are its caller's to look at again.
// A link's target may become a folder, or stop being one, with the folder unchanged too; since
// folders come first in every order, a reading is reused only while each of its links still leads
// to what it led to. A reading taken while the folder was being changed is never reused. Safe to
// use from any thread.
class FolderListingCache final
{
public:
    FolderListingCache() = default;
    Q_DISABLE_COPY_MOVE(FolderListingCache)

    // The one the file lists use.
    static FolderListingCache &shared();

    enum class Use { ReadAnew, ReuseWhileSameNames };

    struct Reading
    {
        std::shared_ptr<const FolderListing> listing;
        bool takenNow = false; // read by this call, not kept from an earlier one
    };

    // A reading of dir: always a new one for ReadAnew (kept for the requests that follow),
    // the kept one while it is fresh for ReuseWhileSameNames.
    Reading reading(const QString &dir, Use use);

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
        // The status change time: it moves whenever the names or the permissions change, and
        // unlike the modification time it cannot be set back.
        qint64 ctimeSeconds = 0;
        qint64 ctimeNanoseconds = 0;
        bool operator==(const FolderStamp &) const = default;
    };

    struct Slot
    {
        QString dir;
        FolderStamp stamp;
        std::chrono::steady_clock::time_point readAt;
        std::shared_ptr<const FolderListing> listing;
        // The listing's entries that are links, by index.
        std::shared_ptr<const std::vector<quint32>> links;
        std::map<QString, std::shared_ptr<const ListingView>> views;
    };

    static bool stampOf(const QString &dir, FolderStamp &stamp);
    static std::vector<quint32> linksOf(const FolderListing &listing);
    static bool linksKeepTheirKind(const FolderListing &listing, const std::vector<quint32> &links);
    void dropStale(std::chrono::steady_clock::time_point now);
    void store(Slot slot);

    QMutex m_mutex;
    std::vector<Slot> m_slots;
    std::chrono::milliseconds m_maxAge{5000};
};
