#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// The built stand-in bridge as the client would run it: a child process on free loopback ports of
// its own choosing, under this test's HOME, with extra environment (its settings) when given.
// Ends with this object; only the process it started is ever stopped. It starts only inside
// PrivateNetwork's child, where nothing else can reach it.
class StandinBridgeProcess final
{
public:
    explicit StandinBridgeProcess(QMap<QString, QString> environment = {});
    ~StandinBridgeProcess();
    Q_DISABLE_COPY_MOVE(StandinBridgeProcess)

    // Starts it (with the access-code argument unless others are given) and waits for its ready
    // line; false when it did not start or ended first. May be called again after stop().
    bool start(const QStringList &arguments = {});
    void stop();

    quint16 wsPort() const { return m_wsPort; }
    quint16 httpPort() const { return m_httpPort; }
    // "http://127.0.0.1:<http port>/".
    QString httpBase() const;
    QProcess &process() { return *m_process; }
    // Everything it printed so far.
    QString output();

private:
    QMap<QString, QString> m_environment;
    std::unique_ptr<QProcess> m_process = std::make_unique<QProcess>();
    QString m_output;
    quint16 m_wsPort = 0;
    quint16 m_httpPort = 0;
};

// Connects the client's link to the stand-in and signs in with email; the account record then
// holds what the login result said. The account is made at its first sign-in.
bool signInThroughStandin(StandinBridgeProcess &standin, const QString &email, const QString &password);
