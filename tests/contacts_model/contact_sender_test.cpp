// Sending files to a contact against a scripted bridge and peer: the contact-code check, the peer
// connection and its owner, the offer, the receiver's decision, the upload and its progress, each
// ending and its message; what the offer says about the items and how progress reads.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "bridge_supervision.h"
#include "bridge_supervisor.h"
#include "captured_output.h"
#include "clock.h"
#include "contact_sender.h"
#include "contacts_test_support.h"
#include "control_requests.h"
#include "delivery_targets.h"
#include "env.h"
#include "lenient_json.h"
#include "p2p_client_msg.h"
#include "peer_request_handler.h"
#include "scripted_delivery_bridge.h"
#include "session_state.h"
#include "transfer_progress.h"

#include <QLocale>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using State = ViewContactState;

namespace {

class ContactSenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ContactsTest::resetAll();
        connectTo(bridge);
        // Ticks are given by hand; the receiver is asked again quickly.
        sender.setTiming({600000, 20});
        bob.email = QStringLiteral("bob+files@example.com");
        bob.accessCode = QStringLiteral("K7Q2 ");
    }

    // A signed-in client with its peer side, linked to scripted.
    void connectTo(ScriptedDeliveryBridge &scripted)
    {
        BridgeState::resetForTests();
        BridgeMessage::peerRequestHandler = &handler;
        Env::userInfo.Token = QStringLiteral("TOK+EN/1=");
        Env::userInfo.ClientID = QString::fromLatin1(ScriptedDeliveryBridge::ownClientId);
        ASSERT_TRUE(scripted.connectClient());
    }
    bool reach(State state) { return waitFor([&] { return sender.state() == state; }); }
    // A re-ask that an answer before now set going is due: a timer of its interval started now fired.
    bool reaskDue()
    {
        const auto fired = std::make_shared<bool>(false);
        QTimer::singleShot(sender.timing().reaskMs, &sender, [fired] { *fired = true; });
        return waitFor([&] { return *fired; });
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
    const QStringList paths{QStringLiteral("/src/a.txt"), QStringLiteral("/src/b.txt")};
};

} // namespace

// The whole road runs end to end through the stand-in (tests/contacts); here what only a script shows.
TEST_F(ContactSenderTest, DeliversToAReceiverThatAcceptsAfterThinking)
{
    sender.setTiming({600000, 1000});
    bridge.decisions = {QStringLiteral("0"), QStringLiteral("/home/bob/In")};
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 40.0, 1), ScriptedDeliveryBridge::status(3, 100.0, 2)};
    CapturedOutput output;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending)) << sender.message().toStdString();
    // The connection to the receiver is told on a line of its own, once.
    EXPECT_EQ(output.lines().count(QStringLiteral("Con!!!!")), 1);

    EXPECT_TRUE(bridge.lastText(QStringLiteral("CallHttp"), "URL")
                    .endsWith(QStringLiteral("account/acode/check/index.php?Token=TOK%2BEN%2F1%3D&acode=K7Q2"
                                             "&email=bob%2Bfiles%40example.com")));
    EXPECT_EQ(bridge.lastData(QStringLiteral("CallHttp"))["Timeout"], 5);
    EXPECT_EQ(bridge.lastText(QStringLiteral("ClientInit"), "Hostpassword"), QStringLiteral("K7Q2"));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 3);
    // An undecided receiver is asked again a second after its answer, about the same offer.
    const auto asks = bridge.withCode(QStringLiteral("WaitRemoteReceiveFilesPressButton"));
    ASSERT_EQ(asks.size(), 2);
    EXPECT_EQ(asks[1].data["UUID"], bridge.lastData(QStringLiteral("WaitRemoteReceiveFiles"))["UUID"]);
    EXPECT_GE(asks[1].atMs - asks[0].atMs, 950);
    EXPECT_EQ(bridge.lastText(QStringLiteral("PreparingUpload"), "RemoteSaveRootPath"), QStringLiteral("Z:\\"));

    // Each tick asks the bridge for the progress and passes it on to the receiver.
    sender.tick();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("SyncTransState")) == 1; }));
    EXPECT_EQ(sender.progress().describe(), QStringLiteral("1 of 2 files · 4.00 bytes of 12.00 bytes"));
    EXPECT_EQ(bridge.lastData(QStringLiteral("SyncTransState"))["IProgress"], 40.0);
    sender.tick();
    ASSERT_TRUE(reach(State::vcsFinished));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("SyncTransState")) == 2; }));
    EXPECT_TRUE(bridge.lastData(QStringLiteral("SyncTransState"))["IsFinished"].get<bool>());
    EXPECT_EQ(sender.message(), QStringLiteral("All files were delivered."));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
}

