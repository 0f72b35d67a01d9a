// End to end through the stand-in bridge, whose loopback peer is this same client: the user adds
// their own host, browses their own shares with the real share store answering, and downloads,
// uploads, cancels and deletes for real on disk. Each case runs in a private network of its own.

#include "remote_test_support.h"

#include "alert_toast.h"
#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "dialog_confirm_view.h"
#include "env.h"
#include "local_share_store.h"
#include "p2p_requests_to_peers.h"
#include "peer_work.h"
#include "private_network.h"
#include "remote_file_table.h"
#include "share_store_for_peers.h"
#include "standin_bridge_process.h"
#include "test_home.h"
#include "toast_overlay.h"
#include "ui_test_support.h"
#include "view_sharing_remote.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_edit.h"
#include "view_sharing_remote_upload.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QThreadPool>

using Status = RemoteSharingDownloadStatus;
using ContactsTest::filesBelow;
using ContactsTest::writeFile;
using RemoteTest::english;
using RemoteTest::names;

namespace {

void picture(const QString &path, const QColor &colour)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where downloads go while no folder is stored: Downloads in the product folder in Documents.
QString defaultDownloads()
{
    return TestHome::path() + QStringLiteral("/Documents/Fenmar/Downloads");
}

class RemoteEndToEnd : public ::testing::Test
{
protected:
    // Signs in through a stand-in that pauses copyDelayMs per block copied, with this client's
    // peer side and share store answering its loopback peer, and shows the remote hosts page.
    void start(int copyDelayMs)
    {
        UiTest::useEnglishLook();
        ContactsTest::resetAll();
        standin = std::make_unique<StandinBridgeProcess>(
            QMap<QString, QString>{{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QString::number(copyDelayMs)}});
        ASSERT_TRUE(standin->start()) << "the stand-in bridge is built beside the tests";
        ASSERT_TRUE(signInThroughStandin(*standin, QStringLiteral("pat@example.com"), QStringLiteral("pw")));
        BridgeMessage::peerRequestHandler = &peer;
        Env::shareStore = &store;
        page = std::make_unique<ViewSharingRemote>();
        page->resize(800, 560);
        page->show();
    }

    void TearDown() override
    {
        page.reset();
        PeerWork::pool().waitForDone();
        QThreadPool::globalInstance()->waitForDone();
        BridgeState::resetForTests();
        QCoreApplication::processEvents();
    }

    static void share(const QString &tag, const QString &path, const QString &code, bool upload, bool del,
                      bool isdir = true)
    {
        SharingObj obj;
        obj.setTag(tag);
        obj.setPath(path);
        obj.setPassword(code);
        obj.setIsdir(isdir);
        obj.setIsenabled(true);
        obj.setIsdownload(true);
        obj.setIsupload(upload);
        obj.setIsfiledel(del);
        ASSERT_TRUE(LocalShare_Insert(obj)) << tag.toStdString();
    }

    // Adds our own host for tag through the editor and opens it; the browser once it has listed.
    ViewSharingRemoteFileList *addAndOpen(const QString &tag, const QString &code)
    {
        page->closeBrowser();
        page->addHost();
        ViewSharingRemoteEdit *editor = page->editor();
        editor->findChild<QLineEdit *>(QStringLiteral("hostNameField"))->setText(Env::userInfo.rooturl);
        editor->findChild<QLineEdit *>(QStringLiteral("hostTagField"))->setText(tag);
        editor->findChild<QLineEdit *>(QStringLiteral("accessCodeField"))->setText(code);
        editor->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        EXPECT_EQ(editor->lastRefusal(), QString());
        page->openHost(int(page->hosts().size()) - 1);
        ViewSharingRemoteFileList *browser = page->browser();
        EXPECT_TRUE(listed(*browser)) << browser->hostStateText().toStdString();
        return browser;
    }

    static bool listed(const ViewSharingRemoteFileList &browser)
    {
        return waitFor([&] { return browser.isConnected() && !browser.isLoading(); }, 60000);
    }

