// Control requests through the link to a server playing the bridge: the request record, both
// frame forms, what is printed, answers, deadlines, relaunch and a link that is down.

#include "bridge_test_support.h"

#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "control_requests.h"
#include "env.h"
#include "p2p_client_msg.h"
#include "session_state.h"

#include <thread>

namespace {

class ControlRequestTest : public BridgeTest
{
protected:
    // An answer callback that counts its calls and keeps the last answer.
    AnswerCallback recorder()
    {
        return [this](const std::optional<LenientJson> &answer) {
            ++calls;
            last = answer;
        };
    }

    int calls = 0;
    std::optional<LenientJson> last;
};

} // namespace

TEST_F(ControlRequestTest, WaitedRequestTravelsAsObjectAndItsAnswerComesBack)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    HelperRemoteSharing::session = QStringLiteral("ME|PEER");
    HelperRemoteSharing::sessionClientID1 = QStringLiteral("ME");
    HelperRemoteSharing::sessionClientID2 = QStringLiteral("PEER");
    Env::userInfo.ClientID = QStringLiteral("ME");
    server.frames.clear();

    CapturedOutput output;
    const QString token = P2PClientMsg::SendMsgToP2PClient(
        QStringLiteral("Trans3_FC_00_CallStart"),
        Download3Info{QStringLiteral("ME|PEER"), QStringLiteral("/a|/b"), QStringLiteral("/save")}, true, recorder());
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));
    const Json &sent = server.frames[0];
    EXPECT_EQ(sent["Msg"]["Code"], "P2PClientControl");
    ASSERT_TRUE(sent["Msg"]["Data"].is_object());
    EXPECT_EQ(sent["Msg"]["Data"], Json::parse(R"({"Session":"ME|PEER","Code":"Trans3_FC_00_CallStart",
        "Token":")" + token.toStdString() + R"(","ClientID1":"ME","ClientID2":"PEER","ClientIDRemote":"PEER",
        "IsProcessOnBridge":"-","Data":{"Session":"ME|PEER","Targets":"/a|/b","SaveAtLocalFolder":"/save"}})"));
    EXPECT_EQ(calls, 0);

    server.answer(token, Json{{"TaskStatus", 1}});
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ((*last)["TaskStatus"].intValue(), 1);
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("SendMsgToP2PClient - Trans3_FC_00_CallStart"),
                                           QStringLiteral("SendMsgToP2PClient - back - Trans3_FC_00_CallStart")}));
}

TEST_F(ControlRequestTest, RequestWithoutWaitTravelsAsTextAndNeverCallsBack)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    server.frames.clear();
    const QString token = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"),
                                                           CallHttpInfo{QStringLiteral("http://x/sub"), 6}, false, recorder());
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));
    ASSERT_TRUE(server.frames[0]["Msg"]["Data"].is_string());
    const Json request = requestOf(server.frames[0]);
    EXPECT_EQ(request["Data"], Json::parse(R"({"URL":"http://x/sub","Timeout":6})"));
    EXPECT_EQ(request["Session"], "");
    EXPECT_EQ(request["ClientIDRemote"], "") << "no session: every session field is empty";

    server.answer(token, Json("late"));
    ASSERT_TRUE(serverFramesHandled(server));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0);
}

TEST_F(ControlRequestTest, RemoteIdIsTheOtherSideOfTheSession)
{
    Env::userInfo.ClientID = QStringLiteral("B");
    EXPECT_EQ(P2PClientMsg::remoteClientId(QStringLiteral("B"), QStringLiteral("A")), QStringLiteral("A"));
    EXPECT_EQ(P2PClientMsg::remoteClientId(QStringLiteral("A"), QStringLiteral("B")), QStringLiteral("A"));
    EXPECT_EQ(P2PClientMsg::remoteClientId(QStringLiteral("X"), QStringLiteral("Y")), QStringLiteral("X"));
}

TEST_F(ControlRequestTest, DeadlineEndsRequestOnceWithoutAnswer)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    server.frames.clear();
    CapturedOutput output;
    const QString token = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), CallHttpInfo{QStringLiteral("u"), 5}, true, recorder());
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));

    clock->advanceMs(9'999);
    P2PClientMsg::taskTable().expireDue();
    EXPECT_EQ(calls, 0) << "CallHttp waits its own time-out of 5 s plus a margin";
    clock->advanceMs(1);
    P2PClientMsg::taskTable().expireDue();
    P2PClientMsg::taskTable().expireDue();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(last.has_value()) << "a deadline gives no answer";

    server.answer(token, Json("too late"));
    ASSERT_TRUE(serverFramesHandled(server));
    EXPECT_EQ(calls, 1) << "the late answer finds nobody";
    EXPECT_EQ(output.lines().last(), QStringLiteral("SendMsgToP2PClient - no answer - CallHttp"))
        << "the late answer is dropped without a line";
}

TEST_F(ControlRequestTest, LateAnswerAfterDeadlineIsDroppedSilently)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    const QString token = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("GetLanHttp"), BlankMsg{}, true, recorder());
    clock->advanceMs(10'000);
    CapturedOutput output;
    P2PClientMsg::taskTable().expireDue();
    server.answer(token, Json("addr"));
    ASSERT_TRUE(serverFramesHandled(server));
    const QStringList lines = output.lines();
    EXPECT_EQ(lines.value(0), QStringLiteral("SendMsgToP2PClient - no answer - GetLanHttp"));
    EXPECT_EQ(lines.size(), 1) << "the late answer is dropped without a line";
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(HelperRemoteSharing::lanHttp.isEmpty());
}

