#include "standin_harness.h"

#include "bridge_frames.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

StandinHarness::StandinHarness(QMap<QString, QString> environment) : m_bridge(std::move(environment)) {}

StandinHarness::~StandinHarness()
{
    disconnectClient();
    stop();
}

bool StandinHarness::start(const QStringList &arguments)
{
    return m_bridge.start(arguments);
}

void StandinHarness::stop()
{
    m_bridge.stop();
}

bool StandinHarness::connectClient(const QString &path, const QString &origin)
{
    m_socket = std::make_unique<QWebSocket>(origin);
    QObject::connect(m_socket.get(), &QWebSocket::textMessageReceived, [this](const QString &text) {
        Json frame = Json::parse(text.toStdString(), nullptr, false);
        if (frame.is_object() && frame.contains("Data") && frame["Data"].is_string()) {
            const Json data = Json::parse(frame["Data"].get<std::string>(), nullptr, false);
            if (!data.is_discarded())
                frame["Data"] = data;
        }
        m_inbox.push_back(frame);
    });
    m_socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(m_bridge.wsPort()).arg(path)));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30'000 && m_socket->state() != QAbstractSocket::ConnectedState) {
        pump(10);
        if (m_socket->state() == QAbstractSocket::UnconnectedState && timer.elapsed() > 200)
            break;
    }
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void StandinHarness::disconnectClient()
{
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
}

void StandinHarness::pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void StandinHarness::sendText(const QString &text)
{
    m_socket->sendTextMessage(text);
    m_socket->flush();
}

void StandinHarness::sendTextFrame(const QString &code, const QString &payloadText)
{
    sendText(BridgeFrames::frameText(BridgeFrames::makeTextFrame(code, payloadText)));
}

QString StandinHarness::sendRequest(const QString &frameCode, const QString &code, const Json &data,
                                    const QString &session, const QString &isProcessOnBridge)
{
    WSDCMsgJson request;
    request.Session = session;
    request.Code = code;
    request.Token = QStringLiteral("ClientTest42") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QStringList ids = session.split(QLatin1Char('|'));
    request.ClientID1 = ids.value(0);
    request.ClientID2 = ids.value(1);
    request.ClientIDRemote = ids.value(1);
    request.IsProcessOnBridge = isProcessOnBridge;
    request.Data = QelJSON::QelValue(data);
    sendText(BridgeFrames::frameText(BridgeFrames::makeObjectFrame(frameCode, request)));
    return request.Token;
}

std::optional<Json> StandinHarness::control(const QString &code, const Json &data, const QString &session)
{
    const QString token = sendRequest(QStringLiteral("P2PClientControl"), code, data, session);
    const std::optional<Json> frame = waitControlAnswer(token);
    if (!frame)
        return std::nullopt;
    return (*frame)["Data"].value("Msg", Json());
}

std::optional<Json> StandinHarness::waitFrame(const std::function<bool(const Json &)> &matches, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        for (auto it = m_inbox.begin(); it != m_inbox.end(); ++it) {
            if (matches(*it)) {
                Json frame = *it;
                m_inbox.erase(it);
                return frame;
            }
        }
        if (timer.elapsed() >= timeoutMs)
            return std::nullopt;
        pump(5);
    }
}

std::optional<Json> StandinHarness::waitFrameCode(const QString &code, int timeoutMs)
{
    const std::string wanted = code.toStdString();
    return waitFrame([&](const Json &frame) { return frame.value("Code", "") == wanted; }, timeoutMs);
}

std::optional<Json> StandinHarness::waitControlAnswer(const QString &token, int timeoutMs)
{
    const std::string wanted = token.toStdString();
    return waitFrame(
        [&](const Json &frame) {
            return frame.value("Code", "") == "P2PCLIENT" && frame["Data"].is_object()
                   && frame["Data"].value("Token", "") == wanted;
        },
        timeoutMs);
}

std::optional<Json> StandinHarness::waitWsdc(const QString &token, int timeoutMs)
{
    const std::string wanted = token.toStdString();
    return waitFrame(
        [&](const Json &frame) {
            return frame.value("Code", "") == "WSDC" && frame["Data"].is_object()
                   && frame["Data"].value("Token", "") == wanted;
        },
        timeoutMs);
}

bool StandinHarness::quietUntilPingAnswered()
{
    const QString token = sendRequest(QStringLiteral("P2PClientControl"), QStringLiteral("PingBridge"), Json{{"m", ""}});
    return waitControlAnswer(token).has_value() && m_inbox.empty();
}

QString StandinHarness::login(const QString &email, const QString &password)
{
    LoginAccount account{email, password, QStringLiteral("PC"), QStringLiteral("0"), false, QStringLiteral("3.1.3"),
                         QStringLiteral("MAC")};
    sendTextFrame(QStringLiteral("Login"), QelJSON::toJSONString(account));
    const std::optional<Json> frame = waitFrameCode(QStringLiteral("LoginResult"));
    if (!frame)
        return {};
    m_loginResult = (*frame)["Data"];
    return QString::fromStdString(m_loginResult.dump());
}

QString StandinHarness::signInAndConnect(const QString &email, const QString &password, const QString &host)
{
    if (!login(email, password).contains(QStringLiteral("\"Result\"")))
        return {};
    const ClientInitJson init{QString::fromStdString(m_loginResult.value("Token", "")),
                              host.isEmpty() ? QString::fromStdString(m_loginResult.value("rooturl", "")) : host,
                              QString(), QString()};
    sendTextFrame(QStringLiteral("ClientInit"), QelJSON::toJSONString(init));
    const std::optional<Json> report = waitFrameCode(QStringLiteral("P2PCLIENT"));
    if (!report || (*report)["Data"].value("Type", "") != "GetShareHost6Client")
        return {};
    const Json msg = (*report)["Data"]["Msg"];
    return QString::fromStdString(msg.value("ClientID1", "") + "|" + msg.value("ClientID2", ""));
}

std::vector<Json> StandinHarness::pollUntilEnded(const std::function<std::optional<Json>()> &ask, int timeoutMs)
{
    std::vector<Json> seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const std::optional<Json> status = ask();
        if (!status)
            break;
        seen.push_back(*status);
        if (status->value("TaskStatus", 0) >= 3)
            break;
        pump(10);
    }
    return seen;
}

bool TestFiles::write(const QString &path, qint64 size, char seed)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char(seed + (i * 7 + i / 251) % 23);
    for (qint64 written = 0; written < size;) {
        const qint64 n = std::min<qint64>(block.size(), size - written);
        if (file.write(block.constData(), n) != n)
            return false;
        written += n;
    }
    return true;
}

QByteArray TestFiles::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList TestFiles::names(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
