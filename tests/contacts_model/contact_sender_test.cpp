// Sending files to a contact against a scripted bridge and peer: the contact-code check, the peer
// connection and its owner, the offer, waiting for the receiver's decision, the upload and its
// progress, cancelling, and the message each ending leaves.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "contact_sender.h"
#include "contacts_test_support.h"
#include "env.h"
#include "peer_request_handler.h"
#include "scripted_delivery_bridge.h"
#include "session_state.h"

#include <QLocale>

#include <gtest/gtest.h>

using State = ViewContactState;

namespace {

QString str(const Json &value, const char *key)
{
    return value.contains(key) && value[key].is_string() ? QString::fromStdString(value[key].get<std::string>())
                                                          : QString();
}

class ContactSenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ContactsTest::resetAll();
        BridgeMessage::peerRequestHandler = &handler;
        Env::userInfo.Token = QStringLiteral("TOK+EN/1=");
        Env::userInfo.ClientID = QString::fromLatin1(ScriptedDeliveryBridge::ownClientId);
        Env::userInfo.name_acc = QStringLiteral("me@example.com");
        ASSERT_TRUE(bridge.connectClient());
        // Ticks are given by hand; the receiver is asked again quickly.
        sender.setTiming({600000, 20});
        bob.name = QStringLiteral("Bob");
        bob.email = QStringLiteral("bob+files@example.com");
        bob.accessCode = QStringLiteral("K7Q2 ");
        paths = QStringList{QStringLiteral("/src/a.txt"), QStringLiteral("/src/b.txt")};
    }
    void TearDown() override { BridgeState::resetForTests(); }

    bool reach(State state, int timeoutMs = 5000)
    {
        return waitFor([&] { return sender.state() == state; }, timeoutMs);
    }
    // Starts a delivery and waits until the receiver is being asked for a decision.
    void startAndWaitForDecision()
    {
        ASSERT_TRUE(sender.start(bob, paths));
        ASSERT_TRUE(reach(State::vcsWaiting)) << sender.message().toStdString();
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            sender.tick();
    }

    PeerRequests handler;
    ScriptedDeliveryBridge bridge;
    ContactSender sender;
    ContactPerson bob;
    QStringList paths;
};

} // namespace

