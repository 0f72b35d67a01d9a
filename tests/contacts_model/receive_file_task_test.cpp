// The receive-files sheet's work on the main window's state: the receive folder, the count-down,
// accepting, the progress of a running receive and how it ends.

#include "bridge_supervisor.h"
#include "clock.h"
#include "contacts_test_support.h"
#include "p2p_client_msg.h"
#include "receive_file_task.h"
#include "received_folder.h"
#include "scripted_delivery_bridge.h"
#include "test_home.h"
#include "util_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QString folderKey = QStringLiteral("MyReceivedFolder");

class ReceiveFileTaskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ContactsTest::resetAll();
        ASSERT_TRUE(bridge.connectClient());
        task.setTickIntervalMs(600000);
        offer(QStringLiteral("OFFER-1"));
    }

    // A contact's offer as the peer side writes it.
    void offer(const QString &uuid)
    {
        CtlViewReceiveFile state;
        state.Session = QStringLiteral("PEER|ME");
        state.UUID = uuid;
        state.isShowView = true;
        mainView.setCtlViewReceiveFile(state);
        task.onStateChanged();
    }
    // Shows the sheet, accepts into the receive folder and asks for the progress once.
    void acceptAndAsk()
    {
        task.onShown();
        task.accept();
        ASSERT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
        const int asked = polls();
        task.tick();
        ASSERT_TRUE(waitFor([&] { return polls() == asked + 1; }));
    }
    int polls() { return bridge.count(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")); }

    ScriptedDeliveryBridge bridge;
    FakeMainView mainView;
    ReceiveFileTask task{mainView};
};

} // namespace

TEST_F(ReceiveFileTaskTest, TheReceiveFolderIsTheStoredOneOrTheDefault)
{
    const QString fallback = TestHome::path() + QStringLiteral("/Documents/Fenmar/MyReceived");
    // Nothing stored: the default is made and stored.
    ASSERT_FALSE(QFileInfo::exists(fallback));
    EXPECT_EQ(ReceivedFolder::take(), fallback);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    EXPECT_EQ(UtilDB::getIcon(folderKey), fallback);

    // A stored folder that went missing is made again.
    QDir(fallback).removeRecursively();
    const QString chosen = TestHome::path() + QStringLiteral("/Inbox/from contacts");
    UtilDB::setIcon(folderKey, chosen);
    EXPECT_EQ(ReceivedFolder::take(), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
    EXPECT_FALSE(QFileInfo::exists(fallback));

    // One that cannot be made gives way to the default, for now only; nothing else is chosen.
    ContactsTest::writeFile(TestHome::path() + QStringLiteral("/plainfile"), 3);
    const QString unusable = TestHome::path() + QStringLiteral("/plainfile/inside");
    UtilDB::setIcon(folderKey, unusable);
    EXPECT_EQ(ReceivedFolder::take(), fallback);
    for (const QString &notAFolder : {QString(), unusable, chosen + QStringLiteral("|") + fallback})
        EXPECT_FALSE(ReceivedFolder::choose(notAFolder));
    EXPECT_EQ(UtilDB::getIcon(folderKey), unusable);
}

TEST_F(ReceiveFileTaskTest, OpeningTakesTheFolderAndAcceptingSavesThere)
{
    task.onShown();
    EXPECT_TRUE(task.isTicking());
    EXPECT_EQ(task.saveAt(), ReceivedFolder::defaultPath());
    const QString chosen = TestHome::path() + QStringLiteral("/Inbox");
    EXPECT_FALSE(task.chooseFolder(chosen));
    QDir().mkpath(chosen);
    EXPECT_TRUE(task.chooseFolder(chosen));
    EXPECT_EQ(UtilDB::getIcon(folderKey), chosen);

    // A chosen folder that went and cannot be made again is not accepted; one that can, is.
    QDir(chosen).removeRecursively();
    ContactsTest::writeFile(chosen, 3);
    task.accept();
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("0"));
    EXPECT_EQ(task.message(), QStringLiteral("The folder cannot be used. Please choose another one."));
    QFile::remove(chosen);
    task.accept();
    EXPECT_EQ(mainView.state.taskState, chosen);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
    EXPECT_TRUE(mainView.state.isShowView);

    // Once decided, a refusal or a second accept changes nothing.
    task.refuse();
    task.accept();
    EXPECT_EQ(mainView.state.taskState, chosen);
    EXPECT_TRUE(mainView.state.isShowView);

    // A folder given by the caller comes first, when it exists.
    ReceiveFileTask given(mainView, TestHome::path()), missing(mainView, chosen + QStringLiteral("/not-there"));
    given.onShown();
    missing.onShown();
    EXPECT_EQ(QStringList({given.saveAt(), missing.saveAt()}), QStringList({TestHome::path(), chosen}));
}

