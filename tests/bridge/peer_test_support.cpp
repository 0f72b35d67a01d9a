#include "peer_test_support.h"

#include "bridge_message.h"
#include "env.h"
#include "peer_work.h"
#include "test_home.h"

#include <QFile>
#include <QThreadPool>

#include <algorithm>

namespace PeerTest {

namespace {

bool isIndexTag(const QString &tag)
{
    return tag.isEmpty() || tag == u"index.php";
}

bool sameText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const QString sentinelPrefix = QStringLiteral("SENTINEL-");

} // namespace

QString FakeShareStore::defaultTag() const
{
    for (const Share &share : shares) {
        if (share.isDefault)
            return share.tag;
    }
    return QString();
}

const Share *FakeShareStore::find(const QString &tag) const
{
    const QString wanted = isIndexTag(tag) ? defaultTag() : tag;
    for (const Share &share : shares) {
        if (!wanted.isEmpty() && sameText(share.tag, wanted))
            return &share;
    }
    return nullptr;
}

QString FakeShareStore::LocalShare_GetCTime(const QString &tag)
{
    ++calls;
    const Share *share = find(tag);
    return share ? share->ctime : QString();
}

bool FakeShareStore::LocalShare_CheckPassword(const QString &tag, const QString &pass)
{
    ++calls;
    const QString wanted = isIndexTag(tag) ? defaultTag() : tag;
    return std::any_of(shares.begin(), shares.end(), [&](const Share &share) {
        return !wanted.isEmpty() && sameText(share.tag, wanted) && sameText(share.password, pass);
    });
}

QString FakeShareStore::LocalShare_GetTag(const QString &tag)
{
    ++calls;
    const Share *share = find(tag);
    return share ? share->tag : QString();
}

QList<nlohmann::json> FakeShareStore::LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault)
{
    ++calls;
    const QString wanted = (useDefault && isIndexTag(tag)) ? defaultTag() : tag;
    std::vector<Share> kept;
    for (Share share : shares) {
        if (!wanted.isEmpty() && !sameText(share.tag, wanted))
            continue;
        if (onlyEnabled) {
            if (!share.isenabled)
                continue;
            if (!share.password.isEmpty())
                share.password = QStringLiteral("????????");
        }
        kept.push_back(share);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Share &a, const Share &b) {
        if (a.isdir != b.isdir)
            return a.isdir;
        return a.path < b.path;
    });
    QList<nlohmann::json> records;
    for (const Share &share : kept)
        records.append(recordOf(share));
    return records;
}

nlohmann::json FakeShareStore::recordOf(const Share &share)
{
    return Json{{"tag", share.tag.toStdString()},
                {"tagURL", ""},
                {"path", share.path.toStdString()},
                {"uri", ""},
                {"password", share.password.toStdString()},
                {"isreadonly", 1},
                {"isenabled", share.isenabled ? 1 : 0},
                {"isupload", share.isupload ? 1 : 0},
                {"isdownload", share.isdownload ? 1 : 0},
                {"isdir", share.isdir ? 1 : 0},
                {"isDefault", 0},
                {"isTranLAN", 1},
                {"isTranP2P", 1},
                {"rdm_enable", 1},
                {"rdm_readonly", 0},
                {"ctime", share.ctime.toStdString()},
                {"isfilenew", 0},
                {"isfilerename", 0},
                {"isfiledel", share.isfiledel ? 1 : 0},
                {"downlimits", 0},
                {"isanonyaccess", 1},
                {"days", 31},
                {"daysctime", 0},
                {"iExpired", 0},
                {"DefaultView", 5},
                {"UploadAutoChangeName", ""}};
}

void PeerFixture::SetUp()
{
    BridgeTest::SetUp();
    PeerState::resetForTests(&handler);
    home = TestHome::path();
    Env::userInfo.ClientID = QStringLiteral("ME");
    Env::shareStore = &store;
    BridgeMessage::peerRequestHandler = &handler;
    ASSERT_TRUE(connectTo(bridge));
}

void PeerFixture::TearDown()
{
    PeerWork::pool().waitForDone();
    QThreadPool::globalInstance()->waitForDone();
    PeerState::resetForTests(&handler);
    BridgeTest::TearDown();
}

void PeerFixture::sendPeer(const QString &code, const Json &msg, const QString &token, const QString &session)
{
    const QStringList ids = session.split(u'|');
    const Json message{{"Token", token.toStdString()},
                       {"Session", session.toStdString()},
                       {"ClientID1", ids.value(0).toStdString()},
                       {"ClientID2", ids.value(1).toStdString()},
                       {"Code", code.toStdString()},
                       {"Msg", msg}};
    BridgeMessage::DoMsg(QString::fromStdString(Json{{"Code", "WSDC"}, {"Data", message.dump()}}.dump()));
}

QList<Json> PeerFixture::replies() const
{
    QList<Json> result;
    for (const Json &frame : bridge.frames) {
        if (!frame.is_object() || frame["Msg"].value("Code", "") != "WSDC" || !frame["Msg"]["Data"].is_string())
            continue;
        const Json reply = requestOf(frame);
        if (reply.is_object() && reply.contains("ClientIDRemote") && !reply.contains("IsProcessOnBridge")
            && !QString::fromStdString(reply.value("Token", "")).startsWith(sentinelPrefix))
            result.append(reply);
    }
    return result;
}

Json PeerFixture::replyTo(const QString &token, int timeoutMs)
{
    Json found;
    waitFor(
        [&] {
            for (const Json &reply : replies()) {
                if (reply.value("Token", "") == token.toStdString()) {
                    found = reply;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

Json PeerFixture::dataOf(const QString &token)
{
    const Json reply = replyTo(token);
    return reply.is_object() ? reply.value("Data", Json()) : Json();
}

void PeerFixture::settle()
{
    PeerWork::pool().waitForDone();
    QThreadPool::globalInstance()->waitForDone();
    // Replies leave in the order they are written: once the answer to this one is in, every
    // earlier one is too.
    static int sentinels = 0;
    const std::string token = (sentinelPrefix + QString::number(++sentinels)).toStdString();
    sendPeer(QStringLiteral("ValidInfo"), Json::object(), QString::fromStdString(token));
    EXPECT_TRUE(waitFor([&] {
        return std::any_of(bridge.frames.begin(), bridge.frames.end(), [&](const Json &frame) {
            const Json reply = requestOf(frame);
            return reply.is_object() && reply.value("Token", "") == token;
        });
    })) << "the reply that follows every earlier one";
}

QString PeerFixture::makeDir(const QString &relative)
{
    const QString path = home + u'/' + relative;
    QDir().mkpath(path);
    return path;
}

QString PeerFixture::writeFile(const QString &relative, qint64 bytes)
{
    const QString path = home + u'/' + relative;
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(bytes, 'x'));
    return path;
}

} // namespace PeerTest
