#pragma once

#include "bridge_interfaces.h"
#include "file_item.h"
#include "lenient_json.h"
#include "pending_requests.h"
#include "remote_file_paging.h"
#include "remote_folder_path.h"
#include "remote_listing.h"
#include "remote_sharing.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class DialogConfirmSetting;
class DialogConfirmView;
class DialogInputView;
class DialogInput_Setting;
class DialogLoading;
class DialogLoadingSetting;
class ElidedLabel;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;
class QToolButton;
class RemoteFileTable;
class ToastOverlay;
class ViewSharingRemoteDownload;
class ViewSharingRemoteUpload;

// The file browser of one remote host. It takes the peer connection ("ClientInit"), learns the
// connection's state from the bridge, asks the peer for the share behind the host's tag, then lists
// the share's folders a page at a time (or shows its one file, with the size the peer gives),
// draws thumbnails of pictures and clips one at a time, checks every second that the share still
// stands, deletes after confirmation, and opens the download and upload sheets.
//
// Every answer acts on the browser only while the request that asked for it is still the current
// one: a browser that has been closed, has connected again or has moved to another folder or page
// ignores answers to its older requests. Every request ends in a state the user sees: waits that
// run out (checked on the one-second tick) end as "no answer", a refused share and a host that is
// gone end in the host's state with a way to try again. While the connection to the service is
// lost (the bridge went, or its new link is not signed in yet) the browser says so, and connects
// again by itself once the service is back, in the folder and on the page the user was on.
class ViewSharingRemoteFileList final : public QWidget, public RemoteFileListInterface
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingRemoteFileList)

public:
    // How long the browser waits for the bridge's connection state and for each answer of the peer.
    static constexpr qint64 answerTimeoutMs = 15'000;
    // How long one host check may stay unanswered before the host counts as gone.
    static constexpr qint64 checkHostTimeoutMs = 10'000;
    // How long one thumbnail may take before the next one is asked for.
    static constexpr qint64 iconTimeoutMs = 10'000;

    explicit ViewSharingRemoteFileList(const RemoteSharing &host, QWidget *parent = nullptr);
    ~ViewSharingRemoteFileList() override;

    const RemoteSharing &host() const { return m_host; }

    // ---- The connection ---------------------------------------------------------------------
    // Asks the bridge for a connection to the host unless one is being made already.
    void ConnectRemoteHost();
    void onConStatusChanged(P2PClientMsg::ConStatus status) override;
    // Gives up the connection and shows text as the host's state.
    void setHostInvalid(const QString &text);
    // Ends every wait and gives the connection up, before the browser goes away.
    void shutDown();

    // ---- Answers -----------------------------------------------------------------------------
    void onShareInfoBack(const std::optional<LenientJson> &answer);
    void onFileCountBack(const std::optional<LenientJson> &answer);
    void onFileListBack(const std::optional<LenientJson> &answer);
    void onIconBack(const std::optional<LenientJson> &answer);
    void onCheckHostBack(const std::optional<LenientJson> &answer);
    // The size of a one-file share's file.
    void onFileCheckBack(const std::optional<LenientJson> &answer);
    void onDeleteBack(const std::optional<LenientJson> &answer);

    // ---- What the user does ------------------------------------------------------------------
    // Opens the folder of row (nothing for a file).
    void openFolder(int row);
    void goUp();
    bool goToPage(qint64 pageIndex);
    // Lists the current folder again, staying on its page.
    void refresh();
    // Deletes the selected entries after the user's confirmation.
    void requestDelete();
    void openDownload();
    void openUpload();
    // A refused share: asks for the access code again and connects with it; a code that works
    // is stored with the host.
    void askAccessCode();
    void retryWithAccessCode(const QString &code);

    // The one-second tick: the host check and the waits that ran out.
    void onTimerTick();

    // ---- What the browser shows --------------------------------------------------------------
    std::optional<P2PClientMsg::ConStatus> conStatus() const { return m_conStatus; }
    bool isConnecting() const { return m_isConnecting; }
    bool isConnected() const { return m_share.has_value() && !m_isInvalid; }
    bool isHostInvalid() const { return m_isInvalid; }
    // Failed only because the service could not be reached; connects again once it can.
    bool isWaitingForService() const { return m_waitingForService; }
    bool isLoading() const { return m_waiting == Waiting::Listing; }
    // The host's state as shown under its name.
    QString hostStateText() const { return m_hostState; }
    // The message shown instead of the list ("" while the list shows).
    QString listMessage() const;
    const std::optional<RemoteShareInfo> &shareInfo() const { return m_share; }
    const RemoteFolderPath &folder() const { return m_folder; }
    const RemoteFilePaging &paging() const { return m_paging; }
    const QList<FileItem> &items() const { return m_items; }
    QString pageText() const;

    RemoteFileTable *table() const { return m_table; }
    // The one-second tick's timer (tests stop it and drive onTimerTick themselves).
    QTimer *tickTimer() const { return m_tick; }
    ToastOverlay *toast() const { return m_toast; }
    DialogConfirmView *confirmDialog() const { return m_confirm; }
    DialogInputView *accessCodeDialog() const { return m_input; }
    ViewSharingRemoteDownload *downloadSheet() const;
    ViewSharingRemoteUpload *uploadSheet() const;

