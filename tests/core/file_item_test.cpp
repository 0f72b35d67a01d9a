#include "file_item.h"
#include "folder_listing.h"
#include "file_test_support.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <algorithm>
#include <limits>

using QelJSON::Json;

namespace {

FileItem named(const QString &name, const QString &ext = {}, qint64 size = 0, qint64 created = 0)
{
    FileItem item;
    item.name = name;
    item.ext = ext;
    item.size = size;
    item.createdTime = created;
    return item;
}

QStringList sortedNames(std::vector<FileItem> items, const QString &orderBy, const QString &direction)
{
    std::stable_sort(items.begin(), items.end(), [&](const FileItem &a, const FileItem &b) {
        return FileItem::sortPredicate(a, b, orderBy, direction);
    });
    QStringList names;
    for (const FileItem &item : items)
        names.append(item.name);
    return names;
}

} // namespace

TEST(FileItem, DefaultsAndJsonFormLeaveOutTheId)
{
    const FileItem a = FileItem::init();
    const FileItem b = FileItem::init();
    EXPECT_NE(a.id, b.id) << "every record gets its own id";
    EXPECT_FALSE(a.id.isNull());
    EXPECT_EQ(a.iValid, 2);
    EXPECT_EQ(a.iPreview, 0);
    EXPECT_EQ(a.assetIndex, 0);

    const Json json = QelJSON::toJSONObject(a);
    EXPECT_EQ(json.size(), 37u);
    EXPECT_FALSE(json.contains("id"));
    for (const char *key : {"name", "nameNew", "nameOld", "fullPath", "iconData", "iconDefault", "iconDefaultSmall",
                            "typeDesection", "extendInfo", "tagPY", "ext"})
        EXPECT_TRUE(json.at(key).is_string()) << key;
    for (const char *key : {"isDir", "isEmpty", "isHidden", "isReadonly", "isSystem", "isInCut", "isInCopy",
                            "isChecked", "isExpanded"})
        EXPECT_TRUE(json.at(key).is_boolean()) << key;
    for (const char *key : {"size", "createdTime", "modifiedTime", "accessedTime", "iChildDirCount",
                            "iChildFileCount", "isHasSubDir", "isHasSubFile", "tagSize", "tagMDate", "level",
                            "iValid", "iPreview", "viewCount", "orderByID", "orderByCend", "assetIndex"})
        EXPECT_TRUE(json.at(key).is_number_integer()) << key;
    EXPECT_EQ(json.at("iValid"), 2);
}

