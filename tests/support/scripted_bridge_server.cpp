#include "scripted_bridge_server.h"

#include "bridge_link.h"
#include "env.h"
#include "test_wait.h"

#include <QDateTime>

namespace {

// Not a code the client sends; never recorded.
constexpr const char *markerCode = "TestMarker";

QString text(const Json &value, const char *key)
{
    const auto it = value.find(key);
    return it != value.end() && it->is_string() ? QString::fromStdString(it->get<std::string>()) : QString();
}

} // namespace

ScriptedBridgeServer::ScriptedBridgeServer(const QString &name) : m_server(name, QWebSocketServer::NonSecureMode)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
        QWebSocket *client = m_server.nextPendingConnection();
        client->setParent(this);
        m_client = client;
        QObject::connect(client, &QWebSocket::textMessageReceived, this, &ScriptedBridgeServer::onText);
    });
}

ScriptedBridgeServer::~ScriptedBridgeServer()
{
    BridgeLink::resetForTests();
}

bool ScriptedBridgeServer::connectClient()
{
    BridgeLink::setPortForTests(m_server.serverPort());
    BridgeLink::connect();
    return waitFor([] { return Env::isBridgeConnected; });
}

QList<ScriptedBridgeServer::Request> ScriptedBridgeServer::withCode(const QString &code) const
{
    QList<Request> found;
    for (const Request &request : requests) {
        if (request.code == code)
            found << request;
    }
    return found;
}

bool ScriptedBridgeServer::caughtUp()
{
    const int marker = ++m_markersSent;
    BridgeLink::sendToBridge(QStringLiteral("WSDC"),
                             QString::fromStdString(Json{{"Code", markerCode}, {"Data", marker}}.dump()));
    return waitFor([&] { return m_markersSeen >= marker; });
}

void ScriptedBridgeServer::sendFrame(const QString &code, const Json &data)
{
    if (m_client)
        m_client->sendTextMessage(QString::fromStdString(Json{{"Code", code.toStdString()}, {"Data", data.dump()}}.dump()));
}

void ScriptedBridgeServer::answerToken(const QString &token, const Json &msg)
{
    sendFrame(QStringLiteral("P2PCLIENT"), Json{{"Type", ""}, {"Token", token.toStdString()}, {"Msg", msg}});
}

void ScriptedBridgeServer::onText(const QString &frameText)
{
    const Json frame = Json::parse(frameText.toStdString(), nullptr, false);
    if (!frame.is_object() || !frame.contains("Msg") || !frame["Msg"].is_object())
        return;
    const Json &message = frame["Msg"];
    Json data = message.value("Data", Json());
    // Msg.Data comes in object form, or as the text of the object.
    if (data.is_string())
        data = Json::parse(data.get<std::string>(), nullptr, false);
    Request request;
    request.frameCode = text(message, "Code");
    request.atMs = QDateTime::currentMSecsSinceEpoch();
    if (request.frameCode == QStringLiteral("ClientInit")) {
        request.code = request.frameCode;
        request.data = data;
        onRequest(request);
        return;
    }
    if (!data.is_object())
        return;
    request.code = text(data, "Code");
    if (request.code == QLatin1String(markerCode)) {
        m_markersSeen = data.value("Data", 0);
        return;
    }
    request.token = text(data, "Token");
    request.session = text(data, "Session");
    request.isProcessOnBridge = text(data, "IsProcessOnBridge");
    request.data = data.contains("Data") ? data["Data"] : Json();
    onRequest(request);
}