    std::unique_ptr<StandinBridgeProcess> standin;
    PeerRequests peer;
    ShareStoreForPeers store;
    std::unique_ptr<ViewSharingRemote> page;
};

} // namespace

TEST_F(RemoteEndToEnd, OwnHostBrowsedPagedDownloadedUploadedAndDeletedIn)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    ASSERT_NO_FATAL_FAILURE(start(0));
    const QString root = TestHome::path() + QStringLiteral("/Shared");
    picture(root + QStringLiteral("/a1.png"), Qt::red);
    picture(root + QStringLiteral("/a2.jpg"), Qt::darkGreen);
    picture(root + QStringLiteral("/album/x.png"), Qt::blue);
    picture(root + QStringLiteral("/album/y.bmp"), Qt::yellow);
    for (int i = 1; i <= 55; ++i)
        writeFile(root + QStringLiteral("/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), 100 + i);
    const QString docs = TestHome::path() + QStringLiteral("/Docs");
    writeFile(docs + QStringLiteral("/keep.txt"), 42);
    share(QStringLiteral("Pics"), root, QStringLiteral("1234"), true, true);
    share(QStringLiteral("Docs"), docs, QString(), false, false);

    // Our own host: the first page of fifty of the 58 entries, the pictures with their thumbnails.
    ViewSharingRemoteFileList *browser = addAndOpen(QStringLiteral("Pics"), QStringLiteral("1234"));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->hostStateText(), english("RS_Connected"));
    EXPECT_EQ(browser->paging().total(), 58);
    ASSERT_EQ(browser->items().size(), 50);
    EXPECT_EQ(names(*browser).mid(0, 4), QStringList({"album", "a1.png", "a2.jpg", "f001.txt"}));
    EXPECT_TRUE(waitFor([&] { return browser->table()->hasThumbnail(1) && browser->table()->hasThumbnail(2); }, 60000));
    EXPECT_FALSE(browser->table()->hasThumbnail(3)) << "a text file keeps its symbol";

    ASSERT_TRUE(browser->goToPage(2) && listed(*browser));
    ASSERT_EQ(browser->items().size(), 8);
    EXPECT_EQ(browser->items().last().name, QStringLiteral("f055.txt"));
    ASSERT_TRUE(browser->goToPage(1) && listed(*browser));

    browser->openFolder(0);
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading() && browser->items().size() == 2; }));
    EXPECT_EQ(names(*browser), QStringList({"x.png", "y.bmp"}));
    EXPECT_EQ(browser->folder().displayText(), QStringLiteral("/ album"));
    browser->goUp();
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading() && browser->items().size() == 50; }));
    EXPECT_TRUE(browser->folder().isAtRoot());

    // The folder and two pictures into the download folder.
    browser->table()->selectRows({0, 1, 2});
    browser->openDownload();
    ViewSharingRemoteDownload *download = browser->downloadSheet();
    ASSERT_NE(download, nullptr);
    EXPECT_EQ(download->saveFolder(), defaultDownloads());
    download->findChild<QPushButton *>(QStringLiteral("startButton"))->click();
    ASSERT_TRUE(waitFor([&] { return download->tracker().isEnded(); }, 60000));
    EXPECT_EQ(download->status(), Status::dsFinished) << download->statusText().toStdString();
    EXPECT_EQ(download->percent(), 100);
    EXPECT_EQ(filesBelow(defaultDownloads()), QStringList({"a1.png", "a2.jpg", "album/x.png", "album/y.bmp"}));
    for (const QString &name : filesBelow(defaultDownloads()))
        EXPECT_EQ(bytes(defaultDownloads() + u'/' + name), bytes(root + u'/' + name)) << name.toStdString();
    download->findChild<QPushButton *>(QStringLiteral("closeSheetButton"))->click();
    ASSERT_TRUE(waitFor([&] { return browser->downloadSheet() == nullptr; }));

    // A file from elsewhere uploaded into the share, which allows it; the browser lists it then.
    const QString report = TestHome::path() + QStringLiteral("/outside/report.txt");
    writeFile(report, 12345);
    browser->openUpload();
    ViewSharingRemoteUpload *upload = browser->uploadSheet();
    ASSERT_NE(upload, nullptr);
    upload->addPaths({report});
    ASSERT_TRUE(waitFor([&] { return !upload->isCounting(); }));
    upload->startTransfer();
    ASSERT_TRUE(waitFor([&] { return upload->tracker().isEnded(); }, 60000));
    EXPECT_EQ(upload->status(), Status::dsFinished) << upload->statusText().toStdString();
    EXPECT_EQ(bytes(root + QStringLiteral("/report.txt")), bytes(report));
    EXPECT_TRUE(waitFor([&] { return browser->paging().total() == 59 && !browser->isLoading(); }))
        << "the browser lists the folder again";
    upload->reject();

    // Deleted in the share that allows it, after the user's confirmation.
    browser->table()->selectRows({int(names(*browser).indexOf("f001.txt"))});
    browser->requestDelete();
    ASSERT_TRUE(waitFor([&] { return browser->confirmDialog()->isVisible(); }));
    browser->confirmDialog()->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    ASSERT_TRUE(waitFor([&] { return browser->toast()->isShowing() && !browser->isLoading(); }));
    EXPECT_EQ(browser->toast()->toast(), AlertToast::result(true, english("RS_Deleted")));
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/f001.txt")));
    EXPECT_FALSE(names(*browser).contains("f001.txt"));

    // Refused in the share that does not allow it: by the browser, and by the peer when asked anyway.
    browser = addAndOpen(QStringLiteral("Docs"), QString());
    ASSERT_EQ(names(*browser), QStringList("keep.txt"));
    browser->table()->selectRows({0});
    browser->requestDelete();
    EXPECT_EQ(browser->toast()->toast(), AlertToast::result(false, english("RS_NoDeleteRight")));
    bool answered = false;
    PeerRequestSenders::deleteFiles({docs + QStringLiteral("/keep.txt")},
                                    [&](const std::optional<LenientJson> &) { answered = true; });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_TRUE(QFile::exists(docs + QStringLiteral("/keep.txt")));

    // A share of one file: its row shows the size the peer gives.
    share(QStringLiteral("Note"), docs + QStringLiteral("/keep.txt"), QString(), false, false, false);
    browser = addAndOpen(QStringLiteral("Note"), QString());
    ASSERT_EQ(names(*browser), QStringList("keep.txt"));
    EXPECT_TRUE(waitFor([&] { return browser->table()->topLevelItem(0)->text(1) == "42.00 bytes"; }))
        << browser->table()->topLevelItem(0)->text(1).toStdString();
}

