#include "file_item.h"
#include "file_list_pager.h"
#include "folder_listing.h"
#include "listing_view.h"
#include "captured_output.h"
#include "file_test_support.h"
#include "folder_listing_cache.h"
#include "small_disk.h"
#include "test_wait.h"
#include "unprivileged_run.h"
#include "util_system.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QSet>
#include <QTemporaryFile>

#include <atomic>
#include <functional>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <limits>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 maxInt64 = std::numeric_limits<qint64>::max();

struct Answer
{
    int calls = 0;
    FileListResult result;
};

Answer page(const QString &dir, qint64 pageIndex, qint64 pageSize, const QString &orderBy = {},
            const QString &filter = {})
{
    Answer answer;
    FileItem::buildFileList(dir, filter, orderBy, pageIndex, pageSize, 0, true, true,
                            [&](const FileListResult &result) {
                                ++answer.calls;
                                answer.result = result;
                            });
    return answer;
}

Answer probe(const QString &dir, const QString &filter = {}, bool dirs = true, bool files = true)
{
    Answer answer;
    FileItem::buildFileList(dir, filter, "9,9", -5, 0, 1, dirs, files, [&](const FileListResult &result) {
        ++answer.calls;
        answer.result = result;
    });
    return answer;
}

QStringList namesOf(const Answer &answer)
{
    QStringList names;
    for (const FileItem &item : answer.result.items)
        names.append(item.name);
    return names;
}

// Seven files a.txt .. g.txt.
void makeSeven(const TestFolder &folder)
{
    for (char c = 'a'; c <= 'g'; ++c)
        folder.file(QString(QChar(c)) + ".txt", "x");
}

// Sets a file's modification time in place, as a copy tool that keeps times does.
void setModified(const QString &path, qint64 secondsSince1970)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(secondsSince1970), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0) << path.toStdString();
}

// Waits until the folder's names last changed 80 ms ago or more: a reading taken right after a
// change is not kept, so that a second change in the same tick of the file clock is not missed.
void waitUntilAReadingIsKept(const QString &dir)
{
    ASSERT_TRUE(waitFor([&] {
        struct stat st {};
        return stat(QFile::encodeName(dir).constData(), &st) == 0
               && QDateTime::currentMSecsSinceEpoch() - (qint64(st.st_ctim.tv_sec) * 1000 + st.st_ctim.tv_nsec / 1'000'000) >= 80;
    })) << dir.toStdString();
}

// Grows or shrinks a file in place, and moves its modification time, as an editor that writes
// into the file does.
void resize(const QString &path, qint64 bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.resize(bytes)) << path.toStdString();
    setModified(path, 1'000'000'000 + bytes);
}

// A file time as a listed item gives it: local wall-clock time labelled UTC, in milliseconds.
qint64 listedTime(qint64 secondsSince1970)
{
    return (secondsSince1970 + QDateTime::fromSecsSinceEpoch(secondsSince1970).offsetFromUtc()) * 1000;
}

// Run as a user who cannot read the folders it locks: the count and the page of a locked folder,
// and a page that holds a locked sub-folder, each print the system's reason once; a folder that
// is not there prints nothing. What went wrong, or "".
std::string unreadableFoldersSayWhy(const QString &base)
{
    const QString locked = base + "/locked";
    const QString open = base + "/open";
    if (!QDir().mkpath(locked) || !QDir().mkpath(open + "/shut") || chmod(QFile::encodeName(locked).constData(), 0) != 0
        || chmod(QFile::encodeName(open + "/shut").constData(), 0) != 0)
        return "setup failed";
    const QStringList reason{QString::fromLocal8Bit(std::strerror(EACCES))};
    std::string problems;
    auto check = [&](const char *what, const std::function<bool()> &ask, const QStringList &wanted) {
        CapturedOutput output;
        if (!ask())
            problems += std::string(what) + " answered wrongly; ";
        const QStringList printed = output.lines();
        if (printed != wanted)
            problems += std::string(what) + " printed [" + printed.join('|').toStdString() + "]; ";
    };
    check("the count", [&] { return probe(locked).result.index == "0"; }, reason);
    check("the page", [&] {
        const Answer first = page(locked, 1, 50);
        return first.result.pageInfo == "0|0" && first.result.items.empty();
    }, reason);
    // A sub-folder that cannot be read is listed as empty.
    check("the outer page", [&] {
        const Answer outer = page(open, 1, 50);
        return outer.result.pageInfo == "1|1" && outer.result.items.size() == 1 && outer.result.items[0].isEmpty;
    }, reason);
    check("a missing folder", [&] { return probe(base + "/missing").result.index == "0"; }, {});
    return problems;
}

