// What a "LoginResult" text means: which texts are a failed login, which members fill the new
// account record and how, and where the result goes.

#include "app_gui_support.h"

#include "bridge_message.h"
#include "bridge_interfaces.h"
#include "env.h"
#include "login_result.h"
#include "login_view.h"
#include "main_view.h"

namespace {

TEST(LoginResultText, FillsTheRecordFromTheResult)
{
    const std::optional<UserInfo> user = LoginResult::readAccount(QStringLiteral(
        R"({"Result":"1","ACC":"123","name_acc":"Ann","rooturl":"annhost","ClientID":"C1","Token":"T1",)"
        R"("limit":{"maxsharecount":"9","limit_dpc":4,"mbr_type":3},"limit_upc":7})"));
    ASSERT_TRUE(user);
    EXPECT_EQ(user->id_acc, 123);
    EXPECT_EQ(user->name_acc, "Ann");
    EXPECT_EQ(user->hostname, "annhost");
    EXPECT_EQ(user->rooturl, "annhost");
    EXPECT_EQ(user->ClientID, "C1");
    EXPECT_EQ(user->Token, "T1");
    EXPECT_EQ(user->maxsharecount, 9);
    EXPECT_EQ(user->limit_dpc, 4);
    EXPECT_EQ(user->mbr_type, 3);
    EXPECT_FALSE(user->isAnonymous);
    // Members the result does not set keep the record's defaults.
    EXPECT_EQ(user->limit_upc, 1);
    EXPECT_EQ(user->limit_uspeed, 1024);
    EXPECT_TRUE(user->email.isEmpty());
}

TEST(LoginResultText, MissingMembersReadAsZeroOrEmptyNotAsDefaults)
{
    const std::optional<UserInfo> user = LoginResult::readAccount(QStringLiteral(R"({"Result":0,"ACC":"abc"})"));
    ASSERT_TRUE(user) << "only the presence of Result counts, not its value";
    EXPECT_EQ(user->id_acc, 0);
    EXPECT_EQ(user->name_acc, "");
    EXPECT_EQ(user->hostname, "") << "the default host name does not survive";
    EXPECT_EQ(user->rooturl, "");
    EXPECT_EQ(user->maxsharecount, 0);
    EXPECT_EQ(user->limit_dpc, 0);
    EXPECT_EQ(user->mbr_type, 0);
}

TEST(LoginResultText, TextsWithoutATopLevelResultAreFailedLogins)
{
    for (const char *text : {"", "not json", R"("Result")", R"(["Result",1])", R"({"result":"1"})",
                             R"({"Error":"Bad \"Result\" here"})", R"({"Info":{"Result":"1"}})", R"({"Result":)"}) {
        EXPECT_FALSE(LoginResult::readAccount(QString::fromUtf8(text))) << text;
    }
}

TEST(LoginResultText, PrintableFormMasksTheToken)
{
    const QString shown = LoginResult::printable(QStringLiteral(R"({"Result":"1","Token":"SECRET","name_acc":"Ann"})"));
    EXPECT_FALSE(shown.contains("SECRET"));
    EXPECT_TRUE(shown.contains("Ann"));
}

class LoginResultRouting : public ShellTest
{
};

TEST_F(LoginResultRouting, TheWindowRegistersTheHandlerAndAResultReachesTheSheet)
{
    showMainView();
    ASSERT_NE(BridgeMessage::loginResultHandler, nullptr);
    BridgeMessage::DoMsg(QStringLiteral(R"({"Code":"LoginResult","Data":"{\"Result\":\"1\",\"name_acc\":\"Ann\",\"Token\":\"T\"}"})"));
    EXPECT_TRUE(waitFor([this] { return !window->loginSheet().isVisible(); }));
    EXPECT_EQ(Env::userInfo.name_acc, "Ann");
    EXPECT_EQ(window->loginSheet().iLoginState(), LoginState::lsLoginResultBack);

    window.reset();
    EXPECT_EQ(BridgeMessage::loginResultHandler, nullptr);
}

TEST_F(LoginResultRouting, AResultBeforeTheSheetWasShownIsDropped)
{
    window = std::make_unique<MainView>();
    ASSERT_EQ(Env::globalLoginView, nullptr);
    CapturedOutput output;
    BridgeMessage::loginResultHandler->DoLoginResult(QStringLiteral(R"({"Result":"1","name_acc":"Ann"})"));
    EXPECT_EQ(Env::userInfo.name_acc, "Anonymous");
    EXPECT_EQ(window->loginSheet().iLoginState(), LoginState::lsNone);
    EXPECT_FALSE(output.lines().isEmpty());
}

} // namespace