TEST_F(RemoteEndToEnd, ACancelledDownloadLeavesNoPartialFile)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    // Slowed down so that the copy is still under way when the user cancels.
    ASSERT_NO_FATAL_FAILURE(start(40));
    const QString root = TestHome::path() + QStringLiteral("/Big");
    writeFile(root + QStringLiteral("/big.bin"), 6 * 1024 * 1024);
    share(QStringLiteral("Big"), root, QString(), false, false);

    ViewSharingRemoteFileList *browser = addAndOpen(QStringLiteral("Big"), QString());
    ASSERT_NE(browser, nullptr);
    browser->table()->selectRows({0});
    browser->openDownload();
    ViewSharingRemoteDownload *download = browser->downloadSheet();
    ASSERT_NE(download, nullptr);
    download->startTransfer();
    ASSERT_TRUE(waitFor([&] { return download->status() == Status::dsRunning && download->percent() > 0; }, 60000));
    ASSERT_FALSE(filesBelow(defaultDownloads()).isEmpty()) << "a file is being written";
    download->findChild<QPushButton *>(QStringLiteral("cancelTransferButton"))->click();
    ASSERT_TRUE(waitFor([&] { return download->tracker().isEnded(); }, 60000));
    EXPECT_EQ(download->status(), Status::dsCanceled) << download->statusText().toStdString();
    EXPECT_LT(download->percent(), 100);
    EXPECT_TRUE(waitFor([&] { return filesBelow(defaultDownloads()).isEmpty(); }))
        << "no partial file, hidden or not: " << filesBelow(defaultDownloads()).join(u' ').toStdString();
}
