#include "share_store_fixture.h"

// Listing, the default rule, tags and codes without regard to case, and what web peers may see.

TEST_F(ShareStoreTest, ListGivesFoldersFirstThenPathWithCodesInClear)
{
    store("F1", "/b/file.txt", "pw1", false);
    store("D2", "/z/folder", "Secret");
    store("D1", "/a/folder");
    store("D3", "/Z/upper");

    const QList<SharingObjPtr> shares = LocalShare_List({}, false, false);
    // Plain text order: "/Z" sorts before "/a".
    EXPECT_EQ(tags(shares), QStringList({"D3", "D1", "D2", "F1"}));
    EXPECT_EQ(shares.at(2)->password(), "Secret");
    EXPECT_EQ(shares.at(2)->passwordShowing(), "??????");
    EXPECT_EQ(shares.at(3)->password(), "pw1");
    EXPECT_FALSE(shares.at(3)->isdir());
    EXPECT_EQ(shares.at(1)->password(), "");
    EXPECT_EQ(shares.at(1)->passwordShowing(), "");
    EXPECT_FALSE(shares.at(0)->ctime().isEmpty());
}

TEST_F(ShareStoreTest, OnlyEnabledLeavesOutDisabledSharesAndMasksEveryCode)
{
    store("OPEN", "/a");
    store("CODE", "/b", "hunter2");
    auto off = store("OFF", "/c", "xyz9");
    off->setIsenabled(false);
    ASSERT_TRUE(LocalShare_Update(*off));

    const QList<SharingObjPtr> shares = LocalShare_List({}, true, false);
    ASSERT_EQ(tags(shares), QStringList({"OPEN", "CODE"}));
    EXPECT_EQ(shares.at(0)->password(), "");
    EXPECT_EQ(shares.at(0)->passwordShowing(), "");
    EXPECT_EQ(shares.at(1)->password(), "????????");
    EXPECT_EQ(shares.at(1)->passwordShowing(), "??????");

    // Asked by tag, a disabled share is not there for a web peer, but is for the owner.
    EXPECT_TRUE(LocalShare_List("off", true, true).isEmpty());
    ASSERT_EQ(LocalShare_List("off", false, true).size(), 1);
    EXPECT_EQ(LocalShare_List("off", false, true).first()->password(), "xyz9");
}

TEST_F(ShareStoreTest, EmptyTagAndIndexPhpMeanTheDefaultShare)
{
    store("AAA1", "/a", "pw");
    auto chosen = store("BBB2", "/b");
    store("CCC3", "/c");

    // No default yet: the empty tag lists every share, and matches no code or ctime.
    EXPECT_EQ(LocalShare_List("index.php", false, true).size(), 3);
    EXPECT_EQ(LocalShare_List({}, false, true).size(), 3);
    EXPECT_EQ(LocalShare_GetCTime({}), "");
    EXPECT_EQ(LocalShare_GetCTime("index.php"), "");
    EXPECT_FALSE(LocalShare_CheckPassword({}, {}));
    EXPECT_FALSE(LocalShare_CheckPassword("index.php", {}));

    chosen->setIsDefault(true);
    ASSERT_TRUE(LocalShare_Update(*chosen));
    ASSERT_TRUE(LocalShare_SetDefault("BBB2"));

    EXPECT_EQ(tags(LocalShare_List("index.php", false, true)), QStringList{"BBB2"});
    EXPECT_EQ(tags(LocalShare_List({}, true, true)), QStringList{"BBB2"});
    EXPECT_EQ(LocalShare_GetCTime({}), LocalShare_GetCTime("BBB2"));
    EXPECT_FALSE(LocalShare_GetCTime("index.php").isEmpty());
    EXPECT_TRUE(LocalShare_CheckPassword({}, {}));
    EXPECT_TRUE(LocalShare_CheckPassword("index.php", {}));
    EXPECT_FALSE(LocalShare_CheckPassword({}, "pw"));

    // Without the rule, "index.php" is a tag like any other, and the empty tag lists everything.
    EXPECT_TRUE(LocalShare_List("index.php", false, false).isEmpty());
    EXPECT_EQ(LocalShare_List({}, false, false).size(), 3);
    EXPECT_TRUE(load("BBB2")->isDefault());
    EXPECT_FALSE(load("AAA1")->isDefault());
}