// Each way a delivery ends short of delivering: its end state, its message, and the request never
// sent because of it. The receiver accepts unless the case says otherwise; the link is given back.
TEST_F(ContactSenderTest, EachEndingSaysWhyAndGoesNoFurther)
{
    using Bridge = ScriptedDeliveryBridge;
    const QString hostGone = QStringLiteral("The host is not available. Please check the host name and tag.");
    const QString notSent = QStringLiteral("The files could not be sent.");
    const QString badCode =
        QStringLiteral("This contact code does not belong to the contact's e-mail address. Please check the contact.");
    struct Case {
        const char *name;
        std::function<void(Bridge &)> script;
        State end;
        QString message;
        const char *neverSent;
    };
    const QList<Case> cases{
        {"signed out", [](Bridge &) { Env::userInfo.Token.clear(); }, State::vcsStopped,
         QStringLiteral("Not connected to the service. Please log in and try again."), "CallHttp"},
        {"refused", [](Bridge &b) { b.decisions = {QStringLiteral("2")}; }, State::vcsRefused,
         QStringLiteral("The receiver refused the files."), "PreparingUpload"},
        {"code refused", [](Bridge &b) { b.callHttpBody = QStringLiteral(R"({"Result":"0","Info":"No such code"})"); },
         State::vcsStopped, badCode, "ClientInit"},
        {"check not JSON", [](Bridge &b) { b.callHttpBody = QStringLiteral("<html>502</html>"); }, State::vcsStopped,
         QStringLiteral("The contact code could not be checked. Please try again."), "ClientInit"},
        {"no peer connection", [](Bridge &b) { b.connect = Bridge::Connect::Fails; }, State::vcsStopped, hostGone,
         "WaitRemoteReceiveFiles"},
        {"peer full", [](Bridge &b) { b.peerSessions = 5; }, State::vcsStopped,
         QStringLiteral("Max Connection Limits Reached!"), "WaitRemoteReceiveFiles"},
        {"offer not taken", [](Bridge &b) { b.offerAnswer = "0"; }, State::vcsStopped, hostGone,
         "WaitRemoteReceiveFilesPressButton"},
        {"prepare refused", [](Bridge &b) { b.preparedAnswer = Json{{"Result", 0}, {"Info", "Not found: /src/a.txt"}}; },
         State::vcsStopped, notSent + QStringLiteral(" Not found: /src/a.txt"), "StartRemoteUpload"},
        {"nothing prepared", [](Bridge &b) { b.preparedAnswer = Json{{"Result", 1}, {"FileList", Json::array()}}; },
         State::vcsStopped, notSent, "StartRemoteUpload"},
        {"start refused", [](Bridge &b) { b.startAnswer = Json{{"Result", 0}, {"Info", "Busy"}}; }, State::vcsStopped,
         notSent + QStringLiteral(" Busy"), "RemoteUploadTaskInfo"},
        {"receiver cancelled", [](Bridge &b) { b.statuses = {Bridge::status(5, 30.0)}; }, State::vcsCanceled,
         QStringLiteral("The receiver cancelled the transfer."), "CancelUploading"},
        {"copy failed", [](Bridge &b) { b.statuses = {Bridge::status(4, 30.0)}; }, State::vcsStopped,
         notSent + QStringLiteral(" Disk full"), "CancelUploading"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bridge scripted;
        scripted.decisions = {QStringLiteral("/in")};
        connectTo(scripted);
        c.script(scripted);
        ASSERT_TRUE(sender.start(bob, paths));
        ASSERT_TRUE(waitFor([&] { return sender.hasEnded() || sender.state() == State::vcsSending; }));
        sender.tick();
        ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }));
        EXPECT_EQ(sender.state(), c.end);
        EXPECT_EQ(sender.message(), c.message);
        ASSERT_TRUE(scripted.caughtUp());
        EXPECT_EQ(scripted.count(QString::fromLatin1(c.neverSent)), 0);
        EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    }
}

