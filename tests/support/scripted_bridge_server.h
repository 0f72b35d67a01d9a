#pragma once

#include <nlohmann/json.hpp>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebSocket>
#include <QWebSocketServer>

using Json = nlohmann::json;

// The ground of a scripted bridge on a loopback WebSocket: takes the client's link, reads every
// frame into a Request and hands it to the script (the subclass), which records and answers it.
class ScriptedBridgeServer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedBridgeServer)

public:
    static constexpr const char *ownClientId = "CLIENT-A";
    static constexpr const char *peerClientId = "CLIENT-B";

    // One request the client sent, by its frame code ("ClientInit", "WSDC", "P2PClientControl").
    // "ClientInit" is its own code and carries the frame's data whole.
    struct Request {
        QString frameCode;
        QString code;
        QString token;
        QString session;
        QString isProcessOnBridge;
        Json data;
        // When it arrived, in milliseconds since 1970.
        qint64 atMs = 0;
    };

    ~ScriptedBridgeServer() override;

    // Points the client's link here, connects it and waits until it counts as connected.
    bool connectClient();

    QList<Request> requests;
    QList<Request> withCode(const QString &code) const;
    // Sends a marker on the client's link and waits until it arrives: whatever the client sent
    // before it has arrived too, so a count read next is final up to this point.
    bool caughtUp();
    int count(const QString &code) const { return int(withCode(code).size()); }

protected:
    explicit ScriptedBridgeServer(const QString &name);

    // The script: records request (or not) and answers it.
    virtual void onRequest(Request request) = 0;

    // Sends {"Code": code, "Data": data as text}.
    void sendFrame(const QString &code, const Json &data);
    // Answers a control request: a "P2PCLIENT" frame with its token.
    void answerToken(const QString &token, const Json &msg);

private:
    void onText(const QString &text);

    QWebSocketServer m_server;
    QPointer<QWebSocket> m_client;
    int m_markersSent = 0;
    int m_markersSeen = 0;
};
