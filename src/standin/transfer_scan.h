#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// One thing to copy: a file or folder on this machine and where it goes below the destination.
struct TransferSource
{
    QString path;
    // Components below the destination folder; the first is the top-level name.
    QStringList target;
    // Sources of one group share their top-level item (a delivery lists a folder and its files).
    int group = 0;
};

// One file or folder found by the scan.
struct TransferEntry
{
    QString source;
    QStringList target;
    bool isDir = false;
    qint64 size = 0;
    // The group of the source it came from.
    int group = 0;
};

struct TransferScan
{
    std::vector<TransferEntry> entries;
    int fileCount = 0;
    qint64 totalBytes = 0;
    int skipped = 0;
    QStringList missing;
    bool stopped = false;
    bool tooMany = false;
};

// The "|"-joined targets, each an existing absolute path of this machine, as sources. Below
// localRoot a target keeps its path relative to it; otherwise (or with no root) it goes to the top
// level under its own name. False, and why, for a target that is missing or not a local path.
bool sourcesFromTargets(const QString &targets, const QString &localRoot, std::vector<TransferSource> *sources,
                        QString *why);

// Lists what the sources hold, folders before their contents, each target once. A source that
// is a link is followed (the user chose it); links and special files inside folders are skipped
// (copying them could loop or block). stop is looked at between entries.
TransferScan scanSources(const std::vector<TransferSource> &sources, const std::atomic_bool &stop,
                         std::size_t maxEntries = 1'000'000);
