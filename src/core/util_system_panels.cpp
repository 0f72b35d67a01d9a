// Open panels and the browser. The panel widgets live in the widget layer, which registers them
// here at start-up; this layer only joins the chosen paths.
#include "util_system.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace {

UtilSystem::PanelProvider &panelProvider()
{
    static UtilSystem::PanelProvider provider;
    return provider;
}

QString joinChosen(const QStringList &chosen)
{
    return chosen.join(u'|');
}

} // namespace

void UtilSystem::setPanelProvider(PanelProvider provider)
{
    panelProvider() = std::move(provider);
}

void UtilSystem::selectPathAsync(const QString &title, bool chooseDir,
                                 std::function<void(const QString &paths)> completion, QObject *asker)
{
    if (!completion)
        return;
    const PanelProvider &provider = panelProvider();
    if (provider.showAsync) {
        provider.showAsync(title, chooseDir, asker, [completion](const QStringList &chosen) {
            completion(joinChosen(chosen));
        });
        return;
    }
    // No panel to show: answer as a cancelled panel would, later and on the event loop.
    if (auto *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [completion] { completion(QString()); }, Qt::QueuedConnection);
    else
        completion(QString());
}

QString UtilSystem::selectPath(const QString &title, bool chooseDir)
{
    const PanelProvider &provider = panelProvider();
    if (!provider.showModal)
        return QString();
    return joinChosen(provider.showModal(title, chooseDir));
}

void UtilSystem::openURL(const QString &s)
{
    const QUrl url(s, QUrl::StrictMode);
    // Without a scheme there is nothing that could open it.
    if (!url.isValid() || url.scheme().isEmpty())
        return;
    QDesktopServices::openUrl(url);
}
