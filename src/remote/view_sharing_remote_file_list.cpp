#include "view_sharing_remote_file_list.h"

#include "alert_toast.h"
#include "bridge_link.h"
#include "clock.h"
#include "console.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "env.h"
#include "link_status.h"
#include "localization.h"
#include "p2p_requests_to_peers.h"
#include "remote_file_table.h"
#include "session_state.h"
#include "toast_overlay.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_upload.h"

#include <QTimer>

using P2PClientMsg::ConStatus;

ViewSharingRemoteFileList::ViewSharingRemoteFileList(const RemoteSharing &host, QWidget *parent)
    : QWidget(parent), m_host(host)
{
    setObjectName(QStringLiteral("viewSharingRemoteFileList"));
    buildLayout();
    m_tick = new QTimer(this);
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, &ViewSharingRemoteFileList::onTimerTick);
    m_tick->start();
    connect(&LinkStatus::notifier(), &LinkStatus::Notifier::changed, this, &ViewSharingRemoteFileList::onServiceChanged);
    showState();
}

ViewSharingRemoteFileList::~ViewSharingRemoteFileList()
{
    shutDown();
}

template <class Handler>
AnswerCallback ViewSharingRemoteFileList::whileCurrent(quint64 ViewSharingRemoteFileList::*ticket, Handler handler)
{
    QPointer<ViewSharingRemoteFileList> self(this);
    const quint64 expected = this->*ticket;
    return [self, ticket, expected, handler](const std::optional<LenientJson> &answer) {
        if (!self || self->m_isShut || self.data()->*ticket != expected)
            return;
        (self.data()->*handler)(answer);
    };
}

// ---- The connection -------------------------------------------------------------------------

void ViewSharingRemoteFileList::ConnectRemoteHost()
{
    if (m_isConnecting || m_isShut)
        return;
    ++m_connectTicket;
    ++m_listTicket;
    ++m_iconTicket;
    ++m_checkTicket;
    m_conStatus.reset();
    m_share.reset();
    m_isCodeRefused = false;
    m_firstCTime.reset();
    m_checkPending = false;
    m_isInvalid = false;
    m_waitingForService = false;
    m_items.clear();
    m_table->setItems({});
    m_listError.clear();
    if (Env::userInfo.Token.isEmpty()) {
        setHostInvalid(localizedString(QStringLiteral("RS_SignInFirst")));
        return;
    }
    if (!LinkStatus::isServiceReady()) {
        waitForService();
        return;
    }
    m_isConnecting = true;
    m_hostState = localizedString(QStringLiteral("RS_Connecting"));
    HelperRemoteSharing::globalFileListView = this;
    HelperRemoteSharing::linkOwner = 1;
    wait(Waiting::Connect);
    showState();
    const ClientInitJson init{Env::userInfo.Token, m_host.hostname, m_host.hosttag, m_host.password};
    BridgeLink::sendToBridge(QString::fromLatin1(FrameCode::ClientInit), QelJSON::toJSONString(init));
}

void ViewSharingRemoteFileList::onConStatusChanged(ConStatus status)
{
    if (m_isShut)
        return;
    m_conStatus = status;
    switch (status) {
    case ConStatus::csConnected:
        // Only the attempt this browser is making goes on to the share.
        if (!m_isConnecting)
            return;
        wait(Waiting::ShareInfo);
        PeerRequestSenders::getShareInfo(m_host.hosttag, m_host.password,
                                         whileCurrent(&ViewSharingRemoteFileList::m_connectTicket,
                                                      &ViewSharingRemoteFileList::onShareInfoBack));
        break;
    case ConStatus::csMaxClients:
        setHostInvalid(QStringLiteral("Max Connection Limits Reached!"));
        break;
    case ConStatus::csInvalid:
        setHostInvalid(localizedString(QStringLiteral("RS_Host_NotAvialableAndCheck")));
        break;
    }
}

void ViewSharingRemoteFileList::setHostInvalid(const QString &stateText)
{
    HelperRemoteSharing::linkOwner = 0;
    ++m_connectTicket;
    ++m_listTicket;
    ++m_iconTicket;
    ++m_checkTicket;
    m_isConnecting = false;
    m_isInvalid = true;
    m_waiting = Waiting::None;
    m_checkPending = false;
    m_iconRow = -1;
    m_iconQueue.clear();
    m_share.reset();
    m_hostState = stateText;
    Console::printLine(QStringLiteral("Remote host not available - ") + m_host.hostname + QStringLiteral(" - ")
                       + stateText);
    showState();
}

