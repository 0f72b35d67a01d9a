#include "installer_handoff.h"

#include "bridge_supervisor.h"
#include "console.h"
#include "version_check.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int defaultQuitDelayMs = 1000;

struct HandoffSettings {
    std::function<bool(const QString &)> opener;
    int quitDelayMs = defaultQuitDelayMs;
};

HandoffSettings &settings()
{
    static HandoffSettings s;
    return s;
}

// The desktop's own opener, without a shell; it needs a GUI application.
bool openWithDesktop(const QString &path)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

namespace Env {

bool openInstallerAndQuit(const QString &path)
{
    if (!VersionCheck::isInstallerFile(path))
        return false;
    const bool opened = settings().opener ? settings().opener(path) : openWithDesktop(path);
    if (!opened) {
        Console::printLine(QStringLiteral("Open Installer Failed - ") + path);
        return false;
    }
    // No relaunch may bring the bridge back while the program goes away.
    cancelPendingRelaunch();
    clearBridge();
    QTimer::singleShot(settings().quitDelayMs, QCoreApplication::instance(), &quitApp);
    return true;
}

void quitApp()
{
    QCoreApplication::quit();
}

void setInstallerOpenerForTests(std::function<bool(const QString &)> opener)
{
    settings().opener = std::move(opener);
}

void setQuitDelayForTests(int ms)
{
    settings().quitDelayMs = ms;
}

} // namespace Env
