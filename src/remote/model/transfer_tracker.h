#pragma once

#include "lenient_json.h"
#include "transfer_task_status.h"

#include <QString>

#include <optional>

// The state of a download or upload sheet.
enum class RemoteSharingDownloadStatus {
    dsPreparing,  // choosing what to transfer
    dsStarting,   // the start request is on its way
    dsRunning,
    dsCancelling, // the cancel request is on its way; the transfer has not confirmed it yet
    dsFinished,
    dsFailed,
    dsCanceled,
};

// Why a transfer ended in dsFailed.
enum class TransferFailure {
    None,
    Refused,  // the start was refused (the answer's "Info" says why)
    NoAnswer, // the bridge stopped answering
    Lost,     // the bridge knows of no such transfer
    Failed,   // the transfer itself failed (its "ErrorInfo" says why)
    LinkLost, // the connection to the service was lost, and the transfer with the bridge that ran it
};

// Follows one transfer from its start request to its end, from the answers the sheet receives.
// It ends in exactly one of dsFinished, dsFailed and dsCanceled, and it ends also when the bridge
// stops answering or forgets the transfer, so a sheet never waits for ever.
class TransferTracker final
{
public:
    // Status answers that may be missing in a row before the transfer counts as failed.
    static constexpr int maxMissedAnswers = 3;
    // Answers that may report no transfer in a row (the bridge may not have set it up yet).
    static constexpr int maxUnknownAnswers = 3;
    // Answers that may still report the transfer running after a cancel; then it counts as
    // cancelled all the same.
    static constexpr int maxAnswersAfterCancel = 10;

    RemoteSharingDownloadStatus status() const { return m_status; }
    TransferFailure failure() const { return m_failure; }
    // Why it failed or was refused, as the bridge put it ("" when it said nothing).
    QString detail() const { return m_detail; }
    const TransferTaskStatus &last() const { return m_last; }

    bool isBusy() const;
    bool isEnded() const;

    // The start request has been sent.
    void start();
    // The start request's answer, or none when it got no answer.
    void onStartAnswer(const std::optional<LenientJson> &answer);
    // A status answer, or none when one got no answer in time.
    void onStatusAnswer(const std::optional<LenientJson> &answer);
    // The user cancelled; true when a cancel request should be sent now.
    bool cancel();
    // The connection to the service was lost: a transfer under way ended with it.
    void onLinkLost();

    // 0 to 100; 100 only once the transfer is finished.
    int percent() const;

private:
    void fail(TransferFailure failure, const QString &detail);

    RemoteSharingDownloadStatus m_status = RemoteSharingDownloadStatus::dsPreparing;
    TransferFailure m_failure = TransferFailure::None;
    QString m_detail;
    TransferTaskStatus m_last;
    int m_missed = 0;
    int m_unknown = 0;
    int m_afterCancel = 0;
};
