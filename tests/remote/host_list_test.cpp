// The remote hosts page and its host editor, on a fresh database of the test's own.

#include "remote_test_support.h"

#include "alert_toast.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "env.h"
#include "session_state.h"
#include "remote_host_row.h"
#include "toast_overlay.h"
#include "view_sharing_remote.h"
#include "view_sharing_remote_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace RemoteTest;

namespace {

class HostList : public RemoteFixture
{
protected:
    void SetUp() override
    {
        RemoteFixture::SetUp();
        page = std::make_unique<ViewSharingRemote>();
        page->resize(760, 520);
        page->show();
    }
    void TearDown() override
    {
        page.reset();
        RemoteFixture::TearDown();
    }

    QList<RemoteHostRow *> rows() const { return page->findChildren<RemoteHostRow *>(); }

    // Types the four fields into the open editor and presses OK.
    ViewSharingRemoteEdit *fill(const QString &hostname, const QString &tag, const QString &code, const QString &alias)
    {
        ViewSharingRemoteEdit *editor = page->editor();
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return nullptr;
        const QList<std::pair<const char *, QString>> fields = {
            {"hostNameField", hostname}, {"hostTagField", tag}, {"accessCodeField", code}, {"aliasField", alias}};
        for (const auto &[name, value] : fields) {
            auto *field = editor->findChild<QLineEdit *>(QString::fromLatin1(name));
            field->clear();
            QTest::keyClicks(field, value);
        }
        editor->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        return editor;
    }

    std::unique_ptr<ViewSharingRemote> page;
};

} // namespace

TEST_F(HostList, AnEmptyListInvitesToAddAHost)
{
    EXPECT_TRUE(rows().isEmpty());
    auto *empty = page->findChild<QLabel *>(QStringLiteral("noHostLabel"));
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->isVisible());
    EXPECT_EQ(empty->text(), english("RS_NoHost"));
}

TEST_F(HostList, AHostAddedInTheEditorIsStoredAndListed)
{
    page->findChild<QPushButton *>(QStringLiteral("addHostButton"))->click();
    ASSERT_TRUE(waitFor([&] { return page->editor() && page->editor()->isVisible(); }));
    fill(QStringLiteral("  pat "), QStringLiteral("Pics"), QStringLiteral("1234"), QStringLiteral("Pat's laptop"));
    ASSERT_TRUE(waitFor([&] { return page->editor() == nullptr; }));

    const QList<RemoteSharing> stored = RemoteSharing_List();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].hostname, QStringLiteral("pat")) << "blanks around a field are not kept";
    EXPECT_EQ(stored[0].hosttag, QStringLiteral("Pics"));
    EXPECT_EQ(stored[0].password, QStringLiteral("1234"));
    EXPECT_EQ(stored[0].aliasname, QStringLiteral("Pat's laptop"));
    ASSERT_EQ(rows().size(), 1);
    EXPECT_EQ(rows()[0]->findChild<QLabel *>(QStringLiteral("hostNameLabel"))->text(), QStringLiteral("Pat's laptop"));
    EXPECT_EQ(rows()[0]->findChild<QLabel *>(QStringLiteral("hostDetailLabel"))->text(),
              QStringLiteral("Host: pat   ·   Share Tag: Pics"));
    EXPECT_NE(rows()[0]->findChild<QLabel *>(QStringLiteral("lockIcon")), nullptr);
    EXPECT_FALSE(page->findChild<QLabel *>(QStringLiteral("noHostLabel"))->isVisible());
    EXPECT_EQ(page->toast()->toast(), AlertToast::result(true, english("Sys_Update_Succ")));
}

TEST_F(HostList, TheEditorKeepsABrokenHostOpenAndStoresNothing)
{
    page->addHost();
    ASSERT_TRUE(waitFor([&] { return page->editor() != nullptr; }));
    ViewSharingRemoteEdit *editor = fill(QString(), QStringLiteral("Pics"), QString(), QString());
    EXPECT_EQ(editor->lastRefusal(), english("RS_HostNameMissing"));
    fill(QStringLiteral("pat"), QStringLiteral("bad tag!"), QString(), QString());
    EXPECT_EQ(editor->lastRefusal(), english("RS_TagInvalid"));
    fill(QStringLiteral("pat"), QString(), QStringLiteral("with space"), QString());
    EXPECT_EQ(editor->lastRefusal(), english("RS_PasswordInvalid"));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(RemoteSharing_List().isEmpty());

    // The default share: no tag, no code.
    fill(QStringLiteral("pat"), QString(), QString(), QString());
    ASSERT_TRUE(waitFor([&] { return page->editor() == nullptr; }));
    ASSERT_EQ(rows().size(), 1);
    EXPECT_EQ(rows()[0]->findChild<QLabel *>(QStringLiteral("hostDetailLabel"))->text(),
              QStringLiteral("Host: pat   ·   Share Tag: default share"));
    EXPECT_EQ(rows()[0]->findChild<QLabel *>(QStringLiteral("lockIcon")), nullptr);
}

