#pragma once

// Requests that wait for an answer, to the bridge or to the peer. A request registers its token,
// answer callback and deadline and returns at once; nothing blocks while it waits. Exactly one of
// three things ends it, on the GUI thread, and runs its callback once:
//   - the answer with its token arrives: the callback gets the answer's "Msg";
//   - its deadline passes, or the bridge is relaunched: the callback gets no answer (nullopt).

#include "lenient_json.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>

// The answer's "Msg"; nullopt when no answer came.
using AnswerCallback = std::function<void(const std::optional<LenientJson> &answer)>;

// One waiting request.
struct RemoteWSDCTask {
    enum class Kind { Bridge, Remote };
    QString code;
    Kind kind = Kind::Bridge;
    qint64 deadlineMs = 0;
    AnswerCallback callback;
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

    // Ends the request of token with its answer. False when no request waits under that token.
    bool deliver(const QString &token, const LenientJson &message);
    // Ends the request of token without an answer. False when none waits.
    bool fail(const QString &token);
    // Ends every request whose deadline has passed by the clock.
    void expireDue();
    // Ends every request without an answer (the bridge that would answer them is gone).
    void failAll();
    // Forgets every request without calling back (tests).
    void clear();

private:
    void finish(RemoteWSDCTask task, const std::optional<LenientJson> &answer);
    void armTimer();

    std::map<QString, RemoteWSDCTask> m_tasks;
    QTimer m_deadlineTimer;
};
