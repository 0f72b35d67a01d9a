#pragma once

#include <QString>

// Where the remote browser stands in a folder of total entries cut into pages of pageSize: page
// numbers count from 1, and a folder without entries has no pages (page 1 is still asked for and
// comes back empty).
class RemoteFilePaging final
{
public:
    // The page size the count probe announces; pages are asked for with the same.
    static constexpr int defaultPageSize = 50;

    explicit RemoteFilePaging(int pageSize = defaultPageSize);

    int pageSize() const { return m_pageSize; }
    qint64 total() const { return m_total; }
    qint64 pageIndex() const { return m_pageIndex; }
    // The fewest pages that hold every entry; 0 without entries.
    qint64 pageCount() const;

    // A new count: the page number is kept where it still exists, else the last page is taken.
    void setTotal(qint64 total);
    // Reads a page answer's "total|pages"; false (nothing changed) when the text is not that.
    bool setPageInfo(const QString &pageInfo);
    // Back to the first page of a folder whose count is not known yet.
    void reset();

    bool hasPrevious() const { return m_pageIndex > 1; }
    bool hasNext() const { return m_pageIndex < pageCount(); }
    // Moves to a page; a number outside 1..pageCount (1 when there are no pages) is refused.
    bool goTo(qint64 pageIndex);

    // Positions, counted from 1, of the first and last entry of the page; both 0 without entries.
    qint64 firstRow() const;
    qint64 lastRow() const;

private:
    int m_pageSize;
    qint64 m_total = 0;
    qint64 m_pageIndex = 1;
};
