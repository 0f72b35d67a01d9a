#pragma once

#include "control_payloads.h"

#include <QString>

#include <atomic>
#include <vector>

// The answer to "PreparingUpload": every folder and file that the targets hold, as the
// WorkingItems that "StartRemoteUpload" then takes. Path is the item on this machine, PathSave
// where it goes below the receiver's folder: RemoteSaveRootPath (the sender puts "Z:\", which
// stands for that folder) joined with its path below LocalRootPath, in the root's separator.
struct PreparedUpload
{
    int Result = 1;
    QString Info;
    std::vector<WorkingItem> FileList;
    int TotalTaskCount = 0; // files
    qint64 TotalSize = 0;
    QEL_JSON_FIELDS(PreparedUpload, Result, Info, FileList, TotalTaskCount, TotalSize)
};

// Walks the targets; runs on a worker (a large folder takes a while).
PreparedUpload prepareUpload(const PreparingUploadInfo &request, const std::atomic_bool &stop);
