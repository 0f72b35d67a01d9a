#include "build_settings.h"
#include "share_store_fixture.h"
#include "sharing_obj_json.h"
#include "sharing_obj_list.h"

#include <QDateTime>

// One share, the record peers receive for it, and the main window's list of shares.
namespace {

const QString domain = QString::fromUtf8(BuildSettings::shareDomain);

TEST(SharingObj, AccessCodeShowsAsSixQuestionMarksWhateverItsLength)
{
    SharingObj share;
    for (const QString &code : {QString("x"), QString(30, u'a'), QString()}) {
        share.setPassword(code);
        EXPECT_EQ(share.password(), code);
        EXPECT_EQ(share.passwordShowing(), code.isEmpty() ? "" : "??????") << code.toStdString();
    }
}

TEST(SharingObj, ExpiresWhenItsDaysHaveRunFromTheirStart)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 hour = 3600 * 1000;
    struct Case {
        quint64 days;
        qint64 start;
        bool expired;
    };
    for (const Case &each : {Case{31, 1, false}, Case{31, now - 400 * 24 * hour, false}, Case{0, now, true},
                             Case{1, now - 1000, false}, Case{1, now - 25 * hour, true}, Case{2, now - 25 * hour, false},
                             Case{7, now - 8 * 24 * hour, true}, Case{1, now + hour, false},
                             // A period beyond what 64 bits of milliseconds can count never runs out.
                             Case{quint64(1) << 60, 0, false}}) {
        SharingObj share;
        share.setDays(each.days);
        share.setDaysctime(quint64(each.start));
        EXPECT_EQ(share.isExpired(), each.expired) << each.days << " days from " << (now - each.start) / hour << " h ago";
    }
}

TEST(SharingObj, LinkIsBuiltFromTheHostNameOfTheMoment)
{
    SharingObj share;
    share.setTag("AB12");
    EXPECT_EQ(share.getTagURL(), "https://*." + domain + "/AB12") << "before any login";

    Env::userInfo.hostname = QStringLiteral("alice");
    EXPECT_EQ(share.getTagURL(), "https://alice." + domain + "/AB12");
    EXPECT_EQ(share.tagURL(), "") << "tagURL changes only through updateTagURL";
    share.updateTagURL();
    EXPECT_EQ(share.tagURL(), "https://alice." + domain + "/AB12");

    share.setIsDefault(true);
    share.updateTagURL();
    EXPECT_EQ(share.tagURL(), "https://alice." + domain + "/");
    EXPECT_EQ(share.getTagURL(), "https://alice." + domain + "/AB12");
    Env::initGlobalUserInfo();
}

TEST(SharingObjJson, PeersAreToldTwelveFieldsAndTheRestAsANewShareHasThem)
{
    SharingObj share;
    share.setTag("T9");
    share.setPath("/data");
    share.setIsdir(false);
    share.setIsupload(true);
    share.setIsdownload(false);
    share.setIsenabled(false);
    share.setPassword("pw");
    share.setUploadAutoChangeName("auto");
    share.setDefaultView(3);
    share.setIsanonyaccess(false);
    share.setCtime("2024-05-06 07:08:09");
    share.setIsfiledel(true);
    // None of these reach the peer.
    share.setIsDefault(true);
    share.setDays(7);
    share.setDaysctime(12345);
    share.setIsTranLAN(false);
    share.setIsfilenew(true);
    share.setDownlimits(4);
    share.setIExpired(true);
    share.updateTagURL();

    SharingObjJson record;
    record.fill(share);
    const nlohmann::json expected = {
        {"tag", "T9"},         {"path", "/data"},     {"isdir", 0},         {"isupload", 1},
        {"isdownload", 0},     {"isenabled", 0},      {"password", "pw"},   {"UploadAutoChangeName", "auto"},
        {"DefaultView", 3},    {"isanonyaccess", 0},  {"ctime", "2024-05-06 07:08:09"}, {"isfiledel", 1},
        {"tagURL", ""},        {"uri", ""},           {"isreadonly", 1},    {"isDefault", 0},
        {"isTranLAN", 1},      {"isTranP2P", 1},      {"rdm_enable", 1},    {"rdm_readonly", 0},
        {"isfilenew", 0},      {"isfilerename", 0},   {"downlimits", 0},    {"days", 31},
        {"daysctime", 0},      {"iExpired", 0},
    };
    EXPECT_EQ(QelJSON::toJSONObject(record), expected);
}

// The main window's share list: its two operations change the list and the store together.
class SharingObjListTest : public ShareStoreTest
{
protected:
    void SetUp() override
    {
        ShareStoreTest::SetUp();
        for (const char *tag : {"AAA1", "BBB2", "CCC3"})
            store(tag, QStringLiteral("/") + tag);
        list.setItems(LocalShare_List({}, false, false));
    }

    QString inMemoryDefaults() const
    {
        QStringList result;
        for (const SharingObjPtr &item : list.items())
            result << (item->isDefault() ? item->tag() : QString());
        return result.join(u' ').simplified();
    }
    static QString storedDefaults() { return rows("select tag from localshare_ext where key='IsDefault' and value='1'"); }

    SharingObjList list;
};

TEST_F(SharingObjListTest, SetDefaultMarksExactlyOneShareOnlyForAnExactTag)
{
    list.items().at(2)->setIsDefault(true);
    ASSERT_TRUE(LocalShare_SetDefault("CCC3"));
    EXPECT_TRUE(list.setDefault("BBB2"));
    EXPECT_EQ(inMemoryDefaults(), "BBB2");
    EXPECT_EQ(storedDefaults(), "BBB2");

    // A tag of another letter case finds no item: every item loses the flag, the store keeps its own.
    EXPECT_FALSE(list.setDefault("aaa1"));
    EXPECT_EQ(inMemoryDefaults(), "");
    EXPECT_EQ(storedDefaults(), "BBB2");
}

TEST_F(SharingObjListTest, RemoveDeletesFromStoreAndListOnlyForAnExactTag)
{
    const SharingObjPtr kept = list.items().at(0);
    EXPECT_TRUE(list.remove("BBB2"));
    EXPECT_EQ(tags(list.items()), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(list.items().at(0), kept);

    EXPECT_FALSE(list.remove("aaa1"));
    EXPECT_FALSE(list.remove("NONE"));
    // The store refusing keeps the item too.
    sql("create trigger keep_shares before delete on localshare begin select raise(abort, 'locked'); end");
    EXPECT_FALSE(list.remove("AAA1"));
    EXPECT_EQ(tags(list.items()), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList({"AAA1", "CCC3"}));
}

} // namespace
