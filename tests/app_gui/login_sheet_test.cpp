// The login sheet driven as a user drives it, against an in-test bridge: the buttons after the
// wait, "Login" on the first connected tick and the time-out eight ticks later, the failure and
// success paths, the remembered e-mail and password, the upgrade offer, Return in the sheet's own
// messages and the cancel button; and what a "LoginResult" text means and where it goes.

#include "app_gui_support.h"

#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "installer_handoff.h"
#include "json_member_mask.h"
#include "lenient_json.h"
#include "login_result.h"
#include "widget_fit.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include <tuple>

namespace {

const QString kGoodResult = QStringLiteral(
    R"({"Result":"1","ACC":"42","name_acc":"Ann Lee","rooturl":"annlee","ClientID":"C-42","Token":"TOKEN-XYZ",)"
    R"("limit":{"maxsharecount":10,"limit_dpc":3,"mbr_type":2}})");

class LoginSheet : public ShellTest
{
protected:
    LoginView &sheet() { return window->loginSheet(); }
    template <class Widget>
    Widget *part(const char *name) { return sheet().findChild<Widget *>(QString::fromLatin1(name)); }
    QLineEdit *email() { return part<QLineEdit>("emailField"); }
    QLineEdit *password() { return part<QLineEdit>("passwordField"); }
    QCheckBox *rememberMe() { return part<QCheckBox>("rememberMeSwitch"); }
    QPushButton *loginButton() { return part<QPushButton>("loginButton"); }
    DialogConfirmView *message() { return part<DialogConfirmView>("loginMessageDialog"); }
    QDialog *loading() { return part<QDialog>("loginLoadingSheet"); }
    QString messageShown() { return message()->setting()->title() + " / " + message()->setting()->info(); }

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

    // A downloaded installer in the test's home; opening it only notes it in openedInstallers.
    QString placeInstaller()
    {
        const QString installer = TestHome::path() + QStringLiteral("/Fenmar9.0.0.dmg");
        QFile file(installer);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("installer") > 0);
        file.close();
        Env::setInstallerOpenerForTests([this](const QString &path) {
            openedInstallers << path;
            return true;
        });
        Env::setQuitDelayForTests(60000);
        return installer;
    }
    QStringList openedInstallers;

    // One tick of the sheet, after which "Login" reaches the bridge for the count-th time.
    bool loginReaches(FakeBridgeServer &bridge, int count = 1)
    {
        tickLogin();
        return waitFor([&] { return bridge.framesWithCode(QStringLiteral("Login")).size() == count; });
    }
};

TEST_F(LoginSheet, ButtonsReplaceTheWaitingIndicatorAtTheThirdTickAndReturnOrEscapeDoNothing)
{
    showMainView();
    EXPECT_EQ(sheet().size(), QSize(648, 468));
    for (QLineEdit *field : {email(), password()}) {
        EXPECT_EQ(field->font().pixelSize(), 12) << field->objectName().toStdString();
        EXPECT_EQ(field->size(), QSize(240, 38)) << field->objectName().toStdString();
    }
    EXPECT_TRUE(part<DialogLoading>("loginWaiting")->isVisible());
    CapturedOutput output;
    tickLogin(2);
    EXPECT_EQ(output.lines(), QStringList({"false iLoginTimeCounter 0", "false iLoginTimeCounter 0"}));
    EXPECT_FALSE(loginButton()->isVisible());
    tickLogin();
    EXPECT_TRUE(loginButton()->isVisible());

    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    QTest::keyClick(password(), Qt::Key_Return);
    QTest::keyClick(email(), Qt::Key_Return);
    QTest::keyClick(&sheet(), Qt::Key_Escape);
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsNone);
    EXPECT_TRUE(sheet().isVisible()) << "Escape does not dismiss the sheet";
}

