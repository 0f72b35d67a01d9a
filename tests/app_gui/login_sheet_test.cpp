// The login sheet driven as a user drives it, against an in-test bridge: the buttons after the
// wait, "Login" on the first connected tick, the time-out, the failure and success paths, the
// remembered e-mail and password, the upgrade offer and the cancel button.

#include "app_gui_support.h"

#include "bridge_supervisor.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "env.h"
#include "installer_handoff.h"
#include "localization.h"
#include "login_view.h"
#include "main_view.h"
#include "test_home.h"
#include "util_db.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

namespace {

const QString kGoodResult = QStringLiteral(
    R"({"Result":"1","ACC":"42","name_acc":"Ann Lee","rooturl":"annlee","ClientID":"C-42","Token":"TOKEN-XYZ",)"
    R"("limit":{"maxsharecount":10,"limit_dpc":3,"mbr_type":2}})");

class LoginSheet : public ShellTest
{
protected:
    LoginView &sheet() { return window->loginSheet(); }
    QLineEdit *email() { return sheet().findChild<QLineEdit *>(QStringLiteral("emailField")); }
    QLineEdit *password() { return sheet().findChild<QLineEdit *>(QStringLiteral("passwordField")); }
    QCheckBox *rememberMe() { return sheet().findChild<QCheckBox *>(QStringLiteral("rememberMeSwitch")); }
    // A click on the switch's box.
    void toggleRememberMe() { QTest::mouseClick(rememberMe(), Qt::LeftButton, {}, QPoint(8, rememberMe()->height() / 2)); }
    QPushButton *loginButton() { return sheet().findChild<QPushButton *>(QStringLiteral("loginButton")); }
    DialogConfirmView *messageDialog() { return sheet().findChild<DialogConfirmView *>(QStringLiteral("loginMessageDialog")); }
    QDialog *loadingSheet() { return sheet().findChild<QDialog *>(QStringLiteral("loginLoadingSheet")); }

    // The sheet with its buttons shown, the user's e-mail and password typed.
    void typeCredentials(const QString &mail, const QString &pass)
    {
        tickLogin(3);
        email()->clear();
        password()->clear();
        QTest::keyClicks(email(), mail);
        QTest::keyClicks(password(), pass);
    }

    void pressLogin()
    {
        ASSERT_TRUE(loginButton()->isVisible());
        QTest::mouseClick(loginButton(), Qt::LeftButton);
    }

    // Ticks the sheet until "Login" reaches the bridge.
    bool loginReaches(FakeBridgeServer &bridge)
    {
        tickLogin();
        return waitFor([&] { return !bridge.framesWithCode(QStringLiteral("Login")).isEmpty(); });
    }

    QString messageTitle() { return messageDialog()->setting()->title(); }
    QString messageInfo() { return messageDialog()->setting()->info(); }
};

TEST_F(LoginSheet, ButtonsReplaceTheWaitingIndicatorAtTheThirdTick)
{
    showMainView();
    auto *row = sheet().findChild<QStackedWidget *>(QStringLiteral("loginButtonRow"));
    EXPECT_EQ(sheet().size(), QSize(648, 468));
    EXPECT_TRUE(sheet().findChild<DialogLoading *>(QStringLiteral("loginWaiting"))->isVisible());
    tickLogin(2);
    EXPECT_FALSE(loginButton()->isVisible());
    tickLogin();
    EXPECT_TRUE(loginButton()->isVisible());
    EXPECT_TRUE(sheet().findChild<QPushButton *>(QStringLiteral("loginCancelButton"))->isVisible());
    EXPECT_EQ(row->currentWidget(), loginButton()->parentWidget());
}

TEST_F(LoginSheet, EveryTickPrintsTheLinkStateAndTheCounter)
{
    showMainView();
    CapturedOutput output;
    tickLogin(2);
    EXPECT_EQ(output.lines(), QStringList({"false iLoginTimeCounter 0", "false iLoginTimeCounter 0"}));
}

TEST_F(LoginSheet, LoginGoesOutAtTheFirstConnectedTickAfterThePress)
{
    showMainView();
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    pressLogin();
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsStartLogin);
    ASSERT_TRUE(waitFor([&] { return loadingSheet()->isVisible(); }));
    EXPECT_EQ(sheet().dialogLoadingSetting().title(), "Logging in...");

