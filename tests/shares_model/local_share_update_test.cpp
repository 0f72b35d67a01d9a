#include "share_store_fixture.h"

#include <QRegularExpression>
#include <QTemporaryDir>

// Storing edits, renames, removal, the default flag and new shares, and what a failed write leaves.

TEST_F(ShareStoreTest, RenameMovesTheShareWithItsSettingsAndClearsTagOld)
{
    auto share = store("K3Z9", "/pics", "pw12");
    share->setIsfiledel(true);
    ASSERT_TRUE(LocalShare_Update(*share));

    share->setTagOld("K3Z9");
    share->setTag("Photos");
    ASSERT_TRUE(LocalShare_Update(*share));
    EXPECT_EQ(share->tagOld(), "");
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList{"Photos"});
    EXPECT_TRUE(load("photos")->isfiledel());
    EXPECT_TRUE(LocalShare_CheckPassword("PHOTOS", "PW12"));
    EXPECT_EQ(rows("select count(*) from localshare_ext where tag='K3Z9'"), QList<QStringList>({{"0"}}));
    EXPECT_EQ(rows("select count(*) from localshare_ext where tag='Photos'"), QList<QStringList>({{"12"}}));
}

TEST_F(ShareStoreTest, RenameOntoATakenTagIsRefusedWhateverItsCase)
{
    store("PHOTOS", "/other");
    auto share = store("K3Z9", "/pics");
    share->setUploadAutoChangeName("keep");
    ASSERT_TRUE(LocalShare_Update(*share));
    const QList<QStringList> before = rows("select * from localshare order by rowid");
    const QList<QStringList> settingsBefore = rows("select * from localshare_ext order by rowid");

    share->setTagOld("K3Z9");
    share->setTag("Photos");
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_EQ(share->tagOld(), "K3Z9");
    EXPECT_EQ(rows("select * from localshare order by rowid"), before);
    EXPECT_EQ(rows("select * from localshare_ext order by rowid"), settingsBefore);

    // Changing only the letter case of its own tag finds the share itself.
    share->setTag("k3z9");
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_EQ(rows("select * from localshare order by rowid"), before);
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList({"PHOTOS", "K3Z9"}));

    // A row without its time still holds its tag.
    sql("update localshare set ctime=NULL where tag='PHOTOS'");
    share->setTag("photos");
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList({"PHOTOS", "K3Z9"}));
}

TEST_F(ShareStoreTest, UpdateWithoutRenameWritesTheShareAnewWithANewCtime)
{
    auto share = store("SAME", "/same");
    sql("update localshare set ctime='2001-01-01 00:00:00'");
    share->setPath("/moved");
    ASSERT_TRUE(LocalShare_Update(*share));

    const SharingObjPtr loaded = load("SAME");
    EXPECT_EQ(loaded->path(), "/moved");
    EXPECT_NE(loaded->ctime(), "2001-01-01 00:00:00");
    EXPECT_EQ(rows("select count(*) from localshare"), QList<QStringList>({{"1"}}));
}

TEST_F(ShareStoreTest, UpdateWhoseWriteFailsLeavesTheOldShareInPlace)
{
    auto share = store("KEEP", "/old", "code");
    share->setIsfiledel(true);
    ASSERT_TRUE(LocalShare_Update(*share));
    const QList<QStringList> before = rows("select * from localshare order by rowid");
    const QList<QStringList> settingsBefore = rows("select * from localshare_ext order by rowid");

    failInsertsInto("localshare");
    share->setPath("/new");
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_EQ(rows("select * from localshare order by rowid"), before);
    EXPECT_EQ(rows("select * from localshare_ext order by rowid"), settingsBefore);

    // A rename that fails keeps the old tag stored and tagOld set, so that saving again works.
    share->setTagOld("KEEP");
    share->setTag("NEWTAG");
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_EQ(share->tagOld(), "KEEP");
    EXPECT_EQ(rows("select * from localshare order by rowid"), before);

    sql("drop trigger fail_localshare");
    ASSERT_TRUE(LocalShare_Update(*share));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList{"NEWTAG"});
    EXPECT_EQ(load("NEWTAG")->path(), "/new");
}

