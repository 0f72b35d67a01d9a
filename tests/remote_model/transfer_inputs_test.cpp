#include "download_folder.h"
#include "working_items.h"

#include "test_home.h"
#include "util_db.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void writeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
}

class DownloadFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(UtilDB::openAt(QDir(TestHome::path()).filePath(QStringLiteral("t.dat")))); }
    void TearDown() override { UtilDB::close(); }
};

} // namespace

TEST_F(DownloadFolderTest, WithoutASettingTheDefaultFolderIsMadeAndStored)
{
    const QString folder = DownloadFolder::current();
    EXPECT_TRUE(folder.endsWith(QStringLiteral("/Fenmar/Downloads"))) << folder.toStdString();
    EXPECT_TRUE(folder.startsWith(TestHome::path())) << "inside this test's own HOME";
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("SaveAtDir")), folder);
}

TEST_F(DownloadFolderTest, AStoredFolderIsTakenAsItIs)
{
    const QString chosen = TestHome::path() + QStringLiteral("/My Downloads/it's here");
    ASSERT_TRUE(DownloadFolder::store(chosen));
    EXPECT_EQ(DownloadFolder::current(), chosen);
    EXPECT_FALSE(QFileInfo::exists(DownloadFolder::defaultFolder())) << "the default is made only when used";
}

TEST(WorkingItems, FilesAndFoldersWithTheirSizesAndPlacesOnThePeer)
{
    const QString home = TestHome::path();
    writeFile(home + QStringLiteral("/pick/a.txt"), 10);
    writeFile(home + QStringLiteral("/pick/album/one.jpg"), 100);
    writeFile(home + QStringLiteral("/pick/album/deep/two.jpg"), 1000);
    writeFile(home + QStringLiteral("/pick/album/.hidden"), 5);

    const std::vector<WorkingItem> items = workingItemsFor(
        {home + QStringLiteral("/pick/a.txt"), home + QStringLiteral("/pick/album"), home + QStringLiteral("/pick/gone")},
        QStringLiteral("/srv/share/"));
    ASSERT_EQ(items.size(), 2u) << "a path that no longer exists is left out";
    EXPECT_EQ(items[0].Size, 10);
    EXPECT_FALSE(items[0].IsDir);
    EXPECT_EQ(items[0].PathSave, QStringLiteral("/srv/share/a.txt"));
    EXPECT_TRUE(items[1].IsDir);
    EXPECT_EQ(items[1].Size, 1105) << "every file below the folder, hidden ones too";
    EXPECT_EQ(items[1].PathSave, QStringLiteral("/srv/share/album"));
    EXPECT_EQ(totalSize(items), 1115);

    const std::vector<WorkingItem> windows = workingItemsFor({home + QStringLiteral("/pick/a.txt")},
                                                             QStringLiteral("D:\\Incoming"));
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].PathSave, QStringLiteral("D:\\Incoming\\a.txt"));
}

TEST(WorkingItems, LinksAreNotFollowedIntoOtherFolders)
{
    const QString home = TestHome::path();
    writeFile(home + QStringLiteral("/elsewhere/big.bin"), 4096);
    writeFile(home + QStringLiteral("/pick/small.bin"), 1);
    ASSERT_TRUE(QFile::link(home + QStringLiteral("/elsewhere"), home + QStringLiteral("/pick/link")));

    const std::vector<WorkingItem> items = workingItemsFor({home + QStringLiteral("/pick")}, QStringLiteral("/r"));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Size, 1);
}
