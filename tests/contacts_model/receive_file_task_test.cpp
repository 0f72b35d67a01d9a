// The receive-files sheet's work on the main window's state: the count-down, accepting into the
// receive folder, refusing, the progress of a running receive and cancelling it.

#include "bridge_state_reset.h"
#include "bridge_supervisor.h"
#include "contacts_test_support.h"
#include "receive_file_task.h"
#include "received_folder.h"
#include "scripted_delivery_bridge.h"
#include "test_home.h"
#include "util_db.h"

#include <QDir>
#include <QLocale>

#include <gtest/gtest.h>


namespace {

QString str(const Json &value, const char *key)
{
    return value.contains(key) && value[key].is_string() ? QString::fromStdString(value[key].get<std::string>())
                                                          : QString();
}

class ReceiveFileTaskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ContactsTest::resetAll();
        ASSERT_TRUE(bridge.connectClient());
        task.setTickIntervalMs(600000);
        offer(QStringLiteral("OFFER-1"), QStringLiteral("pat@example.com"));
    }
    void TearDown() override
    {
        BridgeState::resetForTests();
        UtilDB::close();
    }

    // A contact's offer as the peer side writes it.
    void offer(const QString &uuid, const QString &from)
    {
        CtlViewReceiveFile state;
        state.Session = QStringLiteral("PEER|ME");
        state.Summary = QStringLiteral("2 items: a.txt, b.txt");
        state.FromUser = from;
        state.UUID = uuid;
        state.isShowView = true;
        mainView.setCtlViewReceiveFile(state);
        task.onStateChanged();
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            task.tick();
    }

    ScriptedDeliveryBridge bridge;
    FakeMainView mainView;
    ReceiveFileTask task{mainView};
};

} // namespace

TEST_F(ReceiveFileTaskTest, OpeningTakesTheReceiveFolderAndAcceptingSavesThere)
{
    task.onShown();
    EXPECT_TRUE(task.isTicking());
    EXPECT_EQ(task.saveAt(), ReceivedFolder::defaultPath());
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("MyReceivedFolder")), ReceivedFolder::defaultPath());

    const QString chosen = TestHome::path() + QStringLiteral("/Inbox");
    EXPECT_FALSE(task.chooseFolder(chosen));
    QDir().mkpath(chosen);
    EXPECT_TRUE(task.chooseFolder(chosen));
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("MyReceivedFolder")), chosen);

    task.accept();
    EXPECT_EQ(mainView.state.taskState, chosen);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
    EXPECT_TRUE(mainView.state.isShowView);

    // A second accept, or a refusal, changes nothing once decided.
    task.refuse();
    task.accept();
    EXPECT_EQ(mainView.state.taskState, chosen);
    EXPECT_TRUE(mainView.state.isShowView);
}

TEST_F(ReceiveFileTaskTest, RefusingWritesTwoAndClosesTheSheet)
{
    task.onShown();
    task.refuse();
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsWaiting);
    task.tick();
    EXPECT_FALSE(task.isTicking()) << "a closed sheet stops ticking";
}

TEST_F(ReceiveFileTaskTest, TheCountDownRefusesAndCancelsWhenItRunsOut)
{
    task.onShown();
    ticks(29);
    EXPECT_DOUBLE_EQ(mainView.state.iCountDown, 1.0);
    EXPECT_TRUE(mainView.state.isShowView);
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("0"));

    task.tick();
    EXPECT_DOUBLE_EQ(mainView.state.iCountDown, 0.0);
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("CancelFileReceive_FromLocal")) == 1; }));
    EXPECT_EQ(str(bridge.lastData(QStringLiteral("CancelFileReceive_FromLocal")), "Session"), QStringLiteral("PEER|ME"));
}

TEST_F(ReceiveFileTaskTest, TheCountDownStopsOnceAccepted)
{
    task.onShown();
    ticks(5);
    task.accept();
    bridge.answerStatus = false;
    ticks(40);
    EXPECT_DOUBLE_EQ(mainView.state.iCountDown, 25.0);
    EXPECT_TRUE(mainView.state.isShowView);
}

TEST_F(ReceiveFileTaskTest, ARunningReceiveFollowsTheBridgeToTheEnd)
{
    bridge.statuses = {Json{{"TaskStatus", 0}, {"Log", "No transfer"}}, ScriptedDeliveryBridge::status(2, 50.0, 1),
                       ScriptedDeliveryBridge::status(3, 100.0, 2, 2, true)};
    task.onShown();
    task.accept();

    task.tick();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")) == 1; }));
    EXPECT_EQ(str(bridge.lastData(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")), "Session"),
              QStringLiteral("PEER|ME"));
    spin(30);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning) << "the sender has not started yet";

    task.tick();
    ASSERT_TRUE(waitFor([&] { return task.progress().percent == 50.0; }));
    EXPECT_EQ(task.progress().doneCount, 1);
    task.tick();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsFinished; }));
    EXPECT_DOUBLE_EQ(task.progress().percent, 100.0);
    EXPECT_TRUE(mainView.state.isShowView) << "the sheet stays to say so";

    task.close();
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(bridge.count(QStringLiteral("CancelFileReceive_FromLocal")), 0);
}

