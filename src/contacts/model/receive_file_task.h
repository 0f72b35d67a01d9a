#pragma once

#include "receive_sheet_state.h"
#include "transfer_progress.h"

#include <QObject>
#include <QString>
#include <QTimer>

class LenientJson;
class MainViewInterface;

// The work of the receive-files sheet on the main window's CtlViewReceiveFile: the count-down
// while the user decides, accepting into a folder or refusing, and, while files arrive, the
// bridge's progress once a second and cancelling. Every change goes through the main window's
// state, where the sender's questions read the decision. GUI thread only.
class ReceiveFileTask final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReceiveFileTask)

public:
    // binding is the main window's state and must outlive the task. A non-empty downloadSaveAt is
    // the folder offered first instead of the stored one.
    explicit ReceiveFileTask(MainViewInterface &binding, QString downloadSaveAt = QString(), QObject *parent = nullptr);
    ~ReceiveFileTask() override;

    void setTickIntervalMs(int ms) { m_timer.setInterval(ms); }

    CtlViewReceiveFile state() const;
    // The folder an accept saves into.
    QString saveAt() const { return m_saveAt; }
    const TransferProgress &progress() const { return m_progress; }
    // Why the receive ended, when it did not end by finishing.
    QString message() const { return m_message; }
    bool isTicking() const { return m_timer.isActive(); }

    // The sheet came up: takes the receive folder and starts the one-second tick.
    void onShown();
    // The sheet went away: the tick stops.
    void onHidden();
    // The state was changed by someone else: a new offer starts afresh, and a running receive
    // whose sheet the sender closed ends as cancelled.
    void onStateChanged();

    // Saves into path from now on, and stores it, when it is an existing folder.
    bool chooseFolder(const QString &path);
    // The user takes the offer: the sender learns the folder and starts sending.
    void accept();
    // The user declines the offer: the sender learns "2" and the sheet closes.
    void refuse();
    // The user stops a running receive; the sheet stays to say so.
    void cancel();
    // The sheet's close control: refuses an undecided offer, cancels a running receive, then closes.
    void close();

    // One tick of the one-second timer (runs by itself while the sheet is shown).
    void tick();

signals:
    void changed();

private:
    void write(const CtlViewReceiveFile &state);
    void sendCancel(const QString &session);
    void pollProgress();
    void onProgress(const LenientJson &status);
    void endWith(ViewReceiveState state, const QString &message);
    static QString offerKey(const CtlViewReceiveFile &state);

    MainViewInterface &m_binding;
    QString m_givenSaveAt;
    QString m_saveAt;
    QTimer m_timer;
    QString m_offerKey;
    // Grows with every offer, so that answers about an earlier one are dropped.
    quint64 m_generation = 0;
    int m_missedPolls = 0;
    // The links to the service lost before the receive was accepted: one lost since ends it.
    quint64 m_lostLinksAtAccept = 0;
    TransferProgress m_progress;
    QString m_message;
};
