#pragma once

#include "background_jobs.h"
#include "transfer_status.h"

#include <QHash>
#include <QString>

#include <memory>

class LenientJson;
class TransferJob;
class TransferJournal;
struct TransferSpec;

// The transfers between the client and the loopback peer. Each peer session has one download
// slot (Trans3) and one upload slot, shared by uploads into a share (Trans2) and deliveries to a
// contact (StartRemoteUpload): both are this client sending files to the peer, and both are asked
// about with "RemoteUploadTaskInfo". A slot holds one transfer at a time; its status stays
// readable after it ends until the next one starts.
//
// A delivery goes into the folder that the receiver accepted: the bridge notes it when the
// receiver's answer to "WaitRemoteReceiveFilesPressButton" passes through the relay.
class TransferManager final
{
public:
    // journal: where every transfer notes its temporary files (none: not noted).
    TransferManager(int copyDelayMs, TransferJournal *journal);
    ~TransferManager();
    Q_DISABLE_COPY_MOVE(TransferManager)

    // targets: "|"-joined absolute paths; saveFolder is made when missing.
    ControlResult startDownload(const QString &session, const QString &targets, const QString &saveFolder);
    // remoteRoot: an existing folder of the peer's share.
    ControlResult startUpload(const QString &session, const QString &targets, const QString &remoteRoot);
    // fileList: the WorkingItems of "StartRemoteUpload"; each PathSave lies below the receiver's
    // folder, given as "Z:\..." (any drive letter), relative, or absolute inside that folder.
    ControlResult startDelivery(const QString &session, const LenientJson &fileList);

    ControlResult cancelDownload(const QString &session);
    ControlResult cancelUpload(const QString &session);
    TransferStatus downloadStatus(const QString &session) const;
    TransferStatus uploadStatus(const QString &session) const;

    // The receiver's answer to "WaitRemoteReceiveFilesPressButton": "0" undecided, "2" refused,
    // otherwise the folder it accepted to save into.
    void noteReceiverDecision(const QString &session, const QString &decision);
    // A new offer in this session: forget the last delivery unless one is running.
    void resetDelivery(const QString &session);

private:
    struct SessionTransfers
    {
        std::shared_ptr<TransferJob> download;
        std::shared_ptr<TransferJob> upload;
        QString acceptedFolder;
        bool refused = false;
    };

    ControlResult start(std::shared_ptr<TransferJob> &slot, TransferSpec spec);
    ControlResult startCopy(std::shared_ptr<TransferJob> &slot, const QString &session, const QString &targets,
                            const QString &folder, bool createFolder);
    TransferStatus statusOf(const std::shared_ptr<TransferJob> &job, const QString &session) const;
    ControlResult cancel(const std::shared_ptr<TransferJob> &job);

    QHash<QString, SessionTransfers> m_sessions;
    int m_copyDelayMs;
    TransferJournal *m_journal;
    BackgroundJobs m_jobs;
};
