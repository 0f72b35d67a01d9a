// The frame dispatcher and the bridge's "P2PCLIENT" traffic, fed frames directly: codes, reports,
// answers to our requests, late answers, and input that is not what it should be.

#include "bridge_test_support.h"

#include "bridge_interfaces.h"
#include "bridge_message.h"
#include "control_requests.h"
#include "env.h"
#include "p2p_client_msg.h"
#include "session_state.h"

#include <QStringList>

namespace {

class RecordingLoginHandler final : public LoginResultHandler
{
public:
    void DoLoginResult(const QString &text) override { texts << text; }
    QStringList texts;
};

class RecordingPeerHandler final : public PeerRequestHandler
{
public:
    void DoWSDCRequest(const LenientJson &message, const QString &text) override
    {
        codes << message["Code"].stringValue();
        texts << text;
    }
    void onPeerConnected() override { ++connections; }
    QStringList codes;
    QStringList texts;
    int connections = 0;
};

class RecordingFileList final : public RemoteFileListInterface
{
public:
    void onConStatusChanged(P2PClientMsg::ConStatus status) override { states << status; }
    QList<P2PClientMsg::ConStatus> states;
};

class RecordingContactView final : public ContactViewInterface
{
public:
    void onClientInitResult(P2PClientMsg::ConStatus status) override { states << status; }
    QList<P2PClientMsg::ConStatus> states;
};

QString frame(const Json &object)
{
    return QString::fromStdString(object.dump());
}

QString p2pFrame(const Json &content)
{
    return frame(Json{{"Code", "P2PCLIENT"}, {"Data", content.dump()}});
}

// Everything a stray frame could change.
struct Snapshot {
    QString session = HelperRemoteSharing::session;
    QString id1 = HelperRemoteSharing::sessionClientID1;
    bool remote = P2PClientMsg::isRemoteConnected;
    bool connected = Env::isBridgeConnected;
    qint64 counter = Env::bridgeConnectCounter;
    quint64 active = Env::activeBridgeTime;
    qsizetype pending = P2PClientMsg::taskTable().size();
    QString account = Env::userInfo.name_acc;
    bool operator==(const Snapshot &) const = default;
};

class DispatchTest : public BridgeTest
{
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        BridgeMessage::loginResultHandler = &login;
        BridgeMessage::peerRequestHandler = &peer;
        HelperRemoteSharing::globalFileListView = &fileList;
        HelperRemoteSharing::globalContactView = &contact;
    }

    RecordingLoginHandler login;
    RecordingPeerHandler peer;
    RecordingFileList fileList;
    RecordingContactView contact;
};

} // namespace

TEST_F(DispatchTest, TopLevelCodesGoToTheirHandlers)
{
    CapturedOutput output;
    BridgeMessage::DoMsg(frame({{"Code", "Pong"}}));
    BridgeMessage::DoMsg(frame({{"Code", "LoginResultAnonymous"}, {"Data", "x"}}));
    BridgeMessage::DoMsg(frame({{"Code", "LoginResult"}, {"Data", R"({"Result":"1"})"}}));
    BridgeMessage::DoMsg(frame({{"Code", "WSDC"}, {"Data", R"({"Token":"other","Code":"PING","Msg":{}})"}}));
    BridgeMessage::DoMsg(frame({{"Code", "pong"}}));
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("BridgeMessage - DoMsg - Msg Not Process - pong")})
        << "Pong and LoginResultAnonymous print nothing; case matters";
    EXPECT_EQ(login.texts, QStringList{QStringLiteral(R"({"Result":"1"})")});
    EXPECT_EQ(peer.codes, QStringList{QStringLiteral("PING")});
}

