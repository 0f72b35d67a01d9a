#include "remote_listing.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

namespace {

LenientJson parse(const char *text)
{
    return LenientJson::parse(QByteArray(text));
}

// What a peer session that is not there gives every sender.
LenientJson emptyTextAnswer()
{
    return LenientJson::fromJson(nlohmann::json(""));
}

} // namespace

TEST(RemoteShareInfo, TheFirstShareOfTheAnswerWithItsRights)
{
    const auto info = RemoteShareInfo::fromAnswer(parse(
        R"({"data":[{"tag":"Pics","path":"/srv/pics","ctime":"2024-01-02 03:04:05","isdir":1,"isenabled":1,
             "isupload":1,"isdownload":0,"isfiledel":1},{"tag":"Other","path":"/other"}]})"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->tag, QStringLiteral("Pics"));
    EXPECT_EQ(info->path, QStringLiteral("/srv/pics"));
    EXPECT_EQ(info->ctime, QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_TRUE(info->isupload);
    EXPECT_FALSE(info->isdownload);
    EXPECT_TRUE(info->isfiledel);
}

TEST(RemoteShareInfo, RefusalsAndNonsenseGiveNoShare)
{
    EXPECT_FALSE(RemoteShareInfo::fromAnswer(parse(R"({"data":[]})")));
    EXPECT_FALSE(RemoteShareInfo::fromAnswer(parse(R"({"data":[{"tag":"x","path":""}]})")));
    EXPECT_FALSE(RemoteShareInfo::fromAnswer(parse(R"({"data":"[]"})")));
    EXPECT_FALSE(RemoteShareInfo::fromAnswer(emptyTextAnswer()));
    EXPECT_FALSE(RemoteShareInfo::fromAnswer(LenientJson()));
}

TEST(RemoteFileItems, RowsOfAPageInTheirOrder)
{
    const QList<FileItem> items = remoteFileItems(parse(
        R"({"data":[{"name":"docs","fullPath":"/s/docs","isDir":true,"size":0,"createdTime":1700000000000},
                    {"name":"","fullPath":"/s/unnamed"},
                    {"name":"a.PNG","fullPath":"/s/a.PNG","isDir":false,"size":"1024","ext":"PNG"},
                    "not a row"],
            "sPageInfo":"3|1"})"));
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].name, QStringLiteral("docs"));
    EXPECT_TRUE(items[0].isDir);
    EXPECT_EQ(items[0].createdTime, 1700000000000);
    EXPECT_EQ(items[1].fullPath, QStringLiteral("/s/a.PNG"));
    EXPECT_EQ(items[1].size, 1024);
    EXPECT_EQ(items[1].assetIndex, 1);
    EXPECT_TRUE(remoteFileItems(emptyTextAnswer()).isEmpty());
}

TEST(RemoteFileItems, ThumbnailsForPicturesAndClipsOnly)
{
    FileItem item;
    for (const char *ext : {"png", "JPG", "gif", "Bmp", "mp4"}) {
        item.ext = QString::fromLatin1(ext);
        EXPECT_TRUE(hasThumbnailExtension(item)) << ext;
    }
    for (const char *ext : {"jpeg", "txt", "", "mov"}) {
        item.ext = QString::fromLatin1(ext);
        EXPECT_FALSE(hasThumbnailExtension(item)) << ext;
    }
    item.ext = QStringLiteral("png");
    item.isDir = true;
    EXPECT_FALSE(hasThumbnailExtension(item)) << "a folder named like a picture";
}

TEST(RemoteIcons, PngBytesOutOfTheDataUrl)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));

    const QString records = QStringLiteral(R"([{"fullPath":"/s/a.png","index":3,"iconBase64":"data:image/png;base64,%1"},
                                               {"fullPath":"/s/b.mp4","index":4,"iconBase64":"data:image/png;base64,"}])")
                                .arg(QString::fromLatin1(png.toBase64()));
    nlohmann::json answer;
    answer["data"] = records.toStdString();
    const QList<RemoteIcon> icons = remoteIcons(LenientJson::fromJson(answer));
    ASSERT_EQ(icons.size(), 2);
    EXPECT_EQ(icons[0].index, 3);
    EXPECT_EQ(icons[0].png, png);
    EXPECT_EQ(icons[1].index, 4);
    EXPECT_TRUE(icons[1].png.isEmpty()) << "the peer could not draw it";

    EXPECT_TRUE(remoteIcons(parse(R"({"data":"not json"})")).isEmpty());
    EXPECT_TRUE(remoteIcons(emptyTextAnswer()).isEmpty());
}
