// Requests to the peer of the current session: the request record, waiting and not waiting, the
// refusal without a session, the catalogue of codes, the room check of a new connection and the
// state it hands to the view that owns the link. The last test lets the fake bridge relay this
// client's requests to its own peer side, as the bridge does between two clients.

#include "peer_test_support.h"

#include "bridge_message.h"
#include "env.h"
#include "p2p_client_msg.h"
#include "p2p_requests_to_peers.h"
#include "session_state.h"

#include <QImage>

#include <map>

using namespace PeerTest;
using P2PClientMsg::ConStatus;

namespace {

class RecordingFileList final : public RemoteFileListInterface
{
public:
    void onConStatusChanged(ConStatus status) override { states << status; }
    QList<ConStatus> states;
};

class RecordingContactView final : public ContactViewInterface
{
public:
    void onClientInitResult(ConStatus status) override { states << status; }
    QList<ConStatus> states;
};

class PeerRequestsTest : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        HelperRemoteSharing::globalFileListView = &fileList;
        HelperRemoteSharing::globalContactView = &contact;
    }
    void connectPeer(const QString &id1 = QStringLiteral("ME"), const QString &id2 = QStringLiteral("PEER"))
    {
        P2PClientMsg::isRemoteConnected = true;
        HelperRemoteSharing::sessionClientID1 = id1;
        HelperRemoteSharing::sessionClientID2 = id2;
        HelperRemoteSharing::session = id1 + u'|' + id2;
    }
    // Requests this client sent to a peer, in order.
    QList<Json> peerRequests() const
    {
        QList<Json> result;
        for (const Json &frame : bridge.frames) {
            const Json request = requestOf(frame);
            if (frame["Msg"].value("Code", "") == "WSDC" && request.is_object() && request.contains("IsProcessOnBridge"))
                result.append(request);
        }
        return result;
    }
    // The peer answers a request: a "WSDC" frame with the request's token and msg.
    void answer(const Json &request, const Json &msg)
    {
        bridge.send(QStringLiteral("WSDC"), QString::fromStdString(Json{{"Token", request["Token"]},
                                                                         {"Session", request["Session"]},
                                                                         {"Code", request["Code"]},
                                                                         {"Msg", msg}}
                                                                        .dump()));
    }
    RecordingFileList fileList;
    RecordingContactView contact;
};

} // namespace

TEST_F(PeerRequestsTest, WithoutAPeerSessionTheCallbackHearsNothingAtOnce)
{
    CapturedOutput output;
    int calls = 0;
    bool absent = false;
    PeerRequestSenders::getShareInfo(QStringLiteral("t"), QString(), [&](const std::optional<LenientJson> &answer) {
        ++calls;
        absent = answer && !(*answer)["data"].exists() && (*answer)["data"]["UPC"].intValue() == 0;
    });
    EXPECT_EQ(calls, 1) << "before the call returns";
    EXPECT_TRUE(absent);
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("SendMsgToRemote - getShareInfo"),
                                           QStringLiteral("Remote not connected! Can not send message!!")}));
    settle();
    EXPECT_TRUE(peerRequests().isEmpty());
}

TEST_F(PeerRequestsTest, AWaitedRequestGoesInObjectFormAndItsAnswerComesBack)
{
    connectPeer();
    std::optional<LenientJson> got;
    int calls = 0;
    PeerRequestSenders::getFileListPage(QStringLiteral("/d"), 2, 30, [&](const std::optional<LenientJson> &answer) {
        got = answer;
        ++calls;
    });
    ASSERT_TRUE(waitFor([&] { return peerRequests().size() == 1; }));
    const auto frame = std::find_if(bridge.frames.begin(), bridge.frames.end(),
                                    [](const Json &f) { return f["Msg"].value("Code", "") == "WSDC"; });
    ASSERT_TRUE((*frame)["Msg"]["Data"].is_object()) << "object form";
    const Json request = peerRequests()[0];
    EXPECT_EQ(request.size(), 8u);
    EXPECT_EQ(request["Session"], "ME|PEER");
    EXPECT_EQ(request["Code"], "getFileList");
    EXPECT_EQ(request["ClientID1"], "ME");
    EXPECT_EQ(request["ClientID2"], "PEER");
    EXPECT_EQ(request["ClientIDRemote"], "PEER");
    EXPECT_EQ(request["IsProcessOnBridge"], "NO");
    EXPECT_EQ(request["Data"], Json::parse(R"({"dir":"/d","search":"","filters":"","orderBy":"","iIconLoadSize":"",
        "iPageIndex":2,"iPageSize":30,"iProbeCount":0,"iPreFetchIcon":0})"));
    const QString token = QString::fromStdString(request["Token"]);
    const QString prefix = P2PClientMsg::clientWSDCPrefix();
    ASSERT_TRUE(token.startsWith(prefix));
    EXPECT_EQ(token.size(), prefix.size() + 36);
    EXPECT_EQ(token.mid(prefix.size()), token.mid(prefix.size()).toUpper());

    CapturedOutput output;
    answer(request, Json{{"data", {1, 2}}, {"sPageInfo", "2|1"}});
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_EQ((*got)["sPageInfo"].stringValue(), QStringLiteral("2|1"));
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("SendMsgToRemote - getFileList - Back!!!")});
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0);
}

