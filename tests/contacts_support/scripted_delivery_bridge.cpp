#include "scripted_delivery_bridge.h"

#include "bridge_link.h"
#include "contacts_test_support.h"
#include "env.h"

#include <QDateTime>

namespace {

QString text(const Json &value, const char *key)
{
    const auto it = value.find(key);
    return it != value.end() && it->is_string() ? QString::fromStdString(it->get<std::string>()) : QString();
}

// Msg.Data in object form, or the object inside the string of the text form.
Json dataOf(const Json &frame)
{
    const Json &data = frame["Msg"]["Data"];
    if (data.is_string())
        return Json::parse(data.get<std::string>(), nullptr, false);
    return data;
}

} // namespace

ScriptedDeliveryBridge::ScriptedDeliveryBridge() : m_server(QStringLiteral("scripted bridge"), QWebSocketServer::NonSecureMode)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
        QWebSocket *client = m_server.nextPendingConnection();
        client->setParent(this);
        m_client = client;
        QObject::connect(client, &QWebSocket::textMessageReceived, this, &ScriptedDeliveryBridge::onText);
    });
    preparedAnswer = Json{{"Result", 1},
                          {"Info", ""},
                          {"FileList",
                           Json::array({Json{{"Size", 5}, {"IsDir", false}, {"Path", "/src/a.txt"}, {"PathSave", "Z:\\a.txt"}},
                                        Json{{"Size", 7}, {"IsDir", false}, {"Path", "/src/b.txt"}, {"PathSave", "Z:\\b.txt"}}})},
                          {"TotalTaskCount", 2},
                          {"TotalSize", 12}};
}

ScriptedDeliveryBridge::~ScriptedDeliveryBridge()
{
    BridgeLink::resetForTests();
}

bool ScriptedDeliveryBridge::connectClient()
{
    BridgeLink::setPortForTests(m_server.serverPort());
    BridgeLink::connect();
    return ContactsTest::waitFor([] { return Env::isBridgeConnected; });
}

QList<ScriptedDeliveryBridge::Request> ScriptedDeliveryBridge::withCode(const QString &code) const
{
    QList<Request> found;
    for (const Request &request : requests) {
        if (request.code == code)
            found << request;
    }
    return found;
}

Json ScriptedDeliveryBridge::lastData(const QString &code) const
{
    const QList<Request> found = withCode(code);
    return found.isEmpty() ? Json() : found.last().data;
}

Json ScriptedDeliveryBridge::status(int taskStatus, double percent, int done, int total, bool finished, bool canceled)
{
    return Json{{"TaskStatus", taskStatus},         {"TotalTaskCount", total}, {"TotalTaskDoneCount", done},
                {"CurrentTaskFile", "/src/b.txt"},  {"TotalSize", 12},         {"TotalDoneSize", int(percent * 12 / 100)},
                {"IProgress", percent},             {"IsFinished", finished},  {"ForceCancel", canceled},
                {"Log", "Copying b.txt"}};
}

void ScriptedDeliveryBridge::onText(const QString &frameText)
{
    const Json frame = Json::parse(frameText.toStdString(), nullptr, false);
    if (!frame.is_object() || !frame.contains("Msg"))
        return;
    const QString frameCode = text(frame["Msg"], "Code");
    const Json data = dataOf(frame);
    if (frameCode == QStringLiteral("ClientInit")) {
        requests << Request{frameCode, frameCode, QString(), QString(), QString(), data,
                            QDateTime::currentMSecsSinceEpoch()};
        if (connect == Connect::Stands) {
            sendFrame(QStringLiteral("P2PCLIENT"),
                      Json{{"Type", "GetShareHost6Client"},
                           {"Token", ""},
                           {"Msg", Json{{"Result", 1}, {"ClientID1", ownClientId}, {"ClientID2", peerClientId},
                                        {"ulocal", "127.0.0.1"}, {"uremote", "127.0.0.1"}, {"uname", "bob"}}}});
        } else if (connect == Connect::Fails) {
            sendFrame(QStringLiteral("P2PCLIENT"),
                      Json{{"Type", "P2PConFailed"}, {"Token", ""}, {"Msg", Json{{"Result", 0}}}});
        }
        return;
    }
    if (!data.is_object())
        return;
    Request request{frameCode,
                          text(data, "Code"),
                          text(data, "Token"),
                          text(data, "Session"),
                          text(data, "IsProcessOnBridge"),
                          data.contains("Data") ? data["Data"] : Json(),
                          QDateTime::currentMSecsSinceEpoch()};
    // The link's own version check goes apart, so that it counts as no request of the page's.
    if (request.code == QStringLiteral("CallHttp") && text(request.data, "URL").contains(QStringLiteral("version/mac"))) {
        request.code = QStringLiteral("VersionCheck");
        answerToken(request.token, Json(R"({"info":0})"));
    }
    requests << request;
    if (frameCode == QStringLiteral("P2PClientControl"))
        answerControl(request);
    else if (frameCode == QStringLiteral("WSDC"))
        answerPeer(request);
}

