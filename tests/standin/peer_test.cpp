#include "bridge_frames.h"
#include "private_network.h"
#include "standin_harness.h"

#include <gtest/gtest.h>

namespace {

Json clientInit(StandinHarness &standin, const QString &host, const QString &token)
{
    standin.sendTextFrame(QStringLiteral("ClientInit"),
                          QelJSON::toJSONString(ClientInitJson{token, host, QStringLiteral("tag"), QString()}));
    return standin.waitFrameCode(QStringLiteral("P2PCLIENT")).value_or(Json())["Data"];
}

QString tokenOf(const StandinHarness &standin)
{
    return QString::fromStdString(standin.loginResult().value("Token", ""));
}

// What the client's peer handler sends back: a MsgBack in text form.
void replyAsPeer(StandinHarness &standin, const Json &request, const Json &data)
{
    const Json back{{"Data", data},
                    {"Token", request.value("Token", "")},
                    {"ClientID1", request.value("ClientID1", "")},
                    {"ClientID2", request.value("ClientID2", "")},
                    {"ClientIDRemote", request.value("ClientID1", "")},
                    {"Session", request.value("Session", "")},
                    {"Code", request.value("Code", "")}};
    standin.sendTextFrame(QStringLiteral("WSDC"), QString::fromStdString(back.dump()));
}

} // namespace

TEST(StandinPeer, ClientInitToAHostOfALocalAccountConnects)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    ASSERT_FALSE(standin.login(QStringLiteral("gina@example.com"), QStringLiteral("pw")).isEmpty());
    const Json gina = standin.loginResult();
    ASSERT_FALSE(standin.login(QStringLiteral("hal@example.com"), QStringLiteral("pw")).isEmpty());
    const Json hal = standin.loginResult();

    const Json own = clientInit(standin, QStringLiteral("hal"), tokenOf(standin));
    EXPECT_EQ(own.value("Type", ""), "GetShareHost6Client");
    EXPECT_EQ(own.value("Token", "x"), "") << "a report, not an answer";
    const Json msg = own["Msg"];
    EXPECT_EQ(msg.value("Result", 0), 1);
    EXPECT_EQ(msg.value("ClientID1", ""), hal.value("ClientID", ""));
    EXPECT_FALSE(msg.value("ClientID2", "").empty());
    EXPECT_NE(msg.value("ClientID2", ""), msg.value("ClientID1", ""));
    EXPECT_EQ(msg.value("uname", ""), "hal@example.com");

    // Another local account, named by host name, e-mail or contact code.
    EXPECT_EQ(clientInit(standin, QStringLiteral("GINA"), tokenOf(standin))["Msg"].value("uname", ""),
              "gina@example.com");
    EXPECT_EQ(clientInit(standin, QStringLiteral("gina@example.com"), tokenOf(standin))["Msg"].value("Result", 0), 1);
    EXPECT_EQ(clientInit(standin, QString::number(gina.value("ACC", 0)), tokenOf(standin))["Msg"].value("Result", 0), 1);
}

TEST(StandinPeer, ClientInitToAnUnknownHostOrWithoutSignInFails)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    EXPECT_EQ(clientInit(standin, QStringLiteral("anyone"), QString()).value("Type", ""), "P2PConFailed");
    ASSERT_FALSE(standin.login(QStringLiteral("ivy@example.com"), QStringLiteral("pw")).isEmpty());
    EXPECT_EQ(clientInit(standin, QStringLiteral("nohost"), tokenOf(standin)).value("Type", ""), "P2PConFailed");
    EXPECT_EQ(clientInit(standin, QStringLiteral("ivy"), QStringLiteral("forged")).value("Type", ""), "P2PConFailed");
}

TEST(StandinPeer, RelayedRequestAndReplyKeepTheAskersToken)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const QString session = standin.signInAndConnect(QStringLiteral("jo@example.com"), QStringLiteral("pw"));
    ASSERT_FALSE(session.isEmpty());

    const Json payload{{"tag", "abc"}, {"pass", ""}, {"isweb", 0}};
    const QString asked = standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("getShareInfo"), payload, session,
                                              QStringLiteral("NO"));
    // The request reaches the client as the peer's request, under a token of the bridge's own.
    const std::optional<Json> relayed = standin.waitFrame([](const Json &frame) {
        return frame.value("Code", "") == "WSDC" && frame["Data"].value("Code", "") == "getShareInfo";
    });
    ASSERT_TRUE(relayed.has_value());
    const Json request = (*relayed)["Data"];
    EXPECT_NE(request.value("Token", ""), asked.toStdString());
    EXPECT_FALSE(request.value("Token", "").empty());
    EXPECT_EQ(request.value("Session", ""), session.toStdString());
    EXPECT_EQ(request["Msg"], payload);

    replyAsPeer(standin, request, Json{{"data", Json::array({{{"tag", "abc"}}})}});
    const std::optional<Json> answer = standin.waitWsdc(asked);
    ASSERT_TRUE(answer.has_value()) << "the reply returns under the asker's token";
    EXPECT_EQ((*answer)["Data"]["Msg"], (Json{{"data", Json::array({{{"tag", "abc"}}})}}));
    EXPECT_EQ((*answer)["Data"].value("Code", ""), "getShareInfo");

    // A second reply to the same relayed request, and the client serving the answer as a
    // request (what a late answer leads to), both end here: nothing goes round again.
    replyAsPeer(standin, request, Json{{"data", "again"}});
    standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("getShareInfo"), payload, session, QStringLiteral("NO"));
    standin.sendTextFrame(QStringLiteral("WSDC"), QString::fromStdString(
        Json{{"Session", session.toStdString()}, {"Code", "getShareInfo"}, {"Token", asked.toStdString()},
             {"IsProcessOnBridge", "NO"}, {"Data", payload}}.dump()));
    const std::optional<Json> next = standin.waitFrame([](const Json &frame) { return frame.value("Code", "") == "WSDC"; });
    ASSERT_TRUE(next.has_value()) << "the fresh request is relayed";
    EXPECT_TRUE(standin.quietUntilPingAnswered()) << "the repeated token is dropped";
}

TEST(StandinPeer, RequestsWithoutAPeerOrForTheBridgeAreAnsweredByIt)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const QString session = standin.signInAndConnect(QStringLiteral("kim@example.com"), QStringLiteral("pw"));
    ASSERT_FALSE(session.isEmpty());

    const QString lost = standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("PING"), Json{{"m", ""}},
                                             QStringLiteral("X|Y"), QStringLiteral("NO"));
    const std::optional<Json> refused = standin.waitWsdc(lost);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ((*refused)["Data"]["Msg"].value("Result", 1), 0);

    const QString status = standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("RemoteUploadTaskInfo"),
                                               Json{{"Session", session.toStdString()}, {"IsProcessOnBridge", "YES"}},
                                               session, QStringLiteral("YES"));
    const std::optional<Json> info = standin.waitWsdc(status);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ((*info)["Data"]["Msg"].value("TaskStatus", -1), 0);

    const QString odd = standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("FlyAway"), Json::object(), session,
                                            QStringLiteral("YES"));
    ASSERT_TRUE(standin.waitWsdc(odd).has_value());
    EXPECT_TRUE(standin.quietUntilPingAnswered()) << "nothing was relayed";
}
