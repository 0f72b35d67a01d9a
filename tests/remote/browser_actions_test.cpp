// Delete, download and upload from the browser, each within what the share allows.

#include "remote_test_support.h"

#include "alert_toast.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "remote_file_table.h"
#include "toast_overlay.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_upload.h"

#include <QAbstractButton>
#include <QTest>

using namespace RemoteTest;

TEST_F(RemoteFixture, DeleteAsksNamingTheEntriesAndTheListSaysWhatIsLeft)
{
    struct Case {
        const char *what;
        bool removes, answers;
        qsizetype left;
        AlertToast toast;
    };
    const AlertToast failed = AlertToast::result(false, english("RS_DeleteFailed").arg(5));
    for (const Case &c :
         {Case{"removed", true, true, 1, AlertToast::result(true, english("RS_Deleted"))},
          Case{"refused by the peer", false, true, 6, failed}, Case{"never answered", false, false, 6, failed}}) {
        folder("/srv/pics") = entries(6, "photo", "png");
        bridge.deleteRemoves = c.removes;
        bridge.holdCodes = c.answers ? QSet<QString>() : QSet<QString>{"opFileList"};
        bridge.requests.clear();
        ViewSharingRemoteFileList &view = openConnected();
        view.table()->selectRows({0, 2, 3, 4, 5});
        view.table()->setFocus();
        QTest::keyClick(view.table(), Qt::Key_Delete);
        ASSERT_TRUE(waitFor([&] { return view.confirmDialog()->isVisible(); })) << c.what;
        EXPECT_EQ(view.confirmDialog()->setting()->info(),
                  english("RS_DeleteFilesInfo")
                      .arg(english("RS_AndMore").arg("photo001.png, photo003.png, photo004.png").arg(2)));
        // Nothing goes before the user confirms, and a bare Return is no confirmation.
        QTest::keyClick(view.confirmDialog(), Qt::Key_Return);
        ASSERT_TRUE(waitFor([&] { return !view.confirmDialog()->isVisible(); })) << c.what;
        EXPECT_TRUE(waitFor([&] { return view.focusWidget() == view.table(); })) << c.what;
        button("deleteButton")->click();
        ASSERT_TRUE(waitFor([&] { return view.confirmDialog()->isVisible(); })) << c.what;
        ASSERT_TRUE(bridge.caughtUp()) << c.what;
        EXPECT_EQ(sent("opFileList"), 0) << c.what;
        view.confirmDialog()->findChild<QAbstractButton *>("okButton")->click();
        ASSERT_TRUE(waitFor([&] { return sent("opFileList") == 1; })) << c.what;
        EXPECT_EQ(last("opFileList")["fileList"],
                  "/srv/pics/photo001.png|/srv/pics/photo003.png|/srv/pics/photo004.png|/srv/pics/photo005.png|"
                  "/srv/pics/photo006.png");
        // Without an answer the browser lists the folder again after fifteen seconds.
        if (!c.answers)
            elapse(15'000);
        ASSERT_TRUE(waitFor([&] { return view.toast()->isShowing() && !view.isLoading(); })) << c.what;
        EXPECT_EQ(names(view).size(), c.left) << c.what;
        EXPECT_TRUE(names(view).contains("photo002.png")) << c.what;
        EXPECT_EQ(view.toast()->toast(), c.toast) << c.what;
        // The list was off while the delete and the new listing ran; the keyboard is back on it.
        EXPECT_EQ(view.focusWidget(), view.table()) << c.what;
    }
}

TEST_F(RemoteFixture, EachActionOpensForTheSelectionOrTheFolderOnlyWhereTheShareAllowsIt)
{
    // One right taken away at a time: its button is off with the reason as its tooltip, and asking
    // anyway opens nothing; the others work.
    for (const auto &[right, denied, reason] : {std::tuple{"isdownload", "downloadButton", "RS_NoDownloadRight"},
                                                {"isupload", "uploadButton", "RS_NoUploadRight"},
                                                {"isfiledel", "deleteButton", "RS_NoDeleteRight"}}) {
        (*bridge.share)[right] = 0;
        const QString off = QString::fromLatin1(denied);
        ViewSharingRemoteFileList &view = openConnected();
        view.table()->selectRows({1, 2});
        for (const char *name : {"downloadButton", "uploadButton", "deleteButton"}) {
            EXPECT_EQ(button(name)->isEnabled(), off != name) << name;
            EXPECT_EQ(button(name)->toolTip(), off == name ? english(reason) : QString()) << name;
        }
        view.openDownload();
        EXPECT_EQ(view.downloadSheet() ? view.downloadSheet()->targets() : QStringList(),
                  off == "downloadButton" ? QStringList()
                                          : QStringList({"/srv/pics/photo002.png", "/srv/pics/photo003.png"}));
        delete view.downloadSheet();
        view.openUpload();
        EXPECT_EQ(view.uploadSheet() ? view.uploadSheet()->remoteFolder() : QString(),
                  off == "uploadButton" ? "" : "/srv/pics");
        delete view.uploadSheet();
        view.requestDelete();
        EXPECT_EQ(view.confirmDialog()->isVisible(), off != "deleteButton") << right;
        view.confirmDialog()->reject();
        (*bridge.share)[right] = 1;
    }
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("opFileList"), 0);
}