TEST_F(ContactSenderTest, DeliversToAReceiverThatAcceptsAfterThinking)
{
    bridge.decisions = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("/home/bob/In")};
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 40.0, 1), ScriptedDeliveryBridge::status(3, 100.0, 2, 2, true)};

    ASSERT_TRUE(sender.start(bob, paths));
    EXPECT_EQ(sender.state(), State::vcsChecking);
    ASSERT_TRUE(reach(State::vcsSending)) << sender.message().toStdString();

    // The contact code was checked for this contact, with every value encoded.
    const QString url = str(bridge.lastData(QStringLiteral("CallHttp")), "URL");
    EXPECT_TRUE(url.endsWith(QStringLiteral("account/acode/check/index.php?Token=TOK%2BEN%2F1%3D&acode=K7Q2"
                                            "&email=bob%2Bfiles%40example.com")))
        << url.toStdString();
    EXPECT_EQ(bridge.lastData(QStringLiteral("CallHttp"))["Timeout"], 5);

    // The peer connection went to the host the check named, and the page owns it.
    const Json init = bridge.lastData(QStringLiteral("ClientInit"));
    EXPECT_EQ(str(init, "Id_user"), Env::userInfo.Token);
    EXPECT_EQ(str(init, "Hostname"), QStringLiteral("bobhost"));
    EXPECT_EQ(str(init, "Hostpassword"), QStringLiteral("K7Q2"));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 3);
    EXPECT_EQ(HelperRemoteSharing::globalContactView, &sender);

    // The offer, then the decision asked for three times under the offer's id.
    const Json offer = bridge.lastData(QStringLiteral("WaitRemoteReceiveFiles"));
    EXPECT_EQ(str(offer, "Session"), QStringLiteral("CLIENT-A|CLIENT-B"));
    EXPECT_EQ(str(offer, "Summary"), QStringLiteral("2 items: a.txt, b.txt"));
    EXPECT_EQ(str(offer, "FromUser"), QStringLiteral("me@example.com"));
    EXPECT_EQ(str(offer, "UUID"), sender.offerUuid());
    EXPECT_EQ(sender.offerUuid().size(), 36);
    const auto asks = bridge.withCode(QStringLiteral("WaitRemoteReceiveFilesPressButton"));
    ASSERT_EQ(asks.size(), 3);
    for (const auto &ask : asks)
        EXPECT_EQ(str(ask.data, "UUID"), sender.offerUuid());
    EXPECT_EQ(sender.receiverFolder(), QStringLiteral("/home/bob/In"));

    // The bridge prepared the items below the receiver's folder and started the upload with them.
    const Json prepare = bridge.lastData(QStringLiteral("PreparingUpload"));
    EXPECT_EQ(str(prepare, "Targets"), QStringLiteral("/src/a.txt|/src/b.txt"));
    EXPECT_EQ(str(prepare, "LocalRootPath"), QStringLiteral("/src"));
    EXPECT_EQ(str(prepare, "RemoteSaveRootPath"), QStringLiteral("Z:\\"));
    const Json start = bridge.lastData(QStringLiteral("StartRemoteUpload"));
    EXPECT_EQ(str(start, "Session"), QStringLiteral("CLIENT-A|CLIENT-B"));
    EXPECT_EQ(str(start, "ClientID1"), QStringLiteral("CLIENT-A"));
    EXPECT_EQ(str(start, "ClientID2"), QStringLiteral("CLIENT-B"));
    EXPECT_EQ(start["FileList"], bridge.preparedAnswer["FileList"]);

    // Each tick asks the bridge for the progress and passes it on to the receiver.
    sender.tick();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("SyncTransState")) == 1; }));
    EXPECT_EQ(sender.state(), State::vcsSending);
    EXPECT_DOUBLE_EQ(sender.progress().percent, 40.0);
    EXPECT_EQ(sender.progress().describe(), QStringLiteral("1 of 2 files · 4.00 bytes of 12.00 bytes"));
    const auto polls = bridge.withCode(QStringLiteral("RemoteUploadTaskInfo"));
    ASSERT_EQ(polls.size(), 1);
    EXPECT_EQ(polls[0].isProcessOnBridge, QStringLiteral("YES"));
    EXPECT_EQ(str(polls[0].data, "IsProcessOnBridge"), QStringLiteral("YES"));
    const Json sync = bridge.lastData(QStringLiteral("SyncTransState"));
    EXPECT_EQ(str(sync, "Log"), QStringLiteral("Copying b.txt"));
    EXPECT_DOUBLE_EQ(sync["IProgress"].get<double>(), 40.0);
    EXPECT_FALSE(sync["IsFinished"].get<bool>());

    sender.tick();
    ASSERT_TRUE(reach(State::vcsFinished));
    EXPECT_TRUE(bridge.lastData(QStringLiteral("SyncTransState"))["IsFinished"].get<bool>());
    EXPECT_EQ(sender.message(), QStringLiteral("All files were delivered."));
    EXPECT_DOUBLE_EQ(sender.progress().percent, 100.0);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    EXPECT_FALSE(sender.isBusy());
}

TEST_F(ContactSenderTest, AnUndecidedReceiverIsAskedAgainASecondLater)
{
    sender.setTiming({600000, 1000});
    bridge.decisions = {QStringLiteral("0"), QStringLiteral("2")};
    startAndWaitForDecision();
    ASSERT_TRUE(reach(State::vcsRefused, 4000));
    const auto asks = bridge.withCode(QStringLiteral("WaitRemoteReceiveFilesPressButton"));
    ASSERT_EQ(asks.size(), 2);
    const qint64 gap = asks[1].atMs - asks[0].atMs;
    EXPECT_GE(gap, 950);
    EXPECT_LT(gap, 2500);
}

