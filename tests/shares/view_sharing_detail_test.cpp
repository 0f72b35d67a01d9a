#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "file_dialog_panels.h"
#include "local_share_store.h"
#include "shares_test_support.h"
#include "sharing_obj_list.h"
#include "toast_overlay.h"
#include "util_db.h"
#include "view_sharing_detail.h"
#include "sharing_tag_edit_view.h"
#include "view_sharing_local.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

// Shares on the local shares page, each card driven through its own pane's widgets.
class ShareDetail : public SharesUiTest
{
protected:
    void SetUp() override
    {
        SharesUiTest::SetUp();
        photos = makeFolder("Photos");
        music = makeFolder("Music");
    }

    void showPage(const QList<SharingObjPtr> &shares)
    {
        list.setItems(shares);
        page = new ViewSharingLocal(list, QString(), window.get());
        page->resize(window->size());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The links are brought up to date once the page is drawn.
        QTest::qWait(10);
    }

    ViewSharingDetail *pane(const QString &tag) const
    {
        for (ViewSharingDetail *each : page->panes())
            if (each->sharingObj()->tag() == tag)
                return each;
        ADD_FAILURE() << "no card for " << tag.toStdString();
        return nullptr;
    }

    template <class Widget>
    Widget *in(const QString &tag, const char *name) const
    {
        ViewSharingDetail *p = pane(tag);
        return p ? p->findChild<Widget *>(QString::fromLatin1(name)) : nullptr;
    }

    QCheckBox *switchOf(const QString &tag, const char *name) const { return in<QCheckBox>(tag, name); }
    QString field(const QString &tag, const char *name) const
    {
        QLineEdit *edit = in<QLineEdit>(tag, name);
        return edit ? edit->text() : QStringLiteral("<none>");
    }

    AlertToast succeeded() const { return AlertToast::result(true, toastText("Sys_Update_Succ")); }
    AlertToast failed() const { return AlertToast::result(false, toastText("Sys_Update_Failed")); }

    QString photos;
    QString music;
    SharingObjList list;
    ViewSharingLocal *page = nullptr;
};

TEST_F(ShareDetail, EverySwitchIsStoredAtOnceWithItsToast)
{
    showPage({storeShare("AB12", photos)});
    const QStringList stored = shareRow("AB12");
    EXPECT_EQ(stored, QStringList({"AB12", photos, "", "1", "0", "1", "1"}));

    click(switchOf("AB12", "enabledSwitch"));
    click(switchOf("AB12", "downloadSwitch"));
    click(switchOf("AB12", "uploadSwitch"));
    EXPECT_EQ(shareRow("AB12"), QStringList({"AB12", photos, "", "0", "1", "0", "1"}));
    EXPECT_EQ(window->toasts, QList<AlertToast>(3, succeeded()));

    // Delete carries the rights to create and rename files with it, in the one save.
    click(switchOf("AB12", "deleteSwitch"));
    EXPECT_EQ(setting("AB12", "FileDel"), "1");
    EXPECT_EQ(setting("AB12", "FileNew"), "1");
    EXPECT_EQ(setting("AB12", "FileRename"), "1");
    EXPECT_EQ(window->toasts.size(), 4);
    click(switchOf("AB12", "deleteSwitch"));
    EXPECT_EQ(setting("AB12", "FileDel"), "0");
    EXPECT_EQ(setting("AB12", "FileNew"), "0");
    EXPECT_EQ(setting("AB12", "FileRename"), "0");

    // What is stored is what a fresh load shows.
    const QList<SharingObjPtr> loaded = LocalShare_List("AB12", false, false);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_FALSE(loaded.first()->isenabled());
    EXPECT_TRUE(loaded.first()->isupload());
    EXPECT_FALSE(loaded.first()->isdownload());
    EXPECT_FALSE(loaded.first()->isfiledel());
}

