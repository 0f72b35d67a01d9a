#include "web_pages.h"

#include "build_settings.h"

#include <QUrl>

namespace {

QString page(const char *path)
{
    return QUrl(QString::fromUtf8(BuildSettings::webHost)).resolved(QUrl(QString::fromLatin1(path))).toString();
}

} // namespace

QString WebPages::console()
{
    return page("/console");
}

QString WebPages::registration()
{
    return page("/register");
}

QString WebPages::home()
{
    return page("/");
}

QString WebPages::siteName()
{
    const QUrl url(QString::fromUtf8(BuildSettings::webHost));
    return url.port() > 0 ? url.host() + u':' + QString::number(url.port()) : url.host();
}
