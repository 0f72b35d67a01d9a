// The version check: version texts, the answer handling with downloads through a server playing
// the bridge, the offer in the login sheet, and the installer hand-off.

#include "bridge_test_support.h"

#include "bridge_interfaces.h"
#include "env.h"
#include "installer_handoff.h"
#include "p2p_client_msg.h"
#include "version_check.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <limits>

namespace {

class RecordingLoginView final : public LoginViewInterface
{
public:
    void offerUpgrade(const QString &installerPath) override { offers << installerPath; }
    QStringList offers;
};

std::optional<LenientJson> serviceReply(const Json &body)
{
    // The bridge hands the service's body on as text.
    return LenientJson::fromJson(Json(body.dump()));
}

void writeFile(const QString &path, const QByteArray &content = "installer")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class VersionCheckTest : public BridgeTest
{
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        Env::globalLoginView = &loginView;
        server.versionReply.reset();
    }

    QString installerFor(const QString &number) const
    {
        return VersionCheck::versionsFolder() + QStringLiteral("/Fenmar") + number + QStringLiteral(".dmg");
    }

    RecordingLoginView loginView;
    FakeBridgeServer server;
};

} // namespace

TEST_F(VersionCheckTest, VersionTextsAreSplitOnDotsAndComparedAsThreeNumbers)
{
    using Parts = std::optional<std::array<qint64, 3>>;
    enum Outcome { Silent, NoNewer, Downloaded };
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    const struct {
        std::string number;
        Parts parts;
        Outcome outcome;
    } texts[] = {
        {"3.1.3", {{3, 1, 3}}, NoNewer},
        {"3.1.10", {{3, 1, 10}}, Downloaded}, // numbers, not texts
        {"4.0.0", {{4, 0, 0}}, Downloaded},
        {"3.2.0", {{3, 2, 0}}, Downloaded},
        {"3.0.9", {{3, 0, 9}}, NoNewer},
        {"2.9.9", {{2, 9, 9}}, NoNewer},
        {"10.020.3", {{10, 20, 3}}, Downloaded},
        {"3.2", std::nullopt, Silent},
        {"3.1.3.1", std::nullopt, Silent},
        {"", std::nullopt, Silent},
        {"...", std::nullopt, Silent},
        // Empty pieces are dropped; a piece that is no number counts as 0.
        {"3..1.4", {{3, 1, 4}}, Downloaded},
        {".3.1.5.", {{3, 1, 5}}, Downloaded},
        {"3.1.x", {{3, 1, 0}}, NoNewer},
        {"3.1.+", {{3, 1, 0}}, NoNewer},
        {"3.1. 9", {{3, 1, 0}}, NoNewer},
        {"3.1.9\n", {{3, 1, 0}}, NoNewer},
        {"3.1.٩", {{3, 1, 0}}, NoNewer},
        {"+4.0.1", {{4, 0, 1}}, Downloaded},
        {"-4.1.4", {{-4, 1, 4}}, NoNewer},
        {"9.9.9\"", {{9, 9, 0}}, Downloaded},
        {"3.1.9223372036854775807", {{3, 1, max}}, Downloaded},
        {"3.1.9223372036854775808", {{3, 1, 0}}, NoNewer},
        {"3.2.-9223372036854775808", {{3, 2, min}}, Downloaded},
        // A newer number that would name a file elsewhere names none.
        {"4.0.2/x", {{4, 0, 0}}, Silent},
        {std::string("4.0.3\0", 6), {{4, 0, 0}}, Silent},
        {"3.1.3/x", {{3, 1, 0}}, NoNewer},
    };
    ASSERT_TRUE(connectTo(server));
    const QString folder = VersionCheck::versionsFolder();
    for (const auto &text : texts) {
        const QString number = QString::fromStdString(text.number);
        EXPECT_EQ(VersionCheck::parseVersion(number), text.parts) << text.number;
        const qsizetype downloads = server.controlRequests(QStringLiteral("CallHttpDownload")).size();
        CapturedOutput output;
        VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", text.number}, {"url", "http://127.0.0.1/i"}}));
        if (text.outcome != Downloaded) {
            ASSERT_TRUE(sentFramesArrived(server)) << text.number;
            EXPECT_EQ(server.controlRequests(QStringLiteral("CallHttpDownload")).size(), downloads) << text.number;
            EXPECT_EQ(output.lines(), text.outcome == NoNewer ? QStringList{"No Newer Version."} : QStringList{}) << text.number;
            continue;
        }
        ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("CallHttpDownload")).size() > downloads; }))
            << text.number;
        const Json download = server.controlRequests(QStringLiteral("CallHttpDownload")).back();
        const QString savePath = QString::fromStdString(download["Data"]["SaveAt"]);
        EXPECT_EQ(savePath, folder + "/Fenmar" + number + ".tmp");
        writeFile(savePath);
        server.answer(QString::fromStdString(download["Token"]), Json{{"IsSucc", true}});
        ASSERT_TRUE(waitFor([&] { return !loginView.offers.isEmpty(); })) << text.number;
        EXPECT_EQ(loginView.offers.takeFirst(), folder + "/Fenmar" + number + ".dmg");
        EXPECT_FALSE(output.lines().contains("No Newer Version.")) << text.number;
    }
}

