#pragma once

#include "qel_json.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <vector>

struct FolderEntry;
struct FolderListing;
struct FileListResult;

// One row of a file list, local or remote. Listed entries have iValid 1; a fresh record has 2.
// Everything here is safe to call from worker threads.
struct FileItem
{
    QUuid id = QUuid::createUuid(); // identity for views; never written to JSON
    QString name;
    QString nameNew;
    QString nameOld;
    QString fullPath;
    QString iconData;
    QString iconDefault;
    QString iconDefaultSmall;
    QString typeDesection;
    QString extendInfo;
    qint64 size = 0;
    bool isDir = false;
    bool isEmpty = false;
    bool isHidden = false;
    bool isReadonly = false;
    bool isSystem = false;
    bool isInCut = false;
    bool isInCopy = false;
    qint64 createdTime = 0; // milliseconds
    qint64 modifiedTime = 0;
    qint64 accessedTime = 0;
    qint64 iChildDirCount = 0;
    qint64 iChildFileCount = 0;
    bool isChecked = false;
    qint64 isHasSubDir = 0;
    qint64 isHasSubFile = 0;
    QString tagPY;
    qint64 tagSize = 0;
    qint64 tagMDate = 0;
    qint64 level = 0;
    bool isExpanded = false;
    qint64 iValid = 2;
    qint64 iPreview = 0;
    qint64 viewCount = 0;
    qint64 orderByID = 0;
    qint64 orderByCend = 0;
    qint64 assetIndex = 0;
    QString ext;

    QEL_JSON_FIELDS(FileItem, name, nameNew, nameOld, fullPath, iconData, iconDefault, iconDefaultSmall,
                    typeDesection, extendInfo, size, isDir, isEmpty, isHidden, isReadonly, isSystem, isInCut,
                    isInCopy, createdTime, modifiedTime, accessedTime, iChildDirCount, iChildFileCount,
                    isChecked, isHasSubDir, isHasSubFile, tagPY, tagSize, tagMDate, level, isExpanded, iValid,
                    iPreview, viewCount, orderByID, orderByCend, assetIndex, ext)

    // A record with the defaults and a fresh id.
    static FileItem init() { return FileItem(); }

    // Whether a belongs before b. orderBy "0" name, "1" createdTime, "2" ext, "3" size; direction
    // "1" ascending, any other non-empty text descending. No key (empty or unknown orderBy, empty
    // direction) and equal keys: false.
    static bool sortPredicate(const FileItem &a, const FileItem &b, const QString &orderBy,
                              const QString &direction);

    // One record per name, in the order of names: names are entries of the local folder dir.
    // Neither sorts nor filters; a name that does not exist lists as a file of size 0.
    static std::vector<FileItem> listLocalDirectory(const QString &dir, const QStringList &names);

    // The record of one entry read from folder dir; assetIndex is its position in its group.
    static FileItem listedItem(const QString &dir, const FolderEntry &entry, qint64 assetIndex);

    // Counts (probeCount 1) or pages (anything else) the folder dir, folders first. completion is
    // called exactly once, on this thread, before this returns. Every count reads the folder
    // anew, and a page shows its entries as they are at its own request. Pages outside 1..page
    // count and page sizes below 1 give an empty page with the usual page information. leaveOut,
    // when given, names the entries of the reading that neither count nor show.
    static void buildFileList(const QString &dir, const QString &filter, const QString &orderBy,
                              qint64 pageIndex, qint64 pageSize, qint64 probeCount, bool includeDirs,
                              bool includeFiles, const std::function<void(const FileListResult &)> &completion,
                              const std::function<QSet<QString>(const FolderListing &)> &leaveOut = {});

    // Makes thumbnails, 80 by 80 points at the main screen's scale, for the "path|index|..."
    // entries of the JSON array fileList on the worker pool and returns at once (called off the
    // GUI thread, the batch starts once the GUI thread has read the scale). completion gets the
    // JSON array of FileDynaReloadData exactly once, queued to context's thread (or on a worker
    // when context is null); it is dropped when context is destroyed first. Entries that are
    // missing, folders or malformed get no record, and a batch with none left, or text that is
    // not JSON, is answered with "[]".
    static void dynaReloadIcons(const QString &fileList, QObject *context,
                                std::function<void(const QString &answer)> completion);
};

// What buildFileList hands to its completion: in probe mode the count in index; in page mode the
// page information "total|pages" and the page's items.
struct FileListResult
{
    QString index;
    QString result = QStringLiteral("OK");
    QString pageInfo;
    std::vector<FileItem> items;
};
