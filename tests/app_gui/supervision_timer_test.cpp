// The main window's one-second tick, driven through the window's own timer slot: the bridge's
// connection cycle and watchdog against an in-test bridge, and the host-name refresh against an
// in-test account API.

#include "app_gui_support.h"

#include "test_home.h"

#include "bridge_link.h"
#include "bridge_supervisor.h"
#include "env.h"
#include "host_name_fetcher.h"
#include "local_share_store.h"
#include "main_view.h"
#include "sharing_obj_list.h"
#include "util_system.h"

#include <QDir>
#include <QSignalSpy>

namespace {

class SupervisionTimer : public ShellTest
{
protected:
    // The tick numbers (counted from 1) at which a connection attempt was printed.
    QList<int> attemptTicks(int ticks)
    {
        QList<int> result;
        for (int i = 1; i <= ticks; ++i) {
            CapturedOutput output;
            tickMain();
            if (output.lines().contains("Try To Connect OstrelBridge..."))
                result << i;
        }
        return result;
    }
};

TEST_F(SupervisionTimer, TimerTicksEverySecondOnceTheWindowIsShown)
{
    window = std::make_unique<MainView>();
    EXPECT_FALSE(window->timer().isActive());
    window->show();
    EXPECT_TRUE(window->timer().isActive());
    EXPECT_EQ(window->timer().interval(), 1000);
}

TEST_F(SupervisionTimer, ConnectsAtTheThirdTickAndEverySeventhWhileNoBridgeAnswers)
{
    showMainView();
    EXPECT_EQ(attemptTicks(17), QList<int>({3, 10, 17}));
    EXPECT_FALSE(Env::isBridgeConnected);
    EXPECT_EQ(window->timerCounter(), 17);
}

TEST_F(SupervisionTimer, ConnectedBridgeIsPingedAndNeverRestartedWhileItAnswers)
{
    showMainView();
    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    EXPECT_EQ(Env::bridgeConnectCounter, -1);

    CapturedOutput output;
    for (int i = 0; i < 10; ++i) {
        tickMain();
        waitFor([&] { return bridge.controlData(QStringLiteral("PingBridge")).size() > i; }, 1000);
        waitFor([] { return false; }, 20);
    }
    const QStringList lines = output.lines();
    EXPECT_FALSE(lines.contains("ActiveBridgeTime Timeout"));
    EXPECT_FALSE(lines.contains("Try To Connect OstrelBridge..."));
    EXPECT_GE(bridge.controlData(QStringLiteral("PingBridge")).size(), 10);
    EXPECT_FALSE(Env::isRelaunchPending());
}

TEST_F(SupervisionTimer, SilentBridgeIsRestartedAfterSixSeconds)
{
    QDir().mkpath(TestHome::path() + QStringLiteral("/no-bridge"));
    Env::setBridgeFolderForTests(TestHome::path() + QStringLiteral("/no-bridge"));
    showMainView();
    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    bridge.answerPings(false);
    const quint64 connectedAt = Env::activeBridgeTime;

    CapturedOutput output;
    while (clock->msecsSinceEpoch() / 1000 < qint64(connectedAt) + 5)
        tickMain();
    EXPECT_FALSE(output.lines().contains("ActiveBridgeTime Timeout")) << "5 seconds of silence are allowed";

    CapturedOutput restart;
    tickMain();
    EXPECT_TRUE(restart.lines().contains("ActiveBridgeTime Timeout"));
    EXPECT_TRUE(Env::isRelaunchPending());

    // Half a second later the relaunch step clears the link and counting starts again from 0.
    clock->advanceMs(500);
    Env::runDueSupervision();
    EXPECT_FALSE(Env::isBridgeConnected);
    EXPECT_EQ(Env::bridgeConnectCounter, 0);
}

class HostNameRefresh : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        showMainView();
        window->hostNameFetcher().setApiBaseUrl(api.baseUrl());
        Env::userInfo.id_acc = 7;
        Env::userInfo.hostname = QStringLiteral("oldhost");
    }

    // Ticks until the fifth, then waits for the request to come and its reply to be handled.
    void refresh()
    {
        const qsizetype before = api.targets.size();
        tickMain(5 - int(window->timerCounter() % 5));
        waitFor([&] { return api.targets.size() > before; }, 2000);
        waitFor([&] { return !window->hostNameFetcher().isBusy(); }, 2000);
    }

    TestHttpServer api;
};

