#pragma once

// Requests to the peer of the current session, each a WSDCMsgJson under the frame code "WSDC",
// and the payload records they carry. A request that waits gets its answer (the "Msg" of the
// peer's reply), or no answer at its deadline or when the bridge is relaunched, once, on the GUI
// thread. GUI thread; a call from another thread is handed to it.

#include "bridge_frames.h"
#include "pending_requests.h"

#include <QString>

#include <vector>

// "getShareInfo": isweb 0 for this program's own browser.
struct GetShareInfoJson {
    QString tag;
    QString pass;
    int isweb = 0;
    QEL_JSON_FIELDS(GetShareInfoJson, tag, pass, isweb)
};

// "getFileList": iProbeCount 1 asks for the number of entries only.
struct GetShareFileListJson {
    QString dir;
    QString search;
    QString filters;
    QString orderBy;
    QString iIconLoadSize;
    int iPageIndex = 0;
    int iPageSize = 0;
    int iProbeCount = 0;
    int iPreFetchIcon = 0;
    QEL_JSON_FIELDS(GetShareFileListJson, dir, search, filters, orderBy, iIconLoadSize, iPageIndex, iPageSize,
                    iProbeCount, iPreFetchIcon)
};

// "buildIcon2": entries "full path|row index|1|-1".
struct BuildIcon2 {
    int size = 0;
    std::vector<QString> fileList;
    QEL_JSON_FIELDS(BuildIcon2, size, fileList)
};

// "fileDownloadCheck": the full path of one file.
struct FileDownloadCheckJson {
    QString path;
    QEL_JSON_FIELDS(FileDownloadCheckJson, path)
};

// "CheckHost"
struct CheckHostMssg {
    QString tag;
    QEL_JSON_FIELDS(CheckHostMssg, tag)
};

// "opFileList": fileList holds full paths joined with "|".
struct OPFileInfo {
    QString path;
    QString cmd;
    QString extInfo;
    QString fileList;
    QEL_JSON_FIELDS(OPFileInfo, path, cmd, extInfo, fileList)
};

// "RemoteUploadTaskInfo" and "CancelUploading", which the bridge answers itself.
struct RemoteUploadStatus {
    QString Session;
    QString IsProcessOnBridge;
    QEL_JSON_FIELDS(RemoteUploadStatus, Session, IsProcessOnBridge)
};

// "WaitRemoteReceiveFiles": the offer of files to a contact.
struct WaitRemoteReceiveFilesJSON {
    QString Session;
    QString Summary;
    QString FromUser;
    QString UUID;
    QEL_JSON_FIELDS(WaitRemoteReceiveFilesJSON, Session, Summary, FromUser, UUID)
};

// "WaitRemoteReceiveFilesPressButton": asks for the receiver's decision on the offer UUID.
struct WaitRemoteReceiveFilesPressButton {
    QString UUID;
    QEL_JSON_FIELDS(WaitRemoteReceiveFilesPressButton, UUID)
};

// "WaitRemoteReceiveFilesCancel"
struct WaitRemoteReceiveFilesCancelJson {
    QString Session;
    QEL_JSON_FIELDS(WaitRemoteReceiveFilesCancelJson, Session)
};

// "SyncTransState": the sender's progress, passed on to the receiver.
struct SyncTransStateToRemoteHostJson {
    QString Log;
    double IProgress = 0;
    bool IsFinished = false;
    bool IsCanceled = false;
    QEL_JSON_FIELDS(SyncTransStateToRemoteHostJson, Log, IProgress, IsFinished, IsCanceled)
};

namespace P2PClientMsg {

// A peer has this long to answer a waited request; the senders' own timers usually give up first.
inline constexpr qint64 remoteTimeoutMs = 60 * 1000;

// Sends a request to the peer of the current session. Without a peer session in this run nothing
// is sent and callback gets, at once, the answer made of the empty text (every member absent).
// Without wait the callback is never called. Returns the token ("" when nothing was sent here).
QString sendRemoteRequest(const QString &code, const QelJSON::Json &payload, bool wait,
                          const QString &isProcessOnBridge, AnswerCallback callback);

template <class Payload>
QString SendMsgToRemote(const QString &code, const Payload &payload, bool wait, const QString &isProcessOnBridge,
                        AnswerCallback callback)
{
    return sendRemoteRequest(code, QelJSON::toJSONObject(payload), wait, isProcessOnBridge, std::move(callback));
}

// For senders that want no answer.
inline void ignoreReplyRemote(const std::optional<LenientJson> &) {}

// Asks a newly connected peer whether it has room for this client.
void sendClientTouch();
// The answer of "ClientTouch": the owner of the link learns csConnected or csMaxClients.
void onClientTouchBack(const std::optional<LenientJson> &answer);

} // namespace P2PClientMsg

// The requests of the remote file browser and the contact page, each filled as the peer expects.
namespace PeerRequestSenders {

void getShareInfo(const QString &tag, const QString &accessCode, AnswerCallback callback);
// The number of entries of dir (the answer's "index").
void getFileCount(const QString &dir, AnswerCallback callback);
void getFileListPage(const QString &dir, int pageIndex, int pageSize, AnswerCallback callback);
// A thumbnail of the entry at fullPath, the row index echoed back.
void buildIcon2(const QString &fullPath, qint64 rowIndex, AnswerCallback callback);
void checkHost(const QString &tag, AnswerCallback callback);
// The size and kind of the file at fullPath (the answer's "data": "path", "size", "valid").
void fileDownloadCheck(const QString &fullPath, AnswerCallback callback);
void deleteFiles(const QStringList &fullPaths, AnswerCallback callback);
void offerFiles(const QString &summary, const QString &fromUser, const QString &uuid, AnswerCallback callback);
void askReceiverDecision(const QString &uuid, AnswerCallback callback);
void withdrawOffer();
void syncTransState(const QString &log, double progress, bool isFinished, bool isCanceled);
// Returns the question's token ("" when nothing was sent), for a sender that lets late answers count.
QString remoteUploadTaskInfo(AnswerCallback callback);
void cancelUploading(AnswerCallback callback);

} // namespace PeerRequestSenders
