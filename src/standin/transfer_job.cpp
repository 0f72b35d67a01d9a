#include "transfer_job.h"

#include "random_ids.h"
#include "transfer_journal.h"
#include "transfer_names.h"
#include "util_system.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

constexpr int maxNumberedName = 9999;
constexpr qint64 blockBytes = 1024 * 1024;
constexpr qint64 throttledBlockBytes = 64 * 1024;

double percent(qint64 done, qint64 total)
{
    if (total <= 0)
        return 0;
    // 100 is kept for a transfer that has finished.
    return std::min(99.9, double(done) * 100.0 / double(total));
}

} // namespace

TransferJob::TransferJob(TransferSpec spec) : m_spec(std::move(spec))
{
    m_status.Session = m_spec.session;
    m_status.TaskStatus = int(TransferState::Preparing);
    m_status.SaveAt = m_spec.destination;
    m_status.Log = QStringLiteral("Preparing");
}

TransferStatus TransferJob::status() const
{
    std::lock_guard lock(m_mutex);
    return m_status;
}

void TransferJob::update(const std::function<void(TransferStatus &)> &change)
{
    std::lock_guard lock(m_mutex);
    change(m_status);
}

void TransferJob::noteFailure(const QString &error)
{
    if (m_firstError.isEmpty())
        m_firstError = error;
    update([&](TransferStatus &status) {
        ++status.FailedCount;
        status.ErrorInfo = m_firstError;
    });
}

void TransferJob::finish(TransferState state, const QString &log)
{
    update([&](TransferStatus &status) {
        status.TaskStatus = int(state);
        status.IsFinished = state == TransferState::Finished;
        status.ForceCancel = state == TransferState::Cancelled;
        status.CurrentTaskFile.clear();
        if (state == TransferState::Finished)
            status.IProgress = 100;
        status.Log = log;
    });
}

void TransferJob::run()
{
    const TransferScan scan = scanSources(m_spec.sources, m_cancel);
    if (scan.stopped) {
        finish(TransferState::Cancelled, QStringLiteral("Cancelled"));
        return;
    }
    update([&](TransferStatus &status) {
        status.TaskStatus = int(TransferState::Running);
        status.TotalTaskCount = scan.fileCount;
        status.TotalSize = scan.totalBytes;
        status.SkippedCount = scan.skipped;
    });
    if (scan.tooMany) {
        noteFailure(QStringLiteral("Too many files to copy in one transfer"));
        finish(TransferState::Failed, QStringLiteral("Failed: ") + m_firstError);
        return;
    }
    for (const QString &missing : scan.missing)
        noteFailure(QStringLiteral("Not found: ") + missing);
    copyEntries(scan);

    const TransferStatus now = status();
    if (m_cancel)
        finish(TransferState::Cancelled, QStringLiteral("Cancelled"));
    else if (now.FailedCount > 0)
        finish(TransferState::Failed, QStringLiteral("Failed: ") + m_firstError);
    else
        finish(TransferState::Finished, QStringLiteral("Finished: %1 files, %2")
                                            .arg(now.TotalTaskDoneCount)
                                            .arg(UtilSystem::formatFileSize(std::uint64_t(now.TotalDoneSize))));
}

void TransferJob::copyEntries(const TransferScan &scan)
{
    for (const TransferEntry &entry : scan.entries) {
        if (m_cancel || m_writeFailed)
            return;
        copyEntry(entry);
    }
}

void TransferJob::copyEntry(const TransferEntry &entry)
{
    QString error;
    QString folder = m_spec.destination;
    if (entry.target.size() > 1 || entry.isDir) {
        folder = topLevelFolder(entry, &error);
        const qsizetype depth = entry.isDir ? entry.target.size() : entry.target.size() - 1;
        for (qsizetype i = 1; !folder.isEmpty() && i < depth; ++i)
            folder += QLatin1Char('/') + entry.target.at(i);
        if (folder.isEmpty() || !ensureFolder(folder, &error)) {
            noteFailure(error);
            return;
        }
        if (entry.isDir)
            return;
    }
    update([&](TransferStatus &status) {
        status.CurrentTaskFile = entry.source;
        status.Log = QStringLiteral("Copying %1 (%2 of %3)")
                         .arg(entry.target.last())
                         .arg(status.TotalTaskDoneCount + 1)
                         .arg(status.TotalTaskCount);
    });
    const Outcome outcome = copyFile(entry, folder, entry.target.last(), &error);
    if (outcome == Outcome::Copied) {
        update([](TransferStatus &status) { ++status.TotalTaskDoneCount; });
        return;
    }
    if (outcome == Outcome::WriteFailed)
        m_writeFailed = true;
    if (outcome != Outcome::Cancelled)
        noteFailure(error);
}

