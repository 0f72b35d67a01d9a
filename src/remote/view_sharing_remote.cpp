#include "view_sharing_remote.h"

#include "alert_toast.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "localization.h"
#include "remote_host_row.h"
#include "theme.h"
#include "toast_overlay.h"
#include "view_sharing_remote_edit.h"
#include "view_sharing_remote_file_list.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

ViewSharingRemote::ViewSharingRemote(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("viewSharingRemote"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    m_stack->addWidget(buildListPage());
    layout->addWidget(m_stack);

    m_confirmSetting = new DialogConfirmSetting(this);
    m_confirm = new DialogConfirmView(m_confirmSetting, this);
    // A host's row is made anew when the list is read again: the keyboard then goes to the list.
    m_confirm->setFocusReturn(m_scroll);
    m_toast = new ToastOverlay(this, ToastOverlay::kMainWindowDuration);
    reload();
}

ViewSharingRemote::~ViewSharingRemote() = default;

QWidget *ViewSharingRemote::buildListPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("remoteHostList"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(14);

    auto *header = new QHBoxLayout;
    auto *hint = new QLabel(localizedString(QStringLiteral("RS_HostsHint")), page);
    hint->setFont(Theme::font(13));
    hint->setWordWrap(true);
    QPalette gray = hint->palette();
    gray.setColor(QPalette::WindowText, Theme::color(QStringLiteral("gray")));
    hint->setPalette(gray);
    const QColor blue = Theme::color(QStringLiteral("ColorMain0"));
    auto *add = new QPushButton(Theme::icon(QStringLiteral("plus.circle.fill"), blue),
                                localizedString(QStringLiteral("RS_AddHost")), page);
    add->setObjectName(QStringLiteral("addHostButton"));
    add->setCursor(Qt::PointingHandCursor);
    add->setMinimumHeight(30);
    add->setIconSize(QSize(16, 16));
    add->setStyleSheet(QStringLiteral("QPushButton { background: white; color: %1; border: 1px solid %2;"
                                      " border-radius: 6px; padding: 4px 14px; font-weight: 600; }"
                                      "QPushButton:hover { background: %3; }"
                                      "QPushButton:focus { border: 2px solid %1; padding: 3px 13px; }")
                           .arg(blue.name(), Theme::color(QStringLiteral("activeBorder")).name(),
                                Theme::color(QStringLiteral("navBG")).name()));
    connect(add, &QPushButton::clicked, this, &ViewSharingRemote::addHost);
    header->addWidget(hint, 1);
    header->addWidget(add, 0, Qt::AlignTop);
    layout->addLayout(header);

    m_scroll = new QScrollArea(page);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    auto *rowsHolder = new QWidget(m_scroll);
    m_rows = new QVBoxLayout(rowsHolder);
    m_rows->setContentsMargins(0, 0, 4, 0);
    m_rows->setSpacing(10);
    m_rows->addStretch(1);
    m_scroll->setWidget(rowsHolder);
    layout->addWidget(m_scroll, 1);

    m_empty = new QLabel(localizedString(QStringLiteral("RS_NoHost")), page);
    m_empty->setObjectName(QStringLiteral("noHostLabel"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setFont(Theme::font(14));
    m_empty->setPalette(gray);
    layout->addWidget(m_empty, 1);
    return page;
}

ViewSharingRemoteFileList *ViewSharingRemote::browser() const
{
    return m_browser;
}

ViewSharingRemoteEdit *ViewSharingRemote::editor() const
{
    return m_editor;
}

void ViewSharingRemote::showEvent(QShowEvent *event)
{
    // The account may have changed since the page was last shown (a new login).
    if (!m_browser)
        reload();
    QWidget::showEvent(event);
}

void ViewSharingRemote::reload()
{
    m_hosts = RemoteSharing_List();
    // Rows are made anew: the keyboard stays on the same button of the same host.
    QString focusedHost;
    QString focusedButton;
    if (QWidget *focused = window()->focusWidget()) {
        if (auto *row = qobject_cast<RemoteHostRow *>(focused->parentWidget())) {
            focusedHost = row->host().hostid;
            focusedButton = focused->objectName();
        }
    }
    while (m_rows->count() > 1) {
        QLayoutItem *item = m_rows->takeAt(0);
        delete item->widget();
        delete item;
    }
    for (int i = 0; i < m_hosts.size(); ++i) {
        auto *row = new RemoteHostRow(m_hosts.at(i), m_rows->parentWidget());
        const QString hostid = m_hosts.at(i).hostid;
        // Rows find their host by id: the list may have been read again since they were made.
        const auto indexOf = [this, hostid] {
            for (int j = 0; j < m_hosts.size(); ++j) {
                if (m_hosts.at(j).hostid == hostid)
                    return j;
            }
            return -1;
        };
        connect(row, &RemoteHostRow::editRequested, this, [this, indexOf] { editHost(indexOf()); });
        connect(row, &RemoteHostRow::deleteRequested, this, [this, indexOf] { requestDeleteHost(indexOf()); });
        connect(row, &RemoteHostRow::openRequested, this, [this, indexOf] { openHost(indexOf()); });
        m_rows->insertWidget(m_rows->count() - 1, row);
        // Shown now, not on the next turn of the event loop, so that it can take the keyboard.
        row->show();
        if (!focusedHost.isEmpty() && hostid == focusedHost) {
            if (auto *button = row->findChild<QWidget *>(focusedButton))
                button->setFocus(Qt::OtherFocusReason);
        }
    }
    const bool none = m_hosts.isEmpty();
    m_scroll->setVisible(!none);
    m_empty->setVisible(none);
}

void ViewSharingRemote::openEditor(const RemoteSharing &host)
{
    if (m_editor)
        return;
    m_editor = new ViewSharingRemoteEdit(host, this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    m_editor->setFocusReturn(m_scroll);
    connect(m_editor, &ViewSharingRemoteEdit::hostSaved, this, [this] {
        reload();
        m_toast->present(AlertToast::result(true, localizedString(QStringLiteral("Sys_Update_Succ"))));
    });
    m_editor->open();
}

void ViewSharingRemote::addHost()
{
    openEditor(RemoteSharing());
}

void ViewSharingRemote::editHost(int index)
{
    if (index >= 0 && index < m_hosts.size())
        openEditor(m_hosts.at(index));
}

void ViewSharingRemote::requestDeleteHost(int index)
{
    if (index < 0 || index >= m_hosts.size())
        return;
    const RemoteSharing host = m_hosts.at(index);
    m_confirmSetting->setTitle(localizedString(QStringLiteral("RS_DeleteHost")));
    m_confirmSetting->setInfo(localizedString(QStringLiteral("RS_DeleteHostInfo")).arg(host.displayName()));
    m_confirmSetting->setIsBtnOK(true);
    m_confirmSetting->setIsBtnCancel(true);
    m_confirmSetting->setOkAction([this, hostid = host.hostid] { deleteHost(hostid); });
    m_confirmSetting->setCancelAction({});
    m_confirm->open();
}

void ViewSharingRemote::deleteHost(const QString &hostid)
{
    const bool deleted = RemoteSharing_Delete(hostid);
    reload();
    m_toast->present(AlertToast::result(deleted, deleted ? localizedString(QStringLiteral("Sys_Update_Succ")) : localizedString(QStringLiteral("Sys_Update_Failed"))));
}

void ViewSharingRemote::openHost(int index)
{
    if (index < 0 || index >= m_hosts.size())
        return;
    closeBrowser();
    m_browser = new ViewSharingRemoteFileList(m_hosts.at(index), m_stack);
    connect(m_browser, &ViewSharingRemoteFileList::closeRequested, this, &ViewSharingRemote::closeBrowser);
    m_stack->addWidget(m_browser);
    m_stack->setCurrentWidget(m_browser);
    m_browser->ConnectRemoteHost();
}

void ViewSharingRemote::closeBrowser()
{
    if (!m_browser)
        return;
    // Shut at once, so that no answer still on its way acts on it; deleted later, since the
    // request to close may come from inside one of its own handlers.
    ViewSharingRemoteFileList *browser = m_browser;
    m_browser = nullptr;
    browser->shutDown();
    m_stack->setCurrentIndex(0);
    m_stack->removeWidget(browser);
    browser->hide();
    browser->deleteLater();
    reload();
}
