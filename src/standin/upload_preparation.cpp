#include "upload_preparation.h"

#include "transfer_scan.h"
#include "util_system.h"

PreparedUpload prepareUpload(const PreparingUploadInfo &request, const std::atomic_bool &stop)
{
    PreparedUpload prepared;
    std::vector<TransferSource> sources;
    if (!sourcesFromTargets(request.Targets, request.LocalRootPath, &sources, &prepared.Info)) {
        prepared.Result = 0;
        return prepared;
    }
    const TransferScan scan = scanSources(sources, stop);
    if (scan.stopped || scan.tooMany || !scan.missing.isEmpty()) {
        prepared.Result = 0;
        prepared.Info = scan.tooMany ? QStringLiteral("Too many files to send at once") : QStringLiteral("Stopped");
        if (!scan.missing.isEmpty())
            prepared.Info = QStringLiteral("Not found: ") + scan.missing.first();
        return prepared;
    }
    const QString root = request.RemoteSaveRootPath;
    const QString separator = root.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QStringLiteral("\\");
    for (const TransferEntry &entry : scan.entries) {
        const QString below = entry.target.join(separator);
        WorkingItem item;
        item.Size = entry.size;
        item.IsDir = entry.isDir;
        item.Path = entry.source;
        item.PathSave = root.isEmpty() ? below : UtilSystem::pathJoin(root, below, separator);
        prepared.FileList.push_back(item);
    }
    prepared.TotalTaskCount = scan.fileCount;
    prepared.TotalSize = scan.totalBytes;
    return prepared;
}
