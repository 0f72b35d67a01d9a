#pragma once

// Shared by the shell's tests: a fixture with a fresh bridge layer, a manual clock, the database
// in the test's own home and the English interface; a WebSocket server on loopback that plays the
// bridge; a small HTTP server that plays the account API; output capture and screenshots.

#include "clock.h"
#include "user_info.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>

class MainView;
class QWidget;

using Json = nlohmann::json;

void PrintTo(const QString &text, std::ostream *os);

// Processes events until pred holds or timeoutMs passes; the result of pred.
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 3000);

// Lines written to standard output while it exists (or until lines() is called).
class CapturedOutput final
{
public:
    CapturedOutput();
    ~CapturedOutput();
    Q_DISABLE_COPY_MOVE(CapturedOutput)
    QStringList lines();

private:
    bool m_capturing = true;
};

// Plays the bridge on a loopback port of its own: records the frames the client sends, answers
// "PingBridge" while asked to, the version request with "no newer version", and "Login" with
// loginResult when one is set.
class TestBridge final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestBridge)

public:
    TestBridge();
    quint16 port() const { return m_server.serverPort(); }
    bool hasClient() const { return m_client != nullptr; }

    QList<Json> frames;
    bool answerPings = true;
    // The Data text of the "LoginResult" frame that answers every "Login"; none when empty.
    std::optional<QString> loginResult;

    // The frames with this top-level code.
    QList<Json> framesWithCode(const QString &code) const;
    // The payloads of control requests with this code.
    QList<Json> controlRequests(const QString &code) const;
    void send(const QString &code, const QString &data);

private:
    void answer(const std::string &token, const Json &msg);

    QWebSocketServer m_server;
    QPointer<QWebSocket> m_client;
};

// Plays the account API over plain HTTP: answers every GET with body after the request has
// waited until released (when holdReplies is set). Records the request targets.
class TestHttpServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestHttpServer)

public:
    TestHttpServer();
    QString baseUrl() const;

    QStringList targets;
    QByteArray body = R"({"Result":"1","Info":"host"})";
    int status = 200;
    bool holdReplies = false;
    // Answers the requests held so far.
    void releaseHeld();

private:
    void reply(QTcpSocket *socket);

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_held;
};

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, shown, with its login sheet open.
    MainView &showMainView();
    // Runs the window's timer slot times times, the clock a second later each time.
    void tickMain(int times = 1);
    // Runs the login sheet's timer slot.
    void tickLogin(int times = 1);
    // Ticks the window until the link reaches bridge.
    bool connectTo(TestBridge &bridge);
    // Ends the login sheet the way a successful login does, so that the navigation shows.
    void finishLogin(UserInfo record = testAccount());
    static UserInfo testAccount();

    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<MainView> window;
};

// Saves widget's picture as <build>/screenshots/<name>.png; the file's path, or "" on failure.
QString saveScreenshot(QWidget &widget, const QString &name);
