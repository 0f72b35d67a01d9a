// The client with its real bridge, each case in a process and network namespace of its own (the
// client's loopback port is fixed): whatever happens to the bridge, the client is connected to a
// bridge again within 30 seconds after the fault without anyone's help, and when the client is
// asked to end, it ends normally and its bridge with it. A driver inside the namespace injects
// the faults and judges each step (driver/resilience_driver.cpp).

#include <gtest/gtest.h>

#include <QProcess>

namespace {

// The driver's steps (apart by blanks) for one fault and its recovery, and how long they may take.
// Thirty seconds to reconnect is what the client promises; the other waits only matter when a step
// fails, so they leave room for a busy machine.
struct Fault {
    const char *name;
    const char *steps;
    int timeoutMs;
};

void PrintTo(const Fault &fault, std::ostream *os)
{
    *os << fault.name;
}

class BridgeFaults : public ::testing::TestWithParam<Fault>
{
protected:
    void SetUp() override
    {
        if (QProcess::execute(QStringLiteral("unshare"), {"-Urpfn", "--mount-proc", "--kill-child", "true"}) != 0)
            GTEST_SKIP() << "no process and network namespace for the client here";
    }

    // Runs the steps in a fresh namespace (files under this test's HOME): "" when every step
    // succeeded, else the driver's account of it.
    static QString drive(const QStringList &steps, int timeoutMs)
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
        const bool ended = driver.waitForFinished(timeoutMs);
        if (!ended) {
            driver.kill();
            driver.waitForFinished();
        }
        const QString output = QString::fromUtf8(driver.readAllStandardOutput());
        if (ended && driver.exitStatus() == QProcess::NormalExit && driver.exitCode() == 0)
            return {};
        return (ended ? QString() : QStringLiteral("the driver did not end in time\n")) + output;
    }
};

TEST_P(BridgeFaults, EveryStepOfTheFaultAndTheRecoverySucceeds)
{
    EXPECT_EQ(drive(QString::fromLatin1(GetParam().steps).split(u' '), GetParam().timeoutMs).toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BridgeFaults,
    ::testing::Values(Fault{"KilledWhileConnectedAndItsReplacementKilledBeforeItConnects",
                            "start-client wait-connected:30000 kill-bridge kill-new-bridge:20000 wait-connected:30000", 90'000},
                      Fault{"FirstBridgeKilledBeforeItEverConnected", "start-client kill-new-bridge:10000 wait-connected:30000", 60'000},
                      Fault{"PortHeldByAnotherListenerForTwentySecondsThenReleased",
                            "hold-port:20000 start-client wait-connected:30000", 90'000},
                      Fault{"SigtermEndsTheClientNormallyAndItsBridge",
                            "start-client wait-connected:30000 term-client wait-client-exit:30000 bridges-left:30000", 120'000}),
    [](const ::testing::TestParamInfo<Fault> &info) { return std::string(info.param.name); });

} // namespace
