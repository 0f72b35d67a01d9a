// The reply envelope of peer requests and the dispatch by Code: the exact reply of "PING", which
// id is the peer's, sessions of odd shapes, codes that are dropped or only printed.

#include "peer_test_support.h"

#include "bridge_message.h"
#include "env.h"
#include "p2p_client_msg.h"
#include "peer_replies.h"
#include "peer_session_limit.h"
#include "peer_work.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <algorithm>

using namespace PeerTest;

namespace {

class PeerDispatchTest : public PeerFixture
{
};

} // namespace

TEST_F(PeerDispatchTest, PingIsAnsweredWithSevenKeysAndPong)
{
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("tok-1"), QStringLiteral("PEER|ME"));
    const Json reply = replyTo(QStringLiteral("tok-1"));
    EXPECT_EQ(reply, Json::parse(R"({"Data":{"data":"PONG"},"Token":"tok-1","ClientID1":"PEER","ClientID2":"ME",
        "ClientIDRemote":"PEER","Session":"PEER|ME","Code":"PING"})"));

    // The frame around it: text form under "WSDC".
    const auto frame = std::find_if(bridge.frames.begin(), bridge.frames.end(), [](const Json &f) {
        return requestOf(f).value("Token", "") == "tok-1";
    });
    ASSERT_NE(frame, bridge.frames.end());
    EXPECT_EQ((*frame)["VType"], "WinContrlSet->");
    EXPECT_EQ((*frame)["Msg"]["Code"], "WSDC");
    EXPECT_TRUE((*frame)["Msg"]["Data"].is_string());
}

TEST_F(PeerDispatchTest, ThePeersIdIsTheOneThatIsNotOurs)
{
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("a"), QStringLiteral("ME|PEER"));
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("b"), QStringLiteral("PEER|ME"));
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("c"), QStringLiteral("X|Y"));
    EXPECT_EQ(replyTo(QStringLiteral("a"))["ClientIDRemote"], "PEER");
    EXPECT_EQ(replyTo(QStringLiteral("b"))["ClientIDRemote"], "PEER") << "only the first id is compared with ours";
    EXPECT_EQ(replyTo(QStringLiteral("c"))["ClientIDRemote"], "X");
}

TEST_F(PeerDispatchTest, OddSessionsKeepTheirTextAndFillWhatIdsTheyHave)
{
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("three"), QStringLiteral("A|B|C"));
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("stray"), QStringLiteral("|A||B|"));
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("one"), QStringLiteral("ME"));
    const Json three = replyTo(QStringLiteral("three"));
    EXPECT_EQ(three["ClientID1"], "A");
    EXPECT_EQ(three["ClientID2"], "B");
    EXPECT_EQ(three["Session"], "A|B|C");
    const Json stray = replyTo(QStringLiteral("stray"));
    EXPECT_EQ(stray["ClientID1"], "A");
    EXPECT_EQ(stray["ClientID2"], "B");
    EXPECT_EQ(stray["Session"], "|A||B|");
    const Json one = replyTo(QStringLiteral("one"));
    EXPECT_EQ(one["ClientID1"], "ME");
    EXPECT_EQ(one["ClientID2"], "");
    EXPECT_EQ(one["ClientIDRemote"], "") << "a session of our own id alone has no peer id";
}

TEST_F(PeerDispatchTest, UnknownCodesArePrintedTwiceAndDroppedCodesSayNothing)
{
    CapturedOutput output;
    sendPeer(QStringLiteral("SaveLog"), Json{{"log", "x"}}, QStringLiteral("s"));
    sendPeer(QStringLiteral("getFileExtInfo"), Json::object(), QStringLiteral("g"));
    sendPeer(QStringLiteral("ping"), Json::object(), QStringLiteral("p"));
    const QStringList lines = output.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("WSDC Not Process - ping")) << "codes match exactly";
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\"Code\":\"ping\""))) << "the whole received text";
    settle();
    EXPECT_TRUE(replies().isEmpty());
}

TEST_F(PeerDispatchTest, AnswersToOurOwnRequestsAreNeverServed)
{
    const QString ours = P2PClientMsg::clientWSDCPrefix() + QStringLiteral("LATE");
    CapturedOutput output;
    sendPeer(QStringLiteral("PING"), Json::object(), ours);
    settle();
    EXPECT_TRUE(replies().isEmpty()) << "a late answer with our prefix is not a request";
    EXPECT_EQ(Env::peerSessions().size(), 0);
}

TEST_F(PeerDispatchTest, RepliesWhileTheLinkIsDownAreDropped)
{
    Env::isBridgeConnected = false;
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("down"));
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", "/nowhere"}}, QStringLiteral("down2"));
    // The worker's reply reaches the GUI thread while the link is still down.
    PeerWork::pool().waitForDone();
    QCoreApplication::processEvents();
    Env::isBridgeConnected = true;
    settle();
    EXPECT_TRUE(replies().isEmpty());
}

TEST(PeerReplyRecords, EmptyDataIsWrittenAsNull)
{
    EXPECT_EQ(QelJSON::toJSONObject(MsgBackData{}), Json::parse(R"({"data":null})"));
    EXPECT_EQ(BridgeMessage::wrapData(Json(nullptr)), Json::parse(R"({"data":null})"));
    EXPECT_EQ(QelJSON::toJSONObject(MsgBackData_FileList{}),
              Json::parse(R"({"data":null,"sResult":"","sPageInfo":"","index":"","iProbeCount":0})"));
}