TEST_F(VersionCheckTest, SameOrOlderVersionOrNoOfferEndsQuietly)
{
    CapturedOutput output;
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "3.1.3"}, {"url", "http://x/i"}}));
    VersionCheck::onVersionInfo(serviceReply({{"info", 0}, {"number", "9.9.9"}}));
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "3.2"}}));
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "9.9.9/x"}}));
    VersionCheck::onVersionInfo(serviceReply(Json::array({1, 2})));
    VersionCheck::onVersionInfo(std::nullopt);
    VersionCheck::onVersionInfo(LenientJson::fromJson(Json("not json")));
    EXPECT_EQ(output.lines(), (QStringList{QStringLiteral("No Newer Version."), QStringLiteral("Json error : not json")}));
    EXPECT_TRUE(loginView.offers.isEmpty());
    EXPECT_EQ(P2PClientMsg::taskTable().size(), 0) << "no download was asked for";
    EXPECT_TRUE(QDir(VersionCheck::versionsFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(VersionCheckTest, InstallerAlreadyOnDiskIsOfferedWithoutDownload)
{
    const QString installer = installerFor(QStringLiteral("3.2.0"));
    writeFile(installer);
    ASSERT_TRUE(connectTo(server));
    server.frames.clear();
    VersionCheck::onVersionInfo(serviceReply({{"info", "1"}, {"number", "3.2.0"}, {"url", "http://x/i"}}));
    EXPECT_EQ(loginView.offers, QStringList{installer}) << "an info given as the text 1 counts";
    ASSERT_TRUE(sentFramesArrived(server));
    EXPECT_TRUE(server.controlRequests(QStringLiteral("CallHttpDownload")).isEmpty());

    Env::globalLoginView = nullptr;
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "3.2.0"}, {"url", "http://x/i"}}));
    EXPECT_EQ(loginView.offers.size(), 1) << "no sheet registered: the offer is skipped";
}

TEST_F(VersionCheckTest, AnEmptyInstallerOnDiskIsNeverOfferedButDownloadedAgain)
{
    const QString installer = installerFor(QStringLiteral("3.3.0"));
    writeFile(installer, "");
    ASSERT_TRUE(connectTo(server));
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "3.3.0"}, {"url", "http://x/i"}}));
    ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("CallHttpDownload")).size() == 1; }));
    VersionCheck::offerInstaller(installer);
    EXPECT_TRUE(loginView.offers.isEmpty());
}

TEST_F(VersionCheckTest, NewerVersionIsDownloadedOnceThenOffered)
{
    ASSERT_TRUE(connectTo(server));
    // The version request of the connection: the service offers 3.1.10.
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));
    const QString versionToken = QString::fromStdString(requestOf(server.frames[0])["Token"]);
    server.answer(versionToken, Json(Json{{"info", 1}, {"number", "3.1.10"}, {"url", "http://127.0.0.1/Fenmar.dmg"}}.dump()));
    ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("CallHttpDownload")).size() == 1; }));
    const Json download = server.controlRequests(QStringLiteral("CallHttpDownload"))[0];
    const QString savePath = QString::fromStdString(download["Data"]["SaveAt"]);
    EXPECT_EQ(download["Data"]["URL"], "http://127.0.0.1/Fenmar.dmg");
    EXPECT_EQ(savePath, VersionCheck::versionsFolder() + QStringLiteral("/Fenmar3.1.10.tmp"));
    EXPECT_TRUE(VersionCheck::isDownloadInFlight());

    // A second connection's check while the download runs asks for no second download.
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "3.1.10"}, {"url", "http://127.0.0.1/Fenmar.dmg"}}));
    ASSERT_TRUE(sentFramesArrived(server));
    EXPECT_EQ(server.controlRequests(QStringLiteral("CallHttpDownload")).size(), 1);

    // The bridge wrote the file and says so.
    writeFile(savePath);
    CapturedOutput output;
    server.answer(QString::fromStdString(download["Token"]), Json{{"IsSucc", true}, {"Info", "OK"}, {"Size", 9}});
    const QString installer = installerFor(QStringLiteral("3.1.10"));
    ASSERT_TRUE(waitFor([&] { return !loginView.offers.isEmpty(); }));
    EXPECT_EQ(loginView.offers, QStringList{installer});
    EXPECT_TRUE(QFile::exists(installer));
    EXPECT_FALSE(QFile::exists(savePath));
    EXPECT_FALSE(VersionCheck::isDownloadInFlight());
    EXPECT_TRUE(output.lines().contains(QStringLiteral("Got New Version - http://127.0.0.1/Fenmar.dmg ") + installer));
}

