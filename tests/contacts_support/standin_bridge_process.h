#pragma once

#include <QProcess>
#include <QString>

// The stand-in bridge as the client would run it, on free loopback ports, under this test's HOME.
class StandinBridgeProcess final
{
public:
    // copyDelayMs slows the stand-in's copying down (per block) so that a transfer can be watched
    // and cancelled halfway.
    explicit StandinBridgeProcess(int copyDelayMs = 0) : m_copyDelayMs(copyDelayMs) {}
    ~StandinBridgeProcess();
    Q_DISABLE_COPY_MOVE(StandinBridgeProcess)

    // Starts it and waits for its ready line.
    bool start();
    quint16 port() const { return m_port; }
    // What it printed so far.
    QString output();

private:
    int m_copyDelayMs;
    QProcess m_process;
    QString m_output;
    quint16 m_port = 0;
};

// Connects the client's link to the stand-in and signs in with email; the account record then
// holds what the login result said. The account is made at its first sign-in.
bool signInThroughStandin(StandinBridgeProcess &standin, const QString &email, const QString &password);
