#pragma once

#include <QQueue>
#include <QSet>
#include <QString>

// The last few thousand tokens seen, oldest forgotten first.
class RecentTokens final
{
public:
    explicit RecentTokens(qsizetype capacity = 4096) : m_capacity(capacity) {}

    bool contains(const QString &token) const { return m_set.contains(token); }
    void insert(const QString &token);

private:
    qsizetype m_capacity;
    QSet<QString> m_set;
    QQueue<QString> m_order;
};
