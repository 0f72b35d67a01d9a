#include "bridge_frames.h"
#include "build_settings.h"
#include "file_fetcher.h"
#include "mini_http_server.h"
#include "private_network.h"
#include "small_disk.h"
#include "standin_harness.h"
#include "test_home.h"
#include "test_wait.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QString apiBase = QStringLiteral("http://127.0.0.1:19962/api2/");

// The parsed body that a "CallHttp" answer carries as text.
Json callHttp(StandinHarness &standin, const QString &url)
{
    const std::optional<Json> answer =
        standin.control(QStringLiteral("CallHttp"), Json{{"URL", url.toStdString()}, {"Timeout", 5}});
    if (!answer || !answer->is_string())
        return Json();
    return Json::parse(answer->get<std::string>(), nullptr, false);
}

QString tokenOf(const StandinHarness &standin)
{
    return QString::fromStdString(standin.loginResult().value("Token", ""));
}

} // namespace

TEST(StandinControl, PingIsAnsweredInEitherFormWithItsToken)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    EXPECT_TRUE(standin.control(QStringLiteral("PingBridge"), Json{{"m", ""}}).has_value());

    // Text form, as a request sent without waiting travels.
    WSDCMsgJson request;
    request.Code = QStringLiteral("PingBridge");
    request.Token = QStringLiteral("P2PClient-77TEXTFORM");
    request.IsProcessOnBridge = QStringLiteral("-");
    standin.sendTextFrame(QStringLiteral("P2PClientControl"), QelJSON::toJSONString(request));
    EXPECT_TRUE(standin.waitControlAnswer(request.Token).has_value());
    EXPECT_FALSE(standin.output().contains(QStringLiteral("PingBridge"))) << "pings are not printed";
}

TEST(StandinControl, AccountApiPathsAreAnsweredByTheBridgeItself)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    ASSERT_FALSE(standin.login(QStringLiteral("erin@example.com"), QStringLiteral("pw")).isEmpty());
    const QString token = tokenOf(standin);

    const Json host = callHttp(standin, apiBase + "account/hostname/get/index.php?Token=" + token);
    EXPECT_EQ(host, (Json{{"Result", "1"}, {"Info", "erin"}}));

    const Json code = callHttp(standin, apiBase + "account/acode/get/index.php?Token=" + token);
    ASSERT_EQ(code.value("Result", ""), "1");
    const std::string contactCode = code.value("Info", "");
    EXPECT_EQ(contactCode.size(), 8u);

    const Json check = callHttp(standin, "https://service.example/api2/account/acode/check/index.php?Token=" + token
                                             + "&acode=" + QString::fromStdString(contactCode));
    EXPECT_EQ(check.value("Result", ""), "1") << "any base address serves the same API";
    EXPECT_EQ(check.value("hostname", ""), "erin");
    EXPECT_EQ(check.value("email", ""), "erin@example.com");
    EXPECT_EQ(callHttp(standin, apiBase + "account/acode/check/index.php?Token=" + token + "&acode=NOPE2345")
                  .value("Result", ""),
              "0");

    EXPECT_EQ(callHttp(standin, apiBase + "subaccount/init/?email=erin@example.com").value("Result", ""), "1");
    EXPECT_EQ(callHttp(standin, apiBase + "subaccount/init/?email=nobody@example.com").value("Result", ""), "0");

    const Json version = callHttp(standin, apiBase + "version/mac/index.php");
    EXPECT_EQ(version.value("info", 0), 1);
    EXPECT_EQ(version.value("number", ""), BuildSettings::appVersion) << "by default nothing newer is offered";

    EXPECT_EQ(callHttp(standin, apiBase + "account/hostname/get/index.php?Token=forged").value("Result", ""), "0");
    EXPECT_EQ(callHttp(standin, apiBase + "account/hostname/get/index.php?Token=").value("Result", ""), "0");
    EXPECT_EQ(callHttp(standin, apiBase + "no/such/path.php").value("Result", ""), "0");
    EXPECT_EQ(callHttp(standin, QStringLiteral("not a url at all")).value("Result", ""), "0");
}

TEST(StandinControl, OfferedVersionIsDownloadedWithCallHttpDownload)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin({{QStringLiteral("FENMAR_STANDIN_OFFER_VERSION"), QStringLiteral("9.9.9")}});
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const Json version = callHttp(standin, apiBase + "version/mac/index.php");
    ASSERT_EQ(version.value("number", ""), "9.9.9");
    const std::string url = version.value("url", "");
    EXPECT_EQ(url, QStringLiteral("http://127.0.0.1:%1/download/Fenmar9.9.9.dmg").arg(standin.httpPort()).toStdString());

    const QString saveAt = TestHome::path() + QStringLiteral("/Fenmar9.9.9.tmp");
    const std::optional<Json> fetched = standin.control(
        QStringLiteral("CallHttpDownload"), Json{{"URL", url}, {"SaveAt", saveAt.toStdString()}});
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(fetched->value("IsSucc", false), true) << fetched->dump();
    EXPECT_TRUE(TestFiles::read(saveAt).startsWith("Fenmar 9.9.9 installer"));
}

