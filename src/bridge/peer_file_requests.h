#pragma once

// A peer acting on files of this client's shares: "buildIcon2" (thumbnails), "fileDownloadCheck",
// "fileUploadCheck", "opFileList" (delete) and "newFile_create" (make a folder). The work runs on
// the peer workers. A path the session may not reach (see PeerReach) is answered as a missing one
// and left untouched; deleting needs the delete right of the share that decides for the path and
// never removes a share's own folder or file or a folder holding one; making a folder needs the
// upload right.

#include "peer_replies.h"
#include "qel_json.h"

#include <QString>

#include <vector>

class PeerAccess;
class PeerReach;
struct PeerReplyAddress;

// "fileDownloadCheck": the size of the file at path (0 when unreadable); valid 1 for a file.
struct FileDownloadInfo {
    QString path;
    qint64 size = 0;
    int valid = 0;
    QEL_JSON_FIELDS(FileDownloadInfo, path, size, valid)
};

// One name of a "fileUploadCheck": whether a file of that name is already there, and its size.
struct FileUploadInfo_Task {
    int isExist = 0;
    qint64 size = 0;
    QEL_JSON_FIELDS(FileUploadInfo_Task, isExist, size)
};

struct FileUploadInfo {
    QString dir;
    qint64 size = 0;
    int valid = 1;
    qint64 ctime = 0;
    std::vector<FileUploadInfo_Task> task;
    QEL_JSON_FIELDS(FileUploadInfo, dir, size, valid, ctime, task)
};

namespace PeerFileRequests {

void buildIcon2(const PeerRequest &request, PeerAccess &access);
void fileDownloadCheck(const PeerRequest &request, PeerAccess &access);
void fileUploadCheck(const PeerRequest &request, PeerAccess &access);
void opFileList(const PeerRequest &request, PeerAccess &access);
void newFileCreate(const PeerRequest &request, PeerAccess &access);

// The work of "fileUploadCheck": one task per name of the array (or value of the object) names,
// each joined to dir. Any thread.
FileUploadInfo expandPathList(const QString &dir, const LenientJson &names, const PeerReach &reach);

} // namespace PeerFileRequests

namespace BridgeMessage {

// The completion of a "buildIcon2" batch: sends its JSON text. Any thread.
void replyText(const PeerReplyAddress &address, const QString &text);

} // namespace BridgeMessage
