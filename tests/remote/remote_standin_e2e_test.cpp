// End to end through the stand-in bridge, whose loopback peer is this same client: the user adds
// their own host, browses their own shares with the real share store answering, and transfers,
// cancels and deletes for real on disk.

#include "contacts_test_support.h"
#include "standin_bridge_process.h"

#include "alert_toast.h"
#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "download_folder.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "local_share_store.h"
#include "localization.h"
#include "p2p_requests_to_peers.h"
#include "peer_request_handler.h"
#include "peer_work.h"
#include "remote_file_table.h"
#include "share_store_for_peers.h"
#include "test_home.h"
#include "toast_overlay.h"
#include "ui_test_support.h"
#include "view_sharing_remote.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_edit.h"
#include "view_sharing_remote_file_list.h"
#include "view_sharing_remote_upload.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QThreadPool>

using Status = RemoteSharingDownloadStatus;

namespace {

QString english(const char *key)
{
    return localizedString(QString::fromLatin1(key), QLocale(QLocale::English));
}

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

class EndToEnd : public ::testing::Test
{
protected:
    void start(int copyDelayMs)
    {
        UiTest::useEnglishLook();
        registerFileDialogPanels();
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

    static void share(const QString &tag, const QString &path, const QString &code, bool upload, bool del)
    {
        SharingObj obj;
        obj.setTag(tag);
        obj.setPath(path);
        obj.setPassword(code);
        obj.setIsdir(true);
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
        editor->onOK();
        EXPECT_EQ(editor->lastRefusal(), QString());
        page->openHost(int(page->hosts().size()) - 1);
        ViewSharingRemoteFileList *browser = page->browser();
        EXPECT_TRUE(waitFor([&] { return browser->isConnected() && !browser->isLoading(); }, 10000))
            << browser->hostStateText().toStdString();
        return browser;
    }

    static int rowOf(const ViewSharingRemoteFileList &browser, const QString &name)
    {
        for (int row = 0; row < browser.items().size(); ++row) {
            if (browser.items().at(row).name == name)
                return row;
        }
        return -1;
    }

    std::unique_ptr<StandinBridgeProcess> standin;
    PeerRequests peer;
    ShareStoreForPeers store;
    std::unique_ptr<ViewSharingRemote> page;
};

} // namespace

TEST_F(EndToEnd, OwnHostBrowsedPagedDownloadedUploadedAndDeletedIn)
{
    ASSERT_NO_FATAL_FAILURE(start(0));
    const QString root = TestHome::path() + QStringLiteral("/Shared");
    picture(root + QStringLiteral("/a1.png"), Qt::red);
    picture(root + QStringLiteral("/a2.jpg"), Qt::darkGreen);
    picture(root + QStringLiteral("/album/x.png"), Qt::blue);
    picture(root + QStringLiteral("/album/y.bmp"), Qt::yellow);
    for (int i = 1; i <= 55; ++i)
        ContactsTest::writeFile(root + QStringLiteral("/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), 100 + i);
    const QString docs = TestHome::path() + QStringLiteral("/Docs");
    ContactsTest::writeFile(docs + QStringLiteral("/keep.txt"), 42);
    share(QStringLiteral("Pics"), root, QStringLiteral("1234"), true, true);
    share(QStringLiteral("Docs"), docs, QString(), false, false);

    // Connected to our own host: the first page of 58 entries, pictures with their thumbnails.
    ViewSharingRemoteFileList *browser = addAndOpen(QStringLiteral("Pics"), QStringLiteral("1234"));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->hostStateText(), english("RS_Connected"));
    EXPECT_EQ(browser->paging().total(), 58);
    ASSERT_EQ(browser->items().size(), 50);
    EXPECT_EQ(browser->items().at(0).name, QStringLiteral("album"));
    EXPECT_EQ(browser->items().at(1).name, QStringLiteral("a1.png"));
    EXPECT_TRUE(waitFor([&] { return browser->table()->hasThumbnail(1) && browser->table()->hasThumbnail(2); }, 10000));
    EXPECT_FALSE(browser->table()->hasThumbnail(3)) << "a text file keeps its symbol";

    ASSERT_TRUE(browser->goToPage(2));
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading(); }));
    ASSERT_EQ(browser->items().size(), 8);
    EXPECT_EQ(browser->items().last().name, QStringLiteral("f055.txt"));
    ASSERT_TRUE(browser->goToPage(1));
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading(); }));

    browser->openFolder(0);
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading() && browser->items().size() == 2; }));
    EXPECT_EQ(browser->folder().displayText(), QStringLiteral("/ album"));
    browser->goUp();
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading() && browser->items().size() == 50; }));
    EXPECT_TRUE(browser->folder().isAtRoot());

    // Two files and a folder into the download folder.
    browser->table()->selectRows({0, 1, 2});
    browser->openDownload();
    ViewSharingRemoteDownload *download = browser->downloadSheet();
    ASSERT_NE(download, nullptr);
    const QString saved = DownloadFolder::defaultFolder();
    download->findChild<QPushButton *>(QStringLiteral("startButton"))->click();
    ASSERT_TRUE(waitFor([&] { return download->tracker().isEnded(); }, 20000));
    EXPECT_EQ(download->status(), Status::dsFinished) << download->statusText().toStdString();
    EXPECT_EQ(download->percent(), 100);
    for (const char *name : {"a1.png", "a2.jpg", "album/x.png", "album/y.bmp"}) {
        EXPECT_EQ(bytes(saved + u'/' + QString::fromLatin1(name)), bytes(root + u'/' + QString::fromLatin1(name)))
            << name;
    }
    download->findChild<QPushButton *>(QStringLiteral("closeSheetButton"))->click();
    ASSERT_TRUE(waitFor([&] { return browser->downloadSheet() == nullptr; }));

    // A file from elsewhere uploaded into the share, which allows it.
    const QString report = TestHome::path() + QStringLiteral("/outside/report.txt");
    ContactsTest::writeFile(report, 12345);
    browser->openUpload();
    ViewSharingRemoteUpload *upload = browser->uploadSheet();
    ASSERT_NE(upload, nullptr);
    upload->addPaths({report});
    ASSERT_TRUE(waitFor([&] { return !upload->isCounting(); }));
    upload->startTransfer();
    ASSERT_TRUE(waitFor([&] { return upload->tracker().isEnded(); }, 20000));
    EXPECT_EQ(upload->status(), Status::dsFinished) << upload->statusText().toStdString();
    EXPECT_EQ(bytes(root + QStringLiteral("/report.txt")), bytes(report));
    ASSERT_TRUE(waitFor([&] { return browser->paging().total() == 59 && !browser->isLoading(); }, 5000))
        << "the browser lists the folder again";
    upload->reject();

    // Deleted in the share that allows it.
    const int row = rowOf(*browser, QStringLiteral("f001.txt"));
    ASSERT_GE(row, 0);
    browser->table()->selectRows({row});
    browser->requestDelete();
    ASSERT_TRUE(waitFor([&] { return browser->confirmDialog()->isVisible(); }));
    browser->confirmDialog()->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    ASSERT_TRUE(waitFor([&] { return browser->toast()->isShowing() && !browser->isLoading(); }, 5000));
    EXPECT_EQ(browser->toast()->toast(), AlertToast::result(true, english("RS_Deleted")));
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/f001.txt")));
    EXPECT_EQ(rowOf(*browser, QStringLiteral("f001.txt")), -1);

    // Refused in the share that does not: by the browser, and by the peer when asked anyway.
    browser = addAndOpen(QStringLiteral("Docs"), QString());
    ASSERT_EQ(browser->items().size(), 1);
    browser->table()->selectRows({0});
    browser->requestDelete();
    EXPECT_EQ(browser->toast()->toast(), AlertToast::result(false, english("RS_NoDeleteRight")));
    bool answered = false;
    PeerRequestSenders::deleteFiles({docs + QStringLiteral("/keep.txt")},
                                    [&](const std::optional<LenientJson> &) { answered = true; });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_TRUE(QFile::exists(docs + QStringLiteral("/keep.txt")));
}

