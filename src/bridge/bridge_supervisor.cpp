#include "bridge_supervisor.h"

#include "bridge_executable.h"
#include "bridge_process_list.h"
#include "console.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int defaultRelaunchDelayMs = 500;
// A bridge gets this long to end on SIGTERM before it is killed.
constexpr int terminateGraceMs = 100;
constexpr int killWaitMs = 500;
constexpr int startWaitMs = 3000;

struct SupervisorState {
    QPointer<QProcess> process;
    QPointer<QTimer> relaunchTimer;
    // Empty: the client's own folder, and any bridge of this user may be killed.
    QString testFolder;
    int relaunchDelayMs = defaultRelaunchDelayMs;
};

SupervisorState &state()
{
    static SupervisorState s;
    return s;
}

QString launchFolder()
{
    return state().testFolder.isEmpty() ? QCoreApplication::applicationDirPath() : state().testFolder;
}

QList<BridgeProcessList::Entry> runningBridges()
{
    return BridgeProcessList::find(QString::fromLatin1(BridgeExecutable::accessCodeArgument), state().testFolder);
}

void stopOwnProcess()
{
    QProcess *process = state().process;
    if (!process)
        return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(terminateGraceMs)) {
            process->kill();
            process->waitForFinished(killWaitMs);
        }
    }
    state().process = nullptr;
    delete process;
}

QTimer &relaunchTimer()
{
    if (!state().relaunchTimer) {
        auto *timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, timer, &Env::restartBridgeBlock);
        state().relaunchTimer = timer;
    }
    return *state().relaunchTimer;
}

} // namespace

namespace Env {

QString getCPUType()
{
    const QString arch = QSysInfo::currentCpuArchitecture();
    if (arch == u"arm64")
        return QStringLiteral("CPU_TYPE_ARM64");
    if (arch == u"x86_64")
        return QStringLiteral("CPU_TYPE_X86_64");
    if (arch == u"i386")
        return QStringLiteral("CPU_TYPE_X86");
    if (arch == u"arm")
        return QStringLiteral("CPU_TYPE_ARM");
    if (arch == u"power64")
        return QStringLiteral("CPU_TYPE_POWERPC64");
    if (arch == u"power")
        return QStringLiteral("CPU_TYPE_POWERPC");
    if (arch == u"sparc")
        return QStringLiteral("CPU_TYPE_SPARC");
    return QString();
}

QString bridgeExecutableName(const QString &cpuType)
{
    return QString::fromLatin1(cpuType == u"CPU_TYPE_ARM64" ? BridgeExecutable::nameArm64 : BridgeExecutable::nameOther);
}

QString bridgeExecutableName()
{
    return bridgeExecutableName(getCPUType());
}

QString bridgeExecutablePath()
{
    return launchFolder() + u'/' + bridgeExecutableName();
}

QProcess *bridgeProcess()
{
    return state().process;
}

bool isBridgeRunning()
{
    const QList<BridgeProcessList::Entry> bridges = runningBridges();
    for (const BridgeProcessList::Entry &bridge : bridges)
        Console::printLine(QString::number(bridge.pid) + u' ' + bridge.commandLine);
    return !bridges.isEmpty();
}

void clearBridge()
{
    Console::printLine(QStringLiteral("Clearing OstrelBridge..."));
    stopOwnProcess();
    BridgeProcessList::killAll(runningBridges(), killWaitMs);
    const bool running = isBridgeRunning();
    Console::printLine(QStringLiteral("---ReCheck Instance ") + (running ? QStringLiteral("true") : QStringLiteral("false")));
}

void startBridge()
{
    if (runMode < 2)
        return;
    const QString path = bridgeExecutablePath();
    Console::printLine(QStringLiteral("++++++Try To Starting OstrelBridge++++++"));
    // A launch never leaves an earlier bridge of ours running without a handle.
    stopOwnProcess();

    auto *process = new QProcess(QCoreApplication::instance());
    process->setProgram(path);
    process->setArguments({QString::fromLatin1(BridgeExecutable::accessCodeArgument)});
    // Nobody reads the bridge's output; a pipe left unread would stall a chatty bridge.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    state().process = process;

    Console::printLine(QUrl::fromLocalFile(path).toString());
    process->start();
    if (!process->waitForStarted(startWaitMs)) {
        Console::printLine(QStringLiteral("Something went wrong!"));
        state().process = nullptr;
        delete process;
        return;
    }
    Console::printLine(QStringLiteral("------OstrelBridge Exited------"));
}

void restartBridge()
{
    if (runMode < 2)
        return;
    clearBridge();
    relaunchTimer().start(state().relaunchDelayMs);
}

void restartBridgeBlock()
{
    isBridgeConnected = false;
    P2PClientMsg::taskTable().failAll();
    startBridge();
    bridgeConnectCounter = 0;
}

void cancelPendingRelaunch()
{
    if (state().relaunchTimer)
        state().relaunchTimer->stop();
}

bool isRelaunchPending()
{
    return state().relaunchTimer && state().relaunchTimer->isActive();
}

void locateAppInstance()
{
    appRunPath = QCoreApplication::applicationDirPath();
    Console::printLine(QStringLiteral("App Run At: ") + appRunPath);
}

void setBridgeFolderForTests(const QString &folder)
{
    state().testFolder = folder;
}

void setRelaunchDelayForTests(int ms)
{
    state().relaunchDelayMs = ms;
}

void resetSupervisorForTests()
{
    cancelPendingRelaunch();
    stopOwnProcess();
    state().testFolder = QStringLiteral("/nonexistent/fenmar-test-bridge-folder");
    state().relaunchDelayMs = defaultRelaunchDelayMs;
}

} // namespace Env
