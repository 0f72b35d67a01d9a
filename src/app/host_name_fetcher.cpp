#include "host_name_fetcher.h"

#include "build_settings.h"
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
    if (m_reply)
        m_reply->disconnect(this);
}

void HostNameFetcher::setApiBaseUrl(const QString &base)
{
    m_apiBaseUrl = base.isEmpty() ? buildApiBaseUrl() : base;
}

void HostNameFetcher::fetch(const QString &token)
{
    if (token.isEmpty() || isBusy())
        return;
    // The token goes into the query percent-encoded: it is data, not URL syntax.
    const QString encodedToken = QString::fromLatin1(QUrl::toPercentEncoding(token));
    const QString address = m_apiBaseUrl + QStringLiteral("account/hostname/get/index.php?Token=") + encodedToken;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid()) {
        Console::printLine(QStringLiteral("Host name request skipped: no valid address"));
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    m_secrets = {token, encodedToken};
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
}

void HostNameFetcher::onFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (m_reply == reply)
        m_reply = nullptr;

    // Whatever its status, an answer that came is read; only a request that got none failed.
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (reply->error() != QNetworkReply::NoError && !answered) {
        // Qt's error text may quote the address, and with it the session token.
        QString error = reply->errorString();
        for (const QString &secret : std::as_const(m_secrets))
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
