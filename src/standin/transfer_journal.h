#pragma once

#include <QString>
#include <QStringList>

#include <mutex>

// The hidden temporary files that transfers are writing, noted before their first byte, so that
// the ones a crash of the bridge cut off are removed at its next start instead of staying in the
// user's folders for ever.
//
// Each run keeps a journal file of its own in the given folder and holds a lock on it while it
// runs; the lock ends with the process, however it ends. A journal whose lock is free therefore
// belongs to a run that is over, and the temporary files it still lists are leftovers. Only files
// with a transfer's temporary name are ever removed.
class TransferJournal final
{
public:
    explicit TransferJournal(QString folder);
    ~TransferJournal();
    Q_DISABLE_COPY_MOVE(TransferJournal)

    // Whether fileName is a name that transfers give their temporary files.
    static bool isTemporaryName(const QString &fileName);

    // Removes the files that the journals of ended runs still list, and those journals. Returns
    // the files removed.
    QStringList removeLeftovers();
    // Starts this run's journal; false (and why) when it cannot be written.
    bool open(QString *error);

    // Any thread. Notes path before anything is written to it; false when the note could not be
    // written.
    bool noteStarted(const QString &path);
    // Any thread. The file at path has been renamed to its own name or removed.
    void noteEnded(const QString &path);

private:
    bool append(char mark, const QString &path);

    QString m_folder;
    QString m_path;
    int m_fd = -1;
    std::mutex m_mutex;
    int m_open = 0;
};