TEST(FileItem, SortByNameIsCaseSensitiveCodePointOrder)
{
    const std::vector<FileItem> items{named("b.txt"), named("B.txt"), named("a.txt")};
    EXPECT_EQ(sortedNames(items, "0", "1"), QStringList({"B.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(sortedNames(items, "0", "0"), QStringList({"b.txt", "a.txt", "B.txt"}));
    EXPECT_EQ(sortedNames(items, "0", "desc"), QStringList({"b.txt", "a.txt", "B.txt"}))
        << "any non-empty direction other than 1 is descending";
}

TEST(FileItem, SortComparesCanonicalFormsByCodePoint)
{
    const QString composed = QString::fromUtf8("\u00C4b");     // Äb, one code point for Ä
    const QString decomposed = QString::fromUtf8("A\u0308b");  // A + combining diaeresis + b
    const QString fullwidth = QString::fromUtf8("\uFF01");     // ！ U+FF01
    const QString emoji = QString::fromUtf8("\U0001F600");     // above U+FFFF: a surrogate pair

    EXPECT_FALSE(FileItem::sortPredicate(named(composed), named(decomposed), "0", "1"));
    EXPECT_FALSE(FileItem::sortPredicate(named(decomposed), named(composed), "0", "1"))
        << "canonically equivalent names are equal";
    EXPECT_TRUE(FileItem::sortPredicate(named("Z"), named(decomposed), "0", "1"))
        << "the decomposed name sorts as its composed form, after every ASCII letter";
    EXPECT_TRUE(FileItem::sortPredicate(named(fullwidth), named(emoji), "0", "1"))
        << "U+FF01 comes before U+1F600 although its UTF-16 unit is larger";
}

TEST(FileItem, SortByOtherKeysAndNoKey)
{
    const std::vector<FileItem> items{named("big", "zip", 900, 30), named("none", "", 5, 10),
                                      named("mid", "TXT", 50, 20)};
    EXPECT_EQ(sortedNames(items, "3", "0"), QStringList({"big", "mid", "none"})) << "largest first";
    EXPECT_EQ(sortedNames(items, "3", "1"), QStringList({"none", "mid", "big"}));
    EXPECT_EQ(sortedNames(items, "2", "1"), QStringList({"none", "mid", "big"})) << "no extension first";
    EXPECT_EQ(sortedNames(items, "1", "0"), QStringList({"big", "mid", "none"})) << "newest first";

    for (const auto &[orderBy, direction] : std::vector<std::pair<QString, QString>>{
             {"", "1"}, {"0", ""}, {"9", "1"}, {"00", "1"}, {" 0", "1"}}) {
        EXPECT_FALSE(FileItem::sortPredicate(items[0], items[1], orderBy, direction));
        EXPECT_FALSE(FileItem::sortPredicate(items[1], items[0], orderBy, direction));
    }
    EXPECT_FALSE(FileItem::sortPredicate(items[0], items[0], "3", "0")) << "equal keys: neither first";
}

TEST(FileItem, ListLocalDirectoryGivesOneRecordPerNameInOrder)
{
    TestFolder folder;
    folder.file("photo.JPG", QByteArray(1234, 'x'));
    folder.file("empty.bin");
    folder.file("readme");
    folder.file("archive.tar.gz", "gz");
    folder.folder("full");
    folder.file("full/inside.txt", "1");
    folder.folder("onlyhidden");
    folder.file("onlyhidden/.secret", "1");

    const QStringList names{"photo.JPG", "full", "empty.bin", "readme", "archive.tar.gz", "onlyhidden", "gone.txt",
                            "readme"};
    const std::vector<FileItem> items = FileItem::listLocalDirectory(folder.path(), names);
    ASSERT_EQ(items.size(), size_t(names.size())) << "duplicates and missing names still get a record";
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].name, names[qsizetype(i)]);
        EXPECT_EQ(items[i].assetIndex, qint64(i));
        EXPECT_EQ(items[i].fullPath, folder.path() + u'/' + names[qsizetype(i)]);
        EXPECT_EQ(items[i].iValid, 1);
        EXPECT_EQ(items[i].iChildDirCount, -1);
        EXPECT_EQ(items[i].iChildFileCount, -1);
    }

    const FileItem &photo = items[0];
    EXPECT_FALSE(photo.isDir);
    EXPECT_EQ(photo.size, 1234);
    EXPECT_FALSE(photo.isEmpty);
    EXPECT_EQ(photo.ext, "JPG") << "the extension keeps its case";
    EXPECT_EQ(photo.typeDesection, "JPG");
    EXPECT_EQ(photo.iPreview, 2);
    EXPECT_EQ(photo.iconData, "/resource/file.png");
    EXPECT_EQ(photo.iconDefault, "/resource/file.png");
    EXPECT_EQ(photo.iconDefaultSmall, "/resource/file16.png");
    EXPECT_EQ(photo.tagPY, "p");

    const FileItem &full = items[1];
    EXPECT_TRUE(full.isDir);
    EXPECT_FALSE(full.isEmpty);
    EXPECT_EQ(full.size, 0);
    EXPECT_EQ(full.ext, "") << "a folder keeps the empty extension";
    EXPECT_EQ(full.iPreview, 0);
    EXPECT_EQ(full.iconData, "/resource/folder.png");
    EXPECT_EQ(full.iconDefaultSmall, "/resource/folder16.png");

    EXPECT_TRUE(items[2].isEmpty) << "a zero-byte file is empty";
    EXPECT_EQ(items[2].size, 0);
    EXPECT_EQ(items[3].ext, "");
    EXPECT_EQ(items[3].typeDesection, "");
    EXPECT_EQ(items[4].ext, "gz");
    EXPECT_TRUE(items[5].isDir);
    EXPECT_TRUE(items[5].isEmpty) << "a folder holding only hidden entries is empty";

    const FileItem &gone = items[6];
    EXPECT_FALSE(gone.isDir) << "a name that no longer exists is a file of size 0";
    EXPECT_EQ(gone.size, 0);
    EXPECT_TRUE(gone.isEmpty);
    EXPECT_LE(std::abs(gone.createdTime - QDateTime::currentMSecsSinceEpoch()), 60'000)
        << "its time is the current time";
}

TEST(FileItem, ListedTimesAreLocalWallClockInMilliseconds)
{
    TestFolder folder;
    folder.file("now.txt", "x");
    const qint64 offsetMs = qint64(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
    const qint64 before = QDateTime::currentMSecsSinceEpoch() + offsetMs;
    const std::vector<FileItem> items = FileItem::listLocalDirectory(folder.path(), {"now.txt"});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_LE(std::abs(items[0].createdTime - before), 5'000);
}

TEST(FileItem, ListLocalDirectoryPathsAndFirstCharacters)
{
    EXPECT_TRUE(FileItem::listLocalDirectory(QStringLiteral("/tmp"), {}).empty());

    TestFolder folder;
    const QString ideograph = QString::fromUtf8("\u6587\u4EF6.txt");  // 文件.txt
    const QString accented = QString::fromUtf8("e\u0301cole.txt");    // e + combining acute
    folder.file(ideograph, "x");
    folder.file(accented, "x");
    folder.file("b", "x");

    const std::vector<FileItem> items =
        FileItem::listLocalDirectory(folder.path() + u'/', {ideograph, accented, "b"});
    EXPECT_EQ(items[0].tagPY, QString::fromUtf8("\u6587"));
    EXPECT_EQ(items[1].tagPY, QString::fromUtf8("e\u0301")) << "the letter with its combining accent";
    EXPECT_EQ(items[2].fullPath, folder.path() + "//b") << "the separator is always inserted";
    EXPECT_EQ(items[2].name, "b");
    EXPECT_EQ(items[2].size, 1) << "the doubled separator still names the file";
}

TEST(FileItem, CreationTimesRoundToTheNearestMillisecond)
{
    EXPECT_EQ(FolderReader::shiftedMilliseconds(1000, 499'999, 0), 1'000'000);
    EXPECT_EQ(FolderReader::shiftedMilliseconds(1000, 500'000, 0), 1'000'001) << "halves away from zero";
    EXPECT_EQ(FolderReader::shiftedMilliseconds(1000, 999'999'999, 0), 1'001'000);
    EXPECT_EQ(FolderReader::shiftedMilliseconds(1000, 0, 3600), 4'600'000) << "shifted by the zone offset";
    EXPECT_EQ(FolderReader::shiftedMilliseconds(-2, 999'500'000, 0), -1001) << "-1000.5 ms";
    EXPECT_EQ(FolderReader::shiftedMilliseconds(-1, 500'000, 0), -1000) << "-999.5 ms";
    EXPECT_EQ(FolderReader::shiftedMilliseconds(-1, 600'000, 0), -999);
    EXPECT_EQ(FolderReader::shiftedMilliseconds(std::numeric_limits<qint64>::max() / 10, 0, 0), 0)
        << "no millisecond value fits";
}
