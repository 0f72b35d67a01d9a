#include "sharing_obj_list.h"

#include "local_share_store.h"

SharingObjList::SharingObjList(QObject *parent) : QObject(parent)
{
}

void SharingObjList::setItems(QList<SharingObjPtr> items)
{
    m_items = std::move(items);
    emit itemsChanged();
}

bool SharingObjList::setDefault(const QString &tag)
{
    return markDefault(tag) && LocalShare_SetDefault(tag);
}

bool SharingObjList::markDefault(const QString &tag)
{
    bool listed = false;
    // Copied: an observer of isDefaultChanged may store or reload while the walk goes on.
    const QList<SharingObjPtr> items = m_items;
    for (const SharingObjPtr &item : items) {
        const bool chosen = item->tag() == tag;
        listed = listed || chosen;
        item->setIsDefault(chosen);
    }
    return listed;
}

bool SharingObjList::remove(const QString &tag)
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i)->tag() != tag || !LocalShare_Delete(tag))
            continue;
        m_items.removeAt(i);
        emit itemsChanged();
        return true;
    }
    return false;
}
