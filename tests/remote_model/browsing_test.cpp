// What the browser reads from a peer's answers, and where it stands in a share: pages and folders.

#include "remote_file_paging.h"
#include "remote_folder_path.h"
#include "remote_listing.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

LenientJson parse(const char *text)
{
    return LenientJson::parse(QByteArray(text));
}

// What a peer session that is not there gives every sender.
const LenientJson emptyText = LenientJson::fromJson(nlohmann::json(""));

} // namespace

TEST(RemoteAnswers, TheShareBehindATagAndTheRowsOfAPage)
{
    const auto info = RemoteShareInfo::fromAnswer(parse(
        R"({"data":[{"tag":"Pics","path":"/srv/pics","ctime":"2024-01-02 03:04:05","isdir":1,"isenabled":1,
             "isupload":1,"isdownload":0,"isfiledel":1},{"tag":"Other","path":"/other"}]})"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, "/srv/pics");
    EXPECT_EQ(info->ctime, "2024-01-02 03:04:05");
    EXPECT_TRUE(info->isdir && info->isenabled && info->isupload && info->isfiledel);
    EXPECT_FALSE(info->isdownload);
    // A refusal (no share, or a wrong code) and whatever else is no share at all.
    for (const char *text : {R"({"data":[]})", R"({"data":[{"tag":"x","path":""}]})", R"({"data":"[]"})", "nonsense"})
        EXPECT_FALSE(RemoteShareInfo::fromAnswer(parse(text))) << text;
    EXPECT_FALSE(RemoteShareInfo::fromAnswer(emptyText));

    const QList<FileItem> items = remoteFileItems(parse(
        R"({"data":[{"name":"docs","fullPath":"/s/docs","isDir":true,"size":0,"createdTime":1700000000000},
                    {"name":"","fullPath":"/s/unnamed"}, {"name":"lost","fullPath":""},
                    {"name":"a.PNG","fullPath":"/s/a.PNG","isDir":false,"size":"1024","ext":"PNG"}, "not a row",
                    {"name":"Photo.JPG","fullPath":"C:\\pics\\Photo.JPG","ext":"txt"},
                    {"name":"cover","fullPath":"/s/Cover.GIF"}]})"));
    ASSERT_EQ(items.size(), 4) << "rows without a name or a path are left out";
    EXPECT_TRUE(items[0].isDir);
    EXPECT_EQ(items[0].createdTime, 1700000000000);
    EXPECT_EQ(items[1].fullPath, "/s/a.PNG");
    EXPECT_EQ(items[1].size, 1024);
    // The extension comes from the entry's name in small letters, whatever the peer calls it.
    EXPECT_EQ(items[1].ext, "png");
    EXPECT_EQ(items[2].ext, "jpg");
    EXPECT_EQ(items[3].ext, "gif") << "the name shown is the last piece of the path";
    EXPECT_TRUE(hasThumbnailExtension(items[1]) && hasThumbnailExtension(items[2]));
    EXPECT_TRUE(remoteFileItems(emptyText).isEmpty());

    // The part after the last dot, in small letters; a name without a dot is all extension.
    for (const auto &[name, ext, asked] :
         {std::tuple{"a.png", "png", true}, {"Photo.JPG", "jpg", true}, {"Scan.PNG", "png", true},
          {"anim.Gif", "gif", true}, {"old.BMP", "bmp", true}, {"clip.MP4", "mp4", true},
          {"archive.tar.GZ", "gz", false}, {"a.jpeg", "jpeg", false}, {"notes.txt", "txt", false},
          {"clip.mov", "mov", false}, {"README", "readme", false}, {"PNG", "png", true}, {"shot.png.", "", false},
          {".Jpg", "jpg", true}, {"SCAN.GIF", "gif", true}}) {
        FileItem item;
        item.name = QString::fromLatin1(name);
        EXPECT_EQ(remoteExtension(item.name), QString::fromLatin1(ext)) << name;
        item.ext = remoteExtension(item.name);
        EXPECT_EQ(hasThumbnailExtension(item), asked) << name;
    }
    FileItem item;
    item.ext = "png";
    item.isDir = true;
    EXPECT_FALSE(hasThumbnailExtension(item)) << "a folder named like a picture";
}

// Only a whole number of bytes that a qint64 holds is a size; anything rounded or clamped to one
// would show a size the file does not have.
TEST(RemoteAnswers, AFilesSizeOnlyAsAWholeNumberOfZeroOrMore)
{
    const auto sizeIn = [](const char *size, const char *valid = "1") {
        return remoteFileSize(parse(QByteArray(R"({"data":{"path":"/s/a.bin","valid":)") + valid
                                    + R"(,"size":)" + size + "}}"));
    };
    const std::optional<qint64> none;
    for (const auto &[size, bytes] :
         {std::pair{"0", Q_INT64_C(0)}, {"1352", 1352}, {"1352.0", 1352}, {R"("1352")", 1352}, {"-0", 0},
          {"9223372036854775807", Q_INT64_C(9223372036854775807)},
          {"9223372036854774784.0", Q_INT64_C(9223372036854774784)}})
        EXPECT_EQ(sizeIn(size), bytes) << size;
    for (const char *size : {"-1", "-0.5", "1352.7", "0.5", "1e30", "-1e30", "9223372036854775808",
                             "9223372036854775808.0", "18446744073709551615", R"("-1")", R"("1352.0")",
                             R"("1352 bytes")", R"("99999999999999999999")", R"("")", "true", "null", "[1352]"})
        EXPECT_EQ(sizeIn(size), none) << size;
    EXPECT_EQ(sizeIn("1352", "0"), none) << "no file";
    EXPECT_EQ(remoteFileSize(parse(R"({"data":{"size":1352}})")), none) << "not said to be a file";
    EXPECT_EQ(remoteFileSize(emptyText), none);
}

