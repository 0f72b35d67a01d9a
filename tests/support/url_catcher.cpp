#include "url_catcher.h"

#include <QDesktopServices>

UrlCatcher::UrlCatcher(QStringList schemes) : m_schemes(std::move(schemes))
{
    for (const QString &scheme : std::as_const(m_schemes))
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

UrlCatcher::~UrlCatcher()
{
    for (const QString &scheme : std::as_const(m_schemes))
        QDesktopServices::unsetUrlHandler(scheme);
}

void UrlCatcher::open(const QUrl &url)
{
    opened.append(url);
}