// Waits until the folder's last change lies far enough back that a reading of it is kept for
// the requests that follow (file times come from a clock that may lag by a tick).
bool readingsAreKept(const QString &dir)
{
    FolderListingCache &cache = FolderListingCache::shared();
    return waitFor([&] {
        cache.reading(dir, FolderListingCache::Use::ReadAnew);
        return !cache.reading(dir, FolderListingCache::Use::ReuseWhileSameNames).takenNow;
    });
}

// Waits until a file made now lists with a later time than the file at path.
bool fileClockPassed(const QString &path)
{
    const qint64 then = FolderReader::entryAt(path).createdTime;
    return waitFor([&] {
        QTemporaryFile later;
        return later.open() && FolderReader::entryAt(later.fileName()).createdTime > then;
    });
}

// Seven files, old enough that a reading of them may be kept, counted and listed once.
void visitSeven(const TestFolder &folder)
{
    makeSeven(folder);
    ASSERT_TRUE(readingsAreKept(folder.path()));
    EXPECT_EQ(probe(folder.path()).result.index, "7");
    EXPECT_EQ(page(folder.path(), 1, 10).result.pageInfo, "7|1");
}

} // namespace

TEST(FileList, SevenEntriesInPagesOfThree)
{
    TestFolder folder;
    makeSeven(folder);

    const Answer first = page(folder.path(), 1, 3);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(first.result.pageInfo, "7|3");
    EXPECT_EQ(first.result.result, "OK");
    EXPECT_EQ(first.result.index, "");
    EXPECT_EQ(namesOf(first), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(namesOf(page(folder.path(), 2, 3)), QStringList({"d.txt", "e.txt", "f.txt"}));
    EXPECT_EQ(namesOf(page(folder.path(), 3, 3)), QStringList({"g.txt"}));

    const Answer count = probe(folder.path());
    EXPECT_EQ(count.calls, 1);
    EXPECT_EQ(count.result.index, "7") << "the count equals the page total";
    EXPECT_EQ(count.result.pageInfo, "");
    EXPECT_EQ(count.result.result, "OK");
    EXPECT_TRUE(count.result.items.empty());
}

TEST(FileList, PageArithmeticAtTheEdges)
{
    TestFolder folder;
    makeSeven(folder);
    folder.file("h.txt");
    folder.file("i.txt");
    folder.file("j.txt"); // ten entries now

    struct Case
    {
        qint64 index, size;
        const char *info;
        qsizetype items;
    };
    const Case cases[] = {
        {1, 5, "10|2", 5},          {2, 5, "10|2", 5},        {3, 5, "10|2", 0},
        {99, 3, "10|4", 0},         {0, 3, "10|4", 0},        {-1, 3, "10|4", 0},
        {1, 0, "10|0", 0},          {1, -3, "10|0", 0},       {1, maxInt64, "10|1", 10},
        {maxInt64, maxInt64, "10|1", 0}, {maxInt64, 4, "10|3", 0}, {qint64(1) << 62, 4, "10|3", 0},
        {std::numeric_limits<qint64>::min(), maxInt64, "10|1", 0},
    };
    for (const Case &c : cases) {
        const Answer answer = page(folder.path(), c.index, c.size);
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.result.pageInfo, c.info) << c.index << " of size " << c.size;
        EXPECT_EQ(qsizetype(answer.result.items.size()), c.items) << c.index << " of size " << c.size;
    }

    TestFolder six;
    for (const char *name : {"1", "2", "3", "4", "5", "6"})
        six.file(name);
    EXPECT_EQ(page(six.path(), 1, 3).result.pageInfo, "6|2");
    EXPECT_EQ(page(six.path(), 2, 3).result.items.size(), 3u);
}

