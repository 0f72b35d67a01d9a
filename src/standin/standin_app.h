#pragma once

#include "account_api.h"
#include "account_service.h"
#include "account_store.h"
#include "bridge_server.h"
#include "mini_http_server.h"
#include "service_site.h"
#include "standin_settings.h"
#include "transfer_journal.h"

#include <memory>

// The whole stand-in: the account store and service, the account API and web pages over HTTP,
// and the bridge endpoint with its loopback peer.
class StandinApp final
{
public:
    explicit StandinApp(StandinSettings settings);
    Q_DISABLE_COPY_MOVE(StandinApp)

    // Removes the temporary files that transfers of a run cut off by a crash left behind, loads the
    // accounts and opens both ports, retrying a port still held by a predecessor for a few
    // seconds. The bridge port is essential; without the HTTP port the bridge still runs.
    bool start(QString *error);

    quint16 bridgePort() const;
    quint16 httpPort() const;

private:
    StandinSettings m_settings;
    AccountStore m_store;
    AccountService m_accounts;
    // Outlives the connections, whose transfers note their files in it.
    TransferJournal m_journal;
    std::unique_ptr<AccountApi> m_api;
    std::unique_ptr<ServiceSite> m_site;
    std::unique_ptr<MiniHttpServer> m_http;
    std::unique_ptr<StandinServices> m_services;
    std::unique_ptr<BridgeServer> m_bridge;
};
