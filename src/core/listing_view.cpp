#include "listing_view.h"

#include "folder_listing.h"
#include "text_order.h"
#include "util_system.h"

#include <algorithm>

namespace {

// Marks the entries whose names pass the filter, with the same test as UtilSystem::filterNames.
std::vector<bool> passesFilter(const FolderListing &listing, const QString &filter)
{
    std::vector<bool> keep(listing.entries.size(), true);
    if (filter.isEmpty())
        return keep;
    QStringList names;
    names.reserve(qsizetype(listing.entries.size()));
    for (const FolderEntry &entry : listing.entries)
        names.append(entry.name);
    // filterNames keeps the names in order, so one walk pairs every kept name with its entry.
    const QStringList kept = UtilSystem::filterNames(names, filter);
    qsizetype next = 0;
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        keep[i] = next < kept.size() && kept[next] == listing.entries[i].name;
        if (keep[i])
            ++next;
    }
    return keep;
}

bool wanted(const FolderEntry &entry, const ListingRequest &request)
{
    return entry.isDir ? request.includeDirs : request.includeFiles;
}

struct SortRow
{
    QStringView name; // canonical form
    QStringView ext;  // canonical form
    qint64 number = 0;
    ListingView::Row row{};
};

class GroupSorter final
{
public:
    GroupSorter(const FolderListing &listing, SortOrder order) : m_listing(listing), m_order(order) {}

    void sort(std::vector<ListingView::Row> &group)
    {
        std::vector<SortRow> rows;
        rows.reserve(group.size());
        m_owned.clear();
        for (const ListingView::Row &row : group)
            rows.push_back(sortRow(row));
        std::sort(rows.begin(), rows.end(), [this](const SortRow &a, const SortRow &b) { return before(a, b); });
        for (size_t i = 0; i < rows.size(); ++i)
            group[i] = rows[i].row;
    }

private:
    // A view of the canonical form of a text that outlives the sort.
    QStringView lasting(const QString &text)
    {
        QString composed = TextOrder::canonical(text);
        if (composed.constData() == text.constData())
            return text;
        m_owned.push_back(std::move(composed));
        return m_owned.back();
    }

    QStringView owned(QString text)
    {
        m_owned.push_back(TextOrder::canonical(text));
        return m_owned.back();
    }

    SortRow sortRow(const ListingView::Row &row)
    {
        const FolderEntry &entry = m_listing.entries[row.entry];
        SortRow sortRow;
        sortRow.row = row;
        sortRow.name = lasting(entry.name);
        switch (m_order.key) {
        case SortOrder::Key::CreatedTime:
            sortRow.number = entry.createdTime;
            break;
        case SortOrder::Key::Size:
            sortRow.number = entry.size;
            break;
        case SortOrder::Key::Ext:
            // Folders keep the record's empty extension.
            if (!entry.isDir)
                sortRow.ext = owned(FolderReader::extensionOf(m_listing.dir, entry.name));
            break;
        default:
            break;
        }
        return sortRow;
    }

    int compareKey(const SortRow &a, const SortRow &b) const
    {
        switch (m_order.key) {
        case SortOrder::Key::Name:
            return TextOrder::compareCodePoints(a.name, b.name);
        case SortOrder::Key::Ext:
            return TextOrder::compareCodePoints(a.ext, b.ext);
        case SortOrder::Key::CreatedTime:
        case SortOrder::Key::Size:
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        case SortOrder::Key::None:
            break;
        }
        return 0;
    }

    bool before(const SortRow &a, const SortRow &b) const
    {
        const int key = compareKey(a, b);
        if (key != 0)
            return m_order.ascending ? key < 0 : key > 0;
        const int name = TextOrder::compareCodePoints(a.name, b.name);
        if (name != 0)
            return name < 0;
        return a.row.assetIndex < b.row.assetIndex;
    }

    const FolderListing &m_listing;
    SortOrder m_order;
    std::vector<QString> m_owned; // views point at the texts' data, which moves with them
};

} // namespace

SortOrder SortOrder::from(const QString &orderBy, const QString &direction)
{
    SortOrder order;
    if (orderBy.isEmpty() || direction.isEmpty())
        return order;
    if (orderBy == u"0")
        order.key = Key::Name;
    else if (orderBy == u"1")
        order.key = Key::CreatedTime;
    else if (orderBy == u"2")
        order.key = Key::Ext;
    else if (orderBy == u"3")
        order.key = Key::Size;
    order.ascending = direction == u"1";
    return order;
}

SortOrder SortOrder::fromSpec(const QString &spec)
{
    const QStringList parts = (spec.isEmpty() ? QStringLiteral("0,1") : spec).split(u',');
    if (parts.size() != 2)
        return {};
    return from(parts[0], parts[1]);
}

QString ListingRequest::cacheKey() const
{
    QString key = QStringLiteral("%1|%2|%3%4|").arg(int(order.key)).arg(int(order.ascending)).arg(int(includeDirs)).arg(int(includeFiles));
    // Each name left out ends with a "/", which no name holds, and an empty one ends the list, so
    // no filter text can make two requests look alike.
    QStringList names(leftOut.begin(), leftOut.end());
    names.sort();
    for (const QString &name : std::as_const(names))
        key += name + u'/';
    return key + u'/' + filter;
}

ListingView ListingViews::make(const FolderListing &listing, const ListingRequest &request)
{
    const std::vector<bool> keep = passesFilter(listing, request.filter);
    std::vector<ListingView::Row> folders;
    std::vector<ListingView::Row> files;
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const FolderEntry &entry = listing.entries[i];
        if (!keep[i] || !wanted(entry, request) || request.leftOut.contains(entry.name))
            continue;
        std::vector<ListingView::Row> &group = entry.isDir ? folders : files;
        group.push_back({quint32(i), quint32(group.size())});
    }
    GroupSorter sorter(listing, request.order);
    sorter.sort(folders);
    sorter.sort(files);
    ListingView view;
    view.rows = std::move(folders);
    view.rows.insert(view.rows.end(), files.begin(), files.end());
    return view;
}

bool ListingViews::keepsPlace(const FolderEntry &was, const FolderEntry &now, SortOrder order)
{
    if (was.isDir != now.isDir)
        return false;
    switch (order.key) {
    case SortOrder::Key::Size:
        return was.size == now.size;
    case SortOrder::Key::CreatedTime:
        return was.createdTime == now.createdTime;
    case SortOrder::Key::Name:
    case SortOrder::Key::Ext:
    case SortOrder::Key::None:
        break;
    }
    // The name decides these orders, and an entry keeps its name.
    return true;
}