TEST_F(ControlRequestTest, DeadlineTimerFiresWithoutTicks)
{
    // The table wakes itself up: no tick is needed for a request to end at its deadline.
    Clock::set(nullptr);
    Env::isBridgeConnected = true;
    P2PClientMsg::sendAndWait(QStringLiteral("P2PClientControl"),
                              P2PClientMsg::makeRequest(QStringLiteral("PingBridge"), P2PClientMsg::makeToken(P2PClientMsg::p2pClientPrefix()),
                                                        QStringLiteral("-"), BlankMsg{}),
                              RemoteWSDCTask::Kind::Bridge, 30, recorder());
    EXPECT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_FALSE(last.has_value());
}

TEST_F(ControlRequestTest, EachRequestEndsAtItsOwnDeadlineWithoutTicksOrNewRequests)
{
    // A short request is not held behind a long one sent before it, and once one has ended the
    // table wakes up again for the next; only the timer drives it here.
    Clock::set(nullptr);
    Env::isBridgeConnected = true;
    QStringList ended;
    const auto send = [&](const QString &code, qint64 timeoutMs) {
        P2PClientMsg::sendAndWait(QStringLiteral("P2PClientControl"),
                                  P2PClientMsg::makeRequest(code, P2PClientMsg::makeToken(P2PClientMsg::p2pClientPrefix()),
                                                            QStringLiteral("-"), BlankMsg{}),
                                  RemoteWSDCTask::Kind::Bridge, timeoutMs,
                                  [&ended, code](const std::optional<LenientJson> &answer) {
                                      if (!answer)
                                          ended << code;
                                  });
    };
    send(QStringLiteral("CallHttpDownload"), 10 * 60 * 1000);
    send(QStringLiteral("GetLanHttp"), 150);
    send(QStringLiteral("PingBridge"), 30);

    ASSERT_TRUE(waitFor([&] { return ended.size() == 2; }));
    EXPECT_EQ(ended, (QStringList{QStringLiteral("PingBridge"), QStringLiteral("GetLanHttp")}));
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 1) << "the download waits on";
}

TEST_F(ControlRequestTest, RelaunchEndsEveryWaitingRequest)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttpDownload"), CallHttpDownloadInfo{}, true, recorder());
    P2PClientMsg::SendMsgToP2PClient(QStringLiteral("PingBridge"), BlankMsg{}, true, recorder());
    ASSERT_EQ(P2PClientMsg::taskTable().size(), 2);

    CapturedOutput output;
    Env::restartBridgeBlock();
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(last.has_value());
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0);
    EXPECT_FALSE(Env::isBridgeConnected);
    EXPECT_EQ(Env::bridgeConnectCounter, 0);
    const QStringList lines = output.lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("SendMsgToP2PClient - no answer - CallHttpDownload")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Something went wrong!"))) << "tests launch nothing unless they name a folder";
}

TEST_F(ControlRequestTest, LinkDownEndsWaitedRequestAfterReturning)
{
    CapturedOutput output;
    P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), CallHttpInfo{}, true, recorder());
    EXPECT_EQ(calls, 0) << "never called back before the sender returns";
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_FALSE(last.has_value());
    P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), CallHttpInfo{}, false, recorder());
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("SendMsgToP2PClient - CallHttp"),
                                           QStringLiteral("SendMsgToP2PClient - no answer - CallHttp"),
                                           QStringLiteral("SendMsgToP2PClient - CallHttp")}));
}

TEST_F(ControlRequestTest, RequestFromAnotherThreadIsSentOnTheGuiThread)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    server.frames.clear();
    std::thread worker([this] {
        P2PClientMsg::SendMsgToP2PClient(QStringLiteral("GetLanHttp"), BlankMsg{}, true, recorder());
    });
    worker.join();
    ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("GetLanHttp")).size() == 1; }));
    const QString token = QString::fromStdString(server.controlRequests(QStringLiteral("GetLanHttp"))[0]["Token"]);
    server.answer(token, Json("http://peer"));
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_EQ(last->stringValue(), QStringLiteral("http://peer"));
}

TEST(ControlTimeouts, ChosenPerCode)
{
    // A ping's request ends early: its answer still counts when it comes later (the link tests).
    EXPECT_EQ(P2PClientMsg::controlTimeoutMs(QStringLiteral("PingBridge"), {}), 3'000);
    EXPECT_EQ(P2PClientMsg::controlTimeoutMs(QStringLiteral("CallHttp"), QelJSON::toJSONObject(CallHttpInfo{{}, 6})), 11'000);
    EXPECT_EQ(P2PClientMsg::controlTimeoutMs(QStringLiteral("CallHttp"), QelJSON::toJSONObject(CallHttpInfo{{}, 100000})), 305'000)
        << "an absurd time-out is capped";
    EXPECT_EQ(P2PClientMsg::controlTimeoutMs(QStringLiteral("CallHttpDownload"), {}), 600'000);
    EXPECT_EQ(P2PClientMsg::controlTimeoutMs(QStringLiteral("GetLanHttp"), {}), 10'000);
    EXPECT_EQ(P2PClientMsg::controlTimeoutMs(QStringLiteral("StartRemoteUpload"), {}), 30'000);
}
