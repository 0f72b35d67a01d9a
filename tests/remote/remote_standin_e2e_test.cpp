// End to end through the stand-in bridge, whose loopback peer is this same client: the user opens
// their own host, browses their own share with the real share store answering, and downloads,
// uploads and deletes for real on disk.

#include "remote_test_support.h"
#include "standin_bridge_process.h"

#include "alert_toast.h"
#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "dialog_confirm_view.h"
#include "download_folder.h"
#include "env.h"
#include "local_share_store.h"
#include "peer_work.h"
#include "remote_file_table.h"
#include "share_store_for_peers.h"
#include "test_home.h"
#include "toast_overlay.h"
#include "ui_test_support.h"
#include "view_sharing_remote.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_upload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QThreadPool>

using Status = RemoteSharingDownloadStatus;
using RemoteTest::names;

namespace {

QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class EndToEnd : public ::testing::Test
{
protected:
    void TearDown() override
    {
        page.reset();
        PeerWork::pool().waitForDone();
        QThreadPool::globalInstance()->waitForDone();
        BridgeState::resetForTests();
        QCoreApplication::processEvents();
    }

    StandinBridgeProcess standin;
    PeerRequests peer;
    ShareStoreForPeers store;
    std::unique_ptr<ViewSharingRemote> page;
};

} // namespace

TEST_F(EndToEnd, OwnHostBrowsedDownloadedUploadedAndDeletedIn)
{
    UiTest::useEnglishLook();
    ContactsTest::resetAll();
    ASSERT_TRUE(standin.start()) << "the stand-in bridge is built beside the tests";
    ASSERT_TRUE(signInThroughStandin(standin, "pat@example.com", "pw"));
    BridgeMessage::peerRequestHandler = &peer;
    Env::shareStore = &store;
    const QString root = TestHome::path() + "/Shared/";
    QDir().mkpath(root + "album");
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(root + "album/x.png") && picture.save(root + "a1.png"));
    ContactsTest::writeFile(root + "notes.txt", 5000);
    SharingObj share;
    share.setTag("Pics");
    share.setPath(root.chopped(1));
    share.setPassword("1234");
    for (const auto set : {&SharingObj::setIsdir, &SharingObj::setIsenabled, &SharingObj::setIsdownload,
                           &SharingObj::setIsupload, &SharingObj::setIsfiledel})
        (share.*set)(true);
    ASSERT_TRUE(LocalShare_Insert(share));

    // Our own host opened: the share's entries, a picture drawn, a folder and back.
    RemoteSharing own = RemoteTest::host(Env::userInfo.rooturl, "Pics", "1234");
    ASSERT_TRUE(RemoteSharing_Add(own));
    page = std::make_unique<ViewSharingRemote>();
    page->show();
    page->openHost(0);
    ViewSharingRemoteFileList *browser = page->browser();
    const auto listed = [&] { return waitFor([&] { return browser->isConnected() && !browser->isLoading(); }, 10000); };
    ASSERT_TRUE(listed()) << browser->hostStateText().toStdString();
    ASSERT_EQ(names(*browser), QStringList({"album", "a1.png", "notes.txt"}));
    EXPECT_TRUE(waitFor([&] { return browser->table()->hasThumbnail(1); }, 10000));
    browser->openFolder(0);
    ASSERT_TRUE(listed());
    EXPECT_EQ(names(*browser), QStringList("x.png"));
    browser->goUp();
    ASSERT_TRUE(listed());

    // The folder and a file into the download folder.
    browser->table()->selectRows({0, 2});
    browser->openDownload();
    ViewSharingRemoteDownload *download = browser->downloadSheet();
    ASSERT_NE(download, nullptr);
    download->startTransfer();
    ASSERT_TRUE(waitFor([&] { return download->tracker().isEnded(); }, 20000));
    EXPECT_EQ(download->status(), Status::dsFinished) << download->statusText().toStdString();
    for (const char *name : {"album/x.png", "notes.txt"})
        EXPECT_EQ(bytes(DownloadFolder::defaultFolder() + '/' + name), bytes(root + name)) << name;
    download->reject();
    ASSERT_TRUE(waitFor([&] { return browser->downloadSheet() == nullptr; }));

    // A file from elsewhere uploaded into the share, which the browser then lists.
    const QString report = TestHome::path() + "/outside/report.txt";
    ContactsTest::writeFile(report, 12345);
    browser->openUpload();
    ViewSharingRemoteUpload *upload = browser->uploadSheet();
    ASSERT_NE(upload, nullptr);
    upload->addPaths({report});
    ASSERT_TRUE(waitFor([&] { return !upload->isCounting(); }));
    upload->startTransfer();
    ASSERT_TRUE(waitFor([&] { return upload->tracker().isEnded(); }, 20000));
    EXPECT_EQ(upload->status(), Status::dsFinished) << upload->statusText().toStdString();
    EXPECT_EQ(bytes(root + "report.txt"), bytes(report));
    ASSERT_TRUE(waitFor([&] { return names(*browser).contains("report.txt") && !browser->isLoading(); }));
    upload->reject();

    // Deleted for real.
    browser->table()->selectRows({int(names(*browser).indexOf("notes.txt"))});
    browser->requestDelete();
    ASSERT_TRUE(waitFor([&] { return browser->confirmDialog()->isVisible(); }));
    browser->confirmDialog()->findChild<QPushButton *>("okButton")->click();
    ASSERT_TRUE(waitFor([&] { return browser->toast()->isShowing() && !browser->isLoading(); }));
    EXPECT_EQ(browser->toast()->toast(), AlertToast::result(true, RemoteTest::english("RS_Deleted")));
    EXPECT_FALSE(QFile::exists(root + "notes.txt"));
    EXPECT_FALSE(names(*browser).contains("notes.txt"));
}
