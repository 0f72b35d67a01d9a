#pragma once

#include "qel_json.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// One icon of a "buildIcon2" answer. index is the asker's own number for the row, echoed back.
struct FileDynaReloadData
{
    QString fullPath;
    QString iconBase64;
    QString extendInfo;
    qint64 index = -1;
    bool isDir = false;
    bool isHasSubDir = false;
    bool isHasSubFile = false;
    qint64 size = 0;
    qint64 createdTime = 0;
    qint64 modifiedTime = 0;

    QEL_JSON_FIELDS(FileDynaReloadData, fullPath, iconBase64, extendInfo, index, isDir, isHasSubDir,
                    isHasSubFile, size, createdTime, modifiedTime)
};

// What precedes the Base64 text of every icon; alone, it stands for a failed thumbnail.
inline constexpr char iconDataUrlPrefix[] = "data:image/png;base64,";

// The PNG bytes of an image; empty for a null image or when encoding fails.
QByteArray pngData(const QImage &image);

// A thumbnail of the local file at path that fits in width by height points at scale device
// pixels per point, keeping its proportions and never enlarged. Images are scaled while they are
// decoded; mp4 videos give a frame from a tenth of the way in. A null image when the file cannot
// be read. Safe on any thread.
QImage makeFileThumbnail(const QString &path, qreal width, qreal height, qreal scale);