TEST_F(ContactSenderTest, AFullPeerIsToldInTheSameWordsUnderChinese)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    bridge.peerSessions = 5;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }));
    EXPECT_EQ(sender.message(), QStringLiteral("Max Connection Limits Reached!"));
}

TEST_F(ContactSenderTest, GivesUpAfterThirtyTicksWithoutADecision)
{
    EXPECT_FALSE(sender.start(bob, {})) << "nothing to send";
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsWaiting));
    EXPECT_FALSE(sender.start(bob, {QStringLiteral("/other")})) << "one delivery at a time";
    ticks(29);
    EXPECT_EQ(sender.state(), State::vcsWaiting);
    EXPECT_EQ(sender.decisionSecondsLeft(), 1);

    sender.tick();
    EXPECT_EQ(sender.state(), State::vcsStopped);
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver did not answer in time."));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("WaitRemoteReceiveFilesCancel")) == 1; }));
    EXPECT_EQ(bridge.count(QStringLiteral("CancelUploading")), 1);

    // No more questions once it gave up, neither on the answer to an open one nor on a re-ask due.
    ASSERT_TRUE(waitFor([] { return !P2PClientMsg::taskTable().hasPendingCode(QStringLiteral("WaitRemoteReceiveFilesPressButton")); }));
    const int asked = bridge.count(QStringLiteral("WaitRemoteReceiveFilesPressButton"));
    ASSERT_TRUE(reaskDue());
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(bridge.count(QStringLiteral("WaitRemoteReceiveFilesPressButton")), asked);
}

TEST_F(ContactSenderTest, AConnectionThatNeverComesIsGivenUpAfterFifteenTicks)
{
    bridge.connect = ScriptedDeliveryBridge::Connect::Silent;
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsConnecting));
    ticks(14);
    EXPECT_EQ(sender.state(), State::vcsConnecting);
    // Meanwhile the remote browser took the link over: giving up leaves it to the browser.
    HelperRemoteSharing::linkOwner = 1;
    sender.tick();
    EXPECT_EQ(sender.state(), State::vcsStopped);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 1);

    // A report that arrives after that changes nothing.
    sender.onClientInitResult(P2PClientMsg::ConStatus::csConnected);
    EXPECT_EQ(sender.state(), State::vcsStopped);
}

TEST_F(ContactSenderTest, CancellingOrLosingTheServiceWhileSendingEndsTheDelivery)
{
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));
    // A slow peer is asked again every tick, whatever became of the earlier questions.
    ticks(3);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("RemoteUploadTaskInfo")) == 3; }));

    sender.cancel();
    EXPECT_EQ(sender.state(), State::vcsCanceled);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    // The late answer and later ticks change nothing.
    bridge.answerHeld(ScriptedDeliveryBridge::status(3, 100.0, 2));
    ASSERT_TRUE(waitFor([] { return !P2PClientMsg::taskTable().hasPendingCode(QStringLiteral("RemoteUploadTaskInfo")); }));
    sender.tick();
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(bridge.count(QStringLiteral("WaitRemoteReceiveFilesCancel")), 1);
    EXPECT_EQ(bridge.count(QStringLiteral("CancelUploading")), 1);
    EXPECT_EQ(bridge.count(QStringLiteral("RemoteUploadTaskInfo")), 3);
    EXPECT_EQ(bridge.count(QStringLiteral("SyncTransState")), 0);

    // Sending again, the link to the service goes while a question is open.
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));
    sender.tick();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("RemoteUploadTaskInfo")) == 4; }));
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    ASSERT_TRUE(reach(State::vcsStopped));
    EXPECT_EQ(sender.message(), QStringLiteral("The transfer stopped because the connection to the service was lost."));
}

