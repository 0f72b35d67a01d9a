#include "transfer_tracker.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(TransferTracker, RunsToFinishedWithProgressReaching100OnlyAtTheEnd)
{
    TransferTracker tracker;
    EXPECT_EQ(tracker.status(), Status::dsPreparing);
    tracker.start();
    EXPECT_EQ(tracker.status(), Status::dsStarting);
    EXPECT_TRUE(tracker.isBusy());
    tracker.onStartAnswer(answer(R"({"Result":1})"));
    EXPECT_EQ(tracker.status(), Status::dsRunning);

    tracker.onStatusAnswer(answer(R"({"TaskStatus":2,"TotalSize":1000,"TotalDoneSize":250,"TotalTaskCount":3,
                                      "TotalTaskDoneCount":1,"CurrentTaskFile":"/s/b.bin"})"));
    EXPECT_EQ(tracker.percent(), 25);
    EXPECT_EQ(tracker.last().CurrentTaskFile, QStringLiteral("/s/b.bin"));
    tracker.onStatusAnswer(answer(R"({"TaskStatus":2,"TotalSize":1000,"TotalDoneSize":1000})"));
    EXPECT_EQ(tracker.percent(), 99) << "every byte copied is not yet finished";
    tracker.onStatusAnswer(answer(R"({"TaskStatus":3,"IsFinished":true,"TotalSize":1000,"TotalDoneSize":1000})"));
    EXPECT_EQ(tracker.status(), Status::dsFinished);
    EXPECT_EQ(tracker.percent(), 100);
    EXPECT_TRUE(tracker.isEnded());

    tracker.onStatusAnswer(answer(R"({"TaskStatus":4})"));
    EXPECT_EQ(tracker.status(), Status::dsFinished) << "an ended transfer stays ended";
}

TEST(TransferTracker, ProgressFromWhateverTheBridgeReports)
{
    TransferTracker tracker = running();
    tracker.onStatusAnswer(answer(R"({"TaskStatus":2,"IProgress":42.7})"));
    EXPECT_EQ(tracker.percent(), 42);
    tracker.onStatusAnswer(answer(R"({"TaskStatus":2,"TotalTaskCount":4,"TotalTaskDoneCount":1})"));
    EXPECT_EQ(tracker.percent(), 25);
    tracker.onStatusAnswer(answer(R"({"TaskStatus":2,"TotalSize":10,"TotalDoneSize":500})"));
    EXPECT_EQ(tracker.percent(), 99);
    tracker.onStatusAnswer(answer(R"({"TaskStatus":2,"TotalSize":10,"TotalDoneSize":-5})"));
    EXPECT_EQ(tracker.percent(), 0);
}

TEST(TransferTracker, ARefusedOrUnansweredStartFails)
{
    TransferTracker refused;
    refused.start();
    refused.onStartAnswer(answer(R"({"Result":0,"Info":"Cannot write into the folder /x"})"));
    EXPECT_EQ(refused.status(), Status::dsFailed);
    EXPECT_EQ(refused.failure(), TransferFailure::Refused);
    EXPECT_EQ(refused.detail(), QStringLiteral("Cannot write into the folder /x"));

    TransferTracker silent;
    silent.start();
    silent.onStartAnswer(std::nullopt);
    EXPECT_EQ(silent.status(), Status::dsFailed);
    EXPECT_EQ(silent.failure(), TransferFailure::NoAnswer);

    TransferTracker plain;
    plain.start();
    plain.onStartAnswer(answer(R"("ok")"));
    EXPECT_EQ(plain.status(), Status::dsRunning) << "an answer without a result still marks it running";
}

TEST(TransferTracker, ABridgeThatStopsAnsweringEndsIt)
{
    TransferTracker tracker = running();
    for (int i = 1; i < TransferTracker::maxMissedAnswers; ++i) {
        tracker.onStatusAnswer(std::nullopt);
        EXPECT_EQ(tracker.status(), Status::dsRunning);
    }
    tracker.onStatusAnswer(answer(R"({"TaskStatus":2})"));
    for (int i = 1; i < TransferTracker::maxMissedAnswers; ++i)
        tracker.onStatusAnswer(std::nullopt);
    EXPECT_EQ(tracker.status(), Status::dsRunning) << "an answer in between starts the count again";
    tracker.onStatusAnswer(std::nullopt);
    EXPECT_EQ(tracker.status(), Status::dsFailed);
    EXPECT_EQ(tracker.failure(), TransferFailure::NoAnswer);
}

TEST(TransferTracker, ATransferTheBridgeDoesNotKnowIsLost)
{
    TransferTracker tracker = running();
    // The empty-text answer a missing peer session gives reads as no transfer at all.
    for (int i = 0; i < TransferTracker::maxUnknownAnswers; ++i)
        tracker.onStatusAnswer(LenientJson::fromJson(nlohmann::json("")));
    EXPECT_EQ(tracker.status(), Status::dsFailed);
    EXPECT_EQ(tracker.failure(), TransferFailure::Lost);
}

TEST(TransferTracker, AFailedTransferCarriesItsReason)
{
    TransferTracker tracker = running();
    tracker.onStatusAnswer(answer(R"({"TaskStatus":4,"ErrorInfo":"No space left on device"})"));
    EXPECT_EQ(tracker.status(), Status::dsFailed);
    EXPECT_EQ(tracker.failure(), TransferFailure::Failed);
    EXPECT_EQ(tracker.detail(), QStringLiteral("No space left on device"));
}

TEST(TransferTracker, CancelWaitsForTheBridgeButNotForEver)
{
    TransferTracker starting;
    starting.start();
    EXPECT_FALSE(starting.cancel()) << "nothing to cancel before the start is answered";

    TransferTracker confirmed = running();
    ASSERT_TRUE(confirmed.cancel());
    EXPECT_EQ(confirmed.status(), Status::dsCancelling);
    EXPECT_FALSE(confirmed.cancel()) << "one cancel request";
    confirmed.onStatusAnswer(answer(R"({"TaskStatus":2})"));
    EXPECT_EQ(confirmed.status(), Status::dsCancelling);
    confirmed.onStatusAnswer(answer(R"({"TaskStatus":5,"ForceCancel":true})"));
    EXPECT_EQ(confirmed.status(), Status::dsCanceled);

    TransferTracker stubborn = running();
    ASSERT_TRUE(stubborn.cancel());
    for (int i = 0; i < TransferTracker::maxAnswersAfterCancel; ++i)
        stubborn.onStatusAnswer(answer(R"({"TaskStatus":2})"));
    EXPECT_EQ(stubborn.status(), Status::dsCanceled);

    TransferTracker finishedFirst = running();
    ASSERT_TRUE(finishedFirst.cancel());
    finishedFirst.onStatusAnswer(answer(R"({"TaskStatus":3,"IsFinished":true})"));
    EXPECT_EQ(finishedFirst.status(), Status::dsFinished) << "the last block beat the cancel";
}
