// The local shares page in its place in the main window: it follows the login sheet, the
// account's share list and its host name.

#include "app_gui_support.h"

#include "env.h"
#include "host_name_fetcher.h"
#include "local_share_store.h"
#include "main_view.h"
#include "sharing_obj.h"
#include "sharing_obj_list.h"
#include "test_home.h"
#include "view_sharing_detail.h"
#include "view_sharing_local.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class LocalSharesWindow : public ShellTest
{
protected:
    // Stores a share of account 7 (the test account) for a new folder or file.
    static void store(const QString &tag, const QString &name, const QString &code = {}, bool isdir = true,
                      bool isDefault = false)
    {
        const QString path = QDir(TestHome::path()).filePath(name);
        if (isdir) {
            QDir().mkpath(path);
        } else {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const qint64 previous = Env::userInfo.id_acc;
        Env::userInfo.id_acc = testAccount().id_acc;
        SharingObj share;
        share.setTag(tag);
        share.setPath(path);
        share.setPassword(code);
        share.setIsdir(isdir);
        share.setIsDefault(isDefault);
        ASSERT_TRUE(LocalShare_Insert(share));
        Env::userInfo.id_acc = previous;
    }

    ViewSharingLocal *page() const { return window->findChild<ViewSharingLocal *>(); }
    QPushButton *button(const char *name) const { return page()->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QStringList links() const
    {
        QStringList result;
        for (ViewSharingDetail *pane : page()->panes())
            result << pane->findChild<QLineEdit *>(QStringLiteral("linkField"))->text();
        return result;
    }

    static UserInfo account()
    {
        UserInfo record = testAccount();
        record.hostname = QStringLiteral("myhost");
        record.maxsharecount = 5;
        return record;
    }
};

TEST_F(LocalSharesWindow, ThePageFollowsTheLoginSheetAndTheAccount)
{
    store("AB12", "Photos", {}, true, true);
    store("CD34", "Music");
    showMainView();
    ASSERT_NE(page(), nullptr);
    EXPECT_TRUE(page()->isShowLogin());
    EXPECT_FALSE(button("consoleButton")->isVisible());
    EXPECT_TRUE(button("addShareButton")->text().isEmpty());

    // The sheet closes on a login: the account's shares come, with its host name in their links.
    finishLogin(account());
    EXPECT_FALSE(page()->isShowLogin());
    EXPECT_EQ(button("consoleButton")->text(), "Change Host Name (myhost)");
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (2/5)");
    EXPECT_TRUE(waitFor([&] { return links() == QStringList({shareHostLink("myhost") + "CD34", shareHostLink("myhost")}); }))
        << links().join(' ').toStdString();

    // A new host name from the service: the list is reloaded and every link follows.
    emit window->hostNameFetcher().hostNameReported(QStringLiteral("renamed"));
    EXPECT_EQ(button("consoleButton")->text(), "Change Host Name (renamed)");
    EXPECT_TRUE(waitFor([&] { return links() == QStringList({shareHostLink("renamed") + "CD34", shareHostLink("renamed")}); }))
        << links().join(' ').toStdString();
}

TEST_F(LocalSharesWindow, Screenshot)
{
    store("Home", "Documents/Public", {}, true, true);
    store("K3Z9", "Pictures/Holiday 2024", QStringLiteral("Secret42"));
    store("Q7PL", "Reports/annual-report.pdf", {}, false);
    showMainView();
    finishLogin(account());
    QTest::qWait(50);
    EXPECT_FALSE(saveScreenshot(*window, QStringLiteral("main_window_local_shares")).isEmpty());
}

} // namespace
