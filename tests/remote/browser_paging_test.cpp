// Pages of a folder, folders opened and left, and answers that come too late to count.

#include "remote_test_support.h"

#include "remote_file_table.h"
#include "session_state.h"

#include <QPushButton>
#include <QTest>

using namespace RemoteTest;

namespace {

bool listed(ViewSharingRemoteFileList &view)
{
    return waitFor([&] { return view.isConnected() && !view.isLoading(); });
}

} // namespace

TEST_F(RemoteFixture, PagesOfFiftyUpToTheLastRemainder)
{
    bridge.folders[QStringLiteral("/srv/pics")] = entries(120, QStringLiteral("f"), QStringLiteral("txt"));
    ViewSharingRemoteFileList &view = openConnected();
    auto *previous = view.findChild<QPushButton *>(QStringLiteral("previousButton"));
    auto *next = view.findChild<QPushButton *>(QStringLiteral("nextButton"));

    EXPECT_EQ(view.paging().total(), 120);
    EXPECT_EQ(view.paging().pageCount(), 3);
    EXPECT_EQ(view.items().size(), 50);
    EXPECT_EQ(view.pageText(), QStringLiteral("Page 1 of 3 · items 1–50 of 120"));
    EXPECT_FALSE(previous->isEnabled());
    ASSERT_TRUE(next->isEnabled());

    next->click();
    ASSERT_TRUE(listed(view));
    next->click();
    ASSERT_TRUE(listed(view));
    EXPECT_EQ(view.paging().pageIndex(), 3);
    EXPECT_EQ(view.items().size(), 20);
    EXPECT_EQ(view.items().first().name, QStringLiteral("f101.txt"));
    EXPECT_EQ(view.pageText(), QStringLiteral("Page 3 of 3 · items 101–120 of 120"));
    EXPECT_FALSE(next->isEnabled());
    EXPECT_FALSE(view.goToPage(4));
    EXPECT_FALSE(view.goToPage(0));
    EXPECT_EQ(bridge.withCode(QStringLiteral("getFileList")).last().data["iPageIndex"], 3);

    previous->click();
    ASSERT_TRUE(listed(view));
    EXPECT_EQ(view.items().first().name, QStringLiteral("f051.txt"));
}

TEST_F(RemoteFixture, AFolderOpenedAndLeftReturnsToItsPage)
{
    QList<ScriptedRemoteBridge::Entry> root = entries(60, QStringLiteral("dir"), QString());
    bridge.folders[QStringLiteral("/srv/pics")] = root;
    bridge.folders[QStringLiteral("/srv/pics/dir055")] = entries(2, QStringLiteral("inner"), QStringLiteral("jpg"));
    ViewSharingRemoteFileList &view = openConnected();
    ASSERT_TRUE(view.goToPage(2));
    ASSERT_TRUE(listed(view));
    ASSERT_EQ(view.items().at(4).name, QStringLiteral("dir055"));

    view.table()->selectRows({4});
    QTest::keyClick(view.table(), Qt::Key_Return);
    ASSERT_TRUE(listed(view));
    EXPECT_EQ(view.folder().current(), QStringLiteral("/srv/pics/dir055"));
    EXPECT_EQ(view.folder().displayText(), QStringLiteral("/ dir055"));
    EXPECT_EQ(names(view), (QStringList{QStringLiteral("inner001.jpg"), QStringLiteral("inner002.jpg")}));
    EXPECT_EQ(view.paging().pageIndex(), 1);

    view.openFolder(0);
    ASSERT_TRUE(listed(view));
    EXPECT_EQ(view.folder().current(), QStringLiteral("/srv/pics/dir055")) << "a file is not opened";

    view.goUp();
    ASSERT_TRUE(listed(view));
    EXPECT_TRUE(view.folder().isAtRoot());
    EXPECT_EQ(view.paging().pageIndex(), 2);
    EXPECT_EQ(view.items().at(4).name, QStringLiteral("dir055"));
    view.goUp();
    EXPECT_TRUE(view.folder().isAtRoot());
}

TEST_F(RemoteFixture, AnEmptyFolderSaysSo)
{
    bridge.folders[QStringLiteral("/srv/pics")] = {};
    ViewSharingRemoteFileList &view = openConnected();
    EXPECT_EQ(view.paging().pageCount(), 0);
    EXPECT_EQ(view.listMessage(), english("RS_EmptyFolder"));
    EXPECT_TRUE(view.pageText().isEmpty());
}

