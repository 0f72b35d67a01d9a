// The download and upload sheets against the scripted bridge: what they ask of it, the progress
// they show, and how each transfer ends.

#include "remote_test_support.h"

#include "bridge_supervisor.h"
#include "clock.h"
#include "download_folder.h"
#include "file_dialog_panels.h"
#include "p2p_client_msg.h"
#include "remote_file_table.h"
#include "test_home.h"
#include "url_catcher.h"
#include "util_db.h"
#include "util_system.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_upload.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <QUrl>

using namespace RemoteTest;
using Status = RemoteSharingDownloadStatus;

namespace {

QString size(qint64 bytes)
{
    return UtilSystem::formatFileSize(std::uint64_t(bytes));
}

class TransferSheets : public RemoteFixture
{
protected:
    void SetUp() override
    {
        RemoteFixture::SetUp();
        openConnected();
    }
    // A download sheet of targets, shown, its start answered.
    std::unique_ptr<ViewSharingRemoteDownload> started(const QStringList &targets)
    {
        auto sheet = std::make_unique<ViewSharingRemoteDownload>(targets, browser.get());
        sheet->show();
        sheet->startTransfer();
        EXPECT_TRUE(waitFor([&] { return sheet->status() != Status::dsStarting; }));
        return sheet;
    }
    // One status request answered, as the sheet's tick sends it, and its answer handled.
    void poll(RemoteTransferSheet &sheet)
    {
        const int before = sent("Trans3_FC_TransTaskInfo") + sent("RemoteUploadTaskInfo");
        sheet.onTimerTick();
        ASSERT_TRUE(waitFor([&] { return sent("Trans3_FC_TransTaskInfo") + sent("RemoteUploadTaskInfo") > before; }));
        QString token;
        for (const ScriptedBridgeServer::Request &request : bridge.requests) {
            if (request.code == u"Trans3_FC_TransTaskInfo" || request.code == u"RemoteUploadTaskInfo")
                token = request.token;
        }
        ASSERT_TRUE(waitFor([&] { return !P2PClientMsg::taskTable().contains(token); }));
    }
    static QString line(const RemoteTransferSheet &sheet)
    {
        return sheet.findChild<QLabel *>("transferStatus")->text();
    }
    static QPushButton *sheetButton(const RemoteTransferSheet &sheet, const char *name)
    {
        return sheet.findChild<QPushButton *>(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(TransferSheets, ADownloadRunsToOneHundredIntoTheChosenFolderWithItsBytesAndRate)
{
    bridge.statuses = {ScriptedRemoteBridge::status(2, 1'000'000, 10'000'000, 0, 2),
                       ScriptedRemoteBridge::status(2, 3'000'000, 10'000'000, 1, 2),
                       ScriptedRemoteBridge::status(3, 10'000'000, 10'000'000, 2, 2)};
    ViewSharingRemoteDownload sheet({"/srv/pics/a.png", "/srv/pics/docs"}, browser.get());
    sheet.show();
    // No folder chosen yet: the default one, made and stored.
    const QString folder = TestHome::path() + "/Documents/Fenmar/Downloads";
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), folder);
    // Another one chosen is stored and used.
    const QString chosen = TestHome::path() + "/Elsewhere";
    QDir().mkpath(chosen);
    FileDialogPanels::setNextAnswer({chosen});
    sheetButton(sheet, "changeFolderButton")->click();
    ASSERT_TRUE(waitFor([&] { return sheet.saveFolder() == chosen; }));
    EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), chosen);
    EXPECT_EQ(line(sheet), english("RS_ItemsChosen").arg(2));
    ASSERT_TRUE(sheetButton(sheet, "startButton")->isDefault()) << "Return starts";
    sheetButton(sheet, "startButton")->click();
    ASSERT_TRUE(waitFor([&] { return sheet.status() == Status::dsRunning; }));
    EXPECT_EQ(last("Trans3_FC_00_CallStart"), (Json{{"Session", "CLIENT-A|CLIENT-B"},
                                                    {"Targets", "/srv/pics/a.png|/srv/pics/docs"},
                                                    {"SaveAtLocalFolder", chosen.toStdString()}}));

    const auto bar = [&] { return sheet.findChild<QProgressBar *>()->text(); };
    poll(sheet);
    EXPECT_EQ(last("Trans3_FC_TransTaskInfo"), (Json{{"Session", "CLIENT-A|CLIENT-B"}}));
    EXPECT_EQ(bar(), QString("10% · %1 of %2").arg(size(1'000'000), size(10'000'000)));
    EXPECT_EQ(line(sheet), "0 of 2 files · big.bin");
    // 2 MB more two seconds later: 1 MB a second.
    clock->advanceMs(2000);
    poll(sheet);
    EXPECT_EQ(bar(), QString("30% · %1 of %2 · %3/s").arg(size(3'000'000), size(10'000'000), size(1'000'000)));
    poll(sheet);
    EXPECT_EQ(bar(), QString("100% · %1 of %1").arg(size(10'000'000)));
    EXPECT_EQ(line(sheet), english("RS_DownloadDone"));
    UrlCatcher urls;
    ASSERT_TRUE(sheetButton(sheet, "openFolderButton")->isVisible());
    sheetButton(sheet, "openFolderButton")->click();
    EXPECT_EQ(urls.opened, QList<QUrl>({QUrl::fromLocalFile(chosen + "/")}));
}

