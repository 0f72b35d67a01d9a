// A contact's offer of files: the receive sheet opens, the sender learns the user's decision, the
// sender withdraws. Offers and decisions belong to one offer: a running receive is not taken over,
// and a poll or withdrawal that names another offer changes nothing.

#include "peer_test_support.h"

#include "env.h"
#include "localization.h"
#include "p2p_client_msg.h"
#include "session_state.h"

using namespace PeerTest;

namespace {

class PeerDeliveryTest : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        Env::globalMainView = &mainView;
    }
    void offer(const QString &token, const QString &uuid, const QString &session, const QString &summary = QStringLiteral("2 files"))
    {
        sendPeer(QStringLiteral("WaitRemoteReceiveFiles"),
                 Json{{"Session", session.toStdString()}, {"Summary", summary.toStdString()}, {"FromUser", "ann@x.org"},
                      {"UUID", uuid.toStdString()}},
                 token, QStringLiteral("OUTER|ME"));
    }
    Json decision(const QString &token, const QString &uuid)
    {
        sendPeer(QStringLiteral("WaitRemoteReceiveFilesPressButton"), Json{{"UUID", uuid.toStdString()}}, token);
        return dataOf(token)["data"];
    }
    void withdraw(const QString &token, const Json &msg) { sendPeer(QStringLiteral("WaitRemoteReceiveFilesCancel"), msg, token); }

    FakeMainView mainView;
};

} // namespace

TEST_F(PeerDeliveryTest, OfferOpensTheSheetTakesTheSessionAndResetsTheUpload)
{
    mainView.state.iCountDown = 3;
    mainView.state.taskState = QStringLiteral("/old");
    offer(QStringLiteral("o"), QStringLiteral("U1"), QStringLiteral("ANN|ME"));
    const Json reply = replyTo(QStringLiteral("o"));
    EXPECT_EQ(reply["Data"], Json({{"data", "1"}}));
    EXPECT_EQ(reply["Session"], "OUTER|ME") << "the reply carries the request's own session";

    const CtlViewReceiveFile &state = mainView.state;
    EXPECT_TRUE(state.isShowView);
    EXPECT_EQ(state.Session, QStringLiteral("ANN|ME"));
    EXPECT_EQ(state.Summary, QStringLiteral("2 files"));
    EXPECT_EQ(state.FromUser, QStringLiteral("ann@x.org"));
    EXPECT_EQ(state.UUID, QStringLiteral("U1"));
    EXPECT_EQ(state.vrsState, ViewReceiveState::vrsWaiting);
    EXPECT_EQ(state.taskState, QStringLiteral("0"));
    EXPECT_EQ(state.iCountDown, 30.0);

    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("ANN|ME"));
    EXPECT_EQ(HelperRemoteSharing::sessionClientID1, QStringLiteral("ANN"));
    EXPECT_TRUE(P2PClientMsg::isRemoteConnected);
    ASSERT_TRUE(waitFor([&] { return !bridge.controlRequests(QStringLiteral("ResetRemoteUploadStatus_FromLocal")).isEmpty(); }));
    EXPECT_EQ(bridge.controlRequests(QStringLiteral("ResetRemoteUploadStatus_FromLocal"))[0]["Data"], Json({{"Session", "ANN|ME"}}));
}

TEST_F(PeerDeliveryTest, PollsFollowTheUsersDecision)
{
    offer(QStringLiteral("o"), QStringLiteral("U1"), QStringLiteral("ANN|ME"));
    EXPECT_EQ(decision(QStringLiteral("p1"), QStringLiteral("U1")), "0");
    mainView.state.taskState = QStringLiteral("/home/me/MyReceived");
    mainView.state.vrsState = ViewReceiveState::vrsRunning;
    EXPECT_EQ(decision(QStringLiteral("p2"), QStringLiteral("U1")), "/home/me/MyReceived");
    mainView.state.taskState = QStringLiteral("2");
    EXPECT_EQ(decision(QStringLiteral("p3"), QStringLiteral("U1")), "2");
}