TEST_F(DispatchTest, BadFramesArePrintedAndChangeNothing)
{
    const Snapshot before;
    const QString huge(1 << 20, u'a');
    CapturedOutput output;
    BridgeMessage::DoMsg(QStringLiteral("not json"));
    BridgeMessage::DoMsg(QStringLiteral(R"(["Code","Pong"])"));
    BridgeMessage::DoMsg(QStringLiteral(R"({"Code":{"x":1},"Data":[1,2]})"));
    BridgeMessage::DoMsg(QStringLiteral(R"({"Code":7})"));
    BridgeMessage::DoMsg(QStringLiteral(R"({})"));
    BridgeMessage::DoMsg(frame({{"Code", huge.toStdString()}}));
    BridgeMessage::DoMsg(QString(1 << 20, u'{'));
    BridgeMessage::DoMsg(frame({{"Code", "LoginResult"}, {"Data", {{"Result", "1"}}}}));
    BridgeMessage::DoMsg(frame({{"Code", "P2PCLIENT"}, {"Data", "{broken"}}));
    BridgeMessage::DoMsg(frame({{"Code", "P2PCLIENT"}, {"Data", "[1,2,3]"}}));
    BridgeMessage::DoMsg(frame({{"Code", "P2PCLIENT"}, {"Data", R"({"Type":5,"Token":[],"Msg":"x"})"}}));
    BridgeMessage::DoMsg(frame({{"Code", "WSDC"}, {"Data", "\"just text\""}}));
    BridgeMessage::DoMsg(frame({{"Code", "WSDC"}, {"Data", "nope"}}));

    const QStringList lines = output.lines();
    const QString notProcess = QStringLiteral("BridgeMessage - DoMsg - Msg Not Process - ");
    ASSERT_GE(lines.size(), 12);
    EXPECT_EQ(lines[0], QStringLiteral("Json error!"));
    EXPECT_EQ(lines[1], notProcess) << "an array has no code";
    EXPECT_EQ(lines[2], notProcess) << "an object read as text is empty";
    EXPECT_EQ(lines[3], notProcess + QStringLiteral("7")) << "a number reads as its text";
    EXPECT_EQ(lines[4], notProcess);
    EXPECT_EQ(lines[5], notProcess + huge);
    EXPECT_EQ(lines[6], QStringLiteral("Json error!")) << "absurd nesting is refused as not JSON";
    EXPECT_EQ(lines[7], QStringLiteral("P2PClientMsg - DoMsg - Json error!{broken"));
    EXPECT_EQ(lines[8], QStringLiteral("P2PClientMsg - DoMsg - Msg Not Process - "));
    EXPECT_EQ(lines[9], QStringLiteral("[1,2,3]"));
    EXPECT_EQ(lines[10], QStringLiteral("P2PClientMsg - DoMsg - Msg Not Process - 5"));
    EXPECT_EQ(lines.last(), QStringLiteral("Json error!")) << "a WSDC content that is not JSON";
    EXPECT_EQ(login.texts, QStringList{QString()}) << "Data that is an object reads as the empty text";
    EXPECT_EQ(peer.codes, QStringList{QString()}) << "a JSON text that is no object is the peer handler's to refuse";
    EXPECT_TRUE(fileList.states.isEmpty());
    EXPECT_TRUE(Snapshot() == before);
}

TEST_F(DispatchTest, PeerConnectionReportSetsTheSessionAndProbesThePeer)
{
    Env::userInfo.ClientID = QStringLiteral("ME");
    CapturedOutput output;
    BridgeMessage::DoMsg(p2pFrame({{"Type", "GetShareHost6Client"},
                                   {"Token", ""},
                                   {"Msg",
                                    {{"Result", "1"},
                                     {"ulocal", "l"},
                                     {"uremote", "r"},
                                     {"ClientID1", "ME"},
                                     {"ClientID2", "PEER"},
                                     {"uname", "n"},
                                     {"source", "s"}}}}));
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("Got GetShareHost6Client")});
    EXPECT_TRUE(P2PClientMsg::isRemoteConnected);
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("ME|PEER"));
    EXPECT_EQ(HelperRemoteSharing::sessionClientID1, QStringLiteral("ME"));
    EXPECT_EQ(HelperRemoteSharing::sessionClientID2, QStringLiteral("PEER"));
    EXPECT_EQ(HelperRemoteSharing::sessionULocal, QStringLiteral("l"));
    EXPECT_EQ(HelperRemoteSharing::sessionURemote, QStringLiteral("r"));
    EXPECT_EQ(HelperRemoteSharing::sessionUName, QStringLiteral("n"));
    EXPECT_EQ(HelperRemoteSharing::sessionSource, QStringLiteral("s"));
    EXPECT_EQ(peer.connections, 1);
    EXPECT_EQ(P2PClientMsg::remoteClientId(HelperRemoteSharing::sessionClientID1, HelperRemoteSharing::sessionClientID2),
              QStringLiteral("PEER"));

    // Without a second id the session ends in "|".
    BridgeMessage::DoMsg(p2pFrame({{"Type", "GetShareHost6Client"}, {"Msg", {{"Result", 1}, {"ClientID1", "A"}}}}));
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("A|"));
    EXPECT_EQ(P2PClientMsg::remoteClientId(QStringLiteral("A"), QString()), QStringLiteral("A"));
}

