// The supervisor with a small fake bridge executable copied into a temporary folder of the test's
// own: launch, kill, relaunch, earlier bridges, failures. Only processes this test started can
// match, since the supervisor is pointed at that folder.

#include "bridge_test_support.h"

#include "bridge_executable.h"
#include "bridge_supervisor.h"
#include "env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <unistd.h>

namespace {

bool processGone(qint64 pid)
{
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!cmdline.open(QIODevice::ReadOnly))
        return true;
    return cmdline.readAll().isEmpty(); // a zombie has no command line left
}

class SupervisorTest : public BridgeTest
{
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        bridgePath = folder.filePath(Env::bridgeExecutableName());
        ASSERT_TRUE(QFile::copy(QStringLiteral(FENMAR_FAKE_BRIDGE), bridgePath));
        Env::setBridgeFolderForTests(folder.path());
        Env::setRelaunchDelayForTests(10);
    }

    void TearDown() override
    {
        BridgeTest::TearDown();
        for (const qint64 pid : std::as_const(detached))
            ::kill(pid_t(pid), SIGKILL);
    }

    // Starts a bridge the way an earlier run of the client left it: not our child, still running.
    qint64 startEarlierBridge(const QString &path)
    {
        qint64 pid = 0;
        EXPECT_TRUE(QProcess::startDetached(path, {QString::fromLatin1(BridgeExecutable::accessCodeArgument)}, QString(), &pid));
        detached << pid;
        EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(QFileInfo(path).absolutePath() + QStringLiteral("/started-") + QString::number(pid)); }));
        return pid;
    }

    bool startedMarker(qint64 pid) const
    {
        return QFileInfo::exists(folder.filePath(QStringLiteral("started-") + QString::number(pid)));
    }

    QTemporaryDir folder;
    QString bridgePath;
    QList<qint64> detached;
};

} // namespace

TEST(BridgeNames, ChosenByProcessorType)
{
    EXPECT_EQ(Env::bridgeExecutableName(QStringLiteral("CPU_TYPE_ARM64")), QStringLiteral("OstrelBridge"));
    EXPECT_EQ(Env::bridgeExecutableName(QStringLiteral("CPU_TYPE_X86_64")), QStringLiteral("OstrelBridge_amd"));
    EXPECT_EQ(Env::bridgeExecutableName(QStringLiteral("CPU_TYPE_ARM64_32")), QStringLiteral("OstrelBridge_amd"));
    EXPECT_EQ(Env::bridgeExecutableName(QString()), QStringLiteral("OstrelBridge_amd"));
    EXPECT_EQ(QString::fromLatin1(BridgeExecutable::accessCodeArgument).size(), 39);
}

TEST_F(SupervisorTest, RestartLaunchesWithTheArgumentAndKillsAndRelaunches)
{
    CapturedOutput output;
    Env::restartBridge();
    EXPECT_TRUE(Env::isRelaunchPending());
    ASSERT_TRUE(waitFor([] { return Env::bridgeProcess() != nullptr; }));
    const qint64 first = Env::bridgeProcess()->processId();
    EXPECT_EQ(Env::bridgeProcess()->arguments(), QStringList{QString::fromLatin1(BridgeExecutable::accessCodeArgument)});
    // It wrote 4 MB before leaving its marker: nothing stalls on an unread pipe.
    ASSERT_TRUE(waitFor([&] { return startedMarker(first); }, 5000));
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("Clearing OstrelBridge..."), QStringLiteral("---ReCheck Instance false"),
                                           QStringLiteral("++++++Try To Starting OstrelBridge++++++"),
                                           QUrl::fromLocalFile(bridgePath).toString(),
                                           QStringLiteral("------OstrelBridge Exited------")}));

    CapturedOutput check;
    EXPECT_TRUE(Env::isBridgeRunning());
    const QStringList listed = check.lines();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0], QString::number(first) + u' ' + bridgePath + u' ' + QString::fromLatin1(BridgeExecutable::accessCodeArgument));

    Env::isBridgeConnected = true;
    Env::bridgeConnectCounter = -1;
    Env::restartBridge();
    EXPECT_TRUE(processGone(first));
    EXPECT_TRUE(Env::isBridgeConnected) << "the flag stays until the relaunch step";
    ASSERT_TRUE(waitFor([&] { return Env::bridgeProcess() && Env::bridgeProcess()->processId() != first; }));
    EXPECT_FALSE(Env::isBridgeConnected);
    EXPECT_EQ(Env::bridgeConnectCounter, 0);
    EXPECT_TRUE(waitFor([&] { return startedMarker(Env::bridgeProcess()->processId()); }, 5000));
}

