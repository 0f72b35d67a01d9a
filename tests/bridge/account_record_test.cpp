// The account record before any login: what a new record holds, and that the process-wide one
// starts as such a record. A login result keeps these for every field the service does not send.

#include "env.h"
#include "qstring_print.h"

#include <gtest/gtest.h>

namespace {

// Every field of a record that no login has filled: an anonymous-looking account with one share,
// one download and one upload connection.
void expectDefaults(const UserInfo &user)
{
    EXPECT_EQ(user.id_acc, 0);
    EXPECT_EQ(user.hostname, "*");
    EXPECT_FALSE(user.isAnonymous);
    EXPECT_EQ(user.Token, "");
    EXPECT_EQ(user.IsDupeLogin, "");
    EXPECT_EQ(user.ClientID, "");
    EXPECT_EQ(user.name_acc, "Anonymous");
    EXPECT_EQ(user.isseed, 0);
    EXPECT_EQ(user.rooturl, "");
    EXPECT_EQ(user.email, "");
    EXPECT_EQ(user.password, "");
    EXPECT_EQ(user.mbr_type, 1);
    EXPECT_EQ(user.mbr_info, "");
    EXPECT_EQ(user.maxdevice, 0);
    EXPECT_EQ(user.maxsubaccounts, 0);
    EXPECT_EQ(user.limit_uspeed, 1024);
    EXPECT_EQ(user.limit_dspeed, 1024);
    EXPECT_EQ(user.limit_upc, 1);
    EXPECT_EQ(user.limit_dpc, 1);
    EXPECT_EQ(user.limit_hostname, 8);
    EXPECT_EQ(user.maxsharecount, 1);
}

} // namespace

TEST(AccountRecord, ANewRecordAllowsOneShareUnderHostStarAsMemberTypeOne)
{
    expectDefaults(UserInfo());
}

TEST(AccountRecord, TheProcessWideRecordStartsAsANewOneAndIsReplacedWhole)
{
    Env::resetForTests();
    expectDefaults(Env::userInfo);
    EXPECT_EQ(Env::appVersion, "3.1.3");
    EXPECT_EQ(Env::globalMainView, nullptr);
    EXPECT_EQ(Env::globalLoginView, nullptr);

    // What a login filled in goes with the record; nothing of it is left in the new one.
    Env::userInfo.id_acc = 10001;
    Env::userInfo.hostname = "pat";
    Env::userInfo.Token = "TOKEN";
    Env::userInfo.email = "pat@example.com";
    Env::userInfo.password = "pw";
    Env::userInfo.mbr_type = 2;
    Env::userInfo.limit_dpc = 5;
    Env::userInfo.maxsharecount = 20;
    Env::initGlobalUserInfo();
    expectDefaults(Env::userInfo);
}
