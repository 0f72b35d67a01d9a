#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>

struct HttpRequest
{
    QByteArray method;
    // Path and query exactly as sent.
    QUrl url;
    // Header names in lower case.
    QHash<QByteArray, QByteArray> headers;
    QByteArray body;
};

struct HttpResponse
{
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
};

// A small HTTP/1.1 server on 127.0.0.1 for the account API and the service's few web pages.
// Requests are small: headers are capped at 16 KiB and bodies (form posts) at 64 KiB, a request
// must arrive within 10 seconds, and a Host other than this machine's loopback names is refused,
// so a web page cannot reach the server through a rebound domain name. One request per
// connection; the answer closes it.
class MiniHttpServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MiniHttpServer)

public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    explicit MiniHttpServer(Handler handler, QObject *parent = nullptr);

    // Listens on 127.0.0.1:port (0 picks a free port).
    bool listen(quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }

    static QByteArray statusText(int status);

private:
    void onNewConnection();
    bool hostAllowed(const QByteArray &host) const;
    void serve(class HttpConnection *connection);

    friend class HttpConnection;
    QTcpServer m_server;
    Handler m_handler;
    int m_openConnections = 0;
};
