#pragma once

// Payloads of the control requests that the client sends to the bridge inside a WSDCMsgJson
// (frame code "P2PClientControl"). Keys are the field names exactly.

#include "bridge_frames.h"

#include <QString>

#include <vector>

// "CallHttp": the bridge calls URL with a time-out of Timeout seconds and answers with the body.
struct CallHttpInfo {
    QString URL;
    int Timeout = 0;
    QEL_JSON_FIELDS(CallHttpInfo, URL, Timeout)
};

// "CallHttpDownload": the bridge writes URL into the file SaveAt; the answer's "IsSucc" says
// whether it did.
struct CallHttpDownloadInfo {
    QString URL;
    QString SaveAt;
    QEL_JSON_FIELDS(CallHttpDownloadInfo, URL, SaveAt)
};

// "ResetRemoteUploadStatus_FromLocal"
struct MsgResetRemoteUpload {
    QString Session;
    QEL_JSON_FIELDS(MsgResetRemoteUpload, Session)
};

// "PreparingUpload"
struct PreparingUploadInfo {
    QString Targets;
    QString LocalRootPath;
    QString RemoteSaveRootPath;
    QEL_JSON_FIELDS(PreparingUploadInfo, Targets, LocalRootPath, RemoteSaveRootPath)
};

// One item of a transfer.
struct WorkingItem {
    qint64 Size = 0;
    bool IsDir = false;
    QString Path;
    QString PathSave;
    QEL_JSON_FIELDS(WorkingItem, Size, IsDir, Path, PathSave)
};

// "StartRemoteUpload"
struct UploadTaskInfo {
    QString Session;
    QString ClientID1;
    QString ClientID2;
    std::vector<WorkingItem> FileList;
    QEL_JSON_FIELDS(UploadTaskInfo, Session, ClientID1, ClientID2, FileList)
};

// "Trans3_FC_00_CallStart": download Targets ("|"-joined remote paths) into SaveAtLocalFolder.
struct Download3Info {
    QString Session;
    QString Targets;
    QString SaveAtLocalFolder;
    QEL_JSON_FIELDS(Download3Info, Session, Targets, SaveAtLocalFolder)
};

// "Trans3_FC_00_Cancel"
struct Trans3_FC_00_Cancel_Msg {
    QString Session;
    QEL_JSON_FIELDS(Trans3_FC_00_Cancel_Msg, Session)
};

// "Trans3_FC_TransTaskInfo"
struct Trans3_FC_TransTaskInfo_Msg {
    QString Session;
    QEL_JSON_FIELDS(Trans3_FC_TransTaskInfo_Msg, Session)
};

// "Trans2_FS_00_CallStart": upload Targets ("|"-joined local paths) below RemotePathRoot.
struct Trans2_FS_00_CallStartInfo {
    QString Session;
    QString Targets;
    QString RemotePathRoot;
    QEL_JSON_FIELDS(Trans2_FS_00_CallStartInfo, Session, Targets, RemotePathRoot)
};

// "Trans2_FS_00_Cancel"
struct Trans2_FC_Cancel_Msg {
    QString Session;
    QEL_JSON_FIELDS(Trans2_FC_Cancel_Msg, Session)
};

// "CancelFileReceive_FromLocal"
struct CancelRceivingFileInfo {
    QString Session;
    QEL_JSON_FIELDS(CancelRceivingFileInfo, Session)
};

// "RefreshRemoteUploadStatus_FromLocal"
struct RefreshTaskStatusInfo {
    QString Session;
    QEL_JSON_FIELDS(RefreshTaskStatusInfo, Session)
};

// The control codes; the frame code is always "P2PClientControl".
namespace ControlCode {
inline constexpr char PingBridge[] = "PingBridge";
inline constexpr char GetLanHttp[] = "GetLanHttp";
inline constexpr char CallHttp[] = "CallHttp";
inline constexpr char CallHttpDownload[] = "CallHttpDownload";
inline constexpr char ResetRemoteUploadStatus_FromLocal[] = "ResetRemoteUploadStatus_FromLocal";
inline constexpr char PreparingUpload[] = "PreparingUpload";
inline constexpr char StartRemoteUpload[] = "StartRemoteUpload";
inline constexpr char Trans3_FC_00_CallStart[] = "Trans3_FC_00_CallStart";
inline constexpr char Trans3_FC_00_Cancel[] = "Trans3_FC_00_Cancel";
inline constexpr char Trans3_FC_TransTaskInfo[] = "Trans3_FC_TransTaskInfo";
inline constexpr char Trans2_FS_00_CallStart[] = "Trans2_FS_00_CallStart";
inline constexpr char Trans2_FS_00_Cancel[] = "Trans2_FS_00_Cancel";
inline constexpr char CancelFileReceive_FromLocal[] = "CancelFileReceive_FromLocal";
inline constexpr char RefreshRemoteUploadStatus_FromLocal[] = "RefreshRemoteUploadStatus_FromLocal";
} // namespace ControlCode
