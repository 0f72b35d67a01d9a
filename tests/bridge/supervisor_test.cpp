// The supervisor with a small fake bridge executable copied into a temporary folder of the test's
// own: launch, kill, relaunch, earlier bridges, failures, the back-off after bridges that end or
// cannot start, the quit. Only processes this test started can match, since the supervisor is
// pointed at that folder. Waits are read from the manual clock.

#include "bridge_test_support.h"
#include "child_test_run.h"
#include "test_home.h"

#include "bridge_executable.h"
#include "bridge_link.h"
#include "bridge_supervisor.h"
#include "env.h"
#include "link_status.h"
#include "p2p_client_msg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWebSocket>

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

    // Advances the clock and runs what has become due.
    void elapse(qint64 ms)
    {
        clock->advanceMs(ms);
        Env::runDueSupervision();
    }

    // The pid of the bridge of ours that runs, once it has started; 0 when none does.
    qint64 runningBridge()
    {
        if (!Env::bridgeProcess())
            return 0;
        const qint64 pid = Env::bridgeProcess()->processId();
        return waitFor([&] { return startedMarker(pid); }) ? pid : 0;
    }

    // A blank and a letter outside ASCII in the folder's name: the launch and the process list
    // take the folder as it is.
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/dir with space é-XXXXXX")};
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
    elapse(9);
    EXPECT_EQ(Env::bridgeProcess(), nullptr) << "the relaunch waits for its time";
    elapse(1);
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    const qint64 first = Env::bridgeProcess()->processId();
    EXPECT_EQ(Env::bridgeProcess()->arguments(), QStringList{QString::fromLatin1(BridgeExecutable::accessCodeArgument)});
    // It wrote 4 MB before leaving its marker: nothing stalls on an unread pipe.
    ASSERT_TRUE(waitFor([&] { return startedMarker(first); }));
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("Clearing OstrelBridge..."), QStringLiteral("---ReCheck Instance false"),
                                           QStringLiteral("++++++Try To Starting OstrelBridge++++++"),
                                           "file://" + QString(bridgePath).replace("dir with space é", "dir%20with%20space%20%C3%A9"),
                                           QStringLiteral("------OstrelBridge Exited------")}));

    CapturedOutput check;
    EXPECT_TRUE(Env::isBridgeRunning());
    const QStringList listed = check.lines();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0], QString::number(first) + u' ' + bridgePath + u' ' + QString::fromLatin1(BridgeExecutable::accessCodeArgument));

    Env::isBridgeConnected = true;
    Env::bridgeConnectCounter = -1;
    Env::noteBridgeConnected();
    Env::restartBridge();
    EXPECT_TRUE(processGone(first));
    EXPECT_TRUE(Env::isBridgeConnected) << "the flag stays until the relaunch step";
    elapse(10);
    ASSERT_TRUE(Env::bridgeProcess() && Env::bridgeProcess()->processId() != first);
    EXPECT_FALSE(Env::isBridgeConnected);
    EXPECT_EQ(Env::bridgeConnectCounter, 0);
    EXPECT_TRUE(waitFor([&] { return startedMarker(Env::bridgeProcess()->processId()); }));
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
    const qint64 ours = startEarlierBridge(bridgePath);
    Env::clearBridge();
    // Both would be ended in the same step: by the time ours is gone, the other would be going.
    ASSERT_TRUE(waitFor([&] { return processGone(ours); }));
    EXPECT_FALSE(processGone(other));
}

TEST_F(SupervisorTest, BridgeThatIgnoresTerminateIsKilled)
{
    qputenv("FENMAR_FAKE_BRIDGE_IGNORE_TERM", "1");
    Env::startBridge();
    qunsetenv("FENMAR_FAKE_BRIDGE_IGNORE_TERM");
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    const qint64 pid = Env::bridgeProcess()->processId();
    ASSERT_TRUE(waitFor([&] { return startedMarker(pid); }));
    Env::clearBridge();
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    EXPECT_TRUE(processGone(pid));
}

