// The connection cycle, the connected sequence and the watchdog, driven by the tick function
// with the clock advanced by hand, against a WebSocket server playing the bridge.

#include "bridge_test_support.h"

#include "bridge_link.h"
#include "bridge_supervision.h"
#include "bridge_supervisor.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <QWebSocket>

#include <functional>
#include <optional>

namespace {

class LinkCycleTest : public BridgeTest
{
};

} // namespace

TEST_F(LinkCycleTest, AttemptsAtThirdTickThenEverySeven)
{
    BridgeLink::setPortForTests(closedLoopbackPort());
    QList<int> attemptTicks;
    for (int t = 1; t <= 24; ++t) {
        CapturedOutput output;
        tick();
        if (output.lines().contains(QStringLiteral("Try To Connect OstrelBridge...")))
            attemptTicks << t;
        EXPECT_GE(Env::bridgeConnectCounter, 0);
        EXPECT_LT(Env::bridgeConnectCounter, 7);
    }
    EXPECT_EQ(attemptTicks, (QList<int>{3, 10, 17, 24}));
    EXPECT_FALSE(Env::isBridgeConnected) << "a refused attempt leaves the link down";
}

TEST_F(LinkCycleTest, ConnectedSequenceSetsStateAndAsksForVersionOnly)
{
    FakeBridgeServer server;
    CapturedOutput output;
    ASSERT_TRUE(connectTo(server));
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));
    ASSERT_TRUE(sentFramesArrived(server));

    EXPECT_TRUE(Env::isBridgeConnected);
    EXPECT_EQ(Env::bridgeConnectCounter, -1);
    EXPECT_EQ(Env::activeBridgeTime, quint64(clock->msecsSinceEpoch() / 1000));
    ASSERT_EQ(server.frames.size(), 1) << "no Login without an earlier login of this run";
    const QList<Json> versionRequests = server.controlRequests(QStringLiteral("CallHttp"));
    ASSERT_EQ(versionRequests.size(), 1);
    EXPECT_TRUE(server.frames[0]["Msg"]["Data"].is_object()) << "a waited request travels as an object";
    const std::string url = versionRequests[0]["Data"]["URL"];
    EXPECT_TRUE(url.ends_with("version/mac/index.php")) << url;
    EXPECT_EQ(versionRequests[0]["Data"]["Timeout"], 5);
    EXPECT_EQ(versionRequests[0]["IsProcessOnBridge"], "-");

    const QStringList lines = output.lines();
    const QString dashes(44, u'-');
    const qsizetype banner = lines.indexOf(dashes);
    ASSERT_GE(banner, 0);
    EXPECT_EQ(lines.value(banner + 1), QStringLiteral("******  OstrelBridge Is Connected!  ******"));
    EXPECT_EQ(lines.value(banner + 2), dashes);
    EXPECT_TRUE(lines.contains(QStringLiteral("...Waiting for client login...")));
    EXPECT_FALSE(lines.contains(QStringLiteral("Host Try To Relogin...")));

    CapturedOutput again;
    BridgeLink::connect();
    EXPECT_EQ(again.lines(), QStringList{QStringLiteral("Bridge Already Connected!!")});
}

TEST_F(LinkCycleTest, ReloginNeedsBothEmailAndPassword)
{
    Env::userInfo.email = QStringLiteral("me@example.com");
    {
        FakeBridgeServer server;
        ASSERT_TRUE(connectTo(server));
        ASSERT_TRUE(sentFramesArrived(server));
        for (const Json &frame : server.frames)
            EXPECT_NE(frame["Msg"]["Code"], "Login") << "an e-mail without a password sends no Login";
    }

    Env::isBridgeConnected = false;
    Env::bridgeConnectCounter = 0;
    Env::userInfo.password = QStringLiteral("pa\"ss");
    FakeBridgeServer server;
    CapturedOutput output;
    ASSERT_TRUE(connectTo(server));
    ASSERT_TRUE(waitFor([&] { return server.frames.size() >= 2; }));
    EXPECT_TRUE(output.lines().contains(QStringLiteral("Host Try To Relogin...")));

    const Json &login = server.frames[1];
    EXPECT_EQ(login["Msg"]["Code"], "Login");
    ASSERT_TRUE(login["Msg"]["Data"].is_string()) << "Login travels in text form";
    EXPECT_EQ(requestOf(login), Json::parse(R"({"Id_acc":"me@example.com","Password":"pa\"ss","Device":"IPhone",
        "isCheckAccOnly":"0","Relogin":false,"Version":"3.1.3","Source":"IOS"})"));
}