TEST_F(PeerDeliveryTest, ANewOfferReplacesAWaitingOneAndTheOldSenderHearsRefused)
{
    offer(QStringLiteral("o1"), QStringLiteral("U1"), QStringLiteral("ANN|ME"));
    mainView.state.iCountDown = 12;
    offer(QStringLiteral("o2"), QStringLiteral("U2"), QStringLiteral("BOB|ME"), QStringLiteral("1 file"));
    EXPECT_EQ(dataOf(QStringLiteral("o2")), Json({{"data", "1"}}));
    EXPECT_EQ(mainView.state.UUID, QStringLiteral("U2"));
    EXPECT_EQ(mainView.state.iCountDown, 30.0);
    mainView.state.taskState = QStringLiteral("/save/here");
    EXPECT_EQ(decision(QStringLiteral("old"), QStringLiteral("U1")), "2") << "the folder chosen for one offer is not told to another";
    EXPECT_EQ(decision(QStringLiteral("new"), QStringLiteral("U2")), "/save/here");
}

TEST_F(PeerDeliveryTest, AnOfferDuringARunningReceiveDoesNotTakeOver)
{
    offer(QStringLiteral("o1"), QStringLiteral("U1"), QStringLiteral("ANN|ME"));
    mainView.state.vrsState = ViewReceiveState::vrsRunning;
    mainView.state.taskState = QStringLiteral("/save/ann");
    const CtlViewReceiveFile running = mainView.state;

    offer(QStringLiteral("o2"), QStringLiteral("U2"), QStringLiteral("BOB|ME"));
    EXPECT_EQ(dataOf(QStringLiteral("o2")), Json({{"data", "1"}}));
    EXPECT_EQ(mainView.state.UUID, running.UUID);
    EXPECT_EQ(mainView.state.Session, running.Session);
    EXPECT_EQ(mainView.state.taskState, running.taskState);
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("ANN|ME")) << "the running receive keeps its session";
    EXPECT_EQ(decision(QStringLiteral("bob"), QStringLiteral("U2")), "2");
    settle();
    EXPECT_EQ(bridge.controlRequests(QStringLiteral("ResetRemoteUploadStatus_FromLocal")).size(), 1);
}

TEST_F(PeerDeliveryTest, WithdrawalClosesOnlyItsOwnOffer)
{
    offer(QStringLiteral("o"), QStringLiteral("U1"), QStringLiteral("ANN|ME"));
    mainView.state.vrsState = ViewReceiveState::vrsRunning;
    mainView.state.taskState = QStringLiteral("/save");

    withdraw(QStringLiteral("w1"), Json{{"Session", "EVE|ME"}});
    withdraw(QStringLiteral("w2"), Json::object());
    withdraw(QStringLiteral("w3"), Json{{"Session", "ANN|ME"}, {"UUID", "OTHER"}});
    EXPECT_TRUE(mainView.state.isShowView);
    EXPECT_TRUE(mainView.toasts.isEmpty());

    withdraw(QStringLiteral("w4"), Json{{"Session", "ANN|ME"}});
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning) << "nothing else changes";
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("/save"));
    EXPECT_EQ(mainView.toasts, QStringList{localizedString(QStringLiteral("Contact_SendCanceled"))});
    settle();
    for (const Json &reply : replies())
        EXPECT_NE(reply.value("Code", ""), "WaitRemoteReceiveFilesCancel") << "a withdrawal is never answered";
}

TEST_F(PeerDeliveryTest, WithoutAMainWindowTheOfferIsStillTaken)
{
    Env::globalMainView = nullptr;
    offer(QStringLiteral("o"), QStringLiteral("U1"), QStringLiteral("ANN|ME"));
    EXPECT_EQ(dataOf(QStringLiteral("o")), Json({{"data", "1"}}));
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("ANN|ME"));
    EXPECT_EQ(decision(QStringLiteral("p"), QStringLiteral("U1")), Json(nullptr));
    withdraw(QStringLiteral("w"), Json{{"Session", "ANN|ME"}});
    EXPECT_EQ(mainView.writes, 0);
}
