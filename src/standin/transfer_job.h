#pragma once

#include "transfer_scan.h"
#include "transfer_status.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class TransferJournal;

struct TransferSpec
{
    QString session;
    // An existing folder: nothing is ever written outside it.
    QString destination;
    std::vector<TransferSource> sources;
    // Pause after each block (tests use it to cancel mid-file).
    int copyDelayMs = 0;
    // Where temporary files are noted before they are written, so that a crash leaves none
    // behind for good; none: not noted.
    TransferJournal *journal = nullptr;
};

// Copies the sources into the destination folder on a worker thread, reporting progress.
//
// Nothing already there is replaced: a top-level name that is taken gets " (n)"; a file is written
// under a hidden temporary name and only renamed to its own name once complete, so an
// interrupted copy never leaves a half file under a real name, and the temporary file is removed
// on cancel or failure, or at the bridge's next start when a crash cut the copy off. A file that
// cannot be read is counted as failed and the rest goes on; a
// write failure (a full disk, say) ends the transfer.
class TransferJob final
{
public:
    explicit TransferJob(TransferSpec spec);
    Q_DISABLE_COPY_MOVE(TransferJob)

    // Runs the whole transfer; call once, on a worker thread.
    void run();
    // Any thread; the worker stops at its next block.
    void cancel() { m_cancel = true; }
    // Any thread.
    TransferStatus status() const;

private:
    enum class Outcome { Copied, Cancelled, ReadFailed, WriteFailed };

    void copyEntries(const TransferScan &scan);
    void copyEntry(const TransferEntry &entry);
    QString topLevelFolder(const TransferEntry &entry, QString *error);
    bool ensureFolder(const QString &path, QString *error);
    Outcome copyFile(const TransferEntry &entry, const QString &folder, const QString &name, QString *error);
    bool pause();

    void update(const std::function<void(TransferStatus &)> &change);
    void finish(TransferState state, const QString &log);
    void noteFailure(const QString &error);

    TransferSpec m_spec;
    std::atomic_bool m_cancel{false};
    mutable std::mutex m_mutex;
    TransferStatus m_status;

    // Worker-thread state.
    QHash<int, QString> m_topNameByGroup;
    QSet<QString> m_reservedTopNames;
    QString m_firstError;
    bool m_writeFailed = false;
};
