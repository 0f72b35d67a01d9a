#include "mini_http_server.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qsizetype maxHeaderBytes = 16 * 1024;
constexpr qsizetype maxBodyBytes = 64 * 1024;
constexpr int requestTimeoutMs = 10'000;
constexpr int maxOpenConnections = 32;

} // namespace

// One connection: collects one request within the limits, hands it to the server, answers, closes.
class HttpConnection final : public QObject
{
public:
    HttpConnection(MiniHttpServer &server, QTcpSocket *socket)
        : QObject(socket), m_server(server), m_socket(socket)
    {
        connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::onReadyRead);
        connect(&m_timeout, &QTimer::timeout, this, [this] { fail(408); });
        m_timeout.setSingleShot(true);
        m_timeout.start(requestTimeoutMs);
    }

    HttpRequest request;

    void respond(const HttpResponse &response)
    {
        if (m_answered)
            return;
        m_answered = true;
        m_timeout.stop();
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' '
                          + MiniHttpServer::statusText(response.status) + "\r\n";
        head += "Content-Type: " + response.contentType + "\r\n";
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        head += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";
        m_socket->write(head);
        if (request.method != "HEAD")
            m_socket->write(response.body);
        m_socket->disconnectFromHost();
        // A client that never reads its answer does not keep the connection.
        QTimer::singleShot(requestTimeoutMs, m_socket, [socket = m_socket] { socket->abort(); });
    }

    void fail(int status)
    {
        respond(HttpResponse{status, "text/plain; charset=utf-8", MiniHttpServer::statusText(status) + '\n'});
    }

private:
    void onReadyRead()
    {
        if (m_answered) {
            m_socket->readAll();
            return;
        }
        m_buffer += m_socket->readAll();
        if (m_bodyLength < 0 && !readHead())
            return;
        if (m_bodyLength >= 0 && m_buffer.size() >= m_bodyLength) {
            request.body = m_buffer.left(m_bodyLength);
            m_server.serve(this);
        }
    }

    // False while the head is incomplete or after it was refused.
    bool readHead()
    {
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_buffer.size() > maxHeaderBytes)
                fail(431);
            return false;
        }
        if (end > maxHeaderBytes) {
            fail(431);
            return false;
        }
        const QList<QByteArray> lines = m_buffer.left(end).split('\n');
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1.")
            || !requestLine.at(1).startsWith('/')) {
            fail(400);
            return false;
        }
        request.method = requestLine.at(0);
        request.url = QUrl::fromEncoded(requestLine.at(1));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) {
                fail(400);
                return false;
            }
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        if (request.headers.contains("transfer-encoding")) {
            fail(501);
            return false;
        }
        bool ok = true;
        const QByteArray length = request.headers.value("content-length", "0");
        const qint64 bodyLength = length.toLongLong(&ok);
        if (!ok || bodyLength < 0) {
            fail(400);
            return false;
        }
        if (bodyLength > maxBodyBytes) {
            fail(413);
            return false;
        }
        m_buffer.remove(0, end + 4);
        m_bodyLength = bodyLength;
        return true;
    }

    MiniHttpServer &m_server;
    QTcpSocket *m_socket;
    QTimer m_timeout;
    QByteArray m_buffer;
    qint64 m_bodyLength = -1;
    bool m_answered = false;
};

MiniHttpServer::MiniHttpServer(Handler handler, QObject *parent) : QObject(parent), m_handler(std::move(handler))
{
    connect(&m_server, &QTcpServer::newConnection, this, &MiniHttpServer::onNewConnection);
}

bool MiniHttpServer::listen(quint16 port, QString *error)
{
    if (m_server.listen(QHostAddress::LocalHost, port))
        return true;
    *error = m_server.errorString();
    return false;
}

void MiniHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_openConnections >= maxOpenConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_openConnections;
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] { --m_openConnections; });
        new HttpConnection(*this, socket);
    }
}

bool MiniHttpServer::hostAllowed(const QByteArray &host) const
{
    const QByteArray port = QByteArray::number(m_server.serverPort());
    for (const char *name : {"127.0.0.1", "localhost", "[::1]"}) {
        if (host == QByteArray(name) + ':' + port)
            return true;
    }
    return false;
}

void MiniHttpServer::serve(HttpConnection *connection)
{
    if (!hostAllowed(connection->request.headers.value("host").toLower())) {
        connection->fail(403);
        return;
    }
    connection->respond(m_handler(connection->request));
}

QByteArray MiniHttpServer::statusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 501: return "Not Implemented";
    default: return "Error";
    }
}