// Within the fixed sheet, in either language: 20 of room round the e-mail row, the buttons and
// the links, 10 round the notice.
TEST_F(LoginSheet, TheEmailButtonAndLinksRowsHaveTwentyOfRoomAndTheNoticeTen)
{
    for (const QLocale &language : englishAndChinese) {
        SCOPED_TRACE(language.name().toStdString());
        QLocale::setDefault(language);
        window.reset();
        showMainView();
        tickLogin(3);
        ASSERT_TRUE(waitFor([&] { return loginButton()->isVisible(); }));
        const auto at = [&](QWidget *widget) { return QRect(widget->mapTo(&sheet(), QPoint(0, 0)), widget->size()); };
        // The lowest foot of what stands above y in the sheet's column.
        const auto footAbove = [&](int y) {
            int foot = 0;
            for (QWidget *item : sheet().findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (item->isVisible() && item->geometry().bottom() < y)
                    foot = std::max(foot, item->geometry().bottom() + 1);
            }
            return foot;
        };

        const QRect mail = at(email());
        EXPECT_GE(mail.top() - footAbove(mail.top()), 20);
        EXPECT_EQ(at(password()).top() - mail.bottom() - 1, 20);
        const QRect mailLabel = at(email()->parentWidget()->findChildren<QLabel *>().first());
        EXPECT_GE(std::min(mail.left(), mailLabel.left()), 20);
        EXPECT_GE(sheet().width() - mail.right() - 1, 20);

        const QRect row = at(part<QWidget>("loginButtonRow"));
        const QRect login = at(loginButton());
        const QRect cancel = at(part<QPushButton>("loginCancelButton"));
        EXPECT_EQ(login.top() - row.top(), 20);
        EXPECT_EQ(row.bottom() - login.bottom(), 20);
        EXPECT_EQ(cancel.top(), login.top());
        EXPECT_GE(login.left() - row.left(), 20);
        EXPECT_GE(row.right() - cancel.right(), 20);

        // The links and the notice stand at the foot of the sheet, inside its own edge.
        const QMargins edge = sheet().layout()->contentsMargins();
        const QRect links = at(part<QLabel>("loginLinks"));
        const QRect notice = at(part<QLabel>("loginNotice"));
        EXPECT_EQ(links.top() - footAbove(links.top()), 20);
        EXPECT_EQ(QPair(links.left(), sheet().width() - links.right() - 1), QPair(edge.left() + 20, edge.right() + 20));
        EXPECT_EQ(notice.top() - links.bottom() - 1, 20 + 10);
        EXPECT_EQ(QPair(notice.left(), sheet().width() - notice.right() - 1), QPair(edge.left() + 10, edge.right() + 10));
        EXPECT_EQ(sheet().height() - notice.bottom() - 1, edge.bottom() + 10);
        const QStringList cuts = cutWidgets(&sheet());
        EXPECT_TRUE(cuts.isEmpty()) << cuts.join(u'\n').toStdString();
    }
}

