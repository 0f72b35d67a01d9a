#include "standin_app.h"

#include "build_settings.h"
#include "standin_log.h"

#include <QFileInfo>
#include <QThread>

namespace {

constexpr int bindAttempts = 50;
constexpr int bindRetryMs = 100;

// A killed predecessor may hold the port for a moment.
template <class Server>
bool listenWithRetries(Server &server, quint16 port, QString *error)
{
    for (int attempt = 1;; ++attempt) {
        if (server.listen(port, error))
            return true;
        if (attempt == bindAttempts || port == 0)
            return false;
        QThread::msleep(bindRetryMs);
    }
}

} // namespace

StandinApp::StandinApp(StandinSettings settings)
    : m_settings(std::move(settings)),
      m_store(m_settings.accountFile),
      m_accounts(m_store),
      m_journal(QFileInfo(m_settings.accountFile).absolutePath())
{
}

bool StandinApp::start(QString *error)
{
    for (const QString &leftover : m_journal.removeLeftovers())
        StandinLog::print(QStringLiteral("Removed an unfinished transfer file: ") + leftover);
    QString journalError;
    const bool journaled = m_journal.open(&journalError);
    if (!journaled)
        StandinLog::print(QStringLiteral("Transfer files are not noted, a crash may leave them behind: ") + journalError);

    QString loadError;
    if (!m_store.load(&loadError))
        StandinLog::print(QStringLiteral("Accounts: ") + loadError);

    const bool offering = !m_settings.offeredVersion.isEmpty();
    m_api = std::make_unique<AccountApi>(m_accounts, VersionOffer{QString::fromLatin1(BuildSettings::appVersion), {}});
    m_site = std::make_unique<ServiceSite>(m_accounts, *m_api, offering ? m_settings.offeredVersion : QString());
    m_services = std::make_unique<StandinServices>(
        StandinServices{m_accounts, *m_api, {}, m_settings.copyDelayMs, journaled ? &m_journal : nullptr});

    // The bridge port first: the client is waiting for it.
    m_bridge = std::make_unique<BridgeServer>(*m_services);
    if (!listenWithRetries(*m_bridge, m_settings.bridgePort, error)) {
        *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(m_settings.bridgePort).arg(*error);
        return false;
    }
    m_http = std::make_unique<MiniHttpServer>([this](const HttpRequest &request) { return m_site->handle(request); });
    QString httpError;
    const bool httpUp = listenWithRetries(*m_http, m_settings.httpPort, &httpError);
    if (!httpUp)
        StandinLog::print(QStringLiteral("Account API not served, port %1: %2").arg(m_settings.httpPort).arg(httpError));
    const QString httpBase = QStringLiteral("http://127.0.0.1:%1/").arg(m_http->port());
    m_services->lanHttp = httpBase;
    if (offering) {
        m_api->setOffer(VersionOffer{m_settings.offeredVersion,
                                     m_settings.offeredUrl.isEmpty()
                                         ? httpBase.chopped(1) + ServiceSite::installerPath(m_settings.offeredVersion)
                                         : m_settings.offeredUrl});
    }
    StandinLog::print(QStringLiteral("OstrelBridge stand-in ready: ws=%1 http=%2")
                          .arg(m_bridge->port())
                          .arg(httpUp ? m_http->port() : 0));
    return true;
}

quint16 StandinApp::bridgePort() const
{
    return m_bridge ? m_bridge->port() : 0;
}

quint16 StandinApp::httpPort() const
{
    return m_http ? m_http->port() : 0;
}
