#include "app_gui_support.h"

#include "bridge_link.h"
#include "bridge_state_reset.h"
#include "bridge_supervisor.h"
#include "host_name_fetcher.h"
#include "local_share_store.h"
#include "sharing_obj.h"
#include "theme.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTcpSocket>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TestHttpServer::TestHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->peek(socket->bytesAvailable());
                if (!request.contains("\r\n\r\n") || socket->property("seen").toBool())
                    return;
                socket->setProperty("seen", true);
                targets << QString::fromLatin1(request.split(' ').value(1));
                if (holdReplies)
                    m_held << socket;
                else
                    reply(socket);
            });
        }
    });
}

void TestHttpServer::releaseHeld(qsizetype count)
{
    const QList<QPointer<QTcpSocket>> held = m_held.first(count < 0 ? m_held.size() : qMin(count, m_held.size()));
    m_held.remove(0, held.size());
    for (const QPointer<QTcpSocket> &socket : held) {
        if (socket)
            reply(socket);
    }
}

void TestHttpServer::reply(QTcpSocket *socket)
{
    const QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Error")
                            + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
                            + "\r\nConnection: close\r\n\r\n";
    socket->write(head + body);
    socket->disconnectFromHost();
}

RefusingPort::RefusingPort() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    // Without SO_REUSEADDR nobody else can bind the port while this socket holds it.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), length) == 0
        && ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        m_port = ntohs(address.sin_port);
}

RefusingPort::~RefusingPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void ShellTest::SetUp()
{
    BridgeState::resetForTests();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Theme::applyToApplication(*qApp);
    ViewReceiveFile::registerAsReceiveSheet();
    UtilDB::open();
    // The link never reaches a bridge on the bridge's own port: a test names its bridge's port.
    ASSERT_NE(nowhere.port(), 0);
    BridgeLink::setPortForTests(nowhere.port());
}

void ShellTest::TearDown()
{
    window.reset();
    BridgeState::resetForTests();
    UtilDB::close();
    QCoreApplication::processEvents();
}

MainView &ShellTest::showMainView(const char *focused)
{
    window = std::make_unique<MainView>();
    keepOffTheHost(*window);
    window->show();
    // The sheet opens on the event loop's next turn.
    if (focused)
        child(focused)->setFocus();
    EXPECT_TRUE(waitFor([this] { return window->loginSheet().isVisible(); }));
    // The tests drive both timers themselves.
    window->timer().stop();
    window->loginSheet().timer().stop();
    return *window;
}

void ShellTest::keepOffTheHost(MainView &view) const
{
    view.hostNameFetcher().setApiBaseUrl(QStringLiteral("http://127.0.0.1:%1/api2/").arg(nowhere.port()));
}

void ShellTest::tickMain(int times)
{
    for (int i = 0; i < times; ++i) {
        clock->advanceMs(1000);
        window->onTimerTick();
    }
}

bool ShellTest::connectTo(FakeBridgeServer &bridge)
{
    bridge.answerPings(true);
    BridgeLink::setPortForTests(bridge.port());
    for (int i = 0; i < 7 && !Env::isBridgeConnected; ++i) {
        tickMain();
        waitFor([] { return Env::isBridgeConnected; }, 200);
    }
    return waitFor([] { return Env::isBridgeConnected; }) && waitFor([&] { return bridge.hasClient(); });
}

UserInfo ShellTest::testAccount()
{
    UserInfo record;
    record.id_acc = 7;
    record.name_acc = QStringLiteral("Tester");
    return record;
}

void ShellTest::finishLogin(UserInfo record)
{
    window->loginSheet().onLoginSucceeded(QStringLiteral(R"({"Result":"1"})"), record);
    EXPECT_TRUE(waitFor([this] { return !window->loginSheet().isVisible(); }));
}

void ShellTest::storeShare(const QString &tag, const QString &name, bool isDefault)
{
    SharingObj share;
    share.setTag(tag);
    share.setPath(QDir(TestHome::path()).filePath(name));
    share.setIsDefault(isDefault);
    QDir().mkpath(share.path());
    const qint64 previous = std::exchange(Env::userInfo.id_acc, testAccount().id_acc);
    EXPECT_TRUE(LocalShare_Insert(share));
    Env::userInfo.id_acc = previous;
}

QString ShellTest::placeWaitingBridge()
{
    const QString folder = TestHome::path() + QStringLiteral("/bridge");
    QDir().mkpath(folder);
    Env::setBridgeFolderForTests(folder);
    QFile script(folder + u'/' + Env::bridgeExecutableName());
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexec sleep 30\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    return script.fileName();
}

QList<Json> ShellTest::callsTo(const FakeBridgeServer &bridge, const char *path)
{
    QList<Json> found;
    for (const Json &request : bridge.controlRequests(QStringLiteral("CallHttp"))) {
        if (request["Data"].value("URL", "").find(path) != std::string::npos)
            found << request;
    }
    return found;
}
