#include "remote_file_paging.h"

#include <QStringList>

#include <algorithm>

RemoteFilePaging::RemoteFilePaging(int pageSize) : m_pageSize(std::max(1, pageSize)) {}

qint64 RemoteFilePaging::pageCount() const
{
    return m_total / m_pageSize + (m_total % m_pageSize ? 1 : 0);
}

void RemoteFilePaging::setTotal(qint64 total)
{
    m_total = std::max<qint64>(0, total);
    m_pageIndex = std::clamp<qint64>(m_pageIndex, 1, std::max<qint64>(1, pageCount()));
}

bool RemoteFilePaging::setPageInfo(const QString &pageInfo)
{
    const QStringList parts = pageInfo.split(u'|');
    if (parts.size() != 2)
        return false;
    bool isNumber = false;
    const qint64 total = parts.first().toLongLong(&isNumber);
    if (!isNumber || total < 0)
        return false;
    setTotal(total);
    return true;
}

void RemoteFilePaging::reset()
{
    m_total = 0;
    m_pageIndex = 1;
}

bool RemoteFilePaging::goTo(qint64 pageIndex)
{
    if (pageIndex < 1 || pageIndex > std::max<qint64>(1, pageCount()))
        return false;
    m_pageIndex = pageIndex;
    return true;
}

qint64 RemoteFilePaging::firstRow() const
{
    return m_total == 0 ? 0 : (m_pageIndex - 1) * m_pageSize + 1;
}

qint64 RemoteFilePaging::lastRow() const
{
    if (m_total == 0)
        return 0;
    // Written so that no step passes the total: a peer may announce any count.
    const qint64 before = (m_pageIndex - 1) * m_pageSize;
    return before + std::min<qint64>(m_pageSize, m_total - before);
}
