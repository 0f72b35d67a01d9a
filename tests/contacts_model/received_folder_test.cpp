// The receive folder under "MyReceivedFolder": the default is made and stored, a chosen folder is
// kept, and nothing that is not a folder is stored.

#include "contacts_test_support.h"
#include "received_folder.h"
#include "test_home.h"
#include "util_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString key = QString::fromLatin1(UtilDB::keyMyReceivedFolder);

class ReceivedFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ContactsTest::resetAll(); }
    void TearDown() override { UtilDB::close(); }
};

} // namespace

TEST_F(ReceivedFolderTest, TheDefaultIsMadeAndStoredWhenNoneIsStored)
{
    const QString expected = TestHome::path() + QStringLiteral("/Documents/Fenmar/MyReceived");
    EXPECT_EQ(ReceivedFolder::defaultPath(), expected);
    ASSERT_FALSE(QFileInfo::exists(expected));
    EXPECT_EQ(ReceivedFolder::take(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(UtilDB::getIcon(key), expected);
}

TEST_F(ReceivedFolderTest, AStoredFolderIsKeptAndMadeAgainWhenMissing)
{
    const QString chosen = TestHome::path() + QStringLiteral("/Inbox/from contacts");
    UtilDB::setIcon(key, chosen);
    EXPECT_EQ(ReceivedFolder::take(), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
    EXPECT_FALSE(QFileInfo::exists(ReceivedFolder::defaultPath()));
}

TEST_F(ReceivedFolderTest, AStoredFolderThatCannotBeMadeGivesWayForNowOnly)
{
    const QString blocker = TestHome::path() + QStringLiteral("/plainfile");
    ContactsTest::writeFile(blocker, 3);
    const QString unusable = blocker + QStringLiteral("/inside");
    UtilDB::setIcon(key, unusable);
    EXPECT_EQ(ReceivedFolder::take(), ReceivedFolder::defaultPath());
    EXPECT_EQ(UtilDB::getIcon(key), unusable);
}

TEST_F(ReceivedFolderTest, OnlyAnExistingFolderCanBeChosen)
{
    const QString folder = TestHome::path() + QStringLiteral("/Chosen");
    EXPECT_FALSE(ReceivedFolder::choose(folder));
    EXPECT_FALSE(ReceivedFolder::choose(QString()));
    EXPECT_FALSE(ReceivedFolder::choose(folder + QStringLiteral("|") + TestHome::path()));
    EXPECT_EQ(UtilDB::getIcon(key), QString());
    QDir().mkpath(folder);
    EXPECT_TRUE(ReceivedFolder::choose(folder));
    EXPECT_EQ(UtilDB::getIcon(key), folder);
}