TEST(FileList, EmptyAndMissingFolders)
{
    TestFolder folder;
    const QString empty = folder.folder("empty");
    for (const auto &[index, size] : std::vector<std::pair<qint64, qint64>>{{1, 50}, {0, 0}, {99, 3}, {-4, -4}}) {
        const Answer answer = page(empty, index, size);
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.result.pageInfo, "0|0");
        EXPECT_TRUE(answer.result.items.empty());
    }
    EXPECT_EQ(probe(empty).result.index, "0");

    const QString file = folder.file("plain.txt", "x");
    for (const QString &dir : {folder.pathOf("missing"), file, QString()}) {
        EXPECT_EQ(probe(dir).result.index, "0");
        EXPECT_EQ(page(dir, 1, 10).result.pageInfo, "0|0");
    }
}

TEST(FileList, FoldersFirstAndHiddenEntriesLeftOut)
{
    TestFolder folder;
    for (const char *name : {"zeta", "alpha", "Mid"})
        folder.folder(name);
    for (const char *name : {"A.txt", "b.txt", "c.txt", "d.txt"})
        folder.file(name, "x");
    folder.file(".hidden.txt", "x");
    folder.folder(".hiddenfolder");

    EXPECT_EQ(probe(folder.path()).result.index, "7");
    EXPECT_EQ(probe(folder.path(), {}, true, false).result.index, "3");
    EXPECT_EQ(probe(folder.path(), {}, false, true).result.index, "4");
    EXPECT_EQ(probe(folder.path(), {}, false, false).result.index, "0");

    const Answer first = page(folder.path(), 1, 5);
    EXPECT_EQ(first.result.pageInfo, "7|2");
    EXPECT_EQ(namesOf(first), QStringList({"Mid", "alpha", "zeta", "A.txt", "b.txt"}));
    EXPECT_TRUE(first.result.items[0].isDir);
    EXPECT_TRUE(first.result.items[0].isEmpty);
    EXPECT_EQ(first.result.items[0].fullPath, folder.path() + "/Mid");

    // Descending keeps folders first too.
    EXPECT_EQ(namesOf(page(folder.path(), 1, 7, "0,0")),
              QStringList({"zeta", "alpha", "Mid", "d.txt", "c.txt", "b.txt", "A.txt"}));
}

TEST(FileList, NamesDifferingInCaseAndUnicodeForm)
{
    TestFolder folder;
    const QString composed = QString::fromUtf8("\u00C4.txt");      // Ä.txt
    const QString decomposed = QString::fromUtf8("A\u0308b.txt");  // Äb.txt, decomposed
    const QString emoji = QString::fromUtf8("\U0001F600.txt");
    const QString fullwidth = QString::fromUtf8("\uFF01.txt");
    for (const QString &name : {QStringLiteral("b.txt"), QStringLiteral("B.txt"), QStringLiteral("a.txt"), composed,
                                decomposed, emoji, fullwidth})
        folder.file(name, "x");

    const QStringList ascending{"B.txt", "a.txt", "b.txt", composed, decomposed, fullwidth, emoji};
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "0,1")), ascending);
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "")), ascending) << "no order given means by name, ascending";
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "0,0")), descending);
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "0, 1")), descending) << "\" 1\" is not \"1\": descending";
}

