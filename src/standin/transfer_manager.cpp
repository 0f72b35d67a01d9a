#include "transfer_manager.h"

#include "lenient_json.h"
#include "standin_log.h"
#include "transfer_job.h"
#include "transfer_names.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

ControlResult refusal(const QString &why)
{
    return ControlResult{0, why};
}

// An existing writable folder, resolved; made first when create is true.
QString usableFolder(const QString &path, bool create, QString *why)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        *why = QStringLiteral("Not a folder on this computer: ") + path;
        return {};
    }
    if (create)
        QDir().mkpath(path);
    const QFileInfo info(path);
    if (!info.isDir() || !info.isWritable()) {
        *why = QStringLiteral("Cannot write into the folder ") + path;
        return {};
    }
    return info.canonicalFilePath();
}

// Where a delivery item goes, as components below the receiver's folder.
bool deliveryTarget(const QString &pathSave, const QString &folder, QStringList *components)
{
    static const QRegularExpression driveRoot(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    QString rest = pathSave;
    if (driveRoot.match(rest).hasMatch())
        rest = rest.mid(3);
    else if (rest.startsWith(QLatin1Char('/'))) {
        if (!rest.startsWith(folder + QLatin1Char('/')))
            return false;
        rest = rest.mid(folder.size() + 1);
    }
    return TransferNames::splitRelative(rest, components) && !components->isEmpty();
}

} // namespace

TransferManager::TransferManager(int copyDelayMs, TransferJournal *journal)
    : m_copyDelayMs(copyDelayMs), m_journal(journal)
{
}

TransferManager::~TransferManager()
{
    // Stop every copy at its next block; m_jobs then waits for the workers, which remove their
    // half-written files.
    for (const SessionTransfers &transfers : std::as_const(m_sessions)) {
        for (const auto &job : {transfers.download, transfers.upload}) {
            if (job)
                job->cancel();
        }
    }
}

ControlResult TransferManager::start(std::shared_ptr<TransferJob> &slot, TransferSpec spec)
{
    if (slot && slot->status().isActive())
        return refusal(QStringLiteral("A transfer is already running in this session"));
    spec.copyDelayMs = m_copyDelayMs;
    spec.journal = m_journal;
    auto job = std::make_shared<TransferJob>(std::move(spec));
    slot = job;
    m_jobs.run([job](const std::atomic_bool &) { job->run(); });
    return ControlResult{1, QStringLiteral("Started")};
}

ControlResult TransferManager::startCopy(std::shared_ptr<TransferJob> &slot, const QString &session,
                                         const QString &targets, const QString &folder, bool createFolder)
{
    TransferSpec spec;
    QString why;
    if (!sourcesFromTargets(targets, {}, &spec.sources, &why))
        return refusal(why);
    spec.destination = usableFolder(folder, createFolder, &why);
    if (spec.destination.isEmpty())
        return refusal(why);
    spec.session = session;
    return start(slot, std::move(spec));
}

ControlResult TransferManager::startDownload(const QString &session, const QString &targets, const QString &saveFolder)
{
    return startCopy(m_sessions[session].download, session, targets, saveFolder, true);
}

ControlResult TransferManager::startUpload(const QString &session, const QString &targets, const QString &remoteRoot)
{
    return startCopy(m_sessions[session].upload, session, targets, remoteRoot, false);
}

ControlResult TransferManager::startDelivery(const QString &session, const LenientJson &fileList)
{
    SessionTransfers &transfers = m_sessions[session];
    if (transfers.refused)
        return refusal(QStringLiteral("The receiver refused the files"));
    if (transfers.acceptedFolder.isEmpty())
        return refusal(QStringLiteral("The receiver has not accepted the files"));
    TransferSpec spec;
    QString why;
    spec.destination = usableFolder(transfers.acceptedFolder, false, &why);
    if (spec.destination.isEmpty())
        return refusal(why);
    QHash<QString, int> groupByTopName;
    for (qsizetype i = 0; i < fileList.count(); ++i) {
        const LenientJson item = fileList[i];
        const QString path = item["Path"].stringValue();
        QStringList target;
        if (!path.startsWith(QLatin1Char('/')) || !QFileInfo::exists(path))
            return refusal(QStringLiteral("Not found: ") + path);
        if (!deliveryTarget(item["PathSave"].stringValue(), spec.destination, &target))
            return refusal(QStringLiteral("Not inside the receiving folder: ") + item["PathSave"].stringValue());
        const int group = int(groupByTopName.size());
        spec.sources.push_back(TransferSource{path, target, groupByTopName.value(target.first(), group)});
        groupByTopName.insert(target.first(), spec.sources.back().group);
    }
    if (spec.sources.empty())
        return refusal(QStringLiteral("Nothing to copy"));
    spec.session = session;
    return start(transfers.upload, std::move(spec));
}

ControlResult TransferManager::cancel(const std::shared_ptr<TransferJob> &job)
{
    if (!job || !job->status().isActive())
        return refusal(QStringLiteral("No transfer is running"));
    job->cancel();
    return ControlResult{1, QStringLiteral("Cancelling")};
}

ControlResult TransferManager::cancelDownload(const QString &session)
{
    return cancel(m_sessions.value(session).download);
}

ControlResult TransferManager::cancelUpload(const QString &session)
{
    return cancel(m_sessions.value(session).upload);
}

TransferStatus TransferManager::statusOf(const std::shared_ptr<TransferJob> &job, const QString &session) const
{
    if (job)
        return job->status();
    TransferStatus none;
    none.Session = session;
    none.Log = QStringLiteral("No transfer");
    return none;
}

TransferStatus TransferManager::downloadStatus(const QString &session) const
{
    return statusOf(m_sessions.value(session).download, session);
}

TransferStatus TransferManager::uploadStatus(const QString &session) const
{
    return statusOf(m_sessions.value(session).upload, session);
}

void TransferManager::noteReceiverDecision(const QString &session, const QString &decision)
{
    if (decision.isEmpty() || decision == QStringLiteral("0"))
        return;
    SessionTransfers &transfers = m_sessions[session];
    if (decision == QStringLiteral("2")) {
        transfers.refused = true;
        transfers.acceptedFolder.clear();
        return;
    }
    const QFileInfo folder(decision);
    if (!decision.startsWith(QLatin1Char('/')) || !folder.isDir()) {
        StandinLog::print(QStringLiteral("Receiver's folder is not a folder here, ignored: ") + decision);
        return;
    }
    transfers.refused = false;
    transfers.acceptedFolder = folder.canonicalFilePath();
}

void TransferManager::resetDelivery(const QString &session)
{
    const auto it = m_sessions.find(session);
    if (it == m_sessions.end())
        return;
    if (it->upload && it->upload->status().isActive()) {
        StandinLog::print(QStringLiteral("Reset ignored: a delivery is running in ") + session);
        return;
    }
    it->upload.reset();
    it->acceptedFolder.clear();
    it->refused = false;
}
