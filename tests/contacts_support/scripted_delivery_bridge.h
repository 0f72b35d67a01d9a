#pragma once

// Plays the bridge and the contact's client for both sides of a delivery: answers the contact-code
// check, the peer connection and its room check, the offer, the receiver's decisions, the upload's
// preparation, start and progress as scripted, and the main window's pings; records every request.

#include "scripted_bridge_server.h"

#include <QStringList>

class ScriptedDeliveryBridge final : public ScriptedBridgeServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedDeliveryBridge)

public:
    ScriptedDeliveryBridge();

    // The service's answer to "CallHttp" (none when empty); "ClientInit" is reported as a peer
    // connection, as failed, or not at all.
    QString callHttpBody = QStringLiteral(R"({"Result":"1","Info":"bobhost","ACC":2})");
    enum class Connect { Stands, Fails, Silent } connect = Connect::Stands;
    // Sessions the peer already serves, of 5 (its answer to "ClientTouch").
    int peerSessions = 0;
    // The peer's "data" for the offer, then for each question about the decision (the last repeats).
    Json offerAnswer = "1";
    QStringList decisions{QStringLiteral("0")};
    // The bridge's answers (the last status repeats); status questions wait for answerHeld() while
    // no status is scripted.
    Json preparedAnswer;
    Json startAnswer = Json{{"Result", 1}, {"Info", "Started"}};
    QList<Json> statuses;

    // The data of the last request with this code (null when none came), and a text member of it.
    Json lastData(const QString &code) const;
    QString lastText(const QString &code, const char *key) const;
    // Answers every status question held so far, or only the one held longest.
    void answerHeld(const Json &status);
    void answerOldestHeld(const Json &status);
    // Pings are answered at once, or, while held, one by one from the oldest.
    bool holdPings = false;
    void answerOldestPing();
    // A status of 2 files and 12 bytes: finished at TaskStatus 3, failed ("Disk full") at 4, cancelled at 5.
    static Json status(int taskStatus, double percent, int done = 0);

private:
    void onRequest(Request request) override;
    void answer(const Request &request, const Json &msg);

    QList<Request> m_held;
    QList<Request> m_heldPings;
    int m_decisionsGiven = 0;
    int m_statusesGiven = 0;
};