TEST_F(DispatchTest, RefusedConnectionReachesOnlyTheOwner)
{
    HelperRemoteSharing::session = QStringLiteral("OLD|SESSION");
    const auto refused = p2pFrame({{"Type", "GetShareHost6Client"}, {"Msg", {{"Result", 0}, {"ClientID1", "X"}}}});
    const auto failed = p2pFrame({{"Type", "P2PConFailed"}, {"Msg", "why"}});

    HelperRemoteSharing::linkOwner = 1;
    BridgeMessage::DoMsg(refused);
    BridgeMessage::DoMsg(failed);
    EXPECT_EQ(fileList.states, (QList<P2PClientMsg::ConStatus>{P2PClientMsg::ConStatus::csInvalid, P2PClientMsg::ConStatus::csInvalid}));
    EXPECT_TRUE(contact.states.isEmpty());
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("OLD|SESSION")) << "a refusal keeps the session";
    EXPECT_FALSE(P2PClientMsg::isRemoteConnected);

    HelperRemoteSharing::linkOwner = 3;
    BridgeMessage::DoMsg(failed);
    EXPECT_EQ(contact.states, QList<P2PClientMsg::ConStatus>{P2PClientMsg::ConStatus::csInvalid});

    for (const quint8 nobody : {quint8(0), quint8(2)}) {
        HelperRemoteSharing::linkOwner = nobody;
        BridgeMessage::DoMsg(failed);
    }
    HelperRemoteSharing::linkOwner = 1;
    HelperRemoteSharing::globalFileListView = nullptr;
    BridgeMessage::DoMsg(failed);
    EXPECT_EQ(fileList.states.size(), 2);
    EXPECT_EQ(contact.states.size(), 1);
    EXPECT_EQ(peer.connections, 0);
}

TEST_F(DispatchTest, AnswersReachTheirOwnCallbackOnceAndLateOnesAreDropped)
{
    QStringList got;
    auto record = [&got](const QString &name) {
        return [&got, name](const std::optional<LenientJson> &answer) {
            got << name + u'=' + (answer ? answer->stringValue() : QStringLiteral("none"));
        };
    };
    Env::isBridgeConnected = true; // nothing is listening: the frames are simply not written
    const QString first = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), CallHttpInfo{QStringLiteral("u"), 5}, true, record(QStringLiteral("first")));
    const QString second = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), CallHttpInfo{QStringLiteral("u"), 5}, true, record(QStringLiteral("second")));
    ASSERT_NE(first, second);
    EXPECT_TRUE(first.startsWith(P2PClientMsg::p2pClientPrefix()));
    EXPECT_TRUE(second.startsWith(P2PClientMsg::p2pClientPrefix()));
    EXPECT_EQ(first.size(), P2PClientMsg::p2pClientPrefix().size() + 36);

    CapturedOutput output;
    BridgeMessage::DoMsg(p2pFrame({{"Type", "GetShareHost6Client"}, {"Token", second.toStdString()}, {"Msg", "two"}}));
    BridgeMessage::DoMsg(p2pFrame({{"Token", first.toStdString()}, {"Msg", "one"}}));
    BridgeMessage::DoMsg(p2pFrame({{"Token", first.toStdString()}, {"Msg", "again"}}));
    EXPECT_EQ(got, (QStringList{QStringLiteral("second=two"), QStringLiteral("first=one")}));
    EXPECT_EQ(peer.connections, 0) << "an answer is never dispatched by its type";
    const QStringList lines = output.lines();
    // The answer that came twice finds nobody and is dropped without a line.
    EXPECT_EQ(lines, (QStringList{QStringLiteral("SendMsgToP2PClient - back - CallHttp"),
                                  QStringLiteral("SendMsgToP2PClient - back - CallHttp")}));
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0);
}

TEST_F(DispatchTest, AnotherRunsTokenIsNoAnswer)
{
    const QString otherRun = P2PClientMsg::makeRunPrefix(QStringLiteral("P2PClient")) + QStringLiteral("AAAA");
    ASSERT_FALSE(otherRun.startsWith(P2PClientMsg::p2pClientPrefix()));
    BridgeMessage::DoMsg(p2pFrame({{"Type", "GetShareHost6Client"}, {"Token", otherRun.toStdString()},
                                   {"Msg", {{"Result", 1}, {"ClientID1", "A"}, {"ClientID2", "B"}}}}));
    EXPECT_EQ(peer.connections, 1) << "with a foreign prefix the frame is a report";
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("A|B"));
}

