#include "bridge_server.h"

#include "bridge_executable.h"
#include "standin_log.h"

#include <QWebSocketCorsAuthenticator>

BridgeServer::BridgeServer(StandinServices &services, QObject *parent)
    : QObject(parent), m_services(services), m_server(QStringLiteral("OstrelBridge"), QWebSocketServer::NonSecureMode)
{
    connect(&m_server, &QWebSocketServer::originAuthenticationRequired, this,
            [](QWebSocketCorsAuthenticator *authenticator) {
                if (!authenticator->origin().isEmpty()) {
                    StandinLog::print(QStringLiteral("Connection from a web page refused: ") + authenticator->origin());
                    authenticator->setAllowed(false);
                }
            });
    connect(&m_server, &QWebSocketServer::newConnection, this, &BridgeServer::onNewConnection);
}

bool BridgeServer::listen(quint16 port, QString *error)
{
    if (m_server.listen(QHostAddress::LocalHost, port))
        return true;
    *error = m_server.errorString();
    return false;
}

void BridgeServer::onNewConnection()
{
    while (QWebSocket *socket = m_server.nextPendingConnection()) {
        if (socket->requestUrl().path() != QLatin1String(BridgeExecutable::path)) {
            StandinLog::print(QStringLiteral("Connection to an unknown path refused: ") + socket->requestUrl().path());
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("unknown path"));
            socket->deleteLater();
            continue;
        }
        if (m_client) {
            StandinLog::print(QStringLiteral("A new client connection replaces the current one"));
            m_client->close(QStringLiteral("replaced by a new connection"));
            m_client->deleteLater();
        }
        StandinLog::print(QStringLiteral("Client connected"));
        m_client = new ClientConnection(socket, m_services, this);
        connect(m_client, &ClientConnection::disconnected, this, [this, client = m_client] {
            if (client)
                client->deleteLater();
        });
    }
}
