#include "env.h"
#include "file_dialog_panels.h"
#include "shares_test_support.h"
#include "sharing_obj_list.h"
#include "sharing_tag_edit_view.h"
#include "toast_overlay.h"
#include "util_db.h"
#include "view_sharing_detail.h"
#include "view_sharing_local.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

// The local shares page, the cards on it (each a share's detail pane) and a card's tag editor,
// driven through their widgets as the user drives them.
namespace {

const QString consoleUrl = QStringLiteral("https://web.example.test/console");

class SharesPage : public SharesUiTest
{
protected:
    void showPage(const QList<SharingObjPtr> &shares = {})
    {
        list.setItems(shares);
        page = new ViewSharingLocal(list, consoleUrl, window.get());
        page->resize(window->size());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The links are brought up to date once the page is drawn.
        ASSERT_TRUE(waitForPostedEvents());
    }

    ViewSharingDetail *pane(const QString &tag) const
    {
        for (ViewSharingDetail *each : page->panes())
            if (each->sharingObj()->tag() == tag)
                return each;
        ADD_FAILURE() << "no card for " << tag.toStdString();
        return nullptr;
    }
    template <class Widget = QCheckBox>
    Widget *in(const QString &tag, const char *name) const
    {
        ViewSharingDetail *p = pane(tag);
        return p ? p->findChild<Widget *>(QString::fromLatin1(name)) : nullptr;
    }
    QString field(const QString &tag, const char *name) const
    {
        QLineEdit *edit = in<QLineEdit>(tag, name);
        return edit ? edit->text() : QStringLiteral("<none>");
    }
    QPushButton *button(const char *name) const { return page->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QLabel *notice() const { return page->findChild<QLabel *>(QStringLiteral("noShareNotice")); }

    // Presses the add button with the open panel answering chosen, on a later turn of the event loop.
    void addThroughPanel(const QStringList &chosen)
    {
        FileDialogPanels::setNextAnswer(chosen);
        click(button("addShareButton"));
        ASSERT_TRUE(waitForPostedEvents());
    }

    SharingObjList list;
    ViewSharingLocal *page = nullptr;
};

TEST_F(SharesPage, AddsOnlyAFolderThatIsThereUpToTheShareLimitAndRefusesPastIt)
{
    Env::userInfo.maxsharecount = 5;
    showPage({storeShare("S1", makeFolder("b1")), storeShare("S2", makeFolder("b2")), storeShare("S3", makeFolder("b3"))});
    // A cancelled panel, several folders at once and a folder that is gone add nothing.
    addThroughPanel({});
    addThroughPanel({makeFolder("c1"), makeFolder("c2")});
    addThroughPanel({makeFolder("c3") + "/gone"});
    EXPECT_TRUE(window->toasts.isEmpty());
    ASSERT_TRUE(FileDialogPanels::lastRequest());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose one file or folder");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);
    failInsertsInto("localshare");
    addThroughPanel({makeFolder("Music")});
    ASSERT_TRUE(UtilDB::exec("drop trigger fail_localshare").ok);
    const QString photos = makeFolder("a/Photos");
    addThroughPanel({photos});
    EXPECT_EQ(window->toasts, QList<AlertToast>({AlertToast::result(false, "Path Alread Exists!"),
                                                 AlertToast::result(true, "Done!")}));
    EXPECT_EQ(page->panes().size(), 4);
    EXPECT_EQ(page->panes().value(0)->sharingObj()->path(), photos) << "the list is reloaded in the store's order";
    addThroughPanel({photos});
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (5/5)") << "a folder shared again is a new share";

    // At the limit: the notice, and no panel at all.
    FileDialogPanels::clearNextAnswer();
    click(button("addShareButton"));
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_FALSE(FileDialogPanels::lastRequest());
    EXPECT_EQ(window->toasts.last(), AlertToast::notice(text("Sys_MaxLimitExceed")));
    EXPECT_EQ(rows("select count(*) from localshare"), "5");
}

TEST_F(SharesPage, TheHeaderTheNoticeAndTheCardsFollowTheLoginSheetTheAccountAndTheList)
{
    showPage();
    EXPECT_TRUE(notice()->isVisible());
    EXPECT_EQ(notice()->text(), text("LS_NoHost"));
    EXPECT_EQ(button("consoleButton")->text(), "Change Host Name (myhost)");
    click(button("consoleButton"));
    EXPECT_EQ(urls->opened, QList<QUrl>({QUrl(consoleUrl)}));

    page->setIsShowLogin(true);
    EXPECT_FALSE(notice()->isVisible());
    EXPECT_FALSE(button("consoleButton")->isVisible());
    EXPECT_EQ(button("addShareButton")->text(), "");
    // Shares stay on view behind the login sheet.
    list.setItems({storeShare("AB12", makeFolder("Photos")), storeShare("CD34", makeFolder("Music"))});
    EXPECT_TRUE(page->findChild<QScrollArea *>(QStringLiteral("shareScroll"))->isVisible());
    EXPECT_FALSE(notice()->isVisible());

    page->setIsShowLogin(false);
    Env::userInfo.hostname = QStringLiteral("abc");
    page->onUserInfoChanged();
    EXPECT_EQ(button("consoleButton")->text(), "Change Host Name (abc)");
    EXPECT_EQ(button("addShareButton")->text(), "Add Share  (2/10)");
    EXPECT_TRUE(waitFor([&] { return field("CD34", "linkField") == shareHostLink("abc") + "CD34"; }));
    // A share that leaves the list takes its card with it; the others keep theirs.
    ViewSharingDetail *kept = pane("CD34");
    list.setItems({list.items().at(1)});
    EXPECT_EQ(page->panes(), QList<ViewSharingDetail *>({kept}));
}

TEST_F(SharesPage, EverySwitchIsStoredAtOnceWithItsToastAndAFailureLeavesTheSwitchAsPut)
{
    showPage({storeShare("AB12", makeFolder("Photos"))});
    EXPECT_EQ(shareRow("AB12"), "AB12|" + list.items().at(0)->path() + "||1|0|1|1");
    // Delete carries the rights to create and rename files with it, in the one save.
    const auto rights = [] { return rows("select value from localshare_ext where key in ('FileNew','FileRename','FileDel')"); };
    struct Case {
        const char *name;
        QString stored;
    };
    for (const Case &each : {Case{"enabledSwitch", "0|0|1|1 0 0 0"}, Case{"downloadSwitch", "0|0|0|1 0 0 0"},
                             Case{"uploadSwitch", "0|1|0|1 0 0 0"}, Case{"deleteSwitch", "0|1|0|1 1 1 1"},
                             Case{"deleteSwitch", "0|1|0|1 0 0 0"}}) {
        click(in("AB12", each.name));
        // isenabled|isupload|isdownload|isdir, then FileNew, FileRename and FileDel
        EXPECT_EQ(shareRow("AB12").section(u'|', 3) + ' ' + rights(), each.stored) << each.name;
    }
    EXPECT_EQ(window->toasts, QList<AlertToast>(5, succeeded()));

    // A failed store: the red toast, the switch stays where it was put, the store keeps what it had.
    failInsertsInto("localshare");
    click(in("AB12", "uploadSwitch"));
    EXPECT_FALSE(in("AB12", "uploadSwitch")->isChecked());
    EXPECT_EQ(shareRow("AB12").section(u'|', 4, 4), "1");
    // Marked as default, a failed store makes no default either.
    click(in("AB12", "defaultSwitch"));
    EXPECT_EQ(window->toasts.mid(5), QList<AlertToast>(2, failed()));
    EXPECT_EQ(defaultTags(), "");
}

TEST_F(SharesPage, TheDefaultMovesFromOneShareToAnotherAndBothLinksFollow)
{
    showPage({storeShare("AB12", makeFolder("Photos"), {}, true, true), storeShare("CD34", makeFolder("Music"))});
    const auto links = [&] { return field("AB12", "linkField") + ' ' + field("CD34", "linkField"); };
    const auto marks = [&] { return QString("%1%2").arg(in<QLabel>("AB12", "defaultMark")->isVisible())
                                                   .arg(in<QLabel>("CD34", "defaultMark")->isVisible()); };
    const QString host = shareHostLink("myhost");
    EXPECT_EQ(links(), host + ' ' + host + "CD34");
    EXPECT_EQ(marks(), "10");

    click(in("CD34", "defaultSwitch"));
    EXPECT_EQ(defaultTags(), "CD34");
    EXPECT_FALSE(in("AB12", "defaultSwitch")->isChecked()) << "turned off without a touch";
    // Both shares were stored: two update toasts.
    EXPECT_TRUE(waitFor([&] { return window->toasts.size() >= 2 && links() == host + "AB12 " + host; }));
    EXPECT_EQ(window->toasts, QList<AlertToast>(2, succeeded()));
    EXPECT_EQ(marks(), "01");

    // Off again: the account has no default share and the link carries its tag again.
    click(in("CD34", "defaultSwitch"));
    EXPECT_EQ(defaultTags(), "");
    EXPECT_TRUE(waitFor([&] { return links() == host + "AB12 " + host + "CD34"; }));
    EXPECT_EQ(window->toasts.size(), 3);
}

TEST_F(SharesPage, ThePreviousDefaultIsSavedAfterTheNewOneAndItsFailureIsShownLast)
{
    showPage({storeShare("AB12", makeFolder("Photos"), {}, true, true), storeShare("CD34", makeFolder("Music"))});
    failInsertsInto("localshare", "new.tag = 'AB12'");
    click(in("CD34", "defaultSwitch"));
    EXPECT_TRUE(waitFor([&] { return window->toasts.size() >= 2; }));
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded(), failed()})) << "the new default's toast, then the other's";
    EXPECT_EQ(window->toastOverlay.toast(), failed()) << "the failure is the toast left showing";
    EXPECT_EQ(defaultTags(), "CD34");
}

