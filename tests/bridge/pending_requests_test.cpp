// The pending-request table's late answers: how long an answer that comes after its request ended
// still counts, whatever else is sent meanwhile, and that what it keeps for them goes in time.

#include "bridge_test_support.h"

#include "pending_requests.h"

namespace {

class PendingLateAnswerTest : public BridgeTest
{
protected:
    // A request of waitMs sent now, whose late answer is kept; its late answers are counted.
    void sendKept(const QString &token, qint64 waitMs)
    {
        table.add(token, RemoteWSDCTask{QStringLiteral("RemoteUploadTaskInfo"), RemoteWSDCTask::Kind::Remote,
                                        clock->msecsSinceEpoch() + waitMs, [](const auto &) {}, waitMs});
        table.keepLateAnswer(token, [this, token](const LenientJson &) { lateAnswers << token; });
    }
    void advanceSecs(int secs)
    {
        clock->advanceMs(secs * 1000);
        table.expireDue();
    }

    PendingRequestTable table;
    QStringList lateAnswers;
};

} // namespace

TEST_F(PendingLateAnswerTest, ALateAnswerCountsOnceForAsLongAgainAsItsRequestWaitedWhateverElseIsSent)
{
    // Two questions of a minute each, then two more requests every second for two minutes.
    sendKept(QStringLiteral("first"), 60'000);
    sendKept(QStringLiteral("second"), 60'000);
    for (int second = 1; second <= 120; ++second) {
        advanceSecs(1);
        sendKept(QStringLiteral("ping %1").arg(second), 3'000);
        sendKept(QStringLiteral("status %1").arg(second), 60'000);
    }
    // Just before the second minute after its deadline is over, the first question's answer counts, once.
    clock->advanceMs(-1'000);
    EXPECT_TRUE(table.deliver(QStringLiteral("first"), LenientJson()));
    EXPECT_FALSE(table.deliver(QStringLiteral("first"), LenientJson())) << "a second answer to it";
    EXPECT_EQ(lateAnswers, QStringList{QStringLiteral("first")});
    // Just after, the second's is dropped.
    clock->advanceMs(2'000);
    EXPECT_FALSE(table.deliver(QStringLiteral("second"), LenientJson()));
    EXPECT_EQ(lateAnswers.size(), 1);

    // An answer on time ends its request; a copy of it afterwards is no late answer.
    EXPECT_TRUE(table.deliver(QStringLiteral("status 120"), LenientJson()));
    EXPECT_FALSE(table.deliver(QStringLiteral("status 120"), LenientJson()));
    EXPECT_EQ(lateAnswers.size(), 1);
    // Nothing is kept for a request that does not wait.
    table.expireDue();
    const qsizetype kept = table.lateAnswerCount();
    table.keepLateAnswer(QStringLiteral("never sent"), [](const LenientJson &) {});
    EXPECT_EQ(table.lateAnswerCount(), kept);
}

TEST_F(PendingLateAnswerTest, WhatIsKeptForLateAnswersGoesOnceTheirTimeIsOver)
{
    // Ten minutes of a ping (3 s) and a status question (a minute) every second: what is kept is
    // what the last two minutes sent, at most.
    for (int second = 1; second <= 600; ++second) {
        advanceSecs(1);
        sendKept(QStringLiteral("ping %1").arg(second), 3'000);
        sendKept(QStringLiteral("status %1").arg(second), 60'000);
        ASSERT_LE(table.lateAnswerCount(), (2 * 3 + 1) + (2 * 60 + 1)) << "second " << second;
    }
    EXPECT_GE(table.lateAnswerCount(), 2 * 60) << "nothing is dropped before its time";
    // Then the traffic stops, and only the table's own timer sweeps it.
    clock->advanceMs(120'000);
    EXPECT_TRUE(waitFor([&] { return table.lateAnswerCount() == 1 && table.size() == 0; }))
        << "the last question's answer may still come: " << table.lateAnswerCount();
    clock->advanceMs(1'000);
    EXPECT_TRUE(waitFor([&] { return table.lateAnswerCount() == 0; })) << table.lateAnswerCount();
    EXPECT_EQ(table.size(), 0);
    EXPECT_TRUE(lateAnswers.isEmpty());
}