void ViewSharingRemoteFileList::waitForService()
{
    if (isConnected() && !m_resumeAt)
        m_resumeAt = Place{m_folder, m_parentPages, m_pageToRestore.value_or(m_paging.pageIndex())};
    // Set first: the controls go off with the state shown, and the browser keeps the keyboard.
    m_waitingForService = true;
    setHostInvalid(localizedString(QStringLiteral("RS_ServiceRestoring")));
}

void ViewSharingRemoteFileList::onServiceChanged()
{
    if (m_isShut)
        return;
    if (!LinkStatus::isServiceReady()) {
        if (m_isConnecting || isConnected())
            waitForService();
        return;
    }
    if (m_waitingForService)
        ConnectRemoteHost();
}

void ViewSharingRemoteFileList::shutDown()
{
    if (m_isShut)
        return;
    m_isShut = true;
    m_isConnecting = false;
    m_waiting = Waiting::None;
    if (m_tick)
        m_tick->stop();
    if (HelperRemoteSharing::globalFileListView == this) {
        HelperRemoteSharing::globalFileListView = nullptr;
        if (HelperRemoteSharing::linkOwner == 1)
            HelperRemoteSharing::linkOwner = 0;
    }
}

void ViewSharingRemoteFileList::wait(Waiting what)
{
    m_waiting = what;
    m_waitingSince = Clock::nowMs();
}

void ViewSharingRemoteFileList::onTimerTick()
{
    if (m_isShut)
        return;
    const qint64 now = Clock::nowMs();
    if (m_waiting != Waiting::None && now - m_waitingSince >= answerTimeoutMs)
        waitRanOut();
    if (m_iconRow >= 0 && now - m_iconSince >= iconTimeoutMs) {
        ++m_iconTicket;
        m_iconRow = -1;
        pumpIcons();
    }
    if (!isConnected())
        return;
    if (m_checkPending) {
        if (now - m_checkSince >= checkHostTimeoutMs)
            hostGone();
        return;
    }
    sendCheckHost();
}

void ViewSharingRemoteFileList::waitRanOut()
{
    const Waiting what = m_waiting;
    m_waiting = Waiting::None;
    switch (what) {
    case Waiting::None:
        break;
    case Waiting::Connect:
    case Waiting::ShareInfo:
        setHostInvalid(localizedString(QStringLiteral("RS_NoAnswer")));
        break;
    case Waiting::Listing:
        listingFailed(localizedString(QStringLiteral("RS_ListNoAnswer")));
        break;
    case Waiting::Delete:
        // The list shows what is left, answer or not.
        refresh();
        break;
    }
}

void ViewSharingRemoteFileList::onShareInfoBack(const std::optional<LenientJson> &answer)
{
    m_waiting = Waiting::None;
    if (!answer) {
        setHostInvalid(localizedString(QStringLiteral("RS_NoAnswer")));
        return;
    }
    const std::optional<Place> resumeAt = std::exchange(m_resumeAt, std::nullopt);
    const std::optional<RemoteShareInfo> share = RemoteShareInfo::fromAnswer(*answer);
    if (!share) {
        // The peer does not say whether the tag or the code was wrong: the code can be typed again.
        m_isCodeRefused = true;
        setHostInvalid(localizedString(QStringLiteral("RS_ShareRefused")));
        return;
    }
    if (!share->isenabled) {
        setHostInvalid(localizedString(QStringLiteral("RS_ShareDisabled")));
        return;
    }
    m_isConnecting = false;
    m_share = share;
    if (std::exchange(m_isCodeNew, false) && !m_host.hostid.isEmpty() && !RemoteSharing_Update(m_host))
        showToast(localizedString(QStringLiteral("Sys_Update_Failed")), false);
    m_hostState = localizedString(QStringLiteral("RS_Connected"));
    m_folder.setRoot(share->path);
    m_parentPages.clear();
    m_pageToRestore.reset();
    // Back where the user was before the service was lost, when the share is still rooted there.
    if (resumeAt && share->isdir && resumeAt->folder.root() == m_folder.root()) {
        m_folder = resumeAt->folder;
        m_parentPages = resumeAt->parentPages;
        m_pageToRestore = resumeAt->page;
    }
    if (!share->isdir) {
        // A share of one file: its one row, nothing to page through. The share's answer gives
        // neither size nor time: the size is asked for, the time stays unknown.
        FileItem item;
        item.fullPath = share->path;
        item.name = RemoteFileTable::nameText(item);
        item.ext = remoteExtension(item.name);
        item.size = -1;
        m_paging.reset();
        m_paging.setTotal(1);
        showItems({item});
        showState();
        PeerRequestSenders::fileDownloadCheck(item.fullPath, whileCurrent(&ViewSharingRemoteFileList::m_listTicket,
                                                                          &ViewSharingRemoteFileList::onFileCheckBack));
        return;
    }
    showState();
    loadFolder(false);
}

