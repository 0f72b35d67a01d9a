#include "transfer_tracker.h"

using Status = RemoteSharingDownloadStatus;

bool TransferTracker::isBusy() const
{
    return m_status == Status::dsStarting || m_status == Status::dsRunning || m_status == Status::dsCancelling;
}

bool TransferTracker::isEnded() const
{
    return m_status == Status::dsFinished || m_status == Status::dsFailed || m_status == Status::dsCanceled;
}

void TransferTracker::start()
{
    *this = TransferTracker();
    m_status = Status::dsStarting;
}

void TransferTracker::fail(TransferFailure failure, const QString &detail)
{
    m_status = Status::dsFailed;
    m_failure = failure;
    m_detail = detail;
}

void TransferTracker::onStartAnswer(const std::optional<LenientJson> &answer)
{
    if (m_status != Status::dsStarting)
        return;
    if (!answer) {
        fail(TransferFailure::NoAnswer, QString());
        return;
    }
    // An answer that says nothing of a result counts as started: its arrival is the sign.
    if ((*answer)["Result"].exists() && (*answer)["Result"].intValue() != 1) {
        fail(TransferFailure::Refused, (*answer)["Info"].stringValue());
        return;
    }
    m_status = Status::dsRunning;
}

void TransferTracker::onStatusAnswer(const std::optional<LenientJson> &answer)
{
    if (m_status != Status::dsRunning && m_status != Status::dsCancelling)
        return;
    if (!answer) {
        if (++m_missed >= maxMissedAnswers)
            fail(TransferFailure::NoAnswer, QString());
        return;
    }
    m_missed = 0;
    const TransferTaskStatus info = TransferTaskStatus::fromAnswer(*answer);
    if (!info.isKnown()) {
        if (++m_unknown >= maxUnknownAnswers)
            fail(TransferFailure::Lost, QString());
        return;
    }
    m_unknown = 0;
    m_last = info;
    if (info.isCancelled()) {
        m_status = Status::dsCanceled;
    } else if (info.isFinished()) {
        m_status = Status::dsFinished;
    } else if (info.isFailed()) {
        fail(TransferFailure::Failed, info.ErrorInfo);
    } else if (m_status == Status::dsCancelling && ++m_afterCancel >= maxAnswersAfterCancel) {
        m_status = Status::dsCanceled;
    }
}

bool TransferTracker::cancel()
{
    if (m_status != Status::dsRunning)
        return false;
    m_status = Status::dsCancelling;
    return true;
}

void TransferTracker::onLinkLost()
{
    if (isBusy())
        fail(TransferFailure::LinkLost, QString());
}

int TransferTracker::percent() const
{
    return m_status == Status::dsFinished ? 100 : m_last.percentSoFar();
}