TEST(StandinControl, CallHttpDownloadFetchesOnlyFromThisMachine)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const QString source = TestHome::path() + QStringLiteral("/source.bin");
    ASSERT_TRUE(TestFiles::write(source, 300'000));
    const QString saveAt = TestHome::path() + QStringLiteral("/copy.bin");
    const auto answer = [&](const QString &url, const QString &target) {
        return standin
            .control(QStringLiteral("CallHttpDownload"),
                     Json{{"URL", url.toStdString()}, {"SaveAt", target.toStdString()}})
            .value_or(Json());
    };
    const auto fetch = [&](const QString &url, const QString &target) { return answer(url, target).value("IsSucc", false); };

    EXPECT_TRUE(fetch(QUrl::fromLocalFile(source).toString(), saveAt));
    EXPECT_EQ(TestFiles::read(saveAt), TestFiles::read(source));

    // Refused for where it is, not for a network that failed to reach it.
    const Json elsewhere = answer(QStringLiteral("http://192.0.2.10/installer.dmg"), saveAt + ".2");
    EXPECT_FALSE(elsewhere.value("IsSucc", true));
    EXPECT_EQ(elsewhere.value("Info", std::string()), "Only addresses on this computer are fetched");
    EXPECT_FALSE(fetch(QStringLiteral("ftp://127.0.0.1/x"), saveAt + ".3"));
    EXPECT_FALSE(fetch(QStringLiteral("http://127.0.0.1:%1/no-such-file").arg(standin.httpPort()), saveAt + ".4"));
    EXPECT_FALSE(QFile::exists(saveAt + ".4")) << "a failed fetch leaves nothing";
    EXPECT_FALSE(fetch(QUrl::fromLocalFile(source).toString(), TestHome::path() + QStringLiteral("/missing/dir/x")));
    EXPECT_FALSE(fetch(QUrl::fromLocalFile(source).toString(), TestHome::path()));
}

TEST(StandinControl, CallHttpDownloadOnAFullDiskFailsAndKeepsTheOldFile)
{
    if (SmallDisk::folder().isEmpty())
        return SmallDisk::runThisTestOnIt(64);
    // A small installer, served over http and as a file of this machine.
    const QByteArray installer(3000, 'i');
    const QString source = TestHome::path() + QStringLiteral("/Fenmar9.9.9.dmg");
    QFile sourceFile(source);
    ASSERT_TRUE(sourceFile.open(QIODevice::WriteOnly) && sourceFile.write(installer) == installer.size());
    sourceFile.close();
    MiniHttpServer server([&](const HttpRequest &) { return HttpResponse{200, "application/octet-stream", installer}; });
    QString error;
    ASSERT_TRUE(server.listen(0, &error)) << error.toStdString();
    const QStringList urls{QUrl::fromLocalFile(source).toString(),
                           QStringLiteral("http://127.0.0.1:%1/Fenmar9.9.9.dmg").arg(server.port())};

    const QString saveAt = SmallDisk::folder() + QStringLiteral("/Fenmar9.9.9.tmp");
    QFile old(saveAt);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    FileFetcher fetcher;
    const auto fetch = [&](const QString &url) {
        std::optional<FetchResult> result;
        fetcher.fetch(url, saveAt, [&](const FetchResult &answer) { result = answer; });
        EXPECT_TRUE(waitFor([&] { return result.has_value(); })) << url.toStdString();
        return result.value_or(FetchResult{});
    };

    SmallDisk::fill();
    for (const QString &url : urls) {
        EXPECT_FALSE(fetch(url).IsSucc) << url.toStdString();
        EXPECT_EQ(TestFiles::read(saveAt), "old") << url.toStdString();
        EXPECT_EQ(TestFiles::names(SmallDisk::folder()), QStringList({".filler", "Fenmar9.9.9.tmp"}))
            << "no half-written file is left";
    }
    SmallDisk::release();
    for (const QString &url : urls) {
        const FetchResult fetched = fetch(url);
        EXPECT_TRUE(fetched.IsSucc) << url.toStdString() << ": " << fetched.Info.toStdString();
        EXPECT_EQ(fetched.Size, installer.size());
        EXPECT_EQ(TestFiles::read(saveAt), installer);
    }
}

TEST(StandinControl, LanAddressAndUnknownCodesAreAnswered)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    const std::optional<Json> lan = standin.control(QStringLiteral("GetLanHttp"), Json{{"m", ""}});
    ASSERT_TRUE(lan && lan->is_string());
    EXPECT_EQ(lan->get<std::string>(), QStringLiteral("http://127.0.0.1:%1/").arg(standin.httpPort()).toStdString());

    const std::optional<Json> unknown = standin.control(QStringLiteral("MakeCoffee"), Json::object());
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(unknown->value("Result", 1), 0);
    const std::optional<Json> status = standin.control(QStringLiteral("Trans3_FC_TransTaskInfo"),
                                                       Json{{"Session", "A|B"}});
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->value("TaskStatus", -1), 0) << "no transfer in a session without one";
}