TEST_F(ShareStoreTest, TagsAndCodesMatchWithoutRegardToLetterCase)
{
    store("AB12", "/photos", "MiXeD7");
    store("NOCODE", "/open");

    EXPECT_EQ(tags(LocalShare_List("ab12", false, false)), QStringList{"AB12"});
    EXPECT_EQ(tags(LocalShare_List("ab12", true, true)), QStringList{"AB12"});
    EXPECT_TRUE(LocalShare_Exists("aB12"));
    EXPECT_FALSE(LocalShare_GetCTime("ab12").isEmpty());
    EXPECT_EQ(LocalShare_GetCTime("nosuch"), "");
    EXPECT_FALSE(LocalShare_Exists("nosuch"));

    EXPECT_TRUE(LocalShare_CheckPassword("ab12", "mixed7"));
    EXPECT_TRUE(LocalShare_CheckPassword("AB12", "MIXED7"));
    EXPECT_FALSE(LocalShare_CheckPassword("AB12", "mixed"));
    EXPECT_FALSE(LocalShare_CheckPassword("AB12", {}));
    // Only a share without a code opens with the empty code.
    EXPECT_TRUE(LocalShare_CheckPassword("nocode", {}));
    EXPECT_FALSE(LocalShare_CheckPassword("nocode", "anything"));
    EXPECT_FALSE(LocalShare_CheckPassword("nosuch", {}));
}

TEST_F(ShareStoreTest, EveryOperationKeepsToTheCurrentAccount)
{
    Env::userInfo.id_acc = 7;
    store("MINE", "/seven", "c0de");
    ASSERT_TRUE(LocalShare_SetDefault("MINE"));

    Env::userInfo.id_acc = 8;
    EXPECT_TRUE(LocalShare_List({}, false, false).isEmpty());
    EXPECT_FALSE(LocalShare_Exists("MINE"));
    EXPECT_FALSE(LocalShare_CheckPassword("MINE", "c0de"));
    EXPECT_EQ(LocalShare_GetCTime("MINE"), "");
    EXPECT_EQ(LocalShareExt_Get("MINE", "Days"), "");
    ASSERT_TRUE(LocalShare_Delete("MINE"));
    ASSERT_TRUE(LocalShare_SetDefault("OTHER"));

    Env::userInfo.id_acc = 7;
    ASSERT_NE(load("MINE"), nullptr);
    EXPECT_TRUE(load("MINE")->isDefault());
    EXPECT_TRUE(LocalShare_CheckPassword("mine", "C0DE"));
    EXPECT_EQ(LocalShareExt_Get("mine", "days"), "31");
}

TEST_F(ShareStoreTest, QuotesAndSqlLookingTextAreStoredAndFoundAsText)
{
    store("Q1", "/it's/a path", "o'k1");
    store("Q2", "/x' or '1'='1");

    EXPECT_EQ(load("Q1")->path(), "/it's/a path");
    EXPECT_TRUE(LocalShare_CheckPassword("Q1", "O'K1"));
    EXPECT_FALSE(LocalShare_CheckPassword("Q1", "' or '1'='1"));
    EXPECT_FALSE(LocalShare_Exists("x' or '1'='1"));
    EXPECT_EQ(load("Q2")->path(), "/x' or '1'='1");

    LocalShareExt_Set("Q1", "UploadAutoChangeName", "it's");
    EXPECT_EQ(load("Q1")->UploadAutoChangeName(), "it's");
}

TEST_F(ShareStoreTest, ClosedDatabaseAnswersAsIfNothingWereStored)
{
    auto share = store("LOST", "/a");
    UtilDB::close();

    EXPECT_TRUE(LocalShare_List({}, false, false).isEmpty());
    EXPECT_FALSE(LocalShare_Exists("LOST"));
    EXPECT_EQ(LocalShare_GetCTime("LOST"), "");
    EXPECT_FALSE(LocalShare_CheckPassword("LOST", {}));
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_FALSE(LocalShare_Delete("LOST"));
    EXPECT_FALSE(LocalShare_SetDefault("LOST"));
    EXPECT_FALSE(LocalShare_Add("/tmp"));
}
