#include "app_gui_support.h"

#include "bridge_link.h"
#include "bridge_state_reset.h"
#include "env.h"
#include "login_view.h"
#include "main_view.h"
#include "theme.h"
#include "util_db.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QTcpSocket>
#include <QThread>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

bool waitFor(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

CapturedOutput::CapturedOutput()
{
    testing::internal::CaptureStdout();
}

CapturedOutput::~CapturedOutput()
{
    if (m_capturing)
        testing::internal::GetCapturedStdout();
}

QStringList CapturedOutput::lines()
{
    QString text;
    if (m_capturing) {
        text = QString::fromStdString(testing::internal::GetCapturedStdout());
        m_capturing = false;
    }
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// ---- TestBridge -----------------------------------------------------------------------------

namespace {

// The request inside a control frame, in object or text form.
Json requestOf(const Json &frame)
{
    if (!frame.is_object() || !frame.contains("Msg") || !frame["Msg"].is_object())
        return Json();
    const Json &data = frame["Msg"]["Data"];
    if (data.is_string())
        return Json::parse(data.get<std::string>(), nullptr, false);
    return data;
}

std::string codeOf(const Json &frame)
{
    return frame.is_object() && frame.contains("Msg") && frame["Msg"].is_object() ? frame["Msg"].value("Code", "") : "";
}

} // namespace

TestBridge::TestBridge() : m_server(QStringLiteral("test bridge"), QWebSocketServer::NonSecureMode)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
        QWebSocket *client = m_server.nextPendingConnection();
        client->setParent(this);
        m_client = client;
        connect(client, &QWebSocket::textMessageReceived, this, [this](const QString &text) {
            const Json frame = Json::parse(text.toStdString(), nullptr, false);
            frames.append(frame);
            const std::string code = codeOf(frame);
            if (code == "Login" && loginResult) {
                send(QStringLiteral("LoginResult"), *loginResult);
                return;
            }
            if (code != "P2PClientControl")
                return;
            const Json request = requestOf(frame);
            const std::string token = request.value("Token", "");
            const std::string requestCode = request.value("Code", "");
            if (requestCode == "PingBridge" && answerPings)
                answer(token, Json(""));
            if (requestCode == "CallHttp" && request["Data"].is_object()
                && request["Data"].value("URL", "").ends_with("version/mac/index.php"))
                answer(token, Json(R"({"info":0})"));
        });
    });
}

QList<Json> TestBridge::framesWithCode(const QString &code) const
{
    QList<Json> result;
    for (const Json &frame : frames) {
        if (codeOf(frame) == code.toStdString())
            result.append(frame);
    }
    return result;
}

QList<Json> TestBridge::controlRequests(const QString &code) const
{
    QList<Json> result;
    for (const Json &frame : framesWithCode(QStringLiteral("P2PClientControl"))) {
        const Json request = requestOf(frame);
        if (request.value("Code", "") == code.toStdString())
            result.append(request["Data"]);
    }
    return result;
}

void TestBridge::send(const QString &code, const QString &data)
{
    if (m_client)
        m_client->sendTextMessage(QString::fromStdString(Json{{"Code", code.toStdString()}, {"Data", data.toStdString()}}.dump()));
}

void TestBridge::answer(const std::string &token, const Json &msg)
{
    send(QStringLiteral("P2PCLIENT"), QString::fromStdString(Json{{"Token", token}, {"Msg", msg}}.dump()));
}

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
    return QStringLiteral("http://127.0.0.1:%1/api/").arg(m_server.serverPort());
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

bool ShellTest::connectTo(TestBridge &bridge)
{
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