TEST_F(ContactSenderTest, OnlyThreeStatusQuestionsInARowUnansweredEndTheDelivery)
{
    auto clock = std::make_shared<ManualClock>();
    Clock::set(clock);
    // A peer has a minute to answer each question.
    const auto advanceSecs = [&](int secs) {
        clock->advanceMs(secs * 1000);
        P2PClientMsg::taskTable().expireDue();
    };
    const auto ask = [&] {
        const int asked = bridge.count(QStringLiteral("RemoteUploadTaskInfo"));
        sender.tick();
        ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("RemoteUploadTaskInfo")) == asked + 1; }));
    };
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));

    // The first question is never answered; the ones after it are.
    ask();
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 10.0, 1)};
    advanceSecs(1);
    ask();
    ASSERT_TRUE(waitFor([&] { return sender.progress().percent == 10.0; }));
    advanceSecs(59);
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0) << "the first question ended unanswered";
    EXPECT_EQ(sender.state(), State::vcsSending) << "one lost answer among answered ones";
    ask();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("SyncTransState")) == 2; }));
    EXPECT_EQ(sender.state(), State::vcsSending);

    // Two more go unanswered, then their answers come after all: they count, and the count of
    // misses starts again.
    bridge.statuses.clear();
    ask();
    advanceSecs(1);
    ask();
    advanceSecs(60);
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0);
    EXPECT_EQ(sender.state(), State::vcsSending) << "two misses in a row";
    bridge.answerHeld(ScriptedDeliveryBridge::status(2, 50.0, 1));
    ASSERT_TRUE(waitFor([&] { return sender.progress().percent == 50.0; }));
    ASSERT_TRUE(waitFor([&] { return bridge.lastData(QStringLiteral("SyncTransState"))["IProgress"] == 50.0; }));

    // Three in a row unanswered: the peer is gone.
    for (int i = 0; i < 3; ++i) {
        ask();
        advanceSecs(1);
    }
    advanceSecs(57);
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 2);
    EXPECT_EQ(sender.state(), State::vcsSending) << "one miss since the late answers";
    advanceSecs(1);
    EXPECT_EQ(sender.state(), State::vcsSending) << "two misses since the late answers";
    advanceSecs(1);
    EXPECT_EQ(sender.state(), State::vcsStopped);
    EXPECT_EQ(sender.message(), QStringLiteral("The connection to the other side was lost."));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);

    // The next delivery counts its misses from none: two in a row leave it sending, a third ends it.
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));
    // The last delivery's questions are answered now: those answers are not this delivery's.
    const int synced = bridge.count(QStringLiteral("SyncTransState"));
    bridge.answerHeld(ScriptedDeliveryBridge::status(2, 70.0, 1));
    ASSERT_TRUE(waitFor([] { return P2PClientMsg::taskTable().lateAnswerCount() == 0; }));
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(bridge.count(QStringLiteral("SyncTransState")), synced);
    EXPECT_EQ(sender.progress().percent, 0.0);
    for (int i = 0; i < 2; ++i) {
        ask();
        advanceSecs(60);
    }
    EXPECT_EQ(sender.state(), State::vcsSending) << "two misses in this delivery";
    ask();
    advanceSecs(60);
    EXPECT_EQ(sender.state(), State::vcsStopped);
}

