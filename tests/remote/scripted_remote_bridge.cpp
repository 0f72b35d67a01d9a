#include "scripted_remote_bridge.h"

#include "env.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace {

QString str(const Json &value)
{
    return value.is_string() ? QString::fromStdString(value.get<std::string>()) : QString();
}

} // namespace

ScriptedRemoteBridge::ScriptedRemoteBridge() : ScriptedBridgeServer(QStringLiteral("scripted")) {}

bool ScriptedRemoteBridge::connectClient()
{
    Env::userInfo.Token = QStringLiteral("TOKEN");
    Env::userInfo.ClientID = QString::fromLatin1(ownClientId);
    return ScriptedBridgeServer::connectClient();
}

Json ScriptedRemoteBridge::lastData(const QString &code) const
{
    const QList<Request> sent = withCode(code);
    return sent.isEmpty() ? Json() : sent.last().data;
}

void ScriptedRemoteBridge::release(const QString &code)
{
    const Request request = withCode(code).last();
    answer(request, scriptedAnswer(request));
}

void ScriptedRemoteBridge::answer(const Request &request, const Json &msg)
{
    if (request.frameCode == u"P2PClientControl") {
        answerToken(request.token, msg);
        return;
    }
    sendFrame(QStringLiteral("WSDC"), Json{{"Token", request.token.toStdString()},
                                           {"Session", request.session.toStdString()},
                                           {"Code", request.code.toStdString()},
                                           {"Msg", msg}});
}

void ScriptedRemoteBridge::onRequest(Request request)
{
    if (request.frameCode == u"ClientInit") {
        requests.append(request);
        if (connect == Connect::Stands) {
            const Json report = {{"Result", 1},
                                 {"ulocal", "127.0.0.1"},
                                 {"uremote", "127.0.0.1"},
                                 {"ClientID1", ownClientId},
                                 {"ClientID2", peerClientId},
                                 {"uname", "peer"},
                                 {"source", "script"}};
            sendFrame(QStringLiteral("P2PCLIENT"),
                      Json{{"Type", "GetShareHost6Client"}, {"Token", ""}, {"Msg", report}});
        } else if (connect == Connect::Fails) {
            sendFrame(QStringLiteral("P2PCLIENT"),
                      Json{{"Type", "P2PConFailed"}, {"Token", ""}, {"Msg", Json::object()}});
        }
        return;
    }
    requests.append(request);
    if (request.token.isEmpty() || holdCodes.contains(request.code))
        return;
    if (holdPages && request.code == u"getFileList" && request.data.value("iProbeCount", 0) != 1)
        return;
    const Json msg = scriptedAnswer(request);
    if (!msg.is_discarded())
        answer(request, msg);
}

Json ScriptedRemoteBridge::listing(const Json &data) const
{
    const QString dir = str(data.value("dir", Json()));
    const QList<Entry> entries = folders.value(dir);
    if (data.value("iProbeCount", 0) == 1)
        return Json{
            {"index", std::to_string(entries.size())}, {"sResult", "OK"}, {"sPageInfo", ""}, {"data", Json::array()}};
    const qint64 size = std::max(1, data.value("iPageSize", 50));
    const qint64 index = data.value("iPageIndex", 1);
    const qint64 total = entries.size();
    const qint64 pages = total / size + (total % size ? 1 : 0);
    Json rows = Json::array();
    for (qint64 i = (index - 1) * size; i >= 0 && i < std::min(total, index * size); ++i) {
        const Entry &entry = entries.at(i);
        const QString ext = entry.isDir || !entry.name.contains(u'.') ? QString() : entry.name.section(u'.', -1);
        rows.push_back(Json{{"name", entry.name.toStdString()},
                            {"fullPath", (dir + u'/' + entry.name).toStdString()},
                            {"isDir", entry.isDir},
                            {"size", entry.size},
                            {"ext", ext.toStdString()},
                            {"createdTime", 1700000000000LL + i * 60000},
                            {"iValid", 1}});
    }
    return Json{{"index", ""},
                {"sResult", "OK"},
                {"sPageInfo", std::to_string(total) + "|" + std::to_string(pages)},
                {"data", rows},
                {"iProbeCount", 0}};
}

Json ScriptedRemoteBridge::scriptedAnswer(const Request &request)
{
    const QString &code = request.code;
    // Status answers in turn, the last repeated.
    if (code == u"Trans3_FC_TransTaskInfo" || code == u"RemoteUploadTaskInfo")
        return statuses.isEmpty() ? Json::object() : statuses.size() > 1 ? statuses.takeFirst() : statuses.first();
    if (request.frameCode == u"P2PClientControl")
        return code.endsWith(u"_CallStart") ? startAnswer : Json{{"Result", 1}};
    if (code == u"ClientTouch")
        return Json{{"data", {{"UPC", peerLimit}, {"SC", peerSessions}, {"Local", "/x"}, {"OS", "IOS"}}}};
    if (code == u"getShareInfo")
        return Json{{"data", share ? Json::array({*share}) : Json::array()}};
    if (code == u"getFileList")
        return listing(request.data);
    if (code == u"CheckHost")
        return Json{{"data", ctime.toStdString()}};
    if (code == u"buildIcon2") {
        Json records = Json::array();
        for (const Json &entry : request.data.value("fileList", Json::array())) {
            const QStringList pieces = str(entry).split(u'|');
            records.push_back(
                Json{{"fullPath", pieces.value(0).toStdString()},
                     {"index", pieces.value(1).toLongLong()},
                     {"iconBase64", ("data:image/png;base64," + pngBase64(pieces.value(1).toInt())).toStdString()}});
        }
        return Json{{"data", records.dump()}};
    }
    if (code == u"opFileList") {
        if (deleteRemoves) {
            for (const QString &path : str(request.data.value("fileList", Json())).split(u'|')) {
                const QString dir = path.section(u'/', 0, -2);
                QList<Entry> &entries = folders[dir];
                entries.removeIf([&](const Entry &entry) { return dir + u'/' + entry.name == path; });
            }
        }
        return Json("[]");
    }
    return Json::value_t::discarded;
}

Json ScriptedRemoteBridge::status(int taskStatus, qint64 done, qint64 total, int filesDone, int files)
{
    return Json{{"TaskStatus", taskStatus},        {"TotalSize", total},
                {"TotalDoneSize", done},           {"TotalTaskCount", files},
                {"TotalTaskDoneCount", filesDone}, {"CurrentTaskFile", "/srv/pics/big.bin"},
                {"IsFinished", taskStatus == 3},   {"ForceCancel", taskStatus == 5}};
}

QString ScriptedRemoteBridge::pngBase64(int seed)
{
    QImage picture(96, 72, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const int hue = (seed * 47 + 190) % 360;
    QLinearGradient sky(0, 0, 0, 72);
    sky.setColorAt(0, QColor::fromHsv(hue, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 30) % 360, 60, 255));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 214, 90));
    painter.drawEllipse(QPointF(22 + (seed * 13) % 50, 22), 10, 10);
    painter.setBrush(QColor::fromHsv((hue + 120) % 360, 150, 150));
    painter.drawEllipse(QPointF(20, 92), 60, 40);
    painter.setBrush(QColor::fromHsv((hue + 140) % 360, 170, 110));
    painter.drawEllipse(QPointF(80, 100), 55, 45);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return QString::fromLatin1(png.toBase64());
}