TEST_F(PeerRequestsTest, TwoWaitedRequestsAreAnsweredIndependently)
{
    connectPeer(QStringLiteral("PEER"), QStringLiteral("ME"));
    QStringList order;
    PeerRequestSenders::checkHost(QStringLiteral("a"), [&](const std::optional<LenientJson> &answer) {
        order << QStringLiteral("a:") + (*answer)["data"].stringValue();
    });
    PeerRequestSenders::checkHost(QStringLiteral("b"), [&](const std::optional<LenientJson> &answer) {
        order << QStringLiteral("b:") + (*answer)["data"].stringValue();
    });
    ASSERT_TRUE(waitFor([&] { return peerRequests().size() == 2; }));
    const QList<Json> requests = peerRequests();
    EXPECT_NE(requests[0]["Token"], requests[1]["Token"]);
    EXPECT_EQ(requests[0]["ClientIDRemote"], "PEER") << "our id second: the first is the peer's";
    answer(requests[1], Json{{"data", "2"}});
    answer(requests[0], Json{{"data", "1"}});
    ASSERT_TRUE(waitFor([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (QStringList{QStringLiteral("b:2"), QStringLiteral("a:1")}));
}

TEST_F(PeerRequestsTest, CheckHostIsQuietAndRequestsWithoutWaitingGoAsText)
{
    connectPeer();
    CapturedOutput output;
    int calls = 0;
    PeerRequestSenders::checkHost(QStringLiteral("t"), [&](const std::optional<LenientJson> &) { ++calls; });
    PeerRequestSenders::withdrawOffer();
    PeerRequestSenders::syncTransState(QStringLiteral("50%"), 50.5, false, true);
    ASSERT_TRUE(waitFor([&] { return peerRequests().size() == 3; }));
    const QList<Json> requests = peerRequests();
    answer(requests[0], Json{{"data", "c"}});
    ASSERT_TRUE(waitFor([&] { return calls == 1; }));
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("SendMsgToRemote - WaitRemoteReceiveFilesCancel"),
                                           QStringLiteral("SendMsgToRemote - SyncTransState")}));

    int textForms = 0;
    for (const Json &frame : bridge.frames) {
        if (frame["Msg"].value("Code", "") == "WSDC" && frame["Msg"]["Data"].is_string())
            ++textForms;
    }
    EXPECT_EQ(textForms, 2);
    EXPECT_EQ(requests[2]["Data"], Json::parse(R"({"Log":"50%","IProgress":50.5,"IsFinished":false,"IsCanceled":true})"));
}

