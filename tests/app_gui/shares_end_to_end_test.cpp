// End to end through the stand-in bridge, started as a child process on free loopback ports: a
// user signs in, publishes a folder and sees its link under the account's host name; the host
// name changed on the service's web console reaches the link; the settings page gets the
// account's contact code; a newer version offered by the service is downloaded and offered on the
// login sheet.

#include "app_gui_support.h"

#include "bridge_link.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "host_name_fetcher.h"
#include "installer_handoff.h"
#include "login_view.h"
#include "main_view.h"
#include "sharing_obj.h"
#include "side_nav_item_view.h"
#include "standin_bridge_process.h"
#include "test_home.h"
#include "view_settings.h"
#include "view_sharing_detail.h"
#include "view_sharing_local.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

namespace {

const QString email = QStringLiteral("pat.lee@example.com");
const QString password = QStringLiteral("pw-for-pat");

// Changes the account's host name the way a user does on the stand-in's web console; the page's
// answer.
QString changeHostName(const StandinBridgeProcess &standin, const QString &newName)
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(standin.httpBase() + QStringLiteral("console")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("email"), email);
    form.addQueryItem(QStringLiteral("password"), password);
    form.addQueryItem(QStringLiteral("hostname"), newName);
    QNetworkReply *reply = network.post(request, form.toString(QUrl::FullyEncoded).toUtf8());
    waitFor([&] { return reply->isFinished(); }, 5000);
    const QString page = QString::fromUtf8(reply->readAll());
    delete reply;
    return page;
}

class SharesEndToEnd : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        // Nothing here launches or restarts a bridge: the test started its own.
        Env::runMode = 1;
        registerFileDialogPanels();
    }

    // The main window, its link connected to the stand-in.
    bool showAndConnect(const StandinBridgeProcess &standin)
    {
        showMainView();
        window->hostNameFetcher().setApiBaseUrl(standin.httpBase() + QStringLiteral("api/"));
        BridgeLink::setPortForTests(standin.wsPort());
        // The window's timer tries to connect at the third tick of each cycle.
        for (int i = 0; i < 7 && !Env::isBridgeConnected; ++i)
            step();
        return waitFor([] { return Env::isBridgeConnected; }, 5000);
    }

    // One tick of the window's timer (a second of the program's time), then whatever it started.
    void step()
    {
        tickMain();
        QTest::qWait(20);
    }

    // Types the e-mail and password into the login sheet and presses its login button.
    bool signIn()
    {
        LoginView &sheet = window->loginSheet();
        tickLogin(LoginView::buttonsFromTick);
        sheet.findChild<QLineEdit *>(QStringLiteral("emailField"))->setText(email);
        sheet.findChild<QLineEdit *>(QStringLiteral("passwordField"))->setText(password);
        QPushButton *login = sheet.findChild<QPushButton *>(QStringLiteral("loginButton"));
        if (!login || !login->isVisible())
            return false;
        QTest::mouseClick(login, Qt::LeftButton);
        tickLogin();
        return waitFor([&] { return !sheet.isVisible(); }, 5000);
    }

    ViewSharingLocal *page() const { return window->findChild<ViewSharingLocal *>(); }
    QString link(int card) const
    {
        const QList<ViewSharingDetail *> panes = page()->panes();
        return card < panes.size() ? panes.at(card)->findChild<QLineEdit *>(QStringLiteral("linkField"))->text() : QString();
    }
};

