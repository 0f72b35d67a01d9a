#include "remote_sharing.h"

#include "env.h"
#include "test_home.h"
#include "util_db.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

class RemoteSharingStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UtilDB::openAt(QDir(TestHome::path()).filePath(QStringLiteral("remote.dat"))));
        Env::userInfo.id_acc = 7;
    }

    void TearDown() override
    {
        Env::resetForTests();
        UtilDB::close();
    }

    static RemoteSharing add(const QString &hostname, const QString &tag = {}, const QString &password = {},
                             const QString &alias = {})
    {
        RemoteSharing host;
        host.hostname = hostname;
        host.hosttag = tag;
        host.password = password;
        host.aliasname = alias;
        EXPECT_TRUE(RemoteSharing_Add(host)) << hostname.toStdString();
        return host;
    }

    static QStringList names(const QList<RemoteSharing> &hosts)
    {
        QStringList result;
        for (const RemoteSharing &host : hosts)
            result << host.hostname;
        return result;
    }
};

} // namespace

TEST_F(RemoteSharingStore, AddedHostsComeBackInOrderWithEveryField)
{
    const RemoteSharing first = add(QStringLiteral("alpha"), QStringLiteral("Pics"), QStringLiteral("1234"),
                                    QStringLiteral("Office"));
    const RemoteSharing second = add(QStringLiteral("beta"));

    const QList<RemoteSharing> hosts = RemoteSharing_List();
    ASSERT_EQ(hosts.size(), 2);
    EXPECT_EQ(hosts[0].hostid, first.hostid);
    EXPECT_EQ(hosts[0].hostname, QStringLiteral("alpha"));
    EXPECT_EQ(hosts[0].hosttag, QStringLiteral("Pics"));
    EXPECT_EQ(hosts[0].password, QStringLiteral("1234"));
    EXPECT_EQ(hosts[0].aliasname, QStringLiteral("Office"));
    EXPECT_EQ(hosts[1].hostid, second.hostid);
    EXPECT_FALSE(first.hostid.isEmpty());
    EXPECT_NE(first.hostid, second.hostid);
}

TEST_F(RemoteSharingStore, EachAccountSeesOnlyItsOwnHosts)
{
    add(QStringLiteral("mine"));
    Env::userInfo.id_acc = 8;
    add(QStringLiteral("theirs"));

    EXPECT_EQ(names(RemoteSharing_List()), QStringList{QStringLiteral("theirs")});
    Env::userInfo.id_acc = 7;
    EXPECT_EQ(names(RemoteSharing_List()), QStringList{QStringLiteral("mine")});
}

TEST_F(RemoteSharingStore, UpdateAndDeleteTouchOnlyTheRowOfTheirHostId)
{
    RemoteSharing kept = add(QStringLiteral("kept"));
    RemoteSharing changed = add(QStringLiteral("old"), QStringLiteral("A"));
    changed.hostname = QStringLiteral("new");
    changed.hosttag = QStringLiteral("B");
    changed.password = QStringLiteral("pw");
    changed.aliasname = QStringLiteral("Renamed");
    ASSERT_TRUE(RemoteSharing_Update(changed));

    QList<RemoteSharing> hosts = RemoteSharing_List();
    ASSERT_EQ(hosts.size(), 2);
    EXPECT_EQ(hosts[0].hostname, QStringLiteral("kept"));
    EXPECT_EQ(hosts[1].hostid, changed.hostid);
    EXPECT_EQ(hosts[1].hostname, QStringLiteral("new"));
    EXPECT_EQ(hosts[1].hosttag, QStringLiteral("B"));
    EXPECT_EQ(hosts[1].aliasname, QStringLiteral("Renamed"));

    ASSERT_TRUE(RemoteSharing_Delete(kept.hostid));
    EXPECT_EQ(names(RemoteSharing_List()), QStringList{QStringLiteral("new")});
}

TEST_F(RemoteSharingStore, UnknownOrEmptyHostIdsChangeNothing)
{
    add(QStringLiteral("only"));
    RemoteSharing ghost;
    ghost.hostid = QStringLiteral("NO-SUCH-ID");
    ghost.hostname = QStringLiteral("ghost");
    EXPECT_FALSE(RemoteSharing_Update(ghost));
    EXPECT_FALSE(RemoteSharing_Delete(QStringLiteral("NO-SUCH-ID")));
    ghost.hostid.clear();
    EXPECT_FALSE(RemoteSharing_Update(ghost));
    EXPECT_FALSE(RemoteSharing_Delete(QString()));
    EXPECT_EQ(names(RemoteSharing_List()), QStringList{QStringLiteral("only")});
}

TEST_F(RemoteSharingStore, TextsThatLookLikeSqlAreStoredAsTheyAre)
{
    const QString sneaky = QStringLiteral("x'); delete from remotesharing; --");
    add(QStringLiteral("o'neil"), QString(), sneaky, QStringLiteral("Ann's \"box\""));
    add(QStringLiteral("second"));

    const QList<RemoteSharing> hosts = RemoteSharing_List();
    ASSERT_EQ(hosts.size(), 2);
    EXPECT_EQ(hosts[0].hostname, QStringLiteral("o'neil"));
    EXPECT_EQ(hosts[0].password, sneaky);
    EXPECT_EQ(hosts[0].aliasname, QStringLiteral("Ann's \"box\""));
}

TEST_F(RemoteSharingStore, WithoutADatabaseEverythingFailsQuietly)
{
    add(QStringLiteral("before"));
    UtilDB::close();
    RemoteSharing host;
    host.hostname = QStringLiteral("later");
    EXPECT_TRUE(RemoteSharing_List().isEmpty());
    EXPECT_FALSE(RemoteSharing_Add(host));
    EXPECT_FALSE(RemoteSharing_Delete(QStringLiteral("any")));
}

TEST(RemoteHostCheck, NamesTagsCodesAndAliasesWithinTheirRules)
{
    RemoteSharing host;
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::HostNameMissing);
    host.hostname = QStringLiteral("pat");
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::None) << "an empty tag asks for the default share";
    host.hostname = QStringLiteral("pat smith");
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::HostNameInvalid);
    host.hostname = QString(51, u'a');
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::HostNameInvalid);
    host.hostname = QString(50, u'a');
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::None);

    host.hosttag = QStringLiteral("my-tag");
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::TagInvalid);
    host.hosttag = QString(31, u'T');
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::TagInvalid);
    host.hosttag = QString(30, u'T');
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::None);

    host.password = QStringLiteral("two words");
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::PasswordInvalid);
    host.password = QStringLiteral("s3cr3t!");
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::None);

    // Thirty characters as a person counts them, whatever their length in the text.
    host.aliasname = QString(30, QChar(0x4E2D));
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::None);
    host.aliasname = QString();
    for (int i = 0; i < 30; ++i)
        host.aliasname += QStringLiteral("e\u0301");
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::None);
    host.aliasname += u'x';
    EXPECT_EQ(checkRemoteHost(host), RemoteHostProblem::AliasTooLong);
    EXPECT_FALSE(remoteHostProblemText(RemoteHostProblem::AliasTooLong).isEmpty());
    EXPECT_TRUE(remoteHostProblemText(RemoteHostProblem::None).isEmpty());
}

TEST(RemoteHostCheck, DisplayNamePrefersTheAlias)
{
    RemoteSharing host;
    host.hostname = QStringLiteral("pat");
    EXPECT_EQ(host.displayName(), QStringLiteral("pat"));
    host.aliasname = QStringLiteral("Office");
    EXPECT_EQ(host.displayName(), QStringLiteral("Office"));
}