TEST_F(HostNameRefresh, NothingIsAskedBeforeALoginSetsAToken)
{
    tickMain(12);
    waitFor([] { return false; }, 100);
    EXPECT_TRUE(api.targets.isEmpty());
}

TEST_F(HostNameRefresh, AskedEveryFifthTickWithThePercentEncodedToken)
{
    Env::userInfo.Token = QStringLiteral("a b+c/&x=é");
    tickMain(4);
    waitFor([] { return false; }, 100);
    EXPECT_TRUE(api.targets.isEmpty());
    refresh();
    ASSERT_EQ(api.targets.size(), 1);
    EXPECT_EQ(api.targets.at(0), "/api2/account/hostname/get/index.php?Token=a%20b%2Bc%2F%26x%3D%C3%A9");
    refresh();
    EXPECT_EQ(api.targets.size(), 2);
    EXPECT_EQ(window->timerCounter(), 10);
}

TEST_F(HostNameRefresh, NewHostNameIsStoredAndTheSharesReloadedOnce)
{
    ASSERT_TRUE(LocalShare_Add(TestHome::path()));
    Env::userInfo.Token = QStringLiteral("tok");
    QSignalSpy reloads(&window->sharingObjList(), &SharingObjList::itemsChanged);
    api.body = R"({"Result":"1","Info":"newhost"})";
    refresh();
    EXPECT_EQ(Env::userInfo.hostname, "newhost");
    EXPECT_EQ(reloads.size(), 1);
    // The list now holds the account's shares, whose links start with the new name.
    ASSERT_EQ(window->sharingObjList().items().size(), 1);
    EXPECT_EQ(window->sharingObjList().items().at(0)->path(), TestHome::path());

    // The same name again changes nothing.
    refresh();
    EXPECT_EQ(reloads.size(), 1);
}

TEST_F(HostNameRefresh, RepliesOtherThanAStringResultOneChangeNothing)
{
    Env::userInfo.Token = QStringLiteral("tok");
    QSignalSpy reloads(&window->sharingObjList(), &SharingObjList::itemsChanged);
    for (const QByteArray &body : {QByteArray(R"({"Result":1,"Info":"abc"})"), QByteArray(R"({"Result":"0","Info":"abc"})"),
                                   QByteArray(R"({"Result":"1","Info":5})"), QByteArray(R"(["Result","1"])"),
                                   QByteArray("not json"), QByteArray()}) {
        api.body = body;
        refresh();
        EXPECT_EQ(Env::userInfo.hostname, "oldhost") << body.toStdString();
    }
    EXPECT_EQ(reloads.size(), 0);
}

TEST_F(HostNameRefresh, OneRequestAtATimeAndTheTokenIsNeverPrinted)
{
    Env::userInfo.Token = QStringLiteral("SECRET-TOKEN");
    api.holdReplies = true;
    tickMain(15);
    ASSERT_TRUE(waitFor([&] { return api.targets.size() == 1; }));
    waitFor([] { return false; }, 100);
    EXPECT_EQ(api.targets.size(), 1) << "a request in flight blocks the next";
    EXPECT_TRUE(window->hostNameFetcher().isBusy());

    CapturedOutput output;
    api.status = 404;
    api.body = "{}";
    api.releaseHeld();
    ASSERT_TRUE(waitFor([&] { return !window->hostNameFetcher().isBusy(); }));
    const QStringList lines = output.lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.join(u'\n').startsWith("网络出错:"));
    EXPECT_FALSE(lines.join(u'\n').contains("SECRET-TOKEN"));

    api.holdReplies = false;
    refresh();
    EXPECT_EQ(api.targets.size(), 2);
}

TEST_F(HostNameRefresh, AnUnansweredRequestEndsAtItsTimeOut)
{
    Env::userInfo.Token = QStringLiteral("tok");
    window->hostNameFetcher().setTimeoutMs(200);
    api.holdReplies = true;
    tickMain(5);
    ASSERT_TRUE(waitFor([&] { return api.targets.size() == 1; }));
    EXPECT_TRUE(window->hostNameFetcher().isBusy());
    EXPECT_TRUE(waitFor([&] { return !window->hostNameFetcher().isBusy(); }, 3000));
    EXPECT_EQ(Env::userInfo.hostname, "oldhost");
}

} // namespace