    // No bridge yet: the request waits without a limit.
    tickLogin(4);
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsStartLogin);

    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    ASSERT_TRUE(loginReaches(bridge));
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginSubmited);
    EXPECT_EQ(sheet().iLoginTimeCounter(), 1);

    const QList<Json> logins = bridge.framesWithCode(QStringLiteral("Login"));
    ASSERT_EQ(logins.size(), 1);
    ASSERT_TRUE(logins[0]["Msg"]["Data"].is_string()) << "Login carries its payload as JSON text";
    const Json account = Json::parse(logins[0]["Msg"]["Data"].get<std::string>());
    EXPECT_EQ(account, Json::parse(R"({"Id_acc":"ann@example.com","Password":"s3cret","Device":"IPhone",)"
                                   R"("isCheckAccOnly":"0","Relogin":false,"Version":"3.1.3","Source":"IOS"})"));
    EXPECT_EQ(logins[0]["VType"], "WinContrlSet->");
}

TEST_F(LoginSheet, GivesUpEightTicksAfterSending)
{
    showMainView();
    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    pressLogin();
    ASSERT_TRUE(loginReaches(bridge));

    tickLogin(7);
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginSubmited);
    EXPECT_FALSE(sheet().isShowConfirmDialog());
    tickLogin();
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsTimeout);
    EXPECT_FALSE(sheet().isShowLoading());
    ASSERT_TRUE(waitFor([&] { return messageDialog()->isVisible(); }));
    EXPECT_EQ(messageTitle(), "Login Timeout!");
    EXPECT_EQ(messageInfo(), "Please try again later.");
    EXPECT_FALSE(messageDialog()->findChild<QPushButton *>(QStringLiteral("cancelButton"))->isVisible());

    // A new press starts a new attempt, counted from 0 again.
    QTest::mouseClick(messageDialog()->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !messageDialog()->isVisible(); }));
    pressLogin();
    tickLogin();
    EXPECT_TRUE(waitFor([&] { return bridge.framesWithCode(QStringLiteral("Login")).size() == 2; }));
    EXPECT_EQ(sheet().iLoginTimeCounter(), 1);
}

TEST_F(LoginSheet, WrongPasswordShowsTheFailureDialogAndKeepsTheSheet)
{
    showMainView();
    FakeBridgeServer bridge;
    bridge.loginResult = QStringLiteral(R"({"Error":"wrong password"})");
    ASSERT_TRUE(connectTo(bridge));
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("wrong"));
    pressLogin();
    ASSERT_TRUE(loginReaches(bridge));

    ASSERT_TRUE(waitFor([&] { return messageDialog()->isVisible(); }));
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginResultBack);
    EXPECT_EQ(messageTitle(), localizedString(QStringLiteral("Login_LoginFailed")));
    EXPECT_EQ(messageInfo(), localizedString(QStringLiteral("Login_CheckYourInfo")));
    EXPECT_FALSE(loadingSheet()->isVisible());
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_EQ(email()->text(), "ann@example.com");
    EXPECT_EQ(password()->text(), "wrong");
    EXPECT_TRUE(Env::userInfo.Token.isEmpty());
    EXPECT_EQ(Env::userInfo.name_acc, "Anonymous");
    saveScreenshot(*messageDialog(), QStringLiteral("app_login_failed"));
}

TEST_F(LoginSheet, ResultsThatAreNoJsonObjectWithAResultFail)
{
    showMainView();
    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("pw"));
    for (const QString &text : {QStringLiteral(R"(not json but "Result")"), QStringLiteral(R"({"result":"1"})"),
                                QStringLiteral(R"({"Info":"the \"Result\" is missing"})"), QStringLiteral(R"(["Result"])")}) {
        bridge.send(QStringLiteral("LoginResult"), text);
        ASSERT_TRUE(waitFor([&] { return messageDialog()->isVisible(); })) << text.toStdString();
        EXPECT_EQ(messageTitle(), localizedString(QStringLiteral("Login_LoginFailed")));
        EXPECT_TRUE(sheet().isVisible());
        EXPECT_TRUE(Env::userInfo.Token.isEmpty());
        messageDialog()->done(QDialog::Accepted);
    }
}

