#include "remote_test_support.h"

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "clock.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "localization.h"
#include "p2p_client_msg.h"
#include "pending_requests.h"
#include "ui_test_support.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

namespace RemoteTest {

RemoteSharing host(const QString &hostname, const QString &tag, const QString &password, const QString &alias)
{
    return RemoteSharing{QUuid::createUuid(), QStringLiteral("HOST-") + hostname, hostname, tag, password, alias};
}

QList<ScriptedRemoteBridge::Entry> entries(int count, const QString &prefix, const QString &ext)
{
    QList<ScriptedRemoteBridge::Entry> list;
    for (int i = 1; i <= count; ++i) {
        const QString name = prefix + QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        list.append({ext.isEmpty() ? name : name + u'.' + ext, ext.isEmpty(), ext.isEmpty() ? 0 : 1000 * i});
    }
    return list;
}

QStringList names(const ViewSharingRemoteFileList &view)
{
    QStringList result;
    for (const FileItem &item : view.items())
        result << item.name;
    return result;
}

QString english(const char *key)
{
    return localizedString(QString::fromLatin1(key), QLocale(QLocale::English));
}

} // namespace RemoteTest

void RemoteFixture::SetUp()
{
    UiTest::useEnglishLook();
    registerFileDialogPanels();
    ContactsTest::resetAll();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
    Env::userInfo.id_acc = 1;
    BridgeMessage::peerRequestHandler = &peer;
    ASSERT_TRUE(bridge.connectClient());
    folder("/srv/pics") = RemoteTest::entries(3, QStringLiteral("photo"), QStringLiteral("png"));
}

void RemoteFixture::TearDown()
{
    browser.reset();
    FileDialogPanels::clearNextAnswer();
    BridgeState::resetForTests();
    Clock::set(nullptr);
    QCoreApplication::processEvents();
}

ViewSharingRemoteFileList &RemoteFixture::openBrowser(const RemoteSharing &host)
{
    browser = std::make_unique<ViewSharingRemoteFileList>(host);
    browser->resize(760, 520);
    browser->show();
    // The test's manual clock and elapse() make the ticks.
    browser->tickTimer()->stop();
    browser->ConnectRemoteHost();
    return *browser;
}

ViewSharingRemoteFileList &RemoteFixture::openConnected(const RemoteSharing &host)
{
    openBrowser(host);
    EXPECT_TRUE(listed()) << browser->hostStateText().toStdString();
    return *browser;
}

bool RemoteFixture::listed()
{
    return waitFor([&] { return browser->isConnected() && !browser->isLoading(); });
}

QAbstractButton *RemoteFixture::button(const char *name) const
{
    return browser->findChild<QAbstractButton *>(QString::fromLatin1(name));
}

bool RemoteFixture::answered(const char *code) const
{
    const QList<ScriptedRemoteBridge::Request> asked = bridge.withCode(QString::fromLatin1(code));
    return !asked.isEmpty() && waitFor([&] { return !P2PClientMsg::taskTable().contains(asked.last().token); });
}

void RemoteFixture::elapse(qint64 ms)
{
    clock->advanceMs(ms);
    if (browser)
        browser->onTimerTick();
}

