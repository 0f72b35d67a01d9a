#include "bridge_supervisor.h"

#include "bridge_executable.h"
#include "bridge_link.h"
#include "bridge_process_list.h"
#include "clock_alarm.h"
#include "console.h"
#include "env.h"
#include "link_status.h"
#include "p2p_client_msg.h"
#include "util_system.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {

constexpr int defaultRelaunchDelayMs = 500;
constexpr qint64 maxRelaunchDelayMs = 30 * 1000;
// A bridge gets this long to end on SIGTERM before it is killed.
constexpr int terminateGraceMs = 100;
constexpr int killWaitMs = 500;
constexpr int startWaitMs = 3000;

struct SupervisorState {
    QPointer<QProcess> process;
    QPointer<ClockAlarm> relaunch;
    // The pending relaunch replaces a bridge that ended or could not start, rather than one the
    // watchdog gave up on: it is dropped should the link be up when its time comes.
    bool relaunchOnlyWhileLinkDown = false;
    // Launches since the link last reached a bridge; each one doubles the next wait.
    int launchesWithoutConnection = 0;
    bool quitting = false;
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
    state().process = nullptr;
    // Ending it on purpose is not the bridge ending by itself.
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(terminateGraceMs)) {
            process->kill();
            process->waitForFinished(killWaitMs);
        }
    }
    delete process;
}

// The link is up and something answers on it: a bridge of another run, or one that took the
// port before ours could.
bool linkIsUp()
{
    return Env::isBridgeConnected && BridgeLink::isSocketOpen();
}

void runRelaunch()
{
    if (state().relaunchOnlyWhileLinkDown && linkIsUp()) {
        Console::printLine(QStringLiteral("Relaunch OstrelBridge dropped: the link is up"));
        return;
    }
    Env::restartBridgeBlock();
}

ClockAlarm &relaunchAlarm()
{
    if (!state().relaunch)
        state().relaunch = new ClockAlarm(&runRelaunch, QCoreApplication::instance());
    return *state().relaunch;
}

// The wait before the next launch: the shortest one, doubled for every launch since the link last
// reached a bridge.
qint64 relaunchBackoffMs()
{
    qint64 delay = state().relaunchDelayMs;
    for (int i = 0; i < state().launchesWithoutConnection && delay < maxRelaunchDelayMs; ++i)
        delay *= 2;
    return std::min(delay, maxRelaunchDelayMs);
}

// The wait set, none when no relaunch is to come.
std::optional<qint64> scheduleRelaunch(bool onlyWhileLinkDown)
{
    if (state().quitting || Env::runMode < 2)
        return std::nullopt;
    // A restart the watchdog asked for is not softened by a later failure.
    state().relaunchOnlyWhileLinkDown = onlyWhileLinkDown && (state().relaunchOnlyWhileLinkDown || !Env::isRelaunchPending());
    const qint64 waitMs = relaunchBackoffMs();
    relaunchAlarm().setIn(waitMs);
    return waitMs;
}

// After a bridge that ended or could not be launched: the next one is on its way, unless the link
// turns out to be up by then. The line gives the wait as set: read off the clock again, it would
// shrink by however long a busy machine took in between.
void scheduleRelaunchAfterFailure()
{
    if (const std::optional<qint64> waitMs = scheduleRelaunch(true))
        Console::printLine(QStringLiteral("Relaunch OstrelBridge in %1 ms").arg(*waitMs));
}

// The link served by a bridge that is gone is lost with it, and so is every answer it owed.
void loseLink()
{
    if (Env::isBridgeConnected) {
        Env::isBridgeConnected = false;
        // Told first, so that pages read the failed answers below as the link's loss.
        LinkStatus::noteLinkLost();
    }
    P2PClientMsg::taskTable().failAll();
}

void onBridgeEnded(QProcess *process)
{
    if (process != state().process)
        return;
    state().process = nullptr;
    process->deleteLater();
    Console::printLine(QStringLiteral("------OstrelBridge Ended------ ")
                       + (process->exitStatus() == QProcess::CrashExit
                              ? QStringLiteral("killed")
                              : QStringLiteral("exit code ") + QString::number(process->exitCode())));
    // A link that is still open is not this bridge's (its socket closes with it): it stays, and
    // the relaunch waits to see whether it is really up.
    if (!BridgeLink::isSocketOpen())
        loseLink();
    scheduleRelaunchAfterFailure();
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
    ++state().launchesWithoutConnection;

    auto *process = new QProcess(QCoreApplication::instance());
    process->setProgram(path);
    process->setArguments({QString::fromLatin1(BridgeExecutable::accessCodeArgument)});
    // Nobody reads the bridge's output; a pipe left unread would stall a chatty bridge.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    state().process = process;

    // The executable's URL as it is spelled, percent escapes and all.
    Console::printLine(QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()));
    process->start();
    if (!process->waitForStarted(startWaitMs)) {
        Console::printLine(QStringLiteral("Something went wrong!"));
        state().process = nullptr;
        delete process;
        scheduleRelaunchAfterFailure();
        return;
    }
    Console::printLine(QStringLiteral("------OstrelBridge Exited------"));
    QObject::connect(process, &QProcess::finished, process, [process] { onBridgeEnded(process); });
}

void restartBridge()
{
    if (runMode < 2)
        return;
    clearBridge();
    scheduleRelaunch(false);
}

void restartBridgeBlock()
{
    relaunchAlarm().cancel();
    loseLink();
    startBridge();
    bridgeConnectCounter = 0;
}

void cancelPendingRelaunch()
{
    if (state().relaunch)
        state().relaunch->cancel();
}

bool isRelaunchPending()
{
    return state().relaunch && state().relaunch->isSet();
}

void runDueSupervision()
{
    if (state().relaunch)
        state().relaunch->runIfDue();
}

void noteBridgeConnected()
{
    state().launchesWithoutConnection = 0;
    // Whatever answered, the link is up: a relaunch now would only cut it.
    cancelPendingRelaunch();
}

void stopBridgeForQuit()
{
    state().quitting = true;
    cancelPendingRelaunch();
    if (state().process)
        clearBridge();
}

void locateAppInstance()
{
    // The folder as the executable's URL spells it: only the scheme goes, percent escapes stay.
    // The bridge is launched from the real folder (launchFolder), never from this text.
    const QString executable = QCoreApplication::applicationFilePath();
    appRunPath.clear();
    if (!executable.isEmpty()) {
        const QString url = QString::fromLatin1(QUrl::fromLocalFile(executable).toEncoded());
        appRunPath = UtilSystem::getParentPath(QString(url).remove(QStringLiteral("file://")));
    }
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
    state().launchesWithoutConnection = 0;
    state().quitting = false;
    state().testFolder = QStringLiteral("/nonexistent/fenmar-test-bridge-folder");
    state().relaunchDelayMs = defaultRelaunchDelayMs;
}

} // namespace Env