TEST_F(LoginSheet, SuccessClosesTheSheetAndMakesTheNewAccountEverybodys)
{
    showMainView();
    FakeBridgeServer bridge;
    bridge.loginResult = kGoodResult;
    ASSERT_TRUE(connectTo(bridge));
    typeCredentials(QStringLiteral("ann+work@example.com"), QStringLiteral("s3cret"));
    pressLogin();

    CapturedOutput output;
    ASSERT_TRUE(loginReaches(bridge));
    ASSERT_TRUE(waitFor([&] { return !sheet().isVisible(); }));
    ASSERT_TRUE(waitFor([&] {
        const QList<Json> calls = bridge.controlData(QStringLiteral("CallHttp"));
        return !calls.isEmpty() && calls.last().value("URL", "").find("subaccount/init/") != std::string::npos;
    }));
    waitFor([] { return false; }, 50);
    const QStringList lines = output.lines();

    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginResultBack);
    EXPECT_FALSE(window->isShowLogin());
    EXPECT_EQ(lines.count("ReloadSharingList"), 1);
    EXPECT_TRUE(lines.contains("Host Login Succeeded"));
    EXPECT_FALSE(lines.join(u'\n').contains("TOKEN-XYZ")) << "the session token is never printed";

    EXPECT_EQ(Env::userInfo.id_acc, 42);
    EXPECT_EQ(Env::userInfo.name_acc, "Ann Lee");
    EXPECT_EQ(Env::userInfo.hostname, "annlee");
    EXPECT_EQ(Env::userInfo.Token, "TOKEN-XYZ");
    EXPECT_EQ(Env::userInfo.mbr_type, 2);
    EXPECT_EQ(Env::userInfo.limit_dpc, 3);
    EXPECT_EQ(Env::userInfo.email, "ann+work@example.com");
    EXPECT_EQ(Env::userInfo.password, "s3cret");

    // The banner shows the new account; the navigation is back.
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("accountName"))->text(), "Ann Lee");
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("memberTypeLabel"))->text(),
              localizedString(QStringLiteral("MemberType_Std")));
    EXPECT_TRUE(window->findChild<QWidget *>(QStringLiteral("sideNavigation"))->isVisible());

    // The sub-account call carries the e-mail percent-encoded.
    const Json call = bridge.controlData(QStringLiteral("CallHttp")).last();
    EXPECT_TRUE(call.value("URL", "").ends_with("subaccount/init/?email=ann%2Bwork%40example.com")) << call.dump();
    EXPECT_EQ(call.value("Timeout", 0), 6);
}

TEST_F(LoginSheet, FirstStartTurnsRememberMeOnWithEmptyFields)
{
    showMainView();
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("isRememberMe")), "1");
    EXPECT_TRUE(rememberMe()->isChecked());
    EXPECT_TRUE(email()->text().isEmpty());
    EXPECT_TRUE(password()->text().isEmpty());
}

TEST_F(LoginSheet, RememberedValuesFillTheFields)
{
    UtilDB::setIcon(QStringLiteral("isRememberMe"), QStringLiteral("1"));
    UtilDB::setIcon(QStringLiteral("Login_Email"), QStringLiteral("ann@example.com"));
    UtilDB::setIcon(QStringLiteral("Login_Password"), QStringLiteral("s3cret"));
    showMainView();
    EXPECT_TRUE(rememberMe()->isChecked());
    EXPECT_EQ(email()->text(), "ann@example.com");
    EXPECT_EQ(password()->text(), "s3cret");
}

TEST_F(LoginSheet, RememberMeOffForgetsWhatWasStored)
{
    for (const QString &stored : {QStringLiteral("0"), QStringLiteral("true")}) {
        UtilDB::setIcon(QStringLiteral("isRememberMe"), stored);
        UtilDB::setIcon(QStringLiteral("Login_Email"), QStringLiteral("ann@example.com"));
        UtilDB::setIcon(QStringLiteral("Login_Password"), QStringLiteral("s3cret"));
        showMainView();
        EXPECT_FALSE(rememberMe()->isChecked()) << stored.toStdString();
        EXPECT_TRUE(email()->text().isEmpty());
        EXPECT_EQ(UtilDB::getIcon(QStringLiteral("isRememberMe")), "0");
        EXPECT_EQ(UtilDB::getIcon(QStringLiteral("Login_Email")), "");
        EXPECT_EQ(UtilDB::getIcon(QStringLiteral("Login_Password")), "");
        window.reset();
    }
}