TEST_F(ShareDetail, TheDefaultMovesFromOneShareToAnotherAndBothLinksFollow)
{
    showPage({storeShare("AB12", photos, {}, true, true), storeShare("CD34", music)});
    EXPECT_EQ(field("AB12", "linkField"), shareHostLink("myhost"));
    EXPECT_EQ(field("CD34", "linkField"), shareHostLink("myhost") + "CD34");
    EXPECT_TRUE(switchOf("AB12", "defaultSwitch")->isChecked());
    EXPECT_TRUE(in<QLabel>("AB12", "defaultMark")->isVisible());
    EXPECT_FALSE(in<QLabel>("CD34", "defaultMark")->isVisible());

    click(switchOf("CD34", "defaultSwitch"));
    EXPECT_EQ(defaultTags(), QStringList({"CD34"}));
    EXPECT_FALSE(switchOf("AB12", "defaultSwitch")->isChecked()) << "turned off without a touch";
    EXPECT_TRUE(switchOf("CD34", "defaultSwitch")->isChecked());
    // Both shares were stored: two update toasts.
    EXPECT_TRUE(waitFor([&] { return window->toasts.size() >= 2; }));
    EXPECT_EQ(window->toasts, QList<AlertToast>(2, succeeded()));
    EXPECT_TRUE(waitFor([&] { return field("CD34", "linkField") == shareHostLink("myhost"); }));
    EXPECT_TRUE(waitFor([&] { return field("AB12", "linkField") == shareHostLink("myhost") + "AB12"; }));
    EXPECT_TRUE(in<QLabel>("CD34", "defaultMark")->isVisible());
    EXPECT_FALSE(in<QLabel>("AB12", "defaultMark")->isVisible());

    // Off again: the account has no default share and the link carries its tag again.
    click(switchOf("CD34", "defaultSwitch"));
    EXPECT_TRUE(defaultTags().isEmpty());
    EXPECT_TRUE(waitFor([&] { return field("CD34", "linkField") == shareHostLink("myhost") + "CD34"; }));
    EXPECT_EQ(window->toasts.size(), 3);
}

TEST_F(ShareDetail, ThePreviousDefaultIsSavedAfterTheNewOneAndItsFailureIsShownLast)
{
    showPage({storeShare("AB12", photos, {}, true, true), storeShare("CD34", music)});
    // Storing the previous default fails, as on a full disk.
    ASSERT_TRUE(UtilDB::exec("create trigger fail_ab12 before insert on localshare when new.tag = 'AB12' "
                             "begin select raise(abort, 'disk is full'); end")
                    .ok);

    click(switchOf("CD34", "defaultSwitch"));
    EXPECT_TRUE(waitFor([&] { return window->toasts.size() >= 2; }));
    QTest::qWait(20);
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded(), failed()})) << "the new default's toast, then the other's";
    EXPECT_EQ(window->toastOverlay().toast(), failed()) << "the failure is the toast left showing";
    EXPECT_EQ(defaultTags(), QStringList({"CD34"}));
}

TEST_F(ShareDetail, AFileShareShowsItsKindAndNoVisitorRights)
{
    const QString file = makeFile("notes.txt");
    showPage({storeShare("AB12", photos), storeShare("EF56", file, {}, false)});
    EXPECT_EQ(in<QLabel>("EF56", "kindLabel")->text(), "Sharing File");
    EXPECT_FALSE(in<QWidget>("EF56", "rightsRow")->isVisible());
    EXPECT_EQ(in<QLabel>("AB12", "kindLabel")->text(), toastText("LS_SharingFolder"));
    EXPECT_TRUE(in<QWidget>("AB12", "rightsRow")->isVisible());

    // A folder as the file share's new path changes the path only.
    FileDialogPanels::setNextAnswer({music});
    click(in<QToolButton>("EF56", "choosePathButton"));
    EXPECT_TRUE(waitFor([&] { return shareRow("EF56").value(1) == music; }));
    EXPECT_EQ(shareRow("EF56").value(6), "0");
    EXPECT_EQ(field("EF56", "pathField"), music);
    EXPECT_EQ(in<QLabel>("EF56", "kindLabel")->text(), "Sharing File");
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded()}));
}

TEST_F(ShareDetail, ACancelledOrManyFolderPathChoiceChangesNothing)
{
    showPage({storeShare("AB12", photos)});
    for (const QStringList &answer : {QStringList(), QStringList({music, photos})}) {
        FileDialogPanels::setNextAnswer(answer);
        click(in<QToolButton>("AB12", "choosePathButton"));
        QTest::qWait(20);
    }
    ASSERT_TRUE(FileDialogPanels::lastRequest());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose folders to share");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);
    EXPECT_EQ(shareRow("AB12").value(1), photos);
    EXPECT_EQ(field("AB12", "pathField"), photos);
    EXPECT_TRUE(window->toasts.isEmpty());
}

