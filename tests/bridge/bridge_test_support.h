#pragma once

// Shared by the bridge tests: a fixture that resets the layer and puts a manual clock in place,
// a WebSocket server on loopback that plays the bridge, and small waiting and output helpers.

#include "clock.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWebSocket>
#include <QWebSocketServer>

#include <functional>
#include <ostream>
#include <memory>
#include <optional>


using Json = nlohmann::json;

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os);

// Processes events until pred holds or timeoutMs passes; the result of pred.
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 3000);
// Processes events for about ms.
void spin(int ms);

// Lines written to standard output while a test step runs.
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

// Plays the bridge: accepts the link, records every frame it receives and sends frames back.
class FakeBridgeServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeBridgeServer)

public:
    FakeBridgeServer();
    quint16 port() const { return m_server.serverPort(); }
    bool hasClient() const { return m_client != nullptr; }

    // Every frame received, parsed.
    QList<Json> frames;
    // Called for each frame after it was recorded.
    std::function<void(const Json &frame)> onFrame;

    // Msg.Data of the control requests received with this code (object or text form).
    QList<Json> controlRequests(const QString &code) const;
    // Sends {"Code": code, "Data": data}.
    void send(const QString &code, const QString &data);
    // Answers a control request: a "P2PCLIENT" frame with its token and msg.
    void answer(const QString &token, const Json &msg);
    // Answers every "PingBridge" at once from now on.
    void answerPings(bool on) { m_answerPings = on; }
    // The answer given at once to the version request of every connection; nothing answers it
    // when empty. By default the service offers no version.
    std::optional<Json> versionReply = Json(R"({"info":0})");
    void closeClient();

private:
    QWebSocketServer m_server;
    QPointer<QWebSocket> m_client;
    bool m_answerPings = false;
};

// The request inside a control frame, whether sent in object or text form.
Json requestOf(const Json &frame);
bool isVersionRequest(const Json &frame);

class BridgeTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void tick(int times = 1);
    // One tick after advancing the clock by a second, times times.
    void tickSeconds(int times);
    // Ticks until the link reaches the server's bridge, and waits for the connection and for
    // the version request to be answered when the server answers it.
    bool connectTo(FakeBridgeServer &server);

    std::shared_ptr<ManualClock> clock;
};
