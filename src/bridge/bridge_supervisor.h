#pragma once

// Starting, killing and restarting the bridge executable. The bridge lives in the client
// executable's own folder and takes one argument, "-scode=" + the access code, which is also how
// a running bridge of ours is recognised among this user's processes.
//
// A bridge is always on its way: when the bridge of ours ends by itself or cannot be launched,
// the link it served is lost and a new bridge is launched after a back-off that doubles with
// each launch that did not lead to a connection (0.5 s, 1, 2, 4 ... at most 30 s). Never two
// bridges at once. Waits are read from Clock. GUI thread only.

#include <QString>

class QProcess;

namespace Env {

// The processor type as the bridge's names know it: "CPU_TYPE_ARM64", "CPU_TYPE_X86_64", ...;
// "" for a processor without a name here.
QString getCPUType();
// "OstrelBridge" for "CPU_TYPE_ARM64", "OstrelBridge_amd" for any other text.
QString bridgeExecutableName(const QString &cpuType);
QString bridgeExecutableName();
// The full path the bridge is launched from.
QString bridgeExecutablePath();

// The bridge launched last, while it runs; nullptr after a kill or a failed launch.
QProcess *bridgeProcess();

// Prints the bridges of this user that are running and says whether there are any.
bool isBridgeRunning();
// Stops the bridge launched last and kills every other bridge, then prints the re-check line.
void clearBridge();
// Launches the bridge. A failed launch prints "Something went wrong!" and schedules a relaunch.
void startBridge();
// Kills every bridge now and relaunches after the back-off (0.5 s after a connection); a restart
// while one is pending moves the relaunch, so there is never more than one.
void restartBridge();
// The relaunch step: the link no longer counts as connected, requests waiting for the old bridge
// end without an answer, a new bridge starts and the connection cycle starts again.
void restartBridgeBlock();
// Drops a relaunch that restartBridge scheduled.
void cancelPendingRelaunch();
bool isRelaunchPending();
// Runs a relaunch once its time has come by the clock. Its timer calls it on time; the one-second
// tick calls it too. Connection attempts are the tick's own: see BridgeSupervision.
void runDueSupervision();
// The link reached a bridge: the back-off starts again from its shortest wait.
void noteBridgeConnected();
// The program is quitting: no relaunch any more, and the bridge goes with the program.
void stopBridgeForQuit();
// Notes and prints the folder the program runs from.
void locateAppInstance();

// Tests: launch from folder, and kill only bridges whose executable lies in it. Every test runs
// with such a folder, so that no test can touch a bridge it did not start.
void setBridgeFolderForTests(const QString &folder);
// The shortest wait of the back-off, which every later wait doubles.
void setRelaunchDelayForTests(int ms);
// Stops the bridge launched last and restores the test defaults (a folder that does not exist).
void resetSupervisorForTests();

} // namespace Env
