// The main window's one-second tick: the heartbeat that keeps the bridge connected and the
// account's host name current.

#include "main_view.h"

#include "bridge_supervision.h"
#include "bridge_supervisor.h"
#include "env.h"
#include "host_name_fetcher.h"
#include "local_share_store.h"
#include "p2p_client_msg.h"
#include "sharing_obj_list.h"

namespace {
constexpr qint64 hostNameEveryTicks = 5;
} // namespace

void MainView::onTimerTick()
{
    P2PClientMsg::taskTable().expireDue();
    m_hostNameFetcher->abortOverdue();
    Env::runDueSupervision();
    BridgeSupervision::connectionCycleTick();
    m_timerCounter += 1;
    if (m_timerCounter % hostNameEveryTicks == 0)
        fetchHostName();
    BridgeSupervision::checkBridgeAlive();
}

void MainView::fetchHostName()
{
    // Nobody has signed in while there is no session token; the fetcher skips an empty one.
    m_hostNameFetcher->fetch(Env::userInfo.Token);
}

void MainView::onHostNameReported(const QString &hostName)
{
    if (hostName == Env::userInfo.hostname)
        return;
    Env::userInfo.hostname = hostName;
    // The share links start with the host name.
    m_sharingObjList->setItems(LocalShare_List(QString(), false, false));
    emit userInfoChanged();
}