TEST_F(DispatchTest, WsdcAnswersAreMatchedAndLateOnesNeverServed)
{
    Env::isBridgeConnected = true;
    std::optional<LenientJson> answer;
    int calls = 0;
    const QString token = P2PClientMsg::makeToken(P2PClientMsg::clientWSDCPrefix());
    P2PClientMsg::sendAndWait(QStringLiteral("WSDC"), P2PClientMsg::makeRequest(QStringLiteral("getFileList"), token, QStringLiteral("NO"), BlankMsg{}),
                              RemoteWSDCTask::Kind::Remote, 30'000, [&](const std::optional<LenientJson> &a) {
                                  answer = a;
                                  ++calls;
                              });
    const auto reply = [&](const QString &code) {
        return frame({{"Code", "WSDC"},
                      {"Data", Json{{"Token", token.toStdString()}, {"Code", code.toStdString()}, {"Msg", {{"data", "rows"}}}}.dump()}});
    };

    CapturedOutput output;
    BridgeMessage::DoMsg(reply(QStringLiteral("getFileList")));
    BridgeMessage::DoMsg(reply(QStringLiteral("PING")));
    ASSERT_EQ(calls, 1);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)["data"].stringValue(), QStringLiteral("rows"));
    EXPECT_TRUE(peer.codes.isEmpty()) << "a late answer is never served as a request";
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("SendMsgToRemote - getFileList - Back!!!"),
                                           QStringLiteral("WSDC Back Data Too Late, Dropped - PING")}));

    // A shorter token, or one differing in a leading character, is a request.
    const QString prefix = P2PClientMsg::clientWSDCPrefix();
    const QString differing = QStringLiteral("X") + prefix.mid(1) + QStringLiteral("ABC");
    for (const QString &t : {prefix.left(prefix.size() - 1), differing}) {
        BridgeMessage::DoMsg(frame({{"Code", "WSDC"}, {"Data", Json{{"Token", t.toStdString()}, {"Code", "PING"}}.dump()}}));
    }
    EXPECT_EQ(peer.codes.size(), 2);
}

TEST_F(DispatchTest, WsdcWithoutPeerHandlerIsPrinted)
{
    BridgeMessage::peerRequestHandler = nullptr;
    const QString content = QStringLiteral(R"({"Token":"t","Code":"getShareInfo"})");
    CapturedOutput output;
    BridgeMessage::DoWSDCMsg(content);
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("WSDC Not Process - getShareInfo"), content}));
}

TEST_F(DispatchTest, LanHttpAnswerIsKept)
{
    P2PClientMsg::storeLanHttp(LenientJson::fromJson("http://192.168.1.5:8080"));
    EXPECT_EQ(HelperRemoteSharing::lanHttp, QStringLiteral("http://192.168.1.5:8080"));
    P2PClientMsg::storeLanHttp(std::nullopt);
    EXPECT_EQ(HelperRemoteSharing::lanHttp, QStringLiteral("http://192.168.1.5:8080")) << "no answer keeps the last address";
}

TEST(SessionState, AdoptedSessionKeepsWholeTextAndTakesTwoIds)
{
    HelperRemoteSharing::resetForTests();
    P2PClientMsg::resetForTests();
    HelperRemoteSharing::sessionULocal = QStringLiteral("l");
    HelperRemoteSharing::sessionUName = QStringLiteral("n");
    HelperRemoteSharing::setRemoteSession(QStringLiteral("A|B|C"));
    EXPECT_EQ(HelperRemoteSharing::session, QStringLiteral("A|B|C"));
    EXPECT_EQ(HelperRemoteSharing::sessionClientID1, QStringLiteral("A"));
    EXPECT_EQ(HelperRemoteSharing::sessionClientID2, QStringLiteral("B"));
    EXPECT_TRUE(HelperRemoteSharing::sessionULocal.isEmpty());
    EXPECT_EQ(HelperRemoteSharing::sessionUName, QStringLiteral("n"));
    EXPECT_TRUE(P2PClientMsg::isRemoteConnected);

    HelperRemoteSharing::setRemoteSession(QStringLiteral("LONE"));
    EXPECT_EQ(HelperRemoteSharing::sessionClientID1, QStringLiteral("LONE"));
    EXPECT_TRUE(HelperRemoteSharing::sessionClientID2.isEmpty());
}
