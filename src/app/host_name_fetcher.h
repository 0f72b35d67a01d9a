#pragma once

// The one request the client makes to the service by itself: the account's host name, asked
// for with the session token. At most one request is in flight, and each ends after a time-out.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

class HostNameFetcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostNameFetcher)

public:
    // A request that has not ended by then is given up; the next check-in is five ticks later.
    static constexpr int defaultTimeoutMs = 4000;

    explicit HostNameFetcher(QObject *parent = nullptr);
    ~HostNameFetcher() override;

    // Asks for the host name of the session token's account. Does nothing for an empty token or
    // while the previous request has not ended.
    void fetch(const QString &token);
    bool isBusy() const { return !m_reply.isNull(); }

    // The account API base that the request path is appended to (tests point it at a local server;
    // an empty text restores the build's own).
    void setApiBaseUrl(const QString &base);
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

signals:
    // The service answered {"Result": "1", "Info": hostName} with both members texts.
    void hostNameReported(const QString &hostName);

private:
    void onFinished(QNetworkReply *reply);

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_apiBaseUrl;
    int m_timeoutMs = defaultTimeoutMs;
    // The token of the request in flight, as typed and as encoded: never printed.
    QStringList m_secrets;
};
