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

TEST_F(RemoteFixture, WithoutTheRightNothingIsAskedOfThePeer)
{
    bridge.share = Json{{"tag", "Pics"}, {"path", "/srv/pics"}, {"isdir", 1}, {"isenabled", 1},
                        {"isupload", 0}, {"isdownload", 0}, {"isfiledel", 0}};
    ViewSharingRemoteFileList &view = openConnected();
    view.table()->selectRows({0});

    view.requestDelete();
    EXPECT_FALSE(view.confirmDialog()->isVisible());
    EXPECT_EQ(view.toast()->toast(), AlertToast::result(false, english("RS_NoDeleteRight")));
    view.openDownload();
    EXPECT_EQ(view.downloadSheet(), nullptr);
    EXPECT_EQ(view.toast()->toast(), AlertToast::result(false, english("RS_NoDownloadRight")));
    view.openUpload();
    EXPECT_EQ(view.uploadSheet(), nullptr);
    EXPECT_EQ(view.toast()->toast(), AlertToast::result(false, english("RS_NoUploadRight")));
    spin(50);
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