TEST_F(LoginSheet, LoginGoesOutAtTheFirstConnectedTickGivesUpEightTicksLaterAndMayFail)
{
    showMainView();
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    pressLogin();
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsStartLogin);
    ASSERT_TRUE(waitFor([&] { return loading()->isVisible(); }));
    EXPECT_EQ(sheet().dialogLoadingSetting().title(), "Logging in...");
    // No bridge yet: the request waits without a limit.
    tickLogin(12);
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsStartLogin);

    FakeBridgeServer bridge;
    ASSERT_TRUE(connectTo(bridge));
    ASSERT_TRUE(loginReaches(bridge));
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginSubmited);
    const Json login = bridge.framesWithCode(QStringLiteral("Login")).at(0);
    ASSERT_TRUE(login["Msg"]["Data"].is_string()) << "Login carries its payload as JSON text";
    EXPECT_EQ(Json::parse(login["Msg"]["Data"].get<std::string>()),
              Json::parse(R"({"Id_acc":"ann@example.com","Password":"s3cret","Device":"IPhone",)"
                          R"("isCheckAccOnly":"0","Relogin":false,"Version":"3.1.3","Source":"IOS"})"));
    EXPECT_EQ(login["VType"], "WinContrlSet->");

    tickLogin(7);
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginSubmited);
    tickLogin();
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsTimeout);
    EXPECT_FALSE(sheet().isShowLoading());
    ASSERT_TRUE(waitFor([&] { return message()->isVisible(); }));
    EXPECT_EQ(messageShown(), "Login Timeout! / Please try again later.");
    EXPECT_FALSE(message()->findChild<QPushButton *>(QStringLiteral("cancelButton"))->isVisible());

    // A new press starts a new attempt, counted from 0 again; this one is refused.
    QTest::mouseClick(message()->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !message()->isVisible(); }));
    bridge.loginResult = QStringLiteral(R"({"Error":"wrong password"})");
    pressLogin();
    ASSERT_TRUE(loginReaches(bridge, 2));
    EXPECT_EQ(sheet().iLoginTimeCounter(), 1);
    ASSERT_TRUE(waitFor([&] { return message()->isVisible(); }));
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginResultBack);
    EXPECT_EQ(messageShown(), localizedString("Login_LoginFailed") + " / " + localizedString("Login_CheckYourInfo"));
    EXPECT_FALSE(loading()->isVisible());
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_EQ(email()->text() + ' ' + password()->text(), "ann@example.com s3cret");
    EXPECT_TRUE(Env::userInfo.Token.isEmpty());
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
    ASSERT_TRUE(waitFor([&] { return !callsTo(bridge, "subaccount/init/").isEmpty(); }));
    const QStringList printed = output.lines();
    EXPECT_FALSE(printed.join(u'\n').contains("TOKEN-XYZ")) << "the session token is never printed";
    // The greeting, a new record as it starts (not yet the account), then the result, masked.
    const qsizetype greeting = printed.indexOf("Host Login Succeeded");
    ASSERT_GE(greeting, 0) << printed.join(u'\n').toStdString();
    EXPECT_TRUE(printed.value(greeting + 1).contains("Anonymous") && !printed.value(greeting + 1).contains("Ann Lee"))
        << printed.value(greeting + 1).toStdString();
    EXPECT_GT(printed.indexOf(QString(kGoodResult).replace("TOKEN-XYZ", "********")), greeting + 1)
        << printed.join(u'\n').toStdString();

    EXPECT_EQ(sheet().iLoginState(), LoginState::lsLoginResultBack);
    EXPECT_FALSE(window->isShowLogin());
    EXPECT_EQ(Env::userInfo.Token, "TOKEN-XYZ");
    // The link signs in again with these after a bridge restart.
    EXPECT_EQ(Env::userInfo.email + ' ' + Env::userInfo.password, "ann+work@example.com s3cret");
    EXPECT_EQ(child<QLabel>("accountName")->text(), "Ann Lee");
    EXPECT_EQ(child<QLabel>("memberTypeLabel")->text(), localizedString("MemberType_Std"));

    // The sub-account call carries the e-mail percent-encoded.
    const Json call = callsTo(bridge, "subaccount/init/").at(0)["Data"];
    EXPECT_TRUE(call.value("URL", "").ends_with("subaccount/init/?email=ann%2Bwork%40example.com")) << call.dump();
    EXPECT_EQ(call.value("Timeout", 0), 6);
}

TEST_F(LoginSheet, WhatIsRememberedIsShownAndStoredOnlyWhileRememberMeIsOn)
{
    const struct {
        const char *stored; // "isRememberMe" before the sheet appears; nullptr: no row
        bool on;
    } cases[] = {{nullptr, true}, {"1", true}, {"0", false}, {"true", false}};
    for (const auto &c : cases) {
        if (c.stored) {
            setIcon(UtilDB::keyIsRememberMe, c.stored);
            setIcon(UtilDB::keyLoginEmail, "ann@example.com");
            setIcon(UtilDB::keyLoginPassword, "s3cret");
        }
        showMainView();
        const std::string label = c.stored ? c.stored : "no row";
        EXPECT_EQ(rememberMe()->isChecked(), c.on) << label;
        EXPECT_EQ(icon(UtilDB::keyIsRememberMe), c.on ? "1" : "0") << label;
        // Off forgets what an earlier run stored.
        const QString remembered = c.on && c.stored ? "ann@example.com s3cret" : " ";
        EXPECT_EQ(email()->text() + ' ' + password()->text(), remembered) << label;
        EXPECT_EQ(icon(UtilDB::keyLoginEmail) + ' ' + icon(UtilDB::keyLoginPassword), remembered) << label;
        typeCredentials(QStringLiteral("bob@example.com"), QStringLiteral("pw2"));
        sheet().onLoginSucceeded(kGoodResult, UserInfo());
        EXPECT_EQ(icon(UtilDB::keyLoginEmail) + ' ' + icon(UtilDB::keyLoginPassword), c.on ? "bob@example.com pw2" : " ") << label;
        window.reset();
    }
}

