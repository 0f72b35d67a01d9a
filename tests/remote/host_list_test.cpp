// The remote hosts page and its host editor, on a fresh database of the test's own.

#include "remote_test_support.h"

#include "alert_toast.h"
#include "dialog_confirm_view.h"
#include "env.h"
#include "remote_host_row.h"
#include "session_state.h"
#include "toast_overlay.h"
#include "view_sharing_remote.h"
#include "view_sharing_remote_edit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

using namespace RemoteTest;

TEST_F(RemoteFixture, TheHostListAddsEditsDeletesAndOpensHosts)
{
    ViewSharingRemote page;
    page.show();
    // Each row as it reads: name, host and tag, and a lock when it has an access code.
    const auto rows = [&] {
        QStringList lines;
        for (const RemoteHostRow *row : page.findChildren<RemoteHostRow *>())
            lines << row->findChild<QLabel *>("hostNameLabel")->text() + " | " +
                         row->findChild<QLabel *>("hostDetailLabel")->text() +
                         (row->findChild<QLabel *>("lockIcon") ? " | locked" : QString());
        return lines;
    };
    const auto rowButton = [&](int row, const char *name) {
        return page.findChildren<RemoteHostRow *>().at(row)->findChild<QToolButton *>(QString::fromLatin1(name));
    };
    // Fills in the open editor and presses OK; the refusal it shows ("" when it stored the host).
    const auto fill = [&](const QStringList &values) {
        ViewSharingRemoteEdit *editor = page.editor();
        const char *fields[] = {"hostNameField", "hostTagField", "accessCodeField", "aliasField"};
        for (int i = 0; i < 4; ++i)
            editor->findChild<QLineEdit *>(QString::fromLatin1(fields[i]))->setText(values.value(i));
        editor->findChild<QPushButton *>("okButton")->click();
        return editor->lastRefusal();
    };

    EXPECT_TRUE(page.findChild<QLabel *>("noHostLabel")->isVisible());
    auto *add = page.findChild<QPushButton *>("addHostButton");
    add->setFocus();
    add->click();
    ASSERT_TRUE(page.editor() && page.editor()->isNew());
    EXPECT_EQ(fill({QString(), "Pics"}), english("RS_HostNameMissing"));
    EXPECT_EQ(fill({"pat", "bad tag!"}), english("RS_TagInvalid"));
    EXPECT_EQ(fill({"pat", QString(), "with space"}), english("RS_PasswordInvalid"));
    EXPECT_TRUE(page.editor()->isVisible());
    EXPECT_TRUE(RemoteSharing_List().isEmpty());
    EXPECT_EQ(fill({"  pat ", "Pics", "1234", "Pat's laptop"}), QString());
    ASSERT_TRUE(waitFor([&] { return page.editor() == nullptr; }));
    EXPECT_TRUE(waitFor([&] { return page.focusWidget() == add; })) << "back on the button that opened the editor";
    EXPECT_EQ(page.toast()->toast(), AlertToast::result(true, english("Sys_Update_Succ")));
    page.addHost();
    EXPECT_EQ(fill({"sam"}), QString()) << "the default share: no tag, no code";
    ASSERT_TRUE(waitFor([&] { return page.editor() == nullptr; }));
    EXPECT_EQ(rows(), QStringList({"Pat's laptop | Host: pat   ·   Share Tag: Pics | locked",
                                   "sam | Host: sam   ·   Share Tag: default share"}));
    EXPECT_FALSE(page.findChild<QLabel *>("noHostLabel")->isVisible());

    // Editing changes that host only. The keyboard comes back to the button that opened the editor,
    // in the host's row as it is read again.
    rowButton(1, "editButton")->setFocus();
    rowButton(1, "editButton")->click();
    ASSERT_TRUE(page.editor() && !page.editor()->isNew());
    EXPECT_EQ(page.editor()->enteredHost().hostname, "sam");
    EXPECT_EQ(fill({"gamma", "Docs", QString(), "Office"}), QString());
    ASSERT_TRUE(waitFor([&] { return page.editor() == nullptr; }));
    EXPECT_EQ(rows(), QStringList({"Pat's laptop | Host: pat   ·   Share Tag: Pics | locked",
                                   "Office | Host: gamma   ·   Share Tag: Docs"}));
    EXPECT_EQ(RemoteSharing_List().value(0).password, "1234");
    EXPECT_TRUE(waitFor([&] { return page.focusWidget() == rowButton(1, "editButton"); }));

    // Deleting asks first, naming the host; cancel keeps it.
    for (const char *answer : {"cancelButton", "okButton"}) {
        rowButton(0, "deleteButton")->setFocus();
        rowButton(0, "deleteButton")->click();
        ASSERT_TRUE(waitFor([&] { return page.confirmDialog()->isVisible(); }));
        EXPECT_EQ(page.confirmDialog()->findChild<QLabel *>("infoLabel")->text(),
                  english("RS_DeleteHostInfo").arg("Pat's laptop"));
        page.confirmDialog()->findChild<QPushButton *>(QString::fromLatin1(answer))->click();
    }
    EXPECT_EQ(rows(), QStringList("Office | Host: gamma   ·   Share Tag: Docs"));
    EXPECT_EQ(RemoteSharing_List().size(), 1);
    // Its row gone with the host, the keyboard goes to the list.
    EXPECT_TRUE(waitFor([&] { return page.focusWidget() == rowButton(0, "editButton"); }));

    // Opened, its browser takes the page's place until the way back, which comes back to the row.
    rowButton(0, "openButton")->setFocus();
    rowButton(0, "openButton")->click();
    QPointer<ViewSharingRemoteFileList> opened = page.browser();
    ASSERT_FALSE(opened.isNull());
    ASSERT_TRUE(waitFor([&] { return opened->isConnected() && !opened->isLoading(); }));
    EXPECT_EQ(bridge.lastData("ClientInit")["Hostname"], "gamma");
    opened->findChild<QToolButton *>("backButton")->setFocus();
    opened->findChild<QToolButton *>("backButton")->click();
    EXPECT_EQ(page.browser(), nullptr);
    EXPECT_EQ(page.focusWidget(), rowButton(0, "openButton"));
    EXPECT_FALSE(opened->isVisible());
    // Deleted on the event loop's next turn (outside a running loop, deferred deletes are sent by hand).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(opened.isNull());
    EXPECT_EQ(page.findChild<QStackedWidget *>()->currentIndex(), 0);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    EXPECT_EQ(HelperRemoteSharing::globalFileListView, nullptr);

    // Another account's hosts are not shown: the page reads them afresh when shown.
    Env::userInfo.id_acc = 2;
    page.hide();
    page.show();
    EXPECT_TRUE(rows().isEmpty());
}