TEST_F(HostList, EditingChangesOnlyThatHost)
{
    RemoteSharing first = host(QStringLiteral("alpha"));
    RemoteSharing second = host(QStringLiteral("beta"));
    ASSERT_TRUE(RemoteSharing_Add(first));
    ASSERT_TRUE(RemoteSharing_Add(second));
    page->reload();
    ASSERT_EQ(rows().size(), 2);

    rows()[1]->findChild<QToolButton *>(QStringLiteral("editButton"))->click();
    ASSERT_TRUE(waitFor([&] { return page->editor() != nullptr; }));
    EXPECT_FALSE(page->editor()->isNew());
    EXPECT_EQ(page->editor()->findChild<QLineEdit *>(QStringLiteral("hostNameField"))->text(), QStringLiteral("beta"));
    fill(QStringLiteral("gamma"), QStringLiteral("Docs"), QString(), QStringLiteral("Office"));
    ASSERT_TRUE(waitFor([&] { return page->editor() == nullptr; }));

    const QList<RemoteSharing> stored = RemoteSharing_List();
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].hostname, QStringLiteral("alpha"));
    EXPECT_EQ(stored[1].hostid, second.hostid);
    EXPECT_EQ(stored[1].hostname, QStringLiteral("gamma"));
    EXPECT_EQ(stored[1].password, QString());
    EXPECT_EQ(page->hosts()[1].displayName(), QStringLiteral("Office"));
}

TEST_F(HostList, DeletingAsksFirstAndCancelKeepsTheHost)
{
    RemoteSharing kept = host(QStringLiteral("keep"));
    RemoteSharing gone = host(QStringLiteral("gone"), QString(), QString(), QStringLiteral("Old box"));
    ASSERT_TRUE(RemoteSharing_Add(kept));
    ASSERT_TRUE(RemoteSharing_Add(gone));
    page->reload();

    rows()[1]->findChild<QToolButton *>(QStringLiteral("deleteButton"))->click();
    ASSERT_TRUE(waitFor([&] { return page->confirmDialog()->isVisible(); }));
    EXPECT_EQ(page->confirmDialog()->findChild<QLabel *>(QStringLiteral("infoLabel"))->text(),
              english("RS_DeleteHostInfo").arg(QStringLiteral("Old box")));
    page->confirmDialog()->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    EXPECT_EQ(RemoteSharing_List().size(), 2);

    page->requestDeleteHost(1);
    ASSERT_TRUE(waitFor([&] { return page->confirmDialog()->isVisible(); }));
    page->confirmDialog()->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    ASSERT_EQ(RemoteSharing_List().size(), 1);
    EXPECT_EQ(RemoteSharing_List()[0].hostname, QStringLiteral("keep"));
    EXPECT_EQ(rows().size(), 1);
}

TEST_F(HostList, AnotherAccountsHostsAreNotShown)
{
    RemoteSharing theirs = host(QStringLiteral("theirs"));
    Env::userInfo.id_acc = 2;
    ASSERT_TRUE(RemoteSharing_Add(theirs));
    Env::userInfo.id_acc = 1;
    page->hide();
    page->show();
    EXPECT_TRUE(rows().isEmpty()) << "the page reads the hosts afresh when shown";
}

TEST_F(HostList, OpeningAHostShowsItsBrowserAndBackShowsTheList)
{
    RemoteSharing pat = host();
    ASSERT_TRUE(RemoteSharing_Add(pat));
    page->reload();
    rows()[0]->findChild<QToolButton *>(QStringLiteral("openButton"))->click();
    ASSERT_NE(page->browser(), nullptr);
    QPointer<ViewSharingRemoteFileList> opened = page->browser();
    ASSERT_TRUE(waitFor([&] { return opened->isConnected() && !opened->isLoading(); }));
    EXPECT_EQ(opened->items().size(), 3);

    opened->findChild<QToolButton *>(QStringLiteral("backButton"))->click();
    EXPECT_EQ(page->browser(), nullptr);
    // Deleted on the event loop's next turn (outside a running loop, deferred deletes are sent by hand).
    EXPECT_FALSE(opened->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(opened.isNull());
    EXPECT_EQ(page->findChild<QStackedWidget *>()->currentIndex(), 0);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
}