TEST_F(VersionCheckTest, FailedOrMissingDownloadIsNotOffered)
{
    const QString url = QStringLiteral("http://x/i");
    const QString folder = VersionCheck::versionsFolder();
    VersionCheck::onInstallerDownloaded(LenientJson::fromJson(Json{{"IsSucc", false}}), url, folder + QStringLiteral("/a.dmg"), folder + QStringLiteral("/a.tmp"));
    VersionCheck::onInstallerDownloaded(std::nullopt, url, folder + QStringLiteral("/a.dmg"), folder + QStringLiteral("/a.tmp"));
    // Said to have succeeded, but the file is not there: nothing to offer.
    VersionCheck::onInstallerDownloaded(LenientJson::fromJson(Json{{"IsSucc", true}}), url, folder + QStringLiteral("/b.dmg"), folder + QStringLiteral("/b.tmp"));
    // Said to have succeeded, but a full disk left an empty file, or one shorter than the answer says.
    const struct
    {
        QByteArray written;
        Json answer;
    } failedSaves[] = {{"", {{"IsSucc", true}, {"Size", 0}}},
                       {"", {{"IsSucc", true}}},
                       {"inst", {{"IsSucc", true}, {"Size", 9}}},
                       {"installer", {{"IsSucc", true}, {"Size", "4096"}}}};
    for (const auto &save : failedSaves) {
        writeFile(folder + QStringLiteral("/c.tmp"), save.written);
        CapturedOutput output;
        VersionCheck::onInstallerDownloaded(LenientJson::fromJson(save.answer), url, folder + QStringLiteral("/c.dmg"),
                                            folder + QStringLiteral("/c.tmp"));
        const QString printed = output.lines().join('\n');
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/c.dmg"))) << save.answer.dump();
        EXPECT_FALSE(printed.contains(QStringLiteral("Got New Version"))) << save.answer.dump();
    }
    // An offer would be posted to the event loop.
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_TRUE(loginView.offers.isEmpty());
}

TEST_F(VersionCheckTest, DownloadWithoutAnswerAllowsTheNextCheckToTryAgain)
{
    ASSERT_TRUE(connectTo(server));
    ASSERT_TRUE(waitFor([&] { return !server.frames.isEmpty(); }));
    server.answer(QString::fromStdString(requestOf(server.frames[0])["Token"]),
                  Json(Json{{"info", 1}, {"number", "4.0.0"}, {"url", "u"}}.dump()));
    ASSERT_TRUE(waitFor([&] { return VersionCheck::isDownloadInFlight(); }));
    clock->advanceMs(10 * 60 * 1000);
    P2PClientMsg::taskTable().expireDue();
    EXPECT_FALSE(VersionCheck::isDownloadInFlight());
    VersionCheck::onVersionInfo(serviceReply({{"info", 1}, {"number", "4.0.0"}, {"url", "u"}}));
    ASSERT_TRUE(waitFor([&] { return server.controlRequests(QStringLiteral("CallHttpDownload")).size() == 2; }));
}

TEST_F(VersionCheckTest, InstallerHandOffOpensKillsAndQuits)
{
    QStringList opened;
    Env::setInstallerOpenerForTests([&](const QString &path) {
        opened << path;
        return true;
    });
    Env::setQuitDelayForTests(20);

    CapturedOutput nothing;
    EXPECT_FALSE(Env::openInstallerAndQuit(VersionCheck::versionsFolder()));
    EXPECT_FALSE(Env::openInstallerAndQuit(VersionCheck::versionsFolder() + QStringLiteral("/gone.dmg")));
    writeFile(VersionCheck::versionsFolder() + QStringLiteral("/empty.dmg"), "");
    EXPECT_FALSE(Env::openInstallerAndQuit(VersionCheck::versionsFolder() + QStringLiteral("/empty.dmg")));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(nothing.lines().isEmpty());

    const QString installer = VersionCheck::versionsFolder() + QStringLiteral("/Fenmar it's 4.0.0.dmg");
    writeFile(installer);
    // The application quits its own run loop; a time-out ends it otherwise with another code.
    QTimer::singleShot(3000, QCoreApplication::instance(), [] { QCoreApplication::exit(7); });
    CapturedOutput output;
    EXPECT_TRUE(Env::openInstallerAndQuit(installer));
    EXPECT_EQ(opened, QStringList{installer}) << "a path with blanks and a quote is one path";
    EXPECT_EQ(output.lines().value(0), QStringLiteral("Clearing OstrelBridge..."));
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the program quits after the hand-off";
}

TEST_F(VersionCheckTest, InstallerThatCannotBeOpenedKeepsTheProgramRunning)
{
    Env::setInstallerOpenerForTests([](const QString &) { return false; });
    Env::setQuitDelayForTests(10);
    const QString installer = VersionCheck::versionsFolder() + QStringLiteral("/Fenmar4.0.0.dmg");
    writeFile(installer);
    CapturedOutput output;
    EXPECT_FALSE(Env::openInstallerAndQuit(installer)) << "the caller learns of the failure";
    EXPECT_EQ(output.lines(), QStringList{QStringLiteral("Open Installer Failed - ") + installer});
    QTimer::singleShot(150, QCoreApplication::instance(), [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 7) << "nothing quit the program";
}
