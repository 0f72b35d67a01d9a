// The widgets of the remote file browser and how they show its state.

#include "view_sharing_remote_file_list.h"

#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "elided_label.h"
#include "focus_return.h"
#include "localization.h"
#include "remote_file_table.h"
#include "remote_symbols.h"
#include "symbol_button.h"
#include "theme.h"
#include "toast_overlay.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("color: #dfe5eb; background: #dfe5eb;"));
    return line;
}

} // namespace

QToolButton *ViewSharingRemoteFileList::makeToolButton(const QString &symbol, const QString &label,
                                                      const QString &objectName)
{
    // Reached with Tab and pressed with Space or Return like every button; a button with a label
    // needs no tooltip to say what it does, an icon alone gets one from its caller.
    auto *button = new SymbolButton(symbol, Theme::color(QStringLiteral("ColorMain0")), QString(), this);
    button->setObjectName(objectName);
    button->setText(label);
    button->setToolButtonStyle(label.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    button->setFont(Theme::font(13));
    return button;
}

void ViewSharingRemoteFileList::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 10);
    layout->setSpacing(8);

    // The host: back to the list, its name and its state.
    auto *header = new QHBoxLayout;
    header->setSpacing(10);
    m_back = makeToolButton(QStringLiteral("chevron.left"), localizedString(QStringLiteral("RS_Hosts")), QStringLiteral("backButton"));
    connect(m_back, &QToolButton::clicked, this, &ViewSharingRemoteFileList::closeRequested);
    auto *hostIcon = new QLabel(this);
    hostIcon->setPixmap(Theme::symbolPixmap(QStringLiteral("desktopcomputer"), QSize(26, 26),
                                            Theme::color(QStringLiteral("ColorMain0")), devicePixelRatioF()));
    auto *names = new QVBoxLayout;
    names->setSpacing(0);
    m_title = new QLabel(m_host.displayName(), this);
    m_title->setObjectName(QStringLiteral("hostTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(Theme::font(15, QFont::DemiBold));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("hostState"));
    m_state->setTextFormat(Qt::PlainText);
    m_state->setFont(Theme::font(12));
    m_state->setWordWrap(true);
    names->addWidget(m_title);
    names->addWidget(m_state);
    header->addWidget(m_back);
    header->addSpacing(4);
    header->addWidget(hostIcon);
    header->addLayout(names, 1);
    layout->addLayout(header);
    layout->addWidget(divider(this));

    // Where in the share, and what can be done there.
    auto *tools = new QHBoxLayout;
    tools->setSpacing(4);
    m_up = makeToolButton(QStringLiteral("arrow.up.circle.fill"), QString(), QStringLiteral("upButton"));
    m_up->setToolTip(localizedString(QStringLiteral("RS_Up")));
    connect(m_up, &QToolButton::clicked, this, &ViewSharingRemoteFileList::goUp);
    m_path = new ElidedLabel(this);
    m_path->setObjectName(QStringLiteral("pathLabel"));
    m_path->setFont(Theme::font(13, QFont::DemiBold));
    m_refresh = makeToolButton(QStringLiteral("arrow.clockwise"), QString(), QStringLiteral("refreshButton"));
    m_refresh->setToolTip(localizedString(QStringLiteral("RS_Refresh")));
    connect(m_refresh, &QToolButton::clicked, this, &ViewSharingRemoteFileList::refresh);
    m_downloadButton = makeToolButton(QStringLiteral("arrow.down.circle.fill"), localizedString(QStringLiteral("LS_Download")),
                                      QStringLiteral("downloadButton"));
    connect(m_downloadButton, &QToolButton::clicked, this, &ViewSharingRemoteFileList::openDownload);
    m_uploadButton = makeToolButton(QStringLiteral("arrow.up.circle.fill"), localizedString(QStringLiteral("LS_Upload")),
                                    QStringLiteral("uploadButton"));
    connect(m_uploadButton, &QToolButton::clicked, this, &ViewSharingRemoteFileList::openUpload);
    m_deleteButton = makeToolButton(QStringLiteral("trash.fill"), localizedString(QStringLiteral("LS_Delete")), QStringLiteral("deleteButton"));
    m_deleteButton->setIcon(Theme::icon(QStringLiteral("trash.fill"), Theme::color(QStringLiteral("btnRed"))));
    connect(m_deleteButton, &QToolButton::clicked, this, &ViewSharingRemoteFileList::requestDelete);
    tools->addWidget(m_up);
    tools->addWidget(m_path, 1);
    tools->addWidget(m_refresh);
    tools->addSpacing(8);
    tools->addWidget(m_downloadButton);
    tools->addWidget(m_uploadButton);
    tools->addWidget(m_deleteButton);
    layout->addLayout(tools);

    // The list, or what stands in its place.
    m_body = new QStackedWidget(this);
    m_table = new RemoteFileTable(m_body);
    connect(m_table, &RemoteFileTable::rowActivated, this, &ViewSharingRemoteFileList::openFolder);
    connect(m_table, &QTreeWidget::itemSelectionChanged, this, &ViewSharingRemoteFileList::updateActions);
    // Delete in the list asks to delete what is selected, as the Delete button does.
    auto *deleteKey = new QShortcut(QKeySequence::Delete, m_table, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(deleteKey, &QShortcut::activated, this, &ViewSharingRemoteFileList::requestDelete);
    auto *panel = new QWidget(m_body);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addStretch(1);
    m_loadingSetting = new DialogLoadingSetting(QString(), this);
    m_loadingSetting->setMaxWaiting(int(answerTimeoutMs / 1000) + 5);
    m_loading = new DialogLoading(m_loadingSetting, panel);
    m_loading->setHidesAtLimit(false);
    m_message = new QLabel(panel);
    m_message->setObjectName(QStringLiteral("listMessage"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setFont(Theme::font(14));
    m_messageRetry = new QPushButton(localizedString(QStringLiteral("RS_Retry")), panel);
    m_messageRetry->setObjectName(QStringLiteral("retryButton"));
    connect(m_messageRetry, &QPushButton::clicked, this, [this] {
        if (m_isInvalid)
            ConnectRemoteHost();
        else
            refresh();
    });
    panelLayout->addWidget(m_loading, 0, Qt::AlignHCenter);
    panelLayout->addWidget(m_message);
    panelLayout->addSpacing(8);
    m_enterCode = new QPushButton(Theme::icon(QStringLiteral("lock.square"), Theme::color(QStringLiteral("ColorMain0"))),
                                  localizedString(QStringLiteral("RS_EnterAccessCode")), panel);
    m_enterCode->setObjectName(QStringLiteral("enterCodeButton"));
    connect(m_enterCode, &QPushButton::clicked, this, &ViewSharingRemoteFileList::askAccessCode);
    auto *panelButtons = new QHBoxLayout;
    panelButtons->addStretch(1);
    panelButtons->addWidget(m_enterCode);
    panelButtons->addWidget(m_messageRetry);
    panelButtons->addStretch(1);
    panelLayout->addLayout(panelButtons);
    panelLayout->addStretch(2);
    m_body->addWidget(m_table);
    m_body->addWidget(panel);
    m_body->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_body, 1);

    // Pages.
    auto *pages = new QHBoxLayout;
    m_previous = new QPushButton(localizedString(QStringLiteral("RS_Previous")), this);
    m_previous->setObjectName(QStringLiteral("previousButton"));
    m_next = new QPushButton(localizedString(QStringLiteral("RS_Next")), this);
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_pageLabel->setAlignment(Qt::AlignCenter);
    m_pageLabel->setFont(Theme::font(12));
    setTextColor(m_pageLabel, Theme::color(QStringLiteral("gray")));
    connect(m_previous, &QPushButton::clicked, this, [this] { goToPage(m_paging.pageIndex() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { goToPage(m_paging.pageIndex() + 1); });
    pages->addWidget(m_previous);
    pages->addWidget(m_pageLabel, 1);
    pages->addWidget(m_next);
    layout->addLayout(pages);

    m_confirmSetting = new DialogConfirmSetting(this);
    m_confirm = new DialogConfirmView(m_confirmSetting, this);
    m_inputSetting = new DialogInput_Setting(this);
    m_input = new DialogInputView(m_inputSetting, true, this);
    m_input->setObjectName(QStringLiteral("accessCodeDialog"));
    m_toast = new ToastOverlay(this, ToastOverlay::kMainWindowDuration);
}

QString ViewSharingRemoteFileList::listMessage() const
{
    if (m_isInvalid)
        return m_hostState;
    if (m_isConnecting)
        return localizedString(QStringLiteral("RS_Connecting"));
    if (!m_listError.isEmpty())
        return m_listError;
    if (m_items.isEmpty())
        return m_waiting == Waiting::Listing ? localizedString(QStringLiteral("Sys_Loading")) : localizedString(QStringLiteral("RS_EmptyFolder"));
    return {};
}

QString ViewSharingRemoteFileList::pageText() const
{
    if (!isConnected() || m_paging.total() == 0)
        return {};
    return localizedString(QStringLiteral("RS_PageInfo"))
        .arg(m_paging.pageIndex())
        .arg(m_paging.pageCount())
        .arg(m_paging.firstRow())
        .arg(m_paging.lastRow())
        .arg(m_paging.total());
}

void ViewSharingRemoteFileList::showState()
{
    holdFocusWhileBusy();
    m_state->setText(m_hostState);
    QColor stateColor = Theme::color(QStringLiteral("gray"));
    if (m_isInvalid)
        stateColor = Theme::color(QStringLiteral("red"));
    else if (isConnected())
        stateColor = Theme::color(QStringLiteral("green"));
    setTextColor(m_state, stateColor);

    const QString message = listMessage();
    const bool busy = m_isConnecting || (m_waiting == Waiting::Listing && m_items.isEmpty());
    m_message->setText(message);
    m_loading->setVisible(busy);
    m_messageRetry->setVisible(m_isInvalid || !m_listError.isEmpty());
    m_enterCode->setVisible(m_isInvalid && m_isCodeRefused);
    m_body->setCurrentIndex(message.isEmpty() ? 0 : 1);
    m_table->setEnabled(m_waiting != Waiting::Listing && m_waiting != Waiting::Delete);

    m_path->setFullText(isConnected() ? m_folder.displayText() : QString());
    m_pageLabel->setText(m_waiting == Waiting::Listing && !m_items.isEmpty() ? localizedString(QStringLiteral("Sys_Loading")) : pageText());
    updateActions();
    returnHeldFocus();
}

bool ViewSharingRemoteFileList::controlsWait() const
{
    return m_isConnecting || m_waiting != Waiting::None || m_waitingForService;
}

void ViewSharingRemoteFileList::holdFocusWhileBusy()
{
    if (!controlsWait())
        return;
    // The back button is never turned off.
    QWidget *focused = window()->focusWidget();
    if (!focused || focused == this || focused == m_back || !isAncestorOf(focused))
        return;
    m_focusBeforeWait = focused;
    m_holdsFocus = true;
    setFocus(Qt::OtherFocusReason);
}

void ViewSharingRemoteFileList::returnHeldFocus()
{
    if (!m_holdsFocus || controlsWait())
        return;
    m_holdsFocus = false;
    // Moved on by the user meanwhile.
    if (window()->focusWidget() != this)
        return;
    if (FocusReturn::canTake(m_focusBeforeWait))
        m_focusBeforeWait->setFocus(Qt::OtherFocusReason);
    else if (FocusReturn::canTake(m_table))
        m_table->setFocus(Qt::OtherFocusReason);
    else
        FocusReturn::toFirstControl(this);
}

void ViewSharingRemoteFileList::updateActions()
{
    const bool ready = isConnected() && m_waiting == Waiting::None;
    const bool chosen = ready && !m_table->selectedRows().isEmpty();
    m_up->setEnabled(ready && !m_folder.isAtRoot());
    m_refresh->setEnabled(ready && m_share->isdir);
    // What the share does not allow is off from the start, and its tooltip says why.
    const bool mayDownload = isConnected() && m_share->isdownload;
    const bool mayUpload = isConnected() && m_share->isupload && m_share->isdir;
    const bool mayDelete = isConnected() && m_share->isfiledel;
    m_downloadButton->setEnabled(chosen && mayDownload);
    m_uploadButton->setEnabled(ready && mayUpload);
    m_deleteButton->setEnabled(chosen && mayDelete);
    const auto reason = [this](bool allowed, const char *key) {
        return isConnected() && !allowed ? localizedString(QString::fromLatin1(key)) : QString();
    };
    m_downloadButton->setToolTip(reason(mayDownload, "RS_NoDownloadRight"));
    m_uploadButton->setToolTip(reason(mayUpload, "RS_NoUploadRight"));
    m_deleteButton->setToolTip(reason(mayDelete, "RS_NoDeleteRight"));
    m_previous->setEnabled(ready && m_paging.hasPrevious());
    m_next->setEnabled(ready && m_paging.hasNext());
}