TEST_F(ReceiveFileTaskTest, OneQuestionAtATimeWhileTheBridgeIsSlow)
{
    task.onShown();
    task.accept();
    bridge.answerStatus = false;
    ticks(5);
    spin(50);
    EXPECT_EQ(bridge.count(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")), 1);
}

TEST_F(ReceiveFileTaskTest, AReceiveWhoseLinkToTheServiceWentSaysSo)
{
    task.onShown();
    task.accept();
    bridge.answerStatus = false;
    task.tick();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")) == 1; }));

    // The bridge goes while the question is open: not the other side's doing.
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsStopped; }));
    EXPECT_EQ(task.message(), QStringLiteral("The transfer stopped because the connection to the service was lost."));
}

TEST_F(ReceiveFileTaskTest, CancellingARunningReceiveTellsTheBridgeAndStaysToSaySo)
{
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 20.0)};
    task.onShown();
    task.accept();
    task.cancel();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
    EXPECT_TRUE(mainView.state.isShowView);
    EXPECT_EQ(task.message(), QStringLiteral("You cancelled the transfer."));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("CancelFileReceive_FromLocal")) == 1; }));

    task.tick();
    spin(30);
    EXPECT_EQ(bridge.count(QStringLiteral("RefreshRemoteUploadStatus_FromLocal")), 0);
    task.close();
    EXPECT_FALSE(mainView.state.isShowView);
}

TEST_F(ReceiveFileTaskTest, TheSendersCancelEndsTheReceive)
{
    bridge.statuses = {ScriptedDeliveryBridge::status(5, 20.0, 0, 2, false, true)};
    task.onShown();
    task.accept();
    task.tick();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsCanceld; }));
    EXPECT_EQ(task.message(), QStringLiteral("The sender cancelled the transfer."));
}

TEST_F(ReceiveFileTaskTest, ANewOfferStartsAfresh)
{
    bridge.statuses = {ScriptedDeliveryBridge::status(3, 100.0, 2, 2, true)};
    task.onShown();
    task.accept();
    task.tick();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsFinished; }));

    offer(QStringLiteral("OFFER-2"), QStringLiteral("lee@example.com"));
    EXPECT_DOUBLE_EQ(task.progress().percent, 0.0);
    EXPECT_TRUE(task.message().isEmpty());
    task.accept();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
    EXPECT_EQ(mainView.state.UUID, QStringLiteral("OFFER-2"));
}

TEST_F(ReceiveFileTaskTest, AFolderThatIsGoneAndCannotBeMadeIsNotAccepted)
{
    task.onShown();
    const QString chosen = TestHome::path() + QStringLiteral("/Inbox");
    QDir().mkpath(chosen);
    ASSERT_TRUE(task.chooseFolder(chosen));
    QDir(chosen).removeRecursively();
    ContactsTest::writeFile(chosen, 3);

    task.accept();
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("0"));
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsWaiting);
    EXPECT_EQ(task.message(), QStringLiteral("The folder cannot be used. Please choose another one."));
}

TEST_F(ReceiveFileTaskTest, AGivenFolderComesFirstWhenItExists)
{
    const QString given = TestHome::path() + QStringLiteral("/Given");
    QDir().mkpath(given);
    ReceiveFileTask withFolder(mainView, given);
    withFolder.setTickIntervalMs(600000);
    withFolder.onShown();
    EXPECT_EQ(withFolder.saveAt(), given);

    ReceiveFileTask missing(mainView, given + QStringLiteral("/not-there"));
    missing.setTickIntervalMs(600000);
    missing.onShown();
    EXPECT_EQ(missing.saveAt(), ReceivedFolder::defaultPath());
}

TEST_F(ReceiveFileTaskTest, ARunningReceiveWhoseSheetTheSenderClosedEnds)
{
    task.onShown();
    task.accept();
    CtlViewReceiveFile withdrawn = mainView.state;
    withdrawn.isShowView = false;
    mainView.setCtlViewReceiveFile(withdrawn);
    task.onStateChanged();
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld) << "a later offer may open the sheet again";
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(mainView.state.taskState, task.saveAt());
    EXPECT_EQ(task.message(), QStringLiteral("The sender cancelled the transfer."));
}
