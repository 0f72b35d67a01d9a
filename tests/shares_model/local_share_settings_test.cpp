#include "share_store_fixture.h"

#include <QDateTime>

// The settings rows of a share: what is written, and what missing or unreadable rows read as.

TEST_F(ShareStoreTest, NewShareWritesTwelveSettingsInOrder)
{
    ASSERT_TRUE(LocalShare_Add("/nowhere"));
    const QList<QStringList> written = rows("select key, value from localshare_ext order by rowid");
    const QList<QStringList> expected = {
        {"Days", "31"},    {"DaysCTime", "0"}, {"AnonyAccess", "1"}, {"DownLimits", "0"},
        {"FileNew", "0"},  {"FileRename", "0"}, {"FileDel", "0"},     {"IsDefault", "0"},
        {"TransLAN", "1"}, {"TransP2P", "1"},  {"DefaultView", "5"}, {"UploadAutoChangeName", ""},
    };
    EXPECT_EQ(written, expected);
    EXPECT_EQ(rows("select isenabled, isupload, isdownload, isdir from localshare"),
              QList<QStringList>({{"1", "0", "1", "0"}}));
}

TEST_F(ShareStoreTest, MissingSettingsReadAsTheirDefaults)
{
    store("BARE", "/bare");
    sql("delete from localshare_ext");

    const SharingObjPtr share = load("BARE");
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(share->days(), 31u);
    EXPECT_EQ(share->daysctime(), 31u);
    EXPECT_TRUE(share->isanonyaccess());
    EXPECT_EQ(share->downlimits(), 0);
    EXPECT_EQ(share->DefaultView(), 5);
    EXPECT_EQ(share->UploadAutoChangeName(), "");
    EXPECT_FALSE(share->isfilenew());
    EXPECT_FALSE(share->isfilerename());
    EXPECT_FALSE(share->isfiledel());
    EXPECT_FALSE(share->isDefault());
    EXPECT_FALSE(share->isTranLAN());
    EXPECT_FALSE(share->isTranP2P());
    EXPECT_FALSE(share->iExpired());
}

TEST_F(ShareStoreTest, UnreadableNumbersFallBackAndSignedOnesKeepTheirSign)
{
    store("ODD", "/odd");
    const auto set = [](const char *key, const char *value) { LocalShareExt_Set("ODD", key, value); };

    set("DaysCTime", "abc");
    set("DownLimits", "-3");
    set("Days", "-3");
    set("DefaultView", "+7");
    set("AnonyAccess", "0");
    SharingObjPtr share = load("ODD");
    EXPECT_EQ(share->daysctime(), 31u);
    EXPECT_EQ(share->downlimits(), -3);
    EXPECT_EQ(share->days(), 31u);
    EXPECT_EQ(share->DefaultView(), 7);
    EXPECT_FALSE(share->isanonyaccess());

    set("Days", " 5");
    set("DaysCTime", "99999999999999999999");
    set("DownLimits", "12x");
    set("DefaultView", "");
    set("AnonyAccess", "");
    share = load("ODD");
    EXPECT_EQ(share->days(), 31u);
    EXPECT_EQ(share->daysctime(), 31u);
    EXPECT_EQ(share->downlimits(), 0);
    EXPECT_EQ(share->DefaultView(), 5);
    EXPECT_TRUE(share->isanonyaccess());
}

TEST_F(ShareStoreTest, SettingKeysReadWithoutRegardToCaseAndWriteReplacesTheRow)
{
    store("KEYS", "/k");
    sql("delete from localshare_ext where key='FileDel'");
    sql("insert into localshare_ext(id_acc, tag, key, value) values(0, 'keys', 'FILEDEL', '1')");
    EXPECT_EQ(LocalShareExt_Get("Keys", "filedel"), "1");
    EXPECT_TRUE(load("KEYS")->isfiledel());

    LocalShareExt_Set("KEYS", "Days", "9");
    LocalShareExt_Set("KEYS", "Days", "10");
    EXPECT_EQ(rows("select value from localshare_ext where key='Days'"), QList<QStringList>({{"10"}}));
}

TEST_F(ShareStoreTest, EveryFieldSurvivesAStoreAndLoad)
{
    auto share = store("ALL", "/all", "code1");
    share->setIsenabled(false);
    share->setIsupload(true);
    share->setIsdownload(false);
    share->setIsdir(false);
    share->setIsfilenew(false);
    share->setIsfilerename(true);
    share->setIsfiledel(true);
    share->setIsanonyaccess(false);
    share->setDownlimits(-12);
    share->setDays(7);
    share->setDaysctime(quint64(QDateTime::currentMSecsSinceEpoch()) - 8ull * 24 * 3600 * 1000);
    share->setDefaultView(2);
    share->setUploadAutoChangeName("rename");
    share->setIsTranLAN(false);
    share->setIsTranP2P(true);
    ASSERT_TRUE(LocalShare_Update(*share));

    const SharingObjPtr loaded = load("ALL");
    ASSERT_NE(loaded, nullptr);
    EXPECT_NE(loaded->id(), share->id());
    EXPECT_EQ(loaded->path(), "/all");
    EXPECT_EQ(loaded->password(), "code1");
    EXPECT_FALSE(loaded->isenabled());
    EXPECT_TRUE(loaded->isupload());
    EXPECT_FALSE(loaded->isdownload());
    EXPECT_FALSE(loaded->isdir());
    EXPECT_FALSE(loaded->isfilenew());
    EXPECT_TRUE(loaded->isfilerename());
    EXPECT_TRUE(loaded->isfiledel());
    EXPECT_FALSE(loaded->isanonyaccess());
    EXPECT_EQ(loaded->downlimits(), -12);
    EXPECT_EQ(loaded->days(), 7u);
    EXPECT_EQ(loaded->daysctime(), share->daysctime());
    EXPECT_TRUE(loaded->iExpired());
    EXPECT_EQ(loaded->DefaultView(), 2);
    EXPECT_EQ(loaded->UploadAutoChangeName(), "rename");
    EXPECT_FALSE(loaded->isTranLAN());
    EXPECT_TRUE(loaded->isTranP2P());
}
