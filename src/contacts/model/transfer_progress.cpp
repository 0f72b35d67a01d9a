#include "transfer_progress.h"

#include "lenient_json.h"
#include "localization.h"
#include "util_system.h"

#include <algorithm>
#include <cmath>

TransferProgress TransferProgress::fromStatus(const LenientJson &status)
{
    TransferProgress progress;
    progress.taskStatus = status["TaskStatus"].intValue();
    progress.totalCount = std::max(0, status["TotalTaskCount"].intValue());
    progress.doneCount = std::max(0, status["TotalTaskDoneCount"].intValue());
    if (progress.totalCount > 0)
        progress.doneCount = std::min(progress.doneCount, progress.totalCount);
    progress.currentFile = status["CurrentTaskFile"].stringValue();
    progress.totalSize = std::max<qint64>(0, status["TotalSize"].int64Value());
    progress.doneSize = std::max<qint64>(0, status["TotalDoneSize"].int64Value());
    progress.isFinished = status["IsFinished"].boolValue() || progress.taskStatus == tsFinished;
    progress.isCanceled = status["ForceCancel"].boolValue() || progress.taskStatus == tsCanceled;
    progress.isFailed = progress.taskStatus == tsFailed;
    const double percent = status["IProgress"].doubleValue();
    progress.percent = std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0.0;
    if (progress.isFinished)
        progress.percent = 100;
    progress.error = status["ErrorInfo"].stringValue();
    progress.log = status["Log"].stringValue();
    return progress;
}

bool TransferProgress::isActive() const
{
    return !hasEnded() && (taskStatus == tsPreparing || taskStatus == tsRunning);
}

QString TransferProgress::describe() const
{
    QStringList parts;
    if (totalCount > 0)
        parts << localizedString(QStringLiteral("Contact_FilesOf")).arg(doneCount).arg(totalCount);
    if (totalSize > 0)
        parts << localizedString(QStringLiteral("Contact_SizeOf"))
                     .arg(UtilSystem::formatFileSize(std::uint64_t(doneSize)),
                          UtilSystem::formatFileSize(std::uint64_t(totalSize)));
    return parts.join(QStringLiteral(" · "));
}