TEST_F(LoginSheet, SuccessStoresTheValuesOnlyWhileRememberMeIsOn)
{
    showMainView();
    tickLogin(3);
    QTest::keyClicks(email(), QStringLiteral("ann@example.com"));
    QTest::keyClicks(password(), QStringLiteral("s3cret"));
    toggleRememberMe();
    ASSERT_FALSE(rememberMe()->isChecked());
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("isRememberMe")), "0");
    sheet().onLoginSucceeded(kGoodResult, UserInfo());
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("Login_Email")), "");
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("Login_Password")), "");
    // The link still has them for a relogin after a bridge restart.
    EXPECT_EQ(Env::userInfo.email, "ann@example.com");
    EXPECT_EQ(Env::userInfo.password, "s3cret");
    window.reset();

    showMainView();
    tickLogin(3);
    ASSERT_FALSE(rememberMe()->isChecked());
    toggleRememberMe();
    ASSERT_TRUE(rememberMe()->isChecked());
    QTest::keyClicks(email(), QStringLiteral("bob@example.com"));
    QTest::keyClicks(password(), QStringLiteral("pw2"));
    sheet().onLoginSucceeded(kGoodResult, UserInfo());
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("isRememberMe")), "1");
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("Login_Email")), "bob@example.com");
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("Login_Password")), "pw2");
}

TEST_F(LoginSheet, ReturnInAFieldDoesNotLogIn)
{
    showMainView();
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    QTest::keyClick(password(), Qt::Key_Return);
    QTest::keyClick(email(), Qt::Key_Return);
    QTest::keyClick(&sheet(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsNone);
    EXPECT_TRUE(sheet().isVisible()) << "Escape does not dismiss the sheet";
}

TEST_F(LoginSheet, LoadingSheetClosesItselfAfterItsLimit)
{
    showMainView();
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    pressLogin();
    ASSERT_TRUE(waitFor([&] { return loadingSheet()->isVisible(); }));
    auto *loading = loadingSheet()->findChild<DialogLoading *>();
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(sheet().dialogLoadingSetting().maxWaiting(), 8);
    for (int i = 0; i < 8; ++i)
        loading->onTimerTick();
    EXPECT_TRUE(loadingSheet()->isVisible());
    loading->onTimerTick();
    EXPECT_TRUE(waitFor([&] { return !loadingSheet()->isVisible(); }));
    EXPECT_FALSE(sheet().isShowLoading());
    // The request itself still waits for the bridge.
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsStartLogin);
}

TEST_F(LoginSheet, UpgradeIsOfferedOnlyWhileTheSheetIsShown)
{
    const QString installer = TestHome::path() + QStringLiteral("/Fenmar9.0.0.dmg");
    QFile file(installer);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("installer");
    file.close();
    QStringList opened;
    Env::setInstallerOpenerForTests([&](const QString &path) {
        opened << path;
        return true;
    });
    Env::setQuitDelayForTests(60000);

    showMainView();
    Env::globalLoginView->offerUpgrade(installer);
    EXPECT_TRUE(sheet().isShowUpgradeDialog());
    EXPECT_EQ(sheet().strUpgradeVersionFile(), installer);
    auto *offer = sheet().findChild<QMessageBox *>(QStringLiteral("upgradeDialog"));
    ASSERT_TRUE(waitFor([&] { return offer->isVisible(); }));
    EXPECT_EQ(offer->text(), localizedString(QStringLiteral("Settings_UpgradeConfirm")));

    QTest::mouseClick(offer->findChild<QPushButton *>(QStringLiteral("upgradeNowButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !sheet().isVisible(); }));
    EXPECT_EQ(opened, QStringList({installer}));

    // With the sheet closed an offer is dropped.
    Env::globalLoginView->offerUpgrade(installer + QStringLiteral(".other"));
    EXPECT_FALSE(sheet().isShowUpgradeDialog());
    EXPECT_EQ(sheet().strUpgradeVersionFile(), installer);
}

TEST_F(LoginSheet, CancelStopsTheBridgeBeforeTheProgramEnds)
{
    // A bridge of this test's own, in a folder of its own.
    const QString folder = TestHome::path() + QStringLiteral("/bridge");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString bridgePath = folder + u'/' + Env::bridgeExecutableName();
    QFile script(bridgePath);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexec sleep 30\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    Env::setBridgeFolderForTests(folder);
    Env::startBridge();
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    QPointer<QProcess> bridge = Env::bridgeProcess();
    const qint64 pid = bridge->processId();

    showMainView();
    tickLogin(3);
    bool bridgeGoneWhenQuitting = false;
    int quits = 0;
    sheet().setQuitProgramForTests([&] {
        ++quits;
        bridgeGoneWhenQuitting = Env::bridgeProcess() == nullptr && !QFile::exists(QStringLiteral("/proc/%1/cmdline").arg(pid));
    });
    QTest::mouseClick(sheet().findChild<QPushButton *>(QStringLiteral("loginCancelButton")), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(bridgeGoneWhenQuitting);
    EXPECT_FALSE(Env::isRelaunchPending());
}

} // namespace
