#include "remote_listing.h"

#include "util_system.h"

#include <QStringList>

namespace {

const QString dataUrlPrefix = QStringLiteral("data:image/png;base64,");

} // namespace

std::optional<RemoteShareInfo> RemoteShareInfo::fromAnswer(const LenientJson &answer)
{
    const LenientJson share = answer["data"][0];
    if (!share.isObject() || share["path"].stringValue().isEmpty())
        return std::nullopt;
    RemoteShareInfo info;
    info.tag = share["tag"].stringValue();
    info.path = share["path"].stringValue();
    info.ctime = share["ctime"].stringValue();
    info.isdir = share["isdir"].intValue() != 0;
    info.isenabled = share["isenabled"].intValue() != 0;
    info.isupload = share["isupload"].intValue() != 0;
    info.isdownload = share["isdownload"].intValue() != 0;
    info.isfiledel = share["isfiledel"].intValue() != 0;
    return info;
}

QList<FileItem> remoteFileItems(const LenientJson &answer)
{
    const LenientJson rows = answer["data"];
    QList<FileItem> items;
    items.reserve(rows.count());
    for (qsizetype i = 0; i < rows.count(); ++i) {
        const LenientJson row = rows[i];
        FileItem item;
        item.name = row["name"].stringValue();
        item.fullPath = row["fullPath"].stringValue();
        if (item.name.isEmpty() || item.fullPath.isEmpty())
            continue;
        item.size = row["size"].int64Value();
        item.isDir = row["isDir"].boolValue();
        item.isEmpty = row["isEmpty"].boolValue();
        item.createdTime = row["createdTime"].int64Value();
        item.ext = remoteExtension(remoteEntryName(item));
        item.iValid = row["iValid"].int64Value();
        item.assetIndex = items.size();
        items.append(item);
    }
    return items;
}

std::optional<qint64> remoteFileSize(const LenientJson &answer)
{
    const LenientJson data = answer["data"];
    const LenientJson size = data["size"];
    bool isWhole = size.isNumber();
    // A text that holds a whole number counts as one, as everywhere a peer's number is read.
    if (size.isString())
        size.stringValue().toLongLong(&isWhole);
    if (data["valid"].intValue() != 1 || !isWhole || size.int64Value() < 0)
        return std::nullopt;
    return size.int64Value();
}

QString remoteEntryName(const FileItem &item)
{
    const QString sep = item.fullPath.startsWith(u'/') ? QStringLiteral("/") : QStringLiteral("\\");
    const QString name = lastComponent(sep, item.fullPath);
    return name.isEmpty() ? item.name : name;
}

QString remoteExtension(const QString &name)
{
    return lastComponent(QStringLiteral("."), name).toLower();
}

bool hasThumbnailExtension(const FileItem &item)
{
    static const QStringList extensions = {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("gif"),
                                           QStringLiteral("bmp"), QStringLiteral("mp4")};
    return !item.isDir && extensions.contains(item.ext);
}

QList<RemoteIcon> remoteIcons(const LenientJson &answer)
{
    const LenientJson records = LenientJson::parse(answer["data"].stringValue());
    QList<RemoteIcon> icons;
    for (qsizetype i = 0; i < records.count(); ++i) {
        const LenientJson record = records[i];
        RemoteIcon icon;
        icon.index = record["index"].int64Value();
        icon.fullPath = record["fullPath"].stringValue();
        const QString url = record["iconBase64"].stringValue();
        if (url.startsWith(dataUrlPrefix))
            icon.png = QByteArray::fromBase64(url.mid(dataUrlPrefix.size()).toLatin1());
        icons.append(icon);
    }
    return icons;
}