TEST_F(SupervisorTest, KillStepFindsEarlierBridgesAndPrintsInOrder)
{
    const qint64 earlier = startEarlierBridge(bridgePath);
    CapturedOutput output;
    Env::clearBridge();
    const QStringList lines = output.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Clearing OstrelBridge..."));
    EXPECT_EQ(lines[1], QStringLiteral("---ReCheck Instance false"));
    EXPECT_TRUE(waitFor([&] { return processGone(earlier); }));
    EXPECT_FALSE(Env::isBridgeRunning());
}

TEST_F(SupervisorTest, BridgesOutsideTheFolderAreLeftAlone)
{
    QTemporaryDir elsewhere;
    const QString otherPath = elsewhere.filePath(Env::bridgeExecutableName());
    ASSERT_TRUE(QFile::copy(QStringLiteral(FENMAR_FAKE_BRIDGE), otherPath));
    const qint64 other = startEarlierBridge(otherPath);
    Env::clearBridge();
    spin(50);
    EXPECT_FALSE(processGone(other));
}

TEST_F(SupervisorTest, BridgeThatIgnoresTerminateIsKilled)
{
    qputenv("FENMAR_FAKE_BRIDGE_IGNORE_TERM", "1");
    Env::startBridge();
    qunsetenv("FENMAR_FAKE_BRIDGE_IGNORE_TERM");
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    const qint64 pid = Env::bridgeProcess()->processId();
    ASSERT_TRUE(waitFor([&] { return startedMarker(pid); }, 5000));
    Env::clearBridge();
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    EXPECT_TRUE(processGone(pid));
}

TEST_F(SupervisorTest, FailedLaunchIsPrintedAndLeavesNoProcess)
{
    QFile::remove(bridgePath);
    CapturedOutput output;
    Env::startBridge();
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    const QStringList lines = output.lines();
    EXPECT_EQ(lines.last(), QStringLiteral("Something went wrong!"));
    EXPECT_FALSE(lines.contains(QStringLiteral("------OstrelBridge Exited------")));
}

TEST_F(SupervisorTest, RestartsWithinTheDelayLaunchOnce)
{
    Env::setRelaunchDelayForTests(100);
    Env::restartBridge();
    Env::restartBridge();
    ASSERT_TRUE(waitFor([] { return Env::bridgeProcess() != nullptr; }));
    const qint64 pid = Env::bridgeProcess()->processId();
    spin(200);
    EXPECT_EQ(Env::bridgeProcess()->processId(), pid);
    CapturedOutput check;
    Env::isBridgeRunning();
    EXPECT_EQ(check.lines().size(), 1) << "one bridge, not two";
}

TEST_F(SupervisorTest, RunModeBelowTwoDoesNothing)
{
    Env::runMode = 1;
    CapturedOutput output;
    Env::restartBridge();
    Env::startBridge();
    spin(30);
    EXPECT_TRUE(output.lines().isEmpty());
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
}

TEST(AppInstance, RunPathIsTheExecutablesFolder)
{
    CapturedOutput output;
    Env::locateAppInstance();
    EXPECT_EQ(Env::appRunPath, QCoreApplication::applicationDirPath());
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("App Run At: ") + QCoreApplication::applicationDirPath()});
}
