#include "client_connection.h"

#include "account_api.h"
#include "random_ids.h"
#include "standin_log.h"

namespace {

constexpr qint64 maxMessageBytes = 64 * 1024 * 1024;

// The plan every account of the stand-in gets: several shares, several peer connections,
// member type 2 (standard).
struct LoginLimits
{
    int maxsharecount = 20;
    int limit_dpc = 5;
    int mbr_type = 2;
    QEL_JSON_FIELDS(LoginLimits, maxsharecount, limit_dpc, mbr_type)
};

struct LoginSucceeded
{
    int Result = 1;
    qint64 ACC = 0;
    QString name_acc;
    // The client takes its host name from here.
    QString rooturl;
    QString ClientID;
    QString Token;
    LoginLimits limit;
    QEL_JSON_FIELDS(LoginSucceeded, Result, ACC, name_acc, rooturl, ClientID, Token, limit)
};

// Never holds the key "Result": the client counts any result that has it as a success.
struct LoginFailed
{
    QString Error = QStringLiteral("LoginFailed");
    QString Info;
    QEL_JSON_FIELDS(LoginFailed, Error, Info)
};

QString code(const char *name)
{
    return QString::fromLatin1(name);
}

} // namespace

ClientConnection::ClientConnection(QWebSocket *socket, StandinServices &services, QObject *parent)
    : QObject(parent),
      m_socket(socket),
      m_services(services),
      m_transfers(services.copyDelayMs, services.journal),
      m_relay(*this, m_transfers),
      m_control(*this, services.api, m_transfers, m_relay, services.lanHttp)
{
    m_socket->setParent(this);
    m_socket->setMaxAllowedIncomingMessageSize(maxMessageBytes);
    m_socket->setMaxAllowedIncomingFrameSize(maxMessageBytes);
    connect(m_socket, &QWebSocket::textMessageReceived, this, &ClientConnection::onText);
    connect(m_socket, &QWebSocket::binaryMessageReceived, this,
            [] { StandinLog::print(QStringLiteral("Binary message ignored")); });
    connect(m_socket, &QWebSocket::disconnected, this, [this] {
        StandinLog::print(QStringLiteral("Client disconnected: ") + m_socket->closeReason());
        emit disconnected();
    });
}

ClientConnection::~ClientConnection()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

void ClientConnection::close(const QString &reason)
{
    m_socket->close(QWebSocketProtocol::CloseCodeNormal, reason);
}

void ClientConnection::sendFrame(const QString &code, const QString &dataText)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->sendTextMessage(BridgeFrames::bridgeFrameText(code, dataText));
}

void ClientConnection::onText(const QString &text)
{
    QString why;
    const std::optional<ClientFrame> frame = readClientFrame(text, &why);
    if (!frame) {
        StandinLog::print(QStringLiteral("Frame not understood (%1), %2 characters").arg(why).arg(text.size()));
        return;
    }
    if (frame->code == code(FrameCode::Login)) {
        handleLogin(frame->payload);
    } else if (frame->code == code(FrameCode::LoginAnonymous)) {
        sendFrame(code(FrameCode::LoginResultAnonymous),
                  QelJSON::toJSONString(LoginFailed{QStringLiteral("LoginFailed"),
                                                    QStringLiteral("Anonymous sign-in is not offered")}));
    } else if (frame->code == code(FrameCode::ClientInit)) {
        handleClientInit(frame->payload);
    } else if (frame->code == code(FrameCode::WSDC)) {
        m_relay.handle(frame->payload);
    } else if (frame->code == code(FrameCode::P2PClientControl)) {
        m_control.handle(frame->payload);
    } else {
        StandinLog::print(QStringLiteral("Frame code not served - ") + frame->code);
    }
}

void ClientConnection::handleLogin(const LenientJson &payload)
{
    const QString email = payload["Id_acc"].stringValue().trimmed();
    QString failure;
    m_signedIn = m_services.accounts.signIn(email, payload["Password"].stringValue(), &failure);
    if (!m_signedIn) {
        StandinLog::print(QStringLiteral("Login failed - %1 - %2").arg(email, failure));
        sendFrame(code(FrameCode::LoginResult), QelJSON::toJSONString(LoginFailed{QStringLiteral("LoginFailed"), failure}));
        return;
    }
    StandinLog::print(QStringLiteral("Login succeeded - ") + m_signedIn->account.email);
    LoginSucceeded result;
    result.ACC = m_signedIn->account.ACC;
    result.name_acc = m_signedIn->account.email;
    result.rooturl = m_signedIn->account.hostname;
    result.ClientID = m_signedIn->clientId;
    result.Token = m_signedIn->token;
    sendFrame(code(FrameCode::LoginResult), QelJSON::toJSONString(result));
}

void ClientConnection::handleClientInit(const LenientJson &payload)
{
    const QString hostname = payload["Hostname"].stringValue();
    const auto refuse = [&](const QString &why) {
        StandinLog::print(QStringLiteral("ClientInit refused - %1 - %2").arg(hostname, why));
        sendReport(code(P2PReportType::P2PConFailed), QelJSON::toJSONObject(ControlResult{0, why}));
    };
    if (!m_signedIn || payload["Id_user"].stringValue() != m_signedIn->token
        || !m_services.accounts.accountForToken(m_signedIn->token)) {
        refuse(QStringLiteral("Not signed in"));
        return;
    }
    const std::optional<Account> host = m_services.accounts.accountForHost(hostname);
    if (!host) {
        refuse(QStringLiteral("No such host"));
        return;
    }
    ShareHost6ClientInfo info;
    info.Result = 1;
    info.ulocal = QStringLiteral("127.0.0.1");
    info.uremote = QStringLiteral("127.0.0.1");
    info.ClientID1 = m_signedIn->clientId;
    info.ClientID2 = peerClientId(host->ACC);
    info.uname = host->email;
    info.source = QStringLiteral("loopback");
    m_relay.openSession(info.ClientID1 + QLatin1Char('|') + info.ClientID2);
    StandinLog::print(QStringLiteral("ClientInit - %1 - session %2|%3").arg(hostname, info.ClientID1, info.ClientID2));
    sendReport(code(P2PReportType::GetShareHost6Client), QelJSON::toJSONObject(info));
}

QString ClientConnection::peerClientId(qint64 acc)
{
    auto it = m_peerClientIds.find(acc);
    if (it == m_peerClientIds.end())
        it = m_peerClientIds.insert(acc, RandomIds::hex(8));
    return it.value();
}