TEST_F(SharesPage, ANewDefaultThatCannotBeMarkedLeavesTheOldOneTheOnlyDefault)
{
    showPage({storeShare("AB12", makeFolder("Photos"), {}, true, true), storeShare("CD34", makeFolder("Music"))});
    ASSERT_TRUE(UtilDB::exec("create trigger no_new_default before update on localshare_ext"
                             " when new.key='IsDefault' and new.value='1' begin select raise(abort, 'disk is full'); end")
                    .ok);
    click(in("CD34", "defaultSwitch"));
    EXPECT_TRUE(waitFor([&] { return !window->toasts.isEmpty(); }));
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_EQ(window->toasts, QList<AlertToast>({failed()}));
    EXPECT_EQ(defaultTags(), "AB12");
    EXPECT_TRUE(in("AB12", "defaultSwitch")->isChecked()) << "the old default is still the default";
}

TEST_F(SharesPage, AFileShareShowsItsKindAndNoRightsAndOnlyAFolderThereChangesItsPath)
{
    const QString music = makeFolder("Music");
    showPage({storeShare("AB12", makeFolder("Photos")), storeShare("EF56", makeFolder("docs") + "/notes.txt", {}, false)});
    EXPECT_EQ(in<QLabel>("EF56", "kindLabel")->text(), "Sharing File");
    EXPECT_FALSE(in<QWidget>("EF56", "rightsRow")->isVisible());
    EXPECT_EQ(in<QLabel>("AB12", "kindLabel")->text(), text("LS_SharingFolder"));
    EXPECT_TRUE(in<QWidget>("AB12", "rightsRow")->isVisible());

    // A cancelled panel changes nothing.
    FileDialogPanels::setNextAnswer({});
    click(in<QToolButton>("EF56", "choosePathButton"));
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_TRUE(window->toasts.isEmpty());
    ASSERT_TRUE(FileDialogPanels::lastRequest());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose one file or folder");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);
    // A folder as the file share's new path changes the path only.
    FileDialogPanels::setNextAnswer({music});
    click(in<QToolButton>("EF56", "choosePathButton"));
    EXPECT_TRUE(waitFor([&] { return shareRow("EF56") == "EF56|" + music + "||1|0|1|0"; }));
    EXPECT_EQ(field("EF56", "pathField"), music);
    EXPECT_EQ(in<QLabel>("EF56", "kindLabel")->text(), "Sharing File");
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded()}));
}

