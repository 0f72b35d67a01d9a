#include "lenient_json.h"
#include "share_store_fixture.h"
#include "share_store_for_peers.h"

#include <QRegularExpression>
#include <QTemporaryDir>

// The share store: listing, the default rule, tags and codes without regard to case, what web
// peers may see, edits and renames, settings rows, and what a failed write leaves.

TEST_F(ShareStoreTest, ListGivesFoldersFirstThenByPathAndMasksCodesForWebPeersOnly)
{
    store("F1", "/b/file.txt", "pw1", false);
    store("D2", "/z/folder", "Secret");
    store("D1", "/a/folder");
    auto off = store("D3", "/Z/upper", "xyz9");
    off->setIsenabled(false);
    ASSERT_TRUE(LocalShare_Update(*off));
    const auto listed = [](bool onlyEnabled) {
        QStringList seen;
        for (const SharingObjPtr &s : LocalShare_List({}, onlyEnabled, false))
            seen << s->tag() + ' ' + s->password() + ' ' + s->passwordShowing();
        return seen.join(", ");
    };
    EXPECT_EQ(listed(false), "D3 xyz9 ??????, D1  , D2 Secret ??????, F1 pw1 ??????") << "plain text order: /Z before /a";
    EXPECT_EQ(listed(true), "D1  , D2 ???????? ??????, F1 ???????? ??????");
    // Asked by tag, a disabled share is not there for a web peer, but is for the owner.
    EXPECT_TRUE(LocalShare_List("d3", true, true).isEmpty());
    EXPECT_EQ(LocalShare_List("d3", false, true).size(), 1);
}

TEST_F(ShareStoreTest, EmptyTagAndIndexPhpMeanTheDefaultShare)
{
    store("AAA1", "/a", "pw");
    auto chosen = store("BBB2", "/b");
    store("CCC3", "/c");

    // No default yet: the empty tag lists every share, and matches no code or ctime.
    EXPECT_EQ(LocalShare_List("index.php", false, true).size(), 3);
    EXPECT_EQ(LocalShare_GetCTime({}) + LocalShare_GetCTime("index.php"), "");
    EXPECT_FALSE(LocalShare_CheckPassword({}, {}));
    EXPECT_FALSE(LocalShare_CheckPassword("index.php", {}));

    chosen->setIsDefault(true);
    ASSERT_TRUE(LocalShare_Update(*chosen));
    ASSERT_TRUE(LocalShare_SetDefault("BBB2"));
    EXPECT_EQ(tags(LocalShare_List("index.php", false, true)), QStringList{"BBB2"});
    EXPECT_EQ(tags(LocalShare_List({}, true, true)), QStringList{"BBB2"});
    EXPECT_EQ(LocalShare_GetCTime("index.php"), LocalShare_GetCTime("BBB2"));
    EXPECT_FALSE(LocalShare_GetCTime({}).isEmpty());
    EXPECT_TRUE(LocalShare_CheckPassword({}, {}));
    EXPECT_TRUE(LocalShare_CheckPassword("index.php", {}));
    EXPECT_FALSE(LocalShare_CheckPassword({}, "pw"));

    // Without the rule, "index.php" is a tag like any other, and the empty tag lists everything.
    EXPECT_TRUE(LocalShare_List("index.php", false, false).isEmpty());
    EXPECT_EQ(LocalShare_List({}, false, false).size(), 3);
}

TEST_F(ShareStoreTest, TagsAndCodesMatchWithoutRegardToLetterCaseAndQuotesAreText)
{
    store("AB12", "/photos", "MiXeD7");
    store("NOCODE", "/open");
    store("Q1", "/it's/a path", "o'k1");

    EXPECT_EQ(tags(LocalShare_List("ab12", true, true)), QStringList{"AB12"});
    EXPECT_TRUE(LocalShare_Exists("aB12"));
    EXPECT_FALSE(LocalShare_GetCTime("ab12").isEmpty());
    EXPECT_EQ(LocalShare_GetCTime("nosuch"), "");
    EXPECT_FALSE(LocalShare_Exists("nosuch"));
    EXPECT_TRUE(LocalShare_CheckPassword("ab12", "mixed7"));
    EXPECT_FALSE(LocalShare_CheckPassword("AB12", "mixed"));
    EXPECT_FALSE(LocalShare_CheckPassword("AB12", {}));
    // Only a share without a code opens with the empty code.
    EXPECT_TRUE(LocalShare_CheckPassword("nocode", {}));
    EXPECT_FALSE(LocalShare_CheckPassword("nocode", "anything"));

    EXPECT_EQ(load("Q1")->path(), "/it's/a path");
    EXPECT_TRUE(LocalShare_CheckPassword("Q1", "O'K1"));
    EXPECT_FALSE(LocalShare_CheckPassword("Q1", "' or '1'='1"));
    EXPECT_FALSE(LocalShare_Exists("x' or '1'='1"));
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
    EXPECT_EQ(LocalShare_GetCTime("MINE") + LocalShareExt_Get("MINE", "Days"), "");
    ASSERT_TRUE(LocalShare_Delete("MINE"));
    ASSERT_TRUE(LocalShare_SetDefault("OTHER"));

    Env::userInfo.id_acc = 7;
    EXPECT_TRUE(load("MINE") && load("MINE")->isDefault());
    EXPECT_TRUE(LocalShare_CheckPassword("mine", "C0DE"));
}

