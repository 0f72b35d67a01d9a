#include "local_share_store.h"
#include "shares_test_support.h"
#include "sharing_obj_list.h"
#include "sharing_tag_edit_view.h"
#include "toast_overlay.h"
#include "util_db.h"
#include "view_sharing_detail.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

// The tag editor as a share's card opens it.
class TagEditor : public SharesUiTest
{
protected:
    void SetUp() override
    {
        SharesUiTest::SetUp();
        share = storeShare("AB12", makeFolder("Photos"));
        other = storeShare("PHOTOS", makeFolder("Pictures"));
        list.setItems({share, other});
        pane = new ViewSharingDetail(share, list, window.get());
        pane->resize(900, 130);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    SharingTagEditView *open()
    {
        click(pane->findChild<QToolButton *>("editTagButton"));
        SharingTagEditView *editor = pane->tagEditor();
        EXPECT_NE(editor, nullptr);
        if (editor) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(editor));
        }
        return editor;
    }

    static QLineEdit *entry(SharingTagEditView *editor) { return editor->findChild<QLineEdit *>("tagField"); }

    // Types text over the field's content and presses OK.
    static void enter(SharingTagEditView *editor, const QString &text)
    {
        entry(editor)->selectAll();
        QTest::keyClick(entry(editor), Qt::Key_Delete);
        // The test keyboard types ASCII only; other text arrives as an input method would give it.
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(entry(editor), text);
        else
            entry(editor)->insert(text);
        click(editor->findChild<QPushButton *>("okButton"));
    }

    bool closed() const
    {
        return waitFor([&] { return pane->tagEditor() == nullptr && !pane->isShowEditTagVie(); });
    }

    QString shownLink() const { return pane->findChild<QLineEdit *>("linkField")->text(); }

    SharingObjPtr share;
    SharingObjPtr other;
    SharingObjList list;
    ViewSharingDetail *pane = nullptr;
};

TEST_F(TagEditor, OpensWithTheCurrentTagAndTheShareLink)
{
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(pane->isShowEditTagVie());
    EXPECT_EQ(entry(editor)->text(), "AB12");
    EXPECT_EQ(editor->findChild<QLabel *>("linkLabel")->text(), shareHostLink("myhost") + "AB12");
    EXPECT_EQ(editor->findChild<QLabel *>("titleLabel")->text(), toastText("LS_EditSharingTag"));

    // Typing does not change the link: it always shows the stored tag.
    QTest::keyClicks(entry(editor), "XY");
    EXPECT_EQ(editor->findChild<QLabel *>("linkLabel")->text(), shareHostLink("myhost") + "AB12");
}

TEST_F(TagEditor, RefusesTagsThatBreakTheCharacterRule)
{
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    for (const QString &bad : {QString(), QStringLiteral("two words"), QStringLiteral("a-b"), QStringLiteral("a_b"),
                               QString(31, u'x'), QStringLiteral("caf\u00e9")}) {
        enter(editor, bad);
        EXPECT_TRUE(editor->toast()->isShowing()) << bad.toStdString();
        EXPECT_EQ(editor->toast()->toast(), AlertToast::banner(toastText("Sys_Toast_CharNum"))) << bad.toStdString();
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(share->tag(), "AB12");
        EXPECT_TRUE(share->tagOld().isEmpty());
        editor->toast()->dismiss();
    }
    EXPECT_EQ(shareRow("AB12").value(0), "AB12");
}

TEST_F(TagEditor, RefusesATagInUseAndAChangeOfLetterCaseOnly)
{
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    for (const QString &taken : {QStringLiteral("photos"), QStringLiteral("ab12")}) {
        enter(editor, taken);
        EXPECT_EQ(editor->toast()->toast(), AlertToast::banner(toastText("LS_ExistsSharingTag"))) << taken.toStdString();
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(share->tag(), "AB12");
    }
    EXPECT_EQ(shareRow("AB12").value(0), "AB12");
    EXPECT_EQ(shareCount(), 2);
}

TEST_F(TagEditor, StoresANewTagOfThirtyCharactersAndTheLinkFollows)
{
    const QString tag = QStringLiteral("Holiday2024PhotosAndVideos1234");
    ASSERT_EQ(tag.size(), 30);
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    enter(editor, tag);
    EXPECT_TRUE(closed());
    EXPECT_EQ(share->tag(), tag);
    EXPECT_TRUE(share->tagOld().isEmpty());
    EXPECT_TRUE(shareRow("AB12").isEmpty());
    EXPECT_EQ(shareRow(tag).value(1), share->path());
    EXPECT_EQ(shareCount(), 2);
    EXPECT_EQ(shownLink(), shareHostLink("myhost") + tag);
    // The editor keeps to its own toasts: the main window shows none for a rename.
    EXPECT_TRUE(window->toasts.isEmpty());
}

TEST_F(TagEditor, ReturnInTheFieldSaves)
{
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    entry(editor)->clear();
    QTest::keyClicks(entry(editor), "Music");
    QTest::keyClick(entry(editor), Qt::Key_Return);
    EXPECT_TRUE(closed());
    EXPECT_EQ(shareRow("Music").value(0), "Music");
}

TEST_F(TagEditor, OKWithoutAChangeClosesWithoutStoring)
{
    countInserts();
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    click(editor->findChild<QPushButton *>("okButton"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(insertCount(), 0);
}

TEST_F(TagEditor, CancelAndTheCloseIconLeaveTheTag)
{
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(entry(editor), "Changed");
    click(editor->findChild<QPushButton *>("cancelButton"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(share->tag(), "AB12");
    EXPECT_TRUE(share->tagOld().isEmpty());

    editor = open();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(entry(editor)->text(), "AB12") << "a fresh editor";
    QTest::keyClicks(entry(editor), "Other");
    click(editor->findChild<QToolButton *>("closeButton"));
    EXPECT_TRUE(closed());
    EXPECT_EQ(share->tag(), "AB12");
    EXPECT_EQ(shareRow("AB12").value(0), "AB12");
}

TEST_F(TagEditor, RenamingTheDefaultShareKeepsItsBareLink)
{
    list.setDefault("AB12");
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    enter(editor, "Home");
    EXPECT_TRUE(closed());
    EXPECT_EQ(share->tagURL(), shareHostLink("myhost"));
    EXPECT_EQ(share->getTagURL(), shareHostLink("myhost") + "Home");
    EXPECT_EQ(defaultTags(), QStringList({"Home"}));
}

TEST_F(TagEditor, WhenTheStoreRefusesTheShareKeepsItsOldTag)
{
    failInsertsInto("localshare");
    SharingTagEditView *editor = open();
    ASSERT_NE(editor, nullptr);
    enter(editor, "Music");
    EXPECT_EQ(editor->toast()->toast(), AlertToast::banner(toastText("Sys_Update_Failed")));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(share->tag(), "AB12");
    EXPECT_TRUE(share->tagOld().isEmpty());
    EXPECT_EQ(shareRow("AB12").value(0), "AB12");
    EXPECT_TRUE(shareRow("Music").isEmpty());
    click(editor->findChild<QPushButton *>("cancelButton"));
    EXPECT_TRUE(closed());

    // Once the store works again, a later save of the share keeps it one share under its tag.
    ASSERT_TRUE(UtilDB::exec("drop trigger fail_localshare").ok);
    click(pane->findChild<QCheckBox *>("uploadSwitch"));
    EXPECT_EQ(shareCount(), 2);
    EXPECT_EQ(shareRow("AB12").value(4), "1");
    EXPECT_TRUE(shareRow("Music").isEmpty());
}

} // namespace
