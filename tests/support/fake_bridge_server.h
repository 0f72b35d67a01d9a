#pragma once

#include <nlohmann/json.hpp>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebSocket>
#include <QWebSocketServer>

#include <functional>
#include <optional>

using Json = nlohmann::json;

// Plays the bridge on a loopback port of its own: accepts the link, records every frame it
// receives and sends frames back. Answers the version request at once (by default "no newer
// version"), "PingBridge" while asked to, and "Login" with loginResult when one is set.
class FakeBridgeServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeBridgeServer)

public:
    FakeBridgeServer();
    quint16 port() const { return m_server.serverPort(); }
    bool hasClient() const { return m_client != nullptr; }

    // Every frame received, parsed.
    QList<Json> frames;
    // Called for each frame after it was recorded and answered.
    std::function<void(const Json &frame)> onFrame;
    // The answer given at once to the version request of every connection; nothing answers it
    // when empty.
    std::optional<Json> versionReply = Json(R"({"info":0})");
    // The Data text of the "LoginResult" frame that answers every "Login"; none when empty.
    std::optional<QString> loginResult;

    // The frames with this top-level code.
    QList<Json> framesWithCode(const QString &code) const;
    // The control requests received with this code (object or text form), whole.
    QList<Json> controlRequests(const QString &code) const;
    // The "Data" of those requests.
    QList<Json> controlData(const QString &code) const;
    // Sends {"Code": code, "Data": data}.
    void send(const QString &code, const QString &data);
    // Answers a control request: a "P2PCLIENT" frame with its token and msg.
    void answer(const QString &token, const Json &msg);
    // Answers every "PingBridge" at once from now on (or no longer).
    void answerPings(bool on) { m_answerPings = on; }
    void closeClient();

private:
    void onText(const QString &text);

    QWebSocketServer m_server;
    QPointer<QWebSocket> m_client;
    bool m_answerPings = false;
};

// The code of a frame the client sent ("P2PClientControl", "WSDC", "Login" ...); "" when none.
std::string codeOf(const Json &frame);
// The request inside a control frame, whether sent in object or text form.
Json requestOf(const Json &frame);
bool isVersionRequest(const Json &frame);