TEST_F(ContactSenderTest, ARefusalEndsTheWaitWithoutSending)
{
    bridge.decisions = {QStringLiteral("2")};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsRefused));
    EXPECT_EQ(bridge.count(QStringLiteral("WaitRemoteReceiveFilesPressButton")), 1);
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver refused the files."));
    EXPECT_EQ(bridge.count(QStringLiteral("PreparingUpload")), 0);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
}

TEST_F(ContactSenderTest, GivesUpAfterThirtyTicksWithoutADecision)
{
    bridge.decisions = {QStringLiteral("0")};
    startAndWaitForDecision();
    ticks(29);
    EXPECT_EQ(sender.state(), State::vcsWaiting);
    EXPECT_EQ(sender.decisionSecondsLeft(), 1);
    EXPECT_EQ(bridge.count(QStringLiteral("CancelUploading")), 0);

    sender.tick();
    EXPECT_EQ(sender.state(), State::vcsStopped);
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver did not answer in time."));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("WaitRemoteReceiveFilesCancel")) == 1; }));
    ASSERT_EQ(bridge.count(QStringLiteral("CancelUploading")), 1);
    EXPECT_EQ(bridge.withCode(QStringLiteral("CancelUploading"))[0].isProcessOnBridge, QStringLiteral("YES"));
    EXPECT_EQ(str(bridge.lastData(QStringLiteral("WaitRemoteReceiveFilesCancel")), "Session"),
              QStringLiteral("CLIENT-A|CLIENT-B"));

    // No more questions once it gave up.
    const int asked = bridge.count(QStringLiteral("WaitRemoteReceiveFilesPressButton"));
    spin(150);
    EXPECT_EQ(bridge.count(QStringLiteral("WaitRemoteReceiveFilesPressButton")), asked);
}

TEST_F(ContactSenderTest, ConnectionStatesEndWithTheirTexts)
{
    bridge.connect = ScriptedDeliveryBridge::Connect::Fails;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsStopped));
    EXPECT_EQ(sender.message(), QStringLiteral("The host is not available. Please check the host name and tag."));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    EXPECT_EQ(bridge.count(QStringLiteral("WaitRemoteReceiveFiles")), 0);

    bridge.connect = ScriptedDeliveryBridge::Connect::Stands;
    bridge.peerLimit = 2;
    bridge.peerSessions = 2;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(waitFor([&] { return sender.state() == State::vcsStopped && bridge.count(QStringLiteral("ClientTouch")) == 1; }));
    EXPECT_EQ(sender.message(), QStringLiteral("Max Connection Limits Reached!"));
    EXPECT_EQ(bridge.count(QStringLiteral("WaitRemoteReceiveFiles")), 0);
    EXPECT_EQ(bridge.count(QStringLiteral("GetLanHttp")), 0);
}

TEST_F(ContactSenderTest, AConnectionThatNeverComesIsGivenUp)
{
    bridge.connect = ScriptedDeliveryBridge::Connect::Silent;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsConnecting));
    ticks(ContactSender::connectTickLimit - 1);
    EXPECT_EQ(sender.state(), State::vcsConnecting);
    sender.tick();
    EXPECT_EQ(sender.state(), State::vcsStopped);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);

    // A report that arrives after that changes nothing.
    sender.onClientInitResult(P2PClientMsg::ConStatus::csConnected);
    EXPECT_EQ(sender.state(), State::vcsStopped);
}

TEST_F(ContactSenderTest, AContactCodeTheServiceRefusesStopsBeforeConnecting)
{
    bridge.callHttpBody = QStringLiteral(R"({"Result":"0","Info":"No account has this contact code"})");
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsStopped));
    EXPECT_EQ(sender.message(),
              QStringLiteral("This contact code does not belong to the contact's e-mail address. Please check the contact."));
    EXPECT_EQ(bridge.count(QStringLiteral("ClientInit")), 0);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
}

