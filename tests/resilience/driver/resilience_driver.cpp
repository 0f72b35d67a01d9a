// Runs the client with its bridge in a network and process namespace of their own and injects
// faults, step by step, as its arguments say. Started inside `unshare -Urpfn --mount-proc
// --kill-child`, so every process it sees is one it started, and the client's fixed loopback port
// is its own. It prints one line per step, "STEP <step> OK <value>" or "STEP <step> FAIL <why>",
// and stops at the first failure with exit status 1 (0 when every step succeeded).
//
//   hold-port:<ms>         listen on the bridge's port now and let it go ms later (the fault's end)
//   start-client           start the client (the bridge beside it is its own)
//   wait-connected:<ms>    the client connects to a bridge within ms after the last fault ended;
//                          the value is how long after the fault's end it did
//   kill-bridge            SIGKILL the bridge (the fault ends at once)
//   kill-new-bridge:<ms>   wait up to ms for a new bridge to be launched and SIGKILL it before the
//                          client has connected to it
//   term-client            send SIGTERM to the client
//   wait-client-exit:<ms>  the client ends normally with exit status 0 within ms
//   bridges-left:<ms>      no bridge is still running ms later

#include "bridge_executable.h"
#include "bridge_process_list.h"
#include "loopback_interface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

const QByteArray connectedLine = "******  OstrelBridge Is Connected!  ******";

QList<pid_t> runningBridges()
{
    QList<pid_t> pids;
    for (const auto &entry : BridgeProcessList::find(QString::fromLatin1(BridgeExecutable::accessCodeArgument)))
        pids.append(entry.pid);
    return pids;
}

class Driver
{
public:
    explicit Driver(QString client) : m_clientPath(std::move(client)) { m_clock.start(); }

    bool run(const QString &step)
    {
        m_step = step;
        using Step = bool (Driver::*)(qint64);
        static const QMap<QString, Step> steps{
            {"hold-port", &Driver::holdPort},           {"start-client", &Driver::startClient},
            {"wait-connected", &Driver::waitConnected}, {"kill-bridge", &Driver::killBridge},
            {"kill-new-bridge", &Driver::killNewBridge}, {"term-client", &Driver::termClient},
            {"wait-client-exit", &Driver::waitClientExit}, {"bridges-left", &Driver::bridgesLeft}};
        const Step chosen = steps.value(step.section(u':', 0, 0));
        return chosen ? (this->*chosen)(step.section(u':', 1).toLongLong()) : fail(QStringLiteral("unknown step"));
    }

private:
    bool report(bool succeeded, const QString &text)
    {
        std::printf("STEP %s %s %s\n", qPrintable(m_step), succeeded ? "OK" : "FAIL", qPrintable(text));
        std::fflush(stdout);
        return succeeded;
    }
    bool ok(const QString &value) { return report(true, value); }
    bool fail(const QString &why) { return report(false, why); }

    // Reads what the client printed and lets timers run, for up to ms.
    void pump(int ms)
    {
        if (m_client && m_client->state() == QProcess::Running)
            m_client->waitForReadyRead(ms);
        else
            QThread::msleep(ms);
        QCoreApplication::processEvents();
        if (m_heldUntil && m_clock.elapsed() >= *m_heldUntil) {
            m_holder.reset();
            m_heldUntil.reset();
            m_faultEnded = m_clock.elapsed();
        }
        if (!m_client)
            return;
        m_output += m_client->readAllStandardOutput();
        qsizetype end = 0;
        while ((end = m_output.indexOf('\n')) >= 0) {
            if (m_output.left(end) == connectedLine)
                m_connections.append(m_clock.elapsed());
            if (m_output.startsWith("Relaunch OstrelBridge"))
                m_lastRelaunch = m_clock.elapsed();
            m_output.remove(0, end + 1);
        }
    }

    bool holdPort(qint64 ms)
    {
        m_holder = std::make_unique<QTcpServer>();
        if (!m_holder->listen(QHostAddress::LocalHost, BridgeExecutable::port))
            return fail(QStringLiteral("cannot listen: ") + m_holder->errorString());
        m_heldUntil = m_clock.elapsed() + ms;
        return ok(QString::number(ms));
    }

