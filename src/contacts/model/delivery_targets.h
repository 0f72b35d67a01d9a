#pragma once

#include <QString>
#include <QStringList>

// The files and folders a user chose to send, as the offer and the upload request describe them.
namespace DeliveryTargets {

// What the receiver reads in the offer: the one name, or the number of items and their first
// names ("3 items: a.txt, photos, b.pdf").
QString summary(const QStringList &paths);

// The folder that holds every target, so that each keeps its own name below the receiver's
// folder; "" when they lie in different folders.
QString localRoot(const QStringList &paths);

// Adds the "|"-joined paths of an open panel to chosen, skipping duplicates; the new list.
QStringList merged(const QStringList &chosen, const QString &joinedPaths);

} // namespace DeliveryTargets
