#include "private_network.h"
#include "standin_harness.h"

#include <QTcpSocket>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

struct HttpReply
{
    int status = 0;
    QByteArray body;
};

// One raw request to the stand-in's HTTP port; the connection closes after the answer.
HttpReply httpRaw(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(3000))
        return {};
    socket.write(request);
    QByteArray reply;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(3000))
        reply += socket.readAll();
    reply += socket.readAll();
    const qsizetype bodyStart = reply.indexOf("\r\n\r\n");
    return HttpReply{reply.mid(9, 3).toInt(), bodyStart < 0 ? QByteArray() : reply.mid(bodyStart + 4)};
}

HttpReply get(quint16 port, const QByteArray &target)
{
    return httpRaw(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n");
}

HttpReply post(quint16 port, const QByteArray &target, const QList<std::pair<QString, QString>> &fields)
{
    QUrlQuery form;
    for (const auto &[name, value] : fields)
        form.addQueryItem(name, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    const QByteArray body = form.toString(QUrl::FullyEncoded).toUtf8();
    return httpRaw(port, "POST " + target + " HTTP/1.1\r\nHost: localhost:" + QByteArray::number(port)
                             + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                             + QByteArray::number(body.size()) + "\r\n\r\n" + body);
}

Json json(const HttpReply &reply)
{
    return Json::parse(reply.body.toStdString(), nullptr, false);
}

} // namespace

TEST(StandinHttp, AccountApiIsServedOverHttp)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    standin.login(QStringLiteral("nina@example.com"), QStringLiteral("pw"));
    const QByteArray token = QByteArray::fromStdString(standin.loginResult().value("Token", ""));

    // The client's base path is /api2/; the older /api/ is answered the same.
    for (const QByteArray base : {"/api2/", "/api/"}) {
        const HttpReply host = get(standin.httpPort(), base + "account/hostname/get/index.php?Token=" + token);
        EXPECT_EQ(host.status, 200);
        EXPECT_EQ(json(host), (Json{{"Result", "1"}, {"Info", "nina"}}));
    }
    EXPECT_EQ(json(get(standin.httpPort(), "/api2/account/hostname/get/index.php?Token=bad")).value("Result", ""), "0");
    EXPECT_EQ(get(standin.httpPort(), "/api2/unknown.php").status, 404);
    EXPECT_EQ(json(get(standin.httpPort(), "/api2/version/mac/index.php")).value("info", 0), 1);
    EXPECT_EQ(get(standin.httpPort(), "/").status, 200);
    EXPECT_EQ(get(standin.httpPort(), "/register").status, 200);
}

TEST(StandinHttp, ConsoleChangesTheHostNameWithThePassword)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    standin.login(QStringLiteral("omar@example.com"), QStringLiteral("p w+&x"));
    const QByteArray token = QByteArray::fromStdString(standin.loginResult().value("Token", ""));
    standin.login(QStringLiteral("pia@example.com"), QStringLiteral("pw"));
    const auto hostname = [&] {
        return json(get(standin.httpPort(), "/api2/account/hostname/get/index.php?Token=" + token)).value("Info", "");
    };
    const auto change = [&](const QString &password, const QString &name) {
        return post(standin.httpPort(), "/console",
                    {{QStringLiteral("email"), QStringLiteral("omar@example.com")},
                     {QStringLiteral("password"), password},
                     {QStringLiteral("hostname"), name}});
    };

    EXPECT_TRUE(get(standin.httpPort(), "/console").body.contains("<form method=\"post\" action=\"/console\">"));
    change(QStringLiteral("wrong"), QStringLiteral("omarhome"));
    change(QStringLiteral("p w+&x"), QStringLiteral("pia"));
    const HttpReply invalid = change(QStringLiteral("p w+&x"), QStringLiteral("<b>bad name</b>"));
    EXPECT_FALSE(invalid.body.contains("<b>bad")) << "nothing typed is echoed unescaped";
    EXPECT_EQ(hostname(), "omar") << "no change without the password, to a taken or an invalid name";

    const HttpReply changed = change(QStringLiteral("p w+&x"), QStringLiteral("OmarHome"));
    EXPECT_EQ(changed.status, 200);
    EXPECT_TRUE(changed.body.contains("omarhome"));
    EXPECT_EQ(hostname(), "omarhome");
}

TEST(StandinHttp, RegistrationCreatesAnAccountOnce)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const auto registerAccount = [&](const QString &password) {
        return post(standin.httpPort(), "/register",
                    {{QStringLiteral("email"), QStringLiteral("quinn@example.com")}, {QStringLiteral("password"), password}});
    };
    EXPECT_TRUE(registerAccount(QStringLiteral("first")).body.contains("Account created"));
    EXPECT_FALSE(registerAccount(QStringLiteral("second")).body.contains("Account created"));
    EXPECT_TRUE(standin.login(QStringLiteral("quinn@example.com"), QStringLiteral("first")).contains("\"Result\""));
    EXPECT_FALSE(standin.login(QStringLiteral("quinn@example.com"), QStringLiteral("second")).contains("\"Result\""));
}

TEST(StandinHttp, RequestsFromElsewhereOrTooLargeAreRefused)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    const QByteArray port = QByteArray::number(standin.httpPort());
    EXPECT_EQ(httpRaw(standin.httpPort(), "GET / HTTP/1.1\r\nHost: attacker.example:" + port + "\r\n\r\n").status, 403)
        << "a name rebound to this machine is not served";
    EXPECT_EQ(httpRaw(standin.httpPort(), "GET / HTTP/1.1\r\n\r\n").status, 403);
    EXPECT_EQ(httpRaw(standin.httpPort(), "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nX-Pad: "
                                              + QByteArray(20000, 'p') + "\r\n\r\n")
                  .status,
              431);
    EXPECT_EQ(httpRaw(standin.httpPort(), "POST /register HTTP/1.1\r\nHost: 127.0.0.1:" + port
                                              + "\r\nContent-Length: 99999999\r\n\r\n")
                  .status,
              413);
    EXPECT_EQ(httpRaw(standin.httpPort(), "garbage\r\n\r\n").status, 400);
    EXPECT_EQ(get(standin.httpPort(), "/").status, 200) << "still serving";
}