TEST_F(RemoteFixture, AFolderThatShrankBetweenCountAndPageShowsItsLastPage)
{
    bridge.folders[QStringLiteral("/srv/pics")] = entries(120, QStringLiteral("f"), QStringLiteral("txt"));
    ViewSharingRemoteFileList &view = openConnected();
    ASSERT_TRUE(view.goToPage(3));
    ASSERT_TRUE(listed(view));

    bridge.holdPages = true;
    const int before = bridge.count(QStringLiteral("getFileList"));
    view.refresh();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("getFileList")) == before + 2; }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("getFileList")).last().data["iPageIndex"], 3);
    // Forty entries go between the count and the page.
    bridge.folders[QStringLiteral("/srv/pics")] = entries(80, QStringLiteral("f"), QStringLiteral("txt"));
    bridge.holdPages = false;
    const auto page = bridge.withCode(QStringLiteral("getFileList")).last();
    bridge.answer(page, bridge.scriptedAnswer(page));
    ASSERT_TRUE(waitFor([&] { return !view.isLoading() && !view.items().isEmpty(); }));
    EXPECT_EQ(view.paging().pageIndex(), 2);
    EXPECT_EQ(view.items().size(), 30);
}

TEST_F(RemoteFixture, AListingWithoutAnAnswerOffersToTryAgain)
{
    ViewSharingRemoteFileList &view = openConnected();
    bridge.holdPages = true;
    const int before = bridge.count(QStringLiteral("getFileList"));
    view.refresh();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("getFileList")) == before + 2; }));
    EXPECT_TRUE(view.isLoading());
    elapse(ViewSharingRemoteFileList::answerTimeoutMs);
    EXPECT_FALSE(view.isLoading());
    EXPECT_EQ(view.listMessage(), english("RS_ListNoAnswer"));
    auto *retry = view.findChild<QPushButton *>(QStringLiteral("retryButton"));
    ASSERT_TRUE(retry->isVisible());

    // The page that comes now is for a request the browser gave up on.
    const auto late = bridge.withCode(QStringLiteral("getFileList")).last();
    bridge.answer(late, bridge.scriptedAnswer(late));
    spin(100);
    EXPECT_EQ(view.listMessage(), english("RS_ListNoAnswer"));

    bridge.holdPages = false;
    retry->click();
    ASSERT_TRUE(listed(view));
    EXPECT_TRUE(view.listMessage().isEmpty());
    EXPECT_EQ(view.items().size(), 3);
}

TEST_F(RemoteFixture, AnAnswerForTheFolderLeftBehindIsIgnored)
{
    bridge.folders[QStringLiteral("/srv/pics")] = {{QStringLiteral("a"), true, 0}, {QStringLiteral("b"), true, 0}};
    bridge.folders[QStringLiteral("/srv/pics/a")] = entries(2, QStringLiteral("in_a"), QStringLiteral("txt"));
    bridge.folders[QStringLiteral("/srv/pics/b")] = entries(3, QStringLiteral("in_b"), QStringLiteral("txt"));
    ViewSharingRemoteFileList &view = openConnected();

    bridge.holdPages = true;
    view.openFolder(0);
    ASSERT_TRUE(waitFor([&] {
        const Json last = bridge.withCode(QStringLiteral("getFileList")).last().data;
        return last["dir"] == "/srv/pics/a" && last["iProbeCount"] == 0;
    }));
    const auto forA = bridge.withCode(QStringLiteral("getFileList")).last();
    view.goUp();
    bridge.holdPages = false;
    ASSERT_TRUE(listed(view));
    view.openFolder(1);
    ASSERT_TRUE(listed(view));
    ASSERT_EQ(view.items().size(), 3);

    bridge.answer(forA, bridge.scriptedAnswer(forA));
    spin(100);
    EXPECT_EQ(view.folder().current(), QStringLiteral("/srv/pics/b"));
    EXPECT_EQ(view.items().size(), 3);
    EXPECT_EQ(view.items().first().name, QStringLiteral("in_b001.txt"));
}

TEST_F(RemoteFixture, AnAnswerArrivingAfterTheBrowserClosedTouchesNothing)
{
    openConnected();
    bridge.holdPages = true;
    bridge.holdCodes = {QStringLiteral("CheckHost")};
    const int before = bridge.count(QStringLiteral("getFileList"));
    browser->refresh();
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("CheckHost")) == 1; }));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("getFileList")) == before + 2; }));
    const auto listing = bridge.withCode(QStringLiteral("getFileList")).last();
    const auto check = bridge.withCode(QStringLiteral("CheckHost")).last();

    browser.reset();
    bridge.answer(listing, bridge.scriptedAnswer(listing));
    bridge.answer(check, Json{{"data", "changed"}});
    spin(200);
    EXPECT_EQ(HelperRemoteSharing::globalFileListView, nullptr);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
}
