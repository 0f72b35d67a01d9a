#pragma once

// Plays the bridge and the contact's client for the sending side: answers the contact-code
// check, the peer connection, the room check, the offer, the receiver's decisions, the upload's
// preparation, start and progress as scripted, and records every request.

#include <nlohmann/json.hpp>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWebSocket>
#include <QWebSocketServer>

#include <optional>

using Json = nlohmann::json;

class ScriptedDeliveryBridge final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedDeliveryBridge)

public:
    static constexpr const char *ownClientId = "CLIENT-A";
    static constexpr const char *peerClientId = "CLIENT-B";

    // One request the client sent, by its frame code ("ClientInit", "WSDC", "P2PClientControl").
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

    ScriptedDeliveryBridge();
    ~ScriptedDeliveryBridge() override;

    // Points the client's link here, connects it and waits until it counts as connected.
    bool connectClient();

    // ---- the script ------------------------------------------------------------------------
    // Body of the service's answer to "CallHttp"; nothing answers when empty.
    QString callHttpBody = QStringLiteral(R"({"Result":"1","Info":"bobhost","ACC":2})");
    // "ClientInit": reported as a peer connection, as failed, or not at all.
    enum class Connect { Stands, Fails, Silent } connect = Connect::Stands;
    // The peer's answer to "ClientTouch".
    int peerLimit = 5;
    int peerSessions = 0;
    // The peer's answer to the offer.
    QString offerAnswer = QStringLiteral("1");
    // The peer's answers to "WaitRemoteReceiveFilesPressButton", in turn; the last one repeats.
    QStringList decisions{QStringLiteral("0")};
    // The bridge's answers; the last status repeats. No status answer while answerStatus is false.
    Json preparedAnswer;
    Json startAnswer = Json{{"Result", 1}, {"Info", "Started"}};
    QList<Json> statuses;
    bool answerStatus = true;

    // ---- what arrived ----------------------------------------------------------------------
    QList<Request> requests;
    QList<Request> withCode(const QString &code) const;
    int count(const QString &code) const { return int(withCode(code).size()); }
    // The data of the last request with this code; null when none came.
    Json lastData(const QString &code) const;

    // A status answer as the bridge gives it.
    static Json status(int taskStatus, double percent, int done = 0, int total = 2, bool finished = false,
                       bool canceled = false);

private:
    void onText(const QString &text);
    void answerControl(const Request &request);
    void answerPeer(const Request &request);
    void sendFrame(const QString &code, const Json &data);
    void answerToken(const QString &token, const Json &msg);

    QWebSocketServer m_server;
    QPointer<QWebSocket> m_client;
    int m_decisionsGiven = 0;
    int m_statusesGiven = 0;
};
