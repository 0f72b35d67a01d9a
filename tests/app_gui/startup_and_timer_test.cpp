// Start-up in the program's own process up to the window (its printed order and the database are
// checked on the built program by tests/app), and the window's one-second tick, driven through
// its timer slot: it runs the bridge's connection cycle and watchdog (their rules are the bridge
// layer's) against an in-test bridge, and asks an in-test account API for the host name every
// fifth tick.

#include "app_gui_support.h"

#include "bridge_link.h"
#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "fenmar_mac_app.h"
#include "host_name_fetcher.h"
#include "local_share_store.h"
#include "receive_files_sheet.h"
#include "sharing_obj_list.h"

#include <QDialogButtonBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>

#include <functional>

namespace {

class SupervisionTimer : public ShellTest
{
};

TEST_F(SupervisionTimer, StartUpOpensTheWindowWithItsTimerAndSheetAndStartsTheBridgeHalfASecondLater)
{
    const QString bridge = placeWaitingBridge();
    UtilDB::close();
    ReceiveFilesSheet::setMaker({});
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const auto cancelText = [] { return QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(); };
    {
        FenmarMacApp app;
        EXPECT_NE(cancelText().remove(u'&'), "Cancel") << "Qt's own texts speak the locale's language";
        // Peers are answered from the share store while the program runs.
        EXPECT_NE(Env::shareStore, nullptr);
        EXPECT_NE(BridgeMessage::peerRequestHandler, nullptr);
        window = app.body();
        keepOffTheHost(*window);
        EXPECT_TRUE(window->timer().isActive());
        EXPECT_EQ(window->timer().interval(), 1000);
        EXPECT_TRUE(waitFor([this] { return window->loginSheet().isVisible(); }));
        EXPECT_NE(child("receiveSheet"), nullptr) << "the contacts pages' sheet is registered at start-up";

        clock->advanceMs(499);
        Env::runDueSupervision();
        EXPECT_EQ(Env::bridgeProcess(), nullptr);
        clock->advanceMs(1);
        Env::runDueSupervision();
        ASSERT_NE(Env::bridgeProcess(), nullptr);
        EXPECT_EQ(Env::bridgeProcess()->program(), bridge);
    }
    EXPECT_EQ(Env::shareStore, nullptr);
    EXPECT_EQ(BridgeMessage::peerRequestHandler, nullptr);
}

TEST_F(SupervisionTimer, AttemptsComeAtTheThirdTickAfterStartUpSevenApartNoneWhileConnectedAndThirdAfterARelaunch)
{
    placeWaitingBridge();
    UtilDB::close();
    ReceiveFilesSheet::setMaker({});
    FenmarMacApp app;
    window = app.body();
    keepOffTheHost(*window);
    ASSERT_TRUE(waitFor([this] { return window->loginSheet().isVisible(); }));
    window->timer().stop();
    window->loginSheet().timer().stop();

    // The window's ticks from start-up, a second apart (the bridge is relaunched half a second
    // in); the ticks at which an attempt was printed.
    int ticks = 0;
    QStringList lastTickLines;
    const auto attemptsWithin = [&](int count, const std::function<void()> &afterEachTick = {}) {
        QList<int> attempts;
        for (int i = 0; i < count; ++i) {
            CapturedOutput output;
            tickMain();
            ++ticks;
            lastTickLines = output.lines();
            if (lastTickLines.contains(QStringLiteral("Try To Connect OstrelBridge...")))
                attempts << ticks;
            if (afterEachTick)
                afterEachTick();
        }
        return attempts;
    };
    // Nobody answers at first.
    EXPECT_EQ(attemptsWithin(23), (QList<int>{3, 10, 17}));

    FakeBridgeServer bridge;
    bridge.answerPings(true);
    BridgeLink::setPortForTests(bridge.port());
    EXPECT_EQ(attemptsWithin(1), QList<int>{24});
    ASSERT_TRUE(waitFor([] { return Env::isBridgeConnected; }));
    const auto answered = [this] {
        ASSERT_TRUE(waitFor([this] { return Env::activeBridgeTime == quint64(clock->msecsSinceEpoch() / 1000); }));
    };
    EXPECT_EQ(attemptsWithin(20, answered), QList<int>{}) << "connected";

    // The bridge falls silent: the watchdog restarts it, and the link tries again at the third
    // tick after that.
    bridge.answerPings(false);
    int restartedAt = 0;
    for (int i = 0; i < 10 && !restartedAt; ++i) {
        EXPECT_EQ(attemptsWithin(1), QList<int>{});
        if (lastTickLines.contains(QStringLiteral("ActiveBridgeTime Timeout")))
            restartedAt = ticks;
    }
    ASSERT_NE(restartedAt, 0);
    bridge.answerPings(true);
    EXPECT_EQ(attemptsWithin(3), QList<int>{restartedAt + 3});
    EXPECT_TRUE(waitFor([] { return Env::isBridgeConnected; }));
}

TEST_F(SupervisionTimer, TicksConnectToTheBridgePingItAndRestartItWhenItFallsSilent)
{
    showMainView();
    {
        CapturedOutput output;
        tickMain(3);
        EXPECT_EQ(output.lines().count("Try To Connect OstrelBridge..."), 1);
    }
    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    for (int i = 1; i <= 8; ++i) {
        const qsizetype pings = bridge.controlData(QStringLiteral("PingBridge")).size();
        tickMain();
        ASSERT_TRUE(waitFor([&] { return bridge.controlData(QStringLiteral("PingBridge")).size() > pings; })) << i;
        ASSERT_TRUE(waitFor([] { return Env::activeBridgeTime == Clock::nowSecs(); })) << "the answer was taken " << i;
    }
    EXPECT_FALSE(Env::isRelaunchPending()) << "a bridge that answers is left alone";
    bridge.answerPings(false);
    tickMain(8);
    EXPECT_TRUE(Env::isRelaunchPending());
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

    // Ticks up to the next fifth tick, then waits for the request and for its reply to be handled.
    void refresh()
    {
        const qsizetype before = api.targets.size();
        tickMain(5 - int(window->timerCounter() % 5));
        waitFor([&] { return api.targets.size() > before; });
        waitFor([&] { return !window->hostNameFetcher().isBusy(); });
    }

    TestHttpServer api;
};

TEST_F(HostNameRefresh, NothingIsAskedBeforeATokenThenEveryFifthTickWithTheTokenEncoded)
{
    tickMain(10);
    EXPECT_FALSE(window->hostNameFetcher().isBusy());
    EXPECT_TRUE(api.targets.isEmpty());

    Env::userInfo.Token = QStringLiteral("a b+c/&x=é");
    tickMain(4);
    EXPECT_FALSE(window->hostNameFetcher().isBusy()) << "ticks 11 to 14";
    EXPECT_TRUE(api.targets.isEmpty()) << "ticks 11 to 14";
    refresh();
    ASSERT_EQ(api.targets.size(), 1);
    EXPECT_EQ(api.targets.at(0), "/api2/account/hostname/get/index.php?Token=a%20b%2Bc%2F%26x%3D%C3%A9");
    refresh();
    EXPECT_EQ(api.targets.size(), 2);
    EXPECT_EQ(window->timerCounter(), 20);
}

TEST_F(HostNameRefresh, OnlyANewNameAsAStringInfoOfAStringResultOneIsStoredAndReloadsTheShares)
{
    ASSERT_TRUE(LocalShare_Add(TestHome::path()));
    Env::userInfo.Token = QStringLiteral("tok");
    QSignalSpy reloads(&window->sharingObjList(), &SharingObjList::itemsChanged);
    const struct {
        const char *body;
        const char *hostname;
        int reloads;
    } replies[] = {{R"({"Result":1,"Info":"abc"})", "oldhost", 0}, {R"({"Result":"0","Info":"abc"})", "oldhost", 0},
                   {R"({"Result":"1","Info":5})", "oldhost", 0},   {R"(["Result","1"])", "oldhost", 0},
                   {"not json", "oldhost", 0},                     {"", "oldhost", 0},
                   {R"({"Result":"1","Info":"newhost"})", "newhost", 1},
                   {R"({"Result":"1","Info":"newhost"})", "newhost", 1}};
    for (const auto &reply : replies) {
        api.body = reply.body;
        refresh();
        EXPECT_EQ(Env::userInfo.hostname, reply.hostname) << reply.body;
        EXPECT_EQ(reloads.size(), reply.reloads) << reply.body;
    }
    // The list holds the account's shares, whose links start with the new name.
    ASSERT_EQ(window->sharingObjList().items().size(), 1);
    EXPECT_EQ(window->sharingObjList().items().at(0)->path(), TestHome::path());
}

TEST_F(HostNameRefresh, AnAnswerIsReadWhateverItsStatus)
{
    Env::userInfo.Token = QStringLiteral("tok");
    for (const int status : {404, 500}) {
        const QString name = QStringLiteral("host%1").arg(status);
        api.status = status;
        api.body = R"({"Result":"1","Info":")" + name.toUtf8() + R"("})";
        CapturedOutput output;
        refresh();
        EXPECT_EQ(Env::userInfo.hostname, name) << status;
        EXPECT_FALSE(output.lines().join(u'\n').contains(QStringLiteral("网络出错:"))) << status;
    }
}

TEST_F(HostNameRefresh, ARequestEveryFifthTickWhateverBecameOfTheEarlierOnesEachAnswerReadAndTheTokenNeverPrinted)
{
    Env::userInfo.Token = QStringLiteral("SECRET-TOKEN");
    api.holdReplies = true;
    tickMain(10);
    ASSERT_TRUE(waitFor([&] { return api.targets.size() == 2; })) << "tick 10 asks while tick 5 waits for its answer";
    EXPECT_EQ(window->hostNameFetcher().requestsInFlight(), 2);

    // The service answers the first six seconds after it was asked, then the second.
    tickMain(1);
    api.body = R"({"Result":"1","Info":"slowhost"})";
    api.releaseHeld(1);
    EXPECT_TRUE(waitFor([&] { return Env::userInfo.hostname == "slowhost"; }));
    api.body = R"({"Result":"1","Info":"slowerhost"})";
    api.releaseHeld();
    EXPECT_TRUE(waitFor([&] { return Env::userInfo.hostname == "slowerhost"; }));
    ASSERT_TRUE(waitFor([&] { return !window->hostNameFetcher().isBusy(); }));

    // Unanswered, a request is given up thirty seconds after it went out, printed without the
    // token, while the others go on.
    tickMain(4);
    ASSERT_TRUE(waitFor([&] { return api.targets.size() == 3; })) << "tick 15";
    {
        CapturedOutput output;
        tickMain(29);
        ASSERT_TRUE(waitForPostedEvents());
        EXPECT_FALSE(output.lines().join(u'\n').contains(QStringLiteral("网络出错:")));
        EXPECT_EQ(window->hostNameFetcher().requestsInFlight(), 6) << "ticks 15 to 40";
    }
    CapturedOutput output;
    tickMain(1);
    EXPECT_TRUE(waitFor([&] { return api.targets.size() == 9; })) << "tick 45";
    const QString printed = output.lines().join(u'\n');
    EXPECT_EQ(printed.count(QStringLiteral("网络出错:")), 1) << printed.toStdString();
    EXPECT_FALSE(printed.contains("SECRET-TOKEN"));
    EXPECT_EQ(window->hostNameFetcher().requestsInFlight(), 6) << "ticks 20 to 45";
    EXPECT_EQ(Env::userInfo.hostname, "slowerhost");
}

} // namespace