TEST_F(EndToEnd, ACancelledDownloadLeavesNoPartialFile)
{
    // Slowed down so that the copy is still under way when the user cancels.
    ASSERT_NO_FATAL_FAILURE(start(40));
    const QString root = TestHome::path() + QStringLiteral("/Big");
    ContactsTest::writeFile(root + QStringLiteral("/big.bin"), 6 * 1024 * 1024);
    share(QStringLiteral("Big"), root, QString(), false, false);

    ViewSharingRemoteFileList *browser = addAndOpen(QStringLiteral("Big"), QString());
    ASSERT_NE(browser, nullptr);
    browser->table()->selectRows({0});
    browser->openDownload();
    ViewSharingRemoteDownload *download = browser->downloadSheet();
    ASSERT_NE(download, nullptr);
    download->startTransfer();
    ASSERT_TRUE(waitFor([&] { return download->status() == Status::dsRunning && download->percent() > 0; }, 10000));
    download->cancelTransfer();
    ASSERT_TRUE(waitFor([&] { return download->tracker().isEnded(); }, 15000));
    EXPECT_EQ(download->status(), Status::dsCanceled) << download->statusText().toStdString();
    EXPECT_LT(download->percent(), 100);
    spin(200);
    EXPECT_EQ(ContactsTest::filesBelow(DownloadFolder::defaultFolder()), QStringList()) << "no partial file, hidden or not";
}
