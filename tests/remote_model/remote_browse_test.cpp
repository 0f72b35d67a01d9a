#include "remote_file_paging.h"
#include "remote_folder_path.h"

#include <gtest/gtest.h>

#include <limits>

TEST(RemoteFilePaging, AnEmptyFolderHasNoPagesButStaysOnPageOne)
{
    RemoteFilePaging paging;
    paging.setTotal(0);
    EXPECT_EQ(paging.pageCount(), 0);
    EXPECT_EQ(paging.pageIndex(), 1);
    EXPECT_FALSE(paging.hasPrevious());
    EXPECT_FALSE(paging.hasNext());
    EXPECT_EQ(paging.firstRow(), 0);
    EXPECT_EQ(paging.lastRow(), 0);
    EXPECT_TRUE(paging.goTo(1));
    EXPECT_FALSE(paging.goTo(2));
}

TEST(RemoteFilePaging, FullPagesAndARemainder)
{
    RemoteFilePaging paging(50);
    paging.setTotal(50);
    EXPECT_EQ(paging.pageCount(), 1);
    EXPECT_FALSE(paging.hasNext());
    EXPECT_EQ(paging.lastRow(), 50);

    paging.setTotal(51);
    EXPECT_EQ(paging.pageCount(), 2);
    ASSERT_TRUE(paging.hasNext());
    ASSERT_TRUE(paging.goTo(2));
    EXPECT_EQ(paging.firstRow(), 51);
    EXPECT_EQ(paging.lastRow(), 51);
    EXPECT_TRUE(paging.hasPrevious());
    EXPECT_FALSE(paging.hasNext());
    EXPECT_FALSE(paging.goTo(3));
    EXPECT_FALSE(paging.goTo(0));
    EXPECT_FALSE(paging.goTo(-1));
    EXPECT_EQ(paging.pageIndex(), 2);
}

TEST(RemoteFilePaging, AShrinkingFolderMovesToItsLastPage)
{
    RemoteFilePaging paging(3);
    paging.setTotal(10);
    ASSERT_TRUE(paging.goTo(4));
    EXPECT_EQ(paging.firstRow(), 10);
    paging.setTotal(7);
    EXPECT_EQ(paging.pageIndex(), 3);
    EXPECT_EQ(paging.firstRow(), 7);
    paging.setTotal(0);
    EXPECT_EQ(paging.pageIndex(), 1);
    paging.setTotal(-5);
    EXPECT_EQ(paging.total(), 0);
}

TEST(RemoteFilePaging, PageInfoFromThePeer)
{
    RemoteFilePaging paging(3);
    EXPECT_TRUE(paging.setPageInfo(QStringLiteral("7|3")));
    EXPECT_EQ(paging.total(), 7);
    EXPECT_EQ(paging.pageCount(), 3);
    for (const char *bad : {"", "7", "x|3", "-1|0", "7|3|1"}) {
        EXPECT_FALSE(paging.setPageInfo(QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(paging.total(), 7) << bad;
    }
    paging.reset();
    EXPECT_EQ(paging.total(), 0);
    EXPECT_EQ(paging.pageIndex(), 1);
}

TEST(RemoteFilePaging, AbsurdCountsStayInRange)
{
    RemoteFilePaging paging(50);
    const qint64 most = std::numeric_limits<qint64>::max();
    paging.setTotal(most);
    const qint64 pages = paging.pageCount();
    EXPECT_EQ(pages, most / 50 + 1);
    ASSERT_TRUE(paging.goTo(pages));
    EXPECT_EQ(paging.lastRow(), most);
    EXPECT_LE(paging.firstRow(), paging.lastRow());
    EXPECT_EQ(RemoteFilePaging(0).pageSize(), 1) << "a page holds at least one entry";
}

TEST(RemoteFolderPath, StaysBelowTheShareRoot)
{
    RemoteFolderPath path;
    path.setRoot(QStringLiteral("/home/pat/Shared/"));
    EXPECT_EQ(path.root(), QStringLiteral("/home/pat/Shared"));
    EXPECT_TRUE(path.isAtRoot());
    EXPECT_EQ(path.displayText(), QStringLiteral("/"));
    EXPECT_FALSE(path.up());

    EXPECT_FALSE(path.enter(QStringLiteral("/home/pat")));
    EXPECT_FALSE(path.enter(QStringLiteral("/home/pat/SharedOther")));
    EXPECT_FALSE(path.enter(QStringLiteral("/home/pat/Shared/../secret")));
    EXPECT_TRUE(path.isAtRoot());

    ASSERT_TRUE(path.enter(QStringLiteral("/home/pat/Shared/docs")));
    ASSERT_TRUE(path.enter(QStringLiteral("/home/pat/Shared/docs/2024")));
    EXPECT_EQ(path.displayText(), QStringLiteral("/ docs / 2024"));
    ASSERT_TRUE(path.up());
    EXPECT_EQ(path.current(), QStringLiteral("/home/pat/Shared/docs"));
    ASSERT_TRUE(path.up());
    EXPECT_TRUE(path.isAtRoot());
    EXPECT_FALSE(path.up());
}

TEST(RemoteFolderPath, WindowsStylePathsOfAPeer)
{
    RemoteFolderPath path;
    path.setRoot(QStringLiteral("D:\\Photos"));
    ASSERT_TRUE(path.enter(QStringLiteral("D:\\Photos\\2023\\")));
    EXPECT_EQ(path.current(), QStringLiteral("D:\\Photos\\2023"));
    EXPECT_EQ(path.displayText(), QStringLiteral("/ 2023"));
    ASSERT_TRUE(path.up());
    EXPECT_TRUE(path.isAtRoot());

    path.setRoot(QStringLiteral("C:\\"));
    ASSERT_TRUE(path.enter(QStringLiteral("C:\\Users")));
    ASSERT_TRUE(path.up());
    EXPECT_EQ(path.current(), QStringLiteral("C:\\"));
}

TEST(RemoteFolderPath, AWholeDiskShare)
{
    RemoteFolderPath path;
    path.setRoot(QStringLiteral("/"));
    ASSERT_TRUE(path.enter(QStringLiteral("/srv")));
    EXPECT_EQ(path.displayText(), QStringLiteral("/ srv"));
    ASSERT_TRUE(path.up());
    EXPECT_TRUE(path.isAtRoot());
}
