#pragma once

#include <QString>

class LenientJson;

// One status answer of a transfer, as the bridge sends it ("Trans3_FC_TransTaskInfo",
// "RemoteUploadTaskInfo", "RefreshRemoteUploadStatus_FromLocal"). Members keep the bridge's names
// and its values as sent: each reader decides how much of them it trusts.
struct TransferTaskStatus
{
    // "TaskStatus" values of the bridge.
    enum TaskStatusValue { tsNone = 0, tsPreparing = 1, tsRunning = 2, tsFinished = 3, tsFailed = 4, tsCanceled = 5 };

    int TaskStatus = tsNone;
    qint64 TotalTaskCount = 0;
    qint64 TotalTaskDoneCount = 0;
    QString CurrentTaskFile;
    qint64 TotalSize = 0;
    qint64 TotalDoneSize = 0;
    double IProgress = 0;
    bool IsFinished = false;
    // Cancelled by either side.
    bool ForceCancel = false;
    qint64 FailedCount = 0;
    // Items saved under a new name because theirs was taken (0 when the bridge does not say).
    qint64 RenamedCount = 0;
    QString ErrorInfo;
    QString Log;

    static TransferTaskStatus fromAnswer(const LenientJson &answer);

    bool isFinished() const { return IsFinished || TaskStatus == tsFinished; }
    bool isFailed() const { return TaskStatus == tsFailed; }
    bool isCancelled() const { return ForceCancel || TaskStatus == tsCanceled; }
    // The bridge knows of the transfer (it may answer before it has set one up).
    bool isKnown() const { return TaskStatus != tsNone || isFinished() || isCancelled(); }

    // The two ways a transfer's progress is shown; they differ on purpose, so each is named.
    // 0 to 99 from the bytes copied, else "IProgress", else the files copied: never 100, as only
    // the transfer's end says it is done (every byte copied is not yet finished).
    int percentSoFar() const;
    // The bridge's own "IProgress", 0 to 100 (what it cannot mean counts as 0); 100 once finished.
    double reportedPercent() const;
};