TEST_F(PeerRequestsTest, EveryCodeCarriesItsPayloadAndBridgeFlag)
{
    connectPeer();
    HelperRemoteSharing::session = QStringLiteral("ME|PEER");
    const AnswerCallback none = P2PClientMsg::ignoreReplyRemote;
    PeerRequestSenders::getShareInfo(QStringLiteral("tag"), QStringLiteral("pw"), none);
    PeerRequestSenders::getFileCount(QStringLiteral("/d"), none);
    PeerRequestSenders::buildIcon2(QStringLiteral("/d/p.png"), 4, none);
    PeerRequestSenders::deleteFiles({QStringLiteral("/d/a"), QStringLiteral("/d/b")}, none);
    PeerRequestSenders::offerFiles(QStringLiteral("2 files"), QStringLiteral("me@x.org"), QStringLiteral("U"), none);
    PeerRequestSenders::askReceiverDecision(QStringLiteral("U"), none);
    PeerRequestSenders::remoteUploadTaskInfo(none);
    PeerRequestSenders::cancelUploading(none);
    P2PClientMsg::sendClientTouch();
    ASSERT_TRUE(waitFor([&] { return peerRequests().size() == 9; }));
    const QList<Json> r = peerRequests();
    const auto check = [&](int i, const char *code, const char *data, const char *bridgeFlag) {
        SCOPED_TRACE(code);
        EXPECT_EQ(r[i]["Code"], code);
        EXPECT_EQ(r[i]["Data"], Json::parse(data));
        EXPECT_EQ(r[i]["IsProcessOnBridge"], bridgeFlag);
    };
    check(0, "getShareInfo", R"({"tag":"tag","pass":"pw","isweb":0})", "NO");
    check(1, "getFileList", R"({"dir":"/d","search":"","filters":"","orderBy":"","iIconLoadSize":"","iPageIndex":1,
        "iPageSize":50,"iProbeCount":1,"iPreFetchIcon":0})", "NO");
    check(2, "buildIcon2", R"({"size":48,"fileList":["/d/p.png|4|1|-1"]})", "NO");
    check(3, "opFileList", R"({"path":"","cmd":"delete","extInfo":"","fileList":"/d/a|/d/b"})", "NO");
    check(4, "WaitRemoteReceiveFiles", R"({"Session":"ME|PEER","Summary":"2 files","FromUser":"me@x.org","UUID":"U"})", "NO");
    check(5, "WaitRemoteReceiveFilesPressButton", R"({"UUID":"U"})", "NO");
    check(6, "RemoteUploadTaskInfo", R"({"Session":"ME|PEER","IsProcessOnBridge":"YES"})", "YES");
    check(7, "CancelUploading", R"({"Session":"ME|PEER","IsProcessOnBridge":"YES"})", "YES");
    check(8, "ClientTouch", R"({"m":""})", "NO");
}

TEST_F(PeerRequestsTest, RoomCheckDecidesTheStateOfTheLinksOwner)
{
    HelperRemoteSharing::linkOwner = 1;
    P2PClientMsg::onClientTouchBack(LenientJson::parse(QStringLiteral(R"({"data":{"UPC":5,"SC":5}})")));
    P2PClientMsg::onClientTouchBack(LenientJson::parse(QStringLiteral(R"({"data":{"UPC":0,"SC":0}})")));
    P2PClientMsg::onClientTouchBack(LenientJson::parse(QStringLiteral(R"({"other":1})")));
    P2PClientMsg::onClientTouchBack(LenientJson::fromJson(Json("")));
    EXPECT_EQ(fileList.states, QList<ConStatus>(4, ConStatus::csMaxClients));
    settle();
    EXPECT_TRUE(bridge.controlRequests(QStringLiteral("GetLanHttp")).isEmpty());

    HelperRemoteSharing::linkOwner = 3;
    P2PClientMsg::onClientTouchBack(LenientJson::parse(QStringLiteral(R"({"data":{"UPC":"5","SC":4}})")));
    EXPECT_EQ(contact.states, QList<ConStatus>{ConStatus::csConnected});
    ASSERT_TRUE(waitFor([&] { return bridge.controlRequests(QStringLiteral("GetLanHttp")).size() == 1; }));

    CapturedOutput output;
    P2PClientMsg::onClientTouchBack(std::nullopt);
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("Client Touch Error!")});
    EXPECT_EQ(contact.states.size(), 1);

    for (const quint8 nobody : {quint8(0), quint8(2)}) {
        HelperRemoteSharing::linkOwner = nobody;
        P2PClientMsg::onClientTouchBack(LenientJson::parse(QStringLiteral(R"({"data":{"UPC":5,"SC":1}})")));
    }
    HelperRemoteSharing::linkOwner = 1;
    HelperRemoteSharing::globalFileListView = nullptr;
    P2PClientMsg::onClientTouchBack(LenientJson::parse(QStringLiteral(R"({"data":{"UPC":5,"SC":1}})")));
    EXPECT_EQ(fileList.states.size(), 4);
    EXPECT_EQ(contact.states.size(), 1);
}

