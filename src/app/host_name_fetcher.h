#pragma once

// The one request the client makes to the service by itself: the account's host name, asked
// for with the session token. Every check-in sends a request whatever became of the earlier
// ones, and every answer that comes is read; a request still unanswered after its time-out is
// given up, so the requests in flight stay few.

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

class HostNameFetcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HostNameFetcher)

public:
    // Far longer than a slow service takes to answer; Qt itself would wait for ever.
    static constexpr qint64 timeoutMs = 30'000;

    explicit HostNameFetcher(QObject *parent = nullptr);
    ~HostNameFetcher() override;

    // Asks for the host name of the session token's account. Does nothing for an empty token.
    void fetch(const QString &token);
    // Gives up the requests that went out timeoutMs or longer ago by Clock (run on every tick).
    void abortOverdue();
    qsizetype requestsInFlight() const { return m_inFlight.size(); }
    bool isBusy() const { return !m_inFlight.isEmpty(); }

    // The account API base that the request path is appended to (tests point it at a local server;
    // an empty text restores the build's own).
    void setApiBaseUrl(const QString &base);

signals:
    // The service answered {"Result": "1", "Info": hostName} with both members texts.
    void hostNameReported(const QString &hostName);

private:
    struct Request {
        qint64 sentMs = 0;
        // The token as typed and as encoded: never printed.
        QStringList secrets;
    };

    void onFinished(QNetworkReply *reply);

    QNetworkAccessManager *m_network;
    QHash<QNetworkReply *, Request> m_inFlight;
    QString m_apiBaseUrl;
};
