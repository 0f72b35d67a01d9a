#include "file_item.h"
#include "file_list_pager.h"
#include "captured_output.h"
#include "file_test_support.h"
#include "unprivileged_run.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <functional>
#include <cerrno>
#include <cstring>

#include <limits>
#include <thread>
#include <vector>

#include <sys/stat.h>

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
    folder.file("old.zip", QByteArray(300, 'x'));
    QThread::msleep(15);
    folder.file("middle", QByteArray(100, 'x'));
    QThread::msleep(15);
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
    makeSeven(folder);
    // Old enough that a reading of it may be kept.
    QThread::msleep(80);
    EXPECT_EQ(probe(folder.path()).result.index, "7");
    EXPECT_EQ(page(folder.path(), 1, 10).result.pageInfo, "7|1");

    folder.file("added.txt", "x");
    EXPECT_EQ(probe(folder.path()).result.index, "8") << "a new entry changes the folder's time";
    EXPECT_EQ(namesOf(page(folder.path(), 1, 1)), QStringList({"a.txt"}));
    ASSERT_TRUE(QFile::remove(folder.pathOf("a.txt")));
    const Answer after = page(folder.path(), 1, 10);
    EXPECT_EQ(after.result.pageInfo, "7|1");
    EXPECT_EQ(namesOf(after).first(), "added.txt");
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
    QThread::msleep(80);

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
