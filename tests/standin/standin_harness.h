#pragma once

#include "qel_json.h"
#include "standin_bridge_process.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QWebSocket>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

using Json = QelJSON::Json;

// Runs the built stand-in bridge (tests/support's StandinBridgeProcess) and plays the Fenmar
// client on its WebSocket. Frames the bridge sends are queued until a test takes them.
class StandinHarness final
{
public:
    explicit StandinHarness(QMap<QString, QString> environment = {});
    ~StandinHarness();
    Q_DISABLE_COPY_MOVE(StandinHarness)

    // Starts the program with its one argument and waits for its ready line.
    bool start(const QStringList &arguments = {});
    // Ends the program this harness started (and only that one).
    void stop();
    bool connectClient(const QString &path = QStringLiteral("/ws"), const QString &origin = {});
    void disconnectClient();

    quint16 wsPort() const { return m_bridge.wsPort(); }
    quint16 httpPort() const { return m_bridge.httpPort(); }
    QProcess &process() { return m_bridge.process(); }
    // Everything the program printed so far.
    QString output() { return m_bridge.output(); }
    QWebSocket &socket() { return *m_socket; }

    // ---- Playing the client ------------------------------------------------------------------
    void sendText(const QString &text);
    // A frame in text form: Msg.Data is payloadText as a JSON string.
    void sendTextFrame(const QString &code, const QString &payloadText);
    // A request in object form (what a waiting sender sends); returns its token.
    QString sendRequest(const QString &frameCode, const QString &code, const Json &data,
                        const QString &session = {}, const QString &isProcessOnBridge = QStringLiteral("-"));
    // Sends a control request and waits for the answer's "Msg"; nothing when none came.
    std::optional<Json> control(const QString &code, const Json &data, const QString &session = {});

    // The next frame {"Code", "Data" parsed} that matches, waiting up to timeoutMs (long: it matters
    // only when the frame does not come, and the bridge may get a small share of a core).
    std::optional<Json> waitFrame(const std::function<bool(const Json &frame)> &matches, int timeoutMs = 30'000);
    std::optional<Json> waitFrameCode(const QString &code, int timeoutMs = 30'000);
    // The "P2PCLIENT" answer with this token.
    std::optional<Json> waitControlAnswer(const QString &token, int timeoutMs = 30'000);
    // The "WSDC" frame with this token.
    std::optional<Json> waitWsdc(const QString &token, int timeoutMs = 30'000);
    // True when no frame comes before the answer to a ping sent now: the bridge handles a
    // connection's frames in order and answers on it in order, so what earlier frames lead to
    // would come first.
    bool quietUntilPingAnswered();

    // Signs in; the LoginResult's Data text.
    QString login(const QString &email, const QString &password);
    // Signs in (must succeed) and opens a peer session with host; the session text.
    QString signInAndConnect(const QString &email, const QString &password, const QString &host = {});
    Json loginResult() const { return m_loginResult; }

    // Polls a status request until its TaskStatus is past running; every answer seen.
    std::vector<Json> pollUntilEnded(const std::function<std::optional<Json>()> &ask, int timeoutMs = 60'000);

private:
    void pump(int ms);

    StandinBridgeProcess m_bridge;
    std::unique_ptr<QWebSocket> m_socket;
    std::deque<Json> m_inbox;
    Json m_loginResult;
};

// Helpers for files made by tests.
namespace TestFiles {
// A file of size bytes with content that differs from position to position.
bool write(const QString &path, qint64 size, char seed = 'a');
QByteArray read(const QString &path);
// Names in folder, hidden ones included.
QStringList names(const QString &folder);
} // namespace TestFiles
