#pragma once

#include "client_connection.h"

#include <QObject>
#include <QPointer>
#include <QWebSocketServer>

// The bridge's WebSocket endpoint on 127.0.0.1, path /ws. One client at a time: a new connection
// takes over from an old one (the client makes a new socket for every connection attempt). A
// browser page cannot connect: a handshake that carries an Origin is refused.
class BridgeServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BridgeServer)

public:
    BridgeServer(StandinServices &services, QObject *parent = nullptr);

    bool listen(quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }

private:
    void onNewConnection();

    StandinServices &m_services;
    QWebSocketServer m_server;
    QPointer<ClientConnection> m_client;
};