TEST(FileList, OrderByTimeSizeExtensionAndNoKey)
{
    TestFolder folder;
    // Creation times come from a clock that ticks every few milliseconds.
    ASSERT_TRUE(fileClockPassed(folder.file("old.zip", QByteArray(300, 'x'))));
    ASSERT_TRUE(fileClockPassed(folder.file("middle", QByteArray(100, 'x'))));
    folder.file("new.TXT", QByteArray(200, 'x'));

    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "1,0")), QStringList({"new.TXT", "middle", "old.zip"}));
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "1,1")), QStringList({"old.zip", "middle", "new.TXT"}));
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "3,1")), QStringList({"middle", "new.TXT", "old.zip"}));
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "3,0")), QStringList({"old.zip", "new.TXT", "middle"}));
    EXPECT_EQ(namesOf(page(folder.path(), 1, 10, "2,1")), QStringList({"middle", "new.TXT", "old.zip"}));
    for (const char *noKey : {"0", "9,1", "0,1,2", "0,"})
        EXPECT_EQ(namesOf(page(folder.path(), 1, 10, noKey)), QStringList({"middle", "new.TXT", "old.zip"}))
            << noKey << ": without a key the page is still in a fixed order, by name";

    const Answer answer = page(folder.path(), 1, 10, "0,1");
    const FileItem &zip = answer.result.items[2];
    EXPECT_EQ(zip.size, 300);
    EXPECT_EQ(zip.ext, "zip");
    EXPECT_EQ(zip.iValid, 1);
    EXPECT_GT(zip.createdTime, 0);
}

TEST(FileList, FilterIgnoresCaseInCountAndPages)
{
    TestFolder folder;
    folder.folder("mydocs");
    folder.file("Report.docx", "x");
    folder.file("notes.txt", "x");

    EXPECT_EQ(probe(folder.path(), "DOC").result.index, "2");
    const Answer answer = page(folder.path(), 1, 10, "0,1", "DOC");
    EXPECT_EQ(answer.result.pageInfo, "2|1");
    EXPECT_EQ(namesOf(answer), QStringList({"mydocs", "Report.docx"}));
    EXPECT_EQ(answer.result.items[1].assetIndex, 0) << "asset indexes count within each group";
}

TEST(FileList, AChangedFolderIsListedAnew)
{
    TestFolder folder;
    visitSeven(folder);

    folder.file("added.txt", "x");
    EXPECT_EQ(probe(folder.path()).result.index, "8") << "a new entry changes the folder's time";
    EXPECT_EQ(namesOf(page(folder.path(), 1, 1)), QStringList({"a.txt"}));
    ASSERT_TRUE(QFile::remove(folder.pathOf("a.txt")));
    const Answer after = page(folder.path(), 1, 10);
    EXPECT_EQ(after.result.pageInfo, "7|1");
    EXPECT_EQ(namesOf(after).first(), "added.txt");
}

TEST(FileList, AFolderWhoseTimeWasSetBackIsStillListedAnew)
{
    TestFolder folder;
    visitSeven(folder);

    // A copy tool that keeps times adds a file and puts the folder's time back as it was.
    struct stat before {};
    ASSERT_EQ(stat(QFile::encodeName(folder.path()).constData(), &before), 0);
    folder.file("0.txt", "x");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(folder.path()).constData(), times, 0), 0);
    const Answer after = page(folder.path(), 1, 10);
    EXPECT_EQ(after.result.pageInfo, "8|1");
    EXPECT_EQ(namesOf(after).first(), "0.txt");
}

TEST(FileList, AFileChangedBetweenPagesShowsItsNewSizeTimeAndPlace)
{
    TestFolder folder;
    for (int i = 0; i < 6; ++i)
        folder.file(QString(QChar(u'a' + i)) + ".bin", QByteArray(i + 1, 'x')); // 1 to 6 bytes
    // Old enough that the count's reading is kept for the pages of the visit.
    ASSERT_TRUE(readingsAreKept(folder.path()));
    const QString bySize = QStringLiteral("3,1");
    EXPECT_EQ(probe(folder.path()).result.index, "6");
    EXPECT_EQ(namesOf(page(folder.path(), 1, 2, bySize)), QStringList({"a.bin", "b.bin"}));

    // c.bin, due on page 2, grows to 10 bytes in place and gets another modification time; the
    // folder itself stays as it was.
    resize(folder.pathOf("c.bin"), 10);
    const Answer second = page(folder.path(), 2, 2, bySize);
    EXPECT_EQ(namesOf(second), QStringList({"d.bin", "e.bin"}));
    const Answer third = page(folder.path(), 3, 2, bySize);
    ASSERT_EQ(namesOf(third), QStringList({"f.bin", "c.bin"}));
    EXPECT_EQ(third.result.items[1].size, 10);
    EXPECT_NEAR(double(third.result.items[1].createdTime),
                double(UtilSystem::getFileTime(folder.pathOf("c.bin")).toMSecsSinceEpoch()), 1.0);
    EXPECT_EQ(third.result.pageInfo, "6|3");

    // f.bin, on none of the pages asked for next, shrinks to nothing: with no new count between,
    // each page is cut from the order of its own request, so the peer sees every entry once.
    resize(folder.pathOf("f.bin"), 0);
    const Answer first = page(folder.path(), 1, 2, bySize);
    ASSERT_EQ(namesOf(first), QStringList({"f.bin", "a.bin"}));
    EXPECT_EQ(first.result.items[0].size, 0);
    EXPECT_TRUE(first.result.items[0].isEmpty);
    EXPECT_EQ(namesOf(page(folder.path(), 2, 2, bySize)), QStringList({"b.bin", "d.bin"}));

    // By name nothing moves, and the page still shows the size of now.
    resize(folder.pathOf("a.bin"), 40);
    const Answer byName = page(folder.path(), 1, 2, "0,1");
    ASSERT_EQ(namesOf(byName), QStringList({"a.bin", "b.bin"}));
    EXPECT_EQ(byName.result.items[0].size, 40);
}