TEST_F(ShareDetail, TheAccessCodeIsSetAndClearedThroughTheInputDialog)
{
    showPage({storeShare("AB12", photos)});
    EXPECT_EQ(field("AB12", "accessCodeField"), "");
    EXPECT_EQ(in<QLineEdit>("AB12", "accessCodeField")->placeholderText(), toastText("LS_NoPassword"));

    click(in<QToolButton>("AB12", "accessCodeButton"));
    DialogInputView &dialog = window->inputView();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(window->dialogInputSetting().title(), toastText("LS_AccessCodeSetTitle"));
    auto *entry = dialog.findChild<QLineEdit *>("inputField");
    EXPECT_TRUE(entry->text().isEmpty()) << "the current code is not offered";
    QTest::keyClicks(entry, "Secret42");
    click(dialog.findChild<QPushButton *>("okButton"));
    EXPECT_TRUE(waitFor([&] { return shareRow("AB12").value(2) == "Secret42"; }));
    EXPECT_EQ(field("AB12", "accessCodeField"), "??????");
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded()}));
    EXPECT_TRUE(LocalShare_CheckPassword("AB12", "secret42"));

    // An empty entry removes the code.
    click(in<QToolButton>("AB12", "accessCodeButton"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(entry->text().isEmpty());
    click(dialog.findChild<QPushButton *>("okButton"));
    EXPECT_TRUE(waitFor([&] { return shareRow("AB12").value(2).isEmpty(); }));
    EXPECT_EQ(field("AB12", "accessCodeField"), "");
    EXPECT_EQ(window->toasts.size(), 2);

    // Cancel stores nothing and shows nothing.
    click(in<QToolButton>("AB12", "accessCodeButton"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(entry, "Other123");
    click(dialog.findChild<QPushButton *>("cancelButton"));
    QTest::qWait(20);
    EXPECT_EQ(shareRow("AB12").value(2), "");
    EXPECT_EQ(window->toasts.size(), 2);
}

TEST_F(ShareDetail, RemovalNeedsTheConfirmation)
{
    showPage({storeShare("AB12", photos), storeShare("CD34", music)});
    click(in<QPushButton>("AB12", "removeButton"));
    DialogConfirmView &dialog = window->confirmView();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(window->dialogConfirmSetting().title(), "Fenmar");
    EXPECT_EQ(window->dialogConfirmSetting().info(), toastText("LS_RemoveInfo") + "\n" + photos);

    click(dialog.findChild<QPushButton *>("cancelButton"));
    EXPECT_TRUE(waitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(shareCount(), 2);
    EXPECT_EQ(page->panes().size(), 2);
    EXPECT_TRUE(window->toasts.isEmpty());

    click(in<QPushButton>("AB12", "removeButton"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    click(dialog.findChild<QPushButton *>("okButton"));
    EXPECT_TRUE(shareRow("AB12").isEmpty());
    EXPECT_TRUE(setting("AB12", "IsDefault").isEmpty()) << "its settings go with it";
    EXPECT_EQ(shareCount(), 1);
    ASSERT_EQ(page->panes().size(), 1);
    EXPECT_EQ(page->panes().first()->sharingObj()->tag(), "CD34");
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded()}));
}

TEST_F(ShareDetail, AFailedStoreShowsTheRedToastAndTheSwitchStaysWhereItWasPut)
{
    showPage({storeShare("AB12", photos)});
    failInsertsInto("localshare");
    click(switchOf("AB12", "uploadSwitch"));
    EXPECT_EQ(window->toasts, QList<AlertToast>({failed()}));
    EXPECT_TRUE(switchOf("AB12", "uploadSwitch")->isChecked());
    EXPECT_EQ(shareRow("AB12").value(4), "0") << "the store keeps what it had";

    // Marked as default, a failed store makes no default either.
    click(switchOf("AB12", "defaultSwitch"));
    EXPECT_EQ(window->toasts.size(), 2);
    EXPECT_EQ(window->toasts.last(), failed());
    EXPECT_TRUE(defaultTags().isEmpty());
}

TEST_F(ShareDetail, TheLinkAndTheFolderOpenOnTheDesktop)
{
    showPage({storeShare("AB12", photos)});
    click(in<QToolButton>("AB12", "openLinkButton"));
    click(in<QToolButton>("AB12", "openPathButton"));
    ASSERT_EQ(openedUrls().size(), 2);
    EXPECT_EQ(openedUrls().at(0), QUrl(shareHostLink("myhost") + "AB12"));
    EXPECT_EQ(openedUrls().at(1), QUrl::fromLocalFile(photos + "/"));
    EXPECT_EQ(in<QToolButton>("AB12", "editTagButton")->toolTip(), "Customize the access URL");
}

TEST_F(ShareDetail, EveryIconButtonIsReachedWithTabAndPressedFromTheKeyboard)
{
    showPage({storeShare("AB12", photos)});
    ViewSharingDetail *card = pane("AB12");
    ASSERT_TRUE(card);

    // Tab from the path field walks the card; each icon button comes, with a tooltip.
    const QStringList icons{"choosePathButton", "openPathButton", "editTagButton", "openLinkButton", "accessCodeButton"};
    in<QLineEdit>("AB12", "pathField")->setFocus();
    QStringList reached;
    for (int i = 0; i < 20 && card->isAncestorOf(QApplication::focusWidget()); ++i) {
        reached << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (const QString &name : icons) {
        EXPECT_TRUE(reached.contains(name)) << name.toStdString() << " not reached: " << reached.join(' ').toStdString();
        EXPECT_FALSE(in<QToolButton>("AB12", name.toLatin1().constData())->toolTip().isEmpty()) << name.toStdString();
    }

    // Space or Return on each opens what a click opens.
    struct Press {
        const char *button;
        Qt::Key key;
        std::function<bool()> opened;
    };
    FileDialogPanels::setNextAnswer({});
    const QList<Press> presses{
        {"choosePathButton", Qt::Key_Return, [] { return FileDialogPanels::lastRequest().has_value(); }},
        {"openPathButton", Qt::Key_Space, [this] { return openedUrls().size() == 1; }},
        {"editTagButton", Qt::Key_Return, [card] { return card->tagEditor() && card->tagEditor()->isVisible(); }},
        {"openLinkButton", Qt::Key_Return, [this] { return openedUrls().size() == 2; }},
        {"accessCodeButton", Qt::Key_Space, [this] { return window->inputView().isVisible(); }},
    };
    for (const Press &press : presses) {
        QToolButton *button = in<QToolButton>("AB12", press.button);
        button->setFocus();
        QTest::keyClick(button, press.key);
        EXPECT_TRUE(waitFor(press.opened)) << press.button;
        if (card->tagEditor())
            card->tagEditor()->reject();
    }
    // The access-code dialog states its rules before anything is typed.
    EXPECT_EQ(window->dialogInputSetting().tips(), toastText("LS_AccessCodeRule"));
}

TEST_F(ShareDetail, ACardThatNarrowsOrWidensKeepsTheKeyboardOnTheControlsItMoves)
{
    showPage({storeShare("AB12", photos)});
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ViewSharingDetail *card = pane("AB12");
    ASSERT_TRUE(card);
    const auto setWidth = [&](int width, bool compact) {
        page->resize(width, page->height());
        ASSERT_TRUE(waitFor([&] { return card->isCompact() == compact; })) << width;
    };
    // One control of each group that moves between the rows, and the lock again behind the dialog
    // it opens: the window gets the keyboard back on it once the dialog is gone.
    for (const char *name : {"removeButton", "accessCodeButton"}) {
        QWidget *control = in<QWidget>("AB12", name);
        control->setFocus();
        setWidth(500, true);
        EXPECT_EQ(QApplication::focusWidget(), control) << name << " narrow";
        setWidth(960, false);
        EXPECT_EQ(QApplication::focusWidget(), control) << name << " wide";
    }
    QWidget *lock = in<QWidget>("AB12", "accessCodeButton");
    lock->setFocus();
    QTest::keyClick(lock, Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return window->inputView().isVisible(); }));
    setWidth(500, true);
    window->inputView().reject();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == window.get(); }));
    EXPECT_EQ(QApplication::focusWidget(), lock);
}

} // namespace
