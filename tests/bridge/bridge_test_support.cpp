#include "bridge_test_support.h"

#include "bridge_link.h"
#include "bridge_state_reset.h"
#include "bridge_supervision.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWebSocket>

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

void spin(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
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
    QStringList result = text.split(u'\n');
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

FakeBridgeServer::FakeBridgeServer() : m_server(QStringLiteral("fake bridge"), QWebSocketServer::NonSecureMode)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
        QWebSocket *client = m_server.nextPendingConnection();
        client->setParent(this);
        m_client = client;
        connect(client, &QWebSocket::textMessageReceived, this, [this](const QString &text) {
            const Json frame = Json::parse(text.toStdString(), nullptr, false);
            frames.append(frame);
            if (m_answerPings && frame.is_object() && requestOf(frame).value("Code", "") == "PingBridge")
                answer(QString::fromStdString(requestOf(frame).value("Token", "")), Json(""));
            if (versionReply && isVersionRequest(frame))
                answer(QString::fromStdString(requestOf(frame).value("Token", "")), Json(versionReply->dump()));
            if (onFrame)
                onFrame(frame);
        });
    });
}

QList<Json> FakeBridgeServer::controlRequests(const QString &code) const
{
    QList<Json> result;
    for (const Json &frame : frames) {
        if (!frame.is_object() || frame["Msg"].value("Code", "") != "P2PClientControl")
            continue;
        const Json request = requestOf(frame);
        if (request.value("Code", "") == code.toStdString())
            result.append(request);
    }
    return result;
}

void FakeBridgeServer::send(const QString &code, const QString &data)
{
    if (m_client)
        m_client->sendTextMessage(QString::fromStdString(Json{{"Code", code.toStdString()}, {"Data", data.toStdString()}}.dump()));
}

void FakeBridgeServer::answer(const QString &token, const Json &msg)
{
    send(QStringLiteral("P2PCLIENT"), QString::fromStdString(Json{{"Token", token.toStdString()}, {"Msg", msg}}.dump()));
}

void FakeBridgeServer::closeClient()
{
    if (m_client)
        m_client->close();
}

bool isVersionRequest(const Json &frame)
{
    const Json request = requestOf(frame);
    return request.is_object() && request.value("Code", "") == "CallHttp" && request["Data"].is_object()
           && request["Data"].value("URL", "").ends_with("version/mac/index.php");
}

Json requestOf(const Json &frame)
{
    if (!frame.is_object() || !frame.contains("Msg"))
        return Json();
    const Json &data = frame["Msg"]["Data"];
    if (data.is_string())
        return Json::parse(data.get<std::string>(), nullptr, false);
    return data;
}

void BridgeTest::SetUp()
{
    BridgeState::resetForTests();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
}

void BridgeTest::TearDown()
{
    BridgeState::resetForTests();
    QCoreApplication::processEvents();
}

void BridgeTest::tick(int times)
{
    for (int i = 0; i < times; ++i)
        BridgeSupervision::onTimerTick();
}

void BridgeTest::tickSeconds(int times)
{
    for (int i = 0; i < times; ++i) {
        clock->advanceMs(1000);
        tick();
        QCoreApplication::processEvents();
    }
}

bool BridgeTest::connectTo(FakeBridgeServer &server)
{
    BridgeLink::setPortForTests(server.port());
    while (!Env::isBridgeConnected && Env::bridgeConnectCounter >= 0 && Env::bridgeConnectCounter < 3)
        tick();
    return waitFor([] { return Env::isBridgeConnected; }) && waitFor([&] { return server.hasClient(); })
           && (!server.versionReply || waitFor([] { return P2PClientMsg::taskTable().size() == 0; }));
}
