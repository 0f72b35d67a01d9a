#include "transfer_tracker.h"

#include <algorithm>

using Status = RemoteSharingDownloadStatus;

TransferTaskInfo TransferTaskInfo::fromAnswer(const LenientJson &answer)
{
    TransferTaskInfo info;
    info.TaskStatus = answer["TaskStatus"].intValue();
    info.TotalTaskCount = answer["TotalTaskCount"].int64Value();
    info.TotalTaskDoneCount = answer["TotalTaskDoneCount"].int64Value();
    info.CurrentTaskFile = answer["CurrentTaskFile"].stringValue();
    info.TotalSize = answer["TotalSize"].int64Value();
    info.TotalDoneSize = answer["TotalDoneSize"].int64Value();
    info.IProgress = answer["IProgress"].doubleValue();
    info.IsFinished = answer["IsFinished"].boolValue();
    info.ForceCancel = answer["ForceCancel"].boolValue();
    info.FailedCount = answer["FailedCount"].int64Value();
    info.ErrorInfo = answer["ErrorInfo"].stringValue();
    return info;
}

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
    const TransferTaskInfo info = TransferTaskInfo::fromAnswer(*answer);
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

int TransferTracker::percent() const
{
    if (m_status == Status::dsFinished)
        return 100;
    double done = 0;
    if (m_last.TotalSize > 0)
        done = 100.0 * double(m_last.TotalDoneSize) / double(m_last.TotalSize);
    else if (m_last.IProgress > 0)
        done = m_last.IProgress;
    else if (m_last.TotalTaskCount > 0)
        done = 100.0 * double(m_last.TotalTaskDoneCount) / double(m_last.TotalTaskCount);
    // A bridge may report anything; NaN fails every comparison and counts as 0.
    if (!(done > 0))
        return 0;
    return int(std::min(done, 99.0));
}
