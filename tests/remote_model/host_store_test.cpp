// The account's remote hosts on the database, and the rules for what a user types for one.

#include "remote_sharing.h"

#include "env.h"
#include "test_home.h"
#include "util_db.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

// A host of host name, tag, access code and alias.
RemoteSharing hostOf(const QStringList &fields)
{
    return RemoteSharing{QUuid::createUuid(), {}, fields.value(0), fields.value(1), fields.value(2), fields.value(3)};
}

class RemoteHostStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UtilDB::openAt(QDir(TestHome::path()).filePath("remote.dat")));
        Env::userInfo.id_acc = 7;
    }
    void TearDown() override { Env::resetForTests(); }

    static RemoteSharing add(const QStringList &fields)
    {
        RemoteSharing host = hostOf(fields);
        EXPECT_TRUE(RemoteSharing_Add(host)) << fields.join(u',').toStdString();
        return host;
    }

    static QStringList listed()
    {
        QStringList result;
        for (const RemoteSharing &host : RemoteSharing_List())
            result << QStringList{host.hostid, host.hostname, host.hosttag, host.password, host.aliasname}.join(u',');
        return result;
    }
};

} // namespace

TEST_F(RemoteHostStore, AnAccountsHostsComeBackInTheirOrderWithEveryFieldAsTyped)
{
    // Quotes and SQL-looking texts are values, never part of a statement.
    const QString sneaky = "x'); delete from remotesharing; --";
    const RemoteSharing first = add({"o'neil", "Pics", sneaky, "Ann's \"box\""});
    const RemoteSharing second = add({"beta"});
    EXPECT_FALSE(first.hostid.isEmpty());
    EXPECT_NE(first.hostid, second.hostid);
    EXPECT_EQ(listed(),
              QStringList({first.hostid + ",o'neil,Pics," + sneaky + ",Ann's \"box\"", second.hostid + ",beta,,,"}));

    // Each account sees only its own hosts.
    Env::userInfo.id_acc = 8;
    EXPECT_TRUE(listed().isEmpty());
    const RemoteSharing theirs = add({"theirs"});
    EXPECT_EQ(listed(), QStringList(theirs.hostid + ",theirs,,,"));
}

TEST_F(RemoteHostStore, UpdateAndDeleteTouchOnlyTheRowOfTheirHostIdAndSayWhenThereIsNone)
{
    const RemoteSharing kept = add({"kept"});
    RemoteSharing changed = hostOf({"new", "B", "pw", "Renamed"});
    changed.hostid = add({"old", "A"}).hostid;
    ASSERT_TRUE(RemoteSharing_Update(changed));
    EXPECT_EQ(listed(), QStringList({kept.hostid + ",kept,,,", changed.hostid + ",new,B,pw,Renamed"}));

    ASSERT_TRUE(RemoteSharing_Delete(kept.hostid));
    EXPECT_EQ(listed(), QStringList(changed.hostid + ",new,B,pw,Renamed"));

    // Ids that name no row change nothing and say so.
    RemoteSharing ghost = changed;
    for (const QString &id : {QString("NO-SUCH-ID"), kept.hostid, QString()}) {
        ghost.hostid = id;
        EXPECT_FALSE(RemoteSharing_Update(ghost)) << id.toStdString();
        EXPECT_FALSE(RemoteSharing_Delete(id)) << id.toStdString();
    }
    EXPECT_EQ(listed().size(), 1);

    // Without a database everything fails, quietly.
    UtilDB::close();
    EXPECT_TRUE(RemoteSharing_List().isEmpty());
    EXPECT_FALSE(RemoteSharing_Add(ghost) || RemoteSharing_Update(changed) || RemoteSharing_Delete(changed.hostid));
}

TEST(RemoteHostCheck, NamesTagsCodesAndAliasesWithinTheirRules)
{
    // Thirty characters of an alias as a person counts them, whatever their length in the text.
    QString accented;
    for (int i = 0; i < 30; ++i)
        accented += "e\u0301";
    using P = RemoteHostProblem;
    const QString pat = "pat"; // no tag asks for the host's default share
    const QList<std::pair<QStringList, P>> cases = {
        {{}, P::HostNameMissing}, {{pat}, P::None}, {{"pat smith"}, P::HostNameInvalid}, {{"a|b"}, P::HostNameInvalid},
        {{QString(50, u'a')}, P::None}, {{QString(51, u'a')}, P::HostNameInvalid}, {{pat, "my-tag"}, P::TagInvalid},
        {{pat, QString(30, u'T')}, P::None}, {{pat, QString(31, u'T')}, P::TagInvalid},
        {{pat, {}, "two words"}, P::PasswordInvalid}, {{pat, {}, QString(50, u'c')}, P::None},
        {{pat, {}, QString(51, u'c')}, P::PasswordInvalid}, {{pat, {}, {}, QString(30, QChar(0x4E2D))}, P::None},
        {{pat, {}, {}, accented}, P::None}, {{pat, {}, {}, accented + u'x'}, P::AliasTooLong}};
    for (const auto &[fields, problem] : cases) {
        EXPECT_EQ(checkRemoteHost(hostOf(fields)), problem) << fields.join(u'/').toStdString();
        EXPECT_EQ(remoteHostProblemText(problem).isEmpty(), problem == P::None);
    }
}
