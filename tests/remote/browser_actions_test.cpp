// Delete, download and upload from the browser, each within what the share allows.

#include "remote_test_support.h"

#include "alert_toast.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "remote_file_table.h"
#include "toast_overlay.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_upload.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace RemoteTest;

namespace {

void confirm(ViewSharingRemoteFileList &view)
{
    ASSERT_TRUE(waitFor([&] { return view.confirmDialog()->isVisible(); }));
    view.confirmDialog()->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
}

} // namespace

TEST_F(RemoteFixture, DeleteAfterConfirmationAndTheListShowsWhatIsLeft)
{
    ViewSharingRemoteFileList &view = openConnected();
    view.table()->selectRows({0, 2});
    view.requestDelete();
    EXPECT_EQ(bridge.count(QStringLiteral("opFileList")), 0) << "nothing before the user confirms";
    confirm(view);
    ASSERT_TRUE(waitFor([&] { return view.items().size() == 1 && !view.isLoading(); }));

    const Json request = bridge.withCode(QStringLiteral("opFileList")).first().data;
    EXPECT_EQ(request["cmd"], "delete");
    EXPECT_EQ(request["fileList"], "/srv/pics/photo001.png|/srv/pics/photo003.png");
    EXPECT_EQ(request["path"], "");
    EXPECT_EQ(names(view), QStringList{QStringLiteral("photo002.png")});
    EXPECT_EQ(view.toast()->toast(), AlertToast::result(true, english("RS_Deleted")));
}

TEST_F(RemoteFixture, DeleteThatThePeerRefusesIsReported)
{
    bridge.deleteRemoves = false;
    ViewSharingRemoteFileList &view = openConnected();
    view.table()->selectRows({1});
    view.requestDelete();
    confirm(view);
    ASSERT_TRUE(waitFor([&] { return view.toast()->isShowing(); }));
    EXPECT_EQ(view.toast()->toast(), AlertToast::result(false, english("RS_DeleteFailed").arg(1)));
    EXPECT_EQ(view.items().size(), 3);
}

TEST_F(RemoteFixture, WhatTheShareDoesNotAllowIsOffFromTheStartAndSaysWhy)
{
    // One right taken away at a time: its button is off with the reason as its tooltip, the
    // others stay on without one; asking anyway asks nothing of the peer.
    struct Right {
        const char *member;
        const char *button;
        const char *reason;
    };
    for (const Right &right : {Right{"isdownload", "downloadButton", "RS_NoDownloadRight"},
                               Right{"isupload", "uploadButton", "RS_NoUploadRight"},
                               Right{"isfiledel", "deleteButton", "RS_NoDeleteRight"}}) {
        bridge.share = Json{{"tag", "Pics"}, {"path", "/srv/pics"}, {"isdir", 1}, {"isenabled", 1},
                            {"isupload", 1}, {"isdownload", 1}, {"isfiledel", 1}};
        (*bridge.share)[right.member] = 0;
        ViewSharingRemoteFileList &view = openConnected();
        view.table()->selectRows({0});
        for (const char *name : {"downloadButton", "uploadButton", "deleteButton"}) {
            QToolButton *button = view.findChild<QToolButton *>(QString::fromLatin1(name));
            const bool denied = qstrcmp(name, right.button) == 0;
            EXPECT_EQ(button->isEnabled(), !denied) << right.member << " " << name;
            EXPECT_EQ(button->toolTip(), denied ? english(right.reason) : QString()) << right.member << " " << name;
        }
        view.requestDelete();
        view.openDownload();
        view.openUpload();
        EXPECT_FALSE(view.confirmDialog()->isVisible() && qstrcmp(right.button, "deleteButton") == 0);
        EXPECT_FALSE(view.downloadSheet() && qstrcmp(right.button, "downloadButton") == 0);
        EXPECT_FALSE(view.uploadSheet() && qstrcmp(right.button, "uploadButton") == 0);
        if (view.confirmDialog()->isVisible())
            view.confirmDialog()->reject();
        if (view.downloadSheet())
            view.downloadSheet()->reject();
        if (view.uploadSheet())
            view.uploadSheet()->reject();
        spin(30);
    }
    EXPECT_EQ(bridge.count(QStringLiteral("opFileList")), 0);
}

TEST_F(RemoteFixture, TheDeleteKeyAsksWithTheNamesAndCancelIsTheDefault)
{
    bridge.folders[QStringLiteral("/srv/pics")] = RemoteTest::entries(6, QStringLiteral("photo"), QStringLiteral("png"));
    ViewSharingRemoteFileList &view = openConnected();
    view.table()->selectRows({0, 1, 2, 3, 4});
    view.table()->setFocus();
    QTest::keyClick(view.table(), Qt::Key_Delete);
    ASSERT_TRUE(waitFor([&] { return view.confirmDialog()->isVisible(); }));
    EXPECT_EQ(view.confirmDialog()->setting()->info(),
              english("RS_DeleteFilesInfo")
                  .arg(english("RS_AndMore").arg(QStringLiteral("photo001.png, photo002.png, photo003.png")).arg(2)));
    // A bare Return does not delete.
    QTest::keyClick(view.confirmDialog(), Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return !view.confirmDialog()->isVisible(); }));
    spin(30);
    EXPECT_EQ(bridge.count(QStringLiteral("opFileList")), 0);
}

TEST_F(RemoteFixture, ADeleteWithoutAnAnswerStillShowsWhatIsLeft)
{
    ViewSharingRemoteFileList &view = openConnected();
    bridge.holdCodes.insert(QStringLiteral("opFileList"));
    view.table()->selectRows({0});
    view.requestDelete();
    confirm(view);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("opFileList")) == 1; }));
    const int lists = bridge.count(QStringLiteral("getFileList"));
    elapse(ViewSharingRemoteFileList::answerTimeoutMs);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("getFileList")) == lists + 2 && !view.isLoading(); }));
    EXPECT_EQ(view.toast()->toast(), AlertToast::result(false, english("RS_DeleteFailed").arg(1)));
}

TEST_F(RemoteFixture, DownloadAndUploadSheetsOpenForTheSelectionAndTheFolder)
{
    ViewSharingRemoteFileList &view = openConnected();
    view.table()->selectRows({1, 2});
    view.openDownload();
    ASSERT_NE(view.downloadSheet(), nullptr);
    EXPECT_EQ(view.downloadSheet()->targets(),
              (QStringList{QStringLiteral("/srv/pics/photo002.png"), QStringLiteral("/srv/pics/photo003.png")}));
    view.downloadSheet()->findChild<QPushButton *>(QStringLiteral("closeSheetButton"))->click();
    ASSERT_TRUE(waitFor([&] { return view.downloadSheet() == nullptr; }));

    view.openUpload();
    ASSERT_NE(view.uploadSheet(), nullptr);
    EXPECT_EQ(view.uploadSheet()->remoteFolder(), QStringLiteral("/srv/pics"));
}
