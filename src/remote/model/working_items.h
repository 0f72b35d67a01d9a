#pragma once

#include "control_payloads.h"

#include <QStringList>

#include <atomic>
#include <vector>

// One WorkingItem per local path chosen for a transfer: its size (a folder's is the sum of the
// files below it; links are not followed), whether it is a folder, and where it goes on the peer:
// the path's name below remoteRoot, in remoteRoot's separator style. Paths that no longer exist are
// left out. Reads the disk: call it off the GUI thread for folders of unknown size. stop, when
// set, ends the walk early with the sizes counted so far.
std::vector<WorkingItem> workingItemsFor(const QStringList &localPaths, const QString &remoteRoot,
                                         const std::atomic_bool *stop = nullptr);

qint64 totalSize(const std::vector<WorkingItem> &items);