void ScriptedDeliveryBridge::answerControl(const Request &request)
{
    if (request.token.isEmpty())
        return;
    if (request.code == QStringLiteral("CallHttp")) {
        if (!callHttpBody.isEmpty())
            answerToken(request.token, Json(callHttpBody.toStdString()));
    } else if (request.code == QStringLiteral("PreparingUpload")) {
        answerToken(request.token, preparedAnswer);
    } else if (request.code == QStringLiteral("StartRemoteUpload")) {
        answerToken(request.token, startAnswer);
    } else if (request.code == QStringLiteral("GetLanHttp")) {
        answerToken(request.token, Json("http://127.0.0.1:8080"));
    } else if (request.code == QStringLiteral("RefreshRemoteUploadStatus_FromLocal") && answerStatus
               && !statuses.isEmpty()) {
        answerToken(request.token, statuses.at(std::min<qsizetype>(m_statusesGiven++, statuses.size() - 1)));
    }
}

void ScriptedDeliveryBridge::answerPeer(const Request &request)
{
    Json msg;
    if (request.code == QStringLiteral("ClientTouch")) {
        msg = Json{{"data", Json{{"UPC", peerLimit}, {"SC", peerSessions}, {"Local", ""}, {"OS", "linux"}}}};
    } else if (request.code == QStringLiteral("WaitRemoteReceiveFiles")) {
        msg = Json{{"data", offerAnswer.toStdString()}};
    } else if (request.code == QStringLiteral("WaitRemoteReceiveFilesPressButton")) {
        const QString decision = decisions.value(std::min<qsizetype>(m_decisionsGiven++, decisions.size() - 1));
        msg = Json{{"data", decision.toStdString()}};
    } else if (request.code == QStringLiteral("RemoteUploadTaskInfo")) {
        if (!answerStatus || statuses.isEmpty())
            return;
        msg = statuses.at(std::min<qsizetype>(m_statusesGiven++, statuses.size() - 1));
    } else if (request.code == QStringLiteral("CancelUploading")) {
        msg = Json{{"Result", 1}, {"Info", "Cancelling"}};
    } else {
        // "WaitRemoteReceiveFilesCancel" and "SyncTransState" get no answer.
        return;
    }
    sendFrame(QStringLiteral("WSDC"), Json{{"Token", request.token.toStdString()},
                                           {"Session", request.session.toStdString()},
                                           {"Code", request.code.toStdString()},
                                           {"ClientID1", ownClientId},
                                           {"ClientID2", peerClientId},
                                           {"Msg", msg}});
}

void ScriptedDeliveryBridge::answerToken(const QString &token, const Json &msg)
{
    sendFrame(QStringLiteral("P2PCLIENT"), Json{{"Type", ""}, {"Token", token.toStdString()}, {"Msg", msg}});
}

void ScriptedDeliveryBridge::sendFrame(const QString &code, const Json &data)
{
    if (m_client)
        m_client->sendTextMessage(
            QString::fromStdString(Json{{"Code", code.toStdString()}, {"Data", data.dump()}}.dump()));
}
