#include "build_settings.h"
#include "lenient_json.h"
#include "env.h"
#include "sharing_obj.h"
#include "sharing_obj_json.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QSignalSpy>

namespace {

const QString domain = QString::fromUtf8(BuildSettings::shareDomain);

quint64 nowMs()
{
    return quint64(QDateTime::currentMSecsSinceEpoch());
}

// Restores the account record of before any login when a test ends.
struct AccountHost
{
    explicit AccountHost(const QString &host) { Env::userInfo.hostname = host; }
    ~AccountHost() { Env::initGlobalUserInfo(); }
};

} // namespace

TEST(SharingObj, AccessCodeShowsAsSixQuestionMarksWhateverItsLength)
{
    SharingObj share;
    share.setPassword("");
    EXPECT_EQ(share.passwordShowing(), "");
    share.setPassword("x");
    EXPECT_EQ(share.password(), "x");
    EXPECT_EQ(share.passwordShowing(), "??????");
    share.setPassword(QString(30, u'a'));
    EXPECT_EQ(share.passwordShowing(), "??????");
    share.setPassword("");
    EXPECT_EQ(share.password(), "");
    EXPECT_EQ(share.passwordShowing(), "");
}

TEST(SharingObj, ExpiryFollowsDaysAndTheirStart)
{
    SharingObj share;
    EXPECT_FALSE(share.isExpired());
    share.setDaysctime(1);
    EXPECT_FALSE(share.isExpired()) << "31 days means without end";
    share.setDays(0);
    EXPECT_TRUE(share.isExpired());

    share.setDays(1);
    share.setDaysctime(nowMs() - 1000);
    EXPECT_FALSE(share.isExpired());
    share.setDaysctime(nowMs() - 25ull * 3600 * 1000);
    EXPECT_TRUE(share.isExpired());
    share.setDaysctime(nowMs() + 3600 * 1000);
    EXPECT_FALSE(share.isExpired()) << "a start in the future";

    share.setDaysctime(0);
    share.setDays(quint64(1) << 60);
    EXPECT_FALSE(share.isExpired()) << "a period beyond 64 bits";
}

TEST(SharingObj, LinkIsBuiltFromTheHostNameOfTheMoment)
{
    SharingObj share;
    share.setTag("AB12");
    EXPECT_EQ(share.getTagURL(), "https://*." + domain + "/AB12") << "before any login";

    AccountHost host("alice");
    EXPECT_EQ(share.getTagURL(), "https://alice." + domain + "/AB12");
    EXPECT_EQ(share.tagURL(), "") << "tagURL changes only through updateTagURL";
    share.updateTagURL();
    EXPECT_EQ(share.tagURL(), "https://alice." + domain + "/AB12");

    share.setIsDefault(true);
    share.updateTagURL();
    EXPECT_EQ(share.tagURL(), "https://alice." + domain + "/");
    EXPECT_EQ(share.getTagURL(), "https://alice." + domain + "/AB12");

    share.setTag("NEW1");
    share.setIsDefault(false);
    EXPECT_EQ(share.tagURL(), "https://alice." + domain + "/");
    share.updateTagURL();
    EXPECT_EQ(share.tagURL(), "https://alice." + domain + "/NEW1");
}

TEST(SharingObj, FieldSignalsFireOnceForEachRealChange)
{
    SharingObj share;
    QSignalSpy tag(&share, &SharingObj::tagChanged);
    QSignalSpy isDefault(&share, &SharingObj::isDefaultChanged);
    QSignalSpy password(&share, &SharingObj::passwordChanged);
    QSignalSpy showing(&share, &SharingObj::passwordShowingChanged);
    QSignalSpy days(&share, &SharingObj::daysChanged);

    share.setTag("T1");
    share.setTag("T1");
    share.setIsDefault(false);
    share.setIsDefault(true);
    share.setPassword("abc");
    share.setPasswordOnly("????????");
    share.setDays(31);
    share.setDays(2);

    ASSERT_EQ(tag.count(), 1);
    EXPECT_EQ(tag.at(0).at(0).toString(), "T1");
    ASSERT_EQ(isDefault.count(), 1);
    EXPECT_TRUE(isDefault.at(0).at(0).toBool());
    EXPECT_EQ(password.count(), 2);
    EXPECT_EQ(showing.count(), 1);
    EXPECT_EQ(share.passwordShowing(), "??????");
    ASSERT_EQ(days.count(), 1);
    EXPECT_EQ(days.at(0).at(0).toULongLong(), 2u);
}

TEST(SharingObjJson, NewRecordHasTheKeysAndValuesOfANewShare)
{
    const LenientJson json = LenientJson::fromJson(QelJSON::toJSONObject(SharingObjJson{}));
    const QStringList texts = {"tag", "tagURL", "path", "uri", "password", "ctime", "UploadAutoChangeName"};
    const QMap<QString, int> numbers = {
        {"isreadonly", 1},   {"isenabled", 1},  {"isupload", 0},     {"isdownload", 1},    {"isdir", 1},
        {"isDefault", 0},    {"isTranLAN", 1},  {"isTranP2P", 1},    {"rdm_enable", 1},    {"rdm_readonly", 0},
        {"isfilenew", 0},    {"isfilerename", 0}, {"isfiledel", 0},  {"downlimits", 0},    {"isanonyaccess", 1},
        {"days", 31},        {"daysctime", 0},  {"iExpired", 0},     {"DefaultView", 5},
    };
    EXPECT_EQ(json.count(), texts.size() + numbers.size());
    for (const QString &key : texts) {
        EXPECT_TRUE(json[key].isString()) << key.toStdString();
        EXPECT_EQ(json[key].stringValue(), "") << key.toStdString();
    }
    for (auto it = numbers.begin(); it != numbers.end(); ++it) {
        EXPECT_TRUE(json[it.key()].isNumber()) << it.key().toStdString();
        EXPECT_EQ(json[it.key()].intValue(), it.value()) << it.key().toStdString();
    }
}

TEST(SharingObjJson, FillCopiesOnlyWhatPeersAreTold)
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
    const LenientJson json = LenientJson::fromJson(QelJSON::toJSONObject(record));
    EXPECT_EQ(json["tag"].stringValue(), "T9");
    EXPECT_EQ(json["path"].stringValue(), "/data");
    EXPECT_EQ(json["isdir"].intValue(), 0);
    EXPECT_EQ(json["isupload"].intValue(), 1);
    EXPECT_EQ(json["isdownload"].intValue(), 0);
    EXPECT_EQ(json["isenabled"].intValue(), 0);
    EXPECT_EQ(json["password"].stringValue(), "pw");
    EXPECT_EQ(json["UploadAutoChangeName"].stringValue(), "auto");
    EXPECT_EQ(json["DefaultView"].intValue(), 3);
    EXPECT_EQ(json["isanonyaccess"].intValue(), 0);
    EXPECT_EQ(json["ctime"].stringValue(), "2024-05-06 07:08:09");
    EXPECT_EQ(json["isfiledel"].intValue(), 1);

    EXPECT_EQ(json["tagURL"].stringValue(), "");
    EXPECT_EQ(json["isDefault"].intValue(), 0);
    EXPECT_EQ(json["days"].intValue(), 31);
    EXPECT_EQ(json["daysctime"].intValue(), 0);
    EXPECT_EQ(json["isTranLAN"].intValue(), 1);
    EXPECT_EQ(json["isfilenew"].intValue(), 0);
    EXPECT_EQ(json["downlimits"].intValue(), 0);
    EXPECT_EQ(json["iExpired"].intValue(), 0);
}
