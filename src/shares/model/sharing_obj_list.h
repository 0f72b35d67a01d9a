#pragma once

#include "sharing_obj.h"

#include <QList>
#include <QObject>
#include <QString>

// The account's shares as the main window holds them for the whole run, in the store's order.
// Reloads replace the whole list; setDefault and remove change the list and the store together.
class SharingObjList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SharingObjList)

public:
    explicit SharingObjList(QObject *parent = nullptr);

    const QList<SharingObjPtr> &items() const { return m_items; }
    // Replaces the list, typically with a fresh LocalShare_List answer.
    void setItems(QList<SharingObjPtr> items);

    // Makes the item whose tag is exactly tag the default and clears the flag on every other item;
    // the store is told only when such an item exists. The store's answer, or false without one.
    bool setDefault(const QString &tag);
    // The same in memory only, for a share already stored as the default: whether an item has the tag.
    bool markDefault(const QString &tag);

    // Deletes the share from the store and drops the first item whose tag is exactly tag.
    bool remove(const QString &tag);

signals:
    void itemsChanged();

private:
    QList<SharingObjPtr> m_items;
};
