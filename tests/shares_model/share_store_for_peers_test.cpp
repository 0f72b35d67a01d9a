#include "share_store_fixture.h"
#include "share_store_for_peers.h"

#include "lenient_json.h"

// What the bridge layer's peer handler gets from the store through its interface.

TEST_F(ShareStoreTest, PeersGetOneRecordPerShareWithOnlyWhatTheyAreTold)
{
    auto share = store("WEB1", "/srv/pub", "Code42");
    share->setIsfiledel(true);
    share->setIsTranLAN(false);
    share->setDays(7);
    ASSERT_TRUE(LocalShare_Update(*share));
    ASSERT_TRUE(LocalShare_SetDefault("WEB1"));
    auto hidden = store("OFF2", "/srv/off");
    hidden->setIsenabled(false);
    ASSERT_TRUE(LocalShare_Update(*hidden));

    ShareStoreForPeers peers;
    Env::shareStore = &peers;
    ShareStoreInterface &store = *Env::shareStore;

    // A web peer: enabled shares only, the code masked, the default reached by the empty tag.
    const QList<nlohmann::json> web = store.LocalShare_List({}, true, true);
    ASSERT_EQ(web.size(), 1);
    const LenientJson record = LenientJson::fromJson(web.first());
    EXPECT_EQ(record["tag"].stringValue(), "WEB1");
    EXPECT_EQ(record["path"].stringValue(), "/srv/pub");
    EXPECT_EQ(record["password"].stringValue(), "????????");
    EXPECT_EQ(record["isfiledel"].intValue(), 1);
    EXPECT_EQ(record["isDefault"].intValue(), 0);
    EXPECT_EQ(record["isTranLAN"].intValue(), 1);
    EXPECT_EQ(record["days"].intValue(), 31);
    EXPECT_EQ(record["iExpired"].intValue(), 0);
    EXPECT_EQ(record.count(), 26);

    // An app peer that passed the code sees it as stored, and disabled shares too.
    EXPECT_TRUE(store.LocalShare_CheckPassword("index.php", "code42"));
    EXPECT_EQ(LenientJson::fromJson(store.LocalShare_List("web1", false, true).first())["password"].stringValue(),
              "Code42");
    EXPECT_EQ(store.LocalShare_List("off2", false, true).size(), 1);
    EXPECT_TRUE(store.LocalShare_List("off2", true, true).isEmpty());
    EXPECT_EQ(store.LocalShare_GetCTime({}), LocalShare_GetCTime("WEB1"));
    EXPECT_EQ(store.LocalShare_GetCTime("nosuch"), "");
}
