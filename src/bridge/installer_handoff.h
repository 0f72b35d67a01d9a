#pragma once

// Accepting an upgrade: the installer is opened, the bridge is killed and the program quits one
// second later. GUI thread only.

#include <QString>

#include <functional>

namespace Env {

// Nothing happens for a path that is no file, or an empty one. An installer that cannot be
// opened is printed and the program keeps running with its bridge. True once the installer is
// open and the quit is on its way.
[[nodiscard]] bool openInstallerAndQuit(const QString &path);

// Quits the program's event loop.
void quitApp();

// Tests: replace how the installer is opened (empty restores the desktop's opener) and the delay
// before quitting.
void setInstallerOpenerForTests(std::function<bool(const QString &path)> opener);
void setQuitDelayForTests(int ms);

} // namespace Env
