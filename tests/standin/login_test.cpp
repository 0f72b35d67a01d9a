#include "private_network.h"
#include "standin_harness.h"
#include "test_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString accountFile()
{
    return TestHome::path() + QStringLiteral("/.config/fenmar-standin/accounts.json");
}

// The client counts a login result as a success when it holds the quoted key "Result".
bool isSuccess(const QString &data)
{
    return data.contains(QStringLiteral("\"Result\""));
}

} // namespace

TEST(StandinLogin, FirstLoginCreatesTheAccountAndLaterOnesNeedItsPassword)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());

    ASSERT_TRUE(isSuccess(standin.login(QStringLiteral("Alice.Smith+x@example.com"), QStringLiteral("s3cret"))));
    const Json first = standin.loginResult();
    EXPECT_GT(first.value("ACC", 0), 0);
    EXPECT_EQ(first.value("name_acc", ""), "Alice.Smith+x@example.com");
    EXPECT_EQ(first.value("rooturl", ""), "alicesmithx") << "host name made from the e-mail's local part";
    EXPECT_FALSE(first.value("ClientID", "").empty());
    EXPECT_FALSE(first.value("Token", "").empty());
    EXPECT_GE(first["limit"].value("maxsharecount", 0), 2);
    EXPECT_GE(first["limit"].value("limit_dpc", 0), 2);
    EXPECT_TRUE(first["limit"].contains("mbr_type"));

    const QString wrong = standin.login(QStringLiteral("alice.smith+x@example.com"), QStringLiteral("guess"));
    EXPECT_FALSE(wrong.isEmpty()) << "a failed login is answered";
    EXPECT_FALSE(isSuccess(wrong)) << wrong.toStdString();

    ASSERT_TRUE(isSuccess(standin.login(QStringLiteral("ALICE.SMITH+X@EXAMPLE.COM"), QStringLiteral("s3cret"))))
        << "e-mails are compared without regard to case";
    EXPECT_EQ(standin.loginResult().value("ACC", 0), first.value("ACC", 0));
    EXPECT_NE(standin.loginResult().value("Token", ""), first.value("Token", "")) << "a new session token";
}

TEST(StandinLogin, AccountsLastAcrossRestartsAndKeepNoPassword)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    {
        StandinHarness standin;
        ASSERT_TRUE(standin.start());
        ASSERT_TRUE(standin.connectClient());
        ASSERT_TRUE(isSuccess(standin.login(QStringLiteral("bob@example.org"), QStringLiteral("hunter22"))));
        ASSERT_TRUE(isSuccess(standin.login(QStringLiteral("bobby@example.org"), QStringLiteral("pw"))));
    }
    const QByteArray stored = TestFiles::read(accountFile());
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_FALSE(stored.contains("hunter22"));
    EXPECT_EQ(QFileInfo(accountFile()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);

    StandinHarness again;
    ASSERT_TRUE(again.start());
    ASSERT_TRUE(again.connectClient());
    EXPECT_FALSE(isSuccess(again.login(QStringLiteral("bob@example.org"), QStringLiteral("hunter2"))));
    ASSERT_TRUE(isSuccess(again.login(QStringLiteral("bob@example.org"), QStringLiteral("hunter22"))));
    EXPECT_EQ(again.loginResult().value("rooturl", ""), "bob");
    ASSERT_TRUE(isSuccess(again.login(QStringLiteral("bob@example.net"), QStringLiteral("x"))));
    EXPECT_EQ(again.loginResult().value("rooturl", ""), "bob2") << "host names stay unique";
}

TEST(StandinLogin, UnusableCredentialsFailAndLongTopLevelDomainsPass)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    EXPECT_FALSE(isSuccess(standin.login(QStringLiteral("not-an-address"), QStringLiteral("pw"))));
    EXPECT_FALSE(isSuccess(standin.login(QStringLiteral("carol@example.com"), QString())));
    EXPECT_FALSE(isSuccess(standin.login(QString(), QString())));
    EXPECT_FALSE(isSuccess(standin.login(QStringLiteral("carol@example.") + QString(64, u'x'), QStringLiteral("pw"))));
    // Nothing was created by the failures: the first real login still sets the password.
    EXPECT_TRUE(isSuccess(standin.login(QStringLiteral("carol@example.com"), QStringLiteral("pw"))));
    EXPECT_FALSE(isSuccess(standin.login(QStringLiteral("carol@example.com"), QStringLiteral("other"))));
    // Long top-level domains are addresses too.
    EXPECT_TRUE(isSuccess(standin.login(QStringLiteral("name@studio.design"), QStringLiteral("pw"))));
    EXPECT_TRUE(isSuccess(standin.login(QStringLiteral("name@example.museum"), QStringLiteral("pw"))));
}

TEST(StandinLogin, UnreadableAccountFileIsMovedAsideNotOverwritten)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(accountFile()).absolutePath()));
    QFile file(accountFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ this is not json");
    file.close();

    StandinHarness standin;
    ASSERT_TRUE(standin.start());
    ASSERT_TRUE(standin.connectClient());
    EXPECT_TRUE(isSuccess(standin.login(QStringLiteral("dave@example.com"), QStringLiteral("pw"))));
    const QStringList aside = QDir(QFileInfo(accountFile()).absolutePath())
                                  .entryList({QStringLiteral("accounts.json.unreadable-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(TestFiles::read(QFileInfo(accountFile()).absolutePath() + QLatin1Char('/') + aside.first()),
              "{ this is not json");
}

TEST(StandinLogin, AnyOtherCommandLineIsRefused)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    for (const QStringList &arguments : {QStringList{QStringLiteral("-scode=0123")},
                                         QStringList{QStringLiteral("-scode=C41E7A09B3D25F6810AE4C97D2B6035F"),
                                                     QStringLiteral("extra")},
                                         QStringList{QStringLiteral("--help")}}) {
        StandinHarness standin;
        EXPECT_FALSE(standin.start(arguments));
        ASSERT_TRUE(standin.process().state() == QProcess::NotRunning || standin.process().waitForFinished(5000));
        EXPECT_NE(standin.process().exitCode(), 0);
        EXPECT_TRUE(standin.process().readAllStandardError().contains("-scode="));
    }
    QProcess bare;
    bare.start(qEnvironmentVariable("FENMAR_BIN_DIR") + QStringLiteral("/OstrelBridge_amd"), {});
    ASSERT_TRUE(bare.waitForFinished(5000));
    EXPECT_NE(bare.exitCode(), 0);
}
