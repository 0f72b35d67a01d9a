// The client with its real bridge, each test in a process and network namespace of its own (the
// client's loopback port is fixed): whatever happens to the bridge, the client has a bridge again
// without anyone's help, and when the client is asked to end, its bridge ends with it. The faults
// are injected by a driver inside the namespace (driver/resilience_driver.cpp).

#include "test_home.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QProcess>

namespace {

// Within this after a fault has ended the client is connected to a bridge again.
constexpr int recoveryMs = 30'000;

struct DriverRun {
    // Each step's value, for the steps that succeeded.
    QMap<QString, QString> values;
    QString failure;
    QString output;
};

bool canIsolate()
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {"-Urpfn", "--mount-proc", "--kill-child", "true"});
    return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

// Runs the steps in a fresh namespace; the client and the stand-in keep their files under this
// test's HOME.
DriverRun drive(const QStringList &steps, int timeoutMs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        env.remove(name);
    QProcess driver;
    driver.setProcessEnvironment(env);
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(QStringLiteral("unshare"), QStringList{"-Urpfn", "--mount-proc", "--kill-child", FENMAR_RESILIENCE_DRIVER,
                                                        qEnvironmentVariable("FENMAR_BIN_DIR") + "/fenmar"}
                                                + steps);
    DriverRun run;
    if (!driver.waitForFinished(timeoutMs)) {
        driver.kill();
        driver.waitForFinished();
        run.failure = "the driver did not end in time";
    }
    run.output = QString::fromUtf8(driver.readAllStandardOutput());
    for (const QString &line : run.output.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList words = line.split(u' ');
        if (words.size() < 3 || words[0] != "STEP")
            continue;
        if (words[2] == "OK")
            run.values.insert(words[1], words.mid(3).join(u' '));
        else if (run.failure.isEmpty())
            run.failure = words[1] + ": " + words.mid(3).join(u' ');
    }
    return run;
}

QString waitConnected()
{
    return QStringLiteral("wait-connected:%1").arg(recoveryMs);
}

class BridgeFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!canIsolate())
            GTEST_SKIP() << "no process and network namespace for the client here";
    }

    // The client connected again within the time allowed after the step's fault ended.
    static void expectRecovered(const DriverRun &run, const QString &step)
    {
        ASSERT_TRUE(run.failure.isEmpty()) << run.failure.toStdString() << "\n" << run.output.toStdString();
        ASSERT_TRUE(run.values.contains(step)) << run.output.toStdString();
        EXPECT_LT(run.values.value(step).toInt(), recoveryMs);
    }
};

} // namespace

TEST_F(BridgeFaults, KilledWhileConnectedAndItsReplacementKilledBeforeItConnects)
{
    const DriverRun run = drive({"start-client", waitConnected(), "kill-bridge", "kill-new-bridge:20000", waitConnected()},
                                90'000);
    expectRecovered(run, waitConnected());
}

TEST_F(BridgeFaults, FirstBridgeKilledBeforeItEverConnected)
{
    const DriverRun run = drive({"start-client", "kill-new-bridge:10000", waitConnected()}, 60'000);
    expectRecovered(run, waitConnected());
}

TEST_F(BridgeFaults, PortHeldByAnotherListenerForTwentySecondsThenReleased)
{
    const DriverRun run = drive({"hold-port:20000", "start-client", waitConnected()}, 90'000);
    expectRecovered(run, waitConnected());
}

TEST_F(BridgeFaults, SigtermEndsTheClientAndItsBridge)
{
    const DriverRun run = drive({"start-client", waitConnected(), "term-client", "wait-client-exit:10000", "bridges-left:3000"},
                                60'000);
    ASSERT_TRUE(run.failure.isEmpty()) << run.failure.toStdString() << "\n" << run.output.toStdString();
    EXPECT_EQ(run.values.value("wait-client-exit:10000"), "normal 0") << "it quits as it does when asked by the user";
    EXPECT_EQ(run.values.value("bridges-left:3000"), "0");
}
