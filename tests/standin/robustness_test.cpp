#include "private_network.h"
#include "standin_harness.h"
#include "test_home.h"
#include "test_wait.h"

#include <QDir>
#include <QWebSocket>

#include <gtest/gtest.h>

namespace {

// Frames a confused or hostile client might send: none is an answerable request.
QStringList malformedFrames()
{
    const QStringList shapes = {
        QStringLiteral("not json at all"),
        QStringLiteral("{"),
        QStringLiteral("[]"),
        QStringLiteral("42"),
        QStringLiteral("\"text\""),
        QStringLiteral("null"),
        QStringLiteral("{}"),
        QStringLiteral("{\"Msg\":null}"),
        QStringLiteral("{\"Msg\":{\"Code\":42}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"Login\",\"Data\":7}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"Login\",\"Data\":\"{broken\"}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"P2PClientControl\",\"Data\":[1,2,3]}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"P2PClientControl\",\"Data\":{\"Code\":\"CallHttp\"}}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"WSDC\",\"Data\":{\"Code\":\"getFileList\",\"Token\":\"\"}}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"WSDC\",\"Data\":{\"Token\":\"StandinRelay-nothing\",\"Data\":{}}}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"ClientInit\",\"Data\":{\"Hostname\":{\"a\":1}}}}"),
        QStringLiteral("{\"Msg\":{\"Code\":\"NoSuchCode\",\"Data\":{}}}"),
        QString(QStringLiteral("[").repeated(100000)),
        QStringLiteral("{\"Msg\":{\"Code\":\"Login\",\"Data\":\"\\ud800\"}}"),
        QStringLiteral("{\"VType\":\"WinContrlSet->\",\"Msg\":{\"Code\":\"\",\"Data\":\"\"}}"),
    };
    QStringList frames;
    for (int i = 0; i < 200; ++i)
        frames << shapes.at(i % shapes.size());
    return frames;
}

} // namespace

TEST(StandinRobustness, TwoHundredMalformedFramesThenAWorkingPing)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    for (const QString &frame : malformedFrames())
        standin.sendText(frame);
    const std::optional<Json> pong = standin.control(QStringLiteral("PingBridge"), Json{{"m", ""}});
    EXPECT_TRUE(pong.has_value());
    EXPECT_EQ(standin.process().state(), QProcess::Running);
    EXPECT_TRUE(standin.output().contains(QStringLiteral("Frame not understood"))) << "bad frames are printed";
}

TEST(StandinRobustness, HugePayloadsAreRefusedAndTheBridgeGoesOn)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    standin.sendText(QString(20 * 1024 * 1024, QLatin1Char('x')));
    const QString url = QStringLiteral("http://127.0.0.1/api/") + QString(8 * 1024 * 1024, QLatin1Char('a'));
    const std::optional<Json> answer =
        standin.control(QStringLiteral("CallHttp"), Json{{"URL", url.toStdString()}, {"Timeout", 5}});
    ASSERT_TRUE(answer && answer->is_string()) << "a huge request is still answered";
    EXPECT_EQ(Json::parse(answer->get<std::string>()).value("Result", ""), "0");
    EXPECT_TRUE(standin.control(QStringLiteral("PingBridge"), Json{{"m", ""}}).has_value());
}

TEST(StandinRobustness, WebPagesAndOtherPathsCannotConnect)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    EXPECT_FALSE(standin.connectClient(QStringLiteral("/ws"), QStringLiteral("http://evil.example")));
    standin.connectClient(QStringLiteral("/other"));
    EXPECT_TRUE(waitFor([&] { return standin.socket().state() != QAbstractSocket::ConnectedState; }))
        << "closed by the bridge";
    ASSERT_TRUE(standin.connectClient());
    EXPECT_TRUE(standin.control(QStringLiteral("PingBridge"), Json{{"m", ""}}).has_value());
}

TEST(StandinRobustness, ANewConnectionTakesOverFromTheOldOne)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    QWebSocket newer;
    newer.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(standin.wsPort())));
    // The harness's socket was first; the second connection replaces it.
    EXPECT_TRUE(waitFor([&] { return standin.socket().state() != QAbstractSocket::ConnectedState; }));
    EXPECT_TRUE(waitFor([&] { return newer.state() == QAbstractSocket::ConnectedState; }));
}

TEST(StandinRobustness, TerminationCancelsTransfersAndRemovesTheirHalfFiles)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin({{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QStringLiteral("20")}});
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const QString session = standin.signInAndConnect(QStringLiteral("max@example.com"), QStringLiteral("pw"));
    ASSERT_FALSE(session.isEmpty());
    const QString source = TestHome::path() + QStringLiteral("/big.bin");
    const QString save = TestHome::path() + QStringLiteral("/save");
    ASSERT_TRUE(TestFiles::write(source, 4 * 1024 * 1024));
    ASSERT_EQ(standin
                  .control(QStringLiteral("Trans3_FC_00_CallStart"),
                           Json{{"Session", session.toStdString()},
                                {"Targets", source.toStdString()},
                                {"SaveAtLocalFolder", save.toStdString()}},
                           session)
                  .value_or(Json())
                  .value("Result", 0),
              1);
    ASSERT_TRUE(waitFor([&] { return !TestFiles::names(save).isEmpty(); }));
    standin.process().terminate();
    ASSERT_TRUE(standin.process().waitForFinished(5000));
    EXPECT_EQ(standin.process().exitCode(), 0);
    EXPECT_EQ(TestFiles::names(save), QStringList());
}