TEST_F(ShareStoreTest, UpdateWhoseSettingWriteFailsLeavesTheOldShareInPlace)
{
    auto share = store("KEEP", "/old");
    const QList<QStringList> settingsBefore = rows("select * from localshare_ext order by rowid");

    failInsertsInto("localshare_ext", "new.key='FileDel'");
    share->setIsfiledel(true);
    share->setPath("/new");
    EXPECT_FALSE(LocalShare_Update(*share));
    EXPECT_EQ(load("KEEP")->path(), "/old");
    EXPECT_EQ(rows("select * from localshare_ext order by rowid"), settingsBefore);

    // A new share is stored whole or not at all.
    EXPECT_FALSE(LocalShare_Add("/another"));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList{"KEEP"});
    EXPECT_EQ(rows("select count(*) from localshare_ext"), QList<QStringList>({{"12"}}));
}

TEST_F(ShareStoreTest, SettingWriteThatFailsKeepsTheOldValue)
{
    store("ONE", "/one");
    LocalShareExt_Set("ONE", "DefaultView", "3");
    failInsertsInto("localshare_ext");
    LocalShareExt_Set("ONE", "DefaultView", "4");
    EXPECT_EQ(LocalShareExt_Get("ONE", "DefaultView"), "3");
}

TEST_F(ShareStoreTest, DeleteRemovesTheShareAndItsSettingsTogether)
{
    store("GONE", "/gone");
    store("STAY", "/stay");
    ASSERT_TRUE(LocalShare_Delete("gone"));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList{"STAY"});
    EXPECT_EQ(rows("select distinct tag from localshare_ext"), QList<QStringList>({{"STAY"}}));
    // Deleting what is not there is no failure.
    EXPECT_TRUE(LocalShare_Delete("GONE"));

    sql("create trigger keep_settings before delete on localshare_ext begin select raise(abort, 'locked'); end");
    EXPECT_FALSE(LocalShare_Delete("STAY"));
    ASSERT_NE(load("STAY"), nullptr);
    EXPECT_EQ(rows("select count(*) from localshare_ext"), QList<QStringList>({{"12"}}));
}

TEST_F(ShareStoreTest, SetDefaultLeavesExactlyOneDefaultShare)
{
    store("A1", "/a");
    store("B2", "/b");
    store("C3", "/c");
    const auto defaults = [] {
        return rows("select tag from localshare_ext where key='IsDefault' and value='1'");
    };

    ASSERT_TRUE(LocalShare_SetDefault("a1"));
    EXPECT_EQ(defaults(), QList<QStringList>({{"A1"}}));
    ASSERT_TRUE(LocalShare_SetDefault("B2"));
    EXPECT_EQ(defaults(), QList<QStringList>({{"B2"}}));
    EXPECT_EQ(tags(LocalShare_List("index.php", false, true)), QStringList{"B2"});

    // The second step failing keeps the previous default.
    sql("create trigger no_new_default before update on localshare_ext when new.value='1'"
        " begin select raise(abort, 'locked'); end");
    EXPECT_FALSE(LocalShare_SetDefault("C3"));
    EXPECT_EQ(defaults(), QList<QStringList>({{"B2"}}));
    sql("drop trigger no_new_default");

    // A tag without a default row leaves the account without a default share.
    EXPECT_TRUE(LocalShare_SetDefault("NOSUCH"));
    EXPECT_TRUE(defaults().isEmpty());
}

TEST_F(ShareStoreTest, AddDrawsAFreeTagAndNotesWhetherThePathIsAFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(LocalShare_Add(folder.path()));
    ASSERT_TRUE(LocalShare_Add(folder.path()));
    ASSERT_TRUE(LocalShare_Add(folder.filePath("missing")));

    const QList<SharingObjPtr> shares = LocalShare_List({}, false, false);
    ASSERT_EQ(shares.size(), 3);
    EXPECT_TRUE(shares.at(0)->isdir());
    EXPECT_TRUE(shares.at(1)->isdir());
    EXPECT_FALSE(shares.at(2)->isdir());
    EXPECT_EQ(shares.at(2)->path(), folder.filePath("missing"));
    EXPECT_NE(shares.at(0)->tag(), shares.at(1)->tag());
    const QRegularExpression fourChars(QStringLiteral("^[0-9A-Z]{4}$"));
    for (const SharingObjPtr &share : shares) {
        EXPECT_TRUE(fourChars.match(share->tag()).hasMatch()) << share->tag().toStdString();
        EXPECT_TRUE(share->isenabled());
        EXPECT_FALSE(share->isupload());
        EXPECT_TRUE(share->isdownload());
        EXPECT_EQ(share->password(), "");
        EXPECT_TRUE(share->isTranLAN());
        EXPECT_EQ(share->daysctime(), 0u);
    }
}