TEST_F(SharesEndToEnd, ASharedFolderIsLinkedUnderTheAccountsHostNameAndFollowsItsChange)
{
    StandinBridgeProcess standin;
    standin.start();
    ASSERT_NE(standin.wsPort(), 0) << "the stand-in bridge is built beside the tests";
    ASSERT_TRUE(showAndConnect(standin));
    ASSERT_TRUE(signIn());
    const QString host = Env::userInfo.hostname;
    EXPECT_EQ(host, "patlee");
    ASSERT_NE(page(), nullptr);
    EXPECT_TRUE(page()->panes().isEmpty());

    // Publish a folder through the add button and the open panel.
    const QString folder = QDir(TestHome::path()).filePath(QStringLiteral("Holiday"));
    ASSERT_TRUE(QDir().mkpath(folder));
    FileDialogPanels::setNextAnswer({folder});
    QTest::mouseClick(page()->findChild<QPushButton *>(QStringLiteral("addShareButton")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return page()->panes().size() == 1; }));
    const QString tag = page()->panes().first()->sharingObj()->tag();
    EXPECT_TRUE(waitFor([&] { return link(0) == shareHostLink(host) + tag; })) << link(0).toStdString();

    // The user renames the host on the web console; the window's periodic host-name request
    // (every fifth tick) brings the new name, and the link follows.
    EXPECT_TRUE(changeHostName(standin, QStringLiteral("patsphotos")).contains(QStringLiteral("patsphotos")));
    QElapsedTimer realTime;
    realTime.start();
    int ticks = 0;
    while (link(0) != shareHostLink(QStringLiteral("patsphotos")) + tag && ticks < 10) {
        step();
        ++ticks;
        waitFor([&] { return !window->hostNameFetcher().isBusy(); }, 2000);
        QTest::qWait(20);
    }
    EXPECT_EQ(link(0), shareHostLink(QStringLiteral("patsphotos")) + tag);
    EXPECT_LE(ticks, 6) << "seconds of the program's time";
    EXPECT_LT(realTime.elapsed(), 5000);
    EXPECT_EQ(Env::userInfo.hostname, "patsphotos");

    // The settings page asks the service for the account's contact code.
    QTest::mouseClick(window->findChild<SideNavItemView *>(QStringLiteral("navSettings")), Qt::LeftButton);
    ViewSettings *settings = window->findChild<ViewSettings *>();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(waitFor([&] { return !settings->contactCode().isEmpty(); }, 5000));
}

TEST_F(SharesEndToEnd, ANewerVersionIsDownloadedAndOfferedOnTheLoginSheet)
{
    StandinBridgeProcess standin({{QStringLiteral("FENMAR_STANDIN_OFFER_VERSION"), QStringLiteral("3.2.0")}});
    standin.start();
    ASSERT_NE(standin.wsPort(), 0);
    // The version request goes out as the link connects, while the login sheet is open.
    ASSERT_TRUE(showAndConnect(standin));
    LoginView &sheet = window->loginSheet();
    ASSERT_TRUE(waitFor([&] { return sheet.isShowUpgradeDialog(); }, 10000));
    const QString installer =
        QDir(TestHome::path()).filePath(QStringLiteral("Documents/Fenmar/versions/Fenmar3.2.0.dmg"));
    EXPECT_EQ(QFileInfo(sheet.strUpgradeVersionFile()).absoluteFilePath(), installer);
    EXPECT_TRUE(QFileInfo(installer).isFile());
    EXPECT_FALSE(QFileInfo::exists(QDir(TestHome::path()).filePath("Documents/Fenmar/versions/Fenmar3.2.0.tmp")));
    auto *offer = sheet.findChild<QMessageBox *>(QStringLiteral("upgradeDialog"));
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(offer->isVisible());

    // Accepting opens the installer and lets the program go a second later: here the opener is
    // recorded and the quit is put off beyond the test's end.
    QStringList opened;
    Env::setInstallerOpenerForTests([&](const QString &path) {
        opened << path;
        return true;
    });
    Env::setQuitDelayForTests(60 * 60 * 1000);
    QPushButton *upgradeNow = offer->findChild<QPushButton *>(QStringLiteral("upgradeNowButton"));
    ASSERT_NE(upgradeNow, nullptr);
    QTest::mouseClick(upgradeNow, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !sheet.isVisible(); }));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened.first()).absoluteFilePath(), installer);
    Env::setInstallerOpenerForTests({});
}

} // namespace