// As the client runs beside a busy bridge: the main window pings it every tick and it answers
// each ping 4 s late, while the peer answers each status question 61 s after it was asked, a
// second after the question's own minute ran out.
TEST_F(ContactSenderTest, APeerAnsweringEveryQuestionLateKeepsTheDeliveryGoingBesideThePings)
{
    auto clock = std::make_shared<ManualClock>(Clock::nowMs());
    Clock::set(clock);
    bridge.holdPings = true;
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    ASSERT_TRUE(sender.start(bob, paths));
    ASSERT_TRUE(reach(State::vcsSending));

    const int pingLateBySecs = 4;
    const int lateBySecs = 61;
    const int runSecs = 100;
    for (int second = 1; second <= runSecs; ++second) {
        clock->advanceMs(1000);
        BridgeSupervision::onTimerTick();
        sender.tick();
        ASSERT_TRUE(waitFor([&] {
            return bridge.count(QStringLiteral("RemoteUploadTaskInfo")) == second
                && bridge.count(QStringLiteral("PingBridge")) == second;
        })) << "second " << second;
        if (second > pingLateBySecs) {
            bridge.answerOldestPing();
            ASSERT_TRUE(waitFor([&] { return Env::activeBridgeTime == Clock::nowSecs(); })) << "second " << second;
        }
        const int answered = second - lateBySecs;
        if (answered < 1)
            continue;
        bridge.answerOldestHeld(ScriptedDeliveryBridge::status(2, answered, 1));
        ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("SyncTransState")) == answered; }))
            << "second " << second << ": " << sender.message().toStdString();
        EXPECT_EQ(bridge.lastData(QStringLiteral("SyncTransState"))["IProgress"], double(answered));
    }
    EXPECT_EQ(sender.state(), State::vcsSending);
    EXPECT_EQ(sender.progress().percent, double(runSecs - lateBySecs));
}

TEST(DeliveryTexts, TheOfferNamesUpToFourItemsAndProgressReadsTheStatusLeniently)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    using namespace DeliveryTargets;
    EXPECT_EQ(summary({"/home/u/report.pdf"}), QStringLiteral("report.pdf"));
    EXPECT_EQ(summary({"/home/u/photos/"}), QStringLiteral("photos"));
    EXPECT_EQ(summary({"/a/1", "/a/2", "/a/3", "/a/4"}), QStringLiteral("4 items: 1, 2, 3, 4"));
    EXPECT_EQ(summary({"/a/1", "/a/2", "/a/3", "/a/4", "/a/5"}), QStringLiteral("5 items: 1, 2, 3, 4, …"));
    EXPECT_EQ(localRoot({"/home/u/a.txt", "/home/u/pics/"}), QStringLiteral("/home/u"));
    EXPECT_EQ(localRoot({"/a.txt"}), QStringLiteral("/"));
    EXPECT_EQ(localRoot({"/home/u/a.txt", "/home/u/pics/b.txt"}), QString());

    const auto progressOf = [](const char *status) {
        return TransferProgress::fromStatus(LenientJson::parse(QString::fromUtf8(status)));
    };
    EXPECT_EQ(progressOf(R"({"TotalTaskCount":4,"TotalTaskDoneCount":1,"TotalSize":3145728,"TotalDoneSize":1572864})")
                  .describe(),
              QStringLiteral("1 of 4 files · 1.50 MB of 3.00 MB"));
    // A done count above the total is the total; what cannot be a count counts as none.
    EXPECT_EQ(progressOf(R"({"TotalTaskCount":2,"TotalTaskDoneCount":9})").describe(), QStringLiteral("2 of 2 files"));
    EXPECT_EQ(progressOf(R"({"TotalTaskCount":-3,"TotalTaskDoneCount":1,"TotalSize":-5})").describe(), QString());
}