void ViewSharingRemoteFileList::sendCheckHost()
{
    m_checkPending = true;
    m_checkSince = Clock::nowMs();
    PeerRequestSenders::checkHost(m_host.hosttag, whileCurrent(&ViewSharingRemoteFileList::m_checkTicket,
                                                               &ViewSharingRemoteFileList::onCheckHostBack));
}

void ViewSharingRemoteFileList::onCheckHostBack(const std::optional<LenientJson> &answer)
{
    m_checkPending = false;
    const QString ctime = answer ? (*answer)["data"].stringValue() : QString();
    // No answer, no share, or a share made anew under the same tag: the host as it was is gone.
    if (ctime.isEmpty() || (m_firstCTime && *m_firstCTime != ctime)) {
        hostGone();
        return;
    }
    if (!m_firstCTime)
        m_firstCTime = ctime;
}

void ViewSharingRemoteFileList::hostGone()
{
    setHostInvalid(localizedString(QStringLiteral("RS_Host_NotAvialableAndCheck")));
}

// ---- Folders and pages ----------------------------------------------------------------------

void ViewSharingRemoteFileList::loadFolder(bool keepPage)
{
    if (!isConnected() || !m_share->isdir)
        return;
    ++m_listTicket;
    ++m_iconTicket;
    m_iconRow = -1;
    m_iconQueue.clear();
    m_listError.clear();
    if (!keepPage)
        m_paging.reset();
    wait(Waiting::Listing);
    showState();
    PeerRequestSenders::getFileCount(m_folder.current(), whileCurrent(&ViewSharingRemoteFileList::m_listTicket,
                                                                      &ViewSharingRemoteFileList::onFileCountBack));
}

void ViewSharingRemoteFileList::onFileCountBack(const std::optional<LenientJson> &answer)
{
    if (!answer) {
        listingFailed(localizedString(QStringLiteral("RS_ListNoAnswer")));
        return;
    }
    m_paging.setTotal((*answer)["index"].int64Value());
    if (m_pageToRestore) {
        m_paging.goTo(*m_pageToRestore);
        m_pageToRestore.reset();
    }
    requestPage();
}

void ViewSharingRemoteFileList::requestPage()
{
    ++m_listTicket;
    ++m_iconTicket;
    m_iconRow = -1;
    m_iconQueue.clear();
    wait(Waiting::Listing);
    showState();
    PeerRequestSenders::getFileListPage(m_folder.current(), int(m_paging.pageIndex()), m_paging.pageSize(),
                                        whileCurrent(&ViewSharingRemoteFileList::m_listTicket,
                                                     &ViewSharingRemoteFileList::onFileListBack));
}

void ViewSharingRemoteFileList::onFileListBack(const std::optional<LenientJson> &answer)
{
    m_waiting = Waiting::None;
    if (!answer) {
        listingFailed(localizedString(QStringLiteral("RS_ListNoAnswer")));
        return;
    }
    const qint64 asked = m_paging.pageIndex();
    m_paging.setPageInfo((*answer)["sPageInfo"].stringValue());
    const QList<FileItem> items = remoteFileItems(*answer);
    // The folder shrank between the count and the page: ask for its last page instead.
    if (items.isEmpty() && m_paging.total() > 0 && m_paging.pageIndex() != asked) {
        requestPage();
        return;
    }
    showItems(items);
    const QStringList deleted = std::exchange(m_deletedPaths, {});
    if (!deleted.isEmpty()) {
        qsizetype left = 0;
        for (const FileItem &item : m_items)
            left += deleted.contains(item.fullPath) ? 1 : 0;
        if (left == 0)
            showToast(localizedString(QStringLiteral("RS_Deleted")), true);
        else
            showToast(localizedString(QStringLiteral("RS_DeleteFailed")).arg(left), false);
    }
}