TEST_F(SharesPage, TheAccessCodeIsSetAndClearedThroughTheInputDialog)
{
    showPage({storeShare("AB12", makeFolder("Photos"))});
    EXPECT_EQ(in<QLineEdit>("AB12", "accessCodeField")->placeholderText(), text("LS_NoPassword"));
    DialogInputView &dialog = window->inputView;
    auto *entry = dialog.findChild<QLineEdit *>("inputField");
    // Typed and accepted, cleared with an empty entry, and cancelled, each from a field that starts empty.
    for (const auto &[typed, pressed, stored, shown] :
         {std::tuple{"Secret42", "okButton", "Secret42", "??????"}, std::tuple{"", "okButton", "", ""},
          std::tuple{"Other123", "cancelButton", "", ""}}) {
        click(in<QToolButton>("AB12", "accessCodeButton"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(window->dialogInputSetting().title(), text("LS_AccessCodeSetTitle"));
        EXPECT_FALSE(dialog.findChild<QLabel *>("tipsLabel")->isVisible()) << "the dialog asks without a hint line";
        EXPECT_EQ(entry->text(), "") << "the current code is not offered";
        QTest::keyClicks(entry, typed);
        click(dialog.findChild<QPushButton *>(pressed));
        EXPECT_TRUE(waitFor([&] { return !dialog.isVisible(); }));
        EXPECT_EQ(shareRow("AB12").section(u'|', 2, 2), stored) << typed;
        EXPECT_EQ(field("AB12", "accessCodeField"), shown) << typed;
    }
    EXPECT_EQ(window->toasts, QList<AlertToast>(2, succeeded())) << "Cancel stores nothing and shows nothing";
}

TEST_F(SharesPage, RemovalNeedsTheConfirmation)
{
    const QString photos = makeFolder("Photos");
    showPage({storeShare("AB12", photos), storeShare("CD34", makeFolder("Music"))});
    DialogConfirmView &dialog = window->confirmView;
    for (const char *pressed : {"cancelButton", "okButton"}) {
        click(in<QPushButton>("AB12", "removeButton"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(window->dialogConfirmSetting().title(), "Fenmar");
        EXPECT_EQ(window->dialogConfirmSetting().info(), text("LS_RemoveInfo") + "\n" + photos);
        click(dialog.findChild<QPushButton *>(pressed));
        EXPECT_TRUE(waitFor([&] { return !dialog.isVisible(); }));
        EXPECT_EQ(page->panes().size(), QString(pressed) == "okButton" ? 1 : 2) << pressed;
    }
    EXPECT_EQ(rows("select distinct tag from localshare union select distinct tag from localshare_ext"), "CD34");
    EXPECT_EQ(window->toasts, QList<AlertToast>({succeeded()}));
}

TEST_F(SharesPage, EveryIconButtonIsReachedWithTabOpensWhatItShouldAndKeepsTheKeyboardAsTheCardNarrows)
{
    const QString photos = makeFolder("Photos");
    showPage({storeShare("AB12", photos)});
    ViewSharingDetail *card = pane("AB12");
    in<QLineEdit>("AB12", "pathField")->setFocus();
    QStringList reached;
    for (int i = 0; i < 20 && card->isAncestorOf(QApplication::focusWidget()); ++i) {
        reached << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Return or Space on each opens what a click opens; each says what it does.
    FileDialogPanels::setNextAnswer({});
    const QList<std::tuple<const char *, Qt::Key, std::function<bool()>>> presses{
        {"choosePathButton", Qt::Key_Return, [] { return FileDialogPanels::lastRequest().has_value(); }},
        {"openPathButton", Qt::Key_Space, [&] { return urls->opened.value(0) == QUrl::fromLocalFile(photos + "/"); }},
        {"editTagButton", Qt::Key_Return, [card] { return card->tagEditor() && card->tagEditor()->isVisible(); }},
        {"openLinkButton", Qt::Key_Return, [&] { return urls->opened.value(1) == QUrl(shareHostLink("myhost") + "AB12"); }},
        {"accessCodeButton", Qt::Key_Space, [&] { return window->inputView.isVisible(); }}};
    for (const auto &[name, key, opened] : presses) {
        EXPECT_TRUE(reached.contains(name)) << name << " not reached: " << reached.join(' ').toStdString();
        QToolButton *button = in<QToolButton>("AB12", name);
        EXPECT_FALSE(button->toolTip().isEmpty()) << name;
        button->setFocus();
        QTest::keyClick(button, key);
        EXPECT_TRUE(waitFor(opened)) << name;
        if (card->tagEditor())
            card->tagEditor()->reject();
    }
    EXPECT_EQ(in<QToolButton>("AB12", "editTagButton")->toolTip(), "Customize the access URL");
    // A card that narrows or widens keeps the keyboard on the controls it moves between its rows,
    // also on the lock behind the dialog it opened: the window gives it back once the dialog is gone.
    const auto setWidth = [&](int width) {
        page->resize(width, page->height());
        ASSERT_TRUE(waitFor([&] { return card->isCompact() == (width == 500); })) << width;
    };
    window->inputView.reject();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget *lock = in<QWidget>("AB12", "accessCodeButton");
    lock->setFocus();
    QTest::keyClick(lock, Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return window->inputView.isVisible(); }));
    setWidth(500);
    window->inputView.reject();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == window.get(); }));
    EXPECT_EQ(QApplication::focusWidget(), lock);
    for (const char *name : {"removeButton", "accessCodeButton"}) {
        in<QWidget>("AB12", name)->setFocus();
        for (const int width : {960, 500}) {
            setWidth(width);
            EXPECT_EQ(QApplication::focusWidget(), in<QWidget>("AB12", name)) << name << " " << width;
        }
    }
}

