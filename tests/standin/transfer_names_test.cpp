#include "account_service.h"
#include "transfer_names.h"

#include <gtest/gtest.h>

TEST(StandinNames, NumberedNamesKeepExtensionsAndHiddenNames)
{
    EXPECT_EQ(TransferNames::numbered(QStringLiteral("a.txt"), 0, false), QStringLiteral("a.txt"));
    EXPECT_EQ(TransferNames::numbered(QStringLiteral("a.tar.gz"), 2, false), QStringLiteral("a (2).tar.gz"));
    EXPECT_EQ(TransferNames::numbered(QStringLiteral(".profile"), 1, false), QStringLiteral(".profile (1)"));
    EXPECT_EQ(TransferNames::numbered(QStringLiteral("README"), 1, false), QStringLiteral("README (1)"));
    EXPECT_EQ(TransferNames::numbered(QStringLiteral("my.dir"), 1, true), QStringLiteral("my.dir (1)"));
}

TEST(StandinNames, RelativePathsCannotLeaveTheirFolder)
{
    QStringList parts;
    EXPECT_TRUE(TransferNames::splitRelative(QStringLiteral("a\\b/c.txt"), &parts));
    EXPECT_EQ(parts, (QStringList{"a", "b", "c.txt"}));
    EXPECT_TRUE(TransferNames::splitRelative(QStringLiteral("\\\\a//b\\"), &parts));
    EXPECT_EQ(parts, (QStringList{"a", "b"}));
    EXPECT_FALSE(TransferNames::splitRelative(QStringLiteral("a/../../etc"), &parts));
    EXPECT_FALSE(TransferNames::splitRelative(QStringLiteral("./a"), &parts));
    EXPECT_FALSE(TransferNames::isSafeComponent(QString(256, QLatin1Char('x'))));
    EXPECT_FALSE(TransferNames::isSafeComponent(QStringLiteral("a") + QChar(0)));
}

TEST(StandinNames, HostNamesComeFromTheLettersAndDigitsOfTheLocalPart)
{
    EXPECT_EQ(AccountService::hostnameFromEmail(QStringLiteral("John.Doe+x@example.com")), QStringLiteral("johndoex"));
    EXPECT_EQ(AccountService::hostnameFromEmail(QStringLiteral("._-@example.com")), QStringLiteral("host"));
    EXPECT_EQ(AccountService::hostnameFromEmail(QStringLiteral("Zoë99@example.com")), QStringLiteral("zo99"));
    EXPECT_EQ(AccountService::hostnameFromEmail(QString(40, QLatin1Char('a')) + "@x.org").size(), 24);
}
