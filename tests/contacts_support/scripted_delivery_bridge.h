#pragma once

// Plays the bridge and the contact's client for the sending side: answers the contact-code
// check, the peer connection, the room check, the offer, the receiver's decisions, the upload's
// preparation, start and progress as scripted, and records every request.

#include "scripted_bridge_server.h"

#include <QList>
#include <QString>
#include <QStringList>

class ScriptedDeliveryBridge final : public ScriptedBridgeServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedDeliveryBridge)

public:
    ScriptedDeliveryBridge();

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
    // The data of the last request with this code; null when none came.
    Json lastData(const QString &code) const;

    // A status answer as the bridge gives it.
    static Json status(int taskStatus, double percent, int done = 0, int total = 2, bool finished = false,
                       bool canceled = false);

private:
    void onRequest(Request request) override;
    void answerControl(const Request &request);
    void answerPeer(const Request &request);

    int m_decisionsGiven = 0;
    int m_statusesGiven = 0;
};