// ---- A card's tag editor --------------------------------------------------------------------------

class TagEditor : public SharesPage
{
protected:
    void SetUp() override
    {
        SharesPage::SetUp();
        showPage({storeShare("AB12", makeFolder("Photos")), storeShare("PHOTOS", makeFolder("Pictures"))});
        share = list.items().at(0);
        card = pane("AB12");
        open();
    }
    void open()
    {
        click(card->findChild<QToolButton *>("editTagButton"));
        editor = card->tagEditor();
        ASSERT_TRUE(editor && QTest::qWaitForWindowExposed(editor));
    }

    QLineEdit *entry() const { return editor->findChild<QLineEdit *>("tagField"); }
    // Puts text in the field (as an input method gives what the test keyboard cannot) and presses OK.
    void enter(const QString &text) const
    {
        entry()->setText(text);
        click(editor->findChild<QPushButton *>("okButton"));
    }
    bool closed() const { return waitFor([&] { return !card->tagEditor() && !card->isShowEditTagVie(); }); }

    SharingObjPtr share;
    ViewSharingDetail *card = nullptr;
    SharingTagEditView *editor = nullptr;
};

TEST_F(TagEditor, RefusesTagsThatBreakTheCharacterRuleOrAreTakenWhateverTheirCase)
{
    for (const auto &[tag, key] : {std::pair{"", "Sys_Toast_CharNum"}, std::pair{"two words", "Sys_Toast_CharNum"},
                                   std::pair{"a-b", "Sys_Toast_CharNum"}, std::pair{"a_b", "Sys_Toast_CharNum"},
                                   std::pair{"caf\u00e9", "Sys_Toast_CharNum"},
                                   std::pair{"1234567890123456789012345678901", "Sys_Toast_CharNum"},
                                   std::pair{"photos", "LS_ExistsSharingTag"},
                                   std::pair{"ab12", "LS_ExistsSharingTag"}}) {
        enter(QString::fromUtf8(tag));
        EXPECT_TRUE(editor->toast()->isShowing()) << tag;
        EXPECT_EQ(editor->toast()->toast(), AlertToast::banner(text(key))) << tag;
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(share->tag() + share->tagOld(), "AB12");
        editor->toast()->dismiss();
    }
    EXPECT_EQ(editor->toast()->duration(), std::chrono::milliseconds(1880)) << "a panel's toast time";
    EXPECT_EQ(rows("select tag from localshare order by rowid"), "AB12 PHOTOS");
}