TEST_F(LinkCycleTest, LiveBridgeIsNeverRestarted)
{
    FakeBridgeServer server;
    server.answerPings(true);
    ASSERT_TRUE(connectTo(server));

    CapturedOutput output;
    for (int second = 0; second < 20; ++second) {
        clock->advanceMs(1000);
        tick();
        // The answer to this tick's ping arrives before the next tick.
        ASSERT_TRUE(waitFor([] { return !P2PClientMsg::taskTable().hasPendingCode(QStringLiteral("PingBridge")); }));
    }
    const QStringList lines = output.lines();
    EXPECT_FALSE(lines.contains(QStringLiteral("ActiveBridgeTime Timeout")));
    EXPECT_TRUE(Env::isBridgeConnected);
    EXPECT_EQ(server.controlRequests(QStringLiteral("PingBridge")).size(), 20);
    EXPECT_EQ(Env::activeBridgeTime, quint64(clock->msecsSinceEpoch() / 1000));
    for (const QString &line : lines)
        EXPECT_FALSE(line.contains(QStringLiteral("PingBridge"))) << "pings are never printed";
}

TEST_F(LinkCycleTest, SilentBridgeIsRestartedAfterSixSecondsThoughPingedEveryTick)
{
    FakeBridgeServer server;
    Env::setRelaunchDelayForTests(10);
    ASSERT_TRUE(connectTo(server));
    const quint64 connectedAt = Env::activeBridgeTime;

    CapturedOutput output;
    tickSeconds(5);
    EXPECT_TRUE(Env::isBridgeConnected) << "5 seconds of silence are still fine";
    EXPECT_EQ(Env::activeBridgeTime, connectedAt) << "an unanswered ping is no sign of life";
    // One ping a tick, whether or not the earlier ones were answered.
    EXPECT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("PingBridge")).size() == 5; }));

    tickSeconds(1);
    QStringList lines = output.lines();
    const qsizetype timeout = lines.indexOf(QStringLiteral("ActiveBridgeTime Timeout"));
    ASSERT_GE(timeout, 0);
    EXPECT_EQ(lines.value(timeout + 1), QStringLiteral("Clearing OstrelBridge..."));

    EXPECT_TRUE(Env::isRelaunchPending());
    clock->advanceMs(10);
    Env::runDueSupervision();
    EXPECT_FALSE(Env::isBridgeConnected);
    EXPECT_EQ(Env::bridgeConnectCounter, 0);
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0) << "the relaunch ends the ping that was waiting";

    // The next attempt comes at the third tick after the relaunch, and replaces the old socket.
    QWebSocket *oldSocket = BridgeLink::socket();
    CapturedOutput after;
    tick(2);
    EXPECT_FALSE(after.lines().contains(QStringLiteral("Try To Connect OstrelBridge...")));
    CapturedOutput third;
    tick();
    EXPECT_TRUE(third.lines().contains(QStringLiteral("Try To Connect OstrelBridge...")));
    EXPECT_NE(BridgeLink::socket(), oldSocket);
    EXPECT_TRUE(waitFor([] { return Env::isBridgeConnected; }));
}

TEST_F(LinkCycleTest, LatePingAnswerIsASignOfLife)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    CapturedOutput output;
    tickSeconds(1);
    ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("PingBridge")).size() == 1; }));
    const QString token = QString::fromStdString(server.controlRequests(QStringLiteral("PingBridge"))[0]["Token"]);

    // The bridge answers four seconds later, after the ping's own request has ended; a ping went
    // out every tick meanwhile.
    tickSeconds(4);
    EXPECT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("PingBridge")).size() == 5; }));
    EXPECT_FALSE(P2PClientMsg::taskTable().contains(token));
    server.answer(token, Json("Pong"));
    ASSERT_TRUE(waitFor([&] { return Env::activeBridgeTime == quint64(clock->msecsSinceEpoch() / 1000); }));

    // Five seconds after that answer the bridge still counts as alive.
    tickSeconds(5);
    EXPECT_FALSE(output.lines().contains(QStringLiteral("ActiveBridgeTime Timeout")));
    EXPECT_TRUE(Env::isBridgeConnected);
    EXPECT_FALSE(Env::isRelaunchPending());
}

namespace {

// How the bridge answers the ping sent at each tick (counted from 0): the tick whose ping it
// answers then, or none.
struct PingAnswers {
    const char *name;
    std::function<std::optional<int>(int tick)> answeredPing;
};

void PrintTo(const PingAnswers &answers, std::ostream *os)
{
    *os << answers.name;
}

class LiveButUnevenBridge : public LinkCycleTest, public ::testing::WithParamInterface<PingAnswers>
{
};

} // namespace

