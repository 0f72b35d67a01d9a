#pragma once

// Starting, killing and restarting the bridge executable. The bridge lives in the client
// executable's own folder and takes one argument, "-scode=" + the access code, which is also how
// a running bridge of ours is recognised among this user's processes. GUI thread only.

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
// Launches the bridge. A failed launch prints "Something went wrong!"; the watchdog retries later.
void startBridge();
// Kills every bridge now and relaunches 0.5 s later; a restart while one is pending moves the
// relaunch, so there is never more than one.
void restartBridge();
// The relaunch step: the link no longer counts as connected, requests waiting for the old bridge
// end without an answer, a new bridge starts and the connection cycle starts again.
void restartBridgeBlock();
// Drops a relaunch that restartBridge scheduled.
void cancelPendingRelaunch();
bool isRelaunchPending();
// Notes and prints the folder the program runs from.
void locateAppInstance();

// Tests: launch from folder, and kill only bridges whose executable lies in it. Every test runs
// with such a folder, so that no test can touch a bridge it did not start.
void setBridgeFolderForTests(const QString &folder);
void setRelaunchDelayForTests(int ms);
// Stops the bridge launched last and restores the test defaults (a folder that does not exist).
void resetSupervisorForTests();

} // namespace Env