void ViewSharingRemoteFileList::onFileCheckBack(const std::optional<LenientJson> &answer)
{
    const std::optional<qint64> size = answer ? remoteFileSize(*answer) : std::nullopt;
    if (!size || m_items.size() != 1)
        return;
    m_items[0].size = *size;
    m_table->setSize(0, m_items[0]);
}

void ViewSharingRemoteFileList::listingFailed(const QString &message)
{
    ++m_listTicket;
    ++m_iconTicket;
    m_iconRow = -1;
    m_iconQueue.clear();
    m_waiting = Waiting::None;
    m_listError = message;
    m_deletedPaths.clear();
    showState();
}

void ViewSharingRemoteFileList::showItems(const QList<FileItem> &items)
{
    m_items = items;
    m_listError.clear();
    m_table->setItems(m_items);
    m_table->scrollToTop();
    for (int row = 0; row < m_items.size(); ++row) {
        if (hasThumbnailExtension(m_items.at(row)))
            m_iconQueue.append(row);
    }
    showState();
    pumpIcons();
}

void ViewSharingRemoteFileList::pumpIcons()
{
    if (m_iconRow >= 0 || m_iconQueue.isEmpty() || !isConnected())
        return;
    m_iconRow = m_iconQueue.takeFirst();
    m_iconSince = Clock::nowMs();
    PeerRequestSenders::buildIcon2(m_items.at(m_iconRow).fullPath, m_iconRow,
                                   whileCurrent(&ViewSharingRemoteFileList::m_iconTicket,
                                                &ViewSharingRemoteFileList::onIconBack));
}

void ViewSharingRemoteFileList::onIconBack(const std::optional<LenientJson> &answer)
{
    m_iconRow = -1;
    if (answer) {
        for (const RemoteIcon &icon : remoteIcons(*answer)) {
            // The row must still hold the file the icon was drawn from.
            if (icon.index < 0 || icon.index >= m_items.size() || m_items.at(int(icon.index)).fullPath != icon.fullPath)
                continue;
            m_table->setThumbnail(int(icon.index), icon.png);
        }
    }
    pumpIcons();
}

void ViewSharingRemoteFileList::openFolder(int row)
{
    if (!isConnected() || row < 0 || row >= m_items.size() || !m_items.at(row).isDir)
        return;
    const qint64 page = m_paging.pageIndex();
    if (!m_folder.enter(m_items.at(row).fullPath))
        return;
    m_parentPages.append(page);
    m_pageToRestore.reset();
    loadFolder(false);
}

void ViewSharingRemoteFileList::goUp()
{
    if (!isConnected() || !m_folder.up())
        return;
    // Back on the page the folder was opened from.
    m_pageToRestore = m_parentPages.isEmpty() ? std::optional<qint64>() : m_parentPages.takeLast();
    loadFolder(false);
}

bool ViewSharingRemoteFileList::goToPage(qint64 pageIndex)
{
    if (!isConnected() || !m_share->isdir || pageIndex == m_paging.pageIndex() || !m_paging.goTo(pageIndex))
        return false;
    requestPage();
    return true;
}

void ViewSharingRemoteFileList::refresh()
{
    if (!isConnected())
        return;
    m_pageToRestore = m_paging.pageIndex();
    loadFolder(true);
}

// ---- Delete, download, upload ---------------------------------------------------------------

QStringList ViewSharingRemoteFileList::selectedPaths() const
{
    QStringList paths;
    for (const int row : m_table->selectedRows()) {
        if (row >= 0 && row < m_items.size())
            paths.append(m_items.at(row).fullPath);
    }
    return paths;
}