TEST_P(LiveButUnevenBridge, IsNeverRestarted)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    CapturedOutput output;
    QStringList pingTokens;
    for (int tick = 0; tick < 20; ++tick) {
        clock->advanceMs(1000);
        this->tick();
        ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("PingBridge")).size() == tick + 1; }))
            << "one ping every tick";
        pingTokens << QString::fromStdString(server.controlRequests(QStringLiteral("PingBridge"))[tick]["Token"]);
        if (const std::optional<int> answered = GetParam().answeredPing(tick)) {
            server.answer(pingTokens[*answered], Json("Pong"));
            ASSERT_TRUE(waitFor([&] { return Env::activeBridgeTime == quint64(clock->msecsSinceEpoch() / 1000); }));
        }
    }
    EXPECT_FALSE(output.lines().contains(QStringLiteral("ActiveBridgeTime Timeout")));
    EXPECT_TRUE(Env::isBridgeConnected);
    EXPECT_FALSE(Env::isRelaunchPending());
}

INSTANTIATE_TEST_SUITE_P(
    Pings, LiveButUnevenBridge,
    ::testing::Values(PingAnswers{"OneAnswerLost", [](int tick) { return tick == 2 ? std::nullopt : std::optional<int>(tick); }},
                      PingAnswers{"EveryAnswerFourSecondsLate",
                                  [](int tick) { return tick >= 4 ? std::optional<int>(tick - 4) : std::nullopt; }}),
    [](const ::testing::TestParamInfo<PingAnswers> &info) { return std::string(info.param.name); });

TEST_F(LinkCycleTest, WatchdogWaitsForFirstConnectionAndSurvivesClockGoingBack)
{
    // Before any connection: no ping, no restart, whatever the time.
    CapturedOutput before;
    BridgeLink::setPortForTests(closedLoopbackPort());
    for (int i = 0; i < 2; ++i) {
        clock->advanceMs(60'000);
        BridgeSupervision::checkBridgeAlive();
    }
    EXPECT_TRUE(before.lines().isEmpty());
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0);

    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    clock->advanceMs(-10'000);
    CapturedOutput output;
    tick();
    EXPECT_TRUE(output.lines().contains(QStringLiteral("Got A subtractingReportingOverflow")));
    EXPECT_EQ(Env::activeBridgeTime, quint64(clock->msecsSinceEpoch() / 1000));
    EXPECT_TRUE(Env::isBridgeConnected);
}

TEST_F(LinkCycleTest, DisconnectionIsOnlyPrinted)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    // Connected after the link's own handler, so this runs once the link has printed.
    QObject watcher;
    bool disconnected = false;
    QObject::connect(BridgeLink::socket(), &QWebSocket::disconnected, &watcher, [&] { disconnected = true; });
    CapturedOutput output;
    server.closeClient();
    ASSERT_TRUE(waitFor([] { return BridgeLink::socket()->state() == QAbstractSocket::UnconnectedState; }));
    ASSERT_TRUE(waitFor([&] { return disconnected; }));
    bool printed = false;
    for (const QString &line : output.lines())
        printed = printed || line.startsWith(QStringLiteral("websocket is disconnected: "));
    EXPECT_TRUE(printed);
    EXPECT_TRUE(Env::isBridgeConnected) << "only the watchdog ends a lost link";
    EXPECT_EQ(Env::bridgeConnectCounter, -1);
    tick(5);
    EXPECT_EQ(Env::bridgeConnectCounter, -1) << "no new attempt while the link counts as up";
}

TEST_F(LinkCycleTest, TextFormFrameHasExactlyTheEnvelopeKeys)
{
    FakeBridgeServer server;
    ASSERT_TRUE(connectTo(server));
    server.frames.clear();
    BridgeLink::sendToBridge(QStringLiteral("ClientInit"), QStringLiteral(R"({"Id_user":"t"})"));
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));
    EXPECT_EQ(server.frames[0], Json::parse(R"({"VType":"WinContrlSet->","UUID":"","Id_user1":"","Id_user2":"",
        "Msg":{"Code":"ClientInit","Data":"{\"Id_user\":\"t\"}"}})"));

    // Not connected: nothing is written.
    Env::isBridgeConnected = false;
    BridgeLink::sendToBridge(QStringLiteral("ClientInit"), QStringLiteral("{}"));
    Env::isBridgeConnected = true;
    ASSERT_TRUE(sentFramesArrived(server));
    EXPECT_EQ(server.frames.size(), 1);
}