TEST_F(ContactSenderTest, AnAnswerThatIsNotJsonIsPrintedAndStops)
{
    bridge.callHttpBody = QStringLiteral("<html>502</html>");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(sender.start(bob, paths));
    const bool stopped = reach(State::vcsStopped);
    const QString printed = QString::fromStdString(testing::internal::GetCapturedStdout());
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(printed.contains(QStringLiteral("Json error : <html>502</html>"))) << printed.toStdString();
    EXPECT_EQ(sender.message(), QStringLiteral("The contact code could not be checked. Please try again."));
}

TEST_F(ContactSenderTest, NothingIsSentWithoutTheServiceOrSomethingToSend)
{
    EXPECT_FALSE(sender.start(bob, {}));
    EXPECT_EQ(sender.state(), State::vcsReady);

    Env::userInfo.Token.clear();
    ASSERT_TRUE(sender.start(bob, paths));
    EXPECT_EQ(sender.state(), State::vcsStopped);
    EXPECT_EQ(sender.message(), QStringLiteral("Not connected to the service. Please log in and try again."));
    spin(50);
    EXPECT_EQ(bridge.count(QStringLiteral("CallHttp")), 0);
}

TEST_F(ContactSenderTest, OneDeliveryAtATime)
{
    bridge.decisions = {QStringLiteral("0")};
    startAndWaitForDecision();
    EXPECT_FALSE(sender.start(bob, {QStringLiteral("/other")}));
    EXPECT_EQ(sender.paths(), paths);
    EXPECT_EQ(bridge.count(QStringLiteral("CallHttp")), 1);
}

TEST_F(ContactSenderTest, CancellingWhileSendingStopsTheUploadAndClosesTheReceiversSheet)
{
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 10.0)};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));
    bridge.answerStatus = false;
    sender.tick();
    sender.cancel();
    EXPECT_EQ(sender.state(), State::vcsCanceled);
    EXPECT_EQ(sender.message(), QStringLiteral("You cancelled the transfer."));
    ASSERT_TRUE(waitFor([&] {
        return bridge.count(QStringLiteral("CancelUploading")) == 1
               && bridge.count(QStringLiteral("WaitRemoteReceiveFilesCancel")) == 1;
    }));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    sender.tick();
    spin(50);
    EXPECT_EQ(bridge.count(QStringLiteral("RemoteUploadTaskInfo")), 1) << "no progress asked for after the end";
}

TEST_F(ContactSenderTest, TheReceiverCancellingEndsTheDelivery)
{
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    bridge.statuses = {ScriptedDeliveryBridge::status(5, 30.0, 0, 2, false, true)};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));
    sender.tick();
    ASSERT_TRUE(reach(State::vcsCanceled));
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver cancelled the transfer."));
    EXPECT_TRUE(bridge.lastData(QStringLiteral("SyncTransState"))["IsCanceled"].get<bool>());
}

TEST_F(ContactSenderTest, AnUploadTheBridgeRefusesEndsWithItsReason)
{
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    bridge.preparedAnswer = Json{{"Result", 0}, {"Info", "Not found: /src/a.txt"}};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsStopped));
    EXPECT_EQ(sender.message(), QStringLiteral("The files could not be sent. Not found: /src/a.txt"));
    EXPECT_EQ(bridge.count(QStringLiteral("StartRemoteUpload")), 0);
}

TEST_F(ContactSenderTest, GivingUpLeavesALinkThatAnotherViewTookOver)
{
    bridge.connect = ScriptedDeliveryBridge::Connect::Silent;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsConnecting));
    HelperRemoteSharing::linkOwner = 1;
    sender.cancel();
    EXPECT_EQ(sender.state(), State::vcsCanceled);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 1);
}