TEST_F(ReceiveFileTaskTest, TheThirtySecondCountDownRefusesUnlessAccepted)
{
    task.onShown();
    for (int i = 0; i < 29; ++i)
        task.tick();
    EXPECT_DOUBLE_EQ(mainView.state.iCountDown, 1.0);
    EXPECT_TRUE(mainView.state.isShowView);

    task.tick();
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("CancelFileReceive_FromLocal")) == 1; }));
    EXPECT_EQ(bridge.lastText(QStringLiteral("CancelFileReceive_FromLocal"), "Session"), QStringLiteral("PEER|ME"));
    task.tick();
    EXPECT_FALSE(task.isTicking()) << "a closed sheet stops ticking";

    // Accepted after 5 seconds: the count-down stops there.
    offer(QStringLiteral("OFFER-2"));
    task.onShown();
    for (int i = 0; i < 5; ++i)
        task.tick();
    task.accept();
    for (int i = 0; i < 40; ++i)
        task.tick();
    EXPECT_DOUBLE_EQ(mainView.state.iCountDown, 25.0);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
}

// Finishing and its progress show on the sheet (tests/contacts); here the other answers.
TEST_F(ReceiveFileTaskTest, AReceiveEndsAsTheBridgeSays)
{
    const struct {
        Json status;
        ViewReceiveState state;
        QString message;
    } cases[] = {
        {ScriptedDeliveryBridge::status(5, 20.0), ViewReceiveState::vrsCanceld,
         QStringLiteral("The sender cancelled the transfer.")},
        {ScriptedDeliveryBridge::status(4, 20.0), ViewReceiveState::vrsStopped, QStringLiteral("The files could not be received. Disk full")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status.dump());
        offer(QString::fromStdString(c.status.dump()));
        acceptAndAsk();
        EXPECT_EQ(bridge.lastText(QStringLiteral("RefreshRemoteUploadStatus_FromLocal"), "Session"),
                  QStringLiteral("PEER|ME"));
        bridge.answerHeld(c.status);
        ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState != ViewReceiveState::vrsRunning; }));
        EXPECT_EQ(mainView.state.vrsState, c.state);
        EXPECT_EQ(task.message(), c.message);
    }
}

TEST_F(ReceiveFileTaskTest, EveryTickAsksAndAnyAnswerCountsUntilThreeQuestionsInARowGoUnanswered)
{
    auto clock = std::make_shared<ManualClock>();
    Clock::set(clock);
    // Each question waits 10 s for its answer.
    const auto advanceSecs = [&](int secs) {
        clock->advanceMs(secs * 1000);
        P2PClientMsg::taskTable().expireDue();
    };
    acceptAndAsk();
    advanceSecs(5);
    task.tick();
    ASSERT_TRUE(waitFor([&] { return polls() == 2; })) << "a tick asks while the earlier question is open";
    advanceSecs(5);
    advanceSecs(5);
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0) << "both questions ended unanswered";

    // The slow bridge answers both after all: the answers count and start the count of misses again.
    bridge.answerHeld(ScriptedDeliveryBridge::status(2, 10.0));
    ASSERT_TRUE(waitFor([&] { return task.progress().percent == 10.0; }));
    const auto askUnanswered = [&] {
        const int asked = polls();
        task.tick();
        ASSERT_TRUE(waitFor([&] { return polls() == asked + 1; }));
        advanceSecs(10);
    };
    askUnanswered();
    askUnanswered();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning) << "two misses since the last answer";
    askUnanswered();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsStopped);
    EXPECT_EQ(task.message(), QStringLiteral("The connection to the other side was lost."));

    // The next receive counts its misses from none: two in a row leave it running, a third ends it.
    offer(QStringLiteral("OFFER-2"));
    acceptAndAsk();
    advanceSecs(10);
    askUnanswered();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning) << "two misses in this receive";
    askUnanswered();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsStopped);
}

TEST_F(ReceiveFileTaskTest, AWithdrawnReceiveEndsAndAnswersAboutItAreDropped)
{
    acceptAndAsk();
    // The sender withdraws while the question is open: the receive ends, so that a later offer
    // may open the sheet again.
    CtlViewReceiveFile withdrawn = mainView.state;
    withdrawn.isShowView = false;
    mainView.setCtlViewReceiveFile(withdrawn);
    task.onStateChanged();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
    EXPECT_EQ(task.message(), QStringLiteral("The sender cancelled the transfer."));

    // A new offer starts afresh; the late answer about the old one changes nothing.
    offer(QStringLiteral("OFFER-2"));
    EXPECT_TRUE(task.message().isEmpty());
    task.accept();
    bridge.answerHeld(ScriptedDeliveryBridge::status(3, 100.0, 2));
    ASSERT_TRUE(waitFor([] {
        const PendingRequestTable &table = P2PClientMsg::taskTable();
        return !table.hasPendingCode(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")) && table.lateAnswerCount() == 0;
    })) << "the answer about the old receive came in";
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
    EXPECT_DOUBLE_EQ(task.progress().percent, 0.0);

    // The new receive asks at once; the bridge goes while the question is open.
    task.tick();
    ASSERT_TRUE(waitFor([&] { return polls() == 2; }));
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsStopped; }));
    EXPECT_EQ(task.message(), QStringLiteral("The transfer stopped because the connection to the service was lost."));
}
