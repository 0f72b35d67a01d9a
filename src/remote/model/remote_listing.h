#pragma once

#include "file_item.h"
#include "lenient_json.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the peer's answer to "getShareInfo" says about the share behind a tag: its root and the
// rights it gives visitors.
struct RemoteShareInfo
{
    QString tag;
    QString path;
    QString ctime;
    bool isdir = true;
    bool isenabled = true;
    bool isupload = false;
    bool isdownload = true;
    bool isfiledel = false;

    // The first share of the answer's "data"; nothing when the peer sent none (no such share, or a
    // wrong access code: the peer does not tell them apart) or a share without a root.
    static std::optional<RemoteShareInfo> fromAnswer(const LenientJson &answer);
};

// The rows of a "getFileList" page answer ("data"), in the peer's order, each with its extension
// taken from its name (remoteExtension). Entries without a name or full path are left out.
QList<FileItem> remoteFileItems(const LenientJson &answer);

// The size in bytes that a "fileDownloadCheck" answer gives for a file; none unless the peer says
// it is a file ("valid" 1) and gives a whole number of 0 or more that a qint64 holds (a number, or
// a text of digits), so that a missing, made-up or rounded size is never shown as a size.
std::optional<qint64> remoteFileSize(const LenientJson &answer);

// The name the browser shows for an entry: the last piece of its full path, split on the peer's
// separator ("/" for a path that starts with one, "\" otherwise); the peer's name when that
// piece is empty.
QString remoteEntryName(const FileItem &item);

// An entry's extension in the browser: what follows the last "." of its name, in small letters.
// A name without a dot is its own extension; a name ending in "." has none.
QString remoteExtension(const QString &name);

// Files the browser asks the peer to draw a thumbnail of: png, jpg, gif, bmp and mp4 (the
// extension as remoteExtension gives it).
bool hasThumbnailExtension(const FileItem &item);

// One thumbnail of a "buildIcon2" answer: the row it belongs to and its PNG bytes (empty when the
// peer could not draw it).
struct RemoteIcon
{
    qint64 index = -1;
    QString fullPath;
    QByteArray png;
};

// The thumbnails of a "buildIcon2" answer, whose "data" is the JSON text of a list of records
// with "index", "fullPath" and "iconBase64" ("data:image/png;base64," and the bytes).
QList<RemoteIcon> remoteIcons(const LenientJson &answer);
