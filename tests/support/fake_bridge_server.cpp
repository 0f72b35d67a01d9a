#include "fake_bridge_server.h"

FakeBridgeServer::FakeBridgeServer() : m_server(QStringLiteral("fake bridge"), QWebSocketServer::NonSecureMode)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
        QWebSocket *client = m_server.nextPendingConnection();
        client->setParent(this);
        m_client = client;
        connect(client, &QWebSocket::textMessageReceived, this, &FakeBridgeServer::onText);
    });
}

void FakeBridgeServer::onText(const QString &text)
{
    const Json frame = Json::parse(text.toStdString(), nullptr, false);
    frames.append(frame);
    const std::string code = codeOf(frame);
    if (code == "Login" && loginResult)
        send(QStringLiteral("LoginResult"), *loginResult);
    const Json request = code == "P2PClientControl" ? requestOf(frame) : Json();
    const QString token = request.is_object() ? QString::fromStdString(request.value("Token", "")) : QString();
    if (m_answerPings && request.is_object() && request.value("Code", "") == "PingBridge")
        answer(token, Json(""));
    if (versionReply && isVersionRequest(frame))
        answer(token, Json(versionReply->dump()));
    if (onFrame)
        onFrame(frame);
}

QList<Json> FakeBridgeServer::framesWithCode(const QString &code) const
{
    QList<Json> result;
    for (const Json &frame : frames) {
        if (codeOf(frame) == code.toStdString())
            result.append(frame);
    }
    return result;
}

QList<Json> FakeBridgeServer::controlRequests(const QString &code) const
{
    QList<Json> result;
    for (const Json &frame : framesWithCode(QStringLiteral("P2PClientControl"))) {
        const Json request = requestOf(frame);
        if (request.is_object() && request.value("Code", "") == code.toStdString())
            result.append(request);
    }
    return result;
}

QList<Json> FakeBridgeServer::controlData(const QString &code) const
{
    QList<Json> result;
    for (const Json &request : controlRequests(code))
        result.append(request.value("Data", Json()));
    return result;
}

void FakeBridgeServer::send(const QString &code, const QString &data)
{
    if (m_client)
        m_client->sendTextMessage(QString::fromStdString(Json{{"Code", code.toStdString()}, {"Data", data.toStdString()}}.dump()));
}

void FakeBridgeServer::answer(const QString &token, const Json &msg)
{
    send(QStringLiteral("P2PCLIENT"), QString::fromStdString(Json{{"Token", token.toStdString()}, {"Msg", msg}}.dump()));
}

void FakeBridgeServer::closeClient()
{
    if (m_client)
        m_client->close();
}

std::string codeOf(const Json &frame)
{
    if (!frame.is_object() || !frame.contains("Msg") || !frame["Msg"].is_object())
        return {};
    return frame["Msg"].value("Code", "");
}

Json requestOf(const Json &frame)
{
    if (!frame.is_object() || !frame.contains("Msg") || !frame["Msg"].is_object() || !frame["Msg"].contains("Data"))
        return Json();
    const Json &data = frame["Msg"]["Data"];
    if (data.is_string())
        return Json::parse(data.get<std::string>(), nullptr, false);
    return data;
}

bool isVersionRequest(const Json &frame)
{
    if (codeOf(frame) != "P2PClientControl")
        return false;
    const Json request = requestOf(frame);
    return request.is_object() && request.value("Code", "") == "CallHttp" && request.contains("Data")
           && request["Data"].is_object() && request["Data"].value("URL", "").ends_with("version/mac/index.php");
}
