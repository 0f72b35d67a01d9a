// Request/answer round trips per second through the bridge link (request record, token, waiting
// table, frame, dispatch, callback) against an echo bridge on loopback, next to the floor: a raw
// QWebSocket client sending the same frame text to the same echo bridge and counting answers.
//
//   bridge_bench [round trips per run, default 20000]

#include "bridge_link.h"
#include "bridge_supervision.h"
#include "control_requests.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Json = nlohmann::json;

constexpr int rounds = 5;

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bridge's side: every control request is answered at once with a "P2PCLIENT" frame that
// carries its token. Lives on a thread of its own, as the real bridge is a process of its own.
class EchoBridge final : public QObject
{
public:
    EchoBridge() : m_server(new QWebSocketServer(QStringLiteral("echo bridge"), QWebSocketServer::NonSecureMode, this))
    {
        connect(m_server, &QWebSocketServer::newConnection, this, [this] {
            QWebSocket *client = m_server->nextPendingConnection();
            client->setParent(this);
            connect(client, &QWebSocket::textMessageReceived, client, [client](const QString &text) {
                const Json frame = Json::parse(text.toStdString(), nullptr, false);
                if (!frame.is_object() || !frame.contains("Msg"))
                    return;
                Json request = frame["Msg"]["Data"];
                if (request.is_string())
                    request = Json::parse(request.get<std::string>(), nullptr, false);
                if (!request.is_object())
                    return;
                // The version request of the connection learns that there is no newer version.
                const Json msg = request.value("Code", "") == "CallHttp"
                                     ? Json(R"({"info":0})")
                                     : Json{{"TaskStatus", 1}, {"TotalTaskCount", 3}, {"CurrentTaskFile", "/a/b.txt"}};
                const Json content{{"Token", request.value("Token", "")}, {"Msg", msg}};
                const Json answer{{"Code", "P2PCLIENT"}, {"Data", content.dump()}};
                client->sendTextMessage(QString::fromStdString(answer.dump()));
            });
        });
    }

    quint16 listen()
    {
        m_server->listen(QHostAddress::LocalHost, 0);
        return m_server->serverPort();
    }

private:
    QWebSocketServer *m_server;
};

// Runs until done() holds; false after a time-out.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Round trips per second through the link with window requests in flight.
double linkRun(int count, int window)
{
    int sent = 0;
    int answered = 0;
    std::function<void()> sendOne;
    sendOne = [&] {
        ++sent;
        P2PClientMsg::SendMsgToP2PClient(QStringLiteral("PingBridge"), BlankMsg{}, true,
                                         [&](const std::optional<LenientJson> &answer) {
                                             if (answer && (*answer)["TaskStatus"].intValue() == 1)
                                                 ++answered;
                                             if (sent < count)
                                                 sendOne();
                                         });
    };
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < window && sent < count; ++i)
        sendOne();
    if (!runUntil([&] { return answered == count; }, 120'000))
        return 0;
    return count / (timer.nsecsElapsed() / 1e9);
}

// The floor: the same frame text over a plain socket, answers counted without being read.
double rawRun(QWebSocket &socket, const QString &frameText, int count, int window)
{
    int sent = 0;
    int answered = 0;
    const auto connection = QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket, [&](const QString &) {
        ++answered;
        if (sent < count) {
            ++sent;
            socket.sendTextMessage(frameText);
        }
    });
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < window && sent < count; ++i) {
        ++sent;
        socket.sendTextMessage(frameText);
    }
    const bool ok = runUntil([&] { return answered == count; }, 120'000);
    QObject::disconnect(connection);
    return ok ? count / (timer.nsecsElapsed() / 1e9) : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(100, QString::fromLocal8Bit(argv[1]).toInt()) : 20'000;

    QThread bridgeThread;
    auto *bridge = new EchoBridge;
    bridge->moveToThread(&bridgeThread);
    bridgeThread.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(bridge, [&] { port = bridge->listen(); }, Qt::BlockingQueuedConnection);

    // The link, connected the way the main window's timer connects it.
    BridgeLink::setPortForTests(port);
    for (int tick = 0; tick < 3; ++tick)
        BridgeSupervision::connectionCycleTick();
    if (!runUntil([] { return Env::isBridgeConnected; }, 5000)) {
        say(QStringLiteral("the link did not connect"));
        return 1;
    }
    runUntil([] { return false; }, 200); // the version request of the connection is answered

    // The floor's frame: exactly what the link writes for one request.
    const WSDCMsgJson request = P2PClientMsg::makeRequest(QStringLiteral("PingBridge"),
                                                          P2PClientMsg::makeToken(P2PClientMsg::p2pClientPrefix()),
                                                          QStringLiteral("-"), BlankMsg{});
    const QString frameText = BridgeFrames::frameText(BridgeFrames::makeObjectFrame(QStringLiteral("P2PClientControl"), request));
    QWebSocket raw;
    raw.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
    if (!runUntil([&] { return raw.state() == QAbstractSocket::ConnectedState; }, 5000)) {
        say(QStringLiteral("the raw socket did not connect"));
        return 1;
    }

    say(QStringLiteral("Request/answer round trips per second over loopback, %1 per run, median of %2 runs")
            .arg(count)
            .arg(rounds));
    for (const int window : {1, 32}) {
        std::vector<double> link;
        std::vector<double> floor;
        for (int r = 0; r < rounds; ++r) {
            floor.push_back(rawRun(raw, frameText, count, window));
            link.push_back(linkRun(count, window));
        }
        const double linkRate = median(link);
        const double floorRate = median(floor);
        say(QStringLiteral("  %1 in flight: link %2/s, raw socket floor %3/s, link/floor %4")
                .arg(window)
                .arg(linkRate, 0, 'f', 0)
                .arg(floorRate, 0, 'f', 0)
                .arg(floorRate > 0 ? linkRate / floorRate : 0, 0, 'f', 2));
    }

    raw.close();
    BridgeLink::resetForTests();
    QMetaObject::invokeMethod(bridge, [bridge] { delete bridge; }, Qt::BlockingQueuedConnection);
    bridgeThread.quit();
    bridgeThread.wait();
    return 0;
}