    bool startClient(qint64)
    {
        m_client = std::make_unique<QProcess>();
        m_client->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_client->start(m_clientPath, {});
        return m_client->waitForStarted(10000) ? ok(QString::number(m_client->processId())) : fail(m_client->errorString());
    }

    bool waitConnected(qint64 ms)
    {
        while (m_heldUntil)
            pump(50);
        const qsizetype before = m_connections.size();
        while (m_clock.elapsed() - m_faultEnded < ms) {
            pump(50);
            for (qsizetype i = before; i < m_connections.size(); ++i) {
                if (m_connections.at(i) >= m_faultEnded)
                    return ok(QString::number(m_connections.at(i) - m_faultEnded));
            }
            if (m_client->state() != QProcess::Running)
                return fail(QStringLiteral("the client ended"));
        }
        return fail(QStringLiteral("not connected within %1 ms").arg(ms));
    }

    bool killBridge(qint64)
    {
        pump(10);
        const QList<pid_t> bridges = runningBridges();
        if (bridges.size() != 1)
            return fail(QStringLiteral("%1 bridges running").arg(bridges.size()));
        ::kill(bridges.first(), SIGKILL);
        m_killed.append(bridges.first());
        m_faultEnded = m_clock.elapsed();
        return ok(QString::number(bridges.first()));
    }

    bool killNewBridge(qint64 ms)
    {
        const qsizetype connections = m_connections.size();
        const qint64 start = m_clock.elapsed();
        while (m_clock.elapsed() - start < ms) {
            for (const pid_t pid : runningBridges()) {
                if (m_killed.contains(pid))
                    continue;
                ::kill(pid, SIGKILL);
                m_killed.append(pid);
                m_faultEnded = m_clock.elapsed();
                pump(0);
                if (m_connections.size() != connections)
                    return fail(QStringLiteral("the client connected before the kill"));
                return ok(QString::number(pid));
            }
            pump(5);
        }
        return fail(QStringLiteral("no new bridge within %1 ms").arg(ms));
    }

    bool termClient(qint64)
    {
        if (!m_client || m_client->state() != QProcess::Running)
            return fail(QStringLiteral("no client"));
        ::kill(pid_t(m_client->processId()), SIGTERM);
        m_faultEnded = m_clock.elapsed();
        return ok(QString());
    }

    bool waitClientExit(qint64 ms)
    {
        if (!m_client->waitForFinished(int(ms)) || m_client->exitStatus() == QProcess::CrashExit || m_client->exitCode() != 0)
            return fail(QStringLiteral("not ended with exit status 0 within %1 ms").arg(ms));
        pump(0);
        return m_lastRelaunch < m_faultEnded ? ok(QStringLiteral("0")) : fail(QStringLiteral("relaunched a bridge"));
    }

    bool bridgesLeft(qint64 ms)
    {
        const qint64 start = m_clock.elapsed();
        while (!runningBridges().isEmpty() && m_clock.elapsed() - start < ms)
            QThread::msleep(20);
        const qsizetype left = runningBridges().size();
        return left == 0 ? ok(QStringLiteral("0")) : fail(QStringLiteral("%1 still running").arg(left));
    }

    QString m_clientPath;
    QString m_step;
    QElapsedTimer m_clock;
    std::unique_ptr<QProcess> m_client;
    QByteArray m_output;
    QList<qint64> m_connections;
    QList<pid_t> m_killed;
    qint64 m_faultEnded = 0;
    qint64 m_lastRelaunch = -1;
    std::unique_ptr<QTcpServer> m_holder;
    std::optional<qint64> m_heldUntil;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: %s <client executable> <step>...\n", argv[0]);
        return 2;
    }
    if (!bringLoopbackUp()) {
        std::printf("STEP setup FAIL loopback interface\n");
        return 1;
    }
    Driver driver(arguments.first());
    for (const QString &step : arguments.mid(1)) {
        if (!driver.run(step))
            return 1;
    }
    return 0;
}
