#pragma once

// Plays the bridge and the remote host for the file browser and the transfer sheets: answers the
// connection, the room check, the share, the folder listings, thumbnails, host checks, deletes and
// the transfers as scripted, and records every request. Codes put in holdCodes are recorded but
// not answered; a test answers them later with answer().

#include "scripted_bridge_server.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

class ScriptedRemoteBridge final : public ScriptedBridgeServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptedRemoteBridge)

public:
    // One entry of a scripted folder.
    struct Entry {
        QString name;
        bool isDir = false;
        qint64 size = 0;
    };

    ScriptedRemoteBridge();

    // Points the client's link here, connects it and waits until it counts as connected; also
    // signs the account record in (a token and this client's id).
    bool connectClient();

    // ---- The script --------------------------------------------------------------------------
    enum class Connect { Stands, Fails, Silent } connect = Connect::Stands;
    int peerLimit = 5;
    int peerSessions = 0;
    // The share "getShareInfo" answers with; none answers "data": [].
    std::optional<Json> share = Json{{"tag", "Pics"},   {"path", "/srv/pics"}, {"ctime", "2024-01-02 03:04:05"},
                                     {"isdir", 1},      {"isenabled", 1},      {"isupload", 1},
                                     {"isdownload", 1}, {"isfiledel", 1}};
    // Folders by their full path; entries in the order the peer lists them.
    QMap<QString, QList<Entry>> folders;
    // What "CheckHost" answers.
    QString ctime = QStringLiteral("2024-01-02 03:04:05");
    // Whether "opFileList" removes what it is asked to.
    bool deleteRemoves = true;
    // Transfers: the start's answer and the status answers in turn (the last repeats).
    Json startAnswer = Json{{"Result", 1}, {"Info", "Started"}};
    QList<Json> statuses;
    QSet<QString> holdCodes;
    // Holds the page requests of "getFileList" (counts are still answered).
    bool holdPages = false;

    // ---- What arrived ------------------------------------------------------------------------
    // The payload of the last request with this code (null when there was none).
    Json lastData(const QString &code) const;
    // Answers a held request.
    void answer(const Request &request, const Json &msg);
    // Answers the last request with this code as the script would have.
    void release(const QString &code);
    // The answer the script gives to request.
    Json scriptedAnswer(const Request &request);

    // A status answer as a bridge gives it.
    static Json status(int taskStatus, qint64 done, qint64 total, int filesDone = 0, int files = 1);
    // A small PNG picture in Base64: a landscape whose colours follow seed.
    static QString pngBase64(int seed = 0);

private:
    void onRequest(Request request) override;
    Json listing(const Json &data) const;
};
