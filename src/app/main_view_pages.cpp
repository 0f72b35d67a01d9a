#include "main_view_pages.h"

#include "main_view.h"
#include "view_contact.h"
#include "view_settings.h"
#include "view_sharing_local.h"
#include "view_sharing_remote.h"
#include "web_pages.h"

#include <QHBoxLayout>

namespace {

QWidget *localSharesPage(MainView &view, QWidget *parent)
{
    auto *page = new ViewSharingLocal(view.sharingObjList(), WebPages::console(), parent);
    page->setIsShowLogin(view.isShowLogin());
    QObject::connect(&view, &MainView::isShowLoginChanged, page, &ViewSharingLocal::setIsShowLogin);
    QObject::connect(&view, &MainView::userInfoChanged, page, &ViewSharingLocal::onUserInfoChanged);
    return page;
}

QWidget *remoteHostsPage(MainView &view, QWidget *parent)
{
    auto *page = new ViewSharingRemote(parent);
    // A new login brings another account's hosts.
    QObject::connect(&view, &MainView::userInfoChanged, page, &ViewSharingRemote::reload);
    return page;
}

QWidget *settingsPage(QWidget *parent)
{
    // The settings page sits in a row with a margin on every edge.
    auto *page = new QWidget(parent);
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(10, 10, 10, 10);
    row->addWidget(new ViewSettings(page));
    return page;
}

} // namespace

QWidget *makeMainViewPage(MainView &view, int index, QWidget *parent)
{
    switch (index) {
    case MainView::pageLocalShares:
        return localSharesPage(view, parent);
    case MainView::pageRemoteHosts:
        return remoteHostsPage(view, parent);
    case MainView::pageSendFiles:
        return new ViewContact(parent);
    case MainView::pageSettings:
        return settingsPage(parent);
    default:
        return nullptr;
    }
}
