#include "scripted_delivery_bridge.h"

ScriptedDeliveryBridge::ScriptedDeliveryBridge() : ScriptedBridgeServer(QStringLiteral("scripted bridge"))
{
    const auto item = [](int size, const char *name) {
        return Json{{"Size", size}, {"IsDir", false}, {"Path", std::string("/src/") + name},
                    {"PathSave", std::string("Z:\\") + name}};
    };
    preparedAnswer = Json{{"Result", 1}, {"Info", ""}, {"FileList", Json::array({item(5, "a.txt"), item(7, "b.txt")})},
                          {"TotalTaskCount", 2}, {"TotalSize", 12}};
}

Json ScriptedDeliveryBridge::lastData(const QString &code) const
{
    const QList<Request> found = withCode(code);
    return found.isEmpty() ? Json() : found.last().data;
}

QString ScriptedDeliveryBridge::lastText(const QString &code, const char *key) const
{
    const Json data = lastData(code);
    const bool has = data.is_object() && data.contains(key) && data[key].is_string();
    return has ? QString::fromStdString(data[key].get<std::string>()) : QString();
}

Json ScriptedDeliveryBridge::status(int taskStatus, double percent, int done)
{
    return Json{{"TaskStatus", taskStatus}, {"TotalTaskCount", 2}, {"TotalTaskDoneCount", done},
                {"CurrentTaskFile", "/src/b.txt"}, {"TotalSize", 12}, {"TotalDoneSize", int(percent * 12 / 100)},
                {"IProgress", percent}, {"IsFinished", taskStatus == 3}, {"ForceCancel", taskStatus == 5},
                {"Log", "Copying b.txt"}, {"ErrorInfo", taskStatus == 4 ? "Disk full" : ""}};
}

void ScriptedDeliveryBridge::answerHeld(const Json &status)
{
    for (const Request &request : std::exchange(m_held, {}))
        answer(request, status);
}

void ScriptedDeliveryBridge::answerOldestHeld(const Json &status)
{
    if (!m_held.isEmpty())
        answer(m_held.takeFirst(), status);
}

void ScriptedDeliveryBridge::answerOldestPing()
{
    if (!m_heldPings.isEmpty())
        answer(m_heldPings.takeFirst(), Json(""));
}

void ScriptedDeliveryBridge::onRequest(Request request)
{
    const QString &code = request.code;
    // The link's own version check goes apart, so that it counts as no request of the page's.
    if (code == QStringLiteral("CallHttp") && request.data.dump().find("version/mac") != std::string::npos) {
        request.code = QStringLiteral("VersionCheck");
        answerToken(request.token, Json(R"({"info":0})"));
    }
    requests << request;
    if (code == QStringLiteral("ClientInit") && connect != Connect::Silent) {
        const Json peer{{"Result", 1}, {"ClientID1", ownClientId}, {"ClientID2", peerClientId}, {"uname", "bob"}};
        const bool stands = connect == Connect::Stands;
        sendFrame(QStringLiteral("P2PCLIENT"), Json{{"Type", stands ? "GetShareHost6Client" : "P2PConFailed"},
                                                    {"Token", ""}, {"Msg", stands ? peer : Json{{"Result", 0}}}});
    } else if (code == QStringLiteral("CallHttp") && !callHttpBody.isEmpty()) {
        answer(request, Json(callHttpBody.toStdString()));
    } else if (code == QStringLiteral("PreparingUpload")) {
        answer(request, preparedAnswer);
    } else if (code == QStringLiteral("StartRemoteUpload")) {
        answer(request, startAnswer);
    } else if (code == QStringLiteral("ClientTouch")) {
        answer(request, Json{{"data", Json{{"UPC", 5}, {"SC", peerSessions}, {"Local", ""}, {"OS", "linux"}}}});
    } else if (code == QStringLiteral("WaitRemoteReceiveFiles")) {
        answer(request, Json{{"data", offerAnswer}});
    } else if (code == QStringLiteral("WaitRemoteReceiveFilesPressButton")) {
        const QString decision = decisions.value(std::min<qsizetype>(m_decisionsGiven++, decisions.size() - 1));
        answer(request, Json{{"data", decision.toStdString()}});
    } else if (code == QStringLiteral("RemoteUploadTaskInfo")
               || code == QStringLiteral("RefreshRemoteUploadStatus_FromLocal")) {
        if (statuses.isEmpty())
            m_held << request;
        else
            answer(request, statuses.at(std::min<qsizetype>(m_statusesGiven++, statuses.size() - 1)));
    } else if (code == QStringLiteral("PingBridge")) {
        if (holdPings)
            m_heldPings << request;
        else
            answer(request, Json(""));
    } else if (code == QStringLiteral("CancelUploading")) {
        answer(request, Json{{"Result", 1}, {"Info", "Cancelling"}});
    }
    // Anything else ("WaitRemoteReceiveFilesCancel", "SyncTransState", cancels) gets no answer.
}

void ScriptedDeliveryBridge::answer(const Request &request, const Json &msg)
{
    if (request.frameCode != QStringLiteral("WSDC"))
        answerToken(request.token, msg);
    else
        sendFrame(QStringLiteral("WSDC"), Json{{"Token", request.token.toStdString()}, {"Code", request.code.toStdString()},
                                               {"Session", request.session.toStdString()}, {"ClientID1", ownClientId},
                                               {"ClientID2", peerClientId}, {"Msg", msg}});
}