TEST_F(LoginSheet, UpgradeIsOfferedOnlyWhileTheSheetIsShown)
{
    const QString installer = placeInstaller();

    showMainView();
    Env::globalLoginView->offerUpgrade(installer);
    EXPECT_EQ(sheet().strUpgradeVersionFile(), installer);
    auto *offer = part<QMessageBox>("upgradeDialog");
    ASSERT_TRUE(waitFor([&] { return offer->isVisible(); }));
    EXPECT_EQ(offer->text(), localizedString("Settings_UpgradeConfirm"));
    QTest::mouseClick(offer->findChild<QPushButton *>(QStringLiteral("upgradeNowButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !sheet().isVisible(); }));
    EXPECT_EQ(openedInstallers, QStringList({installer}));

    // With the sheet closed an offer is dropped.
    Env::globalLoginView->offerUpgrade(installer + QStringLiteral(".other"));
    EXPECT_FALSE(sheet().isShowUpgradeDialog());
    EXPECT_EQ(sheet().strUpgradeVersionFile(), installer);
}

TEST_F(LoginSheet, AnInstallerThatCannotBeOpenedIsReportedAndTheSheetStaysForSigningIn)
{
    const QString installer = placeInstaller();
    Env::setInstallerOpenerForTests([](const QString &) { return false; });

    showMainView();
    FakeBridgeServer bridge;
    bridge.loginResult = kGoodResult;
    ASSERT_TRUE(connectTo(bridge));
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    Env::globalLoginView->offerUpgrade(installer);
    auto *offer = part<QMessageBox>("upgradeDialog");
    ASSERT_TRUE(waitFor([&] { return offer->isVisible(); }));
    QTest::mouseClick(offer->findChild<QPushButton *>(QStringLiteral("upgradeNowButton")), Qt::LeftButton);

    ASSERT_TRUE(waitFor([&] { return message()->isVisible(); }));
    EXPECT_EQ(messageShown(), localizedString("Settings_UpgradeFailed") + " / "
                                  + localizedString("Settings_UpgradeOpenFailed").arg(installer));
    EXPECT_TRUE(messageShown().contains(installer)) << "the user learns where the installer is";
    EXPECT_TRUE(sheet().isVisible());
    EXPECT_FALSE(loading()->isVisible()) << "nothing is left waiting";
    EXPECT_TRUE(window->isShowLogin());
    EXPECT_TRUE(Env::isBridgeConnected) << "the bridge stays while the program stays";
    const auto dismiss = [&] {
        QTest::mouseClick(message()->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
        return waitFor([&] { return !message()->isVisible(); });
    };

    // Offered again in Chinese, it fails in Chinese words.
    ASSERT_TRUE(dismiss());
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    Env::globalLoginView->offerUpgrade(installer);
    ASSERT_TRUE(waitFor([&] { return offer->isVisible(); }));
    QTest::mouseClick(offer->findChild<QPushButton *>(QStringLiteral("upgradeNowButton")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return message()->isVisible(); }));
    EXPECT_EQ(message()->setting()->title(), QStringLiteral(u"升级失败"));
    EXPECT_TRUE(message()->setting()->info().contains(installer));

    // The sheet still signs the user in.
    ASSERT_TRUE(dismiss());
    pressLogin();
    ASSERT_TRUE(loginReaches(bridge));
    ASSERT_TRUE(waitFor([&] { return !sheet().isVisible(); }));
    EXPECT_FALSE(window->isShowLogin());
    EXPECT_EQ(Env::userInfo.Token, "TOKEN-XYZ");
    EXPECT_EQ(Env::userInfo.email + ' ' + Env::userInfo.password, "ann@example.com s3cret")
        << "what was typed before the failure signs in";
}

TEST_F(LoginSheet, ItsMessagesAndTheUpgradeQuestionAnswerReturnWhileItsTimerRuns)
{
    const QString installer = placeInstaller();

    showMainView();
    FakeBridgeServer bridge; // answers no "Login" until told to
    ASSERT_TRUE(connectTo(bridge));
    typeCredentials(QStringLiteral("ann@example.com"), QStringLiteral("s3cret"));
    // The sheet's own timer runs (fast): every tick redraws its button row.
    sheet().timer().start(10);
    const auto returnCloses = [&](QWidget *panel) {
        const qint64 ticks = sheet().timerCounter();
        EXPECT_TRUE(waitFor([&] { return sheet().timerCounter() >= ticks + 3; }));
        QTest::keyClick(panel->focusWidget() ? panel->focusWidget() : panel, Qt::Key_Return);
        return waitFor([&] { return !panel->isVisible(); });
    };

    pressLogin();
    ASSERT_TRUE(waitFor([&] { return message()->isVisible(); }));
    EXPECT_EQ(messageShown(), "Login Timeout! / Please try again later.");
    EXPECT_TRUE(returnCloses(message()));
    // The keyboard is back on the button that started the attempt.
    EXPECT_TRUE(waitFor([&] { return sheet().focusWidget() == loginButton(); }));

    bridge.loginResult = QStringLiteral(R"({"Error":"wrong password"})");
    pressLogin();
    ASSERT_TRUE(waitFor([&] { return message()->isVisible(); }));
    EXPECT_EQ(messageShown(), localizedString("Login_LoginFailed") + " / " + localizedString("Login_CheckYourInfo"));
    EXPECT_TRUE(returnCloses(message()));
    EXPECT_TRUE(waitFor([&] { return sheet().focusWidget() == loginButton(); }));

    // Installing quits the program: Return dismisses the question even with the keyboard taken
    // to the other button, and the next offer starts on the dismiss control again.
    auto *offer = part<QMessageBox>("upgradeDialog");
    for (const bool onUpgradeNow : {true, false}) {
        Env::globalLoginView->offerUpgrade(installer);
        ASSERT_TRUE(waitFor([&] { return offer->isVisible(); }));
        EXPECT_EQ(offer->focusWidget(), offer->findChild<QPushButton *>(QStringLiteral("upgradeDismissButton")));
        if (onUpgradeNow)
            offer->findChild<QPushButton *>(QStringLiteral("upgradeNowButton"))->setFocus();
        EXPECT_TRUE(returnCloses(offer)) << onUpgradeNow;
        EXPECT_TRUE(openedInstallers.isEmpty()) << onUpgradeNow;
        EXPECT_FALSE(sheet().isShowUpgradeDialog());
        EXPECT_TRUE(sheet().isVisible());
    }
}

TEST_F(LoginSheet, CancelStopsTheBridgeBeforeTheProgramEnds)
{
    placeWaitingBridge();
    Env::startBridge();
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    const qint64 pid = Env::bridgeProcess()->processId();

    showMainView();
    tickLogin(3);
    bool bridgeGoneWhenQuitting = false;
    int quits = 0;
    sheet().setQuitProgramForTests([&] {
        ++quits;
        bridgeGoneWhenQuitting = Env::bridgeProcess() == nullptr && !QFile::exists(QStringLiteral("/proc/%1/cmdline").arg(pid));
    });
    QTest::mouseClick(part<QPushButton>("loginCancelButton"), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(bridgeGoneWhenQuitting);
    EXPECT_FALSE(Env::isRelaunchPending());
}

TEST(LoginResultText, ReadsTheAccountFromAnObjectWithAResultAndFailsEveryOtherText)
{
    std::optional<UserInfo> user = LoginResult::readAccount(QStringLiteral(
        R"({"Result":"1","ACC":"123","name_acc":"Ann","rooturl":"annhost","ClientID":"C1","Token":"T1",)"
        R"("limit":{"maxsharecount":"9","limit_dpc":4,"mbr_type":3}})"));
    ASSERT_TRUE(user);
    EXPECT_EQ(std::tie(user->id_acc, user->name_acc, user->hostname, user->rooturl, user->ClientID, user->Token),
              std::make_tuple(qint64(123), QString("Ann"), QString("annhost"), QString("annhost"), QString("C1"), QString("T1")));
    EXPECT_EQ(std::tie(user->maxsharecount, user->limit_dpc, user->mbr_type), std::make_tuple(9, 4, 3));

    // Only the presence of Result counts, not its value; what is missing reads as 0 or "".
    user = LoginResult::readAccount(QStringLiteral(R"({"Result":0,"ACC":"abc"})"));
    ASSERT_TRUE(user);
    EXPECT_EQ(std::tie(user->id_acc, user->maxsharecount, user->limit_dpc, user->mbr_type), std::make_tuple(qint64(0), 0, 0, 0));
    EXPECT_EQ(user->hostname, "") << "the default host name does not survive";

    // Without the quoted key a refusal prints nothing; a text that names it but is no JSON says so.
    const struct {
        const char *text;
        bool jsonError;
    } failures[] = {{"", false},
                    {"not json", false},
                    {R"({"result":"1"})", false},
                    {R"({"Error":"Bad \"Result\" here"})", false},
                    {R"("Result")", false},
                    {R"(["Result",1])", false},
                    {R"({"Info":{"Result":"1"}})", false},
                    {"Login refused. Result: wrong password", false},
                    {R"({"Result":)", true},
                    {R"({"Result":"1",})", true},
                    {R"(Result: "Result" but no JSON)", true}};
    for (const auto &failure : failures) {
        CapturedOutput output;
        EXPECT_FALSE(LoginResult::readAccount(QString::fromUtf8(failure.text))) << failure.text;
        EXPECT_EQ(output.lines(), failure.jsonError ? QStringList{"Json error!"} : QStringList()) << failure.text;
    }
}

TEST(LoginResultText, PrintsTheTextAsItCameWithOnlyTheTokenMasked)
{
    const struct {
        QString received;
        QString printed;
    } cases[] = {
        {"{ \"Token\" :  \"TOKEN-XYZ\" ,\n  \"Result\":\"1\", \"ACC\" : 42 }",
         "{ \"Token\" :  \"********\" ,\n  \"Result\":\"1\", \"ACC\" : 42 }"},
        // Braces, brackets and quotes inside values and nested members do not hide the token;
        // a name that only starts like it, or that is spelt with an escape, is found as it is.
        {R"({"name_acc":"A \"}{\" B","limit":{"list":[1,{"y":"]"}]},"TokenType":"x","Tok\u0065n":12345,"Result":true})",
         R"({"name_acc":"A \"}{\" B","limit":{"list":[1,{"y":"]"}]},"TokenType":"x","Tok\u0065n":"********","Result":true})"},
        {QStringLiteral(u"\uFEFF{\"Result\":1,\"Token\":\"T\"}"), QStringLiteral(u"\uFEFF{\"Result\":1,\"Token\":\"********\"}")},
        {R"({"Result":1})", R"({"Result":1})"},
        // Nothing to mask: kept as it came, neither sorted nor packed.
        {"{ \"name_acc\" : \"Ann\",\n  \"Result\" : \"1\", \"ACC\":42 }", "{ \"name_acc\" : \"Ann\",\n  \"Result\" : \"1\", \"ACC\":42 }"},
        // CRLF line ends and tabs around the colons and inside the object, as a service may write.
        {"{\r\n\t\"Result\"\t:\t\"1\",\r\n\t\"Token\"\t:\t\"TOKEN-XYZ\"\t,\r\n\t\"ACC\":\t42\r\n}\r\n",
         "{\r\n\t\"Result\"\t:\t\"1\",\r\n\t\"Token\"\t:\t\"********\"\t,\r\n\t\"ACC\":\t42\r\n}\r\n"},
        // Every top-level token goes; one nested elsewhere is not the session's and stays.
        {R"({"Token":"TOKEN-XYZ","limit":{"Token":"inner"},"Token":"TOKEN-XYZ","Result":1})",
         R"({"Token":"********","limit":{"Token":"inner"},"Token":"********","Result":1})"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(LoginResult::printable(c.received), c.printed) << c.received.toStdString();
        // Written anew, for a text that cannot be kept as it came, it says the same.
        const std::optional<QString> rewritten = JsonMemberMask::maskTopLevelRewritten(c.received, "Token", "********");
        ASSERT_TRUE(rewritten) << c.received.toStdString();
        EXPECT_EQ(LenientJson::parse(*rewritten).json(), LenientJson::parse(c.printed).json()) << rewritten->toStdString();
    }

    // A text that is no JSON object cannot be masked: nothing of it is printed.
    for (const char *unreadable : {R"({"Result":"1","Token":"TOKEN-XYZ",})", R"({"Token":"TOKEN-XYZ")",
                                   "Token: TOKEN-XYZ", R"(["Result",{"Token":"TOKEN-XYZ"}])"}) {
        const QString printed = LoginResult::printable(QString::fromUtf8(unreadable));
        EXPECT_FALSE(printed.contains("TOKEN-XYZ") || printed.contains("\"Result\"")) << unreadable;
    }
}

TEST_F(LoginSheet, AResultBeforeTheSheetWasShownIsDroppedAndTheHandlerGoesWithTheWindow)
{
    window = std::make_unique<MainView>();
    ASSERT_NE(BridgeMessage::loginResultHandler, nullptr);
    BridgeMessage::loginResultHandler->DoLoginResult(QStringLiteral(R"({"Result":"1","name_acc":"Ann"})"));
    EXPECT_EQ(Env::userInfo.name_acc, "Anonymous") << "a result before the sheet was shown is dropped";
    EXPECT_EQ(sheet().iLoginState(), LoginState::lsNone);
    window.reset();
    EXPECT_EQ(BridgeMessage::loginResultHandler, nullptr);
}

} // namespace