void ViewSharingRemoteFileList::requestDelete()
{
    const QStringList paths = selectedPaths();
    if (!isConnected() || paths.isEmpty())
        return;
    if (!m_share->isfiledel) {
        showToast(localizedString(QStringLiteral("RS_NoDeleteRight")), false);
        return;
    }
    // The first few names and how many more, so that the user sees what goes.
    constexpr int namesShown = 3;
    QStringList names;
    for (const int row : m_table->selectedRows().mid(0, namesShown))
        names << RemoteFileTable::nameText(m_items.at(row));
    QString what = names.join(QStringLiteral(", "));
    if (paths.size() > namesShown)
        what = localizedString(QStringLiteral("RS_AndMore")).arg(what).arg(paths.size() - namesShown);
    m_confirmSetting->setTitle(localizedString(QStringLiteral("RS_DeleteFiles")));
    m_confirmSetting->setInfo(localizedString(QStringLiteral("RS_DeleteFilesInfo")).arg(what));
    m_confirmSetting->setIsBtnOK(true);
    m_confirmSetting->setIsBtnCancel(true);
    QPointer<ViewSharingRemoteFileList> self(this);
    m_confirmSetting->setOkAction([self, paths] {
        if (self && !self->m_isShut)
            self->sendDelete(paths);
    });
    m_confirmSetting->setCancelAction({});
    m_confirm->open();
}

void ViewSharingRemoteFileList::sendDelete(const QStringList &paths)
{
    if (!isConnected())
        return;
    ++m_listTicket;
    m_deletedPaths = paths;
    wait(Waiting::Delete);
    showState();
    PeerRequestSenders::deleteFiles(paths, whileCurrent(&ViewSharingRemoteFileList::m_listTicket,
                                                        &ViewSharingRemoteFileList::onDeleteBack));
}

void ViewSharingRemoteFileList::onDeleteBack(const std::optional<LenientJson> &answer)
{
    Q_UNUSED(answer);
    m_waiting = Waiting::None;
    // The answer says nothing of what was removed: the list shows what is left, and the entries
    // still listed are reported as not deleted.
    refresh();
}

void ViewSharingRemoteFileList::openDownload()
{
    const QStringList paths = selectedPaths();
    if (!isConnected() || paths.isEmpty() || m_download || m_upload)
        return;
    if (!m_share->isdownload) {
        showToast(localizedString(QStringLiteral("RS_NoDownloadRight")), false);
        return;
    }
    m_download = new ViewSharingRemoteDownload(paths, this);
    m_download->setAttribute(Qt::WA_DeleteOnClose);
    m_download->open();
}

void ViewSharingRemoteFileList::openUpload()
{
    if (!isConnected() || m_download || m_upload)
        return;
    if (!m_share->isupload || !m_share->isdir) {
        showToast(localizedString(QStringLiteral("RS_NoUploadRight")), false);
        return;
    }
    m_upload = new ViewSharingRemoteUpload(m_folder.current(), m_folder.displayText(), this);
    m_upload->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_upload, &ViewSharingRemoteUpload::transferEnded, this, [this](RemoteSharingDownloadStatus status) {
        if (status == RemoteSharingDownloadStatus::dsFinished)
            refresh();
    });
    m_upload->open();
}

void ViewSharingRemoteFileList::askAccessCode()
{
    if (m_isShut || m_isConnecting)
        return;
    QPointer<ViewSharingRemoteFileList> self(this);
    // The rule of the host editor's access code field: no spaces, at most 50 characters.
    m_inputSetting->configure(localizedString(QStringLiteral("LS_AccessCode")), m_host.password,
                              [self] {
                                  if (self)
                                      self->retryWithAccessCode(self->m_inputSetting->value());
                              },
                              0, 50, DialogInput_Setting_ValidType::dsvNone, true);
    m_inputSetting->setTips(localizedString(QStringLiteral("RS_EnterAccessCodeTips")).arg(m_host.displayName()));
    m_input->open();
}

void ViewSharingRemoteFileList::retryWithAccessCode(const QString &code)
{
    const QString entered = code.trimmed();
    RemoteSharing edited = m_host;
    edited.password = entered;
    if (checkRemoteHost(edited) == RemoteHostProblem::PasswordInvalid) {
        showToast(remoteHostProblemText(RemoteHostProblem::PasswordInvalid), false);
        return;
    }
    m_host.password = entered;
    m_isCodeNew = true;
    ConnectRemoteHost();
}

ViewSharingRemoteDownload *ViewSharingRemoteFileList::downloadSheet() const
{
    return m_download;
}

ViewSharingRemoteUpload *ViewSharingRemoteFileList::uploadSheet() const
{
    return m_upload;
}

void ViewSharingRemoteFileList::showToast(const QString &message, std::optional<bool> result)
{
    m_toast->present(result ? AlertToast::result(*result, message) : AlertToast::notice(message));
}
