#pragma once

#include "account_service.h"
#include "client_frames.h"
#include "control_requests.h"
#include "peer_relay.h"
#include "transfer_manager.h"

#include <QHash>
#include <QObject>
#include <QWebSocket>

#include <memory>
#include <optional>

class AccountApi;
class TransferJournal;

// What every client connection shares with the rest of the stand-in.
struct StandinServices
{
    AccountService &accounts;
    const AccountApi &api;
    // The peer's LAN HTTP address ("GetLanHttp").
    QString lanHttp;
    int copyDelayMs = 0;
    TransferJournal *journal = nullptr;
};

// One connected client: its sign-in, its peer sessions with the loopback peer, their relay and
// transfers, and the answers to its control requests. Everything ends with the connection: a
// client that goes away mid-transfer has its transfers cancelled and their half files removed.
class ClientConnection final : public QObject, public FrameSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClientConnection)

public:
    ClientConnection(QWebSocket *socket, StandinServices &services, QObject *parent = nullptr);
    ~ClientConnection() override;

    void sendFrame(const QString &code, const QString &dataText) override;
    void close(const QString &reason);

signals:
    void disconnected();

private:
    void onText(const QString &text);
    void handleLogin(const LenientJson &payload);
    void handleClientInit(const LenientJson &payload);
    QString peerClientId(qint64 acc);

    QWebSocket *m_socket;
    StandinServices &m_services;
    std::optional<SignedIn> m_signedIn;
    QHash<qint64, QString> m_peerClientIds;
    TransferManager m_transfers;
    PeerRelay m_relay;
    ControlRequests m_control;
};
