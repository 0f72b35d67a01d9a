#include "remote_listing.h"

#include "util_system.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace {

const QString dataUrlPrefix = QStringLiteral("data:image/png;base64,");

// 2^63: the first whole number a qint64 cannot hold, exactly representable as a double.
constexpr double int64Limit = 9223372036854775808.0;

// A peer's number only when it is exactly a whole number a qint64 holds: a JSON integer, a JSON
// number with nothing after its point (1352.0), or a text holding a whole number ("1352"), as
// everywhere a peer's number is read. A fraction, a number out of range and any other text
// ("1352.0", "12kb") are none: rounding or clamping them would make up a number.
std::optional<qint64> wholeNumber(const LenientJson &value)
{
    using Json = LenientJson::Json;
    const Json json = value.json();
    switch (json.type()) {
    case Json::value_t::number_integer:
        return json.get<qint64>();
    case Json::value_t::number_unsigned: {
        const quint64 number = json.get<quint64>();
        if (number > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(number);
    }
    case Json::value_t::number_float: {
        const double number = json.get<double>();
        if (!std::isfinite(number) || std::trunc(number) != number || number < -int64Limit || number >= int64Limit)
            return std::nullopt;
        return qint64(number);
    }
    case Json::value_t::string: {
        bool isWhole = false;
        const qint64 number = value.stringValue().toLongLong(&isWhole);
        return isWhole ? std::optional<qint64>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

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
    if (data["valid"].intValue() != 1)
        return std::nullopt;
    const std::optional<qint64> size = wholeNumber(data["size"]);
    if (!size || *size < 0)
        return std::nullopt;
    return size;
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
