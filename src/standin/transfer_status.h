#pragma once

#include "qel_json.h"

#include <QString>

// The states of a transfer, as "TaskStatus" carries them.
enum class TransferState : int {
    None = 0,      // no transfer in this session
    Preparing = 1, // counting what is to be copied
    Running = 2,
    Finished = 3,  // every file copied
    Failed = 4,    // ended with files that could not be copied (ErrorInfo says why)
    Cancelled = 5,
};

// What a status answer says about the transfer of a session. Sizes are bytes; IProgress is a
// percentage that reaches 100 only when every file is copied.
struct TransferStatus
{
    QString Session;
    int TaskStatus = int(TransferState::None);
    int TotalTaskCount = 0;     // files to copy
    int TotalTaskDoneCount = 0; // files copied
    QString CurrentTaskFile;    // source path of the file being copied
    qint64 TotalSize = 0;
    qint64 TotalDoneSize = 0;
    double IProgress = 0;
    bool IsFinished = false;    // TaskStatus 3
    bool ForceCancel = false;   // TaskStatus 5
    int FailedCount = 0;
    int SkippedCount = 0;       // links and special files, which are never copied
    int RenamedCount = 0;       // items saved under a new name because the name was taken
    QString SaveAt;             // the destination folder
    QString ErrorInfo;
    QString Log;                // one line for people
    QEL_JSON_FIELDS(TransferStatus, Session, TaskStatus, TotalTaskCount, TotalTaskDoneCount, CurrentTaskFile,
                    TotalSize, TotalDoneSize, IProgress, IsFinished, ForceCancel, FailedCount, SkippedCount,
                    RenamedCount, SaveAt, ErrorInfo, Log)

    bool isActive() const
    {
        return TaskStatus == int(TransferState::Preparing) || TaskStatus == int(TransferState::Running);
    }
};

// The answer to a request that starts or stops something: Result 1 when it did.
struct ControlResult
{
    int Result = 1;
    QString Info;
    QEL_JSON_FIELDS(ControlResult, Result, Info)
};