TEST_F(TransferSheets, ADownloadSaysWhichNamesWereTakenAndWhatACancelLeft)
{
    const auto put = [](const char *name) { ContactsTest::writeFile(DownloadFolder::defaultFolder() + '/' + name, 1); };
    put("report.txt");
    put("report (1).txt");
    // Finished: the taken name is said, the free one is not.
    bridge.statuses = {ScriptedRemoteBridge::status(3, 10, 10, 2, 2)};
    auto sheet = started({"/srv/pics/report.txt", "/srv/pics/notes.txt"});
    put("report (2).txt");
    put("notes.txt");
    poll(*sheet);
    EXPECT_EQ(line(*sheet),
              english("RS_DownloadDone") + '\n' + english("RS_SavedAs").arg("report.txt", "report (2).txt"));

    // Cancelled: the bridge is asked to stop, and what had already arrived is named.
    bridge.statuses = {ScriptedRemoteBridge::status(2, 5, 10, 1, 2), ScriptedRemoteBridge::status(5, 5, 10, 1, 2)};
    auto second = started({"/srv/pics/a.png", "/srv/pics/big.bin"});
    put("a.png");
    poll(*second);
    sheetButton(*second, "cancelTransferButton")->click();
    EXPECT_EQ(line(*second), english("RS_Cancelling"));
    ASSERT_TRUE(waitFor([&] { return sent("Trans3_FC_00_Cancel") == 1; }));
    EXPECT_EQ(last("Trans3_FC_00_Cancel"), (Json{{"Session", "CLIENT-A|CLIENT-B"}}));
    poll(*second);
    EXPECT_EQ(line(*second), english("RS_TransferCanceled") + '\n' + english("RS_AlreadySaved").arg("a.png"));
}

TEST_F(TransferSheets, ARefusedStartOrTheLostServiceEndsTheTransferAtOnceSayingSo)
{
    bridge.startAnswer = Json{{"Result", 0}, {"Info", "Cannot write into the folder /x"}};
    auto refused = started({"/srv/pics/a.png"});
    EXPECT_EQ(line(*refused), english("RS_TransferRefused") + " Cannot write into the folder /x");
    refused->onTimerTick();
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("Trans3_FC_TransTaskInfo"), 0);

    // The bridge that ran it goes: the sheet says so without waiting for missed answers.
    bridge.startAnswer = Json{{"Result", 1}};
    auto cutOff = started({"/srv/pics/a.png"});
    ASSERT_EQ(cutOff->status(), Status::dsRunning);
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    EXPECT_EQ(line(*cutOff), english("RS_TransferLinkLost"));
    EXPECT_EQ(line(*started({"/srv/pics/a.png"})), english("RS_TransferLinkLost")) << "started while the link is down";
}

