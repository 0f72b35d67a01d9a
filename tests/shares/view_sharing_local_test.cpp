#include "env.h"
#include "file_dialog_panels.h"
#include "local_share_store.h"
#include "shares_test_support.h"
#include "sharing_obj_list.h"
#include "test_home.h"
#include "toast_overlay.h"
#include "view_sharing_detail.h"
#include "view_sharing_local.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

namespace {

const QString consoleUrl = QStringLiteral("https://web.example.test/console");

class LocalSharesPage : public SharesUiTest
{
protected:
    void SetUp() override
    {
        SharesUiTest::SetUp();
        list.setItems(LocalShare_List(QString(), false, false));
        page = new ViewSharingLocal(list, consoleUrl, window.get());
        page->resize(window->size());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QPushButton *button(const char *name) const { return page->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QLabel *notice() const { return page->findChild<QLabel *>(QStringLiteral("noShareNotice")); }
    QScrollArea *cards() const { return page->findChild<QScrollArea *>(QStringLiteral("shareScroll")); }

    // Presses the add button with the open panel answering chosen.
    void addThroughPanel(const QStringList &chosen)
    {
        FileDialogPanels::setNextAnswer(chosen);
        click(button("addShareButton"));
        // The panel answers on a later turn of the event loop.
        QTest::qWait(20);
    }

    QStringList cardPaths() const
    {
        QStringList paths;
        for (ViewSharingDetail *pane : page->panes())
            paths << pane->findChild<QLineEdit *>(QStringLiteral("pathField"))->text();
        return paths;
    }

    SharingObjList list;
    ViewSharingLocal *page = nullptr;
};

TEST_F(LocalSharesPage, AddsFoldersUpToTheShareLimitAndRefusesPastIt)
{
    Env::userInfo.maxsharecount = 2;
    page->onUserInfoChanged();
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (0/2)");

    const QString photos = makeFolder("Photos");
    addThroughPanel({photos});
    ASSERT_TRUE(FileDialogPanels::lastRequest());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose folders to share");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);
    ASSERT_EQ(window->toasts.size(), 1);
    EXPECT_EQ(window->toasts.last(), AlertToast::result(true, "Done!"));
    EXPECT_EQ(cardPaths(), QStringList({photos}));
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (1/2)");

    const QString music = makeFolder("Music");
    addThroughPanel({music});
    EXPECT_EQ(cardPaths(), QStringList({music, photos})) << "folders by path";
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (2/2)");
    EXPECT_EQ(shareCount(), 2);

    // At the limit: the notice, and no panel at all.
    FileDialogPanels::clearNextAnswer();
    click(button("addShareButton"));
    QTest::qWait(20);
    EXPECT_FALSE(FileDialogPanels::lastRequest());
    ASSERT_EQ(window->toasts.size(), 3);
    EXPECT_EQ(window->toasts.last(), AlertToast::notice(toastText("Sys_MaxLimitExceed")));
    EXPECT_EQ(shareCount(), 2);
}

TEST_F(LocalSharesPage, ALimitOfZeroRefusesEveryAddition)
{
    Env::userInfo.maxsharecount = 0;
    click(button("addShareButton"));
    QTest::qWait(20);
    EXPECT_FALSE(FileDialogPanels::lastRequest());
    ASSERT_EQ(window->toasts.size(), 1);
    EXPECT_EQ(window->toasts.last().title(), toastText("Sys_MaxLimitExceed"));
}

TEST_F(LocalSharesPage, ACancelledPanelOrSeveralFoldersAddNothing)
{
    addThroughPanel({});
    addThroughPanel({makeFolder("a"), makeFolder("b")});
    addThroughPanel({QDir(TestHome::path()).filePath("gone")});
    EXPECT_TRUE(window->toasts.isEmpty());
    EXPECT_EQ(shareCount(), 0);
    EXPECT_TRUE(page->panes().isEmpty());
}

TEST_F(LocalSharesPage, TheSameFolderTwiceGivesTwoSharesUnderTwoTags)
{
    const QString photos = makeFolder("Photos");
    addThroughPanel({photos});
    addThroughPanel({photos});
    ASSERT_EQ(list.items().size(), 2);
    EXPECT_NE(list.items().at(0)->tag(), list.items().at(1)->tag());
    EXPECT_EQ(cardPaths(), QStringList({photos, photos}));
    EXPECT_EQ(window->toasts.size(), 2);
}

TEST_F(LocalSharesPage, AFailedAdditionShowsTheRedToastAndKeepsTheList)
{
    addThroughPanel({makeFolder("Photos")});
    failInsertsInto("localshare");
    addThroughPanel({makeFolder("Music")});
    ASSERT_EQ(window->toasts.size(), 2);
    EXPECT_EQ(window->toasts.last(), AlertToast::result(false, "Path Alread Exists!"));
    EXPECT_EQ(page->panes().size(), 1);
    EXPECT_EQ(shareCount(), 1);
}

TEST_F(LocalSharesPage, EmptyListShowsTheNoticeUnlessTheLoginSheetShows)
{
    EXPECT_TRUE(notice()->isVisible());
    EXPECT_EQ(notice()->text(), toastText("LS_NoHost"));
    EXPECT_FALSE(cards()->isVisible());

    page->setIsShowLogin(true);
    EXPECT_FALSE(notice()->isVisible());
    EXPECT_FALSE(button("consoleButton")->isVisible());
    EXPECT_TRUE(button("addShareButton")->isVisible());
    EXPECT_TRUE(button("addShareButton")->text().isEmpty());

    // Shares stay on view behind the login sheet.
    list.setItems({storeShare("AB12", makeFolder("Photos"))});
    EXPECT_TRUE(cards()->isVisible());
    EXPECT_EQ(page->panes().size(), 1);
    EXPECT_FALSE(notice()->isVisible());

    page->setIsShowLogin(false);
    EXPECT_TRUE(button("consoleButton")->isVisible());
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (1/10)");
}

TEST_F(LocalSharesPage, ConsoleButtonShowsTheHostNameAndOpensTheConsole)
{
    EXPECT_EQ(button("consoleButton")->text(), "Change Host Name (myhost)");
    Env::userInfo.hostname = QStringLiteral("abc");
    page->onUserInfoChanged();
    EXPECT_EQ(button("consoleButton")->text(), "Change Host Name (abc)");

    click(button("consoleButton"));
    EXPECT_EQ(openedUrls(), QList<QUrl>({QUrl(consoleUrl)}));
}

TEST_F(LocalSharesPage, CardsFollowTheListAndTheirLinksTheHostName)
{
    list.setItems({storeShare("AB12", makeFolder("Photos")), storeShare("CD34", makeFolder("Music"))});
    ASSERT_EQ(page->panes().size(), 2);
    ViewSharingDetail *kept = page->panes().at(1);
    const auto link = [](ViewSharingDetail *pane) { return pane->findChild<QLineEdit *>("linkField")->text(); };
    EXPECT_TRUE(waitFor([&] { return link(kept) == shareHostLink("myhost") + "CD34"; })) << link(kept).toStdString();

    // A new host name redraws the page, and the links follow.
    Env::userInfo.hostname = QStringLiteral("newhost");
    page->onUserInfoChanged();
    EXPECT_TRUE(waitFor([&] { return link(kept) == shareHostLink("newhost") + "CD34"; })) << link(kept).toStdString();

    // A share that leaves the list takes its card with it; the others keep theirs.
    list.setItems({list.items().at(1)});
    ASSERT_EQ(page->panes().size(), 1);
    EXPECT_EQ(page->panes().first(), kept);
}

} // namespace
