#include "pending_requests.h"

#include "clock.h"
#include "console.h"

#include <algorithm>
#include <vector>

namespace {

// The timer only wakes the table up; the clock decides what has expired. Capped so that a clock
// set by a test never arms an absurd interval.
constexpr qint64 maxTimerIntervalMs = 60 * 1000;

void printBack(const RemoteWSDCTask &task)
{
    if (task.kind == RemoteWSDCTask::Kind::Bridge) {
        if (task.code != u"PingBridge")
            Console::printLine(QStringLiteral("SendMsgToP2PClient - back - ") + task.code);
    } else if (task.code != u"CheckHost") {
        Console::printLine(QStringLiteral("SendMsgToRemote - ") + task.code + QStringLiteral(" - Back!!!"));
    }
}

void printNoAnswer(const RemoteWSDCTask &task)
{
    if (task.kind == RemoteWSDCTask::Kind::Bridge) {
        if (task.code != u"PingBridge")
            Console::printLine(QStringLiteral("SendMsgToP2PClient - no answer - ") + task.code);
    } else if (task.code != u"CheckHost") {
        Console::printLine(QStringLiteral("SendMsgToRemote - ") + task.code + QStringLiteral(" - No Answer!!!"));
    }
}

} // namespace

PendingRequestTable::PendingRequestTable(QObject *parent) : QObject(parent)
{
    m_deadlineTimer.setSingleShot(true);
    connect(&m_deadlineTimer, &QTimer::timeout, this, &PendingRequestTable::expireDue);
}

void PendingRequestTable::add(const QString &token, RemoteWSDCTask task)
{
    m_tasks.insert_or_assign(token, std::move(task));
    armTimer();
}

bool PendingRequestTable::contains(const QString &token) const
{
    return m_tasks.find(token) != m_tasks.end();
}

bool PendingRequestTable::hasPendingCode(const QString &code) const
{
    return std::any_of(m_tasks.begin(), m_tasks.end(), [&](const auto &entry) { return entry.second.code == code; });
}

bool PendingRequestTable::deliver(const QString &token, const LenientJson &message)
{
    const auto late = m_lateAnswers.find(token);
    LateAnswerCallback lateCallback;
    if (late != m_lateAnswers.end()) {
        if (late->second.untilMs >= Clock::nowMs())
            lateCallback = std::move(late->second.late);
        m_lateAnswers.erase(late);
    }
    const auto it = m_tasks.find(token);
    if (it == m_tasks.end()) {
        if (!lateCallback)
            return false;
        lateCallback(message);
        return true;
    }
    RemoteWSDCTask task = std::move(it->second);
    m_tasks.erase(it);
    printBack(task);
    finish(std::move(task), message);
    return true;
}

void PendingRequestTable::keepLateAnswer(const QString &token, LateAnswerCallback late)
{
    forgetOverdueLateAnswers();
    const auto it = m_tasks.find(token);
    if (it == m_tasks.end())
        return;
    const RemoteWSDCTask &task = it->second;
    m_lateAnswers.insert_or_assign(token, KeptLateAnswer{task.deadlineMs + task.waitMs, std::move(late)});
    armTimer();
}

void PendingRequestTable::forgetOverdueLateAnswers()
{
    const qint64 now = Clock::nowMs();
    std::erase_if(m_lateAnswers, [now](const auto &entry) { return entry.second.untilMs < now; });
}

bool PendingRequestTable::fail(const QString &token)
{
    const auto it = m_tasks.find(token);
    if (it == m_tasks.end())
        return false;
    RemoteWSDCTask task = std::move(it->second);
    m_tasks.erase(it);
    printNoAnswer(task);
    finish(std::move(task), std::nullopt);
    return true;
}

void PendingRequestTable::expireDue()
{
    const qint64 now = Clock::nowMs();
    // Collected first: a callback may send new requests into the table.
    std::vector<QString> due;
    for (const auto &[token, task] : m_tasks) {
        if (task.deadlineMs <= now)
            due.push_back(token);
    }
    for (const QString &token : due)
        fail(token);
    forgetOverdueLateAnswers();
    armTimer();
}

void PendingRequestTable::failAll()
{
    std::vector<QString> tokens;
    tokens.reserve(m_tasks.size());
    for (const auto &entry : m_tasks)
        tokens.push_back(entry.first);
    for (const QString &token : tokens)
        fail(token);
    armTimer();
}

void PendingRequestTable::clear()
{
    m_tasks.clear();
    m_lateAnswers.clear();
    m_deadlineTimer.stop();
}

void PendingRequestTable::finish(RemoteWSDCTask task, const std::optional<LenientJson> &answer)
{
    if (task.callback)
        task.callback(answer);
}

void PendingRequestTable::armTimer()
{
    // Wakes for the next deadline, or for the moment the next kept late answer is over, so that
    // the table empties by itself once the traffic stops.
    std::optional<qint64> earliest;
    const auto consider = [&earliest](qint64 dueMs) { earliest = std::min(earliest.value_or(dueMs), dueMs); };
    for (const auto &entry : m_tasks)
        consider(entry.second.deadlineMs);
    for (const auto &entry : m_lateAnswers)
        consider(entry.second.untilMs + 1);
    if (!earliest) {
        m_deadlineTimer.stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(*earliest - Clock::nowMs(), 0, maxTimerIntervalMs);
    m_deadlineTimer.start(int(wait));
}
