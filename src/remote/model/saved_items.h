#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What a download put into its folder, read from the folder itself: the names in it before the
// download and after it tell which of the wanted items arrived, and under which name when theirs
// was taken (the bridge then saves "report (1).txt" beside "report.txt").
namespace SavedItems {

struct Item
{
    QString wanted;  // the item's own name
    QString savedAs; // the name it has in the folder
};

// The names of the entries of folder (hidden ones too, so nothing the download makes counts as new).
QSet<QString> namesIn(const QString &folder);

// The wanted names found among the names that came since before, each once, in wanted's order.
QList<Item> arrived(const QStringList &wanted, const QSet<QString> &before, const QSet<QString> &after);

} // namespace SavedItems
