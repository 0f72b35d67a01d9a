// Feeds arbitrary "WSDC" requests to the peer request handler, the real one: shares, listings,
// thumbnails, checks, deletes and folders, all within a scratch folder. The first byte picks the
// Code (or leaves the text as the whole message); the rest is the "Msg" JSON. In the text "@R"
// stands for the share's folder and "@O" for a folder beside it that no share holds, so paths
// inside, around and outside the share are reached; "@R/sub" is a share with the code "pw" inside it
// and "@R/off" a disabled one. Every input's work is finished before the
// next starts. Build as the other targets (see the README's "Fuzzing"), target
// fenmar_fuzz_peer_requests, seeds in fuzz/corpus_peer. It deletes and makes files: run it where
// only its scratch folder is writable, for example under `unshare -rm` with / remounted read-only.

#include "bridge_interfaces.h"
#include "bridge_message.h"
#include "env.h"
#include "lenient_json.h"
#include "peer_request_handler.h"
#include "peer_work.h"
#include "session_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include <cstdio>

namespace {

const char *const codes[] = {
    "ClientTouch", "CheckHost", "HostHandShake", "WaitRemoteReceiveFilesCancel", "ValidInfo", "WaitRemoteReceiveFiles",
    "WaitRemoteReceiveFilesPressButton", "PING", "getShareInfo", "checkAccessCode", "getFileList", "buildIcon2",
    "fileDownloadCheck", "fileUploadCheck", "opFileList", "newFile_create", "SaveLog", "getFileExtInfo",
};
constexpr int codeCount = int(sizeof(codes) / sizeof(codes[0]));

QString shareRoot;
QString outside;

class Store final : public ShareStoreInterface
{
public:
    QString LocalShare_GetCTime(const QString &tag) override { return tag.isEmpty() ? QStringLiteral("c") : QString(); }
    bool LocalShare_CheckPassword(const QString &tag, const QString &pass) override
    {
        return tag.compare(QStringLiteral("locked"), Qt::CaseInsensitive) == 0 && pass == u"pw";
    }
    QString LocalShare_GetTag(const QString &tag) override
    {
        for (const char *known : {"open", "locked", "off"}) {
            if (tag.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
                return QLatin1String(known);
        }
        return QString();
    }
    QList<nlohmann::json> LocalShare_List(const QString &tag, bool, bool) override
    {
        QList<nlohmann::json> shares;
        if (tag.isEmpty() || tag == u"open")
            shares.append(record("open", shareRoot, "", true));
        if (tag.isEmpty() || tag == u"locked")
            shares.append(record("locked", shareRoot + QStringLiteral("/sub"), "pw", true));
        if (tag.isEmpty() || tag == u"off")
            shares.append(record("off", shareRoot + QStringLiteral("/off"), "", false));
        return shares;
    }

private:
    static nlohmann::json record(const char *tag, const QString &path, const char *password, bool enabled)
    {
        return {{"tag", tag}, {"path", path.toStdString()}, {"password", password}, {"isenabled", enabled ? 1 : 0},
                {"isdir", 1}, {"isupload", 1}, {"isfiledel", 1}};
    }
};

class MainView final : public MainViewInterface
{
public:
    void showToast(const QString &) override {}
    CtlViewReceiveFile ctlViewReceiveFile() const override { return state; }
    void setCtlViewReceiveFile(const CtlViewReceiveFile &newState) override { state = newState; }
    CtlViewReceiveFile state;
};

Store store;
MainView mainView;
PeerRequests *handler = nullptr;

void writeFile(const QString &path, const QByteArray &bytes)
{
    if (QFile::exists(path))
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// What no input may remove: a file outside the share, one in the disabled share inside it and a
// hidden one inside it.
QStringList keptFiles()
{
    return {outside + QStringLiteral("/keep.txt"), shareRoot + QStringLiteral("/off/keep.txt"),
            shareRoot + QStringLiteral("/.git/keep.txt")};
}

// Deletes of earlier inputs are undone, so that every input finds something to act on.
void restoreTree()
{
    QDir().mkpath(shareRoot + QStringLiteral("/sub/deeper"));
    QDir().mkpath(shareRoot + QStringLiteral("/off"));
    QDir().mkpath(shareRoot + QStringLiteral("/.git"));
    QDir().mkpath(outside);
    writeFile(shareRoot + QStringLiteral("/a.txt"), "hello");
    writeFile(shareRoot + QStringLiteral("/sub/b.png"), QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAFklEQVR4nGP8z8DAwMDAxMDAwMDAAAANHQEDasKb6QAAAABJRU5ErkJggg=="));
    for (const QString &kept : keptFiles())
        writeFile(kept, "keep");
    QFile::link(outside, shareRoot + QStringLiteral("/out"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QTemporaryDir scratch;
    qputenv("HOME", scratch.path().toUtf8());
    std::freopen("/dev/null", "w", stdout);
    static QCoreApplication app(*argc, *argv);
    shareRoot = scratch.path() + QStringLiteral("/share");
    outside = scratch.path() + QStringLiteral("/share-old");
    restoreTree();
    static PeerRequests peers;
    handler = &peers;
    BridgeMessage::peerRequestHandler = handler;
    Env::shareStore = &store;
    Env::globalMainView = &mainView;
    Env::userInfo.ClientID = QStringLiteral("ME");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    restoreTree();
    QString rest = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    rest.replace(QStringLiteral("@R"), shareRoot);
    rest.replace(QStringLiteral("@O"), outside);

    const int pick = data[0] % (codeCount + 1);
    if (pick == codeCount) {
        BridgeMessage::DoWSDCMsg(rest);
    } else {
        const LenientJson msg = LenientJson::parse(rest);
        nlohmann::json message{{"Token", "t"}, {"Session", data[0] & 0x80 ? "A|ME" : "B|ME"}, {"Code", codes[pick]}};
        message["Msg"] = msg.parseFailed() ? nlohmann::json(rest.toStdString()) : msg.json();
        BridgeMessage::DoWSDCMsg(QString::fromStdString(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)));
    }
    PeerWork::pool().waitForDone();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();

    // What lies outside the share, in its disabled inner share or hidden in it must have
    // survived whatever the input asked for.
    for (const QString &kept : keptFiles()) {
        if (!QFile::exists(kept))
            std::abort();
    }
    return 0;
}