TEST_F(TransferSheets, ABridgeThatStopsAnsweringEndsTheDownloadAfterThreeMissedPolls)
{
    bridge.holdCodes.insert("Trans3_FC_TransTaskInfo");
    auto sheet = started({"/srv/pics/a.png"});
    // One status request at a time: the next goes once the last has waited ten seconds.
    sheet->onTimerTick();
    ASSERT_TRUE(waitFor([&] { return sent("Trans3_FC_TransTaskInfo") == 1; }));
    clock->advanceMs(9'999);
    sheet->onTimerTick();
    clock->advanceMs(1);
    sheet->onTimerTick();
    ASSERT_TRUE(waitFor([&] { return sent("Trans3_FC_TransTaskInfo") == 2; }));
    for (int missed = 2; missed <= 3; ++missed) {
        EXPECT_EQ(sheet->status(), Status::dsRunning) << missed;
        clock->advanceMs(10'000);
        sheet->onTimerTick();
    }
    EXPECT_EQ(line(*sheet), english("RS_TransferNoAnswer"));
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("Trans3_FC_TransTaskInfo"), 3);
    sheet->reject();
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(TransferSheets, AnUploadSendsTheChosenItemsIntoTheFolderShown)
{
    const QString album = TestHome::path() + "/up/album";
    ContactsTest::writeFile(album + "/one.txt", 300);
    ContactsTest::writeFile(album + "/deep/two.jpg", 700);
    bridge.statuses = {ScriptedRemoteBridge::status(2, 500, 1000, 1, 2),
                       ScriptedRemoteBridge::status(3, 1000, 1000, 2, 2)};
    const int lists = sent("getFileList");
    browser->openUpload();
    ViewSharingRemoteUpload *sheet = browser->uploadSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheetButton(*sheet, "startButton")->isEnabled());
    sheet->startTransfer();
    EXPECT_EQ(sheet->status(), Status::dsPreparing) << "nothing to upload";
    FileDialogPanels::setNextAnswer({album});
    sheetButton(*sheet, "addFolderButton")->click();
    ASSERT_TRUE(waitFor([&] { return sheet->localPaths().size() == 1 && !sheet->isCounting(); }));
    EXPECT_EQ(line(*sheet), english("RS_ItemsChosen").arg(1) + " · 1000.00 bytes");
    // Each count of sizes and the list it made go once its result is in, or once a newer count
    // took its place (adding a chosen folder again counts again).
    sheet->addPaths({album});
    const std::weak_ptr<const UploadSizeJob> replaced = sheet->sizeCount();
    sheet->addPaths({album});
    const std::weak_ptr<const UploadSizeJob> counted = sheet->sizeCount();
    ASSERT_FALSE(replaced.expired() || counted.expired());
    ASSERT_TRUE(waitFor([&] { return !sheet->isCounting(); }));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(replaced.expired());
    EXPECT_TRUE(counted.expired());
    EXPECT_EQ(line(*sheet), english("RS_ItemsChosen").arg(1) + " · 1000.00 bytes");

    sheetButton(*sheet, "startButton")->click();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    EXPECT_EQ(last("Trans2_FS_00_CallStart"), (Json{{"Session", "CLIENT-A|CLIENT-B"}, {"Targets", album.toStdString()},
                                                    {"RemotePathRoot", "/srv/pics"}}));
    // The peer's answer to a status request given up on counts for nothing when it comes at last.
    bridge.holdCodes.insert("RemoteUploadTaskInfo");
    sheet->onTimerTick();
    clock->advanceMs(10'000);
    sheet->onTimerTick();
    ASSERT_TRUE(waitFor([&] { return sent("RemoteUploadTaskInfo") == 2; }));
    bridge.answer(bridge.withCode("RemoteUploadTaskInfo").first(), ScriptedRemoteBridge::status(3, 1000, 1000));
    bridge.release("RemoteUploadTaskInfo");
    ASSERT_TRUE(waitFor([&] { return sheet->percent() == 50; }));
    EXPECT_EQ(sheet->status(), Status::dsRunning);
    bridge.holdCodes.clear();
    poll(*sheet);
    EXPECT_EQ(line(*sheet), english("RS_UploadDone").arg("/"));
    ASSERT_TRUE(waitFor([&] { return sent("getFileList") >= lists + 2; })) << "the browser lists the folder again";
}

TEST_F(TransferSheets, EscapeCancelsARunningDownloadOrUploadAndTabReachesCancel)
{
    const QString file = TestHome::path() + "/up/one.txt";
    ContactsTest::writeFile(file, 300);
    const auto openDownload = [&]() -> RemoteTransferSheet * {
        browser->table()->selectRows({0});
        browser->openDownload();
        return browser->downloadSheet();
    };
    const auto openUpload = [&]() -> RemoteTransferSheet * {
        browser->openUpload();
        ViewSharingRemoteUpload *sheet = browser->uploadSheet();
        if (sheet) {
            sheet->addPaths({file});
            EXPECT_TRUE(waitFor([&] { return !sheet->isCounting(); }));
        }
        return sheet;
    };
    const auto key = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    struct Case {
        const char *what;
        std::function<RemoteTransferSheet *()> open;
        const char *cancelCode;
    };
    for (const Case &c : {Case{"download", openDownload, "Trans3_FC_00_Cancel"},
                          Case{"upload", openUpload, "Trans2_FS_00_Cancel"}}) {
        bridge.statuses = {ScriptedRemoteBridge::status(5, 100, 300)};
        const QPointer<RemoteTransferSheet> sheet = c.open();
        ASSERT_TRUE(sheet) << c.what;
        sheet->activateWindow();
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() && sheet->isAncestorOf(QApplication::focusWidget()); }))
            << c.what;
        key(Qt::Key_Return);
        ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; })) << c.what;

        // Tab reaches Cancel from wherever the start left the keyboard.
        QPushButton *cancel = sheetButton(*sheet, "cancelTransferButton");
        for (int presses = 0; presses < 3 && QApplication::focusWidget() != cancel; ++presses)
            key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), cancel) << c.what;

        // Escape cancels as Cancel does; the sheet stays to say how the transfer ended.
        key(Qt::Key_Escape);
        EXPECT_EQ(sheet->status(), Status::dsCancelling) << c.what;
        EXPECT_TRUE(sheet->isVisible()) << c.what;
        ASSERT_TRUE(waitFor([&] { return sent(c.cancelCode) == 1; })) << c.what;
        EXPECT_EQ(last(c.cancelCode), (Json{{"Session", "CLIENT-A|CLIENT-B"}})) << c.what;
        poll(*sheet);
        EXPECT_EQ(sheet->status(), Status::dsCanceled) << c.what;
        sheet->activateWindow();
        QTest::keyClick(sheet, Qt::Key_Escape);
        EXPECT_TRUE(waitFor([&] { return sheet.isNull(); })) << c.what << ": an ended transfer's sheet closes";
    }
}
