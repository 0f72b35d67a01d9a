// End to end with the stand-in bridge, whose loopback peer hands this client's requests to its own
// peer side: sign in, connect to our own host, pass the room check, then browse our own share
// through the relay: share information, a count and a page of its folder, an icon. It runs in a
// private network of its own.

#include "peer_test_support.h"

#include "bridge_link.h"
#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "env.h"
#include "p2p_requests_to_peers.h"
#include "peer_work.h"
#include "private_network.h"
#include "session_state.h"
#include "standin_bridge_process.h"
#include "test_home.h"

#include <QDir>
#include <QImage>
#include <QThreadPool>

#include <memory>

using namespace PeerTest;
using P2PClientMsg::ConStatus;

namespace {

class BrowserRecorder final : public RemoteFileListInterface
{
public:
    void onConStatusChanged(ConStatus status) override { states << status; }
    QList<ConStatus> states;
};

// Waits for the answer of one request to the peer; an absent value when none came.
LenientJson ask(const std::function<void(AnswerCallback)> &send)
{
    auto done = std::make_shared<bool>(false);
    auto answer = std::make_shared<std::optional<LenientJson>>();
    send([done, answer](const std::optional<LenientJson> &a) {
        *answer = a;
        *done = true;
    });
    waitFor([&] { return *done; });
    return answer->value_or(LenientJson());
}

} // namespace

TEST(PeerStandinEndToEnd, BrowsingOurOwnShareThroughTheStandinsRelay)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    BridgeState::resetForTests();
    PeerRequests handler;
    PeerState::resetForTests(&handler);
    FakeShareStore store;
    BrowserRecorder browser;
    Env::shareStore = &store;
    BridgeMessage::peerRequestHandler = &handler;

    StandinBridgeProcess standin;
    ASSERT_TRUE(standin.start()) << "the stand-in bridge is built beside the tests";
    ASSERT_TRUE(signInThroughStandin(standin, QStringLiteral("pat@example.com"), QStringLiteral("pw")));
    ASSERT_GT(Env::userInfo.limit_dpc, 0);

    const QString root = TestHome::path() + QStringLiteral("/Shared");
    QDir().mkpath(root + QStringLiteral("/docs"));
    QImage picture(64, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(root + QStringLiteral("/photo.png")));
    store.shares.push_back(Share{.tag = QStringLiteral("Pics"), .path = root, .password = QStringLiteral("1234")});

    // The browser asks for a connection to our own host.
    HelperRemoteSharing::globalFileListView = &browser;
    HelperRemoteSharing::linkOwner = 1;
    BridgeLink::sendToBridge(QStringLiteral("ClientInit"),
                             QelJSON::toJSONString(ClientInitJson{Env::userInfo.Token, Env::userInfo.rooturl,
                                                                  QStringLiteral("Pics"), QStringLiteral("1234")}));
    ASSERT_TRUE(waitFor([&] { return !browser.states.isEmpty(); })) << "the room check went round";
    EXPECT_EQ(browser.states, QList<ConStatus>{ConStatus::csConnected});

    const LenientJson info = ask([](AnswerCallback cb) { PeerRequestSenders::getShareInfo(QStringLiteral("pics"), QStringLiteral("1234"), cb); });
    EXPECT_EQ(info["data"][0]["path"].stringValue(), root);
    EXPECT_EQ(info["data"][0]["password"].stringValue(), QStringLiteral("1234"));

    const LenientJson count = ask([&](AnswerCallback cb) { PeerRequestSenders::getFileCount(root, cb); });
    EXPECT_EQ(count["index"].stringValue(), QStringLiteral("2"));

    const LenientJson page = ask([&](AnswerCallback cb) { PeerRequestSenders::getFileListPage(root, 1, 50, cb); });
    EXPECT_EQ(page["sPageInfo"].stringValue(), QStringLiteral("2|1"));
    EXPECT_EQ(page["data"][0]["name"].stringValue(), QStringLiteral("docs"));
    EXPECT_EQ(page["data"][1]["name"].stringValue(), QStringLiteral("photo.png"));

    const LenientJson icon = ask([&](AnswerCallback cb) {
        PeerRequestSenders::buildIcon2(page["data"][1]["fullPath"].stringValue(), 1, cb);
    });
    const LenientJson icons = LenientJson::parse(icon["data"].stringValue());
    ASSERT_EQ(icons.count(), 1);
    EXPECT_EQ(icons[0]["index"].intValue(), 1);
    EXPECT_TRUE(icons[0]["iconBase64"].stringValue().startsWith(QStringLiteral("data:image/png;base64,iVBOR")));

    // Outside the share the same relay gets nothing.
    const LenientJson outside = ask([&](AnswerCallback cb) { PeerRequestSenders::getFileCount(TestHome::path(), cb); });
    EXPECT_EQ(outside["index"].stringValue(), QStringLiteral("0"));

    PeerWork::pool().waitForDone();
    BridgeState::resetForTests();
}