QString TransferJob::topLevelFolder(const TransferEntry &entry, QString *error)
{
    const auto known = m_topNameByGroup.constFind(entry.group);
    if (known != m_topNameByGroup.constEnd())
        return m_spec.destination + QLatin1Char('/') + known.value();
    const QString wanted = entry.target.first();
    for (int n = 0; n <= maxNumberedName; ++n) {
        const QString name = TransferNames::numbered(wanted, n, true);
        if (m_reservedTopNames.contains(name))
            continue;
        bool taken = false;
        const QString path = m_spec.destination + QLatin1Char('/') + name;
        if (TransferNames::makeFolder(path, &taken)) {
            m_reservedTopNames.insert(name);
            m_topNameByGroup.insert(entry.group, name);
            if (n > 0)
                update([](TransferStatus &status) { ++status.RenamedCount; });
            return path;
        }
        if (!taken)
            break;
    }
    *error = QStringLiteral("Cannot make the folder ") + wanted;
    m_writeFailed = true;
    return {};
}

bool TransferJob::ensureFolder(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return true;
    bool taken = false;
    if (!TransferNames::occupied(path) && TransferNames::makeFolder(path, &taken))
        return true;
    // Only ours below the top folder, unless someone raced us with a link or a file.
    const QFileInfo again(path);
    if (again.isDir() && !again.isSymLink())
        return true;
    *error = QStringLiteral("Cannot make the folder ") + path;
    return false;
}

bool TransferJob::pause()
{
    for (int waited = 0; waited < m_spec.copyDelayMs && !m_cancel; waited += 10)
        QThread::msleep(std::min(10, m_spec.copyDelayMs - waited));
    return !m_cancel;
}

TransferJob::Outcome TransferJob::copyFile(const TransferEntry &entry, const QString &folder, const QString &name,
                                           QString *error)
{
    QFile in(entry.source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(entry.source, in.errorString());
        return Outcome::ReadFailed;
    }
    const QString temporary = folder + QStringLiteral("/.fenmar-part-") + RandomIds::hex(6);
    // Noted before the file exists: a crash from here on leaves nothing behind for good.
    const bool noted = m_spec.journal && m_spec.journal->noteStarted(temporary);
    const auto noteEnded = [&] {
        if (noted)
            m_spec.journal->noteEnded(temporary);
    };
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        noteEnded();
        *error = QStringLiteral("Cannot write in %1: %2").arg(folder, out.errorString());
        return Outcome::WriteFailed;
    }
    qint64 copied = 0;
    const auto giveUp = [&](Outcome outcome, const QString &why) {
        out.close();
        QFile::remove(temporary);
        noteEnded();
        update([&](TransferStatus &status) {
            status.TotalDoneSize -= copied;
            status.IProgress = percent(status.TotalDoneSize, status.TotalSize);
        });
        *error = why;
        return outcome;
    };
    QByteArray block(m_spec.copyDelayMs > 0 ? throttledBlockBytes : blockBytes, Qt::Uninitialized);
    for (;;) {
        if (m_cancel)
            return giveUp(Outcome::Cancelled, {});
        const qint64 got = in.read(block.data(), block.size());
        if (got < 0)
            return giveUp(Outcome::ReadFailed, QStringLiteral("Cannot read %1: %2").arg(entry.source, in.errorString()));
        if (got == 0)
            break;
        if (out.write(block.constData(), got) != got)
            return giveUp(Outcome::WriteFailed, QStringLiteral("Cannot write in %1: %2").arg(folder, out.errorString()));
        copied += got;
        update([&](TransferStatus &status) {
            status.TotalDoneSize += got;
            status.IProgress = percent(status.TotalDoneSize, status.TotalSize);
        });
        if (!pause())
            return giveUp(Outcome::Cancelled, {});
    }
    out.setFileTime(QFileInfo(entry.source).lastModified(), QFileDevice::FileModificationTime);
    if (!out.flush())
        return giveUp(Outcome::WriteFailed, QStringLiteral("Cannot write in %1: %2").arg(folder, out.errorString()));
    out.close();

    const bool topLevel = folder == m_spec.destination;
    for (int n = 0; n <= maxNumberedName; ++n) {
        const QString candidate = TransferNames::numbered(name, n, false);
        if (topLevel && m_reservedTopNames.contains(candidate))
            continue;
        bool taken = false;
        if (TransferNames::renameNoReplace(temporary, folder + QLatin1Char('/') + candidate, &taken)) {
            noteEnded();
            if (topLevel)
                m_reservedTopNames.insert(candidate);
            if (n > 0)
                update([](TransferStatus &status) { ++status.RenamedCount; });
            return Outcome::Copied;
        }
        if (!taken)
            break;
    }
    return giveUp(Outcome::WriteFailed, QStringLiteral("Cannot save %1 in %2").arg(name, folder));
}