TEST_F(SupervisorTest, TheRelaunchLineGivesTheWaitAsSetHoweverLongTheLaunchTook)
{
    // A clock that moves on at every reading, as on a busy machine.
    class CreepingClock final : public Clock
    {
    public:
        qint64 msecsSinceEpoch() const override { return m_now += 3; }

    private:
        mutable qint64 m_now = 1'700'000'000'000;
    };
    Clock::set(std::make_shared<CreepingClock>());
    QFile::remove(bridgePath);
    CapturedOutput output;
    Env::startBridge();
    // The shortest wait of 10, doubled after the one launch that reached no bridge.
    const QStringList lines = output.lines();
    EXPECT_EQ(lines.value(lines.size() - 1), QStringLiteral("Relaunch OstrelBridge in 20 ms"));
}

TEST_F(SupervisorTest, FailedLaunchesAreRetriedWithAWaitThatDoublesUpToThirtySeconds)
{
    Env::setRelaunchDelayForTests(500);
    QFile::remove(bridgePath);
    Env::restartBridge();
    // The wait before each launch, to a tenth of a second.
    QList<qint64> waits;
    qint64 sinceLast = 0;
    QStringList firstFailure;
    while (waits.size() < 9 && sinceLast <= 60'000) {
        CapturedOutput output;
        elapse(100);
        sinceLast += 100;
        const QStringList lines = output.lines();
        if (lines.contains(QStringLiteral("++++++Try To Starting OstrelBridge++++++"))) {
            waits << sinceLast;
            sinceLast = 0;
            if (firstFailure.isEmpty())
                firstFailure = lines;
        }
    }
    EXPECT_EQ(waits, (QList<qint64>{500, 1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    ASSERT_FALSE(firstFailure.isEmpty());
    EXPECT_EQ(firstFailure.mid(firstFailure.size() - 2),
              QStringList({QStringLiteral("Something went wrong!"), QStringLiteral("Relaunch OstrelBridge in 1000 ms")}));

    // A bridge that can start again and is reached: the back-off starts over.
    ASSERT_TRUE(QFile::copy(QStringLiteral(FENMAR_FAKE_BRIDGE), bridgePath));
    elapse(30000);
    ASSERT_NE(runningBridge(), 0);
    Env::noteBridgeConnected();
    Env::restartBridge();
    elapse(499);
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    elapse(1);
    EXPECT_NE(runningBridge(), 0);
}

TEST_F(SupervisorTest, BridgeThatEndsByItselfTakesItsLinkAlongAndIsRelaunched)
{
    Env::setRelaunchDelayForTests(500);
    Env::restartBridge();
    elapse(500);
    const qint64 first = runningBridge();
    ASSERT_NE(first, 0);
    // Connected, with a request waiting for the bridge's answer.
    Env::isBridgeConnected = true;
    Env::bridgeConnectCounter = -1;
    Env::noteBridgeConnected();
    std::optional<bool> answered;
    P2PClientMsg::taskTable().add(QStringLiteral("P2PClient1-T"),
                                  RemoteWSDCTask{QStringLiteral("GetLanHttp"), RemoteWSDCTask::Kind::Bridge, clock->msecsSinceEpoch() + 60000,
                                                 [&](const std::optional<LenientJson> &answer) { answered = answer.has_value(); }});
    const quint64 lostBefore = LinkStatus::lostLinks();

    CapturedOutput output;
    ::kill(pid_t(first), SIGKILL);
    ASSERT_TRUE(waitFor([] { return Env::isRelaunchPending(); }));
    EXPECT_FALSE(Env::isBridgeConnected) << "the link went with its bridge";
    EXPECT_EQ(LinkStatus::lostLinks(), lostBefore + 1);
    EXPECT_EQ(answered, std::optional<bool>(false)) << "its answer will never come";
    EXPECT_TRUE(output.lines().contains(QStringLiteral("Relaunch OstrelBridge in 500 ms")));

    elapse(500);
    const qint64 second = runningBridge();
    EXPECT_NE(second, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(Env::bridgeConnectCounter, 0);

    // It dies too before any connection: the next one comes a second later.
    ::kill(pid_t(second), SIGKILL);
    ASSERT_TRUE(waitFor([] { return Env::isRelaunchPending(); }));
    elapse(999);
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    elapse(1);
    const qint64 third = runningBridge();
    EXPECT_NE(third, 0);
    CapturedOutput check;
    Env::isBridgeRunning();
    EXPECT_EQ(check.lines().size(), 1) << "one bridge, not two";

    // Nobody listens on the link. A relaunch in the middle of a connection cycle starts the cycle
    // again: the link tries the new bridge at the third tick after its launch, also when it could
    // not be started.
    BridgeLink::setPortForTests(closedLoopbackPort());
    EXPECT_EQ(attemptTicks(5), QList<int>{3});
    ::kill(pid_t(third), SIGKILL);
    ASSERT_TRUE(waitFor([] { return Env::isRelaunchPending(); }));
    elapse(2000);
    const qint64 fourth = runningBridge();
    ASSERT_NE(fourth, 0);
    EXPECT_EQ(attemptTicks(5), QList<int>{3}) << "after a relaunch that started the bridge";
    ASSERT_TRUE(QFile::remove(bridgePath));
    ::kill(pid_t(fourth), SIGKILL);
    ASSERT_TRUE(waitFor([] { return Env::isRelaunchPending(); }));
    {
        CapturedOutput output;
        elapse(4000);
        ASSERT_TRUE(output.lines().contains(QStringLiteral("Something went wrong!")));
    }
    EXPECT_EQ(attemptTicks(3), QList<int>{3}) << "after a relaunch that could not start the bridge";
}

TEST_F(SupervisorTest, ALinkThatIsUpIsNeverCutByARelaunch)
{
    // Another program answers on the bridge's port; ours cannot start at first, then cannot take
    // the port and ends.
    FakeBridgeServer other;
    other.answerPings(true);
    BridgeLink::setPortForTests(other.port());
    QFile::remove(bridgePath);
    Env::restartBridge();
    elapse(10);
    ASSERT_TRUE(Env::isRelaunchPending()) << "the failed launch scheduled the next one";
    while (!Env::isBridgeConnected && Env::bridgeConnectCounter < 3)
        tick();
    ASSERT_TRUE(waitFor([] { return Env::isBridgeConnected; }));
    EXPECT_FALSE(Env::isRelaunchPending()) << "the connection cancels the relaunch on its way";

    ASSERT_TRUE(QFile::copy(QStringLiteral(FENMAR_FAKE_BRIDGE), bridgePath));
    Env::startBridge();
    const qint64 ours = runningBridge();
    ASSERT_NE(ours, 0);
    ::kill(pid_t(ours), SIGKILL);
    ASSERT_TRUE(waitFor([] { return Env::bridgeProcess() == nullptr; }));

    QWebSocket *link = BridgeLink::socket();
    CapturedOutput output;
    for (int second = 0; second < 60; ++second) {
        clock->advanceMs(1000);
        tick();
        // The other program answers this tick's ping before the next tick, however busy the machine.
        ASSERT_TRUE(waitFor([] { return !P2PClientMsg::taskTable().hasPendingCode(QStringLiteral("PingBridge")); }))
            << second;
    }
    EXPECT_TRUE(Env::isBridgeConnected);
    EXPECT_EQ(BridgeLink::socket(), link);
    EXPECT_FALSE(Env::isRelaunchPending());
    const QStringList lines = output.lines();
    EXPECT_FALSE(lines.contains(QStringLiteral("++++++Try To Starting OstrelBridge++++++")));
    EXPECT_FALSE(lines.contains(QStringLiteral("ActiveBridgeTime Timeout")));
    EXPECT_FALSE(lines.contains(QStringLiteral("Try To Connect OstrelBridge...")));
}

TEST_F(SupervisorTest, ABridgeThatEndsWithItsLinkIsStillReplaced)
{
    // The bridge's own socket may close a moment after its process is seen to end: the relaunch
    // waits for that and then goes ahead.
    FakeBridgeServer server;
    server.answerPings(true);
    Env::restartBridge();
    elapse(10);
    const qint64 first = runningBridge();
    ASSERT_NE(first, 0);
    ASSERT_TRUE(connectTo(server));
    ::kill(pid_t(first), SIGKILL);
    ASSERT_TRUE(waitFor([] { return Env::isRelaunchPending(); }));
    EXPECT_TRUE(Env::isBridgeConnected) << "its link is still open";
    server.closeClient();
    ASSERT_TRUE(waitFor([] { return !BridgeLink::isSocketOpen(); }));
    elapse(10);
    EXPECT_FALSE(Env::isBridgeConnected);
    const qint64 second = runningBridge();
    EXPECT_NE(second, 0);
    EXPECT_NE(second, first);
}

TEST_F(SupervisorTest, TheLinkTriesANewBridgeOnlyAtTheThirdTickAfterItsLaunch)
{
    FakeBridgeServer server;
    BridgeLink::setPortForTests(server.port());
    Env::restartBridge();
    elapse(10);
    ASSERT_NE(runningBridge(), 0);
    {
        // However long the bridge has been running, the link waits for the tick.
        CapturedOutput output;
        tickSeconds(1);
        elapse(60'000);
        tickSeconds(1);
        EXPECT_FALSE(output.lines().contains(QStringLiteral("Try To Connect OstrelBridge...")));
    }
    CapturedOutput output;
    tickSeconds(1);
    EXPECT_EQ(output.lines().count(QStringLiteral("Try To Connect OstrelBridge...")), 1);
    EXPECT_TRUE(waitFor([] { return Env::isBridgeConnected; }));
}

TEST_F(SupervisorTest, QuitEndsTheBridgeAndAnyRelaunch)
{
    Env::restartBridge();
    elapse(10);
    const qint64 pid = runningBridge();
    ASSERT_NE(pid, 0);
    Env::stopBridgeForQuit();
    EXPECT_TRUE(processGone(pid));
    elapse(60'000);
    EXPECT_EQ(Env::bridgeProcess(), nullptr);

    // A relaunch that was on its way is dropped as well.
    Env::resetSupervisorForTests();
    Env::setBridgeFolderForTests(folder.path());
    Env::restartBridge();
    Env::stopBridgeForQuit();
    elapse(60'000);
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    EXPECT_FALSE(Env::isRelaunchPending());
}

TEST_F(SupervisorTest, RestartsWithinTheDelayLaunchOnce)
{
    Env::setRelaunchDelayForTests(100);
    Env::restartBridge();
    elapse(50);
    Env::restartBridge();
    elapse(60);
    EXPECT_EQ(Env::bridgeProcess(), nullptr) << "the second restart moved the relaunch";
    elapse(40);
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    const qint64 pid = Env::bridgeProcess()->processId();
    elapse(200);
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
    elapse(1000); // past the time a relaunch would be due
    EXPECT_TRUE(output.lines().isEmpty());
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
}

TEST(AppInstance, RunPathIsTheExecutablesFolder)
{
    // A blank and a letter outside ASCII, which a file URL escapes, and "(", "+" and ")", which it
    // keeps as they are.
    const QString folderName = QStringLiteral("run dir é (x+y)");
    const char *const spelledVariable = "FENMAR_TEST_SPELLED_RUN_FOLDER";
    if (!QCoreApplication::applicationDirPath().endsWith(u'/' + folderName)) {
        // This case runs again in a copy of this executable placed in such a folder.
        ASSERT_EQ(QUrl::toPercentEncoding(TestHome::path(), "/"), TestHome::path().toUtf8()) << "the home needs no escapes";
        const QString folder = TestHome::path() + u'/' + folderName;
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString copy = folder + u'/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        const QString spelled = TestHome::path() + QStringLiteral("/run%20dir%20%C3%A9%20(x+y)");
        ChildTestRun::expectPassed(ChildTestRun::run({}, {{QString::fromLatin1(spelledVariable), spelled}}, 120'000, copy),
                                   "from the copy");
        return;
    }
    const QString spelled = qEnvironmentVariable(spelledVariable);
    ASSERT_FALSE(spelled.isEmpty()) << "started without the folder's expected spelling";
    CapturedOutput output;
    Env::locateAppInstance();
    EXPECT_EQ(Env::appRunPath, spelled);
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("App Run At: ") + spelled});
}
