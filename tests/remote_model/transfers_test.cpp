// What an upload starts with, and how a transfer sheet follows a transfer to its end.

#include "transfer_tracker.h"
#include "working_items.h"

#include "test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using Status = RemoteSharingDownloadStatus;

namespace {

std::optional<LenientJson> answer(const char *text)
{
    return LenientJson::parse(QByteArray(text));
}

TransferTracker running()
{
    TransferTracker tracker;
    tracker.start();
    tracker.onStartAnswer(answer(R"({"Result":1,"Info":"Started"})"));
    return tracker;
}

void writeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
}

} // namespace

TEST(TransferTracker, RunsToFinishedAndReaches100OnlyThen)
{
    TransferTracker tracker;
    tracker.start();
    EXPECT_FALSE(tracker.cancel()) << "nothing to cancel before the start is answered";
    tracker.onStartAnswer(answer(R"("ok")"));
    EXPECT_EQ(tracker.status(), Status::dsRunning) << "an answer without a result still marks it running";
    // The bytes decide, else the bridge's percentage, else the files; never 100 before the end.
    for (const auto &[status, percent] :
         {std::pair{R"({"TaskStatus":2,"TotalSize":1000,"TotalDoneSize":250,"IProgress":80})", 25},
          {R"({"TaskStatus":2,"IProgress":42.7,"TotalTaskCount":4})", 42},
          {R"({"TaskStatus":2,"TotalTaskCount":4,"TotalTaskDoneCount":1})", 25},
          {R"({"TaskStatus":2,"TotalSize":10,"TotalDoneSize":500})", 99}}) {
        tracker.onStatusAnswer(answer(status));
        EXPECT_EQ(tracker.percent(), percent) << status;
    }
    tracker.onStatusAnswer(answer(R"({"TaskStatus":3,"IsFinished":true})"));
    EXPECT_EQ(tracker.status(), Status::dsFinished);
    EXPECT_EQ(tracker.percent(), 100);
    tracker.onStatusAnswer(answer(R"({"TaskStatus":4})"));
    tracker.onLinkLost();
    EXPECT_EQ(tracker.status(), Status::dsFinished) << "an ended transfer stays ended";
}

TEST(TransferTracker, EveryWayATransferFailsEndsItWithItsReason)
{
    for (const auto &[start, failure] :
         {std::pair{answer(R"({"Result":0,"Info":"No room"})"), TransferFailure::Refused},
          {std::nullopt, TransferFailure::NoAnswer}}) {
        TransferTracker tracker;
        tracker.start();
        tracker.onStartAnswer(start);
        EXPECT_EQ(tracker.failure(), failure);
        EXPECT_EQ(tracker.detail(), start ? "No room" : QString());
    }
    // Status answers in turn: the transfer runs until the last of them. Three missed in a row end
    // it, and so do three that know of no transfer (a missing peer session answers the empty
    // text); any answer starts the count of missed ones again, a known transfer that of unknown.
    const std::optional<LenientJson> missed, runs = answer(R"({"TaskStatus":2})"), none = LenientJson::fromJson("");
    struct Case {
        std::vector<std::optional<LenientJson>> answers;
        TransferFailure failure;
        QString detail;
    };
    for (const Case &c :
         {Case{{missed, missed, missed}, TransferFailure::NoAnswer, {}},
          Case{{missed, missed, none, none, runs, missed, missed, runs, none, none, none}, TransferFailure::Lost, {}},
          Case{{answer(R"({"TaskStatus":4,"ErrorInfo":"Disk full"})")}, TransferFailure::Failed, "Disk full"}}) {
        TransferTracker tracker = running();
        for (size_t i = 0; i < c.answers.size(); ++i) {
            EXPECT_EQ(tracker.status(), Status::dsRunning) << i;
            tracker.onStatusAnswer(c.answers[i]);
        }
        EXPECT_EQ(tracker.status(), Status::dsFailed);
        EXPECT_EQ(tracker.failure(), c.failure);
        EXPECT_EQ(tracker.detail(), c.detail);
    }
    TransferTracker cutOff = running();
    cutOff.onLinkLost();
    EXPECT_EQ(cutOff.failure(), TransferFailure::LinkLost);
}

TEST(TransferTracker, CancelWaitsForTheBridgeButNotForEver)
{
    TransferTracker confirmed = running();
    ASSERT_TRUE(confirmed.cancel());
    EXPECT_EQ(confirmed.status(), Status::dsCancelling);
    EXPECT_FALSE(confirmed.cancel()) << "one cancel request";
    confirmed.onStatusAnswer(answer(R"({"TaskStatus":5,"ForceCancel":true})"));
    EXPECT_EQ(confirmed.status(), Status::dsCanceled);

    // Ten answers that still say running after a cancel count as cancelled all the same.
    TransferTracker stubborn = running();
    ASSERT_TRUE(stubborn.cancel());
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(stubborn.status(), Status::dsCancelling) << i;
        stubborn.onStatusAnswer(answer(R"({"TaskStatus":2})"));
    }
    EXPECT_EQ(stubborn.status(), Status::dsCanceled);

    TransferTracker finishedFirst = running();
    ASSERT_TRUE(finishedFirst.cancel());
    finishedFirst.onStatusAnswer(answer(R"({"TaskStatus":3})"));
    EXPECT_EQ(finishedFirst.status(), Status::dsFinished) << "the last block beat the cancel";
}

TEST(WorkingItems, FilesAndFoldersWithTheirSizesAndPlacesOnThePeer)
{
    const QString pick = TestHome::path() + "/pick/";
    for (const auto &[name, size] : {std::pair{"a.txt", 10}, {"album/one.jpg", 100}, {"album/deep/two.jpg", 1000},
                                     {"album/.hidden", 5}, {"../elsewhere/big.bin", 4096}})
        writeFile(pick + QString::fromLatin1(name), size);
    // Links are not followed, to a folder or to a file.
    ASSERT_TRUE(QFile::link(pick + "../elsewhere", pick + "album/folderlink"));
    ASSERT_TRUE(QFile::link(pick + "../elsewhere/big.bin", pick + "album/filelink"));
    const auto described = [](const std::vector<WorkingItem> &items) {
        QStringList lines;
        for (const WorkingItem &item : items)
            lines << QString("%1 %2 %3").arg(item.PathSave).arg(item.Size).arg(item.IsDir ? "dir" : "file");
        return lines;
    };
    // A path that no longer exists is left out; a folder counts every file below it, hidden ones too.
    const auto items = workingItemsFor({pick + "a.txt", pick + "album", pick + "gone"}, "/srv/share/");
    EXPECT_EQ(described(items), QStringList({"/srv/share/a.txt 10 file", "/srv/share/album 1105 dir"}));
    EXPECT_EQ(totalSize(items), 1115);
    EXPECT_EQ(described(workingItemsFor({pick + "a.txt"}, "D:\\Incoming")), QStringList("D:\\Incoming\\a.txt 10 file"));
}
