#pragma once

#include "lenient_json.h"
#include "pending_requests.h"
#include "sheet_dialog.h"
#include "transfer_rate.h"
#include "transfer_tracker.h"

#include <optional>

class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QVBoxLayout;

// What the download and upload sheets share: the start, one status request a second while the
// transfer runs (never two at once; one that stays unanswered counts as missed), the cancel, a
// progress bar and a status line, and an end state the user sees (done, failed or cancelled).
// While a transfer is under way the sheet cannot be closed; it ends by itself when the bridge
// stops answering, so that is never for long, and at once when the connection to the service is
// lost (the transfer went with the bridge that ran it).
class RemoteTransferSheet : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteTransferSheet)

public:
    // How long one status request may stay unanswered.
    static constexpr qint64 statusTimeoutMs = 10'000;

    ~RemoteTransferSheet() override;

    RemoteSharingDownloadStatus status() const { return m_tracker.status(); }
    const TransferTracker &tracker() const { return m_tracker; }
    int percent() const;
    QString statusText() const;
    // What the progress bar says beside its percentage: bytes done of all, and the rate.
    QString progressText() const;

    // Sends the start request (when the sheet may start).
    void startTransfer();
    void cancelTransfer();
    // The one-second tick: a status request while the transfer runs.
    void onTimerTick();

    // Takes the answer to the status request with this number, when it is still the current one.
    void onStatusAnswer(quint64 request, const std::optional<LenientJson> &answer);

    // Closes the sheet; a transfer under way is cancelled instead (as Cancel does).
    void reject() override;

Q_SIGNALS:
    void transferEnded(RemoteSharingDownloadStatus status);

protected:
    RemoteTransferSheet(const QString &title, QWidget *parent);

    // Rows of the particular sheet go here, above the progress.
    QVBoxLayout *contentLayout() const { return m_content; }
    QPushButton *startButton() const { return m_start; }
    QDialogButtonBox *buttonBox() const { return m_buttons; }
    // Called when anything shown may have changed.
    void refresh();

    virtual bool canStart() const = 0;
    // Called just before the start request; the sheet stores what it must.
    virtual void beforeStart() {}
    virtual void sendStart(AnswerCallback callback) = 0;
    virtual void sendCancel() = 0;
    // Sends one status request; its answer goes to onStatusAnswer(request, ...).
    virtual void sendStatusQuery(quint64 request) = 0;
    virtual QString preparingText() const = 0;
    virtual QString finishedText() const = 0;
    // What the transfer saved, said once it has ended (finished, failed or cancelled): names
    // that were taken, and after a cancel what had already arrived. "" when there is nothing.
    virtual QString savedText() const { return {}; }
    // The sheet's own controls follow the state.
    virtual void updateControls() {}

private:
    void onStartAnswer(const std::optional<LenientJson> &answer);
    // The link to the service is down, or was lost since the start (with the bridge that ran it).
    bool linkLostSinceStart() const;
    void onServiceChanged();
    QString withSaved(const QString &text) const;
    void afterChange(RemoteSharingDownloadStatus before);
    void pointTabAtAShownButton();

    TransferTracker m_tracker;
    TransferRate m_rate;
    quint64 m_lostLinksAtStart = 0;
    quint64 m_statusRequest = 0;
    bool m_statusPending = false;
    qint64 m_statusSince = 0;
    QVBoxLayout *m_content = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_statusLine = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_close = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QTimer *m_tick = nullptr;
};
