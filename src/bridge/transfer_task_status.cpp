#include "transfer_task_status.h"

#include "lenient_json.h"

#include <algorithm>
#include <cmath>

TransferTaskStatus TransferTaskStatus::fromAnswer(const LenientJson &answer)
{
    TransferTaskStatus status;
    status.TaskStatus = answer["TaskStatus"].intValue();
    status.TotalTaskCount = answer["TotalTaskCount"].int64Value();
    status.TotalTaskDoneCount = answer["TotalTaskDoneCount"].int64Value();
    status.CurrentTaskFile = answer["CurrentTaskFile"].stringValue();
    status.TotalSize = answer["TotalSize"].int64Value();
    status.TotalDoneSize = answer["TotalDoneSize"].int64Value();
    status.IProgress = answer["IProgress"].doubleValue();
    status.IsFinished = answer["IsFinished"].boolValue();
    status.ForceCancel = answer["ForceCancel"].boolValue();
    status.FailedCount = answer["FailedCount"].int64Value();
    status.RenamedCount = answer["RenamedCount"].int64Value();
    status.ErrorInfo = answer["ErrorInfo"].stringValue();
    status.Log = answer["Log"].stringValue();
    return status;
}

int TransferTaskStatus::percentSoFar() const
{
    double done = 0;
    if (TotalSize > 0)
        done = 100.0 * double(TotalDoneSize) / double(TotalSize);
    else if (IProgress > 0)
        done = IProgress;
    else if (TotalTaskCount > 0)
        done = 100.0 * double(TotalTaskDoneCount) / double(TotalTaskCount);
    // A bridge may report anything; NaN fails every comparison and counts as 0.
    if (!(done > 0))
        return 0;
    return int(std::min(done, 99.0));
}

double TransferTaskStatus::reportedPercent() const
{
    if (isFinished())
        return 100;
    return std::isfinite(IProgress) ? std::clamp(IProgress, 0.0, 100.0) : 0.0;
}