TEST(RemoteFilePaging, PagesOfAFolderWhateverItsCount)
{
    struct Case {
        int size;
        qint64 total, page, pages, first, last;
        bool previous, next;
    };
    // Pages of 50 are what the browser asks a peer for.
    for (const Case &c : {Case{50, 0, 1, 0, 0, 0, false, false}, Case{50, 50, 1, 1, 1, 50, false, false},
                          Case{50, 51, 2, 2, 51, 51, true, false}, Case{50, 120, 2, 3, 51, 100, true, true},
                          Case{3, 10, 4, 4, 10, 10, true, false}}) {
        const std::string label = std::to_string(c.total) + " by " + std::to_string(c.size);
        RemoteFilePaging paging(c.size);
        paging.setTotal(c.total);
        ASSERT_TRUE(paging.goTo(c.page)) << label;
        EXPECT_EQ(paging.pageCount(), c.pages) << label;
        EXPECT_EQ(paging.firstRow(), c.first) << label;
        EXPECT_EQ(paging.lastRow(), c.last) << label;
        EXPECT_EQ(paging.hasPrevious(), c.previous) << label;
        EXPECT_EQ(paging.hasNext(), c.next) << label;
        EXPECT_FALSE(paging.goTo(0) || paging.goTo(-1) || paging.goTo(std::max<qint64>(1, c.pages) + 1)) << label;
        EXPECT_EQ(paging.pageIndex(), c.page) << label;
    }
    EXPECT_EQ(RemoteFilePaging(0).pageSize(), 1) << "a page holds at least one entry";

    // Counts that change, or make no sense.
    RemoteFilePaging paging(3);
    paging.setTotal(10);
    ASSERT_TRUE(paging.goTo(4));
    paging.setTotal(7);
    EXPECT_EQ(paging.pageIndex(), 3) << "a shrunk folder keeps its last page";
    paging.setTotal(-5);
    EXPECT_EQ(paging.total(), 0);
    EXPECT_EQ(paging.pageIndex(), 1);

    EXPECT_TRUE(paging.setPageInfo("7|3"));
    EXPECT_EQ(paging.total(), 7);
    for (const char *bad : {"", "7", "x|3", "-1|0", "7|3|1"})
        EXPECT_FALSE(paging.setPageInfo(QString::fromLatin1(bad)) || paging.total() != 7) << bad;

    const qint64 most = std::numeric_limits<qint64>::max();
    RemoteFilePaging huge(50);
    huge.setTotal(most);
    ASSERT_TRUE(huge.goTo(most / 50 + 1));
    EXPECT_EQ(huge.lastRow(), most);
    EXPECT_LE(huge.firstRow(), huge.lastRow());
}

TEST(RemoteFolderPath, OpensFoldersBelowTheRootOnlyAndGoesBackUpToIt)
{
    struct Case {
        const char *root, *inside, *deeper, *shown, *outside;
    };
    for (const Case &c : {Case{"/s/Shared/", "/s/Shared/docs", "/s/Shared/docs/2024/", "/ docs / 2024", "/s/SharedX"},
                          Case{"D:\\Photos", "D:\\Photos\\2023", "D:\\Photos\\2023\\May", "/ 2023 / May", "D:\\Photo"},
                          Case{"/", "/srv", "/srv/www", "/ srv / www", "srv"},
                          Case{"C:\\", "C:\\Users", "C:\\Users\\pat", "/ Users / pat", "D:\\Users"}}) {
        const QString root = QString::fromLatin1(c.root);
        const QString up = root.startsWith(u'/') ? "/../x" : "\\..\\x";
        RemoteFolderPath path;
        path.setRoot(root);
        EXPECT_EQ(path.displayText(), "/") << c.root;
        EXPECT_FALSE(path.up()) << c.root << ": never above the root";
        EXPECT_FALSE(path.enter(QString::fromLatin1(c.outside))) << c.outside;
        EXPECT_FALSE(path.enter(QString::fromLatin1(c.inside) + up)) << c.root << ": a step up on the way down";
        ASSERT_TRUE(path.enter(QString::fromLatin1(c.inside))) << c.inside;
        ASSERT_TRUE(path.enter(QString::fromLatin1(c.deeper))) << c.deeper;
        EXPECT_EQ(path.displayText(), QString::fromUtf8(c.shown));
        ASSERT_TRUE(path.up());
        EXPECT_EQ(path.current(), QString::fromLatin1(c.inside));
        ASSERT_TRUE(path.up());
        EXPECT_TRUE(path.isAtRoot()) << c.root;
    }
}
