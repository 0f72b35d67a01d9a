#pragma once

#include <QString>

class LenientJson;

// What the bridge says about a delivery, read from its status answer ("RemoteUploadTaskInfo" on
// the sending side, "RefreshRemoteUploadStatus_FromLocal" on the receiving side). Both sides
// show it the same way.
struct TransferProgress {
    // "TaskStatus" values of the bridge.
    enum TaskStatus { tsNone = 0, tsPreparing = 1, tsRunning = 2, tsFinished = 3, tsFailed = 4, tsCanceled = 5 };

    int taskStatus = tsNone;
    int totalCount = 0;
    int doneCount = 0;
    QString currentFile;
    qint64 totalSize = 0;
    qint64 doneSize = 0;
    // 0 to 100.
    double percent = 0;
    bool isFinished = false;
    // Cancelled by either side ("ForceCancel").
    bool isCanceled = false;
    bool isFailed = false;
    QString error;
    QString log;

    static TransferProgress fromStatus(const LenientJson &status);

    // The transfer has started and not ended.
    bool isActive() const;
    bool hasEnded() const { return isFinished || isCanceled || isFailed; }

    // "2 of 5 files · 1.00 MB of 3.20 MB"; the part whose total is unknown is left out.
    QString describe() const;
};