namespace {

QString str(const Json &value)
{
    return value.is_string() ? QString::fromStdString(value.get<std::string>()) : QString();
}

// A small PNG picture in Base64, its colour following seed.
QString pngBase64(int seed)
{
    QImage picture(48, 36, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(seed * 47 % 360, 150, 230));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return QString::fromLatin1(png.toBase64());
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
    if (request.frameCode == u"P2PClientControl")
        return answerToken(request.token, msg);
    sendFrame(QStringLiteral("WSDC"), Json{{"Token", request.token.toStdString()},
                                           {"Session", request.session.toStdString()},
                                           {"Code", request.code.toStdString()}, {"Msg", msg}});
}

void ScriptedRemoteBridge::onRequest(Request request)
{
    requests.append(request);
    if (request.frameCode == u"ClientInit") {
        const Json report = {{"Result", 1}, {"ulocal", "127.0.0.1"}, {"uremote", "127.0.0.1"},
                             {"ClientID1", ownClientId}, {"ClientID2", peerClientId}, {"uname", "peer"},
                             {"source", "script"}};
        if (connect != Connect::Silent)
            sendFrame(QStringLiteral("P2PCLIENT"),
                      Json{{"Type", connect == Connect::Stands ? "GetShareHost6Client" : "P2PConFailed"}, {"Token", ""},
                           {"Msg", connect == Connect::Stands ? report : Json::object()}});
        return;
    }
    if (request.token.isEmpty() || holdCodes.contains(request.code)
        || (holdPages && request.code == u"getFileList" && request.data.value("iProbeCount", 0) != 1))
        return;
    const Json msg = scriptedAnswer(request);
    if (!msg.is_discarded())
        answer(request, msg);
}

Json ScriptedRemoteBridge::listing(const Json &data) const
{
    const QString dir = str(data.value("dir", Json()));
    const QList<Entry> entries = folders.value(dir);
    const qint64 total = entries.size();
    if (data.value("iProbeCount", 0) == 1)
        return Json{{"index", std::to_string(total)}, {"sResult", "OK"}, {"sPageInfo", ""}, {"data", Json::array()}};
    const qint64 size = std::max(1, data.value("iPageSize", 50));
    const qint64 index = data.value("iPageIndex", 1);
    Json rows = Json::array();
    for (qint64 i = (index - 1) * size; i >= 0 && i < std::min(total, index * size); ++i) {
        const Entry &entry = entries.at(i);
        const QString ext = entry.isDir || !entry.name.contains(u'.') ? QString() : entry.name.section(u'.', -1);
        rows.push_back(Json{{"name", entry.name.toStdString()}, {"fullPath", (dir + u'/' + entry.name).toStdString()},
                            {"isDir", entry.isDir}, {"size", entry.size}, {"ext", ext.toStdString()},
                            {"createdTime", 1700000000000LL + i * 60000}, {"iValid", 1}});
    }
    const qint64 pages = total / size + (total % size ? 1 : 0);
    return Json{{"index", ""}, {"sResult", "OK"}, {"sPageInfo", std::to_string(total) + "|" + std::to_string(pages)},
                {"data", rows}, {"iProbeCount", 0}};
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
    if (code == u"fileDownloadCheck") {
        const QString path = str(request.data.value("path", Json()));
        for (const Entry &entry : folders.value(path.section(u'/', 0, -2))) {
            if (!entry.isDir && path.endsWith(u'/' + entry.name))
                return Json{{"data", {{"path", path.toStdString()}, {"size", entry.size}, {"valid", 1}}}};
        }
        return Json{{"data", {{"path", path.toStdString()}, {"size", 0}, {"valid", 0}}}};
    }
    if (code == u"CheckHost")
        return Json{{"data", ctime.toStdString()}};
    if (code == u"buildIcon2") {
        // One record a path: "<full path>|<row>|1|-1".
        const Json paths = request.data.value("fileList", Json::array());
        const QStringList pieces = str(paths.is_array() && !paths.empty() ? paths[0] : Json()).split(u'|');
        const QString picture = QStringLiteral("data:image/png;base64,") + pngBase64(pieces.value(1).toInt());
        const Json record = {{"fullPath", pieces.value(0).toStdString()}, {"index", pieces.value(1).toLongLong()},
                             {"iconBase64", picture.toStdString()}};
        return Json{{"data", Json::array({record}).dump()}};
    }
    if (code == u"opFileList") {
        for (const QString &path : str(request.data.value("fileList", Json())).split(u'|')) {
            const QString dir = path.section(u'/', 0, -2);
            if (deleteRemoves)
                folders[dir].removeIf([&](const Entry &entry) { return dir + u'/' + entry.name == path; });
        }
        return Json("[]");
    }
    return Json::value_t::discarded;
}

Json ScriptedRemoteBridge::status(int taskStatus, qint64 done, qint64 total, int filesDone, int files)
{
    return Json{{"TaskStatus", taskStatus}, {"TotalSize", total}, {"TotalDoneSize", done}, {"TotalTaskCount", files},
                {"TotalTaskDoneCount", filesDone}, {"CurrentTaskFile", "/srv/pics/big.bin"},
                {"IsFinished", taskStatus == 3}, {"ForceCancel", taskStatus == 5}};
}
