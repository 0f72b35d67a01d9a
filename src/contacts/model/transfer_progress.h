#pragma once

#include "transfer_task_status.h"

#include <QString>

class LenientJson;

// A delivery as the contact pages show it, from the bridge's status answer ("RemoteUploadTaskInfo"
// on the sending side, "RefreshRemoteUploadStatus_FromLocal" on the receiving side). Both sides
// show it the same way.
struct TransferProgress {
    // The bridge's "TaskStatus" (TransferTaskStatus::TaskStatusValue).
    int taskStatus = TransferTaskStatus::tsNone;
    int totalCount = 0;
    int doneCount = 0;
    QString currentFile;
    qint64 totalSize = 0;
    qint64 doneSize = 0;
    // 0 to 100: the bridge's "IProgress" (TransferTaskStatus::reportedPercent).
    double percent = 0;
    bool isFinished = false;
    // Cancelled by either side ("ForceCancel").
    bool isCanceled = false;
    bool isFailed = false;
    QString error;
    QString log;

    // Status questions in a row that may go unanswered before either side counts the delivery as
    // lost; any answer, even a late one, starts the count again.
    static constexpr int missedPollLimit = 3;

    static TransferProgress fromStatus(const LenientJson &status);

    bool hasEnded() const { return isFinished || isCanceled || isFailed; }

    // "2 of 5 files · 1.00 MB of 3.20 MB"; the part whose total is unknown is left out.
    QString describe() const;
};
