#include "bridge_link.h"

#include "bridge_executable.h"
#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "clock.h"
#include "console.h"
#include "env.h"
#include "link_status.h"
#include "version_check.h"

#include <QCoreApplication>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <QWebSocket>

namespace {

// Larger frames are refused by the socket: no answer of the bridge comes near this.
constexpr qint64 maxIncomingMessageBytes = 64 * 1024 * 1024;

QPointer<QWebSocket> &currentSocket()
{
    static QPointer<QWebSocket> socket;
    return socket;
}

quint16 &testPort()
{
    static quint16 port = 0;
    return port;
}

QUrl endpoint()
{
    if (testPort() == 0)
        return QUrl(QString::fromLatin1(BridgeExecutable::url));
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(QString::fromLatin1(BridgeExecutable::host));
    url.setPort(testPort());
    url.setPath(QString::fromLatin1(BridgeExecutable::path));
    return url;
}

bool onGuiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void dropSocket()
{
    QWebSocket *old = currentSocket();
    if (!old)
        return;
    // Events of a socket we have given up on must not reach the handlers.
    QObject::disconnect(old, nullptr, nullptr, nullptr);
    old->abort();
    old->deleteLater();
    currentSocket() = nullptr;
}

void reloginIfLoggedIn()
{
    const UserInfo &user = Env::userInfo;
    if (user.email.isEmpty() || user.password.isEmpty()) {
        Console::printLine(QStringLiteral("...Waiting for client login..."));
        return;
    }
    Console::printLine(QStringLiteral("Host Try To Relogin..."));
    BridgeLink::sendLogin(user.email, user.password);
}

void onConnected()
{
    Env::isBridgeConnected = true;
    const QString dashes(44, u'-');
    Console::printLine(dashes + QStringLiteral("\n******  OstrelBridge Is Connected!  ******\n") + dashes);
    Env::bridgeConnectCounter = -1;
    Env::activeBridgeTime = Clock::nowSecs();
    Env::noteBridgeConnected();
    VersionCheck::request();
    reloginIfLoggedIn();
    LinkStatus::noteLinkUp();
}

void watch(QWebSocket *socket)
{
    QObject::connect(socket, &QWebSocket::connected, socket, &onConnected);
    QObject::connect(socket, &QWebSocket::disconnected, socket, [socket] {
        Console::printLine(QStringLiteral("websocket is disconnected: ") + socket->closeReason()
                           + QStringLiteral(" with code: ") + QString::number(int(socket->closeCode())));
    });
    QObject::connect(socket, &QWebSocket::textMessageReceived, socket, &BridgeMessage::DoMsg);
    QObject::connect(socket, &QWebSocket::binaryMessageReceived, socket, [](const QByteArray &data) {
        Console::printLine(QStringLiteral("Received data: ") + QString::number(data.size()));
    });
    QObject::connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), socket, [socket](QAbstractSocket::SocketError) {
        Console::printLine(QStringLiteral("...WS error"));
        Console::printLine(QStringLiteral("websocket encountered an error: ") + socket->errorString());
    });
}

void writeText(const QString &text)
{
    if (QWebSocket *socket = currentSocket())
        socket->sendTextMessage(text);
}

} // namespace

namespace BridgeLink {

void connect()
{
    if (Env::isBridgeConnected) {
        Console::printLine(QStringLiteral("Bridge Already Connected!!"));
        return;
    }
    QNetworkRequest request(endpoint());
    request.setTransferTimeout(5000);
    dropSocket();
    auto *socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, QCoreApplication::instance());
    socket->setMaxAllowedIncomingMessageSize(quint64(maxIncomingMessageBytes));
    socket->setMaxAllowedIncomingFrameSize(quint64(maxIncomingMessageBytes));
    currentSocket() = socket;
    watch(socket);
    socket->open(request);
}

void sendToBridge(const QString &code, const QString &data)
{
    sendFrame(BridgeFrames::makeTextFrame(code, data).Msg);
}

void sendLogin(const QString &email, const QString &password)
{
    LoginAccount login;
    login.Id_acc = email;
    login.Password = password;
    login.Device = QStringLiteral("IPhone");
    login.isCheckAccOnly = QStringLiteral("0");
    login.Relogin = false;
    login.Version = Env::appVersion;
    login.Source = QStringLiteral("IOS");
    sendToBridge(QString::fromLatin1(FrameCode::Login), QelJSON::toJSONString(login));
}

JsonMsg makeJsonMsg(const QString &code, const WSDCMsgJson &request)
{
    return BridgeFrames::makeObjectFrame(code, request).Msg;
}

void sendFrame(const JsonMsg &message)
{
    if (!onGuiThread()) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [message] { sendFrame(message); }, Qt::QueuedConnection);
        return;
    }
    if (!Env::isBridgeConnected)
        return;
    Envolope frame;
    frame.Msg = message;
    writeText(BridgeFrames::frameText(frame));
}

QWebSocket *socket()
{
    return currentSocket();
}

bool isSocketOpen()
{
    const QWebSocket *socket = currentSocket();
    return socket && socket->state() == QAbstractSocket::ConnectedState;
}

void setPortForTests(quint16 port)
{
    testPort() = port;
}

void resetForTests()
{
    dropSocket();
    testPort() = 0;
}

} // namespace BridgeLink
