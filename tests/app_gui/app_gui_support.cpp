#include "app_gui_support.h"

#include "bridge_link.h"
#include "bridge_state_reset.h"
#include "env.h"
#include "login_view.h"
#include "main_view.h"
#include "theme.h"
#include "util_db.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QTcpSocket>

// ---- TestHttpServer -------------------------------------------------------------------------

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

QString TestHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/api2/").arg(m_server.serverPort());
}

void TestHttpServer::releaseHeld()
{
    const QList<QPointer<QTcpSocket>> held = std::exchange(m_held, {});
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

// ---- ShellTest ------------------------------------------------------------------------------

void ShellTest::SetUp()
{
    BridgeState::resetForTests();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Theme::applyToApplication(*qApp);
    ViewReceiveFile::registerAsReceiveSheet();
    UtilDB::open();
    // The link never reaches a real bridge on its own port: a test names its bridge's port.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    BridgeLink::setPortForTests(probe.serverPort());
}

void ShellTest::TearDown()
{
    window.reset();
    BridgeState::resetForTests();
    UtilDB::close();
    QCoreApplication::processEvents();
}

MainView &ShellTest::showMainView()
{
    window = std::make_unique<MainView>();
    window->show();
    EXPECT_TRUE(waitFor([this] { return window->loginSheet().isVisible(); }));
    // The tests drive both timers themselves.
    window->timer().stop();
    window->loginSheet().timer().stop();
    return *window;
}

void ShellTest::tickMain(int times)
{
    for (int i = 0; i < times; ++i) {
        clock->advanceMs(1000);
        window->onTimerTick();
    }
}

void ShellTest::tickLogin(int times)
{
    for (int i = 0; i < times; ++i)
        window->loginSheet().onTimerTick();
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

QString saveScreenshot(QWidget &widget, const QString &name)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    if (!QDir().mkpath(folder))
        return {};
    const QString path = QDir(folder).absoluteFilePath(name + QStringLiteral(".png"));
    return widget.grab().save(path) ? path : QString();
}
