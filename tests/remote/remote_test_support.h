#pragma once

// Shared by the remote hosts pages' tests: a scripted bridge that plays the remote host, and a
// fixture with a fresh database and bridge layer, the English look, that bridge connected and
// this client's peer side registered (it asks a new peer for room), a manual clock for the
// waits, and a browser on one host.

#include "contacts_test_support.h"
#include "peer_request_handler.h"
#include "remote_sharing.h"
#include "scripted_bridge_server.h"
#include "view_sharing_remote_file_list.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>

#include <memory>
#include <optional>

class ManualClock;
class QAbstractButton;

// Answers the connection, the room check, the share, the folder listings, file checks, thumbnails,
// host checks, deletes and transfers as scripted, and records every request. Requests whose code is
// in holdCodes are recorded but not answered; a test answers them later.
class ScriptedRemoteBridge final : public ScriptedBridgeServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedRemoteBridge)

public:
    struct Entry {
        QString name;
        bool isDir = false;
        qint64 size = 0;
    };

    ScriptedRemoteBridge();
    // Connects the client's link here and signs the account record in (a token, this client's id).
    bool connectClient();

    enum class Connect { Stands, Fails, Silent } connect = Connect::Stands;
    int peerLimit = 5;
    int peerSessions = 0;
    // The share "getShareInfo" answers with; none answers "data": [].
    std::optional<Json> share = Json{{"tag", "Pics"},   {"path", "/srv/pics"}, {"ctime", "2024-01-02 03:04:05"},
                                     {"isdir", 1},      {"isenabled", 1},      {"isupload", 1},
                                     {"isdownload", 1}, {"isfiledel", 1}};
    // Folders by their full path, entries in the peer's order.
    QMap<QString, QList<Entry>> folders;
    // What "CheckHost" answers.
    QString ctime = QStringLiteral("2024-01-02 03:04:05");
    bool deleteRemoves = true;
    Json startAnswer = Json{{"Result", 1}, {"Info", "Started"}};
    // Status answers of transfers in turn, the last repeated.
    QList<Json> statuses;
    QSet<QString> holdCodes;
    // Holds the page requests of "getFileList" (counts are still answered).
    bool holdPages = false;

    // The payload of the last request with this code (null when there was none).
    Json lastData(const QString &code) const;
    void answer(const Request &request, const Json &msg);
    // Answers the last request with this code as the script would have.
    void release(const QString &code);
    // A status answer as a bridge gives it.
    static Json status(int taskStatus, qint64 done, qint64 total, int filesDone = 0, int files = 1);

private:
    void onRequest(Request request) override;
    Json scriptedAnswer(const Request &request);
    Json listing(const Json &data) const;
};

namespace RemoteTest {

RemoteSharing host(const QString &hostname = QStringLiteral("pat"), const QString &tag = QStringLiteral("Pics"),
                   const QString &password = QStringLiteral("1234"), const QString &alias = {});
// Entries named prefix001, prefix002 ... (files with extension ext, or folders when ext is empty).
QList<ScriptedRemoteBridge::Entry> entries(int count, const QString &prefix, const QString &ext);
// The names of the rows the browser lists.
QStringList names(const ViewSharingRemoteFileList &view);
// The text of a localisation key as the English interface shows it.
QString english(const char *key);

} // namespace RemoteTest

class RemoteFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A browser on host, shown, asked to connect.
    ViewSharingRemoteFileList &openBrowser(const RemoteSharing &host = RemoteTest::host());
    // Opens a browser and waits until its first page is listed.
    ViewSharingRemoteFileList &openConnected(const RemoteSharing &host = RemoteTest::host());
    // Waits until the browser is connected and has listed what it asked for.
    bool listed();
    QAbstractButton *button(const char *name) const;
    // Advances the manual clock by ms and gives the browser one tick.
    void elapse(qint64 ms);
    // How many requests with this code the bridge got, and the payload of the last one.
    int sent(const char *code) const { return bridge.count(QString::fromLatin1(code)); }
    Json last(const char *code) const { return bridge.lastData(QString::fromLatin1(code)); }
    QList<ScriptedRemoteBridge::Entry> &folder(const char *path) { return bridge.folders[QString::fromLatin1(path)]; }
    // Waits until the answer to the last request with this code has been handled.
    bool answered(const char *code) const;

    ScriptedRemoteBridge bridge;
    PeerRequests peer;
    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<ViewSharingRemoteFileList> browser;
};