TEST_F(TagEditor, OpensWithTheTagAndStoresANewOneOfThirtyCharactersAndTheLinkFollows)
{
    EXPECT_TRUE(card->isShowEditTagVie());
    EXPECT_EQ(entry()->text(), "AB12");
    EXPECT_EQ(editor->findChild<QLabel *>("titleLabel")->text(), text("LS_EditSharingTag"));
    const QString tag = QStringLiteral("Holiday2024PhotosAndVideos1234");
    ASSERT_EQ(tag.size(), 30);
    entry()->setText(tag);
    EXPECT_EQ(editor->findChild<QLabel *>("linkLabel")->text(), shareHostLink("myhost") + "AB12")
        << "the stored tag's link, not the text being typed";
    enter(tag);
    EXPECT_TRUE(closed());
    EXPECT_EQ(share->tag() + '|' + share->tagOld(), tag + '|');
    EXPECT_EQ(rows("select tag, path from localshare order by tag"),
              tag + '|' + share->path() + " PHOTOS|" + list.items()[1]->path());
    EXPECT_EQ(field(tag, "linkField"), shareHostLink("myhost") + tag);
    EXPECT_TRUE(window->toasts.isEmpty()) << "the editor keeps to its own toasts";
}

TEST_F(TagEditor, OKWithoutAChangeStoresNothingReturnSavesAndCancelLeavesTheTag)
{
    failInsertsInto("localshare");
    click(editor->findChild<QPushButton *>("okButton"));
    EXPECT_TRUE(closed()) << "an unchanged tag closes the editor without a store call";
    ASSERT_TRUE(UtilDB::exec("drop trigger fail_localshare").ok);

    open();
    QTest::keyClicks(entry(), "Changed");
    click(editor->findChild<QPushButton *>("cancelButton"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(share->tag() + share->tagOld(), "AB12");

    open();
    EXPECT_EQ(entry()->text(), "AB12") << "a fresh editor";
    entry()->clear();
    QTest::keyClicks(entry(), "Music");
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_TRUE(closed());
    EXPECT_EQ(rows("select tag from localshare order by rowid"), "PHOTOS Music");
}

TEST_F(TagEditor, WhenTheStoreRefusesTheShareKeepsItsOldTag)
{
    failInsertsInto("localshare");
    enter("Music");
    EXPECT_EQ(editor->toast()->toast(), AlertToast::banner(text("Sys_Update_Failed")));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(share->tag() + share->tagOld(), "AB12");
    click(editor->findChild<QPushButton *>("cancelButton"));
    EXPECT_TRUE(closed());

    // Once the store works again, a later save of the share keeps it one share under its tag.
    ASSERT_TRUE(UtilDB::exec("drop trigger fail_localshare").ok);
    click(in("AB12", "uploadSwitch"));
    EXPECT_EQ(rows("select tag, isupload from localshare order by tag"), "AB12|1 PHOTOS|0");
}

} // namespace
