#include "host_name_fetcher.h"

#include "build_settings.h"
#include "clock.h"
#include "console.h"
#include "lenient_json.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

QString buildApiBaseUrl()
{
    return QString::fromUtf8(BuildSettings::apiBaseUrl);
}

} // namespace

HostNameFetcher::HostNameFetcher(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)), m_apiBaseUrl(buildApiBaseUrl())
{
}

HostNameFetcher::~HostNameFetcher()
{
    // A reply still running must not report into a fetcher that is gone.
    for (QNetworkReply *reply : m_inFlight.keys())
        reply->disconnect(this);
}

void HostNameFetcher::setApiBaseUrl(const QString &base)
{
    m_apiBaseUrl = base.isEmpty() ? buildApiBaseUrl() : base;
}

void HostNameFetcher::fetch(const QString &token)
{
    if (token.isEmpty())
        return;
    // The token goes into the query percent-encoded: it is data, not URL syntax.
    const QString encodedToken = QString::fromLatin1(QUrl::toPercentEncoding(token));
    const QString address = m_apiBaseUrl + QStringLiteral("account/hostname/get/index.php?Token=") + encodedToken;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid()) {
        Console::printLine(QStringLiteral("Host name request skipped: no valid address"));
        return;
    }
    QNetworkReply *reply = m_network->get(QNetworkRequest(url));
    m_inFlight.insert(reply, Request{Clock::nowMs(), {token, encodedToken}});
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
}

void HostNameFetcher::abortOverdue()
{
    const qint64 now = Clock::nowMs();
    QList<QNetworkReply *> overdue;
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it) {
        // One sent "later" than now was sent before the clock went back: its age is unknown.
        if (now - it->sentMs >= timeoutMs || now < it->sentMs)
            overdue << it.key();
    }
    // abort() finishes the reply at once, which takes it out of m_inFlight.
    for (QNetworkReply *reply : std::as_const(overdue))
        reply->abort();
}

void HostNameFetcher::onFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const QStringList secrets = m_inFlight.take(reply).secrets;

    // Whatever its status, an answer that came is read; only a request that got none failed.
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (reply->error() != QNetworkReply::NoError && !answered) {
        // Qt's error text may quote the address, and with it the session token.
        QString error = reply->errorString();
        for (const QString &secret : secrets)
            error.replace(secret, QStringLiteral("********"));
        Console::printLine(QStringLiteral("网络出错:") + error);
        return;
    }
    const QByteArray data = reply->readAll();
    if (data.isEmpty()) {
        Console::printLine(QStringLiteral("数据为空："));
        return;
    }
    const LenientJson answer = LenientJson::parse(data);
    if (answer.parseFailed() || !answer.isObject())
        return;
    const LenientJson result = answer["Result"];
    const LenientJson info = answer["Info"];
    if (!result.isString() || result.stringValue() != QLatin1String("1") || !info.isString())
        return;
    emit hostNameReported(info.stringValue());
}
