// Session requests of peers: the room check ("ClientTouch") with the sessions counted against
// the limit, "PING", "HostHandShake", "ValidInfo" and "CheckHost".

#include "peer_test_support.h"

#include "env.h"
#include "peer_session_limit.h"

#include <QFileInfo>

using namespace PeerTest;

namespace {

class PeerSessionTest : public PeerFixture
{
protected:
    Json touch(const QString &token, const QString &session = QStringLiteral("ASKER|ME"))
    {
        sendPeer(QStringLiteral("ClientTouch"), Json::object(), token, session);
        return dataOf(token)["data"];
    }
    void ping(const QString &session)
    {
        static int n = 0;
        const QString token = QStringLiteral("ping-") + QString::number(++n);
        sendPeer(QStringLiteral("PING"), Json::object(), token, session);
        EXPECT_EQ(dataOf(token), Json::parse(R"({"data":"PONG"})"));
    }
};

} // namespace

TEST_F(PeerSessionTest, FreshClientHasRoomForItsLimitAndMakesItsDownloadFolder)
{
    const QString documents = home + QStringLiteral("/Documents/Fenmar");
    ASSERT_FALSE(QFileInfo::exists(documents));
    Env::userInfo.limit_dpc = 3;
    CapturedOutput output;
    const Json data = touch(QStringLiteral("t"), QStringLiteral("ASKER|ME"));
    EXPECT_EQ(output.lines().first(), QStringLiteral("ClientTouch ASKER|ME"));
    EXPECT_EQ(data, Json({{"UPC", 3}, {"SC", 0}, {"Local", (documents + QStringLiteral("/Downloads")).toStdString()}, {"OS", "IOS"}}));
    EXPECT_TRUE(QFileInfo(documents + QStringLiteral("/Downloads")).isDir());
}

TEST_F(PeerSessionTest, BeforeLoginTheAccountDefaultsAnswer)
{
    EXPECT_EQ(touch(QStringLiteral("t"))["UPC"], 1);
    sendPeer(QStringLiteral("HostHandShake"), Json{{"anything", 1}}, QStringLiteral("h"));
    EXPECT_EQ(dataOf(QStringLiteral("h")), Json::parse(R"({"data":"Anonymous","os":"/","device":"PHONE"})"))
        << "the handshake is not wrapped";
}

TEST_F(PeerSessionTest, EachPingingSessionCountsOnce)
{
    Env::userInfo.limit_dpc = 5;
    ping(QStringLiteral("A|ME"));
    ping(QStringLiteral("A|ME"));
    ping(QStringLiteral("A|ME"));
    ping(QStringLiteral("B|ME"));
    EXPECT_EQ(touch(QStringLiteral("t1"))["SC"], 2);

    const quint64 before = Env::peerSessions().find(QStringLiteral("A|ME"))->LastActive;
    clock->advanceMs(5000);
    ping(QStringLiteral("A|ME"));
    EXPECT_EQ(Env::peerSessions().find(QStringLiteral("A|ME"))->LastActive, before + 5) << "a ping refreshes its session";
    EXPECT_EQ(touch(QStringLiteral("t2"))["SC"], 2);
}

TEST_F(PeerSessionTest, SessionsSilentForTenMinutesFreeTheirPlace)
{
    Env::userInfo.limit_dpc = 1;
    ping(QStringLiteral("GONE|ME"));
    EXPECT_EQ(touch(QStringLiteral("full"))["SC"], 1) << "the one place is taken";

    clock->advanceMs(qint64(PeerSessionTable::activeWindowSecs) * 1000);
    EXPECT_EQ(touch(QStringLiteral("edge"))["SC"], 1) << "still within the window";
    clock->advanceMs(1000);
    EXPECT_EQ(touch(QStringLiteral("free"))["SC"], 0) << "a peer that stopped pinging no longer counts";

    ping(QStringLiteral("NEW|ME"));
    EXPECT_EQ(Env::peerSessions().size(), 1) << "the silent session is forgotten";
}

TEST_F(PeerSessionTest, APeerThatComesBackDoesNotCountAgainstItself)
{
    Env::userInfo.limit_dpc = 1;
    ping(QStringLiteral("BACK|ME"));
    EXPECT_EQ(touch(QStringLiteral("self"), QStringLiteral("BACK|ME"))["SC"], 0);
    EXPECT_EQ(touch(QStringLiteral("other"), QStringLiteral("OTHER|ME"))["SC"], 1);
}

TEST_F(PeerSessionTest, ValidInfoGrantsEverythingWhateverTheTag)
{
    const Json all = Json::parse(R"({"data":{"IsHostValid":true,"IsCanUpDown":true,"IsCanReceiveFile":true,"SP_DownloadNow":true}})");
    sendPeer(QStringLiteral("ValidInfo"), Json{{"HostTag", "zzz"}}, QStringLiteral("v1"));
    sendPeer(QStringLiteral("ValidInfo"), Json::object(), QStringLiteral("v2"));
    sendPeer(QStringLiteral("ValidInfo"), Json("not an object"), QStringLiteral("v3"));
    EXPECT_EQ(dataOf(QStringLiteral("v1")), all);
    EXPECT_EQ(dataOf(QStringLiteral("v2")), all);
    EXPECT_EQ(dataOf(QStringLiteral("v3")), all);
}

TEST_F(PeerSessionTest, CheckHostAnswersTheSharesCreationTime)
{
    store.shares.push_back(Share{.tag = QStringLiteral("Docs"), .path = home, .ctime = QStringLiteral("c-docs")});
    store.shares.push_back(Share{.tag = QStringLiteral("main"), .path = home, .isDefault = true, .ctime = QStringLiteral("c-main")});
    sendPeer(QStringLiteral("CheckHost"), Json{{"tag", "dOCS"}}, QStringLiteral("case"));
    sendPeer(QStringLiteral("CheckHost"), Json{{"tag", "index.php"}}, QStringLiteral("index"));
    sendPeer(QStringLiteral("CheckHost"), Json::object(), QStringLiteral("empty"));
    sendPeer(QStringLiteral("CheckHost"), Json{{"tag", "nope"}}, QStringLiteral("none"));
    EXPECT_EQ(dataOf(QStringLiteral("case")), Json({{"data", "c-docs"}}));
    EXPECT_EQ(dataOf(QStringLiteral("index")), Json({{"data", "c-main"}}));
    EXPECT_EQ(dataOf(QStringLiteral("empty")), Json({{"data", "c-main"}}));
    EXPECT_EQ(dataOf(QStringLiteral("none")), Json({{"data", ""}}));

    Env::shareStore = nullptr;
    sendPeer(QStringLiteral("CheckHost"), Json{{"tag", "Docs"}}, QStringLiteral("nostore"));
    EXPECT_EQ(dataOf(QStringLiteral("nostore")), Json({{"data", ""}})) << "no store is no share";
}

TEST(PeerSessionTable, ManyNewSessionsWithinOneSecondAreAllCounted)
{
    PeerSessionTable table;
    for (int i = 0; i < 1000; ++i)
        table.ping(QString::number(i), 100);
    EXPECT_EQ(table.activeCount(100), 1000);
    EXPECT_EQ(table.activeCount(100, QStringLiteral("7")), 999);
    EXPECT_EQ(table.activeCount(100 + PeerSessionTable::activeWindowSecs + 1), 0);
    table.ping(QStringLiteral("late"), 100 + PeerSessionTable::activeWindowSecs + 1);
    EXPECT_EQ(table.size(), 1);
}
