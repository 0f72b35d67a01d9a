#include "transfer_progress.h"

#include "lenient_json.h"
#include "localization.h"
#include "util_system.h"

#include <algorithm>
#include <limits>

TransferProgress TransferProgress::fromStatus(const LenientJson &status)
{
    const TransferTaskStatus info = TransferTaskStatus::fromAnswer(status);
    // Counts and sizes are shown as they are: what cannot be a count or a size counts as 0.
    const auto count = [](qint64 value) { return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max())); };
    TransferProgress progress;
    progress.taskStatus = info.TaskStatus;
    progress.totalCount = count(info.TotalTaskCount);
    progress.doneCount = count(info.TotalTaskDoneCount);
    if (progress.totalCount > 0)
        progress.doneCount = std::min(progress.doneCount, progress.totalCount);
    progress.currentFile = info.CurrentTaskFile;
    progress.totalSize = std::max<qint64>(0, info.TotalSize);
    progress.doneSize = std::max<qint64>(0, info.TotalDoneSize);
    progress.isFinished = info.isFinished();
    progress.isCanceled = info.isCancelled();
    progress.isFailed = info.isFailed();
    // The bridge's own figure, as the sender passes it on to the receiver.
    progress.percent = info.reportedPercent();
    progress.error = info.ErrorInfo;
    progress.log = info.Log;
    return progress;
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