TEST(FileList, APageInTimeOrderFollowsATimeSetInPlace)
{
    // Where a file system keeps birth times they cannot be set. On one that keeps none, a file's
    // creation time is its last modification, which a copy tool or an editor sets in place
    // without the folder changing.
    if (SmallDisk::folder().isEmpty())
        return SmallDisk::runThisTestOnRamfs();
    TestFolder folder(SmallDisk::folder());
    constexpr qint64 start = 1'000'000'000;
    for (int i = 0; i < 6; ++i) {
        const QString path = folder.file(QString(QChar(u'a' + i)) + ".bin", "x");
        setModified(path, start + 60 * i); // a.bin oldest, f.bin newest
    }
    struct statx st {};
    ASSERT_EQ(statx(AT_FDCWD, QFile::encodeName(folder.pathOf("a.bin")).constData(), 0, STATX_BTIME, &st), 0);
    ASSERT_FALSE(st.stx_mask & STATX_BTIME) << "this file system keeps birth times";

    // Old enough that the count's reading is kept for the pages of the visit.
    ASSERT_TRUE(readingsAreKept(folder.path()));
    const QString oldestFirst = QStringLiteral("1,1");
    EXPECT_EQ(probe(folder.path()).result.index, "6");
    EXPECT_EQ(namesOf(page(folder.path(), 1, 2, oldestFirst)), QStringList({"a.bin", "b.bin"}));

    // f.bin, on none of the pages asked for next, is given a time before all the others.
    setModified(folder.pathOf("f.bin"), start - 3600);
    const Answer first = page(folder.path(), 1, 2, oldestFirst);
    ASSERT_EQ(namesOf(first), QStringList({"f.bin", "a.bin"}));
    EXPECT_EQ(first.result.items[0].createdTime, listedTime(start - 3600));
    EXPECT_EQ(first.result.items[1].createdTime, listedTime(start));
    EXPECT_EQ(namesOf(page(folder.path(), 2, 2, oldestFirst)), QStringList({"b.bin", "c.bin"}));
    EXPECT_EQ(namesOf(page(folder.path(), 3, 2, oldestFirst)), QStringList({"d.bin", "e.bin"}));
    EXPECT_EQ(namesOf(page(folder.path(), 1, 3, "1,0")), QStringList({"e.bin", "d.bin", "c.bin"}));
}

TEST(FileList, APageShowsTimesAsTheyStandAtItsOwnRequest)
{
    const QByteArray zoneBefore = qgetenv("TZ");
    qputenv("TZ", "UTC");
    tzset();
    TestFolder folder;
    makeSeven(folder);
    ASSERT_TRUE(readingsAreKept(folder.path()));
    EXPECT_EQ(probe(folder.path()).result.index, "7");
    EXPECT_EQ(page(folder.path(), 1, 3).result.items.size(), 3u);

    // Times are wall-clock times: a new zone (as at a daylight-saving switch) moves every one of
    // them by nine hours while the folder stays as it was.
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    const Answer second = page(folder.path(), 2, 3);
    ASSERT_EQ(namesOf(second), QStringList({"d.txt", "e.txt", "f.txt"}));
    EXPECT_NEAR(double(second.result.items[0].createdTime),
                double(UtilSystem::getFileTime(folder.pathOf("d.txt")).toMSecsSinceEpoch()), 1.0);
    if (zoneBefore.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zoneBefore);
    tzset();
}