TEST_F(ShareStoreTest, AClosedDatabaseAnswersAsIfNothingWereStored)
{
    auto share = store("LOST", "/a");
    UtilDB::close();
    EXPECT_TRUE(LocalShare_List({}, false, false).isEmpty());
    EXPECT_FALSE(LocalShare_Exists("LOST") || LocalShare_CheckPassword("LOST", {}) || LocalShare_Update(*share)
                 || LocalShare_Delete("LOST") || LocalShare_SetDefault("LOST") || LocalShare_Add("/tmp"));
    EXPECT_EQ(LocalShare_GetCTime("LOST"), "");
}

TEST_F(ShareStoreTest, AnUpdateWritesTheShareAnewAndARenameMovesItWithItsSettings)
{
    auto share = store("K3Z9", "/pics", "pw12");
    sql("update localshare set ctime='2001-01-01 00:00:00'");
    share->setIsfiledel(true);
    ASSERT_TRUE(LocalShare_Update(*share));
    EXPECT_GT(load("K3Z9")->ctime(), "2001-01-01 00:00:00") << "written anew, now";

    share->setTagOld("K3Z9");
    share->setTag("Photos");
    ASSERT_TRUE(LocalShare_Update(*share));
    EXPECT_EQ(share->tagOld(), "");
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList{"Photos"});
    EXPECT_TRUE(load("photos")->isfiledel());
    EXPECT_TRUE(LocalShare_CheckPassword("PHOTOS", "PW12"));
    EXPECT_EQ(rows("select count(*) from localshare_ext group by tag"), "12");
}

TEST_F(ShareStoreTest, ARenameOntoATakenTagIsRefusedWhateverItsCase)
{
    store("PHOTOS", "/other");
    auto share = store("K3Z9", "/pics");
    const QString before = rows("select * from localshare where tag='K3Z9'");
    const QString settingsBefore = rows("select * from localshare_ext order by rowid");

    // Onto another share's tag, onto its own in other letters, onto a row that lost its time.
    for (const char *tag : {"Photos", "k3z9", "photos"}) {
        if (QString(tag) == "photos")
            sql("update localshare set ctime=NULL where tag='PHOTOS'");
        share->setTagOld("K3Z9");
        share->setTag(tag);
        EXPECT_FALSE(LocalShare_Update(*share)) << tag;
        EXPECT_EQ(share->tagOld(), "K3Z9");
        EXPECT_EQ(rows("select tag, path from localshare order by rowid"), "PHOTOS|/other K3Z9|/pics");
    }
    EXPECT_EQ(rows("select * from localshare_ext order by rowid"), settingsBefore);
    EXPECT_EQ(rows("select * from localshare where tag='K3Z9'"), before);
}