Q_SIGNALS:
    // The user wants back to the list of hosts.
    void closeRequested();

private:
    enum class Waiting { None, Connect, ShareInfo, Listing, Delete };

    void buildLayout();
    QToolButton *makeToolButton(const QString &symbol, const QString &label, const QString &objectName);

    template <class Handler>
    AnswerCallback whileCurrent(quint64 ViewSharingRemoteFileList::*ticket, Handler handler);
    void wait(Waiting what);
    void waitRanOut();

    void loadFolder(bool keepPage);
    void requestPage();
    void listingFailed(const QString &text);
    void showItems(const QList<FileItem> &items);
    void pumpIcons();
    void sendCheckHost();
    void hostGone();
    // Shows that the service is being restored and notes where the user was, to come back there.
    void waitForService();
    void onServiceChanged();
    void sendDelete(const QStringList &paths);
    QStringList selectedPaths() const;
    void showToast(const QString &text, std::optional<bool> result = std::nullopt);

    void showState();
    void updateActions();
    // While the browser waits (for an answer, or for the lost service to come back), the controls
    // that wait with it are off. Turning off the control that has the keyboard would pass it to
    // the window's next control (the banner's badge), so the browser holds it meanwhile and gives
    // it back when the page is in again: to that control while it is on, else to the list.
    bool controlsWait() const;
    void holdFocusWhileBusy();
    void returnHeldFocus();

    RemoteSharing m_host;

    // Connection and share.
    std::optional<P2PClientMsg::ConStatus> m_conStatus;
    bool m_isConnecting = false;
    bool m_isInvalid = false;
    bool m_isShut = false;
    // The peer refused the share: no such tag, or a wrong access code.
    bool m_isCodeRefused = false;
    // The access code was typed again; stored with the host once it works.
    bool m_isCodeNew = false;
    QString m_hostState;
    std::optional<RemoteShareInfo> m_share;
    std::optional<QString> m_firstCTime;

    // Where the user was when the service was lost.
    struct Place {
        RemoteFolderPath folder;
        QList<qint64> parentPages;
        qint64 page = 1;
    };
    bool m_waitingForService = false;
    std::optional<Place> m_resumeAt;

    // Folder and page.
    RemoteFolderPath m_folder;
    RemoteFilePaging m_paging;
    QList<qint64> m_parentPages;
    std::optional<qint64> m_pageToRestore;
    QList<FileItem> m_items;
    QString m_listError;
    QStringList m_deletedPaths;

    // Waits. Each ticket names the current request of its kind; a new request or a wait that ran
    // out moves it on, and an answer carrying an older ticket is ignored.
    Waiting m_waiting = Waiting::None;
    qint64 m_waitingSince = 0;
    quint64 m_connectTicket = 0;
    quint64 m_listTicket = 0;
    quint64 m_iconTicket = 0;
    quint64 m_checkTicket = 0;
    QList<int> m_iconQueue;
    int m_iconRow = -1;
    qint64 m_iconSince = 0;
    bool m_checkPending = false;
    qint64 m_checkSince = 0;

    // The control that had the keyboard when the browser started waiting.
    QPointer<QWidget> m_focusBeforeWait;
    bool m_holdsFocus = false;

    // Widgets.
    QToolButton *m_back = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_state = nullptr;
    QToolButton *m_up = nullptr;
    ElidedLabel *m_path = nullptr;
    QToolButton *m_refresh = nullptr;
    QToolButton *m_downloadButton = nullptr;
    QToolButton *m_uploadButton = nullptr;
    QToolButton *m_deleteButton = nullptr;
    QStackedWidget *m_body = nullptr;
    RemoteFileTable *m_table = nullptr;
    QLabel *m_message = nullptr;
    DialogLoadingSetting *m_loadingSetting = nullptr;
    DialogLoading *m_loading = nullptr;
    QPushButton *m_messageRetry = nullptr;
    QPushButton *m_enterCode = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QLabel *m_pageLabel = nullptr;
    QTimer *m_tick = nullptr;
    DialogConfirmSetting *m_confirmSetting = nullptr;
    DialogConfirmView *m_confirm = nullptr;
    DialogInput_Setting *m_inputSetting = nullptr;
    DialogInputView *m_input = nullptr;
    ToastOverlay *m_toast = nullptr;
    QPointer<ViewSharingRemoteDownload> m_download;
    QPointer<ViewSharingRemoteUpload> m_upload;
};
