#include "main_screen_scale.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QThread>

namespace {

// GUI thread only.
qreal primaryScreenScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : MainScreen::scaleWithoutScreen;
}

} // namespace

void MainScreen::withScale(std::function<void(qreal scale)> use)
{
    auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!gui) {
        use(scaleWithoutScreen);
        return;
    }
    if (QThread::currentThread() == gui->thread()) {
        use(primaryScreenScale());
        return;
    }
    QMetaObject::invokeMethod(gui, [use = std::move(use)] { use(primaryScreenScale()); }, Qt::QueuedConnection);
}