TEST_F(PeerRequestsTest, NewConnectionIsProbedAndTheAnswerReachesTheBrowser)
{
    HelperRemoteSharing::linkOwner = 1;
    BridgeMessage::DoMsg(QString::fromStdString(
        Json{{"Code", "P2PCLIENT"},
             {"Data", Json{{"Type", "GetShareHost6Client"}, {"Msg", {{"Result", 1}, {"ClientID1", "ME"}, {"ClientID2", "PEER"}}}}.dump()}}
            .dump()));
    ASSERT_TRUE(waitFor([&] { return peerRequests().size() == 1; }));
    const Json touch = peerRequests()[0];
    EXPECT_EQ(touch["Code"], "ClientTouch");
    EXPECT_EQ(touch["Session"], "ME|PEER");
    EXPECT_TRUE(fileList.states.isEmpty()) << "nothing before the peer has answered";
    answer(touch, Json{{"data", {{"UPC", 2}, {"SC", 1}, {"Local", "/x"}, {"OS", "IOS"}}}});
    ASSERT_TRUE(waitFor([&] { return !fileList.states.isEmpty(); }));
    EXPECT_EQ(fileList.states, QList<ConStatus>{ConStatus::csConnected});
}

TEST_F(PeerRequestsTest, BrowsingOurOwnShareThroughARelay)
{
    // The bridge's part when the peer is this same client: a request reaches the peer side under a
    // token of the bridge's own (ours would read as an answer), the reply returns under ours.
    std::map<std::string, std::string> askerTokens;
    bridge.onFrame = [this, &askerTokens](const Json &frame) {
        if (!frame.is_object() || frame["Msg"].value("Code", "") != "WSDC")
            return;
        const Json message = requestOf(frame);
        std::string token = message.value("Token", "");
        if (message.contains("IsProcessOnBridge")) {
            const std::string relayToken = "RELAY-" + std::to_string(askerTokens.size());
            askerTokens[relayToken] = token;
            token = relayToken;
        } else {
            token = askerTokens[token];
        }
        const Json relayed{{"Token", token}, {"Session", message["Session"]}, {"Code", message["Code"]},
                           {"ClientID1", message["ClientID1"]}, {"ClientID2", message["ClientID2"]}, {"Msg", message["Data"]}};
        bridge.send(QStringLiteral("WSDC"), QString::fromStdString(relayed.dump()));
    };
    const QString root = makeDir(QStringLiteral("mine"));
    writeFile(QStringLiteral("mine/a.txt"), 3);
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(root + QStringLiteral("/p.png")));
    store.shares.push_back(Share{.tag = QStringLiteral("Mine"), .path = root, .password = QStringLiteral("pw")});
    connectPeer(QStringLiteral("ME"), QStringLiteral("ME2"));

    // Waits for the answer of one request; an absent value when none came.
    const auto ask = [](const std::function<void(AnswerCallback)> &send) {
        bool done = false;
        std::optional<LenientJson> answer;
        send([&](const std::optional<LenientJson> &a) {
            answer = a;
            done = true;
        });
        waitFor([&] { return done; });
        return answer.value_or(LenientJson());
    };
    const LenientJson info = ask([](AnswerCallback cb) { PeerRequestSenders::getShareInfo(QStringLiteral("mine"), QStringLiteral("PW"), cb); });
    const QString sharedPath = info["data"][0]["path"].stringValue();
    EXPECT_EQ(sharedPath, root);

    const LenientJson count = ask([&](AnswerCallback cb) { PeerRequestSenders::getFileCount(sharedPath, cb); });
    EXPECT_EQ(count["index"].stringValue(), QStringLiteral("2"));

    const LenientJson page = ask([&](AnswerCallback cb) { PeerRequestSenders::getFileListPage(sharedPath, 1, 50, cb); });
    EXPECT_EQ(page["sPageInfo"].stringValue(), QStringLiteral("2|1"));
    EXPECT_EQ(page["data"][1]["name"].stringValue(), QStringLiteral("p.png"));

    const LenientJson icon = ask([&](AnswerCallback cb) {
        PeerRequestSenders::buildIcon2(page["data"][1]["fullPath"].stringValue(), 1, cb);
    });
    const LenientJson icons = LenientJson::parse(icon["data"].stringValue());
    ASSERT_EQ(icons.count(), 1);
    EXPECT_TRUE(icons[0]["iconBase64"].stringValue().startsWith(QStringLiteral("data:image/png;base64,iVBOR")));
}
