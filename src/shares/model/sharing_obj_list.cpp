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
    bool result = false;
    // Copied: an observer of isDefaultChanged may store or reload while the walk goes on.
    const QList<SharingObjPtr> items = m_items;
    for (const SharingObjPtr &item : items) {
        if (item->tag() == tag) {
            item->setIsDefault(true);
            result = LocalShare_SetDefault(tag);
        } else {
            item->setIsDefault(false);
        }
    }
    return result;
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