TEST(FileList, ALinkWhoseTargetChangesKindMovesAcrossThePagesOfAVisit)
{
    // The listed folder and, elsewhere in the same share, the file its link leads to.
    TestFolder share;
    const QString dir = share.folder("docs");
    share.folder("elsewhere");
    const QString target = share.file("elsewhere/target", "x");
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        share.file(QStringLiteral("docs/") + name, "x");
    ASSERT_TRUE(QFile::link(target, dir + "/z.lnk"));
    // Old enough that the count's reading is kept for the pages of the visit.
    ASSERT_TRUE(readingsAreKept(dir));
    const QString byName = QStringLiteral("0,1");
    EXPECT_EQ(probe(dir).result.index, "4");
    EXPECT_EQ(namesOf(page(dir, 1, 2, byName)), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(namesOf(page(dir, 2, 2, byName)), QStringList({"c.txt", "z.lnk"}));

    // The target becomes a folder; the listed folder stays as it was. The link now lists as a
    // folder, and folders come first: each entry is on one page of the two.
    ASSERT_TRUE(QFile::remove(target));
    ASSERT_TRUE(QDir().mkdir(target));
    const Answer first = page(dir, 1, 2, byName);
    ASSERT_EQ(namesOf(first), QStringList({"z.lnk", "a.txt"}));
    EXPECT_TRUE(first.result.items[0].isDir);
    EXPECT_TRUE(first.result.items[0].isEmpty);
    EXPECT_EQ(namesOf(page(dir, 2, 2, byName)), QStringList({"b.txt", "c.txt"}));

    // The target goes: the link leads nowhere and lists as an empty file, last by name.
    ASSERT_TRUE(QDir().rmdir(target));
    const Answer second = page(dir, 2, 2, byName);
    ASSERT_EQ(namesOf(second), QStringList({"c.txt", "z.lnk"}));
    EXPECT_FALSE(second.result.items[1].isDir);
    EXPECT_EQ(second.result.items[1].size, 0);
    EXPECT_EQ(namesOf(page(dir, 1, 2, byName)), QStringList({"a.txt", "b.txt"}));

    // b.txt is replaced by a link to a folder of the share.
    const QString linkToFolder = share.folder("elsewhere/pictures");
    ASSERT_TRUE(QFile::link(linkToFolder, dir + "/b.new"));
    ASSERT_EQ(::rename(QFile::encodeName(dir + "/b.new").constData(), QFile::encodeName(dir + "/b.txt").constData()), 0);
    EXPECT_EQ(namesOf(page(dir, 1, 2, byName)), QStringList({"b.txt", "a.txt"}));
    EXPECT_EQ(namesOf(page(dir, 2, 2, byName)), QStringList({"c.txt", "z.lnk"}));

    // A third link, relative. Whichever of the links changes kind, the others keeping theirs,
    // the pages follow it.
    const QString other = share.file("elsewhere/other", "x");
    ASSERT_EQ(::symlink("../elsewhere/other", QFile::encodeName(dir + "/y.lnk").constData()), 0);
    waitUntilAReadingIsKept(dir);
    EXPECT_EQ(probe(dir).result.index, "5");
    EXPECT_EQ(namesOf(page(dir, 2, 2, byName)), QStringList({"c.txt", "y.lnk"}));
    ASSERT_TRUE(QFile::remove(other));
    ASSERT_TRUE(QDir().mkdir(other));
    EXPECT_EQ(namesOf(page(dir, 1, 2, byName)), QStringList({"b.txt", "y.lnk"}));
    EXPECT_EQ(namesOf(page(dir, 2, 2, byName)), QStringList({"a.txt", "c.txt"}));
    // z.lnk's target comes back, as a folder.
    ASSERT_TRUE(QDir().mkdir(target));
    EXPECT_EQ(namesOf(page(dir, 2, 2, byName)), QStringList({"z.lnk", "a.txt"}));
    EXPECT_EQ(namesOf(page(dir, 3, 2, byName)), QStringList({"c.txt"}));
}

// A link lists as what it leads to: the size and time of the file a download of it gives, and a
// link to a folder among the folders. A fresh reading and a page that takes its names from a
// kept reading (and looks at its entries again) both show them so.
TEST(FileList, ALinkListsWithTheSizeTimeAndKindOfItsTarget)
{
    TestFolder share;
    const QString dir = share.folder("docs");
    const QString pictures = share.folder("elsewhere/pictures");
    share.file("elsewhere/pictures/one.png", "x");
    const QString big = share.file("elsewhere/big.bin", QByteArray(5000, 'x'));
    // Everything made from here on, the links too, has a later time than the target.
    ASSERT_TRUE(fileClockPassed(big));
    for (const char *name : {"alpha", "zeta"})
        share.folder(QStringLiteral("docs/") + name);
    share.file("docs/a.txt", QByteArray(1000, 'x'));
    share.file("docs/z.txt", "x");
    ASSERT_TRUE(QFile::link(big, dir + "/big.lnk"));
    ASSERT_TRUE(QFile::link(pictures, dir + "/pictures"));
    const Answer beside = page(share.pathOf("elsewhere"), 1, 10, "0,1");
    ASSERT_EQ(namesOf(beside), QStringList({"pictures", "big.bin"}));
    const qint64 targetTime = beside.result.items[1].createdTime;

    const auto listsAsItsTarget = [&](const FileItem &fileLink) {
        EXPECT_EQ(fileLink.name, QStringLiteral("big.lnk"));
        EXPECT_FALSE(fileLink.isDir);
        EXPECT_EQ(fileLink.size, 5000);
        EXPECT_FALSE(fileLink.isEmpty);
        EXPECT_EQ(fileLink.createdTime, targetTime);
    };
    const QStringList byName{"alpha", "pictures", "zeta", "a.txt", "big.lnk", "z.txt"};
    const Answer fresh = page(dir, 1, 10, "0,1");
    ASSERT_EQ(namesOf(fresh), byName);
    EXPECT_TRUE(fresh.result.items[1].isDir);
    EXPECT_FALSE(fresh.result.items[1].isEmpty) << "the folder it leads to holds a picture";
    listsAsItsTarget(fresh.result.items[4]);

    // Pages that take their names from the count's kept reading.
    ASSERT_TRUE(readingsAreKept(dir));
    EXPECT_EQ(probe(dir).result.index, "6");
    const Answer files = page(dir, 2, 3, "0,1");
    ASSERT_EQ(namesOf(files), byName.mid(3));
    listsAsItsTarget(files.result.items[1]);
    const Answer folders = page(dir, 1, 3, "0,1");
    ASSERT_EQ(namesOf(folders), byName.mid(0, 3));
    EXPECT_TRUE(folders.result.items[1].isDir);

    // Ordered by size or time the folder is read anew; the link sorts by its target's size and
    // time, the folder link among the folders.
    const QStringList bySize = namesOf(page(dir, 1, 10, "3,1"));
    ASSERT_EQ(bySize.size(), 6);
    EXPECT_EQ(QSet<QString>(bySize.begin(), bySize.begin() + 3), QSet<QString>({"alpha", "pictures", "zeta"}));
    EXPECT_EQ(bySize.mid(3), QStringList({"z.txt", "a.txt", "big.lnk"}));
    const QStringList oldestFirst = namesOf(page(dir, 1, 10, "1,1"));
    ASSERT_EQ(oldestFirst.size(), 6);
    EXPECT_EQ(oldestFirst[3], QStringLiteral("big.lnk")) << "the oldest of the files";
}

TEST(FileList, AnEntryKeepsItsPlaceUnlessItsKindOrTheOrdersKeyChanged)
{
    const FolderEntry was{QStringLiteral("a.txt"), 10, 5000, false, false};
    FolderEntry grown = was;
    grown.size = 11;
    FolderEntry newer = was;
    newer.createdTime = 6000;
    FolderEntry nowAFolder = was;
    nowAFolder.isDir = true;
    nowAFolder.size = 0;
    for (const char *order : {"0,1", "1,0", "2,1", "3,1", "9,1"}) {
        const SortOrder sort = SortOrder::fromSpec(order);
        EXPECT_EQ(ListingViews::keepsPlace(was, grown, sort), QByteArray(order) != "3,1") << order;
        EXPECT_EQ(ListingViews::keepsPlace(was, newer, sort), QByteArray(order) != "1,0") << order;
        EXPECT_FALSE(ListingViews::keepsPlace(was, nowAFolder, sort)) << order << ": folders come first";
        EXPECT_TRUE(ListingViews::keepsPlace(was, was, sort)) << order;
    }
}

TEST(FileList, PagesOfAnUnchangedFolderNeitherRepeatNorSkip)
{
    TestFolder folder;
    for (int i = 0; i < 25; ++i)
        folder.file(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')), QByteArray(i % 7, 'x'));
    folder.folder("sub");
    ASSERT_TRUE(readingsAreKept(folder.path()));
    for (const QString &order : {QStringLiteral("3,0"), QStringLiteral("1,1"), QStringLiteral("2,1"), QString()}) {
        EXPECT_EQ(probe(folder.path()).result.index, "26");
        QStringList seen;
        for (qint64 index = 1; index <= 6; ++index)
            seen += namesOf(page(folder.path(), index, 5, order));
        EXPECT_EQ(seen.size(), 26) << order.toStdString();
        EXPECT_EQ(QSet<QString>(seen.begin(), seen.end()).size(), 26) << order.toStdString() << ": no entry twice";
        EXPECT_EQ(seen.first(), "sub") << "folders first";
    }
}

TEST(FileList, AnUnreadableFolderListsAsEmptyAndSaysWhy)
{
    EXPECT_EQ(runUnprivileged(unreadableFoldersSayWhy), "");
}

TEST(FileList, ConcurrentRequestsFromWorkersAgree)
{
    TestFolder folder;
    for (int i = 0; i < 300; ++i)
        folder.file(QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')), QByteArray(i, 'x'));
    for (int i = 0; i < 20; ++i)
        folder.folder(QStringLiteral("d%1").arg(i));
    ASSERT_TRUE(readingsAreKept(folder.path()));

    std::atomic<int> wrong{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 8; ++w) {
        workers.emplace_back([&, w] {
            for (int round = 0; round < 20; ++round) {
                const QString order = (round + w) % 2 ? QStringLiteral("3,0") : QStringLiteral("0,1");
                if (probe(folder.path()).result.index != "320")
                    ++wrong;
                const Answer answer = page(folder.path(), 2, 50, order);
                if (answer.calls != 1 || answer.result.pageInfo != "320|7" || answer.result.items.size() != 50)
                    ++wrong;
                // Page 1 holds the 20 folders and 30 files, so page 2 starts with the 31st file.
                else if (order == "3,0" && answer.result.items[0].size != 269)
                    ++wrong;
                else if (order == "0,1" && answer.result.items[0].name != "f030.txt")
                    ++wrong;
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(FileList, PageSliceArithmetic)
{
    EXPECT_EQ(PageSlice::of(7, 3, 3).start, 6);
    EXPECT_EQ(PageSlice::of(7, 3, 3).count, 1);
    EXPECT_EQ(PageSlice::of(7, 1, 3).pageCount, 3);
    EXPECT_EQ(PageSlice::of(6, 1, 3).pageCount, 2);
    EXPECT_EQ(PageSlice::of(0, 1, 3).pageCount, 0);
    EXPECT_EQ(PageSlice::of(maxInt64, 2, maxInt64 - 1).pageCount, 2);
    EXPECT_EQ(PageSlice::of(maxInt64, 2, maxInt64 - 1).count, 1);
    EXPECT_EQ(PageSlice::of(maxInt64, maxInt64, 1).start, maxInt64 - 1);
}
