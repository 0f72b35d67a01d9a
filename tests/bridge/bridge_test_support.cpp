#include "bridge_test_support.h"

#include "bridge_frames.h"
#include "bridge_link.h"
#include "bridge_state_reset.h"
#include "bridge_supervision.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QWebSocket>

#include <algorithm>
#include <string>

quint16 closedLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void BridgeTest::SetUp()
{
    BridgeState::resetForTests();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
}

void BridgeTest::TearDown()
{
    BridgeState::resetForTests();
    QCoreApplication::processEvents();
}

void BridgeTest::tick(int times)
{
    for (int i = 0; i < times; ++i)
        BridgeSupervision::onTimerTick();
}

void BridgeTest::tickSeconds(int times)
{
    for (int i = 0; i < times; ++i) {
        clock->advanceMs(1000);
        tick();
        QCoreApplication::processEvents();
    }
}

QList<int> BridgeTest::attemptTicks(int count)
{
    QList<int> attempts;
    for (int t = 1; t <= count; ++t) {
        CapturedOutput output;
        tickSeconds(1);
        if (output.lines().contains(QStringLiteral("Try To Connect OstrelBridge...")))
            attempts << t;
    }
    return attempts;
}

bool BridgeTest::connectTo(FakeBridgeServer &server)
{
    BridgeLink::setPortForTests(server.port());
    while (!Env::isBridgeConnected && Env::bridgeConnectCounter >= 0 && Env::bridgeConnectCounter < 3)
        tick();
    return waitFor([] { return Env::isBridgeConnected; }) && waitFor([&] { return server.hasClient(); })
           && (!server.versionReply || waitFor([] { return P2PClientMsg::taskTable().size() == 0; }));
}

bool BridgeTest::sentFramesArrived(FakeBridgeServer &server)
{
    static int markers = 0;
    const std::string marker = "marker " + std::to_string(++markers);
    BridgeLink::sendToBridge(QStringLiteral("TestMarker"), QString::fromStdString(marker));
    const auto isMarker = [&](const Json &frame) { return frame.value("Msg", Json::object()).value("Data", Json()) == Json(marker); };
    const bool arrived = waitFor([&] { return std::any_of(server.frames.cbegin(), server.frames.cend(), isMarker); });
    server.frames.removeIf(isMarker);
    return arrived;
}

bool BridgeTest::serverFramesHandled(FakeBridgeServer &server)
{
    QWebSocket *socket = BridgeLink::socket();
    if (!socket)
        return false;
    static int markers = 0;
    const QString marker = QStringLiteral("marker %1").arg(++markers);
    // Connected after the link's own handler, so this runs once the link has taken the marker.
    QObject watcher;
    bool handled = false;
    QObject::connect(socket, &QWebSocket::textMessageReceived, &watcher, [&](const QString &text) {
        handled = handled || text.contains(marker);
    });
    server.send(QString::fromLatin1(FrameCode::Pong), marker);
    return waitFor([&] { return handled; });
}