TEST_F(ShareStoreTest, AWriteThatFailsLeavesTheOldShareAndSettingsInPlace)
{
    auto share = store("KEEP", "/old", "code");
    const QString before = rows("select * from localshare order by rowid");
    const QString settingsBefore = rows("select * from localshare_ext order by rowid");

    failInsertsInto("localshare_ext", "new.key='FileDel'");
    share->setIsfiledel(true);
    share->setPath("/new");
    EXPECT_FALSE(LocalShare_Update(*share));
    LocalShareExt_Set("KEEP", "FileDel", "1");
    EXPECT_FALSE(LocalShare_Add("/another")) << "a new share is stored whole or not at all";
    EXPECT_EQ(rows("select * from localshare order by rowid"), before);
    EXPECT_EQ(rows("select * from localshare_ext order by rowid"), settingsBefore);
    sql("drop trigger fail_localshare_ext");

    // A rename that fails keeps the old tag stored and tagOld set, so that saving again works.
    failInsertsInto("localshare");
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

TEST_F(ShareStoreTest, DeleteRemovesTheShareAndItsSettingsTogether)
{
    store("GONE", "/gone");
    store("STAY", "/stay");
    ASSERT_TRUE(LocalShare_Delete("gone"));
    EXPECT_EQ(rows("select tag from localshare union select tag from localshare_ext"), "STAY");
    EXPECT_TRUE(LocalShare_Delete("GONE")) << "deleting what is not there is no failure";

    sql("create trigger keep_settings before delete on localshare_ext begin select raise(abort, 'locked'); end");
    EXPECT_FALSE(LocalShare_Delete("STAY"));
    ASSERT_NE(load("STAY"), nullptr);
    EXPECT_EQ(rows("select count(*) from localshare_ext"), "12");
}

TEST_F(ShareStoreTest, SetDefaultLeavesExactlyOneDefaultShare)
{
    for (const char *tag : {"A1", "B2", "C3"})
        store(tag, QStringLiteral("/") + tag);
    const auto defaults = [] { return rows("select tag from localshare_ext where key='IsDefault' and value='1'"); };
    ASSERT_TRUE(LocalShare_SetDefault("a1"));
    EXPECT_EQ(defaults(), "A1");
    ASSERT_TRUE(LocalShare_SetDefault("B2"));
    EXPECT_EQ(defaults(), "B2");

    // The second step failing keeps the previous default.
    sql("create trigger no_new_default before update on localshare_ext when new.value='1'"
        " begin select raise(abort, 'locked'); end");
    EXPECT_FALSE(LocalShare_SetDefault("C3"));
    EXPECT_EQ(defaults(), "B2");
    sql("drop trigger no_new_default");
    // A tag without a default row leaves the account without a default share.
    EXPECT_TRUE(LocalShare_SetDefault("NOSUCH"));
    EXPECT_EQ(defaults(), "");
}

TEST_F(ShareStoreTest, AShareStoredAsTheDefaultIsStoredWithItsMarkOrNotAtAll)
{
    store("A1", "/a");
    const SharingObjPtr second = store("B2", "/b");
    ASSERT_TRUE(LocalShare_SetDefault("A1"));
    const auto defaults = [] { return rows("select tag from localshare_ext where key='IsDefault' and value='1'"); };

    // Marking it fails after the share itself was written: nothing of either stays.
    sql("create trigger no_new_default before update on localshare_ext when new.key='IsDefault' and new.value='1'"
        " begin select raise(abort, 'disk is full'); end");
    second->setTagOld("B2");
    second->setTag("C3");
    second->setIsDefault(true);
    EXPECT_FALSE(LocalShare_UpdateAsDefault(*second));
    EXPECT_EQ(defaults(), "A1") << "exactly one default: the old one";
    EXPECT_EQ(rows("select tag from localshare order by tag"), "A1 B2");
    EXPECT_EQ(second->tagOld(), "B2") << "the rows are still under the old tag";

    sql("drop trigger no_new_default");
    EXPECT_TRUE(LocalShare_UpdateAsDefault(*second));
    EXPECT_EQ(defaults(), "C3");
    EXPECT_EQ(rows("select tag from localshare order by tag"), "A1 C3");
    EXPECT_EQ(second->tagOld(), "");
}

TEST_F(ShareStoreTest, AddDrawsAFreeTagAndWritesTheSettingsOfANewShare)
{
    QTemporaryDir folder;
    for (const QString &path : {folder.path(), folder.path(), folder.filePath("missing")})
        ASSERT_TRUE(LocalShare_Add(path));
    const QList<SharingObjPtr> shares = LocalShare_List({}, false, false);
    ASSERT_EQ(shares.size(), 3);
    EXPECT_NE(shares.at(0)->tag(), shares.at(1)->tag());
    EXPECT_EQ(shares.at(2)->path(), folder.filePath("missing"));
    EXPECT_EQ(rows("select isenabled || isupload || isdownload || isdir || password from localshare"), "1011 1011 1010");
    for (const SharingObjPtr &share : shares)
        EXPECT_TRUE(QRegularExpression("^[0-9A-Z]{4}$").match(share->tag()).hasMatch()) << share->tag().toStdString();

    EXPECT_EQ(rows("select key, value from localshare_ext where tag='" + shares.at(2)->tag() + "' order by rowid"),
              "Days|31 DaysCTime|0 AnonyAccess|1 DownLimits|0 FileNew|0 FileRename|0 FileDel|0 IsDefault|0 TransLAN|1 "
              "TransP2P|1 DefaultView|5 UploadAutoChangeName|");
}

// A loaded share as one line: path, code, the flags enabled, upload, download, folder, file new,
// file rename, file delete, default, anonymous access, LAN, P2P and expired, then days, their
// start, download limits, default view and the automatic rename.
QString summary(const SharingObjPtr &s)
{
    QString flags;
    for (const bool flag : {s->isenabled(), s->isupload(), s->isdownload(), s->isdir(), s->isfilenew(), s->isfilerename(),
                            s->isfiledel(), s->isDefault(), s->isanonyaccess(), s->isTranLAN(), s->isTranP2P(), s->iExpired()})
        flags += flag ? u'1' : u'0';
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8").arg(s->path(), s->password(), flags).arg(s->days()).arg(s->daysctime())
        .arg(s->downlimits()).arg(s->DefaultView()).arg(s->UploadAutoChangeName());
}

TEST_F(ShareStoreTest, EveryFieldSurvivesAStoreAndLoad)
{
    auto share = store("ALL", "/all", "code1");
    share->setIsenabled(false);
    share->setIsupload(true);
    share->setIsdownload(false);
    share->setIsdir(false);
    share->setIsfilerename(true);
    share->setIsfiledel(true);
    share->setIsanonyaccess(false);
    share->setIsTranLAN(false);
    share->setDownlimits(-12);
    share->setDays(7);
    share->setDaysctime(1000);
    share->setDefaultView(2);
    share->setUploadAutoChangeName("rename");
    ASSERT_TRUE(LocalShare_Update(*share));
    EXPECT_EQ(summary(load("ALL")), "/all code1 010001100011 7 1000 -12 2 rename");
}

TEST_F(ShareStoreTest, MissingOrUnreadableSettingsReadAsTheirDefaults)
{
    store("ODD", "/odd");
    sql("delete from localshare_ext");
    EXPECT_EQ(summary(load("ODD")), "/odd  101100001000 31 31 0 5 ") << "every row missing";
    const auto set = [](const char *key, const char *value) { LocalShareExt_Set("ODD", key, value); };
    set("DaysCTime", "abc");
    set("DownLimits", "-3");
    set("Days", "-3");
    set("DefaultView", "+7");
    set("AnonyAccess", "0");
    EXPECT_EQ(summary(load("ODD")), "/odd  101100000000 31 31 -3 7 ");
    set("Days", " 5");
    set("DaysCTime", "99999999999999999999");
    set("DownLimits", "12x");
    set("DefaultView", "");
    set("AnonyAccess", "");
    EXPECT_EQ(summary(load("ODD")), "/odd  101100001000 31 31 0 5 ");

    // Keys are read without regard to letter case; a write replaces the row.
    sql("insert into localshare_ext(id_acc, tag, key, value) values(0, 'odd', 'FILEDEL', '1')");
    EXPECT_TRUE(load("ODD")->isfiledel());
    set("Days", "9");
    EXPECT_EQ(rows("select value from localshare_ext where key='Days'"), "9");
}

TEST_F(ShareStoreTest, PeersGetEachShareAsTheRecordTheyAreTold)
{
    auto share = store("WEB1", "/srv/pub", "Code42");
    share->setDays(7);
    ASSERT_TRUE(LocalShare_Update(*share));
    ASSERT_TRUE(LocalShare_SetDefault("WEB1"));
    ShareStoreForPeers peers;
    Env::shareStore = &peers;
    ShareStoreInterface &store = *Env::shareStore;

    const QList<nlohmann::json> web = store.LocalShare_List({}, true, true);
    ASSERT_EQ(web.size(), 1);
    const LenientJson record = LenientJson::fromJson(web.first());
    EXPECT_EQ(record["tag"].stringValue() + record["password"].stringValue(), "WEB1????????");
    EXPECT_EQ(record["days"].intValue(), 31) << "filled as peers are told";
    EXPECT_EQ(LenientJson::fromJson(store.LocalShare_List("web1", false, true).value(0))["password"].stringValue(), "Code42");
    EXPECT_TRUE(store.LocalShare_CheckPassword("index.php", "code42"));
    EXPECT_EQ(store.LocalShare_GetCTime({}), LocalShare_GetCTime("WEB1"));
    EXPECT_EQ(store.LocalShare_GetTag("web1"), "WEB1");
}
