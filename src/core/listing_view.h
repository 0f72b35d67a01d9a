#pragma once

#include <QSet>
#include <QString>

#include <vector>

struct FolderEntry;
struct FolderListing;

// A sort request of a file list: the key codes "0" name, "1" creation time, "2" extension and
// "3" size; direction "1" ascending and any other non-empty text descending.
struct SortOrder
{
    enum class Key { None, Name, CreatedTime, Ext, Size };
    Key key = Key::None;
    bool ascending = true;

    // Key code and direction given apart; empty or unknown texts give no key.
    static SortOrder from(const QString &orderBy, const QString &direction);
    // "key,direction" as a peer sends it; empty means "0,1"; any other number of parts no key.
    static SortOrder fromSpec(const QString &spec);

    // Whether an entry's key can change while the folder keeps its names: sizes and times change
    // when a file is written in place; names and extensions only with the folder.
    bool keyChangesInPlace() const { return key == Key::Size || key == Key::CreatedTime; }
};

// What a page request selects from a listing.
struct ListingRequest
{
    QString filter; // names containing it, ignoring case; empty keeps all
    SortOrder order;
    bool includeDirs = true;
    bool includeFiles = true;
    // Names of entries never to show, whatever else the request selects (links a peer may not
    // follow, shares it may not open).
    QSet<QString> leftOut;

    // Identifies requests that select the same rows in the same order.
    QString cacheKey() const;
};

// The entries a request selects, folders first, each group sorted. assetIndex is an entry's
// position in its group before sorting, as the listing of that group's names numbers it.
struct ListingView
{
    struct Row
    {
        quint32 entry;
        quint32 assetIndex;
    };
    std::vector<Row> rows;
};

namespace ListingViews {

// The selected rows, folders first. Equal keys (and no key) fall back to the name ascending,
// then to the order the folder gave, so pages never overlap or skip.
ListingView make(const FolderListing &listing, const ListingRequest &request);

// Whether an entry whose facts went from was to now keeps its place among rows sorted by order:
// it is still of its kind (folders come first) and, in a size or time order, its key is the same.
bool keepsPlace(const FolderEntry &was, const FolderEntry &now, SortOrder order);

} // namespace ListingViews
