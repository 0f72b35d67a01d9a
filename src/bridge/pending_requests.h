#pragma once

// Requests that wait for an answer, to the bridge or to the peer. A request registers its token,
// answer callback and deadline and returns at once; nothing blocks while it waits. Exactly one of
// three things ends it, on the GUI thread, and runs its callback once:
//   - the answer with its token arrives: the callback gets the answer's "Msg";
//   - its deadline passes, or the bridge is relaunched: the callback gets no answer (nullopt).
// A sender that asks again every second may also let an answer that comes after its request ended
// count (keepLateAnswer), for a while: otherwise such an answer is dropped without a word.

#include "lenient_json.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>

// The answer's "Msg"; nullopt when no answer came.
using AnswerCallback = std::function<void(const std::optional<LenientJson> &answer)>;
// An answer's "Msg" that came after its request had ended without one.
using LateAnswerCallback = std::function<void(const LenientJson &answer)>;

// One waiting request.
struct RemoteWSDCTask {
    enum class Kind { Bridge, Remote };
    QString code;
    Kind kind = Kind::Bridge;
    qint64 deadlineMs = 0;
    AnswerCallback callback;
    // How long it waits for its answer (until deadlineMs); a late answer is waited for as long again.
    qint64 waitMs = 0;
};

class PendingRequestTable final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PendingRequestTable)

public:
    explicit PendingRequestTable(QObject *parent = nullptr);

    void add(const QString &token, RemoteWSDCTask task);
    bool contains(const QString &token) const;
    bool hasPendingCode(const QString &code) const;
    qsizetype size() const { return qsizetype(m_tasks.size()); }

    // Ends the request of token with its answer, or hands a late answer to the callback kept for
    // it. False when neither waits under that token.
    bool deliver(const QString &token, const LenientJson &message);
    // An answer to token that comes after its request ended without one reaches late, once, until
    // as long again after the request's deadline as the request waited for its answer. Kept by
    // that time alone, so that other traffic cannot push it out; nothing is kept for a token
    // without a waiting request.
    void keepLateAnswer(const QString &token, LateAnswerCallback late);
    qsizetype lateAnswerCount() const { return qsizetype(m_lateAnswers.size()); }
    // Ends the request of token without an answer. False when none waits.
    bool fail(const QString &token);
    // Ends every request whose deadline has passed by the clock, and forgets late-answer callbacks
    // whose time is over.
    void expireDue();
    // Ends every request without an answer (the bridge that would answer them is gone).
    void failAll();
    // Forgets every request and late-answer callback without calling back (tests).
    void clear();

private:
    void finish(RemoteWSDCTask task, const std::optional<LenientJson> &answer);
    void armTimer();
    void forgetOverdueLateAnswers();

    struct KeptLateAnswer {
        qint64 untilMs = 0;
        LateAnswerCallback late;
    };

    std::map<QString, RemoteWSDCTask> m_tasks;
    std::map<QString, KeptLateAnswer> m_lateAnswers;
    QTimer m_deadlineTimer;
};
