#include "scripted_delivery_bridge.h"

namespace {

QString text(const Json &value, const char *key)
{
    const auto it = value.find(key);
    return it != value.end() && it->is_string() ? QString::fromStdString(it->get<std::string>()) : QString();
}

} // namespace

ScriptedDeliveryBridge::ScriptedDeliveryBridge() : ScriptedBridgeServer(QStringLiteral("scripted bridge"))
{
    preparedAnswer = Json{{"Result", 1},
                          {"Info", ""},
                          {"FileList",
                           Json::array({Json{{"Size", 5}, {"IsDir", false}, {"Path", "/src/a.txt"}, {"PathSave", "Z:\\a.txt"}},
                                        Json{{"Size", 7}, {"IsDir", false}, {"Path", "/src/b.txt"}, {"PathSave", "Z:\\b.txt"}}})},
                          {"TotalTaskCount", 2},
                          {"TotalSize", 12}};
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

void ScriptedDeliveryBridge::onRequest(Request request)
{
    if (request.frameCode == QStringLiteral("ClientInit")) {
        requests << request;
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
    // The link's own version check goes apart, so that it counts as no request of the page's.
    if (request.code == QStringLiteral("CallHttp") && text(request.data, "URL").contains(QStringLiteral("version/mac"))) {
        request.code = QStringLiteral("VersionCheck");
        answerToken(request.token, Json(R"({"info":0})"));
    }
    requests << request;
    if (request.frameCode == QStringLiteral("P2PClientControl"))
        answerControl(request);
    else if (request.frameCode == QStringLiteral("WSDC"))
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
