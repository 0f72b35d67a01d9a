#include "recent_tokens.h"

void RecentTokens::insert(const QString &token)
{
    if (token.isEmpty() || m_set.contains(token))
        return;
    m_set.insert(token);
    m_order.enqueue(token);
    while (m_order.size() > m_capacity)
        m_set.remove(m_order.dequeue());
}
